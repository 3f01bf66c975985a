#pragma once

#include "link/CmdQueue.h"
#include "link/FrameCodec.h"

#include <QList>
#include <QString>

// One row of a comparison: a setting with its value on either side.
struct TFieldDifference {
    QString Name;
    QString Expected;  // written, or on the pages
    QString Actual;    // answered, or read from the tracker
};

// The tracker answers a write with the same fields as a read of that command, so its answer
// tells what it now holds: the values after the tag, in the order the write's parameter text
// carried them. Comparing the two verifies a write without sending anything more.
//
// The settings are named as the settings model's field table names them (SettingName, in the
// current language); a fence write is named by its number, a command no setting of the table
// carries by its number. The write and the answer are each applied to a settings model and
// compared as the model compares values (an empty authorization number is "0", integers by
// their number, corners by their coordinate text). A write whose entry (the fence or
// authorization number) comes back as another entry differs as a whole.
QList<TFieldDifference> WriteAnswerDifferences(const TCmdItem& write, const TResponseFields& answer);

// The lines of the box: `field: written "a", answered "b"`.
QString AnswerDifferenceLines(const QList<TFieldDifference>& differences);
