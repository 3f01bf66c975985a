// The map: page loading, the browser host and the calls between page and program live in the
// "Google Map" group (geo/MapGroup.h); the window only starts the host at its place in start-up.
#include "app/FrmMain.h"

#include "geo/MapGroup.h"

void TFrmMain::CreateBrowserHost()
{
    if (rgMap)
        rgMap->CreateBrowserHost();
}
