#include "settings/SecurityPage.h"

#include "config/ProgramFolder.h"
#include "config/SettingsKeys.h"
#include "config/XmlSettingsStore.h"
#include "settings/LockPassword.h"
#include "text/CNumber.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace marlune {
namespace {

constexpr int kModeAtStartup = 1;
constexpr int kModeWhenHidden = 2;

} // namespace

QStringList LockMinuteEntries() {
    return {QStringLiteral("1"),  QStringLiteral("2"),  QStringLiteral("3"),  QStringLiteral("4"),
            QStringLiteral("5"),  QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"),
            QStringLiteral("50"), QStringLiteral("60")};
}

SecurityPage::SecurityPage(StatusSink status, QWidget* parent)
    : SettingsPageBase(std::move(status), parent), m_xmlPath(XmlSettingsPath()) {
    createControls();
    load();
}

void SecurityPage::createControls() {
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    // The stored password is never shown: an empty field keeps it, a typed one replaces it.
    m_password->setPlaceholderText(QString::fromUtf8(kKeepPasswordHint));
    m_atStartup = new QCheckBox(QStringLiteral("启动时输入密码"), this);
    m_atStartup->setObjectName(QStringLiteral("startupBox"));
    m_whenHidden = new QCheckBox(QStringLiteral("窗口隐藏"), this);
    m_whenHidden->setObjectName(QStringLiteral("hiddenBox"));
    m_minutes = new QComboBox(this);
    m_minutes->setObjectName(QStringLiteral("minutesList"));
    connect(m_atStartup, &QCheckBox::clicked, this, &SecurityPage::onStartupClicked);
    connect(m_whenHidden, &QCheckBox::clicked, this, &SecurityPage::onHiddenClicked);

    auto* frame = new QGroupBox(QStringLiteral("安全设置"), this);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("密码："), frame), 0, 0);
    grid->addWidget(m_password, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("密码为4 - 6 个字符"), frame), 0, 2);
    grid->addWidget(m_atStartup, 1, 0, 1, 3);
    auto* hiddenRow = new QHBoxLayout;
    hiddenRow->addWidget(m_whenHidden);
    hiddenRow->addWidget(m_minutes);
    hiddenRow->addWidget(new QLabel(QStringLiteral("分钟后自动上锁"), frame));
    hiddenRow->addStretch(1);
    grid->addLayout(hiddenRow, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    outer->addStretch(1);
}

void SecurityPage::load() {
    using namespace sstconf;
    int mode = 0;
    std::string password;
    XmlSettingsStore store;
    store.SetPath(m_xmlPath);
    if (store.IsOpenable()) {
        m_loaded = true;
        mode = AtoI(store.GetValue(kSecurty.name));
        password = store.GetValue(kLoginPd.name);
        m_storedLockTime = store.GetValue(kLockTime.name);
    }
    // A missing key reads as the store's placeholder: no password was ever set.
    m_storedPassword = password == kDefaultOnMiss ? QString() : QString::fromStdString(password);
    m_password->clear();
    if (mode == 0 || mode == kModeAtStartup) {
        m_atStartup->setChecked(mode == kModeAtStartup);
        m_whenHidden->setChecked(false);
        m_minutes->setEnabled(false);
        return;
    }
    m_atStartup->setChecked(mode == (kModeAtStartup | kModeWhenHidden));
    m_whenHidden->setChecked(true);
    m_minutes->setEnabled(true);
    fillMinutes();
}

void SecurityPage::fillMinutes() {
    m_minutes->clear();
    m_minutes->addItems(LockMinuteEntries());
    int entry = 0;
    if (!m_filledOnce) {
        const int found = m_minutes->findText(QString::fromStdString(m_storedLockTime), Qt::MatchExactly);
        entry = found >= 0 ? found : 0;
    }
    m_filledOnce = true;
    m_minutes->setCurrentIndex(entry);
}

void SecurityPage::onStartupClicked() {
    if (!m_atStartup->isChecked())
        return;
    if (!HasPassword()) {
        showStatus(QString::fromUtf8(kEmptyPasswordText));
        m_atStartup->setChecked(false);
    } else {
        showStatus(QString());
    }
}

void SecurityPage::onHiddenClicked() {
    if (!m_whenHidden->isChecked()) {
        m_minutes->setEnabled(false);
        return;
    }
    if (!HasPassword()) {
        showStatus(QString::fromUtf8(kEmptyPasswordText));
        m_whenHidden->setChecked(false);
        return;
    }
    showStatus(QString());
    m_minutes->setEnabled(true);
    fillMinutes();
}

bool SecurityPage::HasPassword() const {
    return !m_password->text().isEmpty() || !m_storedPassword.isEmpty();
}

QString SecurityPage::passwordToStore() const {
    // A password typed anew, or one of old still kept in clear text, goes in as a digest.
    if (!m_password->text().isEmpty())
        return HashLockPassword(m_password->text());
    if (!m_storedPassword.isEmpty() && !IsHashedLockPassword(m_storedPassword))
        return HashLockPassword(m_storedPassword);
    return m_storedPassword;
}

int SecurityPage::Mode() const {
    return (m_atStartup->isChecked() ? kModeAtStartup : 0) |
           (m_whenHidden->isChecked() ? kModeWhenHidden : 0);
}

QString SecurityPage::CheckBeforeStore() const {
    if (m_loaded && Mode() != 0 && !HasPassword())
        return QString::fromUtf8(kEmptyPasswordText);
    return {};
}

void SecurityPage::Store() {
    using namespace sstconf;
    if (!m_loaded)
        return;
    XmlSettingsStore store;
    store.SetPath(m_xmlPath);
    const int mode = Mode();
    m_storedPassword = passwordToStore();
    m_password->clear();
    // Without the minutes list (the lock after hiding is off) the stored minutes stay.
    const std::string minutes =
        m_minutes->count() > 0 ? m_minutes->currentText().toStdString() : m_storedLockTime;
    // One write: the lock is never switched on with the old password.
    store.SetValues({
        {kSecurty.name, std::to_string(mode)},
        {kLoginPd.name, m_storedPassword.toStdString()},
        {kLockTime.name, minutes},
    });
    m_storedLockTime = minutes;
}

} // namespace marlune
