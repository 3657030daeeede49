// The ticker window on the offscreen platform: layout, transparency, commands, drag, lock flag,
// and its wiring to the refresh cycle (whose rules tests/cycle tests without a window).
#include "ticker/TickerWindow.h"
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "cycle/RefreshCycle.h"
#include "net/FetchJob.h"
#include "platform/WindowPlatform.h"
#include "quote/QuoteTable.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"
#include "ticker/ColorKeyPointerWatch.h"
#include "ticker/HoverButton.h"
#include "ticker/QuoteDetailPopup.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerMenu.h"
#include "ticker/TickerOwner.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace marlune {
namespace {

class FakeOwner final : public TickerOwner {
public:
    int GetWindowState() const override { return state; }
    void SetWindowState(int s) override { state = s; }
    void NoteWindowHidden() override { ++hiddenNotes; }
    void ExitRequested() override { ++exits; }
    void OnMenuCommand(int id) override { menuCommands.push_back(id); }
    void BringSettingsToFront() override { ++settingsFront; }

    int state = kWindowShown;
    int hiddenNotes = 0;
    int exits = 0;
    std::vector<int> menuCommands;
    int settingsFront = 0;
};

// One Sina statement with 33 fields after the key.
std::string SinaStatement(const std::string& key, const std::string& name, const char* prev,
                          const char* price) {
    std::string value = name + ",3000.00," + prev + "," + price + ",3050.00,2950.00,0,0,12345600,98765432100";
    for (int i = 0; i < 20; ++i)
        value += ",0";
    value += ",2024-05-06,10:30:00,00";
    return "var hq_str_" + key + "=\"" + value + "\";\n";
}

std::string IndexReply(const char* shanghaiPrice = "3010.50") {
    return Utf8ToGbk(SinaStatement("sh000001", "上证指数", "3000.00", shanghaiPrice) +
                     SinaStatement("sz399001", "深证成指", "3000.00", "2990.25"));
}

class TickerWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path().toStdString());
        ASSERT_TRUE(CreateFirstRunFiles());
        // The refresh rules below hold at any hour, from the selected service alone.
        SetSys("TradeHoursOnly", "0");
        SetSys("AutoSource", "0");
    }
    void TearDown() override {
        m_window.reset();
        SetProgramFolder("");
    }

    void SetSys(const char* key, const std::string& value) { ProfileWrite(BaseIniPath(), "sys", key, value); }
    void SetColor(const char* key, const std::string& value) {
        ProfileWrite(BaseIniPath(), "Color", key, value);
    }
    int ReadSys(const char* key) { return ProfileReadInt(BaseIniPath(), "sys", key); }
    void WriteList(int entries) {
        std::string bytes;
        for (int i = 0; i < entries; ++i) {
            char line[96];
            std::snprintf(line, sizeof line, "k%d|%06d|S%d|1|0|0|0|0|0\r\n", i, 600000 + i, i);
            bytes += line;
        }
        ASSERT_TRUE(WriteFileAtomically(ListIniPath(), bytes));
    }

    TickerWindow& Make() {
        TickerWindow::JobsAndClocks jobsAndClocks;
        jobsAndClocks.startJob = [this](const QuoteFetchJob& job) { jobs.push_back(job); };
        jobsAndClocks.clock = [this] { return clock; };
        m_window = std::make_unique<TickerWindow>(&owner, jobsAndClocks);
        return *m_window;
    }

    int JobsOfKind(int kind) const {
        return static_cast<int>(std::count_if(jobs.begin(), jobs.end(),
                                              [kind](const QuoteFetchJob& j) { return j.jobKind == kind; }));
    }

    // A report as the download layer sends it: a quote report names the service its job asked.
    FetchReport Report(int kind, int status, std::string reply = {}) {
        FetchReport report;
        for (auto it = jobs.rbegin(); it != jobs.rend() && kind != kJobSideDownload; ++it) {
            if (it->jobKind == kJobQuoteText || it->jobKind == kJobGoogleFile) {
                report.quoteSource = it->quoteSource;
                break;
            }
        }
        report.jobKind = kind;
        report.status = status;
        report.reply = std::move(reply);
        return report;
    }

    // The quote job under way ends (failed), so that the next request may start one.
    void EndQuoteJob(TickerWindow& w) { w.HandleFetchStatus(Report(kJobQuoteText, kFetchFailed)); }

    QTemporaryDir m_dir;
    std::unique_ptr<TickerWindow> m_window;
    FakeOwner owner;
    std::vector<QuoteFetchJob> jobs;
    std::uint32_t clock = 1'700'000'000;
};

TEST_F(TickerWindowTest, LaysItselfOutToThePixel) {
    TickerWindow& w = Make();
    const ScreenArea area = w.Area();
    EXPECT_EQ(w.WindowWidth(), 851);
    EXPECT_EQ(w.WindowHeight(), 21 * 2 + 86);
    EXPECT_EQ(w.LogicalGeometry().size(), QSize(851, 128));
    EXPECT_EQ(w.CaptionButton(kButtonClose)->geometry(), QRect(1, 1, 17, 17));
    EXPECT_EQ(w.CaptionButton(kButtonHide)->geometry(), QRect(18, 1, 17, 17));
    EXPECT_EQ(w.CaptionButton(kButtonSet)->geometry(), QRect(35, 1, 17, 17));
    EXPECT_EQ(w.CaptionButton(kButtonData)->geometry(), QRect(851 - 36, 1, 17, 17));
    EXPECT_EQ(w.CaptionButton(kButtonFresh)->geometry(), QRect(851 - 19, 1, 17, 17));
    EXPECT_EQ(w.CaptionButton(kButtonStrip)->geometry(), QRect(69, 0, 0, 0));
    EXPECT_EQ(w.Grid()->geometry(), QRect(5, 20, 841, 84));
    EXPECT_EQ(w.Grid()->rows(), 4);
    EXPECT_EQ(w.StatusLine()->geometry(), QRect(4, 104, 843, 20));
    EXPECT_EQ(w.StatusText().toStdString(), kStatusReadingQuotes);

    // Tool window without frame, kept on top (TopMost=1 on the first run).
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(w.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);

    // The five tips.
    EXPECT_EQ(w.CaptionButton(kButtonClose)->toolTip(), QStringLiteral("关闭"));
    EXPECT_EQ(w.CaptionButton(kButtonHide)->toolTip(), QStringLiteral("最小化"));
    EXPECT_EQ(w.CaptionButton(kButtonSet)->toolTip(), QStringLiteral("设置"));
    EXPECT_EQ(w.CaptionButton(kButtonData)->toolTip(), QStringLiteral("数据"));
    EXPECT_EQ(w.CaptionButton(kButtonFresh)->toolTip(), QStringLiteral("刷新"));

    // The first-run position (100, 400) puts the right edge past this small screen's
    // work area: the window goes to the lower right corner, and that is stored. The screen
    // is narrower than the window, whose left edge then stays on it.
    ASSERT_GE(100 + 851 + 10, area.workRight);
    const QPoint corner(std::max(0, area.workRight - 851 - 20), area.workBottom - 128 - 50);
    EXPECT_EQ(w.LogicalGeometry().topLeft(), corner);
    EXPECT_EQ(ReadSys("LastX"), corner.x());
    EXPECT_EQ(ReadSys("LastY"), corner.y());
}

TEST_F(TickerWindowTest, ShowsOnlyThePartOnTheScreen) {
    TickerWindow& w = Make();
    const QRect logical = w.LogicalGeometry();
    const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
    ASSERT_GT(logical.width(), screen.width()); // the offscreen screen is narrower than the window
    EXPECT_EQ(w.geometry(), logical.intersected(screen));
    // The content keeps its full size and its place on the screen.
    EXPECT_EQ(w.Grid()->parentWidget()->geometry(),
              QRect(logical.topLeft() - w.geometry().topLeft(), logical.size()));
}

TEST_F(TickerWindowTest, KeepsAUsableStoredPositionAndCorrectsOthers) {
    // A probe window tells the work area.
    const ScreenArea area = Make().Area();
    m_window.reset();

    // This screen is narrower than the window: whatever the stored x, the left edge stays on
    // the screen, and the corrected place is stored.
    const int usableX = area.workRight - 851 - 11;
    SetSys("LastX", std::to_string(usableX));
    SetSys("LastY", "4");
    TickerWindow& kept = Make();
    EXPECT_EQ(kept.LogicalGeometry().topLeft(), QPoint(std::max(0, usableX), 4));
    EXPECT_EQ(ReadSys("LastX"), std::max(0, usableX));
    EXPECT_EQ(ReadSys("LastY"), 4);
    m_window.reset();

    SetSys("LastY", "3"); // the top 3 pixels are off limits
    TickerWindow& movedUp = Make();
    EXPECT_EQ(movedUp.LogicalGeometry().topLeft(),
              QPoint(std::max(0, area.workRight - 851 - 20), area.workBottom - 128 - 50));
    EXPECT_EQ(ReadSys("LastY"), area.workBottom - 128 - 50);
    m_window.reset();

    SetSys("LastX", std::to_string(area.workRight - 851 - 10)); // right edge 10 pixels from the work area's
    SetSys("LastY", "300");
    TickerWindow& movedLeft = Make();
    EXPECT_EQ(movedLeft.LogicalGeometry().x(), std::max(0, area.workRight - 851 - 20));
}

TEST_F(TickerWindowTest, EmptyAndLongWatchListsLayOutAsSpecified) {
    WriteList(0);
    TickerWindow& empty = Make();
    EXPECT_EQ(empty.WindowHeight(), 86);
    EXPECT_EQ(empty.Grid()->rows(), 2);
    EXPECT_EQ(empty.Grid()->geometry(), QRect(5, 20, 841, 42));
    EXPECT_EQ(empty.StatusLine()->geometry(), QRect(4, 62, 843, 20));
    m_window.reset();

    WriteList(25);
    TickerWindow& full = Make();
    EXPECT_EQ(full.WindowHeight(), 21 * 25 + 86);
    EXPECT_EQ(full.Grid()->rows(), 27);
    EXPECT_EQ(full.Grid()->geometry(), QRect(5, 20, 841, 21 * 25 + 42));
    EXPECT_EQ(full.StatusLine()->geometry().y(), 21 * 25 + 62);
}

TEST_F(TickerWindowTest, MissingSettingsGiveZeroValuesWithoutACrash) {
    ASSERT_EQ(std::remove(BaseIniPath().c_str()), 0);
    TickerWindow& w = Make();
    const TickerSettings& s = w.Settings();
    EXPECT_EQ(s.freshSec, 0);
    EXPECT_EQ(s.dataSource, 0);
    EXPECT_EQ(s.colorBK, Rgb{});
    EXPECT_EQ(s.colorUp, Rgb{});
    // No automatic refresh, but the start-up request (handled as Sina).
    EXPECT_FALSE(w.Refresh().QuoteTimer().isActive());
    EXPECT_FALSE(w.Refresh().ChartTimer().isActive());
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].jobKind, kJobQuoteText);
    EXPECT_NE(jobs[0].url.find("list=sh000001,sz399001"), std::string::npos);
    // Not top-most: on this platform the window stays at desktop level.
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnBottomHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    // LastY 0 is off limits: placed in the corner and stored.
    EXPECT_EQ(ReadSys("LastY"), w.Area().workBottom - 128 - 50);
    EXPECT_EQ(w.StatusLine()->palette().color(QPalette::WindowText), QColor(Qt::black));

    // Non-numeric values read as 0 too.
    m_window.reset();
    SetSys("FreshSec", "abc");
    SetColor("ColorBK", "zz");
    TickerWindow& garbled = Make();
    EXPECT_EQ(garbled.Settings().freshSec, 0);
    EXPECT_FALSE(garbled.Refresh().QuoteTimer().isActive());
}

// Wiring: the refresh button, the menu's refresh and the refresh timers reach the cycle.
TEST_F(TickerWindowTest, ButtonsAndTimersDriveTheRefreshCycle) {
    SetSys("FreshSec", "1");
    TickerWindow& w = Make();
    EXPECT_EQ(jobs.size(), 1u);
    // A stored period under four seconds refreshes every four, on a precise timer.
    EXPECT_EQ(w.Settings().freshSec, 4);
    EXPECT_EQ(w.Refresh().QuoteTimerInterval(), 4000);
    EXPECT_EQ(w.Refresh().QuoteTimer().timerType(), Qt::PreciseTimer);
    EXPECT_EQ(w.Refresh().ChartTimerInterval(), 3000);
    w.StopRefresh();
    EXPECT_FALSE(w.Refresh().QuoteTimer().isActive());
    w.RestartRefresh();
    EXPECT_EQ(w.Refresh().QuoteTimerInterval(), 4000);
    // The refresh button and command 1127 request.
    clock += 5;
    EndQuoteJob(w);
    QTest::mouseClick(w.CaptionButton(kButtonFresh), Qt::LeftButton);
    EXPECT_EQ(JobsOfKind(kJobQuoteText), 2);
    clock += 5;
    EndQuoteJob(w);
    w.refreshQuotes();
    EXPECT_EQ(JobsOfKind(kJobQuoteText), 3);
    // The timers run out into the cycle: quotes, and the chart of each stock.
    clock += 5;
    EndQuoteJob(w);
    QTRY_COMPARE_WITH_TIMEOUT(JobsOfKind(kJobQuoteText), 4, 6000);
    QTRY_COMPARE_WITH_TIMEOUT(JobsOfKind(kJobSideDownload), 2, 6000);
}

TEST_F(TickerWindowTest, FinishedRepliesReachTheGridAndFailuresKeepIt) {
    TickerWindow& w = Make();
    QSignalSpy alerts(&w, &TickerWindow::alertsRaised);
    QSignalSpy refills(&w, &TickerWindow::quotesRefilled);
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    EXPECT_EQ(w.StatusText().toStdString(), kStatusQuotesShown);
    EXPECT_EQ(w.Grid()->text(1, 0), QStringLiteral("000001"));
    EXPECT_EQ(w.Grid()->text(1, 1), QStringLiteral("上证指数"));
    EXPECT_EQ(w.Grid()->text(1, 2), QStringLiteral("3010.50"));
    EXPECT_EQ(w.Grid()->text(2, 2), QStringLiteral("2990.25"));
    // Rising in ColorUp (red), falling in ColorDown (green).
    EXPECT_EQ(w.Grid()->effectiveForeColor(1, 2), QColor(255, 0, 0));
    EXPECT_EQ(w.Grid()->effectiveForeColor(2, 2), QColor(0, 0x99, 0));
    EXPECT_EQ(refills.count(), 1);
    EXPECT_EQ(alerts.count(), 0); // quotes of another day than the clock's raise no alert

    // A failed quote download shows the failure text and keeps the values.
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFailed));
    EXPECT_EQ(w.StatusText().toStdString(), kStatusFailed);
    EXPECT_EQ(w.Grid()->text(1, 2), QStringLiteral("3010.50"));
    EXPECT_EQ(refills.count(), 1);

    // A reply that holds no quotes (an empty one, a captive portal's page, garbage, NUL-laced
    // statements) is a failed refresh too: the failure text, the values kept, nothing to the
    // owner.
    std::string laced = IndexReply();
    for (std::size_t at = laced.find("=\""); at != std::string::npos; at = laced.find("=\"", at + 1))
        laced[at + 2] = '\0';
    for (const std::string& reply :
         {std::string("\n\n\n\n"), std::string(), std::string("<html><body>Please sign in</body></html>"),
          std::string("\x8f\xff\x00\x13\x80garbage", 12), laced}) {
        w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
        EXPECT_EQ(w.StatusText().toStdString(), kStatusQuotesShown);
        const int shown = refills.count();
        w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, reply));
        EXPECT_EQ(w.StatusText().toStdString(), kStatusFailed);
        EXPECT_EQ(w.Grid()->text(1, 2), QStringLiteral("3010.50"));
        EXPECT_EQ(w.Grid()->text(2, 3), QStringLiteral("-9.750"));
        EXPECT_EQ(refills.count(), shown);
    }

    // One NUL-laced statement costs its own row only; nothing of it reaches a cell.
    std::string oneLaced = Utf8ToGbk(SinaStatement("sh000001", "上证指数", "3000.00", "3011.00"));
    oneLaced[oneLaced.find("3011.00") + 1] = '\0';
    w.HandleFetchStatus(
        Report(kJobQuoteText, kFetchFinished,
               oneLaced + Utf8ToGbk(SinaStatement("sz399001", "深证成指", "3000.00", "2980.00"))));
    EXPECT_EQ(w.StatusText().toStdString(), kStatusQuotesShown);
    EXPECT_EQ(w.Grid()->text(1, 2), QString());
    EXPECT_EQ(w.Grid()->text(2, 2), QStringLiteral("2980.00"));
    for (int row = 1; row <= 2; ++row) {
        for (int col = 0; col < 15; ++col)
            EXPECT_FALSE(w.Grid()->text(row, col).contains(QChar(0))) << row << " " << col;
    }
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));

    // Chart downloads and progress reports change nothing on screen.
    const int shown = refills.count();
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFailed));
    w.HandleFetchStatus(Report(kJobSideDownload, kFetchFailed));
    w.HandleFetchStatus(Report(kJobSideDownload, kFetchFinished));
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchProgress));
    EXPECT_EQ(w.StatusText().toStdString(), kStatusFailed);
    EXPECT_EQ(refills.count(), shown);
}

TEST_F(TickerWindowTest, SettingsAppliedRereadsEverythingAndRestartsTheCycle) {
    SetSys("FreshSec", "0");
    TickerWindow& w = Make();
    ASSERT_FALSE(w.Refresh().QuoteTimer().isActive());
    const QPoint before = w.LogicalGeometry().topLeft();

    SetSys("FreshSec", "20");
    SetSys("DataSour", "2");
    SetColor("ColorBK", "ffffff");
    WriteList(3);
    clock += 5;
    EndQuoteJob(w);
    w.applySettings();
    EXPECT_EQ(w.Settings().freshSec, 20);
    EXPECT_EQ(w.Refresh().QuoteTimerInterval(), 20000);
    EXPECT_EQ(w.Refresh().ChartTimerInterval(), 3000);
    ASSERT_EQ(JobsOfKind(kJobQuoteText), 2);
    EXPECT_NE(jobs.back().url.find("0600000;0600001;0600002"), std::string::npos);
    // Three rows now: grid and window grow, the top-left corner stays.
    EXPECT_EQ(w.WindowHeight(), 21 * 3 + 86);
    EXPECT_EQ(w.LogicalGeometry().size(), QSize(851, 149));
    EXPECT_EQ(w.Grid()->rows(), 5);
    EXPECT_EQ(w.Grid()->height(), 21 * 3 + 42);
    EXPECT_EQ(w.StatusLine()->geometry().y(), 21 * 3 + 62);
    EXPECT_EQ(w.Grid()->text(3, 0), QStringLiteral("600002")); // shown before the quotes arrive
    EXPECT_EQ(w.Grid()->backColor(), QColor(255, 255, 255));
    EXPECT_EQ(w.LogicalGeometry().topLeft(), before);

    // Command 1125 only re-reads the values.
    SetColor("ColorTitle", "0000ff");
    w.rereadSettings();
    EXPECT_EQ(w.StatusLine()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(TickerWindowTest, AnEditedListKeepsItsQuotesAndAsksForTheRestAtOnce) {
    TickerWindow& w = Make();
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    ASSERT_EQ(w.Grid()->text(1, kColPrice), QStringLiteral("3010.50"));
    const int requests = JobsOfKind(kJobQuoteText);

    // The user gives the index a holding and adds a stock, one second after the last request.
    ASSERT_TRUE(WriteFileAtomically(ListIniPath(), Utf8ToGbk("k1|000001|上证指数|1|0|0|0|100|3000.00\r\n"
                                                             "k3|600519|贵州茅台|1|0|0|0|0|0\r\n")));
    SetSys("FreshSec", "0");
    clock += 1;
    w.applySettings();
    // Asked at once, not dropped by the four-second spacing of timer ticks.
    ASSERT_EQ(JobsOfKind(kJobQuoteText), requests + 1);
    EXPECT_NE(jobs.back().url.find("sh000001,sh600519"), std::string::npos);
    // The stock still listed shows its quote and its new profit; the total matches the rows.
    EXPECT_EQ(w.Grid()->text(1, kColPrice), QStringLiteral("3010.50"));
    EXPECT_EQ(w.Grid()->text(1, kColPlAmount), QStringLiteral("1050.00"));
    EXPECT_TRUE(w.Grid()->text(2, kColPrice).isEmpty());
    EXPECT_TRUE(w.Grid()->text(3, 0).startsWith(QStringLiteral("总盈亏:1050.00")));

    // Removing the holding again takes the profit out of the total line too. The request for
    // the previous list is still running: the new one follows the moment it ends.
    ASSERT_TRUE(WriteFileAtomically(ListIniPath(), Utf8ToGbk("k1|000001|上证指数|1|0|0|0|0|0\r\n")));
    w.applySettings();
    EXPECT_TRUE(w.Grid()->text(2, 0).startsWith(QStringLiteral("总盈亏:0.00")));
    EXPECT_EQ(JobsOfKind(kJobQuoteText), requests + 1);
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFailed));
    ASSERT_EQ(JobsOfKind(kJobQuoteText), requests + 2);
    EXPECT_EQ(jobs.back().url.find("sh600519"), std::string::npos);
}

TEST_F(TickerWindowTest, TheDetailPopupShowsRisesAndFallsInTheGridsColours) {
    SetColor("ColorUp", "ff0000");   // blue, as the user chose it
    SetColor("ColorDown", "00ffff"); // yellow
    TickerWindow& w = Make();
    const std::string summary = "600000,浦发银行,1,0,0.00,0.00,0,0.00";
    const std::string rising =
        "10.50,9.80,10.60,10.00,10.00,12345,678.90,+5.00%,+0.50,,8.00%,0.00%,0.00,2024-05-06";
    ASSERT_TRUE(w.DetailPopup()->Fill(summary, rising, ""));
    EXPECT_EQ(w.DetailPopup()->grid().effectiveForeColor(0, 5), QColor(0, 0, 255));
    std::string falling = rising;
    falling.replace(falling.find("+0.50"), 5, "-0.50");
    ASSERT_TRUE(w.DetailPopup()->Fill(summary, falling, ""));
    EXPECT_EQ(w.DetailPopup()->grid().effectiveForeColor(0, 5), QColor(255, 255, 0));
}

TEST_F(TickerWindowTest, ReplaceRestoreAndTopMost) {
    TickerWindow& w = Make();
    const ScreenArea area = w.Area();
    w.move(3, 300);
    w.rePlace();
    EXPECT_TRUE(w.isVisible());
    // Wider than this screen, so never all on it: to the lower right corner, its left edge on
    // the screen.
    EXPECT_EQ(w.LogicalGeometry().topLeft(),
              QPoint(std::max(0, area.workRight - 851 - 20), area.workBottom - 128 - 20));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);

    // TopMost switched off: the platform's not-top-most level.
    w.SetTopMost(0);
    w.rePlace();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(platform::CurrentWindowLevel(&w), platform::WindowLevel::Desktop);

    // Restore: back to the stored position, shown.
    w.hide();
    w.move(20, 20);
    w.restorePlace();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.LogicalGeometry().topLeft(), QPoint(w.Settings().lastX, w.Settings().lastY));
    EXPECT_FALSE(platform::HasColorKey(&w));
}

TEST_F(TickerWindowTest, TransparencyCommandsSwitchTheColourKey) {
    TickerWindow& w = Make();
    w.show();
    w.setTransparentBackground(true);
    EXPECT_EQ(w.Settings().transBK, 1);
    EXPECT_TRUE(platform::HasColorKey(&w));
    EXPECT_TRUE(w.isVisible());
    // Caption buttons vanish with the header: filled with ColorBK.
    const QImage button = w.CaptionButton(kButtonClose)->grab().toImage();
    EXPECT_EQ(QColor(button.pixel(8, 8)), QColor(0xff, 0xff, 0xe6));
    // The window keeps only what is not painted in ColorBK.
    EXPECT_FALSE(w.mask().isEmpty());
    EXPECT_FALSE(w.mask().contains(QPoint(1, 1)));
    EXPECT_FALSE(w.mask().contains(QPoint(5 + 841 - 2, 20 + 84 - 1)));   // empty grid area
    EXPECT_FALSE(w.mask().intersected(QRect(5, 20, 841, 20)).isEmpty()); // the header texts
    EXPECT_TRUE(w.CaptionButton(kButtonClose)->toolTip().isEmpty());

    w.setTransparentBackground(false);
    EXPECT_EQ(w.Settings().transBK, 0);
    EXPECT_FALSE(platform::HasColorKey(&w));
    EXPECT_TRUE(w.mask().isEmpty());
    EXPECT_EQ(w.CaptionButton(kButtonClose)->toolTip(), QStringLiteral("关闭"));
}

// In transparent mode the mask, rebuilt after the quotes came in, keeps every pixel the
// window paints in any colour but the key (texts with their anti-aliased edges, cell
// lines, the status line) and cuts every pixel in the key colour.
TEST_F(TickerWindowTest, TheColourKeyMaskKeepsEveryPixelThatIsNotTheKey) {
    SetSys("TransBK", "1");
    SetSys("ShowTitle", "1");
    TickerWindow& w = Make();
    w.show();
    ASSERT_TRUE(platform::HasColorKey(&w));
    // Quotes arrive after the first mask was made: their texts must not be cut by it.
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    const QColor key = QColor(w.Settings().colorBK.r, w.Settings().colorBK.g, w.Settings().colorBK.b);

    QImage shown(w.size(), QImage::Format_RGB32);
    shown.fill(key);
    w.render(&shown, QPoint(), QRegion(),
             QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
    const QRegion mask = w.mask();
    int kept = 0, softEdges = 0, cutWrongly = 0, keptWrongly = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb pixel = shown.pixel(x, y) & RGB_MASK;
            const bool inMask = mask.contains(QPoint(x, y));
            if (pixel == (key.rgb() & RGB_MASK)) {
                keptWrongly += inMask ? 1 : 0;
                continue;
            }
            ++kept;
            cutWrongly += inMask ? 0 : 1;
            // A pixel close to the key but not it: an anti-aliased edge of a text.
            const QColor c(pixel);
            if (std::abs(c.red() - key.red()) + std::abs(c.green() - key.green()) +
                    std::abs(c.blue() - key.blue()) <
                96)
                ++softEdges;
        }
    }
    EXPECT_EQ(cutWrongly, 0);
    EXPECT_EQ(keptWrongly, 0);
    EXPECT_GT(kept, 500);    // texts, figures and lines are there to be kept
    EXPECT_GT(softEdges, 0); // and some of them are soft edges
    // The quote texts of the first row stay: the price cell holds pixels in the mask.
    EXPECT_FALSE(mask.intersected(QRect(5, 40, 841, 20)).isEmpty());
}

// What an alpha window gives the window system: the window's whole content (the part on
// the screen may be less) painted over transparent pixels, nothing cut.
QImage RenderWithAlpha(TickerWindow& window) {
    QWidget& content = *window.Grid()->parentWidget();
    QImage image(content.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::transparent);
    content.render(&image, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::IgnoreMask);
    return image;
}

// The window's mask in the coordinates of its whole content.
QRegion ContentMask(TickerWindow& window) {
    return window.mask().translated(-window.Grid()->parentWidget()->pos());
}

// Pixels of an area that are (nearly) opaque and pass a test of their colour.
template <typename Test> int OpaquePixels(const QImage& image, const QRect& area, Test test) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += qAlpha(pixel) >= 224 && test(QColor(pixel)) ? 1 : 0;
        }
    return count;
}

// Pixels of the window on the screen that its mask keeps although they are fully
// transparent, or cuts although they are not.
int MaskedWrongly(TickerWindow& window, const QImage& content) {
    const QRegion mask = ContentMask(window);
    const QRect shown = window.rect().translated(-window.Grid()->parentWidget()->pos());
    int wrong = 0;
    for (int y = shown.top(); y <= shown.bottom(); ++y)
        for (int x = shown.left(); x <= shown.right(); ++x)
            wrong += mask.contains(QPoint(x, y)) != (qAlpha(content.pixel(x, y)) != 0) ? 1 : 0;
    return wrong;
}

int TransparentPixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += qAlpha(image.pixel(x, y)) == 0 ? 1 : 0;
    return count;
}

// Where a compositor blends windows, the window has an alpha channel. Opaque, every pixel
// of it is opaque; transparent, only the background is (fully) transparent while texts,
// cell lines and the status line stay opaque, and the mask cuts only the transparent
// pixels (so clicks there reach what lies below). When the compositor
// stops, the alpha would show black: the window falls back to the mask with the key
// painted in, and goes back to alpha when a compositor runs again.
TEST_F(TickerWindowTest, TransparentModeUsesTheCompositorsAlphaWhileOneRuns) {
    bool compositor = true;
    platform::SetCompositorProbe([&compositor] { return compositor; });
    struct ProbeReset {
        ~ProbeReset() { platform::SetCompositorProbe({}); }
    } probeReset;
    TickerWindow& w = Make();
    w.show();
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    ASSERT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    const QRect all(0, 0, w.WindowWidth(), w.WindowHeight());
    EXPECT_EQ(TransparentPixels(RenderWithAlpha(w), all), 0);
    EXPECT_EQ(OpaquePixels(RenderWithAlpha(w), all, [](QColor) { return true; }), all.width() * all.height());

    w.setTransparentBackground(true);
    ASSERT_TRUE(platform::ColorKeyUsesAlpha(&w));
    const QColor key(w.Settings().colorBK.r, w.Settings().colorBK.g, w.Settings().colorBK.b);
    const QImage shown = RenderWithAlpha(w);
    const QRect header(5, 20, 841, 20); // its bottom line is the cell line below it
    const QRect firstRow(5, 40, 841, 20);
    const QRect status = w.StatusLine()->geometry();
    // The background: the window's corner, the caption buttons, the empty end of the
    // status line.
    EXPECT_EQ(qAlpha(shown.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(w.CaptionButton(kButtonClose)->geometry().center())), 0);
    EXPECT_EQ(qAlpha(shown.pixel(status.right() - 2, status.center().y())), 0);
    EXPECT_GT(TransparentPixels(shown, all), all.width() * all.height() / 2);
    // Nothing is painted in the key: it would stay as an opaque pale fill.
    EXPECT_EQ(OpaquePixels(shown, all, [&key](QColor c) { return c.rgb() == key.rgb(); }), 0);
    // Header texts in the title colour (black), the rising figures in red, the cell lines and
    // the status text: all opaque.
    const auto dark = [](QColor c) { return c.red() < 80 && c.green() < 80 && c.blue() < 80; };
    EXPECT_GT(OpaquePixels(shown, header, dark), 100);
    EXPECT_GT(OpaquePixels(shown, firstRow, [](QColor c) { return c.red() > 200 && c.green() < 80; }), 50);
    EXPECT_EQ(shown.pixel(30, header.bottom()), qRgba(0xc0, 0xc0, 0xc0, 0xff));
    EXPECT_GT(OpaquePixels(shown, status, dark), 50);
    EXPECT_EQ(MaskedWrongly(w, shown), 0);
    EXPECT_FALSE(ContentMask(w).contains(QPoint(status.right() - 2, status.center().y())));

    // The compositor stops: the key fills the background again and the mask cuts it.
    compositor = false;
    w.FireTimer(kTimerCompositor);
    EXPECT_FALSE(platform::ColorKeyUsesAlpha(&w));
    EXPECT_TRUE(w.IsTimerActive(kTimerCompositor));
    const QImage masked = RenderWithAlpha(w);
    EXPECT_EQ(TransparentPixels(masked, all), 0);
    EXPECT_EQ(QColor(masked.pixel(1, 1)), key);
    EXPECT_FALSE(ContentMask(w).contains(QPoint(status.right() - 2, status.center().y())));
    EXPECT_FALSE(ContentMask(w).intersected(header).isEmpty());
    EXPECT_FALSE(ContentMask(w).intersected(firstRow).isEmpty());

    // It runs again: alpha, and a mask that keeps every pixel not fully transparent.
    compositor = true;
    w.FireTimer(kTimerCompositor);
    EXPECT_TRUE(platform::ColorKeyUsesAlpha(&w));
    const QImage again = RenderWithAlpha(w);
    EXPECT_EQ(qAlpha(again.pixel(1, 1)), 0);
    EXPECT_EQ(MaskedWrongly(w, again), 0);
}

// The first-run list has the index's alert on with an upper limit of 3.00.
TEST_F(TickerWindowTest, TheFirstRunAlertShowsOnceAcrossRestartsAndAgainAfterAnEdit) {
    // The alert texts the window raises while a reply is handled.
    auto alertsOf = [this](const std::string& reply) {
        QSignalSpy raised(m_window.get(), &TickerWindow::alertsRaised);
        m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, reply));
        std::string texts;
        for (const QList<QVariant>& arguments : raised)
            texts += arguments.at(0).toString().toStdString();
        return texts;
    };
    const std::string alert = "上证指数(000001) 现价3010.50，已涨到预警上限3.00\n";
    // Quotes of another day than the clock's raise no alert; on their day (2024-05-06 10:30
    // Beijing time) they do.
    Make();
    EXPECT_EQ(alertsOf(IndexReply()), "");
    clock = 1'714'962'600;
    EXPECT_EQ(alertsOf(IndexReply()), alert);
    EXPECT_EQ(alertsOf(IndexReply()), "");

    // Started again: the alert has been shown, and the first-run file keeps its bytes.
    const std::string listBytes = ReadFileBytes(ListIniPath()).value_or("");
    m_window.reset();
    Make();
    EXPECT_EQ(alertsOf(IndexReply()), "");
    EXPECT_EQ(ReadFileBytes(ListIniPath()).value_or(""), listBytes);

    // Settings applied with the list unchanged: still nothing; with a new limit: armed again.
    m_window->applySettings();
    EXPECT_EQ(alertsOf(IndexReply()), "");
    ASSERT_TRUE(WriteFileAtomically(ListIniPath(),
                                    Utf8ToGbk("dac000001|000001|上证指数|1|1|3000.00|2.00|5|1.00\r\n")));
    m_window->applySettings();
    EXPECT_EQ(alertsOf(IndexReply()), "上证指数(000001) 现价3010.50，已涨到预警上限3000.00\n");
}

TEST_F(TickerWindowTest, RateConditionsComeFromTheExtrasFile) {
    ASSERT_TRUE(WriteFileAtomically(AlertStatePath(), "000001|1|2.00|3.00|5\r\n")); // the band: shown before
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|0.30|0.00\r\n"));
    // During the call auction of the quotes' day (09:20 Beijing time) nothing is raised.
    clock = 1'714'958'400;
    Make();
    QSignalSpy raised(m_window.get(), &TickerWindow::alertsRaised);
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    EXPECT_EQ(raised.count(), 0);
    clock = 1'714'962'600; // 10:30
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    ASSERT_EQ(raised.count(), 1);
    EXPECT_EQ(raised.at(0).at(0).toString().toStdString(), "上证指数(000001) 现价3010.50，涨幅已达+0.30%\n");
    EXPECT_EQ(ReadFileBytes(AlertStatePath()).value_or(""),
              "000001|1|2.00|3.00|5\r\n000001|1|rate|+0.30\r\n");
}

// The row of a fired alert keeps its mark while any of its conditions holds: the band's
// upper limit, then the change rate alone, then neither; a restart shows the remembered one.
TEST_F(TickerWindowTest, ARowWhoseAlertHoldsIsMarkedUntilBackInside) {
    ASSERT_TRUE(WriteFileAtomically(ListIniPath(), Utf8ToGbk("k1|000001|上证指数|1|1|3008.00|2900.00|0|0\r\n"
                                                             "k2|399001|深证成指|2|0|0|0|0|0\r\n")));
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|0.20|0.00\r\n"));
    clock = 1'714'962'600; // 2024-05-06 10:30 Beijing time, the quotes' day
    Make();
    const auto marked = [this](int row) {
        return m_window->Grid()->cellBackColor(row, kColCode) == AlertMarkColor();
    };
    EXPECT_FALSE(marked(1));
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply("3010.50")));
    EXPECT_TRUE(marked(1)); // over 3008.00, and +0.35 %
    EXPECT_FALSE(marked(2));
    EXPECT_FALSE(m_window->Grid()->cellBackColor(1, kColName).isValid()); // the code cell alone
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply("3007.00")));
    EXPECT_TRUE(marked(1)); // inside the band, but still +0.23 %
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply("3003.00")));
    EXPECT_FALSE(marked(1)); // +0.10 %: nothing holds
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply("3010.50")));
    EXPECT_TRUE(marked(1));

    // Started again: the remembered alert is not shown again, but its row is marked.
    m_window.reset();
    Make();
    QSignalSpy raised(m_window.get(), &TickerWindow::alertsRaised);
    m_window->HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply("3010.50")));
    EXPECT_EQ(raised.count(), 0);
    EXPECT_TRUE(marked(1));
}

// Without a compositor the see-through window is a shape; while the pointer is anywhere over
// its rectangle it takes the mouse there too (no mask), and it is see-through again after.
TEST_F(TickerWindowTest, TheShapedWindowTakesTheMouseWhileThePointerIsOverIt) {
    SetSys("TransBK", "1");
    TickerWindow& w = Make();
    QPoint pointer(-500, -500);
    w.PointerWatch().SetPointerPosition([&pointer] { return pointer; });
    w.show();
    ASSERT_TRUE(platform::HasColorKey(&w));
    ASSERT_FALSE(platform::ColorKeyUsesAlpha(&w));
    EXPECT_TRUE(w.PointerWatch().IsOn());
    w.PointerWatch().Look();
    EXPECT_FALSE(w.mask().isEmpty());
    EXPECT_FALSE(w.mask().contains(QPoint(1, 1)));

    // Over the see-through corner: the whole window takes the mouse, quotes arriving or not.
    pointer = w.geometry().topLeft() + QPoint(1, 1);
    w.PointerWatch().Look();
    EXPECT_TRUE(platform::ColorKeyLifted(&w));
    EXPECT_TRUE(w.mask().isEmpty());
    w.HandleFetchStatus(Report(kJobQuoteText, kFetchFinished, IndexReply()));
    EXPECT_TRUE(w.mask().isEmpty());

    // Away again: the shape is back, made from what the window shows now.
    pointer = w.geometry().bottomRight() + QPoint(5, 5);
    w.PointerWatch().Look();
    EXPECT_FALSE(platform::ColorKeyLifted(&w));
    EXPECT_FALSE(w.mask().contains(QPoint(1, 1)));
    EXPECT_FALSE(w.mask().intersected(QRect(5, 40, 841, 20)).isEmpty()); // the quotes' texts

    // Opaque again: nothing to watch, no mask.
    pointer = w.geometry().topLeft() + QPoint(1, 1);
    w.setTransparentBackground(false);
    EXPECT_FALSE(w.PointerWatch().IsOn());
    w.PointerWatch().Look();
    EXPECT_TRUE(w.mask().isEmpty());
    EXPECT_FALSE(platform::ColorKeyLifted(&w));
}

// Switched on the display page: 确定 applies base.ini's TransBK to the running window.
TEST_F(TickerWindowTest, AppliedSettingsSwitchTheTransparentBackground) {
    TickerWindow& w = Make();
    w.show();
    EXPECT_FALSE(platform::HasColorKey(&w));
    SetSys("TransBK", "1");
    w.applySettings();
    EXPECT_EQ(w.Settings().transBK, 1);
    EXPECT_TRUE(platform::HasColorKey(&w));
    EXPECT_FALSE(w.mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(w.PointerWatch().IsOn());
    SetSys("TransBK", "0");
    w.applySettings();
    EXPECT_FALSE(platform::HasColorKey(&w));
    EXPECT_TRUE(w.mask().isEmpty());
    EXPECT_FALSE(w.PointerWatch().IsOn());
}

TEST_F(TickerWindowTest, HeaderHoverOnlyInTransparentModeWithShowTitle) {
    SetSys("TransBK", "1");
    SetSys("ShowTitle", "1");
    TickerWindow& w = Make();
    EXPECT_TRUE(platform::HasColorKey(&w));
    w.hoverHeader(true);
    EXPECT_EQ(w.HeaderHover(), 1);
    w.hoverHeader(false);
    EXPECT_EQ(w.HeaderHover(), 0);
    m_window.reset();

    SetSys("ShowTitle", "0");
    TickerWindow& hidden = Make();
    hidden.hoverHeader(true);
    EXPECT_EQ(hidden.HeaderHover(), 0);
}

TEST_F(TickerWindowTest, LockedButtonsOnlyBringTheSettingsForward) {
    TickerWindow& w = Make();
    w.show();
    w.SetLocked(true);
    for (int id : {kButtonClose, kButtonHide, kButtonSet, kButtonData})
        QTest::mouseClick(w.CaptionButton(id), Qt::LeftButton);
    EXPECT_EQ(owner.settingsFront, 4);
    EXPECT_EQ(owner.exits, 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Menu()->isVisible());
    clock += 5;
    EndQuoteJob(w);
    QTest::mouseClick(w.CaptionButton(kButtonFresh), Qt::LeftButton);
    EXPECT_EQ(JobsOfKind(kJobQuoteText), 2);

    w.SetLocked(false);
    QTest::mouseClick(w.CaptionButton(kButtonClose), Qt::LeftButton);
    EXPECT_EQ(owner.exits, 1);
    w.StopRefresh();
    QTest::mouseClick(w.CaptionButton(kButtonSet), Qt::LeftButton);
    EXPECT_TRUE(w.Menu()->isVisible());
    EXPECT_EQ(w.Refresh().QuoteTimerInterval(), 10000);
    w.Menu()->hide();
    QTest::mouseClick(w.CaptionButton(kButtonHide), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(owner.state, kWindowHidden);
    EXPECT_EQ(owner.hiddenNotes, 1);
}

TEST_F(TickerWindowTest, MenuCommandsGoToTheOwner) {
    TickerWindow& w = Make();
    owner.state = kWindowShown;
    w.ShowPopupMenu(QPoint(10, 10));
    ASSERT_TRUE(w.Menu()->isVisible());
    EXPECT_EQ(w.Menu()->ActionFor(kMenuShowHide)->text(), QStringLiteral("隐藏窗口(最小化)"));
    EXPECT_TRUE(w.Menu()->ActionFor(kMenuTopMost)->isChecked());
    w.Menu()->ActionFor(kMenuRefresh)->trigger();
    w.Menu()->ActionFor(kMenuExit)->trigger();
    EXPECT_EQ(owner.menuCommands, (std::vector<int>{kMenuRefresh, kMenuExit}));
}

TEST_F(TickerWindowTest, EnterAndEscapeHideTheWindowInsteadOfDestroyingIt) {
    TickerWindow& w = Make();
    w.show();
    QTest::keyClick(&w, Qt::Key_Return);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(owner.state, kWindowHidden);
    owner.state = kWindowShown;
    w.restorePlace();
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.DetailPopup()->isVisible());
    EXPECT_EQ(owner.state, kWindowHidden);
}

TEST_F(TickerWindowTest, LockedWindowCannotBeDragged) {
    TickerWindow& w = Make();
    w.show();
    const QPoint start = w.LogicalGeometry().topLeft();
    w.SetLocked(true);
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(200, 10));
    QTest::mouseMove(&w, QPoint(260, 60));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(260, 60));
    EXPECT_EQ(w.LogicalGeometry().topLeft(), start);
    // Unlocked, the body drags the window.
    w.SetLocked(false);
    QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(200, 10));
    QTest::mouseMove(&w, QPoint(210, 30));
    QTest::mouseRelease(&w, Qt::LeftButton, {}, QPoint(210, 30));
    EXPECT_NE(w.LogicalGeometry().topLeft(), start);
}

} // namespace
} // namespace marlune
