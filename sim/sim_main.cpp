// tovrik-sim: a simulated Tovrik tracker on a pseudo-terminal. Prints the device path on
// standard output, then answers commands until it is ended (Ctrl+C, SIGTERM).
#include "sim/SimOptions.h"
#include "sim/SimTracker.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char* argv[])
{
    // Block the ending signals before any thread starts, so that only sigwait below sees them.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tovrik-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Tovrik tracker. Prints the device path of its pseudo-terminal; open that\n"
        "device with the program (or map a port number to it in the settings file's section\n"
        "\"ports\", e.g. 7=/dev/pts/5)."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("id"), QStringLiteral("The tracker identifier (default 0123456789)."),
                      QStringLiteral("identifier")});
    AddSimFaultOptions(parser);
    parser.process(app);

    TSimFaults faults;
    QString error;
    if (!ReadSimFaultOptions(parser, faults, &error)) {
        std::fprintf(stderr, "tovrik-sim: %s\n", qPrintable(error));
        return 2;
    }
    TSimTracker tracker;
    if (parser.isSet(QStringLiteral("id"))) {
        TSimState state = tracker.State();
        state.Identifier = parser.value(QStringLiteral("id")).toLocal8Bit();
        tracker.SetState(state);
    }
    tracker.SetFaults(faults);
    if (!tracker.Start(&error)) {
        std::fprintf(stderr, "tovrik-sim: cannot open a pseudo-terminal: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(tracker.DevicePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "tovrik-sim: answering on %s; end with Ctrl+C\n", qPrintable(tracker.DevicePath()));

    int signal = 0;
    sigwait(&endSignals, &signal);
    tracker.Stop();
    return 0;
}
