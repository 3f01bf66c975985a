#pragma once

#include "link/CmdQueue.h"

#include <QList>
#include <QString>
#include <cstdint>

class TAlarmPage;
class TMainSettingsPage;
class TTmpHotSpotGroup;

// One setting of a page set, in the form its command carries it on the wire, so that a value
// on the pages and a value read back from the tracker compare as the tracker sees them: texts
// trimmed, an empty authorization number as "0", the keep-alive period as 0 when it is off,
// numbers as plain integers ("0300" is 300), choices as their item index.
struct TSettingField {
    QString Key;         // stable, lower case: "alias", "gprs_port", "auth_3", "alarm_5", …
    int32_t CmdNo = 0;   // the command that writes it
    int32_t Entry = 0;   // the authorization number 1..5 of command 11; 0 for the others
    QString Name;        // as the user sees it, in the current language
    QString Value;       // the wire form
    QString Shown;       // as the pages show it
};

// Every setting that Read All reads and Write All writes, in Write All's order.
QList<TSettingField> PageFields(const TMainSettingsPage& main, const TAlarmPage& alarm);
// The hot-spot radius (command 9).
TSettingField RadiusField(const TTmpHotSpotGroup& hotSpot);

// The fields that the given write requests carry (command and, for command 11, its entry).
QList<TSettingField> FieldsWrittenBy(const QList<TSettingField>& fields, const QList<TCmdItem>& items);

// Two wire forms name the same value: integers by their number, anything else as text.
bool SameWireValue(const QString& a, const QString& b);

// One row of a comparison: the field with its value on either side.
struct TFieldDifference {
    QString Name;
    QString Expected;  // written, or on the pages
    QString Actual;    // read back from the tracker
};

// The fields of `expected` whose value differs from the field of the same key in `actual`
// (a field missing there counts as differing).
QList<TFieldDifference> DifferingFields(const QList<TSettingField>& expected, const QList<TSettingField>& actual);
