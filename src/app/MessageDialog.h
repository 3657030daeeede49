#pragma once
// The program's yes-or-no question, asked for the owner: "系统提示" with the icon, the
// text, "确定" and "取消". OK (or Enter) answers yes; "取消" and Esc answer no. No close box; top-most, in
// the middle of the work area.

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace marlune {

class MessageDialog final : public QDialog {
    Q_OBJECT
public:
    explicit MessageDialog(const QString& text, QWidget* parent = nullptr);

    // Runs the question modally; true for OK.
    static bool Ask(const QString& text);
    // Shows a message with only "确定", modally.
    static void Tell(const QString& text);

    QLabel* TextLabel() const { return m_text; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    // Enter answers OK wherever the focus is.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_text = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace marlune
