#include "ticker/ExternalObject.h"

#include "ticker/BrowserLaunchGate.h"
#include "ticker/BrowserLauncher.h"

namespace marlune {

ExternalObject::ExternalObject(BrowserLaunchGate& gate, QObject* parent) : QObject(parent), m_gate(gate) {}

void ExternalObject::ShowDlg(const QString& text, int /*value*/) {
    if (BrowserAddress(text).isEmpty() || !m_gate.TakeLaunch())
        return;
    OpenInBrowser(text);
}

} // namespace marlune
