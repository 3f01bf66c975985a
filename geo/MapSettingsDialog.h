#pragma once

#include "geo/MapProvider.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Map settings": which map the geo-fence page shows (OpenStreetMap, Google Maps with a key, or
// an own tile server) with the key and the tile address. The fields that the chosen map does not
// use are disabled. OK checks the choice, then hands it to the accept check (which saves it); the
// dialog closes only when both agree.
class TMapSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TMapSettingsDialog(QWidget* parent = nullptr);

    void SetSettings(const TMapSettings& settings);
    // The settings as the fields give them now.
    TMapSettings Settings() const;
    void SetAcceptCheck(std::function<bool(const TMapSettings&)> check) { FAcceptCheck = std::move(check); }

    QComboBox* cboMapProvider = nullptr;
    QLineEdit* edtGoogleKey = nullptr;
    QLineEdit* edtTileUrl = nullptr;
    QLineEdit* edtTileAttribution = nullptr;
    QPushButton* btnMapSettingsOk = nullptr;
    QPushButton* btnMapSettingsCancel = nullptr;

public slots:
    void accept() override;

private:
    void UpdateFields();
    // The reason the fields cannot be taken as they are, or an empty text.
    QString Refusal() const;

    std::function<bool(const TMapSettings&)> FAcceptCheck;
};
