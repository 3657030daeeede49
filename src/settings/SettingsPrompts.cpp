#include "settings/SettingsPrompts.h"

#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace marlune {
namespace {

SettingsPrompts RealPrompts() {
    SettingsPrompts prompts;
    prompts.message = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
        box.exec();
    };
    prompts.chooseProgram = [](QWidget* parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                            QStringLiteral("Exe Files (*.exe);;All Files (*)"), nullptr,
                                            QFileDialog::ReadOnly);
    };
    prompts.chooseColor = [](QWidget* parent) -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(Qt::black, parent);
        if (!color.isValid())
            return std::nullopt;
        return color;
    };
    return prompts;
}

SettingsPrompts& Prompts() {
    static SettingsPrompts prompts = RealPrompts();
    return prompts;
}

} // namespace

const SettingsPrompts& CurrentSettingsPrompts() {
    return Prompts();
}

ScopedSettingsPrompts::ScopedSettingsPrompts(SettingsPrompts prompts) : m_previous(Prompts()) {
    if (prompts.message)
        Prompts().message = std::move(prompts.message);
    if (prompts.chooseProgram)
        Prompts().chooseProgram = std::move(prompts.chooseProgram);
    if (prompts.chooseColor)
        Prompts().chooseColor = std::move(prompts.chooseColor);
}

ScopedSettingsPrompts::~ScopedSettingsPrompts() {
    Prompts() = m_previous;
}

} // namespace marlune
