#include "settings/NetworkPage.h"

#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/XmlSettingsStore.h"
#include "net/ProxyProbe.h"
#include "settings/GradientButton.h"
#include "settings/SettingsPrompts.h"
#include "text/CNumber.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace marlune {
namespace {

constexpr char kTypeNone[] = "不使用代理";
constexpr char kTypeHttp[] = "http代理";
// The third entry reads so when the page loads a stored proxy...
constexpr char kTypeDesktopLoaded[] = "使用IE浏览器设置";
// ...and so when "使用代理" is ticked on the page.
constexpr char kTypeDesktopTicked[] = "使用浏览器设置";

QLineEdit* NewField(const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

// Dotted IPv4: four numbers of one to three digits, each at most 255.
bool IsIpv4Address(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (part.isEmpty() || part.size() > 3 || !ok || value < 0 || value > 255 ||
            part.front() == QLatin1Char('+') || part.front() == QLatin1Char('-'))
            return false;
    }
    return true;
}

bool IsPort(const QString& text) {
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port >= 1 && port <= 65535;
}

} // namespace

NetworkPage::NetworkPage(StatusSink status, QWidget* parent)
    : SettingsPageBase(std::move(status), parent), m_xmlPath(XmlSettingsPath()) {
    createControls();
    load();
}

void NetworkPage::createControls() {
    m_useProxy = new QCheckBox(QStringLiteral("使用代理"), this);
    m_useProxy->setObjectName(QStringLiteral("useProxyBox"));
    connect(m_useProxy, &QCheckBox::clicked, this, &NetworkPage::onUseProxyClicked);
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("proxyTypeList"));
    // Choosing another type starts its fields afresh.
    connect(m_type, &QComboBox::activated, this, [this] { clearFields(); });
    m_host = NewField("proxyHostEdit", this);
    m_host->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9.]*")), m_host));
    m_port = NewField("proxyPortEdit", this);
    m_port->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_port));
    m_user = NewField("proxyUserEdit", this);
    m_password = NewField("proxyPasswordEdit", this);
    m_password->setEchoMode(QLineEdit::Password);
    m_test = new GradientButton(QStringLiteral("测试"), this);
    m_test->setObjectName(QStringLiteral("testButton"));
    connect(m_test, &QPushButton::clicked, this, &NetworkPage::Test);

    auto* frame = new QGroupBox(QStringLiteral("代理设置"), this);
    auto* grid = new QGridLayout(frame);
    int row = 0;
    grid->addWidget(m_useProxy, row++, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("类型："), frame), row, 0);
    grid->addWidget(m_type, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("代理服务器："), frame), row, 0);
    grid->addWidget(m_host, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("代理端口："), frame), row, 0);
    grid->addWidget(m_port, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("代理用户名："), frame), row, 0);
    grid->addWidget(m_user, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("代理密码："), frame), row, 0);
    grid->addWidget(m_password, row++, 1);
    grid->addWidget(m_test, row++, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    outer->addStretch(1);
}

void NetworkPage::fillTypeList(const char* desktopEntry) {
    m_type->clear();
    m_type->addItem(QString::fromUtf8(kTypeNone));
    m_type->addItem(QString::fromUtf8(kTypeHttp));
    m_type->addItem(QString::fromUtf8(desktopEntry));
}

void NetworkPage::load() {
    using namespace sstconf;
    int type = kProxyNone;
    XmlSettingsStore store;
    store.SetPath(m_xmlPath);
    if (store.IsOpenable()) {
        m_loaded = true;
        type = AtoI(store.GetValue(kProxyType.name));
        const std::string host = store.GetValue(kProxyIp.name);
        const std::string port = store.GetValue(kProxyPort.name);
        const std::string user = store.GetValue(kProxyUser.name);
        const std::string password = store.GetValue(kProxyPasswd.name);
        if (type != kProxyNone) {
            m_host->setText(QString::fromStdString(host));
            m_port->setText(QString::fromStdString(port));
            m_user->setText(QString::fromStdString(user));
            m_password->setText(QString::fromStdString(password));
        }
    }
    if (type != kProxyNone) {
        m_useProxy->setChecked(true);
        fillTypeList(kTypeDesktopLoaded);
        // A stored type outside the list selects nothing, as "不使用代理" would.
        m_type->setCurrentIndex(type >= 0 && type < m_type->count() ? type : 0);
        setFieldsEnabled(true);
    } else {
        m_useProxy->setChecked(false);
        setFieldsEnabled(false);
    }
}

void NetworkPage::setFieldsEnabled(bool enabled) {
    for (QWidget* control :
         {static_cast<QWidget*>(m_type), static_cast<QWidget*>(m_host), static_cast<QWidget*>(m_port),
          static_cast<QWidget*>(m_user), static_cast<QWidget*>(m_password)})
        control->setEnabled(enabled);
}

void NetworkPage::clearFields() {
    m_host->clear();
    m_port->clear();
    m_user->clear();
    m_password->clear();
}

void NetworkPage::onUseProxyClicked() {
    clearFields();
    if (m_useProxy->isChecked()) {
        fillTypeList(kTypeDesktopTicked);
        m_type->setCurrentIndex(sstconf::kProxyNone);
        setFieldsEnabled(true);
    } else {
        setFieldsEnabled(false);
    }
}

int NetworkPage::chosenType() const {
    if (!m_useProxy->isChecked())
        return sstconf::kProxyNone;
    const int index = m_type->currentIndex();
    return index > 0 ? index : sstconf::kProxyNone;
}

void NetworkPage::Test() {
    const auto& prompts = CurrentSettingsPrompts();
    if (!m_useProxy->isChecked()) {
        prompts.message(this, QString::fromUtf8(kNoProxySetText));
        return;
    }
    const int index = m_type->currentIndex();
    std::string host = m_host->text().toStdString();
    std::string port = m_port->text().toStdString();
    std::string user = m_user->text().toStdString();
    std::string password = m_password->text().toStdString();
    if (index <= sstconf::kProxyNone) {
        prompts.message(this, QString::fromUtf8(kNoProxyChosenText));
        return;
    }
    for (const QLineEdit* field : {m_host, m_port, m_user, m_password}) {
        if (field->text().size() > kMaxProxyFieldLength) {
            prompts.message(this, QString::fromUtf8(kProxyFieldTooLongText));
            return;
        }
    }
    if (index == sstconf::kProxyDesktop) {
        const DesktopProxy desktop = ReadIeProxy();
        if (desktop.status != DesktopProxyStatus::Found) {
            prompts.message(this, QString::fromUtf8(desktop.status == DesktopProxyStatus::SwitchedOff
                                                        ? kDesktopProxyOffText
                                                        : kDesktopProxyUnreadableText));
            return;
        }
        host = desktop.host;
        port = desktop.port;
    }
    // The test waits for the fetch (at most the proxy test's time-out); the page shows it is
    // busy meanwhile.
    m_test->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool works = ProxyTest(host, port, user, password);
    QApplication::restoreOverrideCursor();
    m_test->setEnabled(true);
    prompts.message(this, QString::fromUtf8(works ? kProxyWorksText : kProxyFailsText));
}

QString NetworkPage::CheckBeforeStore() const {
    if (!m_loaded)
        return {};
    for (const QLineEdit* field : {m_host, m_port, m_user, m_password}) {
        if (field->text().size() > kMaxProxyFieldLength)
            return QString::fromUtf8(kProxyFieldTooLongText);
    }
    if (chosenType() == sstconf::kProxyHttp && (!IsIpv4Address(m_host->text()) || !IsPort(m_port->text())))
        return QString::fromUtf8(kProxyAddressMissingText);
    return {};
}

void NetworkPage::Store() {
    using namespace sstconf;
    if (!m_loaded)
        return;
    XmlSettingsStore store;
    store.SetPath(m_xmlPath);
    const int type = chosenType();
    const bool keepFields = type != kProxyNone;
    const auto text = [keepFields](const QLineEdit* field) {
        return keepFields ? field->text().toStdString() : std::string();
    };
    // One write: the page is applied whole or not at all.
    store.SetValues({
        {kProxyType.name, std::to_string(type)},
        {kProxyIp.name, text(m_host)},
        {kProxyPort.name, text(m_port)},
        {kProxyUser.name, text(m_user)},
        {kProxyPasswd.name, text(m_password)},
    });
}

} // namespace marlune
