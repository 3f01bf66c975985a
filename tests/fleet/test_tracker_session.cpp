// The settings model and a session without a window, against the window itself: the same
// tracker read by both saves the same file, the same file written by both sends the same
// commands, and what one tracker answers, written to another, makes the two hold the same.
#include "app/FrmMain.h"
#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "fleet/TrackerSession.h"
#include "link/FrameCodec.h"
#include "params/ParamsFile.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TSimState Configured()
{
    TSimState s;
    s.Alias = "Van 12";
    s.LowBattery = "30";
    s.TimeDifference = "480";
    s.GSensor = "700";
    s.IPAddress = "10.1.2.3";
    s.Port = "9000";
    s.APN = "internet";
    s.APNUser = "user";
    s.APNPassword = "secret";
    s.UploadInterval = "60";
    s.UploadMode = "1";
    s.Strategy = "1";
    s.KeepAlive = "600";
    s.AuthNumbers = {"+4915112345", "0", "12345", "", "0"};
    s.AlarmChannels = {"1", "2", "3", "0", "1"};
    return s;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QByteArray> Texts(const QList<TCmdItem>& items)
{
    QList<QByteArray> texts;
    for (const TCmdItem& i : items)
        texts << BuildCmdText(i.CmdNo, i.RWFlag, i.IsTCmd != 0, i.ParamText);
    return texts;
}

} // namespace

class TestTrackerSession : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QList<TMessageRequest> messages;

private slots:
    void initTestCase()
    {
        SetAppDataFolder(dir.path());
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    }

    void windowAndSessionSaveTheSameFileForOneTracker()
    {
        for (const QByteArray keepAlive : {"600", "30", "0"}) {
            TSimTracker sim;
            TSimState state = Configured();
            state.KeepAlive = keepAlive;
            sim.SetState(state);
            QVERIFY(sim.Start());

            TFrmMain w;
            w.cbTipOnOK->setChecked(false);
            w.AddPort(sim.DevicePath());
            QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
            QTest::mouseClick(w.btnReadAll, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && w.Queue().Count() == 0, 10000);
            const QString fromWindow = dir.filePath("window.cfg");
            w.ParamsFile->SaveParamsFile(fromWindow);
            QTest::mouseClick(w.btn_Switch, Qt::LeftButton); // closed: the line is the session's now

            TTrackerSession session;
            session.Open(sim.DevicePath());
            QCOMPARE(session.RunAndWait(TTrackerSettings::ReadAllRequests()), TExchangeResult::Answered);
            const QString fromSession = dir.filePath("session.cfg");
            TIniText ini;
            session.Settings().ToConfig().WriteTo(ini);
            ini.SaveFile(fromSession);
            QCOMPARE(ReadAll(fromSession), ReadAll(fromWindow));
            QCOMPARE(session.Settings().Identifier, QString("0123456789"));
            QCOMPARE(session.Settings().Firmware, QString("SIM-1.0.0"));
            // The model keeps the value as answered, which the page can only show as "off".
            QCOMPARE(session.Settings().Value("keep_alive"), QString(keepAlive));
        }
        QVERIFY(messages.isEmpty());
    }

    void aFileWrittenByWindowAndModelSendsTheSameCommands()
    {
        // Every number a write needs is in the files (an empty one is refused by both).
        const char* const files[] = {
            "[Para]\nBasicInfo_LowBattery=20\n",
            "[Para]\nBasicInfo_AnotherName= Gate 3 \nBasicInfo_LowBattery=40\nGPRS_Port=0300\n"
            "BasicInfo_TimeDiff=-60\nBasicInfo_GSensorParams=630\nGPRS_IPAdd=10.0.0.1\n"
            "DataUpLoad_Normal=0\nDataUpLoad_Moving=1\nDataUpLoad_Mode=2\nDataUpLoad_KeepAlive=1\n"
            "DataUpLoad_KeepAliveTime=9999\nAlarm_Params=1,2\nAuthNumber_VIP3=+12\n",
            "[Para]\nBasicInfo_LowBattery=10\nBasicInfo_TimeDiff=480\nBasicInfo_GSensorParams=0700\n"
            "GPRS_IPAdd=10.0.0.1\nGPRS_Port=9000\nDataUpLoad_Mode=2\nDataUpLoad_KeepAlive=1\n"
            "DataUpLoad_KeepAliveTime=5\nAlarm_Params=3,3,3,3,3\n",
            "[Para]\nBasicInfo_LowBattery=10\nBasicInfo_TimeDiff=480\nBasicInfo_GSensorParams=0700\n"
            "GPRS_IPAdd=10.0.0.1\nGPRS_Port=9000\nDataUpLoad_Mode=3\n",
        };
        int n = 0;
        for (const char* text : files) {
            const QString path = dir.filePath(QStringLiteral("in%1.cfg").arg(++n));
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
            f.close();

            TSimTracker sim;
            QVERIFY(sim.Start());
            TFrmMain w;
            w.cbTipOnOK->setChecked(false);
            w.cbVerifyWrite->setChecked(false);
            w.AddPort(sim.DevicePath());
            QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
            w.ParamsFile->LoadParamsFile(path);
            messages.clear();
            QTest::mouseClick(w.btnWriteAll, Qt::LeftButton);

            TIniText ini;
            QVERIFY(ini.LoadFile(path));
            TTrackerSettings model;
            model.FromConfig(TAppParamsConfig::ReadFrom(ini));
            QList<TCmdItem> writes;
            QString refusal;
            try {
                writes = model.WriteAllRequests();
            } catch (const EAppError& e) {
                refusal = e.Message();
            }
            if (!refusal.isEmpty()) {
                // Refused by both, with the same words; the window sent nothing.
                QTest::qWait(300);
                QCOMPARE(messages.size(), 1);
                QCOMPARE(messages[0].Text, refusal);
                QVERIFY(sim.ReceivedCommands().isEmpty());
                continue;
            }
            QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && sim.ReceivedCommands().size() == 14, 10000);
            QCOMPARE(Texts(writes), sim.ReceivedCommands());
        }
    }

    void whatOneTrackerAnswersMakesAnotherTheSame()
    {
        TSimTracker source;
        source.SetState(Configured());
        QVERIFY(source.Start());
        TTrackerSession reader;
        reader.Open(source.DevicePath());
        QCOMPARE(reader.RunAndWait(TTrackerSettings::ReadAllRequests()), TExchangeResult::Answered);
        QCOMPARE(reader.RunAndWait({{9, 0, {}, 0}}), TExchangeResult::Answered);

        TSimTracker target;
        QVERIFY(target.Start());
        TTrackerSession writer;
        writer.Open(target.DevicePath());
        const QList<TCmdItem> writes = reader.Settings().WriteAllRequests();
        QCOMPARE(writes.size(), 14);
        QCOMPARE(writer.RunAndWait(writes), TExchangeResult::Answered);
        TSimState expected = Configured();
        // An empty number is written as "0", which empties the slot; a tracker that held "0"
        // holds an empty slot after it.
        QCOMPARE(target.ReceivedCommands().value(9), QByteArray("(P11,1,4,0)"));
        expected.AuthNumbers[1] = expected.AuthNumbers[4] = QByteArray();
        const TSimState written = target.State();
        QCOMPARE(written.Alias, expected.Alias);
        QCOMPARE(written.Port, expected.Port);
        QCOMPARE(written.APNPassword, expected.APNPassword);
        QCOMPARE(written.UploadInterval, expected.UploadInterval);
        QCOMPARE(written.UploadMode, expected.UploadMode);
        QCOMPARE(written.KeepAlive, expected.KeepAlive);
        QCOMPARE(written.AuthNumbers, expected.AuthNumbers);
        QCOMPARE(written.AlarmChannels, expected.AlarmChannels);
        QCOMPARE(written.GSensor, expected.GSensor);
        // The writes' own answers filled the writer's model with the same values.
        QVERIFY(reader.Settings().Differences(writer.Settings(), TTrackerSettings::ReadAllKeys()).isEmpty());
    }

    void aSilentTrackerAndAStopEndTheExchange()
    {
        TSimTracker sim;
        TSimFaults silent;
        silent.Silent = true;
        sim.SetFaults(silent);
        QVERIFY(sim.Start());
        TTrackerSession session;
        session.Open(sim.DevicePath());
        QElapsedTimer t;
        t.start();
        QCOMPARE(session.RunAndWait(TTrackerSettings::ReadAllRequests()), TExchangeResult::NoAnswer);
        QVERIFY2(t.elapsed() >= 2000 && t.elapsed() < 4500, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(sim.ReceivedCommands().size(), 1); // the rest are never sent

        QTimer::singleShot(300, &session, [&] { session.Stop(); });
        QCOMPARE(session.RunAndWait(TTrackerSettings::ReadAllRequests()), TExchangeResult::Stopped);
        QVERIFY(!session.IsRunning());
    }
};

QTEST_MAIN(TestTrackerSession)
#include "test_tracker_session.moc"
