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
