#pragma once

#include "fleet/SettingFields.h"
#include "link/CmdQueue.h"
#include "link/FrameCodec.h"

#include <QList>

// The tracker answers a write with the same fields as a read of that command, so its answer
// tells what it now holds: the values after the tag, in the order the write's parameter text
// carried them. Comparing the two verifies a write without sending anything more.
//
// `fields` names the settings (their captions in the current language); a fence write is named
// by its number. Values are compared in the command's own form: integers by their number
// ("0300" is 300), other numbers by their value, texts as they stand. A write whose entry (the
// fence or authorization number) comes back as another entry differs as a whole.
QList<TFieldDifference> WriteAnswerDifferences(const TCmdItem& write, const TResponseFields& answer,
                                               const QList<TSettingField>& fields);

// The lines of the box: `field: written "a", answered "b"`.
QString AnswerDifferenceLines(const QList<TFieldDifference>& differences);
