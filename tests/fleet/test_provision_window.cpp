// The provisioning window over a line of three simulated trackers, plugged in one after another
// on the same line: the good ones pass, the one that ignores a write fails naming the field, and
// the report holds one matching row each.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "fleet/ProvisionWindow.h"
#include "fleet/StationTile.h"
#include "i18n/ProgramTexts.h"
#include "sim/SimTracker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct TLineTracker {
    QByteArray Identifier;
    int IgnoredWrite = 0;
};

} // namespace

// What the first slot of the station says it does.
QString SlotStep(TProvisionWindow* pw)
{
    const QList<TStationTile*> tiles = pw->Tiles();
    return tiles.isEmpty() ? QString() : tiles.first()->lblSlotStep->text();
}

class TestProvisionWindow : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler(nullptr);
        delete dir;
    }

    void threeTrackersOneAfterAnother()
    {
        const QList<TLineTracker> line = {{"0000000001", 0}, {"0000000002", 12}, {"0000000003", 0}};
        TSimTracker sim;
        const auto plugIn = [&sim](const TLineTracker& t) {
            TSimState state;
            state.Identifier = t.Identifier;
            sim.SetState(state);
            TSimFaults faults;
            faults.IgnoreWriteCmd = t.IgnoredWrite;
            sim.SetFaults(faults);
        };
        plugIn(line[0]);
        QVERIFY(sim.Start());
        const QString params = dir->filePath("fleet.cfg");
        WriteAll(params, "[Para]\r\nBasicInfo_AnotherName=Van7\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=480\r\n"
                         "BasicInfo_GSensorParams=630\r\nGPRS_IPAdd=10.0.0.1\r\nGPRS_Port=8888\r\n" "Geo_FenceFile=fences.csv\r\n");
        WriteAll(dir->filePath("fences.csv"), "number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r\n"
                                              "7,Depot,113.945617,22.917922,114,22.5\r\n");

        TFrmMain w;
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btnProvision, Qt::LeftButton);
        auto* pw = w.findChild<TProvisionWindow*>("FrmProvision");
        QVERIFY(pw && pw->isVisible());
        pw->edtProvisionParams->setText(params); // the fence file comes through the parameter file
        pw->ReportPath = dir->filePath("report.csv");

        // The technician: takes each tracker away once its result shows (it falls silent), and
        // plugs in the next one once the window waits for it; stops after the last.
        const QString removeText = TranslateText("provision_remove");
        int plugged = 0;
        bool away = false;
        QTimer hands;
        connect(&hands, &QTimer::timeout, [&] {
            const int done = pw->lstProvisionReport->count();
            if (!away && done == plugged + 1 && SlotStep(pw) == removeText) {
                TSimFaults silent;
                silent.Silent = true;
                sim.SetFaults(silent);
                away = true;
            } else if (away && SlotStep(pw).startsWith("Waiting for a tracker")) {
                away = false;
                if (++plugged < line.size())
                    plugIn(line[plugged]);
                else
                    pw->btnProvisionStop->click();
            }
        });
        hands.start(20);
        QTimer::singleShot(120000, pw->btnProvisionStop, &QPushButton::click); // never hang the test
        QTest::mouseClick(pw->btnProvisionStart, Qt::LeftButton);
        QVERIFY(pw->Running());
        QTRY_VERIFY_WITH_TIMEOUT(!pw->Running(), 125000);
        hands.stop();

        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
        QCOMPARE(pw->lstProvisionReport->count(), 3);
        QCOMPARE(pw->lstProvisionReport->item(0)->text(), QString("0000000001  pass"));
        QCOMPARE(pw->lstProvisionReport->item(1)->text(),
                 QString("0000000002  differs  Time difference: written \"480\", read back \"-60\""));
        QCOMPARE(pw->lstProvisionReport->item(2)->text(), QString("0000000003  pass"));
        QCOMPARE(pw->Tiles().size(), 1);
        QCOMPARE(pw->Tiles().first()->lblSlotResult->text(), QString("PASS"));
        QCOMPARE(pw->Tiles().first()->lblSlotTracker->text(), QString("ID 0000000003, firmware SIM-1.0.0"));
        // The last tracker holds the configuration and its fence.
        QCOMPARE(sim.State().Alias, QByteArray("Van7"));
        QCOMPARE(sim.State().Fences[6].Name, QByteArray("Depot"));
        // Stop ended the run cleanly: nothing in flight, Start usable again.
        QVERIFY(!w.Queue().IsBusy());
        QVERIFY(!pw->Running());
        QVERIFY(pw->btnProvisionStart->isEnabled());

        QFile report(pw->ReportPath);
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = report.readAll().split('\n');
        QCOMPARE(rows.size(), 5); // header, three rows, the empty rest after the last line end
        QCOMPARE(rows[0], QByteArray("time,port,identifier,firmware,result,details,slot\r"));
        const QByteArray device = sim.DevicePath().toLocal8Bit();
        // The slot column: a pseudo-terminal has no stable name but itself.
        QVERIFY(rows[1].endsWith("," + device + ",0000000001,SIM-1.0.0,pass,," + device + "\r"));
        QVERIFY(rows[2].endsWith("," + device +
                                 ",0000000002,SIM-1.0.0,differs,\"Time difference: written \"\"480\"\", read back \"\"-60\"\"\"," +
                                 device + "\r"));
        QVERIFY(rows[3].endsWith("," + device + ",0000000003,SIM-1.0.0,pass,," + device + "\r"));
    }

    void unpluggedTrackersAreTakenOnTheSameDevice()
    {
        // USB trackers: each one's line goes away with it (a hang-up), and the next appears
        // under the same stable name. The run reopens the port by itself and shows no box.
        // The station watches the stable name only: the pseudo-terminal behind it ends with each
        // tracker, and its number goes to whichever pseudo-terminal is opened next on the
        // machine (another test's tracker beside this one).
        TSimTracker sim;
        const QString link = dir->filePath("ttyTracker");
        sim.SetLinkPath(link);
        const auto setIdentifier = [&](const QByteArray& identifier) {
            TSimState state;
            state.Identifier = identifier;
            sim.SetState(state);
        };
        setIdentifier("0000000001");
        QVERIFY(sim.Start());
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.DevicePath());
        const QString params = dir->filePath("fleet.cfg");
        WriteAll(params, "[Para]\r\nBasicInfo_AnotherName=Van8\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=480\r\n"
                         "BasicInfo_GSensorParams=630\r\nGPRS_IPAdd=10.0.0.1\r\nGPRS_Port=8888\r\n");

        TFrmMain w;
        w.AddPort(link);
        QTest::mouseClick(w.btnProvision, Qt::LeftButton);
        auto* pw = w.findChild<TProvisionWindow*>("FrmProvision");
        QVERIFY(pw);
        pw->edtProvisionParams->setText(params);
        pw->ReportPath = dir->filePath("report.csv");

        const QString removeText = TranslateText("provision_remove");
        bool unplugged = false;
        bool second = false;
        bool failedPlug = false;
        QStringList devices = {sim.DevicePath()};
        QString linkedTo;
        QTimer hands;
        connect(&hands, &QTimer::timeout, [&] {
            const int done = pw->lstProvisionReport->count();
            if (!unplugged && SlotStep(pw) == removeText) {
                sim.Unplug(); // pulled out: the name goes, then the line hangs up
                unplugged = true;
            } else if (unplugged && SlotStep(pw).startsWith("Waiting for a tracker")) {
                unplugged = false;
                if (!second) {
                    second = true;
                    setIdentifier("0000000002");
                    failedPlug = !sim.Replug(); // the next tracker, on a device of its own
                    devices << sim.DevicePath();
                    linkedTo = QFileInfo(link).symLinkTarget();
                } else if (done == 2) {
                    pw->btnProvisionStop->click();
                }
            }
        });
        hands.start(20);
        QTimer::singleShot(60000, pw->btnProvisionStop, &QPushButton::click); // never hang the test
        QTest::mouseClick(pw->btnProvisionStart, Qt::LeftButton);
        QVERIFY(pw->Running());
        QTRY_VERIFY_WITH_TIMEOUT(!pw->Running(), 65000);
        hands.stop();

        QVERIFY(!failedPlug);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
        QCOMPARE(pw->lstProvisionReport->count(), 2);
        QCOMPARE(pw->lstProvisionReport->item(0)->text(), QString("0000000001  pass"));
        QCOMPARE(pw->lstProvisionReport->item(1)->text(), QString("0000000002  pass"));
        QCOMPARE(sim.State().Alias, QByteArray("Van8"));
        // Two trackers on two devices, both reached through the one name.
        QCOMPARE(devices.size(), 2);
        QVERIFY2(devices[0] != devices[1], qPrintable(devices.join(' ')));
        QCOMPARE(linkedTo, devices[1]);
        QVERIFY(!QFileInfo(link).isSymLink()); // the second one was taken away too
        QFile report(pw->ReportPath);
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = report.readAll().split('\n');
        QCOMPARE(rows.size(), 4); // header, two rows, the empty rest after the last line end
        const QByteArray port = link.toLocal8Bit();
        QVERIFY2(rows[1].contains("," + port + ",0000000001,SIM-1.0.0,pass,"), rows[1].constData());
        QVERIFY2(rows[2].contains("," + port + ",0000000002,SIM-1.0.0,pass,"), rows[2].constData());
    }

    void theWindowClosesWhileARunWaits()
    {
        TSimTracker sim;
        TSimFaults silent;
        silent.Silent = true;
        sim.SetFaults(silent);
        QVERIFY(sim.Start());
        const QString params = dir->filePath("fleet.cfg");
        WriteAll(params, "[Para]\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=480\r\n" "BasicInfo_GSensorParams=630\r\nGPRS_IPAdd=10.0.0.1\r\nGPRS_Port=8888\r\n");
        TFrmMain w;
        w.show();
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btnProvision, Qt::LeftButton);
        auto* pw = w.findChild<TProvisionWindow*>("FrmProvision");
        QVERIFY(pw);
        pw->edtProvisionParams->setText(params);
        bool closeAsked = false;
        QTimer::singleShot(800, &w, [&] {
            closeAsked = pw->Running();
            w.close();
        });
        QTimer::singleShot(60000, pw->btnProvisionStop, &QPushButton::click); // never hang the test
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(pw->btnProvisionStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(closeAsked, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!pw->Running(), 10000);
        QVERIFY2(clock.elapsed() < 10000, "the run did not end at the close");
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(!w.Queue().IsBusy());
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TestProvisionWindow)
#include "test_provision_window.moc"
