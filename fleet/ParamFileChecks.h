#pragma once

#include <QString>
#include <QStringList>

// The checks a parameter file passes before a provisioning run or the command line writes it to
// a tracker. The window loads any file and checks at Write, box by box; a run has no one to read
// the boxes, so it refuses the whole file before anything is sent.
struct TParamFileCheck {
    QStringList Refusals; // each names the key and the file; any refusal: nothing is sent
    QStringList Warnings; // keys the program does not know (a misspelled key is ignored)
    bool Passed() const { return Refusals.isEmpty(); }
};

// A file that cannot be read is a refusal too. A key that Save writes and the file lacks is a
// refusal, or with requireEveryKey off a warning (the default value is written, as Load shows it).
TParamFileCheck CheckParamFileForRun(const QString& path, bool requireEveryKey = true);
