#pragma once

#include <QTimer>
#include <QWidget>

class QGroupBox;
class QLabel;
class QToolButton;
class TBarMeter;
class TLedDisplay;

// The status group's contents: identifier display, alias, GSM and GPS levels, battery, firmware
// version and the status button. It fills the window's existing group and takes that group's
// "ID:" label into its own grid, beside the identifier display.
class TStatusPanel : public QWidget {
    Q_OBJECT
public:
    TStatusPanel(QGroupBox* rgbInfo, QLabel* lblID);

    static constexpr const char* InitialVersionText = "xxxxxxxx";
    static constexpr int ChargingIntervalMs = 1000;

    // Everything as at start: identifier "0000000000", no alias, meters at 0, version "xxxxxxxx".
    void Reset();
    // Each display's tooltip tells its label and value ("GSM: 3 / 5"); renewed on every change.
    void RefreshTips();

    // After the port closed the values are those of the last tracker: they show greyed, and
    // each tooltip says so, until an answer comes (from this tracker or the next).
    void SetStale(bool stale);
    bool Stale() const { return FStale; }

    // The level the tracker answered (status answer or command 16): the meter shows it, and its
    // tooltip and screen-reader value keep telling it while the animation draws other levels.
    void SetBatteryLevel(int level);
    // The battery-charging animation: every status answer starts it (a running one goes on with
    // its step); the port switch stops it and shows 0.
    void StartBatteryAnimation();
    void StopBatteryAnimation();
    void tmBatteyChargingTimer();
    int AnimationStep() const { return FAnimationStep; }
    QTimer& tmBatteyCharging() { return FChargingTimer; }

    QLabel* lblID;
    TLedDisplay* RzMeter_LED;
    QLabel* lblAnother;
    QLabel* lblAnotherName;
    QLabel* lblGSM;
    TBarMeter* RzMeter_GSM;
    QLabel* lblGPS;
    TBarMeter* RzMeter_GPS;
    QLabel* lblBattery;
    TBarMeter* RzMeter_Battery;
    QLabel* lblVer;
    QLabel* lblVersion;
    QToolButton* sbT01;

private:
    QList<QWidget*> ValueDisplays() const;

    QTimer FChargingTimer;
    int FAnimationStep = 0;
    bool FStale = false;
};
