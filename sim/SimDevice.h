#pragma once

#include "sim/SimFaults.h"
#include "sim/SimState.h"

#include <QByteArray>

// The tracker's command handling, free of any transport: one command text in, its answer out.
namespace SimDevice {

// Applies one command ("(P05,0)", "(P11,1,2,+4912345)", "(P20)", "(T01,0)") to the state and
// returns the answer payload "(identifier,tag,values...)". A write is answered with the same
// fields as a read, after the state has changed. A write with too few values changes nothing
// and is answered like a read. Commands the tracker does not know get no answer (empty).
QByteArray Answer(TSimState& state, const QByteArray& command, bool emptySlotAsZero = false);

// The read request of the same setting as a command: "(P11,1,2,+49)" gives "(P11,0,2)",
// "(P05,1,a,b,c,d,e)" gives "(P05,0)". Commands that are not writes come back unchanged.
QByteArray ReadFormOf(const QByteArray& command);

// The battery report that the tracker sends on its own: "(identifier,P16,level)".
QByteArray BatteryReport(const TSimState& state);

// Damages an answer as the fault asks: too few fields (identifier and tag only; identifier only
// when the answer has no values), or letters in place of every numeric value.
QByteArray Malform(const QByteArray& answer, TSimFaults::TMalformed how);

} // namespace SimDevice
