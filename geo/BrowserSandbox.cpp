#include "geo/BrowserSandbox.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

bool Prepared = false;
bool TurnedOff = false;

} // namespace

void PrepareBrowserSandbox()
{
    if (Prepared)
        return;
    Prepared = true;
#ifdef Q_OS_UNIX
    if (::geteuid() != 0)
        return;
    // Qt WebEngine switches the sandbox off when the variable is set at all, whatever its value.
    if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        return;
    if (qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox"))
        return;
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    TurnedOff = true;
#endif
}

bool BrowserSandboxTurnedOffForRoot() { return TurnedOff; }
