// The geo-fence page: the fence table, its editor and the map beside it.
#include "app/FrmMain.h"

#include "core/Clock.h"
#include "diag/LogLine.h"

#include "geo/GeoFencePage.h"
#include "geo/MapGroup.h"
#include "params/ResponseDispatcher.h"
#include "params/TmpHotSpotGroup.h"

#include <QLineEdit>
#include <QVBoxLayout>

void TFrmMain::BuildGeoPage()
{
    auto* layout = new QVBoxLayout(tsGeo);
    layout->setContentsMargins(0, 0, 0, 0);
    GeoPage = new TGeoFencePage(GeoFences, Queue(), tsGeo);
    layout->addWidget(GeoPage);
    // The temporary hot spot group belongs to the settings pages but sits at the top of this one.
    GeoPage->PlaceHotSpotGroup(gbTmpHotSpot);
    BuildFenceFileButtons();

    rgMap = GeoPage->rgMap;
    ed_MapLat = rgMap->ed_MapLat;
    ed_MapLng = rgMap->ed_MapLng;
    ed_MapZoom = rgMap->ed_MapZoom;
    ed_googleurl = rgMap->ed_googleurl;
    connect(rgMap, &TMapGroup::BrowserWarning, this,
            [this](const QString& text) { AppendLogLine(FormatNoticeLine(Clock::Now(), text)); });

    if (Dispatcher)
        Dispatcher->SetGeoFenceAnswerHandler([this](const TResponseFields& fields) { ApplyFenceAnswer(fields); });
}

void TFrmMain::InitGeoFenceStore()
{
    GeoFences.CreateRecords();
}

void TFrmMain::InitGeoFenceList()
{
    GeoPage->InitGeoFenceList();
    ApplyFenceFileButtonTexts(); // the language is loaded now
}

void TFrmMain::ApplyFenceAnswer(const TResponseFields& fields)
{
    GeoPage->ApplyFenceAnswer(fields);
}
