#pragma once

#include "cli/CliArguments.h"

// tovrik-assistant --provision: one tracker on each port provisioned by the code of
// tovrik-cli provision, without any window, from the options tovrik-cli's own reader read
// (cli/CliArguments.h). One line per step on standard output (and a progress bar when that is a
// terminal), one row per tracker appended to the report.
// Exit codes: those of tovrik-cli (cli/CliCommands.h).

// Runs once the application object exists; returns the exit code.
int RunProvisionCommandLine(const TCliArguments& arguments);
