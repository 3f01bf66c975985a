#pragma once

#include "fleet/FleetTargets.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
struct TGeoFence;
struct TProvisionResult;

// The provisioning window: a parameter file (and a fence file, named by it or chosen here) and
// a port; Start provisions every tracker that answers on that port, one after another: it waits
// for a tracker, writes and verifies it, shows a large pass or fail with its identifier and
// firmware, adds its row to the day's report, and waits until it is gone and the next answers.
// Stop ends the run at any moment.
class TProvisionWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the one provisioning window of the main window, made on first use.
    static TProvisionWindow* ShowFor(const TFleetTargets& targets, QComboBox* mainPortList);

    TProvisionWindow(const TFleetTargets& targets, QComboBox* mainPortList);

    void btnProvisionParamsClick();
    void btnProvisionFencesClick();
    void btnProvisionStartClick();
    void btnProvisionStopClick();
    bool Running() const { return FRunning; }
    // Where this run's rows go: the day's report in the data folder unless set.
    QString ReportPath;

    QLineEdit* edtProvisionParams;
    QPushButton* btnProvisionParams;
    QLineEdit* edtProvisionFences;
    QPushButton* btnProvisionFences;
    QComboBox* cboProvisionPort;
    QPushButton* btnProvisionStart;
    QPushButton* btnProvisionStop;
    QLabel* lblProvisionStatus;
    QLabel* lblProvisionResult;
    QLabel* lblProvisionTracker;
    QProgressBar* pbProvisionSteps;
    QListWidget* lstProvisionReport;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Run();
    bool Prepare(QList<TGeoFence>& fences);
    void ShowResult(const TProvisionResult& result);
    bool Stopped() const;

    TFleetTargets T;
    QComboBox* FMainPorts;
    bool FRunning = false;
    bool FStop = false;
    class TCloseWatch* FWindowClosing = nullptr;
};
