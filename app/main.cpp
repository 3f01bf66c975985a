#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/ProvisionCommandLine.h"
#include "app/SelfCheck.h"
#include "app/WidgetDialogs.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/Version.h"
#include "sim/SimTracker.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// The options of this program for --help, in the order shown.
struct THelpLine {
    const char* Names;
    const char* Value;
    const char* Text;
};

const THelpLine HelpLines[] = {
    {"-h, --help", "", "Show this help and exit."},
    {"-v, --version", "", "Show the program version and exit."},
    {"--simulate", "", "Start a simulated tracker and select its port."},
    {"--data-folder", "folder", "Keep the settings file, \"param\" and \"locale\" in <folder>."},
    {"--self-check", "", "Start, print the files and ports found, and exit."},
    {"--provision", "file",
     "Write FILE.cfg to the tracker on each --port, read it back and verify it, without a window "
     "(the run of tovrik-cli provision). Exit 0 verified, 1 a value differs, 2 usage, file error or "
     "refused value, 3 no tracker answered, 4 the run failed after the tracker answered, or its "
     "report row could not be saved; 130/143 stopped by SIGINT/SIGTERM."},
    {"--port", "n|device",
     "A port of --provision: a number of the port list (3 or COM3) or a device; several, one tracker on each."},
    {"--ports", "all", "With --provision: every USB serial device present."},
    {"--fences", "file",
     "Also write these geo-fences (.geojson or .csv); default: the fence file the parameter file names."},
    {"--report", "file.csv", "Append the report rows here instead of reports/provision-<date>.csv."},
    {"--verify-only", "", "With --provision: write nothing, only compare."},
    {"--json", "", "With --provision: one JSON object per line, as tovrik-cli --json prints them."},
};

// Reads the arguments before any window exists, so that --help and --version work without a
// display: by the reader of tovrik-cli, so that --provision takes its options as tovrik-cli
// provision does. Returns an exit code when the program should end at once, -1 to go on.
int ParseCommandLine(int argc, char* argv[], TCliArguments& line)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const QString error = ParseCliArguments(arguments, TCliFrontEnd::Assistant, line); !error.isEmpty())
        return CliUsageError(TCliFrontEnd::Assistant, error);
    if (line.Help) {
        std::printf("Usage: tovrik-assistant [options]\nConfigures a Tovrik GPS tracker over a serial line.\n\nOptions:\n");
        for (const THelpLine& h : HelpLines) {
            QString left = QString::fromLatin1(h.Names);
            if (*h.Value != 0)
                left += QStringLiteral(" <%1>").arg(QLatin1String(h.Value));
            std::printf("  %-28s %s\n", qPrintable(left), h.Text);
        }
        return 0;
    }
    if (line.Version) {
        std::printf("Tovrik Assistant %s\n", qPrintable(GetVersionText()));
        return 0;
    }
    return -1;
}

// A tracker in this process for trying the program without hardware; null when the system
// gives no pseudo-terminal (the user is told, and the program runs on without it).
std::unique_ptr<TSimTracker> StartSimulatedTracker()
{
    auto tracker = std::make_unique<TSimTracker>();
    QString error;
    if (tracker->Start(&error))
        return tracker;
    Dialogs::ShowMessage(QStringLiteral("ERROR"), QStringLiteral("The simulated tracker could not start: %1").arg(error),
                         TMsgIcon::Error);
    return nullptr;
}

// The data folder the command line named, else the default; a first start in per-user mode
// finds its folders missing (a folder that cannot be made shows its reason at the first write).
void UseDataFolder(const QString& named)
{
    if (!named.isEmpty())
        SetAppDataFolder(QDir(named).absolutePath());
    PrepareDataFolders();
}

} // namespace

int main(int argc, char* argv[])
{
    TCliArguments commandLine;
    if (const int exitCode = ParseCommandLine(argc, argv, commandLine); exitCode >= 0)
        return exitCode;
    // A provisioning run shows no window: it runs on a core application, as tovrik-cli does,
    // and so needs no display and loads no window system.
    if (!commandLine.Command.isEmpty()) {
        QCoreApplication app(argc, argv);
        UseDataFolder(commandLine.DataFolder);
        return RunProvisionCommandLine(commandLine);
    }
    TApplication app(argc, argv);
    UseDataFolder(commandLine.DataFolder);
    // A self-check runs where no one can close a box (a script, no window manager): each box is
    // recorded instead, and counts as a failed start.
    QList<TMessageRequest> messages;
    if (commandLine.SelfCheck)
        Dialogs::SetMessageHandler([&messages](const TMessageRequest& r) { messages << r; });
    else
        InstallWidgetDialogs();
    // Made before the window, so that it outlives the port that talks to it.
    std::unique_ptr<TSimTracker> tracker;
    if (commandLine.Simulate)
        tracker = StartSimulatedTracker();
    TFrmMain window;
    if (tracker)
        window.AddPort(tracker->DevicePath());
    window.show();
    if (commandLine.SelfCheck) {
        // Once the event loop runs the window is fully up; report, then close as a user would.
        QTimer::singleShot(0, &window, [&] {
            const QStringList lines = SelfCheckReport(window, tracker ? tracker->DevicePath() : QString(), messages);
            std::printf("%s\n", qPrintable(lines.join(QLatin1Char('\n'))));
            std::fflush(stdout);
            window.close();
            app.exit(messages.isEmpty() ? 0 : 1);
        });
    }
    return app.exec();
}
