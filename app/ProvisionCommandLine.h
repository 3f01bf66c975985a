#pragma once

#include <QString>

// tovrik-assistant --provision: one tracker provisioned by the code the provisioning window
// uses, with the main window hidden. One line per step on standard output (and a progress bar
// when that is a terminal), one row appended to the report.
struct TProvisionOptions {
    QString ParamsFile;  // the configuration to write
    QString Port;        // a port number or a device path
    QString FenceFile;   // empty: the one the parameter file names, if any
    QString ReportFile;  // empty: reports/provision-<date>.csv in the data folder
    bool VerifyOnly = false;
};

// Exit codes of a provisioning run.
enum TProvisionExit {
    ProvisionExitPassed = 0,     // everything written and verified
    ProvisionExitDiffers = 1,    // the tracker answered, but a value differs
    ProvisionExitUsage = 2,      // a usage error, or a file that cannot be read or used
    ProvisionExitNoTracker = 3,  // no tracker answered (or the port could not be opened)
    ProvisionExitFailed = 4,     // the run failed after the tracker answered, or its report row
                                 // could not be saved
    // Stopped by SIGINT or SIGTERM: 128 plus the signal, as a shell reports it.
    ProvisionExitInterrupted = 130,
    ProvisionExitTerminated = 143,
};

// Runs once the application object exists; returns the exit code.
int RunProvisionCommandLine(const TProvisionOptions& options);
