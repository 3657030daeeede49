#include "platform/BrowserSandbox.h"

#include <QByteArray>
#include <QtGlobal>

#if defined(__unix__) && !defined(__APPLE__)
#include <unistd.h>
#endif

namespace marlune::platform {

void AllowBrowserEngineWithoutSandboxWhenSuperuser() {
#if defined(__unix__) && !defined(__APPLE__)
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArrayLiteral("1"));
#endif
}

} // namespace marlune::platform
