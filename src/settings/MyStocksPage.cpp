#include "settings/MyStocksPage.h"

#include "config/FirstRun.h"
#include "config/ProgramFolder.h"
#include "net/FetchManager.h"
#include "net/Suggestions.h"
#include "quote/AlertRules.h"
#include "quote/Markets.h"
#include "quote/WatchListFile.h"
#include "settings/GradientButton.h"
#include "settings/MarketColumnDelegate.h"
#include "settings/SuggestionComboBox.h"
#include "settings/WatchListModel.h"
#include "text/CNumber.h"
#include "text/Gbk.h"
#include "ticker/FetchBridge.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <iterator>
#include <memory>

namespace marlune {
namespace {

// The shortest add text that can name a stock ("600000-X" is 8 bytes; the shortest real name
// makes it 10).
constexpr std::size_t kShortestAddText = 10;

QString Utf8ToQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::string QStringToUtf8(const QString& text) {
    return text.toStdString();
}

QLineEdit* NewEdit(const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

// A rate typed into "涨幅达" or "跌幅达": the size of the move, whichever sign it is typed
// with ("-3" in "跌幅达" is the 3 % fall it reads as); 0 is off.
double AlertRateOf(const std::string& typed) {
    std::string text = typed;
    text.erase(0, text.find_first_not_of(' '));
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        text.erase(0, 1);
    return StoredAlertRate(text);
}

} // namespace

std::string StockRecordKey(int market, const std::string& code) {
    const std::string text = std::to_string(market) + Utf8ToGbk(code);
    const QByteArray digest = QCryptographicHash::hash(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), QCryptographicHash::Md5);
    const std::string key = digest.toHex().toUpper().toStdString();
    return key;
}

MyStocksPage::MyStocksPage(StatusSink status, QWidget* parent)
    : MyStocksPage(std::move(status), {}, parent) {}

MyStocksPage::MyStocksPage(StatusSink status, JobStarter startJob, QWidget* parent)
    : SettingsPageBase(std::move(status), parent), m_listPath(ListIniPath()), m_extras(WatchExtrasPath()),
      m_startJob(std::move(startJob)) {
    if (!m_startJob) {
        m_bridge =
            std::make_unique<FetchBridge>([this](const FetchReport& report) { HandleFetchStatus(report); });
        m_fetchManager = std::make_unique<FetchManager>(m_bridge.get());
    }
    createControls();
    load();
}

// The FetchManager goes first and lets its waiting reports go before it joins its workers.
MyStocksPage::~MyStocksPage() = default;

void MyStocksPage::createControls() {
    m_box = new SuggestionComboBox(this);
    m_box->setObjectName(QStringLiteral("suggestionBox"));
    m_box->setInsertPolicy(QComboBox::NoInsert);
    // The drop-down holds the suggestions for what is typed; an inline completion from
    // its entries would be taken for typed text and sent as the next key.
    m_box->setCompleter(nullptr);
    m_box->setMaxVisibleItems(10);
    connect(m_box->lineEdit(), &QLineEdit::textEdited, this, &MyStocksPage::requestSuggestions);
    // Enter in the box adds the entry highlighted in the open list, else what "添加" would.
    connect(m_box, &SuggestionComboBox::enterPressed, this, &MyStocksPage::enterInBox);

    m_addButton = new GradientButton(QStringLiteral("添加"), this);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_upButton = new GradientButton(QStringLiteral("上移"), this);
    m_upButton->setObjectName(QStringLiteral("upButton"));
    m_downButton = new GradientButton(QStringLiteral("下移"), this);
    m_downButton->setObjectName(QStringLiteral("downButton"));
    m_deleteButton = new GradientButton(QStringLiteral("删除"), this);
    m_deleteButton->setObjectName(QStringLiteral("deleteButton"));
    m_helpButton = new GradientButton(QStringLiteral("帮助"), this);
    m_helpButton->setObjectName(QStringLiteral("helpButton"));
    m_saveButton = new GradientButton(QStringLiteral("保存修改"), this);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    // "添加" adds what Enter in the box would: the entry typed or picked, else the first
    // suggestion listed for the typed text.
    connect(m_addButton, &QPushButton::clicked, this, [this] { enterInBox(-1); });
    connect(m_upButton, &QPushButton::clicked, this, &MyStocksPage::MoveUp);
    connect(m_downButton, &QPushButton::clicked, this, &MyStocksPage::MoveDown);
    connect(m_deleteButton, &QPushButton::clicked, this, &MyStocksPage::Delete);
    connect(m_saveButton, &QPushButton::clicked, this, &MyStocksPage::SaveDetails);

    m_model = new WatchListModel(this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("stockList"));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch);
    // The market is a short word: its column keeps to its width, the code and name share
    // the rest.
    m_list->header()->setSectionResizeMode(WatchListModel::kMarketColumn, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    // A row whose code fits several markets has its market chosen in its market cell: a
    // click on it (or F2) opens the markets it may be given. Nothing else of the list is edited in
    // place (the details are).
    m_list->setItemDelegateForColumn(WatchListModel::kMarketColumn, new MarketColumnDelegate(m_list));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_list, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == WatchListModel::kMarketColumn && (index.flags() & Qt::ItemIsEditable))
            m_list->edit(index);
    });
    // F2 in the list does the same for the current row, whichever cell is current.
    auto* chooseMarket =
        new QShortcut(QKeySequence(Qt::Key_F2), m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(chooseMarket, &QShortcut::activated, this, [this] {
        const QModelIndex cell = m_model->index(SelectedRow(), WatchListModel::kMarketColumn);
        if (cell.isValid() && (cell.flags() & Qt::ItemIsEditable))
            m_list->edit(cell);
    });
    connect(m_model, &WatchListModel::marketChosen, this, &MyStocksPage::marketChosen);
    m_list->setToolTip(QString::fromUtf8(kListTipText));
    // The details always show the list's current row, however it became current: a click,
    // the arrow keys, Home or End, or a button that moved or removed a row.
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showDetailsOf(current.row()); });

    m_code = NewEdit("codeEdit", this);
    m_name = NewEdit("nameEdit", this);
    m_shanghai = new QRadioButton(QStringLiteral("上海"), this);
    m_shanghai->setObjectName(QStringLiteral("shanghaiRadio"));
    m_shenzhen = new QRadioButton(QStringLiteral("深圳"), this);
    m_shenzhen->setObjectName(QStringLiteral("shenzhenRadio"));
    m_markets = new QButtonGroup(this);
    m_markets->addButton(m_shanghai);
    m_markets->addButton(m_shenzhen);
    m_otherMarket = new QLabel(this);
    m_otherMarket->setObjectName(QStringLiteral("otherMarketLabel"));
    m_otherMarket->hide();
    m_alert = new QCheckBox(QStringLiteral("预警"), this);
    m_alert->setObjectName(QStringLiteral("alertBox"));
    m_lower = NewEdit("lowerEdit", this);
    m_upper = NewEdit("upperEdit", this);
    m_rise = NewEdit("riseEdit", this);
    m_fall = NewEdit("fallEdit", this);
    m_alias = NewEdit("aliasEdit", this);
    m_alias->setToolTip(QStringLiteral("在行情窗口和预警中代替名称显示；留空则显示名称"));
    m_holding = new QCheckBox(QStringLiteral("买入量"), this);
    m_holding->setObjectName(QStringLiteral("holdingBox"));
    m_quantity = NewEdit("quantityEdit", this);
    m_cost = NewEdit("costEdit", this);
    // Ticking a box opens its edits for new values; clearing it closes them.
    connect(m_alert, &QCheckBox::toggled, this, [this](bool on) {
        openEdits(on, {m_lower, m_upper, m_rise, m_fall});
    });
    connect(m_holding, &QCheckBox::toggled, this, [this](bool on) { openEdits(on, {m_quantity, m_cost}); });
    openEdits(false, {m_lower, m_upper, m_rise, m_fall});
    openEdits(false, {m_quantity, m_cost});

    // Left: the box, the list and its buttons.
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("输入代码、简称、全拼首字母"), this));
    auto* addRow = new QHBoxLayout;
    addRow->addWidget(m_box, 1);
    addRow->addWidget(m_addButton);
    left->addLayout(addRow);
    left->addWidget(m_list, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_upButton);
    listButtons->addWidget(m_downButton);
    listButtons->addWidget(m_deleteButton);
    listButtons->addWidget(m_helpButton);
    left->addLayout(listButtons);

    // Right: the details of the row last clicked.
    auto* details = new QGroupBox(QStringLiteral("详细信息"), this);
    auto* form = new QGridLayout(details);
    int row = 0;
    form->addWidget(new QLabel(QStringLiteral("代码"), details), row, 0);
    form->addWidget(m_code, row++, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("名称"), details), row, 0);
    form->addWidget(m_name, row++, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("别名"), details), row, 0);
    form->addWidget(m_alias, row++, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("地点"), details), row, 0);
    form->addWidget(m_shanghai, row, 1);
    form->addWidget(m_shenzhen, row++, 2);
    form->addWidget(m_otherMarket, row++, 1, 1, 2);
    form->addWidget(m_alert, row++, 0, 1, 3);
    form->addWidget(new QLabel(QStringLiteral("下限"), details), row, 0);
    form->addWidget(m_lower, row++, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("上限"), details), row, 0);
    form->addWidget(m_upper, row++, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("涨幅达"), details), row, 0);
    form->addWidget(m_rise, row, 1);
    form->addWidget(new QLabel(QStringLiteral("%"), details), row++, 2);
    form->addWidget(new QLabel(QStringLiteral("跌幅达"), details), row, 0);
    form->addWidget(m_fall, row, 1);
    form->addWidget(new QLabel(QStringLiteral("%"), details), row++, 2);
    form->addWidget(m_holding, row++, 0, 1, 3);
    form->addWidget(new QLabel(QStringLiteral("数量"), details), row, 0);
    form->addWidget(m_quantity, row, 1);
    form->addWidget(new QLabel(QStringLiteral("股"), details), row++, 2);
    form->addWidget(new QLabel(QStringLiteral("价格"), details), row, 0);
    form->addWidget(m_cost, row++, 1, 1, 2);
    form->addWidget(m_saveButton, row++, 1, 1, 2);
    form->setRowStretch(row, 1);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addLayout(left, 3);
    outer->addWidget(details, 2);

    // Tab follows the layout: the box, its button and the list, the details, then the buttons.
    QWidget* const order[] = {m_box,        m_addButton,    m_list,      m_code,       m_name,
                              m_shanghai,   m_shenzhen,     m_alert,     m_lower,      m_upper,
                              m_holding,    m_quantity,     m_cost,      m_saveButton, m_upButton,
                              m_downButton, m_deleteButton, m_helpButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void MyStocksPage::load() {
    ListFile file = ReadListFile(m_listPath, MarketReading::FirstDigit, DefaultListIni());
    m_maySave = MaySaveOver(file);
    m_unreadLines = std::move(file.unreadLines);
    m_extras.ApplyTo(file.entries);
    m_model->SetRows(std::move(file.entries));
}

const WatchList& MyStocksPage::Rows() const {
    return m_model->Rows();
}

int MyStocksPage::SelectedRow() const {
    return m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
}

bool MyStocksPage::writeList() {
    // A failed write leaves the file as it was; the page keeps the change and writes it
    // with the next one.
    if (!m_maySave) {
        showStatus(QString::fromUtf8(kListNotReadText));
        return false;
    }
    switch (SaveWatchList(m_listPath, m_model->Rows(), m_unreadLines)) {
    case ListSaveResult::Saved:
        // The extras follow the list, so that a stock deleted or moved takes its own along.
        if (m_extras.Write(m_model->Rows()))
            return true;
        showStatus(QString::fromUtf8(kExtrasSaveFailedText));
        break;
    case ListSaveResult::ReadOnly:
        showStatus(QString::fromUtf8(kListReadOnlyText));
        break;
    case ListSaveResult::BadText:
        showStatus(QString::fromUtf8(kListBadTextText));
        break;
    case ListSaveResult::NotWritten:
        showStatus(QString::fromUtf8(kListSaveFailedText));
        break;
    }
    return false;
}

void MyStocksPage::Add() {
    if (static_cast<int>(Rows().size()) >= kMaxWatchListRows) {
        showStatus(QString::fromUtf8(kListFullText));
        return;
    }
    showStatus(QString());
    const std::string typed = QStringToUtf8(m_box->currentText());
    const QString addError = QString::fromUtf8(kAddErrorText);
    const std::optional<Suggestion> found = stockOfTypedText(typed);
    if (!found) {
        showStatus(addError);
        return;
    }
    StockEntry row;
    row.code = found->code;
    row.name = found->name;
    row.market = found->market;
    for (const StockEntry& existing : Rows()) {
        if (existing.market == row.market && existing.code == row.code) {
            showStatus(QString::fromUtf8(kAlreadyListedText));
            return;
        }
    }
    showStatus(QString());
    row.recordKey = StockRecordKey(row.market, row.code);
    m_model->Append(std::move(row));
    writeList();
    // The new row's details are shown at once, ready for a holding or an alert; the
    // keyboard stays in the box for the next stock.
    ShowDetails(static_cast<int>(Rows().size()) - 1);
}

std::optional<Suggestion> MyStocksPage::stockOfTypedText(const std::string& typed) const {
    if (GbkLength(typed) >= kShortestAddText) {
        for (const Suggestion& result : m_results) {
            if (result.result.compare(0, typed.size(), typed) == 0)
                return result;
        }
    }
    // A code on its own (00700, AAPL, 161725, 600000): the listed stock of that code, else
    // the market its code rules give.
    return SuggestionOfTypedCode(typed, m_results);
}

void MyStocksPage::marketChosen(int row) {
    writeList();
    if (row == SelectedRow())
        showDetailsOf(row);
}

void MyStocksPage::openEdits(bool open, std::initializer_list<QLineEdit*> edits) {
    for (QLineEdit* edit : edits) {
        edit->clear();
        edit->setEnabled(open);
    }
}

void MyStocksPage::selectRow(int k) {
    m_list->setFocus();
    ShowDetails(k);
}

void MyStocksPage::MoveUp() {
    const int k = SelectedRow();
    if (k < 0) {
        showStatus(QString::fromUtf8(kSelectStockFirstText));
        return;
    }
    showStatus(QString());
    // The current row moves with its stock, and the details with it.
    if (k > 0)
        m_model->SwapWithNext(k - 1);
    selectRow(std::max(0, k - 1));
    writeList();
}

void MyStocksPage::MoveDown() {
    const int k = SelectedRow();
    if (k < 0) {
        showStatus(QString::fromUtf8(kSelectStockFirstText));
        return;
    }
    showStatus(QString());
    const int last = static_cast<int>(Rows().size()) - 1;
    if (k < last)
        m_model->SwapWithNext(k);
    selectRow(std::min(last, k + 1));
    writeList();
}

void MyStocksPage::Delete() {
    const int k = SelectedRow();
    if (k < 0) {
        showStatus(QString::fromUtf8(kSelectStockFirstText));
        return;
    }
    showStatus(QString());
    m_model->Remove(k);
    ForgetEntry(m_unreadLines, static_cast<std::size_t>(k));
    // The row that took its place is the current one now, with its details; an empty list
    // shows none.
    const int count = static_cast<int>(Rows().size());
    if (count == 0)
        clearDetails();
    else
        selectRow(std::min(k, count - 1));
    writeList();
}

void MyStocksPage::ShowDetails(int k) {
    if (k < 0 || k >= static_cast<int>(Rows().size()))
        return;
    const QModelIndex index = m_model->index(k, WatchListModel::kCodeColumn);
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    m_list->scrollTo(index);
    // Made current above when it was not; shown again here when it was.
    showDetailsOf(k);
}

void MyStocksPage::clearDetails() {
    const QSignalBlocker quietAlert(m_alert);
    const QSignalBlocker quietHolding(m_holding);
    for (QLineEdit* edit : {m_code, m_name, m_alias, m_lower, m_upper, m_rise, m_fall, m_quantity, m_cost})
        edit->clear();
    for (QCheckBox* box : {m_alert, m_holding})
        box->setChecked(false);
    for (QLineEdit* edit : {m_lower, m_upper, m_rise, m_fall, m_quantity, m_cost})
        edit->setEnabled(false);
    m_markets->setExclusive(false);
    m_shanghai->setChecked(false);
    m_shenzhen->setChecked(false);
    m_markets->setExclusive(true);
    m_otherMarket->clear();
    m_otherMarket->hide();
}

void MyStocksPage::showDetailsOf(int k) {
    if (k < 0 || k >= static_cast<int>(Rows().size())) {
        clearDetails();
        return;
    }
    const StockEntry& row = Rows()[k];
    m_code->setText(Utf8ToQString(row.code));
    m_name->setText(Utf8ToQString(row.name));
    m_alias->setText(Utf8ToQString(row.alias));
    // A row of another market checks neither: saving it keeps its market.
    m_markets->setExclusive(false);
    m_shanghai->setChecked(row.market == kMarketShanghai);
    m_shenzhen->setChecked(row.market == kMarketShenzhen);
    m_markets->setExclusive(true);
    const MarketInfo* market = MarketOf(row.market);
    const bool other = market != nullptr && row.market != kMarketShanghai && row.market != kMarketShenzhen;
    m_otherMarket->setText(other ? QString::fromUtf8(market->name) : QString());
    m_otherMarket->setVisible(other);
    // The boxes are set as stored: their own handlers would empty the edits filled below.
    const QSignalBlocker quietAlert(m_alert);
    const QSignalBlocker quietHolding(m_holding);
    const bool alert = row.alertFlag == 1;
    m_alert->setChecked(alert);
    m_lower->setText(alert ? Utf8ToQString(Format("%.2f", row.lowerLimit)) : QString());
    m_upper->setText(alert ? Utf8ToQString(Format("%.2f", row.upperLimit)) : QString());
    // A rate of 0 is off: its edit stays empty.
    m_rise->setText(alert && row.riseRate > 0.0 ? Utf8ToQString(RateText(row.riseRate)) : QString());
    m_fall->setText(alert && row.fallRate > 0.0 ? Utf8ToQString(RateText(row.fallRate)) : QString());
    for (QLineEdit* edit : {m_lower, m_upper, m_rise, m_fall})
        edit->setEnabled(alert);
    const bool holding = row.quantity > 0;
    m_holding->setChecked(holding);
    m_quantity->setText(holding ? Utf8ToQString(Format("%d", row.quantity)) : QString());
    m_cost->setText(holding ? Utf8ToQString(Format("%.2f", row.cost)) : QString());
    m_quantity->setEnabled(holding);
    m_cost->setEnabled(holding);
}

void MyStocksPage::SaveDetails() {
    const int k = SelectedRow();
    if (k < 0 || k >= static_cast<int>(Rows().size())) {
        showStatus(QString::fromUtf8(kSelectStockFirstText));
        return;
    }
    StockEntry row = Rows()[k];
    if (m_shanghai->isChecked())
        row.market = kMarketShanghai;
    else if (m_shenzhen->isChecked())
        row.market = kMarketShenzhen;
    const std::string oldCode = row.code;
    row.code = QStringToUtf8(m_code->text());
    row.name = QStringToUtf8(m_name->text());
    // A row of neither radio's market whose code became one its market never has goes to the
    // market of the new code, as a new row would.
    const MarketInfo* market = MarketOf(row.market);
    if (!m_shanghai->isChecked() && !m_shenzhen->isChecked() && row.code != oldCode && market != nullptr &&
        !market->isCode(row.code)) {
        if (const std::optional<int> typed = MarketOfTypedCode(row.code))
            row.market = *typed;
    }
    row.alias = WatchExtrasFile::StorableAlias(QStringToUtf8(m_alias->text()));
    if (m_alert->isChecked()) {
        row.alertFlag = 1;
        row.lowerLimit = static_cast<float>(AtoF(QStringToUtf8(m_lower->text())));
        row.upperLimit = static_cast<float>(AtoF(QStringToUtf8(m_upper->text())));
        row.riseRate = AlertRateOf(QStringToUtf8(m_rise->text()));
        row.fallRate = AlertRateOf(QStringToUtf8(m_fall->text()));
    } else {
        row.alertFlag = 0;
        row.lowerLimit = 0.0f;
        row.upperLimit = 0.0f;
        row.riseRate = 0.0;
        row.fallRate = 0.0;
    }
    if (m_holding->isChecked()) {
        row.quantity = AtoI(QStringToUtf8(m_quantity->text()));
        row.cost = static_cast<float>(AtoF(QStringToUtf8(m_cost->text())));
    } else {
        row.quantity = 0;
        row.cost = 0.0f;
    }
    m_model->Replace(k, std::move(row));
    if (writeList())
        showStatus(QString::fromUtf8(kDetailsSavedText));
}

void MyStocksPage::requestSuggestions(const QString& text) {
    const QuoteFetchJob job = BuildSuggestionJob(QStringToUtf8(text));
    m_newestRequestUrl = job.url;
    m_newestRequestText = text;
    m_answered = false;
    if (m_startJob) {
        m_startJob(job);
        return;
    }
    m_fetchManager->StartJob(job);
}

void MyStocksPage::HandleFetchStatus(const FetchReport& report) {
    // Only the answer to the newest text counts: an older one arriving late would replace
    // the suggestions for what the user sees typed.
    if (report.jobKind != kJobSideDownload || report.url != m_newestRequestUrl)
        return;
    if (report.status != kFetchFinished && report.status != kFetchFailed)
        return;
    m_answered = true;
    if (report.status == kFetchFailed) {
        m_enterPending = false;
        showStatus(QString::fromUtf8(kSuggestionFailedText.data(), int(kSuggestionFailedText.size())));
        return;
    }
    refillBox(report.reply);
    // Enter pressed before the answer came: it takes the answer's first entry now.
    if (m_enterPending) {
        m_enterPending = false;
        enterInBox(-1);
    }
}

void MyStocksPage::refillBox(const std::string& reply) {
    const std::optional<SuggestionResults> found = ParseSuggestionReply(reply);
    if (!found)
        return;
    m_results = found->entries;
    m_entriesFor = m_newestRequestText;

    // Refill the drop-down without touching what the user has typed, nor where the cursor
    // and the selection are in it.
    QLineEdit* edit = m_box->lineEdit();
    const QString typed = edit->text();
    const int cursor = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = edit->selectionLength();
    {
        const QSignalBlocker quiet(m_box);
        m_box->clear();
        for (const Suggestion& entry : found->entries)
            m_box->addItem(Utf8ToQString(entry.boxEntry));
        m_box->setCurrentIndex(-1);
        m_box->setEditText(typed);
        if (selectionLength > 0 && selectionStart >= 0) {
            // The cursor stays at the end the user moved it to.
            if (cursor == selectionStart)
                edit->setSelection(selectionStart + selectionLength, -selectionLength);
            else
                edit->setSelection(selectionStart, selectionLength);
        } else {
            edit->setCursorPosition(cursor);
        }
    }
    if (isVisible())
        m_box->showPopup();
}

void MyStocksPage::enterInBox(int highlighted) {
    const QString typed = m_box->lineEdit()->text();
    int entry = highlighted >= 0 && highlighted < m_box->count() ? highlighted : -1;
    // An entry the user picked from the list is in the box as it stands.
    if (entry < 0)
        entry = m_box->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry < 0 && m_box->count() > 0 && typed == m_entriesFor)
        entry = 0;
    if (entry < 0 && !m_answered && typed == m_newestRequestText) {
        // The entries still answer an older text: wait for the answer to this one.
        m_enterPending = true;
        return;
    }
    if (entry >= 0) {
        const QSignalBlocker quiet(m_box);
        m_box->setCurrentIndex(entry);
    }
    m_box->hidePopup();
    Add();
}

} // namespace marlune
