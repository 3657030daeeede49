#pragma once
// The security page: the password of the lock, whether it is asked at start-up and after the
// window has been hidden, and after how many minutes of hiding. Kept in scnf/SSTConf.xml
// (Securty, LoginPd, LockTime); the owner reads them at start-up and after every apply.
// The password field starts empty and never shows the stored password: left empty it keeps
// it; a password typed there is stored as a salted digest (settings/LockPassword.h).

#include "settings/SettingsPageBase.h"

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace marlune {

inline constexpr char kEmptyPasswordText[] = "密码为空。请先在密码框输入密码";
// In the empty password field: leaving it empty keeps the password.
inline constexpr char kKeepPasswordHint[] = "不修改请留空";

// The entries of the minutes list.
QStringList LockMinuteEntries();

class SecurityPage final : public SettingsPageBase {
    Q_OBJECT
public:
    SecurityPage(StatusSink status, QWidget* parent);

    QString CheckBeforeStore() const override;
    // Writes Securty (1 for "启动时输入密码" + 2 for "窗口隐藏"), LoginPd and LockTime.
    void Store() override;

    int Mode() const;
    // Whether the lock has a password: one typed in the field or the stored one.
    bool HasPassword() const;

    // Controls, for tests.
    QLineEdit* PasswordEdit() const { return m_password; }
    QCheckBox* StartupBox() const { return m_atStartup; }
    QCheckBox* HiddenBox() const { return m_whenHidden; }
    QComboBox* MinutesList() const { return m_minutes; }

private:
    void createControls();
    void load();
    void fillMinutes();
    void onStartupClicked();
    void onHiddenClicked();
    QString passwordToStore() const;

    std::string m_xmlPath;
    bool m_loaded = false;
    std::string m_storedLockTime;
    QString m_storedPassword; // LoginPd as read: a digest, or a clear-text password of old
    bool m_filledOnce = false;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_atStartup = nullptr;
    QCheckBox* m_whenHidden = nullptr;
    QComboBox* m_minutes = nullptr;
};

} // namespace marlune
