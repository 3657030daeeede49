#pragma once
// The password prompt of the lock: a cleared password edit with a prompt label, "确定"
// and "退出". It ends only through its two buttons: OK when the typed text opens the stored
// password (its digest, or a clear-text password of old: settings/LockPassword.h), cancel on "退出" (which
// ends the prompt, not the program). A wrong password puts a red line under the edit and the prompt stays.
// Esc does nothing. Top-most, in the middle of the work area.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace marlune {

class UnlockDialog final : public QDialog {
    Q_OBJECT
public:
    UnlockDialog(QString expectedPassword, const QString& prompt, QWidget* parent = nullptr);

    // Runs the prompt modally; true when the right password was given.
    static bool Ask(const QString& expectedPassword, const QString& prompt);

    QLineEdit* PasswordEdit() const { return m_edit; }
    QLabel* PromptLabel() const { return m_prompt; }
    QLabel* MessageLine() const { return m_message; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* QuitButton() const { return m_quit; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Esc and the window's close request end nothing.
    void reject() override {}

private:
    void tryPassword();

    QString m_expected;
    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
    QLabel* m_message = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_quit = nullptr;
};

} // namespace marlune
