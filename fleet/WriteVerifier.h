#pragma once

#include "fleet/FleetTargets.h"

#include <QObject>

class QAbstractButton;
class QCheckBox;
class QTabWidget;

// Verification after a Write: once the writes a Write button sent have all been answered, the
// same settings are read back into a second page set and compared with what was sent. Any
// difference shows in one box (field, value written, value read back); a clean read-back ends
// with the usual success tip. With the verify box unchecked a Write runs exactly as before.
class TWriteVerifier : public QObject {
    Q_OBJECT
public:
    TWriteVerifier(const TFleetTargets& targets, QCheckBox* verifyBox, QTabWidget* pgCtrl, QCheckBox* tipBox,
                   QObject* parent = nullptr);

    // Verifies what this button's own handler queued; connect after that handler.
    void Attach(QAbstractButton* writeButton);
    bool Running() const { return FRunning; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AfterWriteClick();
    void VerifyRunningWrite();

    TFleetTargets T;
    QCheckBox* FVerify;
    QTabWidget* FPages;
    QCheckBox* FTip;
    bool FRunning = false;
    bool FClosing = false;
};
