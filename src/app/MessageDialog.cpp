#include "app/MessageDialog.h"

#include "app/DialogPlacement.h"
#include "app/ShellTexts.h"
#include "net/UpdateRules.h"
#include "settings/GradientButton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace marlune {

MessageDialog::MessageDialog(const QString& text, QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
    setWindowTitle(
        QString::fromUtf8(kUpdateQuestionTitle.data(), static_cast<int>(kUpdateQuestionTitle.size())));
    setWindowIcon(QApplication::windowIcon());

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    m_text = new QLabel(text, this);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(220);
    m_ok = new GradientButton(QString::fromUtf8(kOkText.data(), static_cast<int>(kOkText.size())), this);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    // A question needs a way to say no besides Esc.
    m_cancel =
        new GradientButton(QString::fromUtf8(kCancelText.data(), static_cast<int>(kCancelText.size())), this);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void MessageDialog::Tell(const QString& text) {
    MessageDialog dialog(text);
    dialog.m_cancel->hide();
    dialog.setFixedSize(dialog.sizeHint());
    dialog.exec();
}

bool MessageDialog::Ask(const QString& text) {
    MessageDialog dialog(text);
    return dialog.exec() == QDialog::Accepted;
}

void MessageDialog::showEvent(QShowEvent* event) {
    CentreInWorkArea(this);
    QDialog::showEvent(event);
    m_ok->setFocus();
    activateWindow();
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter presses the button that has the keyboard, "确定" unless the user moved on.
        if (m_cancel->hasFocus())
            reject();
        else
            accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace marlune
