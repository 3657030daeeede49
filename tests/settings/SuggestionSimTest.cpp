// The suggestion box against the simulated market: the page's own downloads, pinyin
// initials, the reply taken on the GUI thread, and a page closed while a download runs.
#include "settings/MyStocksPage.h"

#include "SettingsTestSupport.h"
#include "net/ServiceEndpoints.h"
#include "sim/SimServer.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace marlune {
namespace {

class SuggestionSimTest : public test::ProgramFolderTest {
protected:
    void SetUp() override {
        test::ProgramFolderTest::SetUp();
        ASSERT_GT(m_sim.Start(), 0);
        ASSERT_TRUE(PointAllServicesAt(m_sim.BaseUrl()));
    }
    void TearDown() override {
        RestoreDefaultServices();
        m_sim.Stop();
        test::ProgramFolderTest::TearDown();
    }

    sim::SimServer m_sim;
    QString m_status;
};

TEST_F(SuggestionSimTest, PinyinInitialsFindTheStockAndEnterAddsIt) {
    MyStocksPage page([this](const QString& text) { m_status = text; }, nullptr);
    page.show();
    QTest::keyClicks(page.SuggestionBox()->lineEdit(), "pfyh");
    QTRY_VERIFY_WITH_TIMEOUT(page.SuggestionBox()->count() > 0, 10000);
    EXPECT_EQ(page.SuggestionBox()->itemText(0), "600000-浦发银行");
    EXPECT_EQ(page.SuggestionBox()->currentText(), "pfyh");
    QTest::keyClick(page.SuggestionBox()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(page.Rows().size(), 3u);
    EXPECT_EQ(page.Rows().back().code, "600000");
    EXPECT_NE(ReadGbk("config/list.ini").find("|600000|浦发银行|1|0|0.00|0.00|0|0.00\r\n"),
              std::string::npos);
}

// Offline, every market: a Hong Kong code, a US name's initials and a fund are found and
// added with their markets.
TEST_F(SuggestionSimTest, OtherMarketsAreFoundAndAddedWithTheirMarkets) {
    MyStocksPage page([this](const QString& text) { m_status = text; }, nullptr);
    page.show();
    const auto add = [&](const QString& typed, const QString& firstEntry) {
        QTest::keyClick(page.SuggestionBox()->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(page.SuggestionBox()->lineEdit(), typed);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return page.SuggestionBox()->count() > 0 && page.SuggestionBox()->itemText(0) == firstEntry;
            },
            10000))
            << firstEntry.toStdString();
        QTest::keyClick(page.SuggestionBox()->lineEdit(), Qt::Key_Return);
        return page.Rows().back();
    };
    EXPECT_EQ(add("00700", "腾讯控股 00700 港股").market, kMarketHongKong);
    EXPECT_EQ(add("ywd", "英伟达 NVDA 美股").market, kMarketUnitedStates);
    const StockEntry fund = add("161725", "招商中证白酒指数(LOF) 161725 基金");
    EXPECT_EQ(fund.market, kMarketFund);
    EXPECT_EQ(fund.name, "招商中证白酒指数(LOF)");
    EXPECT_NE(ReadGbk("config/list.ini").find("|00700|腾讯控股|4|0|0.00|0.00|0|0.00\r\n"), std::string::npos);
    EXPECT_NE(ReadGbk("config/list.ini").find("|NVDA|英伟达|5|"), std::string::npos);
}

TEST_F(SuggestionSimTest, AFailedDownloadSaysSoAndClosingWhileWaitingIsPrompt) {
    sim::Fault fault;
    fault.status = 500;
    m_sim.SetFault("/suggest/", fault);
    {
        MyStocksPage page([this](const QString& text) { m_status = text; }, nullptr);
        QTest::keyClicks(page.SuggestionBox()->lineEdit(), "zs");
        QTRY_COMPARE_WITH_TIMEOUT(m_status, QStringLiteral("访问失败"), 10000);
    }
    sim::Fault hang;
    hang.hang = true;
    m_sim.SetFault("/suggest/", hang);
    QElapsedTimer timer;
    timer.start();
    {
        MyStocksPage page([this](const QString& text) { m_status = text; }, nullptr);
        QTest::keyClicks(page.SuggestionBox()->lineEdit(), "zsyh");
        QTest::qWait(200);
    }
    EXPECT_LT(timer.elapsed(), 5000);
}

} // namespace
} // namespace marlune
