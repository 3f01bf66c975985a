#pragma once

class QWidget;

// Installs the real message boxes and file dialogs behind the dialog seam, owned by the window.
void InstallWidgetDialogs(QWidget* owner);
