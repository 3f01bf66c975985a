#pragma once

#include "cli/CliOutput.h"
#include "core/AppError.h"
#include "params/TrackerSettings.h"

#include <QString>
#include <QStringList>

// The exit codes, the same as the window's --provision.
enum TCliExit {
    CliExitPassed = 0,     // done, and every value verified
    CliExitDiffers = 1,    // the tracker answered, but a value differs
    CliExitUsage = 2,      // a usage error, a file that cannot be read or used, a refused value
    CliExitNoTracker = 3,  // no tracker answered, or the port could not be opened
    CliExitFailed = 4,     // the tracker stopped answering after it had answered, or its report
                           // row could not be saved
    // Stopped by SIGINT or SIGTERM: 128 plus the signal, as a shell reports it.
    CliExitInterrupted = 130,
    CliExitTerminated = 143,
};

struct TCliOptions {
    QStringList Ports;    // numbers of the settings file's "ports" section, or device paths
    bool AllUsbPorts = false; // --ports all: every USB serial device present
    QString ParamsFile;   // write, verify, provision
    QString OutFile;      // read: -o
    QString FenceFile;    // write, provision: --fences; read: --fences-out
    QString ReportFile;   // provision: --report
    bool VerifyOnly = false; // provision: nothing is written, the tracker is only compared
};

int CliDetect(const TCliOptions& options, const TCliOutput& out);
int CliRead(const TCliOptions& options, const TCliOutput& out);
int CliVerify(const TCliOptions& options, const TCliOutput& out);
// Write All and the fences on every port at once, each tracker read back and verified.
int CliWrite(const TCliOptions& options, const TCliOutput& out);
// The same, and one row per tracker appended to the provisioning report.
int CliProvision(const TCliOptions& options, const TCliOutput& out);

// The device a --port names: a path as it stands, else a number of the settings file's
// "ports" section (empty when it names none).
QString PortDevice(const QString& port);

// Why a port could not be opened, in one line that names the device once: the port's own
// message, the system's reason and, when it is known, what the user can do about it.
// "/dev/ttyUSB0: Unable to open com port (Error: 2): No such file or directory"
QString OpenFailureText(const QString& device, const EAppError& error);

// Prints the differences (and the result line); the exit code they make.
int PrintDifferences(const QList<TSettingDifference>& differences, const TCliOutput& out);

// Of two exit codes of a run's trackers, the one the run exits with: a usage error before a
// failure after answering, before no tracker, before a difference, before a pass.
int WorseExit(int a, int b);
