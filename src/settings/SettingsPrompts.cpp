#include "settings/SettingsPrompts.h"

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QSysInfo>

namespace marlune {
namespace {

// The title of the program's message boxes.
constexpr char kMessageTitle[] = "系统提示";
// Wide enough that the title bar shows the title whole, also over a one-word message.
constexpr int kMessageMinimumWidth = 260;

bool ProgramsEndInExe() {
    return QSysInfo::productType() == QLatin1String("windows");
}

void ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kMessageTitle), text, QMessageBox::Ok, parent);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(kMessageMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

SettingsPrompts RealPrompts() {
    SettingsPrompts prompts;
    prompts.message = ShowMessage;
    prompts.chooseProgram = [](QWidget* parent) { return ChooseProgramFile(parent); };
    prompts.chooseColor = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(initial.isValid() ? initial : QColor(Qt::black), parent);
        if (!color.isValid())
            return std::nullopt;
        return color;
    };
    prompts.ask = [](QWidget* parent, const QString& text) {
        QMessageBox box(QMessageBox::Question, QString::fromUtf8(kMessageTitle), text,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    return prompts;
}

} // namespace

QStringList ProgramFileFilters() {
    if (ProgramsEndInExe())
        return {QStringLiteral("Exe Files (*.exe)"), QStringLiteral("All Files (*.*)")};
    // Programs here carry no name ending: the first filter lists the files that may run.
    return {QStringLiteral("程序 (*)"), QStringLiteral("所有文件 (*)")};
}

QString ChooseProgramFile(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly);
    const QStringList filters = ProgramFileFilters();
    dialog.setNameFilters(filters);
    const QString start = QDir(QStringLiteral("d:/")).exists() ? QStringLiteral("d:/") : QDir::homePath();
    dialog.setDirectory(start);
    if (!ProgramsEndInExe()) {
        // The programs' filter shows only files that may be run (and the folders to go through).
        const QDir::Filters programs = QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot;
        const QDir::Filters everything = QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot;
        dialog.setFilter(programs);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, first = filters.front(), programs, everything](const QString& chosen) {
                             dialog.setFilter(chosen == first ? programs : everything);
                         });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

namespace {

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
    if (prompts.ask)
        Prompts().ask = std::move(prompts.ask);
}

ScopedSettingsPrompts::~ScopedSettingsPrompts() {
    Prompts() = m_previous;
}

} // namespace marlune
