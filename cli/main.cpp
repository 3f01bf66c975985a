// tovrik-cli: the window's operations on a tracker from the command line, without any display.
#include "cli/CliArguments.h"
#include "core/DataFolder.h"
#include "core/Version.h"

#include <QDir>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QStringList>
#include <cstdio>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

const char* const Usage =
    "Usage: tovrik-cli <command> [options]\n"
    "\n"
    "Commands:\n"
    "  detect --port P                 prints the tracker's identifier and firmware\n"
    "  read --port P -o FILE.cfg [--fences-out FILE.geojson]\n"
    "                                  reads every setting into a parameter file, as Save writes it\n"
    "                                  (and the 64 fences into a GeoJSON or CSV file)\n"
    "  write FILE.cfg --port P [--fences FILE]\n"
    "                                  writes the file's settings (Write All) and fences, reads them\n"
    "                                  back, verifies\n"
    "  verify FILE.cfg --port P        compares the tracker with the file and prints each differing field\n"
    "  provision FILE.cfg --port P [--port P2 ...] [--fences FILE] [--report FILE.csv] [--verify-only]\n"
    "                                  write and verify, then one row per tracker appended to the\n"
    "                                  report (default: reports/provision-<date>.csv in the data folder)\n"
    "\n"
    "Options:\n"
    "  --port P    a port number of the settings file's \"ports\" section (3 or COM3), or a device path; write and\n"
    "              provision take several, one tracker on each, all at once\n"
    "  --ports all every USB serial device present (write, provision)\n"
    "  --verify-only   provision: write nothing, only compare and report\n"
    "  --json      one JSON object per line (events: port, tracker, step, problem, result)\n"
    "  --data-folder F   the folder of the settings file (its \"ports\" section numbers the ports)\n"
    "  --help      this text; `tovrik-cli <command> --help` for one command\n"
    "An option's value follows it or an \"=\": --port 3, --port=3.\n"
    "\n"
    "Exit codes: 0 done and verified, 1 a value differs, 2 usage error, file error or refused value,\n"
    "3 no tracker answered (or the port could not be opened), 4 the tracker stopped answering after\n"
    "it had answered, or the report row could not be saved; 130 or 143 when stopped by SIGINT or\n"
    "SIGTERM. With several ports the worst of the trackers' codes, in the order 2, 4, 3, 1, 0.\n";

// `tovrik-cli <command> --help`: the command's own lines of the usage, with the options it takes.
QString CommandHelp(const QString& command)
{
    const QStringList lines = QString::fromLatin1(Usage).split(QLatin1Char('\n'));
    QStringList help;
    bool inCommand = false;
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("  ") + command + QLatin1Char(' ')))
            inCommand = true;
        else if (inCommand && !line.startsWith(QStringLiteral("        ")))
            inCommand = false;
        if (inCommand)
            help << line;
    }
    if (help.isEmpty())
        return QString::fromLatin1(Usage);
    const int options = int(lines.indexOf(QStringLiteral("Options:")));
    return QStringLiteral("Usage: tovrik-cli %1 [options]\n\n").arg(command) + help.join(QLatin1Char('\n')) +
           QStringLiteral("\n\n") + lines.mid(options).join(QLatin1Char('\n'));
}

} // namespace

int main(int argc, char* argv[])
{
#ifdef _WIN32
    // Texts are UTF-8 in this process (its manifest); a console shows them so only when told.
    // The console outlives this program: its code page is given back at the end.
    const UINT consoleCodePage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    const auto restoreConsole = qScopeGuard([consoleCodePage] {
        if (consoleCodePage != 0)
            SetConsoleOutputCP(consoleCodePage);
    });
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tovrik-assistant"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::printf("%s", Usage);
        return CliExitUsage;
    }
    TCliArguments parsed;
    if (const QString error = ParseCliArguments(args, TCliFrontEnd::Cli, parsed); !error.isEmpty())
        return CliUsageError(TCliFrontEnd::Cli, error);
    if (parsed.Help) {
        std::printf("%s", (parsed.Command.isEmpty() ? QString::fromLatin1(Usage) : CommandHelp(parsed.Command))
                              .toLocal8Bit()
                              .constData());
        return CliExitPassed;
    }
    if (parsed.Version) {
        std::printf("tovrik-cli %s\n", GetVersionText().toLocal8Bit().constData());
        return CliExitPassed;
    }
    if (!parsed.DataFolder.isEmpty())
        SetAppDataFolder(QDir(parsed.DataFolder).absolutePath());
    const TCliOutput out(parsed.Json);
    const QString& command = parsed.Command;
    const TCliOptions& options = parsed.Options;
    if (command == QLatin1String("detect"))
        return CliDetect(options, out);
    if (command == QLatin1String("read"))
        return CliRead(options, out);
    if (command == QLatin1String("write"))
        return CliWrite(options, out);
    if (command == QLatin1String("verify"))
        return CliVerify(options, out);
    return CliProvision(options, out);
}
