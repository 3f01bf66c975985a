#pragma once

#include "geo/GeoFence.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;
struct TGeoFence;

// The floating editor of one geo-fence: its name and four corners, with Save and Close. It lies
// over the middle of the fence list while open; its caption names the fence being edited.
class TFenceEditPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit TFenceEditPanel(QWidget* parent = nullptr);

    // The tracker keeps at most this many characters of a fence name.
    static constexpr int MaxNameLength = MaxFenceNameLength;

    // Caption "Geo-Fence ID: [ %d ]" (translated) and the record's values in the fields;
    // corners in shortest general decimal form, 0 as "0".
    void ShowFence(const TGeoFence& fence);

    // The four corner fields in the order of the command (longitude before latitude), with the
    // labels that name them.
    QList<QLineEdit*> CornerFields() const;
    QLabel* LabelOf(const QLineEdit* field) const;

    QLabel* lblFenceName = nullptr;
    QLineEdit* txtGeofenceName = nullptr;
    QLabel* lblLTLng = nullptr;
    QLineEdit* txtGeofenceLTLongitude = nullptr;
    QLabel* lblLTLat = nullptr;
    QLineEdit* txtGeofenceLTLatitude = nullptr;
    QLabel* lblRBLng = nullptr;
    QLineEdit* txtGeofenceRBLongitude = nullptr;
    QLabel* lblRBLat = nullptr;
    QLineEdit* txtGeofenceRBLatitude = nullptr;
    QPushButton* btnGeoSave = nullptr;
    QPushButton* btn_Close = nullptr;
};
