// The geo-fence page: the fence table, its editor and the map beside it.
#include "app/FrmMain.h"

#include <QHBoxLayout>
#include <QLineEdit>

void TFrmMain::BuildGeoPage()
{
    auto* layout = new QHBoxLayout(tsGeo);
    const auto edit = [this, layout](const char* name, const char* text) {
        auto* e = new QLineEdit(QString::fromLatin1(text), tsGeo);
        e->setObjectName(QString::fromLatin1(name));
        layout->addWidget(e);
        return e;
    };
    ed_MapLat = edit("ed_MapLat", "22.917922");
    ed_MapLng = edit("ed_MapLng", "125.156251");
    ed_MapZoom = edit("ed_MapZoom", "2");
    ed_googleurl = edit("ed_googleurl", "");
    ed_googleurl->setVisible(false);
}

void TFrmMain::InitGeoFenceStore() {}

void TFrmMain::InitGeoFenceList() {}
