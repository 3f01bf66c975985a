// The simulated tracker over a real pseudo-terminal, talked to through the real port.
#include "sim/PseudoTerminal.h"
#include "sim/SimDevice.h"
#include "sim/SimTracker.h"
#include "support_simclient.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using TMalformed = TSimFaults::TMalformed;

namespace {

// True while a symbolic link (dangling or not) or anything else is at the path.
bool SomethingAt(const QString& path)
{
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0;
}

// Holds the device behind a link open on a thread of its own, as a port that waits for its
// tracker does, and notes at the moment of the hang-up whether the link was still there.
class THangUpWatch {
public:
    explicit THangUpWatch(const QString& link) : FLink(QFile::encodeName(link))
    {
        FHandle = open(FLink.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (FHandle < 0)
            return;
        FThread = std::thread([this] {
            pollfd p{FHandle, POLLIN, 0};
            for (int waited = 0; waited < 5000; waited += 10) {
                if (poll(&p, 1, 10) > 0 && (p.revents & (POLLHUP | POLLERR))) {
                    LinkAtHangUp = SomethingAt(QFile::decodeName(FLink)) ? 1 : 0;
                    return;
                }
            }
        });
    }
    ~THangUpWatch() { Join(); }
    bool Opened() const { return FHandle >= 0; }
    void Join()
    {
        if (FThread.joinable())
            FThread.join();
        if (FHandle >= 0)
            close(FHandle);
        FHandle = -1;
    }
    std::atomic<int> LinkAtHangUp{-1}; // -1: no hang-up seen

private:
    QByteArray FLink;
    int FHandle = -1;
    std::thread FThread;
};

// The first line a tovrik-sim prints after the ones read before: a device path.
QString NextDeviceLine(QProcess& sim, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!sim.canReadLine() && clock.elapsed() < timeoutMs)
        sim.waitForReadyRead(100);
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

} // namespace

class TestSimTracker : public QObject {
    Q_OBJECT
private slots:
    void answersEveryCommand_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("readBack"); // a later read shows the written state
        QTest::addColumn<QByteArray>("readBackAnswer");
        const QByteArray none;
        QTest::newRow("firmware") << QByteArray("(P01,0)") << QByteArray("(0123456789,P01,SIM-1.0.0)") << none << none;
        QTest::newRow("status") << QByteArray("(T01,0)") << QByteArray("(0123456789,T01,0,,4,24,80)") << none << none;
        QTest::newRow("upload read") << QByteArray("(P04,0)") << QByteArray("(0123456789,P04,150,0)") << none << none;
        QTest::newRow("upload write") << QByteArray("(P04,1,30,1)") << QByteArray("(0123456789,P04,30,1)")
                                      << QByteArray("(P04,0)") << QByteArray("(0123456789,P04,30,1)");
        QTest::newRow("gprs read") << QByteArray("(P05,0)") << QByteArray("(0123456789,P05,0.0.0.0,8888,CMNET,,)")
                                   << none << none;
        QTest::newRow("gprs write") << QByteArray("(P05,1,10.1.2.3,9000,internet,user,pw)")
                                    << QByteArray("(0123456789,P05,10.1.2.3,9000,internet,user,pw)")
                                    << QByteArray("(P05,0)")
                                    << QByteArray("(0123456789,P05,10.1.2.3,9000,internet,user,pw)");
        QTest::newRow("strategy read") << QByteArray("(P07,0)") << QByteArray("(0123456789,P07,1)") << none << none;
        QTest::newRow("strategy write") << QByteArray("(P07,1,2)") << QByteArray("(0123456789,P07,2)")
                                        << QByteArray("(P07,0)") << QByteArray("(0123456789,P07,2)");
        QTest::newRow("fence 1 read") << QByteArray("(P08,0,1)") << QByteArray("(0123456789,P08,1,0,0,0,0,)") << none << none;
        QTest::newRow("fence 64 write")
            << QByteArray("(P08,1,64,11356.7370,2255.0753,11400.0000,2230.0000,Depot)")
            << QByteArray("(0123456789,P08,64,11356.7370,2255.0753,11400.0000,2230.0000,Depot)")
            << QByteArray("(P08,0,64)")
            << QByteArray("(0123456789,P08,64,11356.7370,2255.0753,11400.0000,2230.0000,Depot)");
        QTest::newRow("fence 7 disable") << QByteArray("(P08,1,7,0,0,0,0,)") << QByteArray("(0123456789,P08,7,0,0,0,0,)")
                                         << QByteArray("(P08,0,7)") << QByteArray("(0123456789,P08,7,0,0,0,0,)");
        QTest::newRow("radius read") << QByteArray("(P09,0)") << QByteArray("(0123456789,P09,300)") << none << none;
        QTest::newRow("radius write") << QByteArray("(P09,1,500)") << QByteArray("(0123456789,P09,500)")
                                      << QByteArray("(P09,0)") << QByteArray("(0123456789,P09,500)");
        QTest::newRow("low battery read") << QByteArray("(P10,0)") << QByteArray("(0123456789,P10,20)") << none << none;
        QTest::newRow("low battery write") << QByteArray("(P10,1,30)") << QByteArray("(0123456789,P10,30)")
                                           << QByteArray("(P10,0)") << QByteArray("(0123456789,P10,30)");
        QTest::newRow("authorization 3 read") << QByteArray("(P11,0,3)") << QByteArray("(0123456789,P11,3,)") << none << none;
        QTest::newRow("authorization 5 write") << QByteArray("(P11,1,5,+4912345)") << QByteArray("(0123456789,P11,5,+4912345)")
                                               << QByteArray("(P11,0,5)") << QByteArray("(0123456789,P11,5,+4912345)");
        QTest::newRow("time difference read") << QByteArray("(P12,0)") << QByteArray("(0123456789,P12,-60)") << none << none;
        QTest::newRow("time difference write") << QByteArray("(P12,1,480)") << QByteArray("(0123456789,P12,480)")
                                               << QByteArray("(P12,0)") << QByteArray("(0123456789,P12,480)");
        QTest::newRow("battery level") << QByteArray("(P16,0)") << QByteArray("(0123456789,P16,80)") << none << none;
        QTest::newRow("alias read") << QByteArray("(P17,0)") << QByteArray("(0123456789,P17,)") << none << none;
        QTest::newRow("alias write") << QByteArray("(P17,1,Truck 7)") << QByteArray("(0123456789,P17,Truck 7)")
                                     << QByteArray("(P17,0)") << QByteArray("(0123456789,P17,Truck 7)");
        QTest::newRow("keep-alive read") << QByteArray("(P18,0)") << QByteArray("(0123456789,P18,0)") << none << none;
        QTest::newRow("keep-alive write") << QByteArray("(P18,1,300)") << QByteArray("(0123456789,P18,300)")
                                          << QByteArray("(P18,0)") << QByteArray("(0123456789,P18,300)");
        QTest::newRow("factory default") << QByteArray("(P20)") << QByteArray("(0123456789,P20)") << none << none;
        QTest::newRow("alarms read") << QByteArray("(P22,0)") << QByteArray("(0123456789,P22,0,0,0,0,0)") << none << none;
        QTest::newRow("alarms write") << QByteArray("(P22,1,1,2,3,0,1)") << QByteArray("(0123456789,P22,1,2,3,0,1)")
                                      << QByteArray("(P22,0)") << QByteArray("(0123456789,P22,1,2,3,0,1)");
        QTest::newRow("g-sensor read") << QByteArray("(P31,0)") << QByteArray("(0123456789,P31,630)") << none << none;
        QTest::newRow("g-sensor write") << QByteArray("(P31,1,800)") << QByteArray("(0123456789,P31,800)")
                                        << QByteArray("(P31,0)") << QByteArray("(0123456789,P31,800)");
        QTest::newRow("write with too few values is answered as a read")
            << QByteArray("(P04,1,30)") << QByteArray("(0123456789,P04,150,0)") << none << none;
        QTest::newRow("fence number out of range") << QByteArray("(P08,0,65)") << QByteArray("(0123456789,P08,65,0,0,0,0,)")
                                                   << none << none;
    }
    void answersEveryCommand()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, readBack);
        QFETCH(QByteArray, readBackAnswer);
        TSimTracker sim;
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        QCOMPARE(client.Ask(command), answer);
        QList<QByteArray> sent = {command};
        if (!readBack.isEmpty()) {
            QCOMPARE(client.Ask(readBack), readBackAnswer);
            sent << readBack;
        }
        QCOMPARE(sim.ReceivedCommands(), sent);
        QCOMPARE(sim.AnsweredCount(), int(sent.size()));
    }

    void unknownCommandsGetNoAnswer()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        client.Send("(P13,0)");
        client.Send("(T02,0)");
        QCOMPARE(client.Ask("(P09,0)"), QByteArray("(0123456789,P09,300)"));
        QCOMPARE(client.Payloads.size(), 1); // the answer to P09 is the first one that came
        QCOMPARE(sim.ReceivedCommands(), QList<QByteArray>({"(P13,0)", "(T02,0)", "(P09,0)"}));
    }

    void factoryDefaultRestoresSettingsOnly()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.Identifier = "0000000042";
        state.BatteryLevel = "55";
        sim.SetState(state);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        for (const QByteArray& write : {QByteArray("(P17,1,Van)"), QByteArray("(P10,1,40)"), QByteArray("(P11,1,1,123)"),
                                        QByteArray("(P08,1,3,1.0,2.0,3.0,4.0,Yard)"), QByteArray("(P22,1,3,3,3,3,3)")})
            QVERIFY(!client.Ask(write).isEmpty());
        QVERIFY(!(sim.State() == state));
        QCOMPARE(client.Ask("(P20)"), QByteArray("(0000000042,P20)"));
        QCOMPARE(sim.State(), state); // identifier and measured values kept, settings back
        QCOMPARE(client.Ask("(P17,0)"), QByteArray("(0000000042,P17,)"));
        QCOMPARE(client.Ask("(T01,0)"), QByteArray("(0000000042,T01,0,,4,24,55)"));
    }

    void commandsArrivingInPiecesOrTogether()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        const QByteArray frame = EncodeFrame("(P12,0)");
        client.Port.WriteBytes(frame.left(5));
        client.Port.WriteBytes(frame.mid(5));
        QTRY_COMPARE_WITH_TIMEOUT(client.Payloads.size(), 1, 3000);
        QCOMPARE(sim.ReceivedCommands(), QList<QByteArray>({"(P12,0)"}));
        client.Port.WriteBytes(EncodeFrame("(P09,0)") + EncodeFrame("(P10,0)"));
        QTRY_COMPARE_WITH_TIMEOUT(client.Payloads.size(), 3, 3000);
        QCOMPARE(client.Payloads, QList<QByteArray>({"(0123456789,P12,-60)", "(0123456789,P09,300)", "(0123456789,P10,20)"}));
    }

    void silentTracker()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.Silent = true;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        client.Send("(P01,0)");
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands().size(), 1, 3000);
        // An answer would follow within a millisecond or two; a fixed span proves its absence.
        QTest::qWait(200);
        QVERIFY(client.Raw.isEmpty());
        QCOMPARE(sim.AnsweredCount(), 0);
    }

    void lateAnswers()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.DelayMs = 300;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(client.Ask("(P09,0)"), QByteArray("(0123456789,P09,300)"));
        QVERIFY2(timer.elapsed() >= 300, qPrintable(QString::number(timer.elapsed())));
    }

    void framesSplitAcrossWrites()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.SplitFrames = true;
        faults.SplitGapMs = 50;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        client.Send("(P05,0)");
        QTRY_VERIFY_WITH_TIMEOUT(!client.Raw.isEmpty(), 3000);
        QVERIFY(client.Payloads.isEmpty()); // the first half alone is no frame
        QTRY_COMPARE_WITH_TIMEOUT(client.Payloads.size(), 1, 3000);
        QCOMPARE(client.Payloads.first(), QByteArray("(0123456789,P05,0.0.0.0,8888,CMNET,,)"));
        QVERIFY(client.RxEvents >= 2);
        QCOMPARE(client.Raw, EncodeFrame("(0123456789,P05,0.0.0.0,8888,CMNET,,)"));
    }

    void junkBetweenFrames()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.Junk = true;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        QCOMPARE(client.Ask("(P10,0)"), QByteArray("(0123456789,P10,20)"));
        QCOMPARE(client.Ask("(P12,0)"), QByteArray("(0123456789,P12,-60)"));
        const QByteArray frame = EncodeFrame("(0123456789,P10,20)");
        QVERIFY(client.Raw.size() > 2 * frame.size());
        QVERIFY(!client.Raw.startsWith(FrameStartByte)); // junk first
        QVERIFY(client.Raw.contains(frame));
        QCOMPARE(client.Payloads.size(), 2);
    }

    void malformedAnswers_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("too few fields") << int(TMalformed::TooFewFields) << QByteArray("(P05,0)")
                                        << QByteArray("(0123456789,P05)");
        QTest::newRow("too few fields, no values") << int(TMalformed::TooFewFields) << QByteArray("(P20)")
                                                   << QByteArray("(0123456789)");
        QTest::newRow("non-numeric values") << int(TMalformed::NonNumeric) << QByteArray("(P04,0)")
                                            << QByteArray("(0123456789,P04,x150x,x0x)");
        QTest::newRow("non-numeric status levels") << int(TMalformed::NonNumeric) << QByteArray("(T01,0)")
                                                   << QByteArray("(0123456789,T01,x0x,,x4x,x24x,x80x)");
        QTest::newRow("texts stay texts") << int(TMalformed::NonNumeric) << QByteArray("(P05,0)")
                                          << QByteArray("(0123456789,P05,0.0.0.0,x8888x,CMNET,,)");
    }
    void ignoredWriteIsAnsweredLikeItsRead()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.IgnoreWriteCmd = 11;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        // The chosen command keeps its old value, also for the entry the write names.
        QCOMPARE(client.Ask("(P11,1,2,+4912345)"), QByteArray("(0123456789,P11,2,)"));
        QCOMPARE(client.Ask("(P11,0,2)"), QByteArray("(0123456789,P11,2,)"));
        // Every other write still takes effect.
        QCOMPARE(client.Ask("(P10,1,40)"), QByteArray("(0123456789,P10,40)"));
        QCOMPARE(client.Ask("(P10,0)"), QByteArray("(0123456789,P10,40)"));
        faults.IgnoreWriteCmd = 8;
        sim.SetFaults(faults);
        QCOMPARE(client.Ask("(P08,1,5,1.0,2.0,3.0,4.0,Yard)"), QByteArray("(0123456789,P08,5,0,0,0,0,)"));
        QCOMPARE(SimDevice::ReadFormOf("(P05,1,a,b,c,d,e)"), QByteArray("(P05,0)"));
        QCOMPARE(SimDevice::ReadFormOf("(P05,0)"), QByteArray("(P05,0)"));
    }

    void malformedAnswers()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, answer);
        TSimTracker sim;
        TSimFaults faults;
        faults.Malformed = TMalformed(kind);
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        QCOMPARE(client.Ask(command), answer);
    }

    void unsolicitedBatteryReports()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        sim.SendBatteryReport();
        QTRY_COMPARE_WITH_TIMEOUT(client.Payloads.size(), 1, 3000);
        QCOMPARE(client.Payloads.first(), QByteArray("(0123456789,P16,80)"));
        TSimFaults faults;
        faults.BatteryEveryMs = 20;
        sim.SetFaults(faults);
        QTRY_VERIFY_WITH_TIMEOUT(client.Payloads.size() >= 4, 3000);
        for (const QByteArray& p : client.Payloads)
            QCOMPARE(p, QByteArray("(0123456789,P16,80)"));
        QCOMPARE(sim.ReceivedCommands().size(), 0);
    }

    void hangUpAfterCommands()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.HangUpAfter = 2;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TSimClient client(sim.DevicePath());
        client.Port.OpenPort();
        QCOMPARE(client.Ask("(P01,0)"), QByteArray("(0123456789,P01,SIM-1.0.0)"));
        QCOMPARE(client.Ask("(P09,0)"), QByteArray("(0123456789,P09,300)"));
        client.Send("(P10,0)"); // read, but not answered: the line is about to go
        QTRY_COMPARE_WITH_TIMEOUT(client.Lost.size(), 1, 3000);
        QCOMPARE(sim.ReceivedCommands().size(), 3);
        QCOMPARE(client.Payloads.size(), 2);
        QVERIFY(sim.HungUp());
        QVERIFY(!sim.IsRunning());
        QVERIFY(!client.Port.Connected());
        // Started again, the tracker answers on its new device.
        faults.HangUpAfter = 0;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        QVERIFY(!sim.HungUp());
        client.Port.SetPort(sim.DevicePath());
        client.Port.OpenPort();
        QCOMPARE(client.Ask("(P10,0)"), QByteArray("(0123456789,P10,20)"));
        QCOMPARE(client.Lost.size(), 1);
    }

    void unplugTakesTheLinkAwayBeforeTheLine()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyTracker");
        TSimTracker sim;
        sim.SetLinkPath(link);
        TSimState state;
        state.Identifier = "0000000011";
        sim.SetState(state);
        QVERIFY(sim.Start());
        QCOMPARE(sim.LinkPath(), link);
        QCOMPARE(sim.PortPath(), link);
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.DevicePath());
        QString device = sim.DevicePath();
        {
            TSimClient client(link);
            client.Port.OpenPort();
            QCOMPARE(client.Ask("(P17,1,Van 3)"), QByteArray("(0000000011,P17,Van 3)"));
            sim.Unplug();
            QTRY_COMPARE_WITH_TIMEOUT(client.Lost.size(), 1, 3000);
        }
        QVERIFY(sim.HungUp());
        QVERIFY(!sim.IsRunning());
        QVERIFY(!SomethingAt(link));
        QVERIFY(!QFileInfo::exists(device));
        // Away, the tracker still holds its old number: nothing else can appear under that path.
        {
            TPseudoTerminal other;
            QVERIFY(other.Open());
            QVERIFY2(other.DevicePath() != device, qPrintable(device));
        }
        QVERIFY(!QFileInfo::exists(device));

        // Each time: plugged in again on a fresh device behind the same link, settings kept;
        // pulled out, whatever holds the device sees the hang-up only once the link is gone.
        for (int i = 0; i < 20; ++i) {
            QVERIFY(sim.Replug());
            QVERIFY(sim.IsRunning());
            QVERIFY2(sim.DevicePath() != device, qPrintable(device));
            device = sim.DevicePath();
            QCOMPARE(QFileInfo(link).symLinkTarget(), device);
            if (i == 0) {
                TSimClient client(link);
                client.Port.OpenPort();
                QCOMPARE(client.Ask("(P17,0)"), QByteArray("(0000000011,P17,Van 3)"));
            }
            THangUpWatch watch(link);
            QVERIFY(watch.Opened());
            sim.Unplug();
            watch.Join();
            QCOMPARE(int(watch.LinkAtHangUp), 0);
            QVERIFY(!SomethingAt(link));
        }
        sim.Stop();
        QVERIFY(!SomethingAt(link));
        QVERIFY(!SomethingAt(link + ".new-" + QString::number(QCoreApplication::applicationPid())));
    }

    void hangUpTakesTheLinkAwayToo()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyTracker");
        TSimTracker sim;
        sim.SetLinkPath(link);
        TSimFaults faults;
        faults.HangUpAfter = 1;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        const QString device = sim.DevicePath();
        TSimClient client(link);
        client.Port.OpenPort();
        QCOMPARE(client.Ask("(P01,0)"), QByteArray("(0123456789,P01,SIM-1.0.0)"));
        QTRY_COMPARE_WITH_TIMEOUT(client.Lost.size(), 1, 3000);
        QVERIFY(sim.HungUp());
        QVERIFY(!SomethingAt(link));
        QVERIFY(!QFileInfo::exists(device));
        {
            TPseudoTerminal other;
            QVERIFY(other.Open());
            QVERIFY2(other.DevicePath() != device, qPrintable(device));
        }
        // Started again: a new device, the link back to it.
        faults.HangUpAfter = 0;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        QVERIFY(sim.DevicePath() != device);
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.DevicePath());
        client.Port.OpenPort();
        QCOMPARE(client.Ask("(P09,0)"), QByteArray("(0123456789,P09,300)"));
    }

    void linkPathThatHoldsSomethingElse()
    {
        QTemporaryDir dir;
        // A file of someone's own is never replaced, and the tracker does not start.
        const QString file = dir.filePath("notes");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("keep me");
        }
        TSimTracker sim;
        sim.SetLinkPath(file);
        QString error;
        QVERIFY(!sim.Start(&error));
        QVERIFY2(error.startsWith("cannot make the link " + file + ": File exists"), qPrintable(error));
        QVERIFY(!sim.IsRunning());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
        // A link left behind (a tracker that was killed) is replaced.
        const QString link = dir.filePath("ttyTracker");
        QVERIFY(QFile::link(dir.filePath("gone"), link));
        sim.SetLinkPath(link);
        QVERIFY(sim.Start(&error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.DevicePath());
        TSimClient client(link);
        client.Port.OpenPort();
        QCOMPARE(client.Ask("(P10,0)"), QByteArray("(0123456789,P10,20)"));
    }

    void standAloneUnplugAndReplug()
    {
        const QString exe = QCoreApplication::applicationDirPath() + "/../../sim/tovrik-sim";
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyTracker");
        QProcess sim;
        sim.start(exe, {"--id", "0000000778", "--link", link});
        const QString first = NextDeviceLine(sim);
        QVERIFY2(first.startsWith("/dev/pts/"), qPrintable(first));
        QCOMPARE(QFileInfo(link).symLinkTarget(), first);
        {
            TSimClient client(link);
            client.Port.OpenPort();
            QCOMPARE(client.Ask("(P17,1,Van 9)"), QByteArray("(0000000778,P17,Van 9)"));
            QCOMPARE(kill(pid_t(sim.processId()), SIGUSR1), 0); // unplugged
            QTRY_COMPARE_WITH_TIMEOUT(client.Lost.size(), 1, 3000);
            QVERIFY(!SomethingAt(link));
            QVERIFY(!QFileInfo::exists(first));
        }
        QCOMPARE(kill(pid_t(sim.processId()), SIGUSR2), 0); // plugged in again
        const QString second = NextDeviceLine(sim);
        QVERIFY2(second.startsWith("/dev/pts/") && second != first, qPrintable(second));
        QCOMPARE(QFileInfo(link).symLinkTarget(), second);
        {
            TSimClient client(link);
            client.Port.OpenPort();
            QCOMPARE(client.Ask("(P17,0)"), QByteArray("(0000000778,P17,Van 9)"));
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!SomethingAt(link));

        // A tracker that comes and goes by itself: hangs up after one answer, back 200 ms later.
        QProcess cycling;
        cycling.start(exe, {"--link", link, "--hang-up-after", "1", "--replug-after", "200"});
        QString device = NextDeviceLine(cycling);
        QVERIFY2(device.startsWith("/dev/pts/"), qPrintable(device));
        for (int i = 0; i < 3; ++i) {
            QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(link).symLinkTarget(), device, 3000);
            TSimClient client(link);
            client.Port.OpenPort();
            QCOMPARE(client.Ask("(P09,0)"), QByteArray("(0123456789,P09,300)"));
            QTRY_COMPARE_WITH_TIMEOUT(client.Lost.size(), 1, 3000);
            const QString next = NextDeviceLine(cycling);
            QVERIFY2(next.startsWith("/dev/pts/") && next != device, qPrintable(next));
            device = next;
        }
        cycling.terminate();
        QVERIFY(cycling.waitForFinished(5000));
        QCOMPARE(cycling.exitCode(), 0);
        QVERIFY(!SomethingAt(link));

        QProcess bad;
        bad.start(exe, {"--replug-after", "soon"});
        QVERIFY(bad.waitForFinished(5000));
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardError().contains("--replug-after needs a whole number"));
    }

    void standAloneExecutable()
    {
        const QString exe = QCoreApplication::applicationDirPath() + "/../../sim/tovrik-sim";
        QVERIFY2(QFileInfo::exists(exe), qPrintable(exe));
        QProcess bad;
        bad.start(exe, {"--malformed", "sometimes"});
        QVERIFY(bad.waitForFinished(5000));
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardError().contains("--malformed takes too-few or non-numeric"));

        QProcess sim;
        sim.start(exe, {"--id", "0000000777", "--delay", "10"});
        QVERIFY(sim.waitForReadyRead(5000));
        const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(device.startsWith("/dev/pts/"), qPrintable(device));
        {
            TSimClient client(device);
            client.Port.OpenPort();
            QCOMPARE(client.Ask("(P31,0)"), QByteArray("(0000000777,P31,630)"));
            sim.terminate(); // SIGTERM: it ends and the line hangs up
            QVERIFY(sim.waitForFinished(5000));
            QCOMPARE(sim.exitCode(), 0);
            QTRY_COMPARE_WITH_TIMEOUT(client.Lost.size(), 1, 3000);
        }
    }

    void deviceLogicWithoutTransport()
    {
        TSimState state;
        QCOMPARE(SimDevice::Answer(state, "(P11,1,2,123,456)"), QByteArray("(0123456789,P11,2,123,456)"));
        QCOMPARE(state.AuthNumbers[1], QByteArray("123,456"));
        QCOMPARE(SimDevice::Answer(state, "(P17,1,a,b)"), QByteArray("(0123456789,P17,a,b)"));
        QCOMPARE(SimDevice::Answer(state, "garbage"), QByteArray());
        QCOMPARE(SimDevice::Answer(state, "()"), QByteArray());
        QCOMPARE(SimDevice::Answer(state, "(X05,0)"), QByteArray());
        QCOMPARE(SimDevice::BatteryReport(state), QByteArray("(0123456789,P16,80)"));
    }
};

QTEST_GUILESS_MAIN(TestSimTracker)
#include "test_simtracker.moc"
