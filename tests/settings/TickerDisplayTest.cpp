// The stored display settings reaching the ticker window: columns left out narrow it, the
// header row and the total line can go, the refresh time leaves the total line, custom
// colours replace base.ini's, the font follows, and docking may keep the window in sight.
#include "ticker/TickerWindow.h"

#include "SettingsTestSupport.h"
#include "config/DisplaySettings.h"
#include "quote/QuoteTable.h"
#include "ticker/GridRefill.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerLayout.h"

#include <QLabel>

#include <memory>
#include <vector>

namespace marlune {
namespace {

std::string SinaStatement(const std::string& key, const std::string& name) {
    std::string value = name + ",3000.00,3000.00,3010.50,3050.00,2950.00,0,0,12345600,98765432100";
    for (int i = 0; i < 20; ++i)
        value += ",0";
    value += ",2024-05-06,10:30:00,00";
    return "var hq_str_" + key + "=\"" + value + "\";\n";
}

class TickerDisplayTest : public test::ProgramFolderTest {
protected:
    TickerWindow& make() {
        TickerWindow::JobsAndClocks jobsAndClocks;
        jobsAndClocks.startJob = [this](const QuoteFetchJob& job) { m_jobs.push_back(job); };
        jobsAndClocks.clock = [] { return 1'700'000'000u; };
        m_window = std::make_unique<TickerWindow>(nullptr, jobsAndClocks);
        return *m_window;
    }
    void refill() {
        FetchReport report;
        report.jobKind = kJobQuoteText;
        report.status = kFetchFinished;
        report.reply =
            Utf8ToGbk(SinaStatement("sh000001", "上证指数") + SinaStatement("sz399001", "深证成指"));
        m_window->HandleFetchStatus(report);
    }
    void TearDown() override {
        m_window.reset();
        test::ProgramFolderTest::TearDown();
    }

    std::unique_ptr<TickerWindow> m_window;
    std::vector<QuoteFetchJob> m_jobs;
};

TEST_F(TickerDisplayTest, ANewProgramFolderShowsEverything) {
    TickerWindow& w = make();
    EXPECT_EQ(w.WindowWidth(), TickerWidth());
    EXPECT_EQ(w.WindowHeight(), TickerHeight(2));
    EXPECT_EQ(w.Grid()->rowHeight(0), kQuoteGridRowHeight);
    refill();
    EXPECT_NE(w.Grid()->text(3, 0).indexOf(QStringLiteral("10:30:00")), -1);
}

TEST_F(TickerDisplayTest, StoredSettingsShapeTheWindowAndApplyWithoutRestart) {
    TickerWindow& w = make();
    DisplaySettings s;
    s.showCode = false;
    s.showPlRate = false;
    s.showHead = false;
    s.displayFresh = false;
    s.custColor = true;
    s.colorUp = Rgb{1, 2, 3};
    s.fontSize = 4;
    s.fontBold = true;
    s.autoHide = false;
    ASSERT_TRUE(WriteDisplaySettings(Path("scnf/SSTConf.xml"), s));
    w.applySettings();

    const int narrower = QuoteColumns()[kColCode].width + QuoteColumns()[kColPlRate].width;
    EXPECT_EQ(w.WindowWidth(), TickerWidth() - narrower);
    EXPECT_EQ(w.WindowHeight(), TickerHeight(2) - 21);
    EXPECT_EQ(w.LogicalGeometry().size(), QSize(w.WindowWidth(), w.WindowHeight()));
    EXPECT_EQ(w.Grid()->colWidth(kColCode), 0);
    EXPECT_EQ(w.Grid()->colWidth(kColPlRate), 0);
    EXPECT_GT(w.Grid()->colWidth(kColName), 0);
    EXPECT_EQ(w.Grid()->rowHeight(0), 0);
    EXPECT_EQ(w.StatusLine()->geometry().top(), StatusY(2) - 21);
    EXPECT_EQ(w.Grid()->font().pixelSize(), FontSizePixels(4));
    EXPECT_TRUE(w.Grid()->font().bold());
    EXPECT_EQ(w.Settings().colorUp, (Rgb{1, 2, 3}));

    refill();
    const QString total = w.Grid()->text(3, 0);
    EXPECT_NE(total.indexOf(QStringLiteral("总盈亏")), -1);
    EXPECT_EQ(total.indexOf(QStringLiteral("10:30:00")), -1);
    // Rising quotes in the custom colour.
    EXPECT_EQ(w.Grid()->cellForeColor(1, kColPrice), QColor(1, 2, 3));

    // The total line can go too, and everything comes back.
    s.showTotalLine = false;
    ASSERT_TRUE(WriteDisplaySettings(Path("scnf/SSTConf.xml"), s));
    w.applySettings();
    EXPECT_EQ(w.WindowHeight(), TickerHeight(2) - 42);
    EXPECT_EQ(w.Grid()->rowHeight(3), 0);
    ASSERT_TRUE(WriteDisplaySettings(Path("scnf/SSTConf.xml"), DisplaySettings{}));
    w.applySettings();
    EXPECT_EQ(w.WindowWidth(), TickerWidth());
    EXPECT_EQ(w.WindowHeight(), TickerHeight(2));
}

TEST_F(TickerDisplayTest, WithoutAutoHideADockedWindowStaysInSight) {
    DisplaySettings s;
    s.autoHide = false;
    ASSERT_TRUE(WriteDisplaySettings(Path("scnf/SSTConf.xml"), s));
    TickerWindow& w = make();
    EdgeDocking& docking = w.Docking();
    const int right = w.Area().workRight;
    docking.OnMove(DockRect{right - w.WindowWidth(), 200, right, 200 + w.WindowHeight()});
    ASSERT_EQ(docking.State(), kDockedRight);
    docking.OnMouseLeave(DockRect{right - w.WindowWidth(), 200, right, 200 + w.WindowHeight()});
    docking.OnHideCheckTimer();
    EXPECT_EQ(docking.State(), kDockedRight);
    EXPECT_FALSE(w.IsTimerActive(kTimerSlideRight));
}

} // namespace
} // namespace marlune
