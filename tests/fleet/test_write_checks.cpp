// What a Write refuses and how it verifies, in the whole window against the simulated tracker
// over a real pseudo-terminal: the values the command line refuses are refused at the pages too,
// an empty authorization number is the same whether the tracker answers it empty or as "0", and
// what ends an exchange without a box is said in the progress bar's place.
#include "app/FrmMain.h"
#include "app/SegmentProgressBar.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "fleet/ParamFileChecks.h"
#include "params/MainSettingsPage.h"
#include "sim/SimTracker.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestWriteChecks : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;
    QString nextFile;

    static void OpenPort(TFrmMain& w, TSimTracker& sim)
    {
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY(w.ComPort.Connected());
    }

    // Clicks a Write and waits for its exchange to end, or for a refusal that starts none.
    void Click(TFrmMain& w, QPushButton* button)
    {
        messages.clear();
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy(), 10000);
        QTest::qWait(100);
    }

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        Dialogs::SetFileHandler([this](const TFileRequest&) { return nextFile; });
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler(nullptr);
        Dialogs::SetFileHandler(nullptr);
        delete dir;
    }

    void emptyNumbersVerifyWhicheverFormTheTrackerAnswers()
    {
        for (const bool asZero : {false, true}) {
            TSimTracker sim;
            TSimFaults faults;
            faults.EmptySlotAsZero = asZero;
            sim.SetFaults(faults);
            QVERIFY(sim.Start());
            TFrmMain w;
            OpenPort(w, sim);
            Click(w, w.btnWriteAll);
            QCOMPARE(sim.ReceivedCommands().value(6), QByteArray("(P11,1,1,0)"));
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages[0].Text == "Operation success !", qPrintable(messages[0].Text));
            // The pages show the empty slot as the tracker answered it.
            QCOMPARE(w.MainSettings->edtVIP_1->text(), asZero ? QString("0") : QString());
        }

        // A tracker that keeps another number: the box names that one field.
        TSimTracker sim;
        TSimState state = sim.State();
        state.AuthNumbers[2] = "5551234";
        sim.SetState(state);
        TSimFaults faults;
        faults.IgnoreWriteCmd = 11;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TFrmMain w;
        OpenPort(w, sim);
        Click(w, w.btnWriteAll);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QString("Verification"));
        QCOMPARE(messages[0].Text.split('\n').mid(1), QStringList{"VIP Number 3: written \"0\", answered \"5551234\""});
    }

    void valuesOutOfRangeAreRefusedBeforeAnythingIsSent()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        OpenPort(w, sim);
        auto& m = *w.MainSettings;
        const struct {
            QWidget* field;
            QString text;
            QPushButton* button;
            QString refusal;
        } cases[] = {
            {m.txtPort, "70000", m.btnGprsSet, "Port must be a whole number from 1 to 65535."},
            {m.txtPort, "-1", m.btnGprsSet, "Port must be a whole number from 1 to 65535."},
            {m.txtPort, "", m.btnGprsSet, "Port must not be empty."},
            {m.txtIPAddress, " ", m.btnGprsSet, "IP address must not be empty."},
            {m.txtTimeDifferent, "99999", m.btnCenterNumberSet, "Time difference must be a whole number from -720 to 840."},
            {m.txtTimeDifferent, "", m.btnCenterNumberSet, "Time difference must not be empty."},
            {m.txtGSensorParam, "", m.btnCenterNumberSet, "G-sensor parameter must not be empty."},
            {m.cboBatteryAlert, "150", m.btnCenterNumberSet, "Low Battery must be a whole number from 10 to 100."},
            {m.txtPort, "99999", w.btnWriteAll, "Port must be a whole number from 1 to 65535."},
        };
        for (const auto& c : cases) {
            if (auto* edit = qobject_cast<QLineEdit*>(c.field))
                edit->setText(c.text);
            else
                qobject_cast<QComboBox*>(c.field)->setEditText(c.text);
            sim.ClearReceivedCommands();
            Click(w, c.button);
            QVERIFY2(sim.ReceivedCommands().isEmpty(), qPrintable(c.text + ": " + sim.ReceivedCommands().value(0)));
            QCOMPARE(messages.size(), 1);
            QCOMPARE(messages[0].Caption, QString("Error"));
            QCOMPARE(messages[0].Text, c.refusal);
            QCOMPARE(w.Queue().Count(), 0); // nothing left to go out with the next request
            // Put back what a new window holds.
            TFrmMain fresh;
            if (auto* edit = qobject_cast<QLineEdit*>(c.field))
                edit->setText(fresh.findChild<QLineEdit*>(c.field->objectName())->text());
            else
                m.cboBatteryAlert->setEditText("20");
        }

        // The specified check comes first: a low battery under 10 has its own box.
        m.cboBatteryAlert->setEditText("5");
        m.txtTimeDifferent->setText("99999");
        sim.ClearReceivedCommands();
        Click(w, m.btnCenterNumberSet);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QString("Please Input The Low Battery Value More than 10!"));
        QVERIFY(sim.ReceivedCommands().isEmpty());

        // An empty APN user and password go out; what the window saves, the command line takes.
        m.cboBatteryAlert->setEditText("30");
        m.txtTimeDifferent->setText("60");
        m.txtAPNUsername->clear();
        sim.ClearReceivedCommands();
        Click(w, m.btnGprsSet);
        QCOMPARE(sim.ReceivedCommands(), QList<QByteArray>{"(P05,1,0.0.0.0,8888,CMNET,,)"});
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        const QString saved = dir->filePath("param/0123456789.cfg");
        QVERIFY(QFile::exists(saved));
        QVERIFY2(CheckParamFileForRun(saved).Passed(), qPrintable(CheckParamFileForRun(saved).Refusals.join('\n')));
        // And a port the window refuses, the command line refuses too.
        m.txtPort->setText("70000");
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        QCOMPARE(CheckParamFileForRun(saved).Refusals,
                 QStringList{saved + ": GPRS_Port is \"70000\", not a whole number from 1 to 65535"});
    }

    void whatEndsAnExchangeWithoutABoxIsShownBesideTheProgress()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        OpenPort(w, sim);
        TSimFaults silent;
        silent.Silent = true;
        sim.SetFaults(silent);
        Click(w, w.btnReadAll);
        QCOMPARE(messages.size(), 0);
        QCOMPARE(w.rgbBar->Note(), QString("No answer from the tracker."));
        QCOMPARE(w.rgbBar->toolTip(), w.rgbBar->Note());

        sim.SetFaults({});
        w.MainSettings->CBox_UploadingInterval->setEditText("abc");
        sim.ClearReceivedCommands();
        Click(w, w.btnWriteAll);
        QCOMPARE(messages.size(), 0);
        QVERIFY(sim.ReceivedCommands().isEmpty());
        QCOMPARE(w.rgbBar->Note(), QString("Nothing was written: Interval is not a whole number."));

        // The next exchange clears it.
        Click(w, w.btnReadAll);
        QCOMPARE(w.rgbBar->Note(), QString());
        QCOMPARE(messages.value(0).Text, QString("Operation success !"));
    }

    void loadRefusesAFileThatIsNoParameterFile()
    {
        TFrmMain w;
        auto& m = *w.MainSettings;
        m.txtAlias->setText("Van 7");
        QDir().mkpath(dir->filePath("param"));
        nextFile = dir->filePath("param/notes.cfg");
        QFile text(nextFile);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Shopping list\r\nmilk=2\r\n[Other]\r\nGPRS_Port=1\r\n");
        text.close();
        messages.clear();
        QTest::mouseClick(w.btnLoad, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QString("Error"));
        QVERIFY2(messages[0].Text.contains("is no parameter file"), qPrintable(messages[0].Text));
        QCOMPARE(m.txtAlias->text(), QString("Van 7"));
        QCOMPARE(m.txtPort->text(), QString("8888"));

        // The interval travels with a saved set; a file without it leaves the field as it is.
        m.CBox_UploadingInterval->setEditText("600");
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        nextFile = dir->filePath("param/0000000000.cfg");
        m.CBox_UploadingInterval->setEditText("45");
        messages.clear();
        QTest::mouseClick(w.btnLoad, Qt::LeftButton);
        QVERIFY(messages.isEmpty());
        QCOMPARE(m.CBox_UploadingInterval->currentText(), QString("600"));
        nextFile = dir->filePath("param/older.cfg");
        QFile older(nextFile);
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("[Para]\r\nBasicInfo_AnotherName=Old\r\n");
        older.close();
        m.CBox_UploadingInterval->setEditText("1800");
        QTest::mouseClick(w.btnLoad, Qt::LeftButton);
        QCOMPARE(m.txtAlias->text(), QString("Old"));
        QCOMPARE(m.CBox_UploadingInterval->currentText(), QString("1800"));
    }
};

QTEST_MAIN(TestWriteChecks)
#include "test_write_checks.moc"
