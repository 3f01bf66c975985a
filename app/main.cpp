#include "app/FrmMain.h"
#include "app/WidgetDialogs.h"
#include "core/Dialogs.h"
#include "sim/SimTracker.h"

#include <QApplication>
#include <QCommandLineParser>
#include <memory>

namespace {

// What the command line asks of this run.
struct TCommandLine {
    bool Simulate = false; // a simulated tracker on a pseudo-terminal, listed and selected
};

TCommandLine ParseCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Start a simulated tracker and select its port."));
    parser.addOption(simulate);
    parser.process(app); // an unknown option ends the program with a message
    TCommandLine line;
    line.Simulate = parser.isSet(simulate);
    return line;
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
    QApplication app(argc, argv);
    const TCommandLine commandLine = ParseCommandLine(app);
    InstallWidgetDialogs();
    // Made before the window, so that it outlives the port that talks to it.
    std::unique_ptr<TSimTracker> tracker;
    if (commandLine.Simulate)
        tracker = StartSimulatedTracker();
    TFrmMain window;
    if (tracker)
        window.AddPort(tracker->DevicePath());
    window.show();
    return app.exec();
}
