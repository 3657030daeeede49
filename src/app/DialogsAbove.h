#pragma once
// Keeps the program's dialogs above the ticker window. A ticker kept on top would otherwise
// cover the settings dialog when it re-places itself after "应用", and the modal dialogs
// (the about box, the message and unlock prompts, file and colour dialogs) that open while it
// is on top; the user's next clicks would then land on the grid. Installed once on the
// application: every modal dialog that opens is put on the top-most level and raised.

#include <QObject>

class QWidget;

namespace marlune {

class DialogsAbove final : public QObject {
    Q_OBJECT
public:
    explicit DialogsAbove(QObject* parent = nullptr);
    ~DialogsAbove() override;

    // Raises every open dialog of the program again (after the ticker raised itself); the
    // settings dialog is one of them while it is open.
    void RaiseOpenDialogs() const;

    // Whether the window is one this keeps above the ticker: a modal dialog, or one made
    // top-most by the program itself (the settings dialog).
    static bool KeepsAbove(const QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace marlune
