// The simulated tracker over a real pseudo-terminal, talked to through the real port.
#include "sim/SimDevice.h"
#include "sim/SimTracker.h"
#include "support_simclient.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

using TMalformed = TSimFaults::TMalformed;

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
