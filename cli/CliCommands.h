#pragma once

#include "cli/CliOutput.h"

#include <QString>

// The exit codes, the same as the window's --provision.
enum TCliExit {
    CliExitPassed = 0,     // done, and every value verified
    CliExitDiffers = 1,    // the tracker answered, but a value differs
    CliExitUsage = 2,      // a usage error, a file that cannot be read or used, a refused value
    CliExitNoTracker = 3,  // no tracker answered, or the port could not be opened
    CliExitFailed = 4,     // the tracker stopped answering after it had answered
};

struct TCliOptions {
    QString Port;         // a number of the settings file's "ports" section, or a device path
    QString ParamsFile;   // write, verify
    QString OutFile;      // read: -o
    QString FenceFile;    // write, provision: --fences; read: --fences-out
    QString ReportFile;   // provision: --report
};

int CliDetect(const TCliOptions& options, const TCliOutput& out);
int CliRead(const TCliOptions& options, const TCliOutput& out);
int CliWrite(const TCliOptions& options, const TCliOutput& out);
int CliVerify(const TCliOptions& options, const TCliOutput& out);
// Write, read back and verify, and one row appended to the provisioning report.
int CliProvision(const TCliOptions& options, const TCliOutput& out);
