#include "ticker/ExternalObject.h"

#include "ticker/BrowserLauncher.h"

namespace marlune {

void ExternalObject::ShowDlg(const QString& text, int /*value*/) {
    OpenInBrowser(text);
}

} // namespace marlune
