#pragma once

#include "sim/SimFaults.h"

#include <QString>

class QCommandLineParser;

// The fault modes as command-line options, shared by tovrik-sim and anything else that starts a
// simulated tracker from a command line:
//   --silent  --delay <ms>  --split  --junk  --malformed <too-few|non-numeric>
//   --battery-every <ms>  --hang-up-after <n>  --stop-reading  --byte-gap <ms>  --ignore-write <n>
void AddSimFaultOptions(QCommandLineParser& parser);
// False with a message when a value does not read.
bool ReadSimFaultOptions(const QCommandLineParser& parser, TSimFaults& faults, QString* error);
