// Shows one window, then one page in a web pane, and reports the resident memory of this process
// and of the browser engine's helper processes before and after. With --check it fails when the
// engine's libraries are loaded before the first page, or not after it.
//
//   web_memory_probe [--check] [URL]     (default URL: a small page served here on loopback)

#include "ticker/WebPane.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// "VmRSS" or "Pss" style value in kB from a /proc status-like file.
long ReadKb(const QString& path, const char* key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    long total = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            total += line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return total;
}

qint64 ParentOf(const QString& pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    const int close = stat.lastIndexOf(')');
    return stat.mid(close + 2).split(' ').value(1).toLongLong();
}

struct Usage {
    long rssKb = 0;
    long pssKb = 0;
    int processes = 0;
};

// This process and every process below it.
Usage MeasureTree() {
    Usage usage;
    QList<qint64> tree{QCoreApplication::applicationPid()};
    bool grew = true;
    const QStringList all = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    while (grew) {
        grew = false;
        for (const QString& entry : all) {
            bool isPid = false;
            const qint64 pid = entry.toLongLong(&isPid);
            if (isPid && !tree.contains(pid) && tree.contains(ParentOf(entry))) {
                tree << pid;
                grew = true;
            }
        }
    }
    for (qint64 pid : tree) {
        usage.rssKb += ReadKb(QStringLiteral("/proc/%1/status").arg(pid), "VmRSS");
        usage.pssKb += ReadKb(QStringLiteral("/proc/%1/smaps_rollup").arg(pid), "Pss");
    }
    usage.processes = int(tree.size());
    return usage;
}

bool EngineLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
}

void Report(const char* when, const Usage& usage) {
    std::printf("%-28s own RSS %6ld kB | %d process(es): RSS %7ld kB, PSS %7ld kB | engine loaded: %s\n",
                when, ReadKb(QStringLiteral("/proc/self/status"), "VmRSS"), usage.processes, usage.rssKb,
                usage.pssKb, EngineLoaded() ? "yes" : "no");
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    httplib::Server site;
    site.Get("/page", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<html><body><h3>600000 sample</h3><p>probe page</p></body></html>", "text/html");
    });
    const int port = site.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { site.listen_after_bind(); });
    while (!site.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    bool check = false;
    QString url = QStringLiteral("http://127.0.0.1:%1/page").arg(port);
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument == QLatin1String("--check"))
            check = true;
        else
            url = argument;
    }

    QWidget window;
    window.resize(480, 500);
    auto* pane = new marlune::WebPane(&window);
    pane->setGeometry(2, 0, 476, 498);
    window.show();
    QTest::qWait(500);
    const bool loadedBefore = EngineLoaded();
    Report("before the first page:", MeasureTree());

    bool loaded = false;
    QObject::connect(pane, &marlune::WebPane::loadFinished, [&](bool) { loaded = true; });
    pane->Navigate(url);
    const bool finished = QTest::qWaitFor([&] { return loaded; }, 60000);
    QTest::qWait(1000);
    const bool loadedAfter = EngineLoaded();
    Report(finished ? "after the first page:" : "page did not load in 60 s:", MeasureTree());

    site.stop();
    serving.join();
    if (check && (loadedBefore || !loadedAfter || !finished)) {
        std::fprintf(stderr, "the browser engine must load with the first page and not before\n");
        return 1;
    }
    return 0;
}
