// The ticker window's stealth look on the offscreen platform: the plain mode (one text colour,
// no underlines, the total and the status line alike, switched from the menu) and the alias
// shown for a stock's name in the grid, the detail popup and its alerts.
#include "config/FirstRun.h"
#include "config/Profile.h"
#include "config/ProgramFolder.h"
#include "config/StealthSettings.h"
#include "quote/QuoteTable.h"
#include "text/FileBytes.h"
#include "text/Gbk.h"
#include "ticker/QuoteDetailPopup.h"
#include "ticker/QuoteGrid.h"
#include "ticker/TickerMenu.h"
#include "ticker/TickerOwner.h"
#include "ticker/TickerWindow.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace marlune {
namespace {

class QuietOwner final : public TickerOwner {
public:
    int GetWindowState() const override { return kWindowShown; }
    void SetWindowState(int) override {}
    void NoteWindowHidden() override {}
    void ExitRequested() override {}
    void OnMenuCommand(int) override {}
    void BringSettingsToFront() override {}
};

std::string Statement(const std::string& key, const std::string& name, const char* price) {
    std::string value =
        name + ",3000.00,3000.00," + std::string(price) + ",3050.00,2950.00,0,0,12345600,98765432100";
    for (int i = 0; i < 20; ++i)
        value += ",0";
    return "var hq_str_" + key + "=\"" + value + ",2024-05-06,10:30:00,00\";\n";
}

class StealthDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        SetProgramFolder(m_dir.path().toStdString());
        ASSERT_TRUE(CreateFirstRunFiles());
        ProfileWrite(BaseIniPath(), "sys", "TradeHoursOnly", "0");
    }
    void TearDown() override {
        m_window.reset();
        SetProgramFolder("");
    }

    TickerWindow& Make() {
        TickerWindow::JobsAndClocks services;
        services.startJob = [](const QuoteFetchJob&) {};
        services.clock = [] { return 1'714'962'600; }; // 2024-05-06 10:30 Beijing time, the quotes' day
        m_window = std::make_unique<TickerWindow>(&m_owner, services);
        return *m_window;
    }
    void Answer() {
        FetchReport report;
        report.jobKind = kJobQuoteText;
        report.quoteSource = 1;
        report.status = kFetchFinished;
        report.reply = Utf8ToGbk(Statement("sh000001", "上证指数", "3010.50") +
                                 Statement("sz399001", "深证成指", "2990.25"));
        m_window->HandleFetchStatus(report);
    }

    QTemporaryDir m_dir;
    QuietOwner m_owner;
    std::unique_ptr<TickerWindow> m_window;
};

TEST_F(StealthDisplayTest, PlainModeDrawsEveryTextInOneColourWithoutUnderlines) {
    StealthSettings stealth;
    stealth.plainMode = true;
    stealth.plainColor = Rgb{0x55, 0x66, 0x77};
    ASSERT_TRUE(WriteStealthSettings(XmlSettingsPath(), stealth));
    const QColor plain(0x55, 0x66, 0x77);
    TickerWindow& w = Make();
    Answer();
    const QuoteGrid& grid = *w.Grid();
    ASSERT_EQ(grid.rows(), 4);
    // Header, rising and falling rows and the total line: one colour, no link underlined.
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < kQuoteColumnCount; ++c) {
            EXPECT_EQ(grid.effectiveForeColor(r, c), plain) << r << "," << c;
            EXPECT_FALSE(grid.cellUnderline(r, c)) << r << "," << c;
        }
    }
    // The first-run list's alert on 000001 has fired: no mark gives it away.
    EXPECT_FALSE(grid.cellBackColor(1, kColCode).isValid());
    EXPECT_EQ(w.StatusLine()->palette().color(QPalette::WindowText), plain);
    const std::string rising =
        "10.50,9.80,10.60,10.00,10.00,12345,678.90,+5.00%,+0.50,,8.00%,0.00%,0.00,2024-05-06";
    ASSERT_TRUE(w.DetailPopup()->Fill("600000,X,1,0,0.00,0.00,0,0.00", rising, ""));
    EXPECT_EQ(w.DetailPopup()->grid().effectiveForeColor(0, 5), plain);

    // The menu shows the mode checked; switched off, the colours and underlines are back at once.
    w.ShowPopupMenu(QPoint(0, 0));
    EXPECT_TRUE(w.Menu()->ActionFor(kMenuPlainMode)->isChecked());
    w.Menu()->hide();
    w.setPlainMode(false);
    EXPECT_NE(grid.effectiveForeColor(1, kColPrice), grid.effectiveForeColor(2, kColPrice));
    EXPECT_NE(grid.effectiveForeColor(1, kColPrice), plain);
    EXPECT_TRUE(grid.cellUnderline(1, kColCode));
    EXPECT_EQ(grid.text(1, kColPrice), "3010.50"); // the quotes stay
    w.ShowPopupMenu(QPoint(0, 0));
    EXPECT_FALSE(w.Menu()->ActionFor(kMenuPlainMode)->isChecked());
    w.Menu()->hide();

    // The menu's switch stores the mode alone; the chosen colour stays.
    EXPECT_TRUE(StorePlainMode(XmlSettingsPath(), false));
    EXPECT_FALSE(ReadStealthSettings(XmlSettingsPath()).plainMode);
    EXPECT_EQ(ReadStealthSettings(XmlSettingsPath()).plainColor, (Rgb{0x55, 0x66, 0x77}));
}

TEST_F(StealthDisplayTest, TheAliasStandsForTheNameInTheGridThePopupAndTheAlerts) {
    ASSERT_TRUE(WriteFileAtomically(WatchExtrasPath(), "000001|1|大盘\r\n"));
    TickerWindow& w = Make();
    QSignalSpy raised(&w, &TickerWindow::alertsRaised);
    Answer();
    EXPECT_EQ(w.Grid()->text(1, kColName), "大盘");
    EXPECT_EQ(w.Grid()->text(2, kColName), "深证成指");
    // The first-run list alerts on 000001 above 3.00.
    ASSERT_EQ(raised.count(), 1);
    EXPECT_EQ(raised.at(0).at(0).toString().toStdString(), "大盘(000001) 现价3010.50，已涨到预警上限3.00\n");
    EXPECT_EQ(ShownName(w.Book().watchList[0]), "大盘");
    EXPECT_EQ(w.Book().watchList[0].name, "上证指数"); // list.ini's name is kept
}

} // namespace
} // namespace marlune
