#pragma once

#include <QString>

// Installs the real message boxes and file dialogs behind the dialog seam; each box is owned by
// the active window. The program calls it once before the main window is created; tests don't.
void InstallWidgetDialogs();

// A dialog filter "description|pattern|…" in the file dialog's own form.
QString QtFileFilter(const QString& filter);
