#pragma once

#include "cli/CliCommands.h"

#include <QString>
#include <QStringList>

// The one reader of the command line for both front ends: tovrik-cli's commands and
// tovrik-assistant, whose --provision runs tovrik-cli's provision. The options they share
// (--port, --ports, --data-folder, --fences, --report, --verify-only, --json) are read here
// alone, so that a value one front end takes the other takes the same way.
enum class TCliFrontEnd {
    Cli,       // tovrik-cli <command> [options]
    Assistant, // tovrik-assistant [--provision FILE --port P ...]
};

struct TCliArguments {
    // tovrik-cli: detect, read, write, verify or provision. tovrik-assistant: "provision" with
    // --provision, else empty (the window starts).
    QString Command;
    TCliOptions Options;
    QString DataFolder;     // --data-folder; empty: the default folders
    bool Json = false;      // --json
    bool Help = false;      // --help: nothing else is checked
    bool Version = false;   // --version
    bool Simulate = false;  // tovrik-assistant --simulate
    bool SelfCheck = false; // tovrik-assistant --self-check
};

// The program's name as its messages start: "tovrik-cli" or "tovrik-assistant".
QString CliProgramName(TCliFrontEnd front);

// Reads the arguments (without the program's own name) and checks that they go together:
// the command takes the ports, files and options given. Returns the usage error, or an empty
// text when there is none. With --help or --version the rest is neither read nor checked.
QString ParseCliArguments(const QStringList& arguments, TCliFrontEnd front, TCliArguments& into);

// Prints "<program>: <error>; see <program> --help" on standard error; returns CliExitUsage.
int CliUsageError(TCliFrontEnd front, const QString& error);

// Whether a --port value can name a port: a number of the port list (3, or COM3 as the window's
// log names it) or a device path.
bool IsPortName(const QString& port);
