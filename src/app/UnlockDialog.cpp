#include "app/UnlockDialog.h"

#include "app/DialogPlacement.h"
#include "app/ShellTexts.h"
#include "settings/GradientButton.h"
#include "settings/LockPassword.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace marlune {

UnlockDialog::UnlockDialog(QString expectedPassword, const QString& prompt, QWidget* parent)
    : QDialog(parent), m_expected(std::move(expectedPassword)) {
    // A title but no close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(ShellText(kUnlockTitle));
    setWindowIcon(QApplication::windowIcon());

    m_prompt = new QLabel(prompt.isEmpty() ? ShellText(kUnlockLabel) : prompt, this);
    m_edit = new QLineEdit(this);
    m_edit->setEchoMode(QLineEdit::Password);
    m_edit->setMinimumWidth(160);
    m_message = new QLabel(this);
    QPalette red = m_message->palette();
    red.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
    m_message->setPalette(red);
    m_message->setMinimumHeight(m_message->fontMetrics().height());
    m_ok = new GradientButton(ShellText(kOkText), this);
    m_quit = new GradientButton(ShellText(kQuitPromptText), this);
    connect(m_ok, &QPushButton::clicked, this, &UnlockDialog::tryPassword);
    connect(m_quit, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(m_prompt);
    editRow->addWidget(m_edit, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_quit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(editRow);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

bool UnlockDialog::Ask(const QString& expectedPassword, const QString& prompt) {
    UnlockDialog dialog(expectedPassword, prompt);
    return dialog.exec() == QDialog::Accepted;
}

void UnlockDialog::showEvent(QShowEvent* event) {
    m_edit->clear();
    m_message->clear();
    CentreInWorkArea(this);
    QDialog::showEvent(event);
    m_edit->setFocus();
    activateWindow();
}

void UnlockDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        event->accept(); // swallowed
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter is the OK button, wherever the focus is.
        tryPassword();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void UnlockDialog::tryPassword() {
    // Exactly as stored: case-sensitive, character for character.
    if (LockPasswordMatches(m_expected, m_edit->text())) {
        done(QDialog::Accepted);
        return;
    }
    m_message->setText(ShellText(kUnlockWrongPassword));
    m_edit->setFocus();
}

} // namespace marlune
