#pragma once

#include "fleet/ProvisionPlan.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class TStationSlot;
class TStationTile;
struct TProvisionResult;

// The provisioning station: a parameter file (and a fence file, named by it or chosen here) and
// one tile per port. Start provisions every tracker that answers on any port, each port on its
// own: a slot waits for a tracker, writes and verifies it, shows a large PASS or FAIL with its
// identifier and firmware, adds its row to the day's report, and waits until it is gone and the
// next answers. USB serial devices come and go as tiles by themselves; other ports are added by
// hand. Stop ends every slot at any moment.
class TProvisionWindow : public QDialog {
    Q_OBJECT
public:
    // What the station needs of the main window: the device a port number names, and letting go
    // of its own port when a run is about to open it.
    struct TOwnerPorts {
        std::function<QString(const QString& number)> DeviceOf;
        std::function<void(const QStringList& devices)> Release;
    };

    TProvisionWindow(QWidget* owner, TOwnerPorts ports);
    ~TProvisionWindow() override;

    // Shows the one provisioning window of `owner`, made on first use.
    static TProvisionWindow* ShowFor(QWidget* owner, QComboBox* mainPortList, TOwnerPorts ports);

    // The counters above the tiles: passed and failed, and the pace in trackers per hour once it
    // says something (after RateAfterTrackers trackers or RateAfterMs of the run); a single tracker
    // after a minute is no rate.
    static QString CountersText(int passed, int failed, qint64 runMs);
    static constexpr int RateAfterTrackers = 5;
    static constexpr qint64 RateAfterMs = 5 * 60 * 1000;
    // A result word of the report ("pass", "no tracker") as the window shows it, translated.
    static QString ShownResultWord(const QString& word);

    void btnProvisionParamsClick();
    void btnProvisionFencesClick();
    void btnProvisionAddPortClick();
    void btnProvisionStartClick();
    void btnProvisionStopClick();
    bool Running() const { return FRunning; }
    // Adds a tile for the device (once); false when it names no device.
    bool AddPortTile(const QString& device);
    QList<TStationTile*> Tiles() const { return FTiles; }
    // Where this run's rows go: the day's report in the data folder unless set.
    QString ReportPath;

    QLineEdit* edtProvisionParams;
    QPushButton* btnProvisionParams;
    QLineEdit* edtProvisionFences;
    QPushButton* btnProvisionFences;
    QComboBox* cboProvisionPort;
    QPushButton* btnProvisionAddPort;
    QCheckBox* cbProvisionCapture;
    QPushButton* btnProvisionStart;
    QPushButton* btnProvisionStop;
    QLabel* lblProvisionStatus;
    QLabel* lblProvisionCounters;
    QListWidget* lstProvisionReport;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Prepare(TProvisionPlan& plan);
    void StartSlot(TStationTile* tile);
    void RefreshUsbTiles();
    void RemoveTile(TStationTile* tile);
    void OnTrackerEnded(const TProvisionResult& result);
    void ShowCounters();
    QString CurrentReportPath() const;

    TOwnerPorts FPorts;
    QGridLayout* FTileGrid;
    QList<TStationTile*> FTiles;
    QList<TStationSlot*> FSlots;
    QTimer* FUsbWatch;
    TProvisionPlan FPlan;
    QSet<QString> FProvisioned;
    bool FRunning = false;
    bool FReportFailed = false;
    int FPassed = 0;
    int FFailed = 0;
    QElapsedTimer FRunClock;
};
