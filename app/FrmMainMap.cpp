// The map: page loading, the browser host and the calls between page and program live in the
// "Google Map" group (geo/MapGroup.h); the window only starts the host at its place in start-up
// and hands it the map choice of the settings file.
#include "app/FrmMain.h"

#include "geo/MapGroup.h"
#include "geo/MapProvider.h"

void TFrmMain::CreateBrowserHost()
{
    if (!rgMap)
        return;
    rgMap->CreateBrowserHost();
    // The language is loaded by now.
    rgMap->ApplyProgramTexts();
}

void TFrmMain::ReadMapSettings(const TIniText& ini)
{
    if (rgMap)
        rgMap->SetMapSettings(MapProviders::Read(ini));
}
