#pragma once
// The object that pages shown in the program's web panes reach as window.external.

#include <QObject>
#include <QString>

namespace marlune {

class BrowserLaunchGate;

class ExternalObject final : public QObject {
    Q_OBJECT
public:
    // The gate (which outlives the object) decides whether a call may open the browser.
    ExternalObject(BrowserLaunchGate& gate, QObject* parent);

    // window.external.ShowDlg(text, value): opens text in the default browser when the
    // gate lets it (in answer to the user's click); value is taken because the pages pass
    // one, and is not used. Texts that are not web addresses are refused quietly (see
    // OpenInBrowser) and use up no click.
    Q_INVOKABLE void ShowDlg(const QString& text, int value);

private:
    BrowserLaunchGate& m_gate;
};

} // namespace marlune
