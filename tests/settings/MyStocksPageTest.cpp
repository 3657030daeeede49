// The my-stocks page: loading list.ini, add with the suggestion results, the 20-row limit,
// moves, delete, details, and the suggestion replies.
#include "settings/MyStocksPage.h"

#include "SettingsTestSupport.h"
#include "net/Suggestions.h"
#include "settings/WatchListModel.h"
#include "text/Gbk.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace marlune {
namespace {

constexpr char kIndexRows[] = "dac000001|000001|上证指数|1|1|3.0|2.00|5|1.00\r\n"
                              "dac399001|399001|深证成指|2|2|0|0|0|0.0\r\n";
// The same rows once the page has written them.
constexpr char kIndexRowsAsWritten[] = "dac000001|000001|上证指数|1|1|3.00|2.00|5|1.00\r\n"
                                       "dac399001|399001|深证成指|2|2|0.00|0.00|0|0.00\r\n";

std::string SuggestReply(const std::vector<std::string>& entries) {
    std::string value;
    for (const std::string& entry : entries)
        value += entry + ";";
    return Utf8ToGbk("var suggestvalue=\"" + value.substr(0, value.size() - 1) + ";\";");
}

class MyStocksPageTest : public test::ProgramFolderTest {
protected:
    void makePage() {
        m_page = std::make_unique<MyStocksPage>([this](const QString& text) { m_status = text; },
                                                [this](const QuoteFetchJob& job) { m_jobs.push_back(job); },
                                                nullptr);
    }

    // Types the text into the box as the user would; every change requests suggestions.
    void type(const QString& text) { QTest::keyClicks(m_page->SuggestionBox()->lineEdit(), text); }

    // The reply to the newest request.
    void answer(const std::string& replyGbk, int status = kFetchFinished) {
        ASSERT_FALSE(m_jobs.empty());
        FetchReport report;
        report.jobKind = kJobSideDownload;
        report.status = status;
        report.url = m_jobs.back().url;
        report.reply = replyGbk;
        m_page->HandleFetchStatus(report);
    }

    void setBoxText(const QString& text) { m_page->SuggestionBox()->setEditText(text); }

    // The page shown in the active window with the keyboard in the box, as the user finds it
    // to type a stock.
    void showPageForTyping() {
        makePage();
        m_page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
        QApplication::setActiveWindow(m_page.get());
        m_page->SuggestionBox()->lineEdit()->setFocus();
    }

    QString itemText(int row, int column) const {
        return m_page->List()->model()->index(row, column).data().toString();
    }
    int listRows() const { return m_page->List()->model()->rowCount(); }
    template <class T> T* child(const char* name) const {
        return m_page->findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
    void clickRow(int row) {
        QTreeView* list = m_page->List();
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<MyStocksPage> m_page;
    QString m_status;
    std::vector<QuoteFetchJob> m_jobs;
};

TEST_F(MyStocksPageTest, RecordKeyIsTheUpperCaseMd5OfMarketAndCode) {
    EXPECT_EQ(StockRecordKey(1, "600000"), "468F4D3D9847570D9E51AF8BBA7956E9");
    EXPECT_EQ(StockRecordKey(2, "000001"), "3D6C5C5C55DC5DD60B0787017C9DBEF7");
}

TEST_F(MyStocksPageTest, LoadsTheRowsSkippingShortLinesAndShowsDetailsOnClick) {
    WriteGbk("config/list.ini", "dac000001|000001|上证指数|1|1|3.0|2.00|5|1.00\r\n"
                                "bad|600000|浦发银行|1\r\n"
                                "k2|600036|招商银行|1|0|0|0|0|0\r\n");
    makePage();
    m_page->show();
    ASSERT_EQ(listRows(), 2);
    EXPECT_EQ(itemText(1, 0), "600036");
    EXPECT_EQ(itemText(1, 1), "招商银行");
    EXPECT_EQ(m_page->List()->toolTip(), QString::fromUtf8(kListTipText));

    clickRow(0);
    EXPECT_EQ(m_page->SelectedRow(), 0);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "000001");
    EXPECT_TRUE(child<QRadioButton>("shanghaiRadio")->isChecked());
    EXPECT_TRUE(child<QCheckBox>("alertBox")->isChecked());
    EXPECT_EQ(child<QLineEdit>("lowerEdit")->text(), "2.00");
    EXPECT_EQ(child<QLineEdit>("upperEdit")->text(), "3.00");
    EXPECT_EQ(child<QLineEdit>("quantityEdit")->text(), "5");
    EXPECT_EQ(child<QLineEdit>("costEdit")->text(), "1.00");

    // The row after the skipped line shows its own details; no holding leaves the edits off.
    clickRow(1);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "600036");
    EXPECT_FALSE(child<QCheckBox>("holdingBox")->isChecked());
    EXPECT_FALSE(child<QLineEdit>("quantityEdit")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>("quantityEdit")->text().isEmpty());

    // Saving writes the limits back with two decimals, every other field unchanged.
    clickRow(0);
    click("saveButton");
    // The line that gave no row stays where it was.
    EXPECT_EQ(ReadGbk("config/list.ini"), "dac000001|000001|上证指数|1|1|3.00|2.00|5|1.00\r\n"
                                          "bad|600000|浦发银行|1\r\n"
                                          "k2|600036|招商银行|1|0|0.00|0.00|0|0.00\r\n");
}

TEST_F(MyStocksPageTest, AddsAPickedSuggestionWithItsRecordKey) {
    makePage();
    m_page->show();
    type("pf");
    ASSERT_EQ(m_jobs.size(), 2u); // one request per change of the text
    EXPECT_NE(m_jobs.back().url.find(SuggestionPath() + "pf"), std::string::npos);
    answer(SuggestReply({"pfyh,11,600000,sh600000,浦发银行,pfyh", "pf,11,000001,sz000001,平安银行,payh"}));
    ASSERT_EQ(m_page->SuggestionBox()->count(), 2);
    EXPECT_EQ(m_page->SuggestionBox()->itemText(0), "600000-浦发银行");
    EXPECT_EQ(m_page->SuggestionBox()->currentText(), "pf"); // the typed text stays

    // A text that is neither a code nor long enough to name a stock.
    setBoxText("浦发银");
    click("addButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kAddErrorText));
    EXPECT_EQ(m_page->Rows().size(), 2u);

    setBoxText("600000-浦发银行");
    click("addButton");
    EXPECT_TRUE(m_status.isEmpty());
    ASSERT_EQ(m_page->Rows().size(), 3u);
    const StockEntry& added = m_page->Rows().back();
    EXPECT_EQ(added.code, "600000");
    EXPECT_EQ(added.market, kMarketShanghai);
    EXPECT_EQ(added.rowIndex, 2);
    EXPECT_EQ(itemText(2, 1), "浦发银行");
    EXPECT_EQ(ReadGbk("config/list.ini"),
              std::string(kIndexRowsAsWritten) +
                  "468F4D3D9847570D9E51AF8BBA7956E9|600000|浦发银行|1|0|0.00|0.00|0|0.00\r\n");

    // The same code again in the same market is refused, in the other market accepted.
    click("addButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kAlreadyListedText));
    setBoxText("000001-平安银行");
    click("addButton");
    EXPECT_TRUE(m_status.isEmpty());
    EXPECT_EQ(m_page->Rows().back().market, kMarketShenzhen);
    EXPECT_EQ(m_page->Rows().back().recordKey, "3D6C5C5C55DC5DD60B0787017C9DBEF7");

    // Texts that match no result, whatever they hold, change nothing but the status text.
    const std::string before = ReadBytes("config/list.ini");
    for (const QString& text : {QString(200, QLatin1Char('6')), QStringLiteral("600000|浦发银行|x"),
                                QStringLiteral("浦发银行-600000")}) {
        setBoxText(text);
        click("addButton");
        EXPECT_EQ(m_status, QString::fromUtf8(kAddErrorText));
    }
    EXPECT_EQ(ReadBytes("config/list.ini"), before);
}

TEST_F(MyStocksPageTest, EnterInTheBoxAddsTheFirstSuggestion) {
    makePage();
    m_page->show();
    type("zs");
    answer(SuggestReply({"zsyh,11,600036,sh600036,招商银行,zsyh", "zs,11,600999,sh600999,招商证券,zszq"}));
    QTest::keyClick(m_page->SuggestionBox()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(m_page->Rows().size(), 3u);
    EXPECT_EQ(m_page->Rows().back().code, "600036");
    EXPECT_EQ(m_page->SuggestionBox()->currentText(), "600036-招商银行");
}

TEST_F(MyStocksPageTest, AddTakesTheListedMatchOfATypedCodeAsEnterDoes) {
    makePage();
    m_page->show();
    type("600036");
    answer(SuggestReply({"zsyh,11,600036,sh600036,招商银行,zsyh"}));
    click("addButton");
    ASSERT_EQ(m_page->Rows().size(), 3u);
    EXPECT_EQ(m_page->Rows().back().code, "600036");
    EXPECT_EQ(m_page->Rows().back().name, "招商银行");
    EXPECT_TRUE(m_status.isEmpty());
}

TEST_F(MyStocksPageTest, TheTypedTextAloneIsTheKeyAfterAnAdd) {
    makePage();
    m_page->show();
    QLineEdit* edit = m_page->SuggestionBox()->lineEdit();
    type("zgpa");
    answer(SuggestReply({"zgpa,11,601318,sh601318,中国平安,zgpa"}));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(m_page->Rows().size(), 3u);
    EXPECT_EQ(m_page->Rows().back().code, "601318");

    // A new code typed over the added one: no completion from the old entries creeps in.
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Backspace);
    type("600519");
    EXPECT_EQ(edit->text(), "600519");
    EXPECT_EQ(m_jobs.back().url.substr(m_jobs.back().url.size() - 11), "&key=600519");

    // Enter before the answer waits for it rather than taking the old entries.
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(m_page->Rows().size(), 3u);
    EXPECT_TRUE(m_status.isEmpty());
    answer(SuggestReply(
        {"600519,11,600519,sh600519,贵州茅台,gzmt", "600519x,11,000519,sz000519,中兵红箭,zbhj"}));
    ASSERT_EQ(m_page->Rows().size(), 4u);
    EXPECT_EQ(m_page->Rows().back().code, "600519");
    EXPECT_EQ(m_page->Rows().back().name, "贵州茅台");

    // The entry the user picks from the list is the one Enter adds.
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    type("519");
    answer(SuggestReply(
        {"600519,11,600519,sh600519,贵州茅台,gzmt", "600519x,11,000519,sz000519,中兵红箭,zbhj"}));
    m_page->SuggestionBox()->setCurrentIndex(1);
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(m_page->Rows().size(), 5u);
    EXPECT_EQ(m_page->Rows().back().code, "000519");
}

TEST_F(MyStocksPageTest, AHoldingAndAnAlertCanBeEnteredForANewStock) {
    makePage();
    m_page->show();
    type("gzmt");
    answer(SuggestReply({"gzmt,11,600519,sh600519,贵州茅台,gzmt"}));
    QTest::keyClick(m_page->SuggestionBox()->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(m_page->Rows().size(), 3u);
    // The new row's details are shown at once.
    EXPECT_EQ(m_page->SelectedRow(), 2);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "600519");

    auto* holding = child<QCheckBox>("holdingBox");
    auto* quantity = child<QLineEdit>("quantityEdit");
    auto* cost = child<QLineEdit>("costEdit");
    EXPECT_FALSE(quantity->isEnabled());
    test::ClickIndicator(holding);
    ASSERT_TRUE(holding->isChecked());
    EXPECT_TRUE(quantity->isEnabled());
    EXPECT_TRUE(cost->isEnabled());
    EXPECT_TRUE(quantity->text().isEmpty());
    QTest::keyClicks(quantity, "300");
    QTest::keyClicks(cost, "1650.5");

    test::ClickIndicator(child<QCheckBox>("alertBox"));
    ASSERT_TRUE(child<QLineEdit>("lowerEdit")->isEnabled());
    QTest::keyClicks(child<QLineEdit>("lowerEdit"), "1500");
    QTest::keyClicks(child<QLineEdit>("upperEdit"), "1800");
    click("saveButton");
    EXPECT_NE(ReadGbk("config/list.ini").find("|600519|贵州茅台|1|1|1800.00|1500.00|300|1650.50\r\n"),
              std::string::npos);

    // Another row, then this one again: what was stored comes back.
    clickRow(0);
    clickRow(2);
    EXPECT_TRUE(holding->isChecked());
    EXPECT_EQ(quantity->text(), "300");
    EXPECT_EQ(cost->text(), "1650.50");
    EXPECT_EQ(child<QLineEdit>("upperEdit")->text(), "1800.00");

    // Clearing a box closes its edits; saving then drops the holding.
    test::ClickIndicator(holding);
    EXPECT_FALSE(quantity->isEnabled());
    EXPECT_TRUE(quantity->text().isEmpty());
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[2].quantity, 0);
    EXPECT_EQ(m_page->Rows()[2].alertFlag, 1);
}

TEST_F(MyStocksPageTest, RateAlertsAndTheAliasAreEditedBesideTheBandAndKeptInTheExtrasFile) {
    WriteGbk("config/list.ini", "a|000001|上证指数|1|1|3.0|2.00|0|0\r\nb|600036|招商银行|1|0|0|0|0|0\r\n");
    WriteBytes("data/watchextras.txt", "000001|1|0.30|1.50\r\n000001|1|大盘\r\nlater|version|line|x|y\r\n");
    makePage();
    m_page->show();
    auto* rise = child<QLineEdit>("riseEdit");
    auto* fall = child<QLineEdit>("fallEdit");
    auto* alias = child<QLineEdit>("aliasEdit");

    // The stored conditions and alias are shown with the row; the list keeps the real name.
    clickRow(0);
    EXPECT_EQ(rise->text(), "0.30");
    EXPECT_EQ(fall->text(), "1.50");
    EXPECT_TRUE(rise->isEnabled());
    EXPECT_EQ(alias->text(), "大盘");
    EXPECT_EQ(itemText(0, 1), "上证指数");

    // A row without alert has its rate edits closed and empty; ticking the box opens them.
    clickRow(1);
    EXPECT_FALSE(rise->isEnabled());
    EXPECT_TRUE(rise->text().isEmpty());
    EXPECT_TRUE(alias->text().isEmpty());
    test::ClickIndicator(child<QCheckBox>("alertBox"));
    EXPECT_TRUE(fall->isEnabled());
    // "-2" typed as the fall reads as the 2 % fall it means; a rise of nonsense is off.
    QTest::keyClicks(fall, "-2");
    QTest::keyClicks(rise, "abc");
    QTest::keyClicks(alias, "B|1");
    click("saveButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kDetailsSavedText));
    EXPECT_EQ(m_page->Rows()[1].fallRate, 2.0);
    EXPECT_EQ(m_page->Rows()[1].riseRate, 0.0);
    EXPECT_EQ(m_page->Rows()[1].alias, "B 1");
    // list.ini keeps its nine fields; the extras file has the lines, the unknown one kept.
    EXPECT_EQ(ReadGbk("config/list.ini"), "a|000001|上证指数|1|1|3.00|2.00|0|0.00\r\n"
                                          "b|600036|招商银行|1|1|0.00|0.00|0|0.00\r\n");
    EXPECT_EQ(ReadBytes("data/watchextras.txt"), "000001|1|0.30|1.50\r\n000001|1|大盘\r\n"
                                                 "600036|1|0.00|2.00\r\n600036|1|B 1\r\n"
                                                 "later|version|line|x|y\r\n");

    // Clearing the alert box drops the rates with the band; the alias stays.
    clickRow(0);
    test::ClickIndicator(child<QCheckBox>("alertBox"));
    EXPECT_TRUE(rise->text().isEmpty());
    click("saveButton");
    EXPECT_EQ(ReadBytes("data/watchextras.txt"), "000001|1|大盘\r\n600036|1|0.00|2.00\r\n600036|1|B 1\r\n"
                                                 "later|version|line|x|y\r\n");

    // A deleted stock takes its lines along; a new page reads what is left.
    clickRow(1);
    click("deleteButton");
    EXPECT_EQ(ReadBytes("data/watchextras.txt"), "000001|1|大盘\r\nlater|version|line|x|y\r\n");
    makePage();
    EXPECT_EQ(m_page->Rows()[0].alias, "大盘");
}

TEST_F(MyStocksPageTest, TheTwentyFirstRowIsRefused) {
    std::string rows = kIndexRows;
    for (int i = 0; i < 18; ++i)
        rows += "k|60000" + std::to_string(i % 10) + "|股票|1|0|0|0|0|0\r\n";
    WriteGbk("config/list.ini", rows);
    makePage();
    type("pf");
    answer(SuggestReply({"pfyh,11,600010,sh600010,包钢股份,bggf"}));
    setBoxText("600010-包钢股份");
    click("addButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kListFullText));
    EXPECT_EQ(m_page->Rows().size(), 20u);
    EXPECT_EQ(ReadGbk("config/list.ini"), rows);
}

TEST_F(MyStocksPageTest, MovesAndDeletesKeepRowsFileAndDetailsTogether) {
    WriteGbk("config/list.ini",
             "a|000001|甲|1|0|0|0|0|0\r\nb|000002|乙|2|0|0|0|0|0\r\nc|000003|丙|2|0|0|0|0|0\r\n");
    makePage();
    m_page->show();

    click("upButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kSelectStockFirstText));

    // Move up on the first row only selects it, and the file is written all the same.
    clickRow(0);
    click("upButton");
    EXPECT_TRUE(m_status.isEmpty());
    EXPECT_EQ(m_page->Rows()[0].code, "000001");

    clickRow(1); // details of 000002
    click("downButton");
    EXPECT_EQ(itemText(2, 0), "000002");
    EXPECT_EQ(m_page->Rows()[2].rowIndex, 2);
    EXPECT_EQ(m_page->List()->currentIndex().row(), 2);
    EXPECT_EQ(ReadGbk("config/list.ini"), "a|000001|甲|1|0|0.00|0.00|0|0.00\r\n"
                                          "c|000003|丙|2|0|0.00|0.00|0|0.00\r\n"
                                          "b|000002|乙|2|0|0.00|0.00|0|0.00\r\n");
    // Down on the last row changes nothing.
    click("downButton");
    EXPECT_EQ(itemText(2, 0), "000002");

    // The details shown still belong to 000002, which has moved: saving edits that row.
    child<QLineEdit>("nameEdit")->setText(QStringLiteral("乙乙"));
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[2].name, "乙乙");
    EXPECT_EQ(itemText(2, 1), "乙乙"); // the list shows the saved name

    // Deleting the middle row renumbers the rest; the row that took its place is current,
    // its details shown, so "保存修改" writes to the row it shows.
    clickRow(1);
    click("deleteButton");
    ASSERT_EQ(m_page->Rows().size(), 2u);
    EXPECT_EQ(m_page->Rows()[1].code, "000002");
    EXPECT_EQ(m_page->Rows()[1].rowIndex, 1);
    EXPECT_EQ(m_page->SelectedRow(), 1);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "000002");
    click("saveButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kDetailsSavedText));
    EXPECT_EQ(ReadGbk("config/list.ini"), "a|000001|甲|1|0|0.00|0.00|0|0.00\r\n"
                                          "b|000002|乙乙|2|0|0.00|0.00|0|0.00\r\n");
    // The last row deleted goes to the one above; an empty list shows no details, and
    // "保存修改" says a stock must be chosen.
    click("deleteButton");
    EXPECT_EQ(m_page->SelectedRow(), 0);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "000001");
    click("deleteButton");
    EXPECT_EQ(listRows(), 0);
    EXPECT_EQ(m_page->SelectedRow(), -1);
    EXPECT_TRUE(child<QLineEdit>("codeEdit")->text().isEmpty());
    click("saveButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kSelectStockFirstText));
    EXPECT_EQ(ReadGbk("config/list.ini"), "");
}

TEST_F(MyStocksPageTest, TheKeyboardSelectionIsTheRowTheDetailsAndButtonsUse) {
    WriteGbk("config/list.ini",
             "a|000001|甲|1|0|0|0|0|0\r\nb|000002|乙|2|0|0|0|0|0\r\nc|000003|丙|2|0|0|0|0|0\r\n");
    makePage();
    m_page->show();
    clickRow(0);
    QTreeView* list = m_page->List();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(m_page->SelectedRow(), 2);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "000003");
    child<QLineEdit>("nameEdit")->setText(QStringLiteral("丙丙"));
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[2].name, "丙丙");
    EXPECT_EQ(itemText(2, 1), "丙丙");
    EXPECT_EQ(m_page->Rows()[0].name, "甲");
    // Up moves the highlight and the details; 上移 moves that row.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "000002");
    click("upButton");
    EXPECT_EQ(itemText(0, 0), "000002");
    EXPECT_EQ(m_page->SelectedRow(), 0);
    EXPECT_EQ(child<QLineEdit>("codeEdit")->text(), "000002");

    // Tab goes from the box to 添加, the list, then the details in order.
    QApplication::setActiveWindow(m_page.get());
    m_page->SuggestionBox()->setFocus();
    for (QWidget* next : {child<QWidget>("addButton"), static_cast<QWidget*>(list),
                          child<QWidget>("codeEdit"), child<QWidget>("nameEdit")}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    child<QWidget>("costEdit")->setEnabled(true);
    child<QWidget>("costEdit")->setFocus();
    for (const char* next : {"saveButton", "upButton", "downButton", "deleteButton"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(next)) << next;
    }
}

// A Beijing stock comes among the A shares' suggestions (type 11) with a "bj" full code, as
// the service answers (a recorded reply line); it is added as market 3, not as Shenzhen.
TEST_F(MyStocksPageTest, ABeijingSuggestionAddsABeijingRow) {
    makePage();
    m_page->show();
    type("btr");
    answer(Utf8ToGbk("var suggestvalue=\"贝特瑞,11,920185,bj920185,贝特瑞,,贝特瑞,99,1,,,\";"));
    ASSERT_EQ(m_page->SuggestionBox()->count(), 1);
    EXPECT_EQ(m_page->SuggestionBox()->itemText(0), "贝特瑞 920185 北交所");
    setBoxText("贝特瑞 920185 北交所");
    click("addButton");
    ASSERT_EQ(m_page->Rows().size(), 3u);
    EXPECT_EQ(m_page->Rows().back().market, kMarketBeijing);
    EXPECT_NE(ReadGbk("config/list.ini").find("|920185|贝特瑞|3|0|"), std::string::npos);
}

// A row of Hong Kong, the US or a fund shows its market and keeps it when saved: neither radio
// button stands for it (saving it used to make it a Shenzhen row).
TEST_F(MyStocksPageTest, ARowOfAnotherMarketKeepsItsMarketWhenSaved) {
    WriteGbk("config/list.ini", "k1|00700|腾讯控股|4|0|0|0|100|400.00\r\n"
                                "k2|600036|招商银行|1|0|0|0|0|0\r\n"
                                "k3|161725|招商白酒|6|0|0|0|0|0\r\n");
    makePage();
    m_page->show();
    ASSERT_EQ(listRows(), 3);
    clickRow(0);
    EXPECT_FALSE(child<QRadioButton>("shanghaiRadio")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("shenzhenRadio")->isChecked());
    EXPECT_TRUE(child<QLabel>("otherMarketLabel")->isVisible());
    EXPECT_EQ(child<QLabel>("otherMarketLabel")->text(), "港股");
    child<QLineEdit>("quantityEdit")->setText("200");
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[0].market, kMarketHongKong);
    clickRow(1);
    EXPECT_TRUE(child<QRadioButton>("shanghaiRadio")->isChecked());
    EXPECT_FALSE(child<QLabel>("otherMarketLabel")->isVisible());
    clickRow(2);
    EXPECT_EQ(child<QLabel>("otherMarketLabel")->text(), "基金");
    click("saveButton");
    EXPECT_EQ(ReadGbk("config/list.ini"), "k1|00700|腾讯控股|4|0|0.00|0.00|200|400.00\r\n"
                                          "k2|600036|招商银行|1|0|0.00|0.00|0|0.00\r\n"
                                          "k3|161725|招商白酒|6|0|0.00|0.00|0|0.00\r\n");
}

TEST_F(MyStocksPageTest, SaveDetailsReadsNumbersLeniently) {
    makePage();
    m_page->show();
    click("saveButton"); // before any click: nothing
    EXPECT_EQ(ReadGbk("config/list.ini"), kIndexRows);
    EXPECT_EQ(m_page->SelectedRow(), -1);

    clickRow(1);
    child<QCheckBox>("alertBox")->setChecked(true);
    child<QLineEdit>("lowerEdit")->setText("abc");
    child<QLineEdit>("upperEdit")->setText("12.5x");
    child<QCheckBox>("holdingBox")->setChecked(true);
    child<QLineEdit>("quantityEdit")->setText("300");
    child<QLineEdit>("costEdit")->setText("9.87");
    child<QRadioButton>("shanghaiRadio")->setChecked(true);
    click("saveButton");
    const StockEntry& row = m_page->Rows()[1];
    EXPECT_EQ(row.alertFlag, 1);
    EXPECT_FLOAT_EQ(row.lowerLimit, 0.0f);
    EXPECT_FLOAT_EQ(row.upperLimit, 12.5f);
    EXPECT_EQ(row.market, kMarketShanghai);
    clickRow(1);
    EXPECT_EQ(child<QLineEdit>("costEdit")->text(), "9.87");
    EXPECT_NE(ReadGbk("config/list.ini").find("dac399001|399001|深证成指|1|1|12.50|0.00|300|9.87\r\n"),
              std::string::npos);
}

TEST_F(MyStocksPageTest, OnlyTheNewestSuggestionReplyCounts) {
    makePage();
    m_page->show();
    type("6");
    const QuoteFetchJob older = m_jobs.back();
    type("0");
    answer(SuggestReply({"a,11,600000,sh600000,浦发银行,y"}));
    EXPECT_EQ(m_page->SuggestionBox()->count(), 1);

    // A late reply for "6" changes nothing, nor does its failure.
    FetchReport late;
    late.jobKind = kJobSideDownload;
    late.status = kFetchFinished;
    late.url = older.url;
    late.reply = SuggestReply({"a,11,601988,sh601988,中国银行,y"});
    m_page->HandleFetchStatus(late);
    late.status = kFetchFailed;
    m_page->HandleFetchStatus(late);
    EXPECT_EQ(m_page->SuggestionBox()->itemText(0), "600000-浦发银行");
    EXPECT_TRUE(m_status.isEmpty());

    // Replies without usable entries keep the list; a failure says so.
    answer(Utf8ToGbk("var suggestvalue=\"a,11,600000;\";"));
    answer("garbage without markers");
    answer(Utf8ToGbk("var suggestvalue=\"a,11,600000,sh600000,X,y"));
    EXPECT_EQ(m_page->SuggestionBox()->count(), 1);
    EXPECT_EQ(m_page->Results().size(), 1u);
    answer("", kFetchFailed);
    EXPECT_EQ(m_status, QStringLiteral("访问失败"));
}

TEST_F(MyStocksPageTest, TypingGoesOnWhileTheSuggestionsAreOpen) {
    makePage();
    m_page->show();
    QApplication::setActiveWindow(m_page.get());
    m_page->SuggestionBox()->lineEdit()->setFocus();
    type("6");
    answer(SuggestReply({"a,11,600000,sh600000,浦发银行,y"}));
    // Keys reach whatever has the keyboard now, as the user's next keystrokes would.
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClicks(focus, "01");
    EXPECT_EQ(m_page->SuggestionBox()->currentText(), "601");
}

// The open suggestions hold neither the mouse nor the keyboard: a click on 添加 or on an
// entry does what it does at once, the keys go on in the box.
TEST_F(MyStocksPageTest, TheOpenSuggestionsTakeNoClickAway) {
    ASSERT_NO_FATAL_FAILURE(showPageForTyping());
    SuggestionComboBox* box = m_page->SuggestionBox();
    type("600036");
    answer(SuggestReply({"zsyh,11,600036,sh600036,招商银行,zsyh"}));
    ASSERT_TRUE(box->IsListShown());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    // The box keeps the keyboard (it hands the keys to its line edit).
    EXPECT_EQ(QApplication::focusWidget(), box);
    // Clicked as the window system delivers it, through the page's window: one click adds.
    QWidget* add = child<QWidget>("addButton");
    QTest::mouseClick(m_page->windowHandle(), Qt::LeftButton, {},
                      add->mapTo(m_page.get(), add->rect().center()));
    ASSERT_EQ(m_page->Rows().size(), 3u);
    EXPECT_EQ(m_page->Rows().back().code, "600036");
    EXPECT_FALSE(box->IsListShown());

    // An entry clicked in the list stands in the box; one click on 添加 adds it.
    QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    type("pf");
    answer(SuggestReply({"pfyh,11,600000,sh600000,浦发银行,pfyh", "pf,11,000001,sz000001,平安银行,payh"}));
    ASSERT_TRUE(box->IsListShown());
    QListView* list = box->List();
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->windowHandle(), Qt::LeftButton, {},
                      list->viewport()->mapTo(list, second.center()));
    EXPECT_FALSE(box->IsListShown());
    EXPECT_EQ(box->currentText(), "000001-平安银行");
    EXPECT_EQ(m_page->Rows().size(), 3u); // picked, not yet added
    QTest::mouseClick(m_page->windowHandle(), Qt::LeftButton, {},
                      add->mapTo(m_page.get(), add->rect().center()));
    ASSERT_EQ(m_page->Rows().size(), 4u);
    EXPECT_EQ(m_page->Rows().back().code, "000001");
    EXPECT_EQ(m_page->Rows().back().market, kMarketShenzhen);

    // A click elsewhere on the page closes the list and reaches its target too.
    QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    type("pf");
    answer(SuggestReply({"pfyh,11,600000,sh600000,浦发银行,pfyh"}));
    ASSERT_TRUE(box->IsListShown());
    QTreeView* rows = m_page->List();
    const QRect first = rows->visualRect(m_page->Model()->index(0, 0));
    QTest::mouseClick(m_page->windowHandle(), Qt::LeftButton, {},
                      rows->viewport()->mapTo(m_page.get(), first.center()));
    EXPECT_FALSE(box->IsListShown());
    EXPECT_EQ(m_page->SelectedRow(), 0);
}

TEST_F(MyStocksPageTest, ArrowsEnterAndEscWorkTheOpenSuggestions) {
    makePage();
    m_page->show();
    QApplication::setActiveWindow(m_page.get());
    SuggestionComboBox* box = m_page->SuggestionBox();
    QLineEdit* edit = box->lineEdit();
    edit->setFocus();
    type("zs");
    answer(SuggestReply({"zsyh,11,600036,sh600036,招商银行,zsyh", "zs,11,600999,sh600999,招商证券,zszq"}));
    ASSERT_TRUE(box->IsListShown());
    EXPECT_EQ(box->HighlightedRow(), -1);
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(box->HighlightedRow(), 1);
    EXPECT_EQ(edit->text(), "zs"); // moving through the list leaves the typed text
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_EQ(m_page->Rows().size(), 3u);
    EXPECT_EQ(m_page->Rows().back().code, "600999");
    EXPECT_FALSE(box->IsListShown());

    // Esc closes the open list and nothing else; Down opens it again.
    edit->setFocus();
    type("x");
    answer(SuggestReply({"zsyh,11,600036,sh600036,招商银行,zsyh"}));
    ASSERT_TRUE(box->IsListShown());
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(box->IsListShown());
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_TRUE(box->IsListShown());
    EXPECT_EQ(box->HighlightedRow(), 0);
    // The list goes when the box loses the keyboard.
    child<QWidget>("codeEdit")->setFocus();
    EXPECT_FALSE(box->IsListShown());
}

// An editor on this system saves the list in UTF-8; the page must not lose a stock of it.
TEST_F(MyStocksPageTest, AUtf8ListSavedFromThePageKeepsEveryStockInGbk) {
    const std::string utf8 = "k0|601857|中石油|1|0|0|0|0|0\n"
                             "k1|600000|浦发银行|1|1|11.00|9.50|0|0\n"
                             "k2|000002|万|2|0|0|0|0|0\n"
                             "# 注释\n";
    for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
        WriteBytes("config/list.ini", bytes);
        makePage();
        ASSERT_EQ(listRows(), 3);
        EXPECT_EQ(itemText(2, 1), "万");
        type("wk");
        answer(SuggestReply({"wk,11,000651,sz000651,格力电器,gldq"}));
        setBoxText("000651-格力电器");
        click("addButton");
        EXPECT_EQ(m_status, "");
        const std::string saved = ReadBytes("config/list.ini");
        EXPECT_EQ(saved, Utf8ToGbk("k0|601857|中石油|1|0|0.00|0.00|0|0.00\r\n"
                                   "k1|600000|浦发银行|1|1|11.00|9.50|0|0.00\r\n"
                                   "k2|000002|万|2|0|0.00|0.00|0|0.00\r\n" +
                                   StockRecordKey(2, "000651") + "|000651|格力电器|2|0|0.00|0.00|0|0.00\r\n" +
                                   "# 注释\r\n"));
        makePage(); // read back: all four stocks
        EXPECT_EQ(listRows(), 4);
    }
}

TEST_F(MyStocksPageTest, AListItMayNotWriteIsLeftAloneAndThePageSaysSo) {
    // Read-only, as base.ini and SSTConf.xml are respected when read-only.
    const std::string path = Path("config/list.ini");
    const std::string before = ReadBytes("config/list.ini");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    makePage();
    m_page->show();
    clickRow(1);
    click("upButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kListReadOnlyText));
    EXPECT_EQ(ReadBytes("config/list.ini"), before);
    ::chmod(path.c_str(), 0644);

    // Over 1 MB: the first-run rows stand in, and the file is never replaced by them.
    const std::string big = ReadBytes("config/list.ini") + std::string(kSettingsFileMaxBytes, '#');
    WriteBytes("config/list.ini", big);
    makePage();
    m_page->show();
    ASSERT_EQ(listRows(), 2);
    EXPECT_EQ(itemText(0, 0), "000001");
    clickRow(1);
    click("deleteButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kListNotReadText));
    EXPECT_EQ(ReadBytes("config/list.ini"), big);

    // A name GBK cannot hold: refused with a message rather than saved as "?".
    WriteGbk("config/list.ini", kIndexRows);
    makePage();
    m_page->show();
    clickRow(0);
    child<QLineEdit>("nameEdit")->setText(QStringLiteral("上证😀"));
    click("saveButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kListBadTextText));
    EXPECT_EQ(ReadGbk("config/list.ini"), kIndexRows);
}

TEST_F(MyStocksPageTest, AFailedWriteLosesNothingOnDisk) {
    makePage();
    type("pf");
    answer(SuggestReply({"a,11,600000,sh600000,浦发银行,y"}));
    // The list file's folder turns read-only: the write fails and the old file stays whole.
    const std::string before = ReadBytes("config/list.ini");
    ASSERT_EQ(::chmod(Path("config").c_str(), 0500), 0);
    setBoxText("600000-浦发银行");
    click("addButton");
    ::chmod(Path("config").c_str(), 0700);
    if (::geteuid() != 0) { // the superuser writes anyway
        EXPECT_EQ(ReadBytes("config/list.ini"), before);
    }
    EXPECT_EQ(m_page->Rows().size(), 3u); // the page keeps the row for the next write
}

// Real reply lines of the suggestion service for a Hong Kong stock, a US stock and an ETF.
std::string ForeignReply() {
    return Utf8ToGbk("var suggestvalue=\"腾讯控股,31,00700,00700,腾讯控股,,腾讯控股,99,1,ESG,,;"
                     "苹果,41,aapl,aapl,苹果,,苹果,99,1,ESG,,;"
                     "上证50ETF华夏,22,510050,of510050,上证50ETF华夏,,上证50ETF华夏,99,1,,,\";");
}

// A Hong Kong suggestion shows its market and, picked with the mouse, adds a row of market 4;
// a US one taken with the keys adds market 5. The list is wide enough for every entry.
TEST_F(MyStocksPageTest, PickingAHongKongSuggestionStoresItsMarket) {
    ASSERT_NO_FATAL_FAILURE(showPageForTyping());
    SuggestionComboBox* box = m_page->SuggestionBox();
    type("tx");
    answer(ForeignReply());
    ASSERT_TRUE(box->IsListShown());
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "腾讯控股 00700 港股");
    EXPECT_EQ(box->itemText(1), "苹果 AAPL 美股");
    EXPECT_EQ(box->itemText(2), "上证50ETF华夏 510050 基金");
    QListView* list = box->List();
    for (int row = 0; row < box->count(); ++row)
        EXPECT_GE(list->viewport()->width(), list->sizeHintForIndex(list->model()->index(row, 0)).width())
            << row;

    const QRect first = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->windowHandle(), Qt::LeftButton, {},
                      list->viewport()->mapTo(list, first.center()));
    EXPECT_EQ(box->currentText(), "腾讯控股 00700 港股");
    QWidget* add = child<QWidget>("addButton");
    QTest::mouseClick(m_page->windowHandle(), Qt::LeftButton, {},
                      add->mapTo(m_page.get(), add->rect().center()));
    ASSERT_EQ(m_page->Rows().size(), 3u);
    const StockEntry& hk = m_page->Rows().back();
    EXPECT_EQ(hk.code, "00700");
    EXPECT_EQ(hk.name, "腾讯控股");
    EXPECT_EQ(hk.market, kMarketHongKong);
    EXPECT_EQ(itemText(2, WatchListModel::kMarketColumn), "港股");
    EXPECT_EQ(child<QLabel>("otherMarketLabel")->text(), "港股");
    EXPECT_EQ(ReadGbk("config/list.ini"), std::string(kIndexRowsAsWritten) + StockRecordKey(4, "00700") +
                                              "|00700|腾讯控股|4|0|0.00|0.00|0|0.00\r\n");

    QTest::keyClick(box->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    type("pg");
    answer(ForeignReply());
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);
    QTest::keyClick(box->lineEdit(), Qt::Key_Down);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    ASSERT_EQ(m_page->Rows().size(), 4u);
    EXPECT_EQ(m_page->Rows().back().code, "AAPL");
    EXPECT_EQ(m_page->Rows().back().market, kMarketUnitedStates);
    // The same stock again is refused.
    setBoxText("苹果 AAPL 美股");
    click("addButton");
    EXPECT_EQ(m_status, QString::fromUtf8(kAlreadyListedText));
}

// A code typed on its own adds a row of the market it names: the listed stock's where the
// service lists it, else the code rules' (a six-digit code outside the A-share prefixes is a
// fund), with the name left to the quotes.
TEST_F(MyStocksPageTest, ACodeTypedOnItsOwnAddsItsMarket) {
    makePage();
    m_page->show();
    const auto enter = [this](const QString& code, const std::string& reply) {
        QTest::keyClick(m_page->SuggestionBox()->lineEdit(), Qt::Key_A, Qt::ControlModifier);
        type(code);
        if (reply.empty())
            answer("", kFetchFailed); // the service is away: the code alone decides
        else
            answer(reply);
        click("addButton");
        return m_page->Rows().back();
    };
    EXPECT_EQ(enter("09988", Utf8ToGbk("var suggestvalue=\"\";")).market, kMarketHongKong);
    EXPECT_EQ(m_page->Rows().back().name, "");
    EXPECT_EQ(enter("brk.b", "").code, "BRK.B");
    EXPECT_EQ(m_page->Rows().back().market, kMarketUnitedStates);
    EXPECT_EQ(enter("161725", "").market, kMarketFund);
    EXPECT_EQ(enter("600519", "").market, kMarketShanghai);
    EXPECT_EQ(enter("300750", "").market, kMarketShenzhen);
    const StockEntry etf = enter(
        "510050",
        Utf8ToGbk(
            "var suggestvalue=\"上证50ETF华夏,22,510050,of510050,上证50ETF华夏,,上证50ETF华夏,99,1,,,\";"));
    EXPECT_EQ(etf.market, kMarketFund);
    EXPECT_EQ(etf.name, "上证50ETF华夏");
    ASSERT_EQ(m_page->Rows().size(), 8u);
    EXPECT_NE(ReadGbk("config/list.ini").find("|BRK.B||5|0|0.00|0.00|0|0.00\r\n"), std::string::npos);
    // A text that is no code adds nothing.
    enter("abc-1", "");
    EXPECT_EQ(m_status, QString::fromUtf8(kAddErrorText));
    EXPECT_EQ(m_page->Rows().size(), 8u);
}

// The market cell of a row whose code fits several markets offers them, without a market that
// already holds the same code; a pick is written at once and shown in the details. A code of
// one market only offers nothing.
TEST_F(MyStocksPageTest, TheMarketCellChoosesAmongTheMarketsTheCodeFits) {
    WriteGbk("config/list.ini", "k1|00700|腾讯控股|4|0|0|0|0|0\r\n"
                                "k2|510300|沪深300ETF|6|0|0|0|0|0\r\n"
                                "k3|000001|上证指数|1|0|0|0|0|0\r\n"
                                "k4|000001|平安银行|2|0|0|0|0|0\r\n");
    makePage();
    m_page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_page.get()));
    WatchListModel* model = m_page->Model();
    EXPECT_EQ(model->MarketChoices(0), std::vector<int>{kMarketHongKong});
    EXPECT_EQ(model->MarketChoices(1), (std::vector<int>{kMarketShanghai, kMarketShenzhen, kMarketFund}));
    EXPECT_EQ(model->MarketChoices(2), (std::vector<int>{kMarketShanghai, kMarketFund}));
    EXPECT_EQ(model->MarketChoices(3), (std::vector<int>{kMarketShenzhen, kMarketFund}));
    EXPECT_FALSE(model->index(0, WatchListModel::kMarketColumn).flags() & Qt::ItemIsEditable);
    EXPECT_EQ(itemText(1, WatchListModel::kMarketColumn), "基金");
    EXPECT_EQ(itemText(2, WatchListModel::kMarketColumn), "上海");

    QTreeView* list = m_page->List();
    const auto clickMarket = [&](int row) {
        const QRect cell = list->visualRect(model->index(row, WatchListModel::kMarketColumn));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        return list->findChild<QComboBox*>(QStringLiteral("marketEditor"));
    };
    EXPECT_EQ(clickMarket(0), nullptr);
    QComboBox* editor = clickMarket(1);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->count(), 3);
    EXPECT_EQ(editor->itemText(0), "上海");
    EXPECT_EQ(editor->currentText(), "基金");
    // The drop-down fits its cell: no market name is cut off.
    EXPECT_GE(editor->width(), editor->minimumSizeHint().width());
    editor->setCurrentIndex(0);
    emit editor->activated(0);
    QTRY_COMPARE(list->findChild<QComboBox*>(QStringLiteral("marketEditor")), nullptr);
    EXPECT_EQ(m_page->Rows()[1].market, kMarketShanghai);
    EXPECT_EQ(m_page->Rows()[1].recordKey, "k2");
    EXPECT_EQ(m_page->SelectedRow(), 1);
    EXPECT_TRUE(child<QRadioButton>("shanghaiRadio")->isChecked());
    EXPECT_FALSE(child<QLabel>("otherMarketLabel")->isVisible());
    EXPECT_EQ(ReadGbk("config/list.ini"), "k1|00700|腾讯控股|4|0|0.00|0.00|0|0.00\r\n"
                                          "k2|510300|沪深300ETF|1|0|0.00|0.00|0|0.00\r\n"
                                          "k3|000001|上证指数|1|0|0.00|0.00|0|0.00\r\n"
                                          "k4|000001|平安银行|2|0|0.00|0.00|0|0.00\r\n");
    // F2 in the list opens the current row's market cell; a row of one market has none.
    QApplication::setActiveWindow(m_page.get());
    clickRow(3);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F2);
    editor = list->findChild<QComboBox*>(QStringLiteral("marketEditor"));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->currentText(), "深圳");
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_COMPARE(list->findChild<QComboBox*>(QStringLiteral("marketEditor")), nullptr);
    EXPECT_EQ(m_page->Rows()[3].market, kMarketShenzhen);
    clickRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F2);
    EXPECT_EQ(list->findChild<QComboBox*>(QStringLiteral("marketEditor")), nullptr);

    // A market the model does not offer is refused.
    EXPECT_FALSE(model->setData(model->index(2, WatchListModel::kMarketColumn), kMarketShenzhen));
    EXPECT_FALSE(model->setData(model->index(0, WatchListModel::kMarketColumn), kMarketFund));
    EXPECT_EQ(m_page->Rows()[2].market, kMarketShanghai);

    // The column is wide enough for its word and the arrow.
    const int word = list->fontMetrics().horizontalAdvance(QStringLiteral("基金"));
    EXPECT_GT(list->header()->sectionSize(WatchListModel::kMarketColumn), word);
}

// A row of another market whose code is changed in the details into one of another market
// goes to that market; a code its market still fits keeps it.
TEST_F(MyStocksPageTest, SavingAnotherMarketsRowWithANewCodeFollowsTheCode) {
    WriteGbk("config/list.ini", "k1|00700|腾讯控股|4|0|0|0|0|0\r\n");
    makePage();
    m_page->show();
    clickRow(0);
    child<QLineEdit>("codeEdit")->setText("09988");
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[0].market, kMarketHongKong);
    child<QLineEdit>("codeEdit")->setText("BRK.B");
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[0].market, kMarketUnitedStates);
    child<QLineEdit>("codeEdit")->setText("161725");
    click("saveButton");
    EXPECT_EQ(m_page->Rows()[0].market, kMarketFund);
}

} // namespace
} // namespace marlune
