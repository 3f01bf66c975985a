#include "geo/FenceEditPanel.h"

#include "geo/CoordText.h"
#include "geo/GeoFence.h"
#include "i18n/Language.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFenceEditPanel::TFenceEditPanel(QWidget* parent) : QGroupBox(parent)
{
    setObjectName(QStringLiteral("pnlGeoEdit"));
    // Drawn above the list it covers, with a background of its own.
    setAutoFillBackground(true);
    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto field = [&](QLabel*& label, const char* labelName, const char* caption, QLineEdit*& edit,
                           const char* editName) {
        label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QString::fromLatin1(labelName));
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(editName));
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        ++row;
    };
    field(lblFenceName, "lblFenceName", "Geo-fence Name:", txtGeofenceName, "txtGeofenceName");
    field(lblLTLng, "lblLTLng", "Left Top Longitude:", txtGeofenceLTLongitude, "txtGeofenceLTLongitude");
    field(lblLTLat, "lblLTLat", "Left Top Latitude:", txtGeofenceLTLatitude, "txtGeofenceLTLatitude");
    field(lblRBLng, "lblRBLng", "Right Bottom Longitude:", txtGeofenceRBLongitude, "txtGeofenceRBLongitude");
    field(lblRBLat, "lblRBLat", "Right Bottom Latitude:", txtGeofenceRBLatitude, "txtGeofenceRBLatitude");
    txtGeofenceName->setMaxLength(MaxNameLength);

    auto* buttons = new QHBoxLayout;
    btnGeoSave = new QPushButton(QStringLiteral("Save"), this);
    btnGeoSave->setObjectName(QStringLiteral("btnGeoSave"));
    btn_Close = new QPushButton(QStringLiteral("Close"), this);
    btn_Close->setObjectName(QStringLiteral("btn_Close"));
    buttons->addStretch(1);
    buttons->addWidget(btnGeoSave);
    buttons->addWidget(btn_Close);
    grid->addLayout(buttons, row, 0, 1, 2);
    setFixedSize(300, 190);
    hide();
}

void TFenceEditPanel::ShowFence(const TGeoFence& fence)
{
    // The number goes in after translation, so that one catalogue entry serves every fence.
    setTitle(Translate(QStringLiteral("Geo-Fence ID: [ %d ]"))
                 .replace(QStringLiteral("%d"), QString::number(fence.FenceNo)));
    txtGeofenceName->setText(QString::fromLocal8Bit(fence.FenceName));
    txtGeofenceLTLongitude->setText(FormatShortDecimal(fence.LTLongitude));
    txtGeofenceLTLatitude->setText(FormatShortDecimal(fence.LTLatitude));
    txtGeofenceRBLongitude->setText(FormatShortDecimal(fence.RBLongitude));
    txtGeofenceRBLatitude->setText(FormatShortDecimal(fence.RBLatitude));
}

QList<QLineEdit*> TFenceEditPanel::CornerFields() const
{
    return {txtGeofenceLTLongitude, txtGeofenceLTLatitude, txtGeofenceRBLongitude, txtGeofenceRBLatitude};
}

QLabel* TFenceEditPanel::LabelOf(const QLineEdit* field) const
{
    for (QLabel* label : {lblFenceName, lblLTLng, lblLTLat, lblRBLng, lblRBLat})
        if (label->buddy() == field)
            return label;
    return nullptr;
}
