#include "core/Dialogs.h"

#include "core/NestedLoops.h"

#include <cstdio>

namespace {

Dialogs::TMessageHandler& MessageHandler()
{
    static Dialogs::TMessageHandler handler;
    return handler;
}

Dialogs::TFileHandler& FileHandler()
{
    static Dialogs::TFileHandler handler;
    return handler;
}

} // namespace

namespace Dialogs {

void ShowMessage(const QString& caption, const QString& text, TMsgIcon icon)
{
    // Copy first: the handler may run nested message processing that installs another handler.
    const TMessageHandler handler = MessageHandler();
    if (handler) {
        const TNestedLoopScope box; // a modal box runs its own message loop
        handler(TMessageRequest{caption, text, icon});
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.toLocal8Bit().constData(), text.toLocal8Bit().constData());
}

QString AskFileName(const TFileRequest& request)
{
    const TFileHandler handler = FileHandler();
    if (!handler)
        return QString();
    const TNestedLoopScope dialog;
    return handler(request);
}

TMessageHandler SetMessageHandler(TMessageHandler handler)
{
    TMessageHandler old = MessageHandler();
    MessageHandler() = std::move(handler);
    return old;
}

TFileHandler SetFileHandler(TFileHandler handler)
{
    TFileHandler old = FileHandler();
    FileHandler() = std::move(handler);
    return old;
}

} // namespace Dialogs
