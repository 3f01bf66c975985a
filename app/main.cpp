#include "app/Application.h"
#include "app/FrmMain.h"
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
    parser.addOptions({help, version, simulate, dataFolder, selfCheck});
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
        for (const QCommandLineOption* o : {&help, &version, &simulate, &dataFolder, &selfCheck}) {
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

} // namespace

int main(int argc, char* argv[])
{
    TCommandLine commandLine;
    if (const int exitCode = ParseCommandLine(argc, argv, commandLine); exitCode >= 0)
        return exitCode;
    TApplication app(argc, argv);
    if (!commandLine.DataFolder.isEmpty())
        SetAppDataFolder(QDir(commandLine.DataFolder).absolutePath());
    // A first start in per-user mode finds its folders missing; a folder that cannot be made
    // shows its reason at the first write.
    PrepareDataFolders();
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
