// The spacing of the ticker window's quote refreshes at FreshSec=4 over a stretch of real
// time (default 2 minutes): every request's time on the steady clock, and the gaps between
// them. A period of N seconds is to give requests N seconds apart, none dropped.
//   build/bench/gui/bench_gui_refresh_spacing [seconds]
// Prints the number of requests, the smallest, mean and largest gap, and how many gaps were
// longer than 1.5 periods (a dropped tick). Not a test: the figures depend on the machine.
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "net/FetchJob.h"
#include "net/QuoteRequest.h"
#include "text/FileBytes.h"
#include "ticker/TickerWindow.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace marlune;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int seconds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 120;
    constexpr int kPeriodSeconds = 4;

    QTemporaryDir dir;
    SetProgramFolder(dir.path().toStdString());
    CreateFirstRunFiles();
    ProfileWrite(BaseIniPath(), "sys", "FreshSec", std::to_string(kPeriodSeconds));
    ProfileWrite(BaseIniPath(), "sys", "TradeHoursOnly", "0");
    ProfileWrite(BaseIniPath(), "sys", "AutoSource", "0");
    const auto reply = ReadFileBytes(std::string(MARLUNE_TEST_DATA_DIR) + "/quote/sina_20.txt");
    if (!reply) {
        std::fprintf(stderr, "missing tests/data/quote/sina_20.txt\n");
        return 1;
    }

    std::vector<std::int64_t> requests;
    std::unique_ptr<TickerWindow> window;
    TickerWindow::JobsAndClocks jobsAndClocks;
    // Each quote job is answered 30 ms later, as a loopback service would.
    jobsAndClocks.startJob = [&](const QuoteFetchJob& job) {
        if (job.jobKind != kJobQuoteText)
            return;
        requests.push_back(SteadyClockMs());
        FetchReport report;
        report.jobKind = job.jobKind;
        report.quoteSource = job.quoteSource;
        report.url = job.url;
        report.status = kFetchFinished;
        report.reply = *reply;
        QTimer::singleShot(30, &app, [&window, report] { window->HandleFetchStatus(report); });
    };
    window = std::make_unique<TickerWindow>(nullptr, jobsAndClocks);
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    app.exec();
    window.reset();

    if (requests.size() < 2) {
        std::fprintf(stderr, "fewer than two requests\n");
        return 1;
    }
    std::int64_t least = INT64_MAX, most = 0, dropped = 0;
    for (std::size_t i = 1; i < requests.size(); ++i) {
        const std::int64_t gap = requests[i] - requests[i - 1];
        least = std::min(least, gap);
        most = std::max(most, gap);
        dropped += gap > kPeriodSeconds * 1500 ? 1 : 0;
    }
    const double mean = double(requests.back() - requests.front()) / double(requests.size() - 1);
    std::printf("FreshSec=%d over %d s: %zu requests, gaps min %lld ms, mean %.1f ms, max %lld ms, "
                "%lld longer than 1.5 periods\n",
                kPeriodSeconds, seconds, requests.size(), static_cast<long long>(least), mean,
                static_cast<long long>(most), static_cast<long long>(dropped));
    return dropped == 0 ? 0 : 1;
}
