// The cost of one refresh of the ticker window for 20 stocks: the reply handed over by
// the download job, parsed, derived values, grid refill, and the grid painted.
//   build/bench/gui/bench_gui_refresh_paint
#include "config/FirstRun.h"
#include "config/ProgramFolder.h"
#include "net/FetchJob.h"
#include "text/FileBytes.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerWindow.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace marlune;

const char kWatchList[] = "k1|000001|A|1|0|0|0|0|0\r\n"
                          "k2|399001|B|2|0|0|0|0|0\r\n"
                          "k3|600000|C|1|0|0|0|1000|9.50\r\n"
                          "k4|000001|D|2|0|0|0|0|0\r\n"
                          "k5|000002|E|2|0|0|0|0|0\r\n"
                          "k6|600519|F|1|1|2000|1000|100|1500\r\n"
                          "k7|601318|G|1|0|0|0|0|0\r\n"
                          "k8|600036|H|1|0|0|0|0|0\r\n"
                          "k9|000858|I|2|0|0|0|200|150\r\n"
                          "k10|000651|J|2|0|0|0|0|0\r\n"
                          "k11|000333|K|2|0|0|0|0|0\r\n"
                          "k12|600028|L|1|0|0|0|0|0\r\n"
                          "k13|601398|M|1|0|0|0|0|0\r\n"
                          "k14|600030|N|1|0|0|0|0|0\r\n"
                          "k15|300750|O|2|0|0|0|0|0\r\n"
                          "k16|002594|P|2|0|0|0|0|0\r\n"
                          "k17|002415|Q|2|0|0|0|0|0\r\n"
                          "k18|600887|R|1|0|0|0|0|0\r\n"
                          "k19|600900|S|1|0|0|0|0|0\r\n"
                          "k20|600276|T|1|0|0|0|0|0\r\n";

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<TickerWindow> window;
    FetchReport report;
    FetchReport nextReport; // the same stocks a few ticks later: most cells change

    Fixture() {
        SetProgramFolder(dir.path().toStdString());
        CreateFirstRunFiles();
        WriteFileAtomically(ListIniPath(), kWatchList);
        const auto reply = ReadFileBytes(std::string(MARLUNE_TEST_DATA_DIR) + "/quote/sina_20.txt");
        if (!reply) {
            std::fprintf(stderr, "missing tests/data/quote/sina_20.txt\n");
            std::exit(1);
        }
        report.jobKind = kJobQuoteText;
        report.status = kFetchFinished;
        report.reply = *reply;
        nextReport = report;
        // Every price one cent higher: each refresh alternates between the two.
        std::string& next = nextReport.reply;
        for (std::size_t i = 0; i < next.size(); ++i) {
            if (next[i] == '.' && i + 2 < next.size() && next[i + 2] >= '0' && next[i + 2] <= '8' &&
                next[i + 1] >= '0' && next[i + 1] <= '9')
                ++next[i + 2];
        }
        TickerWindow::JobsAndClocks jobsAndClocks;
        jobsAndClocks.startJob = [](const QuoteFetchJob&) {};
        window = std::make_unique<TickerWindow>(nullptr, jobsAndClocks);
        window->show();
        QApplication::processEvents();
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

// Everything a refresh does on the GUI thread, up to the pixels on the screen: the
// report handed over, parse, derived values, refill, and the paint the event loop does.
void BM_RefreshTwentyRows(benchmark::State& state) {
    Fixture& f = TheFixture();
    bool next = false;
    for (auto _ : state) {
        f.window->HandleFetchStatus(next ? f.nextReport : f.report);
        QApplication::sendPostedEvents();
        QApplication::processEvents();
        next = !next;
    }
    if (f.window->Grid()->text(20, 0) != QStringLiteral("600276"))
        state.SkipWithError("the grid was not filled");
}
BENCHMARK(BM_RefreshTwentyRows)->Unit(benchmark::kMicrosecond);

// The same without the paint.
void BM_RefreshWithoutPaint(benchmark::State& state) {
    Fixture& f = TheFixture();
    bool next = false;
    for (auto _ : state) {
        f.window->HandleFetchStatus(next ? f.nextReport : f.report);
        next = !next;
    }
    QApplication::processEvents();
}
BENCHMARK(BM_RefreshWithoutPaint)->Unit(benchmark::kMicrosecond);

// The whole grid painted alone, for comparison.
void BM_PaintGridOnly(benchmark::State& state) {
    Fixture& f = TheFixture();
    f.window->HandleFetchStatus(f.report);
    for (auto _ : state) {
        f.window->Grid()->update();
        f.window->Grid()->repaint();
    }
}
BENCHMARK(BM_PaintGridOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TheFixture().window.reset();
    return 0;
}
