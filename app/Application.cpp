#include "app/Application.h"

#include "core/AppError.h"
#include "core/Dialogs.h"
#include "geo/BrowserSandbox.h"

#include <QThread>
#include <cstdio>

std::atomic<int> TApplication::FEscaped{0};

namespace {

// Runs before the base class is made: the web engine reads its environment from then on.
int& BeforeTheApplication(int& argc)
{
    PrepareBrowserSandbox();
    return argc;
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(BeforeTheApplication(argc), argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const EAppError& e) {
        ShowEscaped(e.Message());
    } catch (const std::exception& e) {
        ShowEscaped(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowEscaped(QStringLiteral("Unknown error"));
    }
    return false;
}

void TApplication::ShowEscaped(const QString& message)
{
    ++FEscaped;
    // Said on standard error too: it names a handler that should have caught the error itself.
    std::fprintf(stderr, "tovrik-assistant: an error left an event handler: %s\n", qPrintable(message));
    if (QThread::currentThread() == instance()->thread())
        Dialogs::ShowMessage(QStringLiteral("ERROR"), message, TMsgIcon::Error);
}
