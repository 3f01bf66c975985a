// Parameter files in the whole window: Save, Load, their failures, and cloning one tracker's
// configuration onto another through a file, against two simulated trackers.
#include "app/FrmMain.h"
#include "app/WidgetDialogs.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "diag/LogView.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestParamsFile : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;
    QString nextFile;       // what the open dialog answers
    QList<TFileRequest> fileRequests;

    QString ParamPath(const QString& name) const { return dir->filePath("param/" + name); }

    void Load(TFrmMain& w, const QString& path)
    {
        nextFile = path;
        QTest::mouseClick(w.btnLoad, Qt::LeftButton);
    }

    static void OpenPort(TFrmMain& w, TSimTracker& sim)
    {
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY(w.ComPort.Connected());
    }

    static void ClosePort(TFrmMain& w)
    {
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY(!w.ComPort.Connected());
    }

    static void RunExchange(TFrmMain& w, QPushButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && w.Queue().Count() == 0, 10000);
    }

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        fileRequests.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        Dialogs::SetFileHandler([this](const TFileRequest& r) {
            fileRequests << r;
            return nextFile;
        });
    }
    void cleanup()
    {
        Dialogs::SetMessageHandler(nullptr);
        Dialogs::SetFileHandler(nullptr);
        delete dir;
        dir = nullptr;
    }

    void saveRightAfterStartWritesTheDefaults()
    {
        TFrmMain w;
        QVERIFY(!QDir(dir->filePath("param")).exists());
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        QVERIFY(messages.isEmpty());
        const QByteArray file = ReadAll(ParamPath("0000000000.cfg"));
        QVERIFY(file.startsWith("[Para]\r\nBasicInfo_AnotherName=\r\nBasicInfo_LowBattery=20\r\n"
                                "BasicInfo_TimeDiff=-60\r\nBasicInfo_GSensorParams=630\r\n"));
        QVERIFY(file.contains("\r\nDataUpLoad_Normal=1\r\nDataUpLoad_Moving=0\r\nDataUpLoad_Mode=1\r\n"
                              "DataUpLoad_KeepAlive=0\r\nDataUpLoad_KeepAliveTime=300\r\n"
                              "Alarm_Params=0,0,0,0,0\r\nDataUpLoad_Interval=150\r\n\r\n"));
        // The log says where the file went.
        auto* log = w.findChild<TLogView*>("mm_Recv");
        QVERIFY(log);
        QVERIFY(log->Lines().last().endsWith(QDir::toNativeSeparators(ParamPath("0000000000.cfg"))));
    }

    void saveKeepsWhatItDoesNotKnow()
    {
        TFrmMain w;
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        const QString path = ParamPath("0000000000.cfg");
        QByteArray file = ReadAll(path);
        WriteAll(path, file + "[Mine]\r\nnote=kept\r\n");
        TIniText ini;
        QVERIFY(ini.LoadFile(path));
        ini.WriteString("Para", "HandAdded", "yes");
        ini.SaveFile(path);
        w.MainSettings->txtAlias->setText("Truck7");
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        QVERIFY(ini.LoadFile(path));
        QCOMPARE(ini.ReadString("Para", "BasicInfo_AnotherName", ""), QString("Truck7"));
        QCOMPARE(ini.ReadString("Para", "HandAdded", ""), QString("yes"));
        QCOMPARE(ini.ReadString("Mine", "note", ""), QString("kept"));
    }

    void aFileWithOneKeyGivesTheDefaultsAFileWithNoneIsRefused()
    {
        TFrmMain w;
        auto& m = *w.MainSettings;
        m.txtAlias->setText("x");
        m.edtVIP_3->setText("123");
        m.RBtn_Main_02->setChecked(true);
        m.cbUpLoadMode->setCurrentIndex(1);
        m.RCox_KeepAlive->setChecked(true);
        w.AlarmSetting->RdGrp_04->SetItemIndex(3);
        const QString path = dir->filePath("other.cfg");
        // No section "Para": no parameter file, and the pages stay as they were.
        WriteAll(path, "[Other]\r\nx=1\r\n");
        Load(w, path);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        QCOMPARE(m.txtAlias->text(), QString("x"));
        QVERIFY(m.RBtn_Main_02->isChecked());
        messages.clear();
        fileRequests.clear();
        // One key of the set: the others take their defaults.
        WriteAll(path, "[Para]\r\nBasicInfo_AnotherName=\r\n");
        Load(w, path);
        QVERIFY(messages.isEmpty());
        QCOMPARE(fileRequests.size(), 1);
        QCOMPARE(fileRequests[0].Filter, QString("config file(*.cfg)|*.cfg"));
        // The dialog shows the filter's text once, with its pattern once; a description without
        // its pattern gets it in brackets.
        QCOMPARE(QtFileFilter(fileRequests[0].Filter), QString("config file(*.cfg)"));
        QCOMPARE(QtFileFilter("Text|*.txt|All|*"), QString("Text (*.txt);;All (*)"));
        QCOMPARE(fileRequests[0].Folder, dir->filePath("param"));
        QCOMPARE(m.txtAlias->text(), QString());
        QCOMPARE(m.edtVIP_3->text(), QString());
        QCOMPARE(m.cboBatteryAlert->currentText(), QString());
        QVERIFY(m.RBtn_Main_01->isChecked());
        QVERIFY(!m.RBtn_Main_02->isChecked());
        QCOMPARE(m.cbUpLoadMode->currentIndex(), 0);
        QVERIFY(!m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.RzSpinEdit_KeepAlive->value(), 300);
        for (int g = 1; g <= 5; ++g)
            QCOMPARE(w.AlarmSetting->Group(g)->ItemIndex(), 0);
    }

    void alarmsModesAndBadIndexes()
    {
        TFrmMain w;
        const QString path = dir->filePath("a.cfg");
        WriteAll(path, "[Para]\r\nAlarm_Params=1,2\r\nDataUpLoad_Mode=2\r\nDataUpLoad_KeepAliveTime=99999\r\n");
        Load(w, path);
        QVERIFY(messages.isEmpty());
        QCOMPARE(w.AlarmSetting->RdGrp_01->ItemIndex(), 1);
        QCOMPARE(w.AlarmSetting->RdGrp_02->ItemIndex(), 2);
        QCOMPARE(w.AlarmSetting->RdGrp_03->ItemIndex(), 0);
        QCOMPARE(w.MainSettings->cbUpLoadMode->currentText(), QString("TCP"));
        QCOMPARE(w.MainSettings->RzSpinEdit_KeepAlive->value(), 7200); // held inside 30..7200

        WriteAll(path, "[Para]\r\nAlarm_Params=3,9,1\r\nDataUpLoad_Mode=3\r\nBasicInfo_AnotherName=Van\r\n");
        Load(w, path);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QString("List index out of bounds (9)"));
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        QCOMPARE(w.MainSettings->txtAlias->text(), QString("Van")); // set before the bad index
        QCOMPARE(w.MainSettings->cbUpLoadMode->currentIndex(), -1);   // mode 3 names no item
        QCOMPARE(w.AlarmSetting->RdGrp_01->ItemIndex(), 3);
        QCOMPARE(w.AlarmSetting->RdGrp_02->ItemIndex(), 2);          // untouched from before
        QCOMPARE(w.AlarmSetting->RdGrp_03->ItemIndex(), 0);
    }

    void saveThenLoadGivesEveryFieldBack()
    {
        TFrmMain w;
        auto& m = *w.MainSettings;
        m.txtAlias->setText("  Depot-3 ");
        m.cboBatteryAlert->setEditText("40");
        m.txtTimeDifferent->setText("480");
        m.txtGSensorParam->setText("700");
        for (int k = 1; k <= 5; ++k)
            m.AuthNumberEdit(k)->setText(QStringLiteral("+86%1").arg(k));
        m.txtIPAddress->setText("10.1.2.3");
        m.txtPort->setText("9000");
        m.txtAPN->setText(QString::fromUtf8("internet.é"));
        m.txtAPNUsername->setText("u");
        m.txtAPNPassword->setText("p w");
        m.RBtn_Main_02->setChecked(true);
        m.cbUpLoadMode->setCurrentIndex(1);
        m.RCox_KeepAlive->setChecked(true);
        m.RzSpinEdit_KeepAlive->setValue(1234);
        for (int g = 1; g <= 5; ++g)
            w.AlarmSetting->Group(g)->SetItemIndex(4 - g < 0 ? 0 : (g % 4));
        const QByteArray alarms = w.AlarmSetting->AlarmText();
        QTest::mouseClick(w.btnSave, Qt::LeftButton);

        TFrmMain fresh;
        Load(fresh, ParamPath("0000000000.cfg"));
        QVERIFY(messages.isEmpty());
        auto& f = *fresh.MainSettings;
        QCOMPARE(f.txtAlias->text(), QString("Depot-3")); // trimmed on save
        QCOMPARE(f.cboBatteryAlert->currentText(), QString("40"));
        QCOMPARE(f.txtTimeDifferent->text(), QString("480"));
        QCOMPARE(f.txtGSensorParam->text(), QString("700"));
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(f.AuthNumberEdit(k)->text(), QStringLiteral("+86%1").arg(k));
        QCOMPARE(f.txtIPAddress->text(), QString("10.1.2.3"));
        QCOMPARE(f.txtPort->text(), QString("9000"));
        QCOMPARE(f.txtAPN->text(), QString::fromUtf8("internet.é"));
        QCOMPARE(f.txtAPNUsername->text(), QString("u"));
        QCOMPARE(f.txtAPNPassword->text(), QString("p w"));
        QVERIFY(f.RBtn_Main_02->isChecked());
        QVERIFY(!f.RBtn_Main_01->isChecked());
        QCOMPARE(f.cbUpLoadMode->currentIndex(), 1);
        QCOMPARE(f.RCox_KeepAlive->isChecked(), true);
        QCOMPARE(f.RzSpinEdit_KeepAlive->value(), 1234);
        QCOMPARE(fresh.AlarmSetting->AlarmText(), alarms);
    }

    void failuresLeaveEverythingAsItWas()
    {
        TFrmMain w;
        // The file's place is taken by a folder: Save reports it and writes nothing.
        QVERIFY(QDir().mkpath(ParamPath("0000000000.cfg")));
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].Text.startsWith("Cannot create file \"" + ParamPath("0000000000.cfg") + "\". "));
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);

        // Loading a folder: "Cannot open file", nothing set.
        w.MainSettings->txtAlias->setText("unchanged");
        Load(w, ParamPath("0000000000.cfg"));
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[1].Text.startsWith("Cannot open file \"" + ParamPath("0000000000.cfg") + "\". "));
        QCOMPARE(w.MainSettings->txtAlias->text(), QString("unchanged"));

        // A cancelled dialog does nothing.
        Load(w, QString());
        QCOMPARE(messages.size(), 2);
        QCOMPARE(w.MainSettings->txtAlias->text(), QString("unchanged"));

        // A read-only folder (only meaningful when not running as root).
        if (geteuid() != 0) {
            QDir(dir->path()).rmdir(ParamPath("0000000000.cfg"));
            WriteAll(ParamPath("0000000000.cfg"), "[Para]\r\nBasicInfo_AnotherName=old\r\n");
            QFile::setPermissions(dir->filePath("param"), QFile::ReadOwner | QFile::ExeOwner);
            QTest::mouseClick(w.btnSave, Qt::LeftButton);
            QFile::setPermissions(dir->filePath("param"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(messages.size(), 3);
            QCOMPARE(ReadAll(ParamPath("0000000000.cfg")), QByteArray("[Para]\r\nBasicInfo_AnotherName=old\r\n"));
        }
    }

    void cloneOneTrackerOntoAnother()
    {
        TSimTracker a;
        TSimState sa = a.State();
        sa.Identifier = "1111111111";
        sa.Alias = "FleetA";
        sa.LowBattery = "30";
        sa.TimeDifference = "480";
        sa.GSensor = "512";
        sa.IPAddress = "203.0.113.9";
        sa.Port = "7001";
        sa.APN = "fleet.apn";
        sa.APNUser = "fuser";
        sa.APNPassword = "fpass";
        sa.UploadMode = "1";
        sa.UploadInterval = "60";
        sa.Strategy = "1";
        sa.KeepAlive = "600";
        sa.AuthNumbers = {"+8613800000001", "13800000002", "", "4", "+5"};
        sa.AlarmChannels = {"1", "2", "3", "0", "1"};
        a.SetState(sa);
        TSimTracker b;
        TSimState sb = b.State();
        sb.Identifier = "2222222222";
        b.SetState(sb);
        QVERIFY(a.Start());
        QVERIFY(b.Start());

        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        OpenPort(w, a);
        RunExchange(w, w.btnReadAll);
        QCOMPARE(w.MainSettings->txtAlias->text(), QString("FleetA"));
        QTest::mouseClick(w.btnSave, Qt::LeftButton);
        QVERIFY(QFile::exists(ParamPath("1111111111.cfg")));
        ClosePort(w);

        // A new start of the program on the next tracker: load, open, Write All.
        TFrmMain w2;
        w2.cbTipOnOK->setChecked(false);
        Load(w2, ParamPath("1111111111.cfg"));
        OpenPort(w2, b);
        RunExchange(w2, w2.btnWriteAll);
        QVERIFY(messages.isEmpty());

        const TSimState after = b.State();
        QCOMPARE(after.Identifier, QByteArray("2222222222"));
        QCOMPARE(after.Alias, sa.Alias);
        QCOMPARE(after.LowBattery, sa.LowBattery);
        QCOMPARE(after.TimeDifference, sa.TimeDifference);
        QCOMPARE(after.GSensor, sa.GSensor);
        QCOMPARE(after.IPAddress, sa.IPAddress);
        QCOMPARE(after.Port, sa.Port);
        QCOMPARE(after.APN, sa.APN);
        QCOMPARE(after.APNUser, sa.APNUser);
        QCOMPARE(after.APNPassword, sa.APNPassword);
        QCOMPARE(after.UploadMode, sa.UploadMode);
        QCOMPARE(after.UploadInterval, sa.UploadInterval); // the interval travels with the file
        QCOMPARE(after.Strategy, sa.Strategy);
        QCOMPARE(after.KeepAlive, sa.KeepAlive);
        QCOMPARE(after.AlarmChannels, sa.AlarmChannels);
        // An empty authorization number goes out as "0", as every Write does, and the tracker
        // keeps the slot empty.
        QCOMPARE(b.ReceivedCommands().value(8), QByteArray("(P11,1,3,0)"));
        QCOMPARE(after.AuthNumbers[0], sa.AuthNumbers[0]);
        QCOMPARE(after.AuthNumbers[1], sa.AuthNumbers[1]);
        QCOMPARE(after.AuthNumbers[2], QByteArray());
        QCOMPARE(after.AuthNumbers[3], sa.AuthNumbers[3]);
        QCOMPARE(after.AuthNumbers[4], sa.AuthNumbers[4]);
        ClosePort(w2);
    }
};

QTEST_MAIN(TestParamsFile)
#include "test_params_file.moc"
