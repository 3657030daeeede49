// The hostile-server battery: every download path of the desktop program against a
// server on 127.0.0.1 that sends garbage, a gzip bomb, 60 MB, deeply nested JSON, a
// reply trickling two bytes at a time, no reply at all, or a redirect to a loopback
// service no service names. Each path and kind of hostility runs in a fresh process of
// its own for a few seconds, driven as the program drives it (the refresh tick, the
// chart tick, hovers over six stocks, keystrokes in the suggestion box), with its replies
// handled on the GUI thread. Prints, per run, the process's peak resident memory and the
// GUI thread's busy share (its CPU time over the time of the run).
//   build/bench/gui/bench_gui_hostile_servers [SECONDS]     the whole battery
//   build/bench/gui/bench_gui_hostile_servers --one PATH KIND SECONDS
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "net/FetchManager.h"
#include "net/ServiceEndpoints.h"
#include "net/Suggestions.h"
#include "quote/QuoteService.h"
#include "sim/SimServer.h"
#include "text/FileBytes.h"
#include "ticker/FetchBridge.h"
#include "ticker/MinuteChartSource.h"
#include "ticker/TickerWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace marlune;

const char kWatchList[] = "k1|000001|A|1|0|0|0|0|0\r\n"
                          "k2|399001|B|2|0|0|0|0|0\r\n"
                          "k3|600000|C|1|0|0|0|1000|9.50\r\n"
                          "k4|000002|E|2|0|0|0|0|0\r\n"
                          "k5|600519|F|1|1|2000|1000|100|1500\r\n"
                          "k6|601318|G|1|0|0|0|0|0\r\n";

const std::vector<std::string> kPaths = {"sina",   "tencent", "eastmoney", "netease",
                                         "google", "chart",   "minute",    "suggestion"};
const std::vector<std::string> kKinds = {"garbage", "gzipbomb", "60mb",    "deepjson",
                                         "trickle", "hang",     "redirect"};

// A gzip stream of a gigabyte of zeros: about a megabyte on the wire.
std::string GzipBomb() {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    const std::string zeros(1 << 20, '\0');
    std::string out;
    std::vector<unsigned char> buffer(1 << 16);
    for (int block = 0; block < 1024; ++block) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        stream.avail_in = static_cast<uInt>(zeros.size());
        const int flush = block == 1023 ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = buffer.data();
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, flush);
            out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

sim::Fault FaultOf(const std::string& kind, const std::string& elsewhere) {
    sim::Fault fault;
    if (kind == "garbage") {
        fault.garbage = true;
        fault.bodySize = 256 * 1024;
    } else if (kind == "gzipbomb") {
        fault.body = GzipBomb();
    } else if (kind == "60mb") {
        fault.bodySize = 60ll * 1000 * 1000;
    } else if (kind == "deepjson") {
        fault.body = std::string(900 * 1000, '[') + "{\"data\":" + std::string(50 * 1000, '{');
    } else if (kind == "trickle") {
        fault.bodySize = 1000ll * 1000 * 1000;
        fault.framing = sim::BodyFraming::kClose;
        fault.pieceBytes = 2;
        fault.pieceDelayMs = 100;
    } else if (kind == "hang") {
        fault.hang = true;
    } else if (kind == "redirect") {
        fault.status = 302;
        fault.location = elsewhere;
        fault.body = "";
    }
    return fault;
}

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

int SourceOf(const std::string& path) {
    if (path == "tencent")
        return kSourceTencent;
    if (path == "eastmoney")
        return kSourceEastMoney;
    if (path == "netease")
        return kSourceNetEase;
    if (path == "google")
        return kSourceGoogle;
    return kSourceSina;
}

// The two servers of a run, in a child process of their own, so that the figures are the
// program's alone: the hostile one, and a second one where a redirect would lead (60 MB
// for any request). The child ends when the run closes its pipe, and tells then how many
// requests each server had.
struct ServerProcess {
    pid_t pid = -1;
    int hostilePort = 0;
    int elsewherePort = 0;
    int toChild = -1;
    int fromChild = -1;
};

ServerProcess StartServers(const std::string& kind) {
    int down[2];
    int up[2];
    ServerProcess servers;
    if (::pipe(down) != 0 || ::pipe(up) != 0)
        return servers;
    servers.pid = ::fork();
    if (servers.pid == 0) {
        ::close(down[1]);
        ::close(up[0]);
        sim::SimServer elsewhere;
        sim::SimServer hostile;
        int ports[2] = {hostile.Start(), elsewhere.Start()};
        elsewhere.SetFault("/", FaultOf("60mb", ""));
        hostile.SetFault("/", FaultOf(kind, "http://localhost:" + std::to_string(ports[1]) + "/x"));
        (void)!::write(up[1], ports, sizeof ports);
        char byte = 0;
        while (::read(down[0], &byte, 1) > 0) {
        }
        const std::size_t counts[2] = {hostile.Requests().size(), elsewhere.Requests().size()};
        (void)!::write(up[1], counts, sizeof counts);
        hostile.Stop();
        elsewhere.Stop();
        ::_exit(0);
    }
    ::close(down[0]);
    ::close(up[1]);
    servers.toChild = down[1];
    servers.fromChild = up[0];
    int ports[2] = {0, 0};
    if (::read(servers.fromChild, ports, sizeof ports) == static_cast<ssize_t>(sizeof ports)) {
        servers.hostilePort = ports[0];
        servers.elsewherePort = ports[1];
    }
    return servers;
}

// One path against one kind of hostile server.
int RunOne(int argc, char** argv, const std::string& path, const std::string& kind, int seconds) {
    ServerProcess servers = StartServers(kind); // before any thread of this process
    if (servers.hostilePort <= 0 || servers.elsewherePort <= 0)
        return 1;
    // The offscreen platform's notes (no raise(), no size hints) would drown the figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    PointAllServicesAt("http://127.0.0.1:" + std::to_string(servers.hostilePort));

    QTemporaryDir dir;
    SetProgramFolder(dir.path().toStdString());
    CreateFirstRunFiles();
    WriteFileAtomically(ListIniPath(), kWatchList);
    ProfileWrite(BaseIniPath(), baseini::kDataSour.section, baseini::kDataSour.name,
                 std::to_string(SourceOf(path)));
    const long baselineKb = PeakResidentKb();

    std::unique_ptr<TickerWindow> window;
    std::unique_ptr<MinuteChartSource> minutes;
    std::unique_ptr<FetchBridge> bridge;
    std::unique_ptr<FetchManager> suggestions;
    int suggestionsParsed = 0;
    QTimer drive;
    int tick = 0;
    const bool quotePath = path != "chart" && path != "minute" && path != "suggestion";
    if (quotePath || path == "chart") {
        window = std::make_unique<TickerWindow>(nullptr);
        window->show();
    }
    if (path == "minute")
        minutes = std::make_unique<MinuteChartSource>();
    if (path == "suggestion") {
        bridge = std::make_unique<FetchBridge>([&](const FetchReport& report) {
            if (report.status == kFetchFinished && ParseSuggestionReply(report.reply))
                ++suggestionsParsed;
        });
        suggestions = std::make_unique<FetchManager>(bridge.get());
    }

    const char* const symbols[] = {"sh600000", "sz000001", "sh600519", "sz000002", "sh601318", "sh600036"};
    QObject::connect(&drive, &QTimer::timeout, [&] {
        ++tick;
        if (quotePath && tick % 2 == 0)
            window->refreshQuotes(); // at most one request per 4 seconds gets through
        if (path == "chart" && tick % 4 == 0)
            window->Refresh().FireChartTimer();
        if (path == "minute" && tick % 2 == 0)
            minutes->Request(symbols[(tick / 2) % 6]); // a hover over the next stock
        if (path == "suggestion")
            suggestions->StartJob(BuildSuggestionJob(std::string("60") + std::to_string(tick % 10)));
    });
    drive.start(500);

    QElapsedTimer wall;
    wall.start();
    const double cpuAtStart = ThreadCpuSeconds();
    QTimer::singleShot(seconds * 1000, &app, [&] { QApplication::quit(); });
    QApplication::exec();
    const double busy = (ThreadCpuSeconds() - cpuAtStart) / (static_cast<double>(wall.elapsed()) / 1000.0);
    drive.stop();
    const long peakKb = PeakResidentKb();
    window.reset();
    minutes.reset();
    suggestions.reset();
    RestoreDefaultServices();
    ::close(servers.toChild);
    std::size_t counts[2] = {0, 0};
    (void)!::read(servers.fromChild, counts, sizeof counts);
    ::waitpid(servers.pid, nullptr, 0);
    // The requests show that the path was driven; a redirect must never reach the other server.
    std::printf("%-11s %-9s peak %6.1f MB (start %5.1f MB)  GUI thread busy %5.2f %%  requests %zu, "
                "followed elsewhere %zu\n",
                path.c_str(), kind.c_str(), peakKb / 1024.0, baselineKb / 1024.0, busy * 100.0, counts[0],
                counts[1]);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 5 && std::string(argv[1]) == "--one")
        return RunOne(argc, argv, argv[2], argv[3], std::atoi(argv[4]));
    const int seconds = argc >= 2 ? std::max(3, std::atoi(argv[1])) : 10;
    int failures = 0;
    for (const std::string& path : kPaths) {
        for (const std::string& kind : kKinds) {
            // A fresh process for each, so that each peak is its own.
            QProcess one;
            one.setProcessChannelMode(QProcess::ForwardedChannels);
            one.start(QString::fromLocal8Bit(argv[0]),
                      {QStringLiteral("--one"), QString::fromStdString(path), QString::fromStdString(kind),
                       QString::number(seconds)});
            if (!one.waitForFinished((seconds + 60) * 1000) || one.exitCode() != 0) {
                std::printf("%-11s %-9s did not finish\n", path.c_str(), kind.c_str());
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
