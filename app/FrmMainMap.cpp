// The map: page loading, the browser host and the calls between page and program.
#include "app/FrmMain.h"

void TFrmMain::CreateBrowserHost() {}
