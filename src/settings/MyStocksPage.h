#pragma once
// The my-stocks page: edits the watch list config/list.ini. On the left the list of stocks
// (code, short name and market, chosen in its cell where the code fits several markets), the
// suggestion box where the user types a code, a short name or pinyin initials, and the
// buttons to add, move up, move down and delete; on the right the
// details of the list's current row (code, name, alias, market, alert limits and change
// rates, holding) with a button that stores them. The list view shows a WatchListModel that holds the rows
// the page writes, and the buttons and the details act on the view's current row. Every change is written to
// list.ini at once (crash-safe: a failed write leaves the file as it was), with the file's lines that give no
// stock kept at their places. A list.ini that is read-only, or that could not be read, is never written: the
// page says so after every change. The alias and the change-rate alerts go to data/watchextras.txt with
// every write of list.ini.
//
// Every change of the typed text asks the suggestion service for matching stocks through the
// page's own FetchManager; the answers fill the box's drop-down list, which then opens. Only
// the answer to the newest request is taken: a late answer for an older text changes nothing.

#include "net/FetchJob.h"
#include "net/Suggestions.h"
#include "quote/StockEntry.h"
#include "quote/WatchExtras.h"
#include "quote/WatchListFile.h"
#include "settings/SettingsPageBase.h"
#include "settings/SuggestionComboBox.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTreeView;

namespace marlune {

class FetchBridge;
class FetchManager;
class GradientButton;
class WatchListModel;

// The most rows the watch list holds.
inline constexpr int kMaxWatchListRows = 20;

// The status texts of the page.
inline constexpr char kSelectStockFirstText[] = "请先选择要操作的股票";
inline constexpr char kListFullText[] = "最多只允许添加20只股票信息";
inline constexpr char kAddErrorText[] = "添加数据错误。输入格式为 代码-简称。请从下拉提示框中选择数据";
inline constexpr char kAlreadyListedText[] = "该股票代码已存在，请重新添加";
inline constexpr char kListTipText[] = "双击可以设置详细信息";
inline constexpr char kListReadOnlyText[] = "自选股文件是只读的，修改无法保存";
inline constexpr char kListNotReadText[] = "自选股文件过大或无法读取，修改无法保存";
inline constexpr char kListBadTextText[] = "名称中有无法保存的字符，修改未保存";
inline constexpr char kListSaveFailedText[] = "自选股保存失败";
inline constexpr char kDetailsSavedText[] = "修改已保存";
inline constexpr char kExtrasSaveFailedText[] = "别名和涨跌幅预警保存失败";

// The record key of a stock added on the page: the MD5 digest of the market digit followed by
// the code ("1" + "600000"), as 32 upper-case hexadecimal digits.
std::string StockRecordKey(int market, const std::string& code);

class MyStocksPage final : public SettingsPageBase {
    Q_OBJECT
public:
    // Where suggestion requests go; tests replace the page's FetchManager with their own.
    using JobStarter = std::function<void(const QuoteFetchJob&)>;

    // Loads config/list.ini of the program folder.
    MyStocksPage(StatusSink status, QWidget* parent);
    MyStocksPage(StatusSink status, JobStarter startJob, QWidget* parent);
    ~MyStocksPage() override;

    // The buttons' actions.
    void Add();
    void MoveUp();
    void MoveDown();
    void Delete();
    void SaveDetails();
    // Makes row k the current one and shows its details, as a click on it does.
    void ShowDetails(int k);

    // A suggestion download's report, on the GUI thread.
    void HandleFetchStatus(const FetchReport& report);

    // State, for tests.
    const WatchList& Rows() const;
    const std::vector<Suggestion>& Results() const { return m_results; }
    // The list's current row, whose details are shown; -1 when there is none.
    int SelectedRow() const;
    SuggestionComboBox* SuggestionBox() const { return m_box; }
    QTreeView* List() const { return m_list; }
    WatchListModel* Model() const { return m_model; }

private:
    void createControls();
    void load();
    // Writes the rows to list.ini; false (and the reason in the status text) when it could not.
    bool writeList();
    // Makes row k current with the keyboard on the list (after a move or a delete).
    void selectRow(int k);
    void showDetailsOf(int k);
    void clearDetails();
    void requestSuggestions(const QString& text);
    void refillBox(const std::string& reply);
    // Enter in the box: adds the highlighted drop-down entry (-1: none is), else the entry
    // typed or picked, else the first suggestion for the typed text. Before that text's
    // suggestions have come, the add waits for them.
    void enterInBox(int highlighted);
    void openEdits(bool open, std::initializer_list<QLineEdit*> edits);
    // The stock the typed text names: the first result it begins (at least kShortestAddText
    // bytes of it), else a code typed on its own; nothing when it names none.
    std::optional<Suggestion> stockOfTypedText(const std::string& typed) const;
    // A row's market chosen in the list: written at once, and shown in the details.
    void marketChosen(int row);

    std::string m_listPath;
    WatchExtrasFile m_extras;
    // The lines of the file that gave no stock, and whether the file may be written at all.
    std::vector<UnreadListLine> m_unreadLines;
    bool m_maySave = true;
    std::vector<Suggestion> m_results;
    std::string m_newestRequestUrl;
    QString m_newestRequestText;
    bool m_answered = true;      // the newest request has had its answer
    QString m_entriesFor;        // the typed text the drop-down's entries answer
    bool m_enterPending = false; // Enter waits for the newest answer

    SuggestionComboBox* m_box = nullptr;
    WatchListModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    GradientButton* m_addButton = nullptr;
    GradientButton* m_upButton = nullptr;
    GradientButton* m_downButton = nullptr;
    GradientButton* m_deleteButton = nullptr;
    GradientButton* m_helpButton = nullptr;
    GradientButton* m_saveButton = nullptr;
    QLineEdit* m_code = nullptr;
    QLineEdit* m_name = nullptr;
    QRadioButton* m_shanghai = nullptr;
    QRadioButton* m_shenzhen = nullptr;
    QButtonGroup* m_markets = nullptr;
    // The market of a row of neither Shanghai nor Shenzhen ("港股"); hidden for those two.
    QLabel* m_otherMarket = nullptr;
    QCheckBox* m_alert = nullptr;
    QLineEdit* m_lower = nullptr;
    QLineEdit* m_upper = nullptr;
    QLineEdit* m_rise = nullptr;
    QLineEdit* m_fall = nullptr;
    QLineEdit* m_alias = nullptr;
    QCheckBox* m_holding = nullptr;
    QLineEdit* m_quantity = nullptr;
    QLineEdit* m_cost = nullptr;

    JobStarter m_startJob;
    // The bridge outlives the FetchManager, which releases it before joining its workers.
    std::unique_ptr<FetchBridge> m_bridge;
    std::unique_ptr<FetchManager> m_fetchManager;
};

} // namespace marlune
