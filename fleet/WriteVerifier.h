#pragma once

#include "fleet/FleetTargets.h"
#include "fleet/WriteAnswers.h"

#include <QList>
#include <QObject>
#include <memory>

class QAbstractButton;
class QCheckBox;

// Verification after a Write: the tracker answers each write with what it now holds, and each
// answer is compared with what its write sent. Nothing more goes on the wire: a Write sends
// exactly its own commands, verified or not. When every answer agrees, the exchange ends as it
// always does (the success tip when the tip box is checked); when one differs, the last answer
// shows no tip but one box listing each field with the value written and the value answered.
// With the verify box unchecked the answers are only applied. The fields are named by the
// settings model's field table; the values compared are those of the write's own text.
class TWriteVerifier : public QObject {
    Q_OBJECT
public:
    TWriteVerifier(const TFleetTargets& targets, QCheckBox* verifyBox, QObject* parent = nullptr);
    ~TWriteVerifier() override;

    // Verifies the writes this button's own handler queued; connect after that handler.
    void Attach(QAbstractButton* writeButton);
    // True while the answers of a Write are being compared.
    bool Running() const;

    // Every answer of the window passes here: applied by the window's dispatcher, and compared
    // first when it answers a verified write.
    void DispatchResponse(const QByteArray& payload);

private:
    void AfterWriteClick();
    // The position in the verified writes of the item the queue has in flight, or -1 when the
    // queue no longer runs them (ended, cleared, or taken over by another request).
    qsizetype InFlight() const;

    TFleetTargets T;
    QCheckBox* FVerify;
    QList<TCmdItem> FWrites;               // empty when no Write is being verified
    QList<TFieldDifference> FDifferences;  // found so far in its answers
};
