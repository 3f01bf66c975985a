// The communication log in its two views, and the raw command console.
#include "app/FrmMain.h"

void TFrmMain::BuildConsolePage() {}

void TFrmMain::AppendLogLine(const QString& line) { Q_UNUSED(line); }
