#pragma once

#include <QString>
#include <QStringList>

// tovrik-assistant --provision: one tracker on each port provisioned by the code of
// tovrik-cli provision, without any window. One line per step on standard output (and a
// progress bar when that is a terminal), one row per tracker appended to the report.
struct TProvisionOptions {
    QString ParamsFile;  // the configuration to write
    QStringList Ports;   // port numbers or device paths
    QString FenceFile;   // empty: the one the parameter file names, if any
    QString ReportFile;  // empty: reports/provision-<date>.csv in the data folder
    bool VerifyOnly = false;
};

// Exit codes: those of tovrik-cli (cli/CliCommands.h).

// Runs once the application object exists; returns the exit code.
int RunProvisionCommandLine(const TProvisionOptions& options);
