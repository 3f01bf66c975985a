#pragma once

#include <QString>
#include <functional>

// The one seam through which the system shows message boxes and file dialogs.
// The program installs widget-based handlers at start; tests install their own to record what
// would be shown and to answer file dialogs, so that nothing ever blocks a test.
enum class TMsgIcon { None, Information, Warning, Error };

struct TMessageRequest {
    QString Caption;
    QString Text;
    TMsgIcon Icon = TMsgIcon::None;
};

struct TFileRequest {
    bool Save = false;  // false: open dialog
    QString Caption;
    QString Folder;     // initial folder
    QString FileName;   // name offered first, inside Folder (may be empty)
    bool ConfirmOverwrite = true; // a save dialog asks before choosing an existing file
    QString Filter;     // in the "description|pattern" form, e.g. "config file(*.cfg)|*.cfg"
};

namespace Dialogs {

using TMessageHandler = std::function<void(const TMessageRequest&)>;
// Returns the chosen path, or an empty text when the user cancelled.
using TFileHandler = std::function<QString(const TFileRequest&)>;

// A modal box with an OK button; returns when the user has closed it.
void ShowMessage(const QString& caption, const QString& text, TMsgIcon icon);
// An open or save dialog; returns the chosen path or an empty text.
QString AskFileName(const TFileRequest& request);

// Install handlers; an empty handler restores the default (which writes the message to stderr
// and cancels file dialogs). Returns the handler that was installed before.
TMessageHandler SetMessageHandler(TMessageHandler handler);
TFileHandler SetFileHandler(TFileHandler handler);

} // namespace Dialogs
