// tovrik-sim: a simulated Tovrik tracker on a pseudo-terminal. Prints the device path on
// standard output, then answers commands until it is ended (Ctrl+C, SIGTERM). SIGUSR1 unplugs
// it, SIGUSR2 plugs it in again on a fresh pseudo-terminal, whose path is printed as a new line.
#include "core/Numbers.h"
#include "sim/SimOptions.h"
#include "sim/SimTracker.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <pthread.h>

namespace {

void Announce(const TSimTracker& tracker)
{
    std::printf("%s\n", qPrintable(tracker.DevicePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "tovrik-sim: answering on %s%s%s; end with Ctrl+C\n", qPrintable(tracker.DevicePath()),
                 tracker.LinkPath().isEmpty() ? "" : " behind ", qPrintable(tracker.LinkPath()));
}

bool PlugIn(TSimTracker& tracker)
{
    QString error;
    if (!tracker.Replug(&error)) {
        std::fprintf(stderr, "tovrik-sim: cannot plug the tracker in: %s\n", qPrintable(error));
        return false;
    }
    Announce(tracker);
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    // Block the ending signals and the plug signals before any thread starts, so that only the
    // wait below sees them.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    sigset_t watched = endSignals;
    sigaddset(&watched, SIGUSR1);
    sigaddset(&watched, SIGUSR2);
    pthread_sigmask(SIG_BLOCK, &watched, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tovrik-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Tovrik tracker. Prints the device path of its pseudo-terminal; open that\n"
        "device with the program (or map a port number to it in the settings file's section\n"
        "\"ports\", e.g. 7=/dev/pts/5). SIGUSR1 unplugs the tracker (the link goes, then the\n"
        "line hangs up); SIGUSR2 plugs it in again on a fresh pseudo-terminal, whose path is\n"
        "printed as a new line."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("id"), QStringLiteral("The tracker identifier (default 0123456789)."),
                      QStringLiteral("identifier")});
    parser.addOption({QStringLiteral("link"),
                      QStringLiteral("Keep a symbolic link at <path> to the device while the tracker is plugged in; it goes "
                                     "before the line hangs up. Put it in a folder of your own."),
                      QStringLiteral("path")});
    parser.addOption({QStringLiteral("replug-after"),
                      QStringLiteral("Plug the tracker in again <ms> milliseconds after every unplug or hang-up, on a "
                                     "fresh pseudo-terminal."),
                      QStringLiteral("ms")});
    AddSimFaultOptions(parser);
    parser.process(app);

    TSimFaults faults;
    QString error;
    if (!ReadSimFaultOptions(parser, faults, &error)) {
        std::fprintf(stderr, "tovrik-sim: %s\n", qPrintable(error));
        return 2;
    }
    int32_t replugAfterMs = 0;
    if (parser.isSet(QStringLiteral("replug-after")) &&
        !(TryStrToInt(parser.value(QStringLiteral("replug-after")), replugAfterMs) && replugAfterMs >= 0)) {
        std::fprintf(stderr, "tovrik-sim: --replug-after needs a whole number of 0 or more, not \"%s\"\n",
                     qPrintable(parser.value(QStringLiteral("replug-after"))));
        return 2;
    }
    TSimTracker tracker;
    if (parser.isSet(QStringLiteral("id"))) {
        TSimState state = tracker.State();
        state.Identifier = parser.value(QStringLiteral("id")).toLocal8Bit();
        tracker.SetState(state);
    }
    tracker.SetFaults(faults);
    tracker.SetLinkPath(parser.value(QStringLiteral("link")));
    if (!tracker.Start(&error)) {
        std::fprintf(stderr, "tovrik-sim: cannot start: %s\n", qPrintable(error));
        return 1;
    }
    Announce(tracker);

    // Signals, and with --replug-after a look every 20 ms whether the tracker went away (by a
    // signal or by --hang-up-after) and is due to come back.
    QElapsedTimer away;
    for (;;) {
        int signal = 0;
        if (replugAfterMs > 0) {
            const timespec tick{0, 20'000'000};
            signal = sigtimedwait(&watched, nullptr, &tick);
        } else if (sigwait(&watched, &signal) != 0) {
            signal = -1;
        }
        if (signal > 0 && sigismember(&endSignals, signal))
            break;
        if (signal == SIGUSR1) {
            tracker.Unplug();
            std::fprintf(stderr, "tovrik-sim: unplugged\n");
        } else if (signal == SIGUSR2) {
            away.invalidate();
            if (!PlugIn(tracker))
                return 1;
            continue;
        }
        if (tracker.IsRunning()) {
            away.invalidate();
        } else if (!away.isValid()) {
            away.start();
        } else if (replugAfterMs > 0 && away.elapsed() >= replugAfterMs) {
            away.invalidate();
            if (!PlugIn(tracker))
                return 1;
        }
    }
    tracker.Stop();
    return 0;
}
