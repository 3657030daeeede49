#pragma once
// The small modal questions the settings pages ask: a message box, the file-open dialog for
// the trading program and the colour dialog. One process-wide set, which tests replace with
// ScopedSettingsPrompts so that no modal loop ever runs in them.

#include <QColor>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace marlune {

struct SettingsPrompts {
    // A message box with an OK button.
    std::function<void(QWidget* parent, const QString& text)> message;
    // The file-open dialog for a program: the chosen file's full path, or empty on Cancel.
    std::function<QString(QWidget* parent)> chooseProgram;
    // The colour dialog, starting from `initial`: the chosen colour, or nothing on Cancel.
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> chooseColor;
    // A question with the buttons Yes and No: true for Yes.
    std::function<bool(QWidget* parent, const QString& text)> ask;
};

// The file dialog for a program (the trading program): where programs end in ".exe" it
// offers those first; elsewhere the files that may be run. Empty on Cancel.
QString ChooseProgramFile(QWidget* parent);
// The dialog's filters, the programs' first.
QStringList ProgramFileFilters();

// The prompts in use: the real dialogs unless replaced.
const SettingsPrompts& CurrentSettingsPrompts();

// Replaces the prompts while it lives (members left empty keep the current ones).
class ScopedSettingsPrompts {
public:
    explicit ScopedSettingsPrompts(SettingsPrompts prompts);
    ~ScopedSettingsPrompts();
    ScopedSettingsPrompts(const ScopedSettingsPrompts&) = delete;
    ScopedSettingsPrompts& operator=(const ScopedSettingsPrompts&) = delete;

private:
    SettingsPrompts m_previous;
};

} // namespace marlune
