#pragma once
// A small web site on loopback for the web pane tests, and helpers to wait on a pane.

#include "support/Printers.h"
#include "ticker/WebPane.h"

#include <QString>
#include <QTest>
#include <QVariant>

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace marlune::test {

class TestSite {
public:
    TestSite() {
        m_server.Get("/page", [](const httplib::Request&, httplib::Response& res) {
            res.set_content("<html><head><title>page</title></head><body>quote page</body></html>",
                            "text/html; charset=utf-8");
        });
        m_server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("<html><body>no such page</body></html>", "text/html");
        });
        m_server.Get("/hang", [this](const httplib::Request&, httplib::Response& res) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_released.wait_for(lock, std::chrono::seconds(20), [this] { return m_release; });
            res.set_content("<html><body>late</body></html>", "text/html");
        });
        m_server.Get("/page-script", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(m_mutex);
            res.set_content("<html><head><script>" + m_pageScript +
                                "</script></head><body>script page</body></html>",
                            "text/html; charset=utf-8");
        });
        // One request per connection, and no long wait for connections the browser opens ahead
        // of need: stopping the site waits for every open connection.
        m_server.set_keep_alive_max_count(1);
        m_server.set_read_timeout(0, 200'000);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    ~TestSite() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_release = true;
        }
        m_released.notify_all();
        m_server.stop();
        m_thread.join();
    }

    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }

    // The script run by /page-script while its document loads. Set before a page asks for it.
    void setPageScript(std::string script) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pageScript = std::move(script);
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::string m_pageScript;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_release = false;
};

// A loopback port nobody listens on: connections to it are refused. (A port taken from the
// system and given back at once.)
inline int ClosedPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(probe);
    return port;
}

// Runs script in pane's page and waits for its result (empty on time-out).
inline QVariant Evaluate(WebPane& pane, const QString& script) {
    auto result = std::make_shared<std::optional<QVariant>>();
    pane.runJavaScript(script, [result](const QVariant& value) { *result = value; });
    if (!QTest::qWaitFor([&] { return result->has_value(); }, 10000))
        return QVariant();
    return result->value_or(QVariant());
}

constexpr int kPageWaitMs = 30000;

// Clicks as the user would, with the mouse, in the middle of the page's element the
// selector finds: the window system's click reaches the engine's input widget. False
// when there is no such element or widget.
inline bool UserClick(WebPane& pane, const QString& selector) {
    const QVariantList centre =
        Evaluate(pane, QStringLiteral("(function () { var r = document.querySelector('%1')"
                                      ".getBoundingClientRect(); return [r.left + r.width / 2,"
                                      " r.top + r.height / 2]; })()")
                           .arg(selector))
            .toList();
    if (centre.size() != 2)
        return false;
    for (QWidget* child : pane.findChildren<QWidget*>()) {
        if (QWidget* input = child->focusProxy()) {
            const QPoint at(centre[0].toInt(), centre[1].toInt());
            QTest::mouseMove(input, at);
            QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, at);
            return true;
        }
    }
    return false;
}

} // namespace marlune::test
