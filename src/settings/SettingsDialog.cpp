#include "settings/SettingsDialog.h"

#include "settings/AboutPage.h"
#include "settings/BasicPage.h"
#include "settings/DisplayPage.h"
#include "settings/GradientButton.h"
#include "settings/MyStocksPage.h"
#include "settings/NetworkPage.h"
#include "settings/SecurityPage.h"
#include "settings/SettingsHost.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

// The tree's icons are compiled into this library; a static library has to load them itself.
static void LoadSettingsResources() {
    Q_INIT_RESOURCE(settings);
}

namespace marlune {
namespace {

constexpr int kTreeIconSize = 25;
constexpr int kTreeWidth = 130;
constexpr int kPageWidth = 470;
constexpr int kPageHeight = 380;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonSpacing = 6;

struct PageInfo {
    SettingsPageId id;
    const char* name;
    const char* icon;
};

// The tree's items in their order.
constexpr PageInfo kTreeItems[] = {
    {SettingsPageId::MyStocks, "我的股票", ":/settings/icons/mystocks.png"},
    {SettingsPageId::Basic, "基本配置", ":/settings/icons/basic.png"},
    {SettingsPageId::Display, "显示设置", ":/settings/icons/display.png"},
    {SettingsPageId::Network, "网络连接", ":/settings/icons/network.png"},
    {SettingsPageId::Security, "安    全", ":/settings/icons/security.png"},
    {SettingsPageId::About, "关于我们", ":/settings/icons/about.png"},
};

} // namespace

SettingsDialog::SettingsDialog(SettingsHost* host, QWidget* parent) : QDialog(parent), m_host(host) {
    LoadSettingsResources();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sorell设置"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(false);
    buildTree();
    createPages();
    layOut();
    ShowPage(SettingsPageId::MyStocks);
    // The user can start typing a stock at once.
    m_myStocks->SuggestionBox()->setFocus();
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::buildTree() {
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("pageTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setIconSize(QSize(kTreeIconSize, kTreeIconSize));
    m_tree->setFixedWidth(kTreeWidth);
    for (const PageInfo& info : kTreeItems) {
        auto* item = new QTreeWidgetItem(m_tree, QStringList{QString::fromUtf8(info.name)});
        item->setIcon(0, QIcon(QString::fromUtf8(info.icon)));
        item->setData(0, Qt::UserRole, static_cast<int>(info.id));
    }
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { onTreeClicked(item); });
    // The keyboard moves through the tree too: the highlighted page is the one shown.
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { onTreeClicked(item); });
}

void SettingsDialog::createPages() {
    QPointer<SettingsDialog> self(this);
    const StatusSink status = [self](const QString& text) {
        if (self)
            self->SetStatusText(text);
    };
    // In the order of the dialog's pages; each loads its settings as it is made.
    m_myStocks = new MyStocksPage(status, this);
    m_basic = new BasicPage(status, this);
    m_display = new DisplayPage(status, this);
    m_network = new NetworkPage(status, this);
    m_security = new SecurityPage(status, this);
    m_about = new AboutPage(status, this);
    m_pages = {m_myStocks, m_basic, m_display, m_network, m_security, m_about};
    const char* const objectNames[] = {"myStocksPage", "basicPage",    "displayPage",
                                       "networkPage",  "securityPage", "aboutPage"};
    for (int i = 0; i < kSettingsPageCount; ++i) {
        m_pages[i]->setObjectName(QString::fromLatin1(objectNames[i]));
        m_pages[i]->hide();
        // Typing anywhere on a page clears what the status text said.
        for (QWidget* child : m_pages[i]->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::InputMethod) {
        if (!static_cast<QInputMethodEvent*>(event)->commitString().isEmpty())
            SetStatusText(QString());
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool typing = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                            (!text.isEmpty() && text.at(0).isPrint());
        if (typing)
            SetStatusText(QString());
    }
    return QDialog::eventFilter(watched, event);
}

void SettingsDialog::layOut() {
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusText"));
    QPalette red = m_status->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_status->setPalette(red);
    m_status->setWordWrap(true);

    m_ok = new GradientButton(QStringLiteral("确定"), this);
    m_apply = new GradientButton(QStringLiteral("应用"), this);
    m_cancel = new GradientButton(QStringLiteral("取消"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_apply->setObjectName(QStringLiteral("applyButton"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    for (GradientButton* button : {m_ok, m_apply, m_cancel})
        button->setFixedSize(kButtonWidth, kButtonHeight);
    connect(m_ok, &QPushButton::clicked, this, &SettingsDialog::onOk);
    connect(m_apply, &QPushButton::clicked, this, &SettingsDialog::onApply);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsDialog::onCancel);

    // The pages share one area right of the tree; one of them is shown at a time.
    auto* pageArea = new QWidget(this);
    pageArea->setObjectName(QStringLiteral("pageArea"));
    pageArea->setMinimumSize(kPageWidth, kPageHeight);
    auto* pages = new QGridLayout(pageArea);
    pages->setContentsMargins(0, 0, 0, 0);
    for (QWidget* page : m_pages) {
        page->setParent(pageArea);
        pages->addWidget(page, 0, 0);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(m_tree);
    top->addSpacing(10);
    top->addWidget(pageArea, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonSpacing);
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->addLayout(top, 1);
    outer->addLayout(buttons);
}

void SettingsDialog::ShowPage(SettingsPageId page) {
    // Only the other pages are hidden: hiding the shown one would take the keyboard focus
    // away from it.
    QWidget* shown = m_pages[static_cast<int>(page)];
    // What the status text said was about the page the user leaves.
    if (page != m_current)
        SetStatusText(QString());
    for (QWidget* each : m_pages) {
        if (each != shown)
            each->hide();
    }
    m_current = page;
    shown->show();
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        if (item->data(0, Qt::UserRole).toInt() == static_cast<int>(page)) {
            const QSignalBlocker quiet(m_tree);
            m_tree->setCurrentItem(item);
        }
    }
}

void SettingsDialog::onTreeClicked(QTreeWidgetItem* item) {
    // A click beside every item reports no item and changes nothing.
    if (item == nullptr || item->text(0).isEmpty())
        return;
    ShowPage(static_cast<SettingsPageId>(item->data(0, Qt::UserRole).toInt()));
}

void SettingsDialog::BringToFront() {
    show();
    raise();
    activateWindow();
}

void SettingsDialog::SetStatusText(const QString& text) {
    m_status->setText(text);
}

QString SettingsDialog::StatusText() const {
    return m_status->text();
}

QPushButton* SettingsDialog::Button(ButtonId id) const {
    switch (id) {
    case kButtonOk:
        return m_ok;
    case kButtonApply:
        return m_apply;
    case kButtonCancel:
        return m_cancel;
    }
    return nullptr;
}

bool SettingsDialog::Apply() {
    // Every page is checked before anything is stored, so a refusal stores nothing.
    const std::pair<SettingsPageId, SettingsPageBase*> checked[] = {
        {SettingsPageId::Display, m_display},
        {SettingsPageId::Network, m_network},
        {SettingsPageId::Security, m_security},
    };
    for (const auto& [id, page] : checked) {
        const QString reason = page->CheckBeforeStore();
        if (!reason.isEmpty()) {
            ShowPage(id);
            SetStatusText(reason);
            return false;
        }
    }
    // Every page keeps its edits until the dialog is confirmed or cancelled, whichever page
    // is on display then.
    m_basic->Store();
    for (const auto& entry : checked)
        entry.second->Store();
    return true;
}

void SettingsDialog::postSettingsApplied() {
    if (m_host == nullptr)
        return;
    SettingsHost* host = m_host;
    // Queued, so that the host handles it after this button's handler has returned; a host
    // that is a QObject takes the call with it when it goes.
    QObject* context = dynamic_cast<QObject*>(host);
    QTimer::singleShot(0, context != nullptr ? context : qApp, [host] { host->OnSettingsApplied(); });
}

void SettingsDialog::onOk() {
    if (!Apply())
        return;
    postSettingsApplied();
    if (m_host)
        m_host->RegisterHotKeyAfterSettings();
    close();
}

void SettingsDialog::onApply() {
    if (!Apply())
        return;
    postSettingsApplied();
}

void SettingsDialog::onCancel() {
    postSettingsApplied();
    if (m_host)
        m_host->RegisterHotKeyAfterSettings();
    close();
}

void SettingsDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button takes Enter itself. The dialog has no default button: Enter in a
        // field (the stock box adds a stock with it) never closes the dialog.
        event->accept();
        return;
    case Qt::Key_Escape:
        // Esc is "取消", as in every dialog.
        event->accept();
        onCancel();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void SettingsDialog::reject() {
    // Esc is taken above; any other way of rejecting closes the dialog as its close box does.
    close();
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    // Also the close box: the pages go with the dialog, and the owner registers its hot key
    // again and forgets the dialog.
    event->accept();
    if (m_closed)
        return;
    m_closed = true;
    hide();
    if (m_host) {
        m_host->RegisterHotKeyAfterSettings();
        m_host->OnSettingsDialogClosed();
    }
}

} // namespace marlune
