#pragma once

#include "params/TrackerSettings.h"

#include <QGroupBox>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class TCmdQueue;

// The "Temporary Hot Spot" group: the hot-spot radius in meters (command 9) with its Read and
// Write buttons. It sits at the top of the geo-fence page, which places it.
class TTmpHotSpotGroup : public QGroupBox {
    Q_OBJECT
public:
    TTmpHotSpotGroup(TCmdQueue& queue, QWidget* parent = nullptr);

    void btnSelfHotSpotReadClick();
    // Takes the radius into the settings model and writes it from there. A radius that is not
    // an integer: nothing at all happens (no message, the queue untouched).
    void btnSelfHotSpotWriteClick();

    // The settings model the Write takes the radius into; the window hands the group its own,
    // a group alone has one of its own.
    void SetSettings(TTrackerSettings* settings);
    TTrackerSettings& Settings() const { return *FSettings; }
    // Shows the model's radius as an answer does; false for another key.
    bool ShowSetting(const TTrackerSettings& settings, const QString& key);
    // Puts the radius as typed (trimmed) into the model; false for another key.
    bool TakeSetting(TTrackerSettings& settings, const QString& key) const;

    QLabel* lblRadius;
    QLineEdit* txtRadius;
    QPushButton* btnSelfHotSpotRead;
    QPushButton* btnSelfHotSpotWrite;

private:
    TCmdQueue& FQueue;
    std::unique_ptr<TTrackerSettings> FOwnSettings;
    TTrackerSettings* FSettings;
};
