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
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// What the command line asks of this run.
struct TCommandLine {
    bool Simulate = false; // a simulated tracker on a pseudo-terminal, listed and selected
    QString DataFolder;    // where the settings file, "param" and "locale" live; empty: default
    bool SelfCheck = false; // start, print what was found, exit: 0, or 1 after an error box
    bool Provision = false; // one tracker provisioned without showing the window
    TProvisionOptions ProvisionOptions;
};

// Reads the arguments before any window exists, so that --help and --version work without a
// display. Returns an exit code when the program should end at once, -1 to go on.
int ParseCommandLine(int argc, char* argv[], TCommandLine& line)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Configures a Tovrik GPS tracker over a serial line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program version and exit."));
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Start a simulated tracker and select its port."));
    const QCommandLineOption dataFolder(QStringLiteral("data-folder"),
                                        QStringLiteral("Keep the settings file, \"param\" and \"locale\" in <folder>."),
                                        QStringLiteral("folder"));
    const QCommandLineOption selfCheck(QStringLiteral("self-check"),
                                       QStringLiteral("Start, print the files and ports found, and exit."));
    const QCommandLineOption provision(QStringLiteral("provision"),
                                       QStringLiteral("Write FILE.cfg to the tracker on --port, read it back and verify it, "
                                                      "without a window. Exit 0 verified, 1 a value differs, 2 usage, "
                                                      "file error or refused value, 3 no tracker answered, 4 the run "
                                                      "failed after the tracker answered, or its report row could not "
                                                      "be saved; 130/143 stopped by SIGINT/SIGTERM."),
                                       QStringLiteral("file"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("The port of --provision: a number or a device."),
                                  QStringLiteral("n|device"));
    const QCommandLineOption fences(QStringLiteral("fences"),
                                    QStringLiteral("Also write these geo-fences (.geojson or .csv); default: the fence "
                                                   "file the parameter file names."),
                                    QStringLiteral("file"));
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Append the report row here instead of reports/provision-<date>.csv."),
                                    QStringLiteral("file.csv"));
    const QCommandLineOption verifyOnly(QStringLiteral("verify-only"),
                                        QStringLiteral("With --provision: write nothing, only compare."));
    parser.addOptions({help, version, simulate, dataFolder, selfCheck, provision, port, fences, report, verifyOnly});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "tovrik-assistant: %s\nTry 'tovrik-assistant --help'.\n",
                     parser.errorText().toLocal8Bit().constData());
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tovrik-assistant: unexpected argument '%s'\nTry 'tovrik-assistant --help'.\n",
                     parser.positionalArguments().first().toLocal8Bit().constData());
        return 2;
    }
    if (parser.isSet(help)) {
        std::printf("Usage: tovrik-assistant [options]\n%s\n\nOptions:\n", qPrintable(parser.applicationDescription()));
        for (const QCommandLineOption* o :
             {&help, &version, &simulate, &dataFolder, &selfCheck, &provision, &port, &fences, &report, &verifyOnly}) {
            QStringList names;
            for (const QString& n : o->names())
                names << (n.size() == 1 ? "-" : "--") + n;
            QString left = names.join(QStringLiteral(", "));
            if (!o->valueName().isEmpty())
                left += " <" + o->valueName() + ">";
            std::printf("  %-28s %s\n", qPrintable(left), qPrintable(o->description()));
        }
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("Tovrik Assistant %s\n", qPrintable(GetVersionText()));
        return 0;
    }
    line.Simulate = parser.isSet(simulate);
    line.DataFolder = parser.value(dataFolder);
    line.SelfCheck = parser.isSet(selfCheck);
    line.Provision = parser.isSet(provision);
    if (line.Provision) {
        if (!parser.isSet(port)) {
            std::fprintf(stderr, "tovrik-assistant: --provision needs --port\nTry 'tovrik-assistant --help'.\n");
            return 2;
        }
        line.ProvisionOptions.ParamsFile = parser.value(provision);
        line.ProvisionOptions.Ports = parser.values(port);
        line.ProvisionOptions.FenceFile = parser.value(fences);
        line.ProvisionOptions.ReportFile = parser.value(report);
        line.ProvisionOptions.VerifyOnly = parser.isSet(verifyOnly);
    } else if (parser.isSet(port) || parser.isSet(fences) || parser.isSet(report) || parser.isSet(verifyOnly)) {
        std::fprintf(stderr, "tovrik-assistant: --port, --fences, --report and --verify-only go with --provision\n"
                             "Try 'tovrik-assistant --help'.\n");
        return 2;
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
    TCommandLine commandLine;
    if (const int exitCode = ParseCommandLine(argc, argv, commandLine); exitCode >= 0)
        return exitCode;
    // A provisioning run shows no window: it runs on a core application, as tovrik-cli does,
    // and so needs no display and loads no window system.
    if (commandLine.Provision) {
        QCoreApplication app(argc, argv);
        UseDataFolder(commandLine.DataFolder);
        return RunProvisionCommandLine(commandLine.ProvisionOptions);
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
