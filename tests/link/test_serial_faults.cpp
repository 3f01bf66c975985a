// Faults of the serial line, against the real port on real pseudo-terminals with the simulated
// tracker (or the test itself) on the other side: many open/close cycles, a peer that stops
// reading, answers trickling in byte by byte, answers just before and just after the time-out,
// every byte value in both directions, and a device that vanished before it was opened.
#include "core/AppError.h"
#include "link/CmdQueue.h"
#include "link/ComPort.h"
#include "link/FrameCodec.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimOptions.h"
#include "sim/SimTracker.h"
#include "support_process.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The queue's window side, reduced to records; answers are applied as the dispatcher's common
// steps do (every answer with a tag advances the queue).
class TQueueHost : public ICmdQueueHost {
public:
    TCmdQueue* Queue = nullptr;
    QElapsedTimer Clock;
    QList<QByteArray> Dispatched;
    QList<qint64> DispatchedAtMs;
    QList<bool> BusyAtDispatch;    // was the exchange still waiting when the answer came?
    QList<qsizetype> CountAtDispatch;
    QList<qint64> EnabledAtMs;     // every time the buttons were enabled
    bool ButtonsEnabled = false;
    QStringList Log;

    void SetCommandButtonsEnabled(bool enabled) override
    {
        ButtonsEnabled = enabled;
        if (enabled)
            EnabledAtMs << Clock.elapsed();
    }
    void SetProgressTotal(int) override {}
    void SetProgressComplete(int) override {}
    void LogSeparator() override { Log << QString(); }
    void LogSent(const QString& word, const QByteArray& text) override { Log << word + " >> " + text; }
    void LogReceived(const QString& word, const QByteArray& payload) override { Log << word + " << " + payload; }
    QString Translate(const QString& text) override { return text; }
    void DispatchResponse(const QByteArray& payload) override
    {
        Dispatched << payload;
        DispatchedAtMs << Clock.elapsed();
        BusyAtDispatch << Queue->IsBusy();
        CountAtDispatch << Queue->Count();
        if (!ReadResponseHead(payload).HasTag)
            throw EAppError("answer without a tag");
        Queue->AdvanceCmdQueue();
    }
};

// The real port as the queue's byte channel, wired as the window wires it.
class TPortChannel : public IByteChannel {
public:
    TComPort Port;
    TCmdQueue* Queue = nullptr;
    int RxEvents = 0;
    QStringList Lost;

    explicit TPortChannel(const QString& device)
    {
        Port.SetPort(device);
        Port.OnRxChar = [this](int32_t count) {
            ++RxEvents;
            Queue->AppendReceived(Port.ReadBytes(count));
        };
        Port.OnLineLost = [this](const QString& message) { Lost << message; };
    }
    bool IsOpen() const override { return Port.Connected(); }
    void WriteFrame(const QByteArray& frame) override { Port.WriteBytes(frame); }
};

// Queue, port and host together, as the window holds them.
struct TLine {
    TQueueHost Host;
    TPortChannel Channel;
    TCmdQueue Queue;

    explicit TLine(const QString& device) : Channel(device), Queue(Host, Channel)
    {
        Host.Queue = &Queue;
        Channel.Queue = &Queue;
        Host.Clock.start();
    }
    void Request(const QList<int>& commands)
    {
        Queue.ClearCmdQueue();
        for (int cmd : commands)
            Queue.QueueCmd(cmd, 0, false, "");
        Host.Clock.restart();
        Queue.StartCmdQueue(true);
    }
};

QByteArray AllByteValues()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    return all;
}

} // namespace

class TestSerialFaults : public QObject {
    Q_OBJECT
private slots:
    // Event threads of earlier ports end at their own pace after their close; every test takes
    // its thread and descriptor counts once none is left.
    void init() { QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), 0, 5000); }

    void initTestCase()
    {
        // Whatever Qt and the allocator set up on the first open is not counted as growth.
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TComPort port;
        port.SetPort(pty.DevicePath());
        for (int i = 0; i < 20; ++i) {
            port.OpenPort();
            port.ClosePort();
        }
    }

    void thousandOpenCloseCyclesStayFlat()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TComPort port;
        port.SetPort(pty.DevicePath());
        int opened = 0;
        port.OnAfterOpen = [&] { ++opened; };
        // Event threads of earlier ports end at their own pace; none may be left to count.
        QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), 0, 5000);
        const int fds = CountOpenDescriptors();
        const qint64 rssBefore = ResidentKiB();
        QVERIFY(rssBefore > 0);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 1000; ++i) {
            port.OpenPort();
            QVERIFY(port.Connected());
            port.ClosePort();
            QVERIFY(!port.Connected());
        }
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(opened, 1000);
        QCOMPARE(CountOpenDescriptors(), fds);
        QTRY_COMPARE_WITH_TIMEOUT(CountThreads(), 0, 5000);
        const qint64 growth = ResidentKiB() - rssBefore;
        qInfo("1000 open/close cycles: %lld ms, descriptors %d -> %d, resident memory %+lld KiB", elapsed, fds,
              CountOpenDescriptors(), growth);
        QVERIFY2(growth < ResidentGrowthBoundKiB(), qPrintable(QString::number(growth)));
    }

    void peerThatStopsReading()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.StopsReading = true;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TComPort port;
        port.SetPort(sim.DevicePath());
        QStringList lost;
        port.OnLineLost = [&](const QString& m) { lost << m; };
        port.OpenPort();
        // Fill the line until the driver takes no more: the tracker reads nothing.
        const QByteArray chunk(4096, 'f');
        qint64 filled = 0;
        // The kernel moves bytes between the pseudo-terminal's buffers on its own time, so a
        // refused write is full only when no room appears within a while.
        for (;;) {
            const ssize_t n = ::write(port.Handle(), chunk.constData(), size_t(chunk.size()));
            if (n > 0) {
                filled += n;
                continue;
            }
            pollfd p{port.Handle(), POLLOUT, 0};
            if (poll(&p, 1, 200) == 0)
                break;
        }
        QVERIFY(filled > 0);

        // A frame now finds no room: the write gives up at its bound, 100 ms per byte + 1000 ms.
        const QByteArray frame = EncodeFrame("(P05,0)");
        const qint64 boundMs = TComPort::WriteTotalMultiplierMs * frame.size() + TComPort::WriteTotalConstantMs;
        // A timer of the port's own thread shows whether that thread is free during the write.
        QTimer ticker;
        QElapsedTimer clock;
        clock.start();
        qint64 lastTick = 0;
        qint64 longestGap = 0;
        int ticks = 0;
        connect(&ticker, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longestGap = std::max(longestGap, now - lastTick);
            lastTick = now;
            ++ticks;
        });
        ticker.start(10);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 5000);
        const int ticksBefore = ticks;
        QString failure;
        QElapsedTimer writeTime;
        writeTime.start();
        try {
            port.WriteBytes(frame);
        } catch (const EComPort& e) {
            failure = e.Message();
        }
        const qint64 writeMs = writeTime.elapsed();
        QCOMPARE(failure, QStringLiteral("WriteFile function failed (Error: 110)"));
        QVERIFY2(writeMs >= boundMs - 50 && writeMs <= boundMs + 500,
                 qPrintable(QStringLiteral("%1 ms against %2 ms").arg(writeMs).arg(boundMs)));
        // The write blocks the thread that owns the port, by design, no longer than its bound;
        // the timer ticks again as soon as it has returned.
        QCOMPARE(ticks, ticksBefore);
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= ticksBefore + 3, 5000);
        QVERIFY(longestGap >= writeMs - 20 && longestGap <= boundMs + 600);
        // A timed-out write is no lost line: the port stays open until it is closed.
        QVERIFY(port.Connected());
        QVERIFY(lost.isEmpty());
        QElapsedTimer closeTime;
        closeTime.start();
        port.ClosePort();
        const qint64 closeMs = closeTime.elapsed();
        QVERIFY(!port.Connected());
        QVERIFY2(closeMs < 1000, qPrintable(QString::number(closeMs)));
        qInfo("stalled peer: %lld bytes filled the line; a %lld-byte write failed after %lld ms (bound %lld ms); "
              "longest timer gap %lld ms; close took %lld ms",
              filled, qint64(frame.size()), writeMs, boundMs, longestGap, closeMs);
    }

    void answersByteByByte()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.ByteGapMs = 1;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TLine line(sim.DevicePath());
        line.Channel.Port.OpenPort();
        line.Request({5, 9, 17});
        QTRY_COMPARE_WITH_TIMEOUT(line.Host.Dispatched.size(), 3, 10000);
        QCOMPARE(line.Host.Dispatched,
                 QList<QByteArray>({"(0123456789,P05,0.0.0.0,8888,CMNET,,)", "(0123456789,P09,300)", "(0123456789,P17,)"}));
        QCOMPARE(line.Host.BusyAtDispatch, QList<bool>({true, true, true}));
        QVERIFY(!line.Queue.IsBusy());
        QCOMPARE(line.Queue.Count(), 0);
        QVERIFY(line.Host.ButtonsEnabled);
        QCOMPARE(sim.ReceivedCommands(), QList<QByteArray>({"(P05,0)", "(P09,0)", "(P17,0)"}));
        // The bytes came one by one: many receive events, each answer logged once.
        const qsizetype bytes = EncodeFrame(line.Host.Dispatched[0]).size() + EncodeFrame(line.Host.Dispatched[1]).size() +
                                EncodeFrame(line.Host.Dispatched[2]).size();
        // Whole answers would have come in three events.
        QVERIFY2(line.Channel.RxEvents > 3, qPrintable(QString::number(line.Channel.RxEvents)));
        QCOMPARE(line.Host.Log.filter(" << ").size(), 3);
        qInfo("byte by byte, 1 ms apart: %lld answer bytes in %d receive events, three answers in %lld ms",
              qint64(bytes), line.Channel.RxEvents, line.Host.DispatchedAtMs.last());
        QVERIFY(line.Channel.Lost.isEmpty());
    }

    void answersAroundTheTimeOut_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("inTime");
        QTest::newRow("2.9 s: in time") << 2900 << true;
        QTest::newRow("3.1 s: after the time-out") << 3100 << false;
    }
    void answersAroundTheTimeOut()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, inTime);
        TSimTracker sim;
        TSimFaults faults;
        faults.DelayMs = delayMs;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TLine line(sim.DevicePath());
        line.Channel.Port.OpenPort();
        line.Request({9, 10});
        QVERIFY(line.Queue.IsBusy());
        QTRY_COMPARE_WITH_TIMEOUT(line.Host.Dispatched.size(), 1, 6000);
        QCOMPARE(line.Host.Dispatched.first(), QByteArray("(0123456789,P09,300)"));
        const qint64 arrived = line.Host.DispatchedAtMs.first();
        QVERIFY2(arrived >= delayMs, qPrintable(QString::number(arrived)));
        // The item in flight is retired either way and the next one goes out.
        QCOMPARE(line.Host.CountAtDispatch.first(), 2);
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands(), QList<QByteArray>({"(P09,0)", "(P10,0)"}), 3000);
        QCOMPARE(line.Queue.Count(), 1);
        QVERIFY(line.Queue.IsBusy());
        if (inTime) {
            // Still waiting when it came; the exchange never ended in between.
            QCOMPARE(line.Host.BusyAtDispatch.first(), true);
            QVERIFY(line.Host.EnabledAtMs.isEmpty());
        } else {
            // The third tick ended the exchange silently at 3 s, keeping both items; the late
            // answer then retired the first and sending resumed.
            QCOMPARE(line.Host.BusyAtDispatch.first(), false);
            QCOMPARE(line.Host.EnabledAtMs.size(), 1);
            const qint64 timedOut = line.Host.EnabledAtMs.first();
            QVERIFY2(timedOut >= 3000 && timedOut < arrived, qPrintable(QString::number(timedOut)));
            qInfo("time-out at %lld ms, late answer applied at %lld ms", timedOut, arrived);
        }
        QCOMPARE(line.Host.Log.filter("Read << (0123456789,P09,300)").size(), 1);
        line.Queue.AbortCmdQueue();
    }

    void everyByteValuePassesBothWays()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TComPort port;
        port.SetPort(pty.DevicePath());
        QByteArray received;
        port.OnRxChar = [&](int32_t count) { received += port.ReadBytes(count); };
        port.OpenPort();

        // Raw mode as set on the line: nothing translated, stripped, echoed or taken for flow control.
        termios t{};
        QCOMPARE(tcgetattr(port.Handle(), &t), 0);
        QCOMPARE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | INPCK | PARMRK | IUCLC), tcflag_t(0));
        QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(t.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN), tcflag_t(0));
        QCOMPARE(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));

        const QByteArray all = AllByteValues();
        // Twice over, so that a byte is also seen after every other byte value.
        QByteArray twice = all;
        std::reverse(twice.begin(), twice.end());
        twice.prepend(all);

        // Tracker to program.
        QVERIFY(pty.Write(twice));
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), twice.size(), 5000);
        QCOMPARE(received, twice);
        // Program to tracker; nothing comes back (no echo).
        QCOMPARE(port.WriteBytes(twice), int32_t(twice.size()));
        QByteArray arrived;
        QTRY_VERIFY_WITH_TIMEOUT((arrived += pty.ReadAvailable()).size() >= twice.size(), 5000);
        QCOMPARE(arrived, twice);
        QTest::qWait(50); // a fixed span on purpose: an echo would arrive in it
        QCOMPARE(received.size(), twice.size());
    }

    void vanishedDevice()
    {
        QTemporaryDir dir;
        const int fds = CountOpenDescriptors();
        const int threads = CountThreads();
        {
            TPseudoTerminal pty;
            QVERIFY(pty.Open());
            const QString device = pty.DevicePath();
            const QString link = dir.filePath("ttyTracker");
            QVERIFY(QFile::link(device, link));
            // The device is gone: the pseudo-terminal ended, as an unplugged adapter's node goes.
            // Its number stays taken by this test until the end of the block: freed, it would go
            // to the next pseudo-terminal opened on the machine, and the path would name that one.
            pty.HangUp();
            QVERIFY(!QFileInfo::exists(device));
            QVERIFY(QFileInfo(link).isSymLink());
            for (const QString& path : {device, link}) {
                TComPort port;
                port.SetPort(path);
                int opened = 0;
                port.OnAfterOpen = [&] { ++opened; };
                QString failure;
                try {
                    port.OpenPort();
                } catch (const EComPort& e) {
                    failure = e.Message();
                }
                QCOMPARE(failure, QStringLiteral("Unable to open com port (Error: 2)"));
                QVERIFY(!port.Connected());
                QCOMPARE(port.Handle(), -1);
                QCOMPARE(opened, 0);
            }
        }
        QCOMPARE(CountOpenDescriptors(), fds);
        QCOMPARE(CountThreads(), threads);
    }

    void faultOptionsOfTheSimulator()
    {
        QCommandLineParser parser;
        AddSimFaultOptions(parser);
        QVERIFY(parser.parse({"tovrik-sim", "--stop-reading", "--byte-gap", "7", "--delay", "3100"}));
        TSimFaults faults;
        QString error;
        QVERIFY(ReadSimFaultOptions(parser, faults, &error));
        QVERIFY(faults.StopsReading);
        QCOMPARE(faults.ByteGapMs, 7);
        QCOMPARE(faults.DelayMs, 3100);
        QCommandLineParser bad;
        AddSimFaultOptions(bad);
        QVERIFY(bad.parse({"tovrik-sim", "--byte-gap", "-1"}));
        QVERIFY(!ReadSimFaultOptions(bad, faults, &error));
        QCOMPARE(error, QStringLiteral("--byte-gap needs a whole number of 0 or more, not \"-1\""));
    }
};

QTEST_GUILESS_MAIN(TestSerialFaults)
#include "test_serial_faults.moc"
