// The settings pages, the status panel and the bulk operations in the whole window, against the
// simulated tracker on a real pseudo-terminal: the command button set around exchanges, Read All
// and Write All end to end, the checks and the mended faults, the status query and the animation.
#include "app/FrmMain.h"
#include "app/SegmentProgressBar.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "params/AlarmPage.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/StatusPanel.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

const QList<QByteArray> ReadAllTexts = {
    "(P01,0)", "(T01,0)", "(P17,0)", "(P10,0)", "(P12,0)", "(P05,0)", "(P07,0)", "(P04,0)",
    "(P18,0)", "(P11,0,1)", "(P11,0,2)", "(P11,0,3)", "(P11,0,4)", "(P11,0,5)", "(P22,0)", "(P31,0)",
};

constexpr int ExchangeTimeoutMs = 15000;

#define WAIT_FOR_EXCHANGE(w, n)         \
    do {                                \
        WaitForExchange(w, n);          \
        if (QTest::currentTestFailed()) \
            return;                     \
    } while (false)

QAbstractButton* Button(TFrmMain& w, const QString& name) { return w.findChild<QAbstractButton*>(name); }
QLineEdit* Edit(TFrmMain& w, const char* name) { return w.findChild<QLineEdit*>(QString::fromLatin1(name)); }
QComboBox* Combo(TFrmMain& w, const char* name) { return w.findChild<QComboBox*>(QString::fromLatin1(name)); }
TRadioGroup* Group(TFrmMain& w, int p)
{
    return w.findChild<TRadioGroup*>(QStringLiteral("RdGrp_%1").arg(p, 2, 10, QLatin1Char('0')));
}

// Every present button of the command set has the given state.
bool CommandButtonsAre(TFrmMain& w, bool enabled)
{
    // All 18, each found by its name: a missing one is a fault of the window, not a pass.
    if (TFrmMain::CommandButtonNames().size() != 18)
        return false;
    for (const QString& name : TFrmMain::CommandButtonNames()) {
        QWidget* b = w.findChild<QWidget*>(name);
        if (!b) {
            qWarning("command button %s not found", qPrintable(name));
            return false;
        }
        if (b->isEnabled() != enabled)
            return false;
    }
    return true;
}

} // namespace

class TestSettingsWindow : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;
    TSimTracker* sim = nullptr;

    // A window with the simulator's port open.
    std::unique_ptr<TFrmMain> OpenWindow()
    {
        auto w = std::make_unique<TFrmMain>();
        // The commands of each request alone, without the read-back that verifies a write.
        w->findChild<QCheckBox*>("cbVerifyWrite")->setChecked(false);
        w->AddPort(sim->DevicePath());
        w->btn_Switch->click();
        if (!w->ComPort.Connected())
            qWarning("the simulator's port did not open");
        return w;
    }

    // Waits until the simulator has received n commands and the exchange has ended.
    void WaitForExchange(TFrmMain& w, int commands)
    {
        QTRY_VERIFY_WITH_TIMEOUT(sim->ReceivedCommands().size() >= commands && !w.Queue().IsBusy(), ExchangeTimeoutMs);
    }

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        sim = new TSimTracker;
        QVERIFY(sim->Start());
    }
    void cleanup()
    {
        delete sim;
        sim = nullptr;
        Dialogs::SetMessageHandler(nullptr);
        delete dir;
        dir = nullptr;
    }

    void commandButtonsAroundExchanges()
    {
        TFrmMain w;
        // Start: the set disabled, the alarm page's buttons not in it.
        QVERIFY(CommandButtonsAre(w, false));
        QVERIFY(Button(w, "btnAlarmRead")->isEnabled());
        QVERIFY(Button(w, "btnAlarmSet")->isEnabled());
        w.AddPort(sim->DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        QVERIFY(CommandButtonsAre(w, true));
        // During an exchange the set is disabled; after the last answer it is enabled again.
        w.btnReadAll->click();
        QVERIFY(CommandButtonsAre(w, false));
        QVERIFY(Button(w, "btnAlarmRead")->isEnabled());
        WAIT_FOR_EXCHANGE(w, 16);
        QVERIFY(CommandButtonsAre(w, true));
        // A silent tracker: the time-out ends the exchange without a message.
        messages.clear();
        TSimFaults faults;
        faults.Silent = true;
        sim->SetFaults(faults);
        Button(w, "btnGprsRead")->click();
        QVERIFY(CommandButtonsAre(w, false));
        QTRY_VERIFY_WITH_TIMEOUT(CommandButtonsAre(w, true), 5000);
        QVERIFY(messages.isEmpty());
    }

    void readAllFillsThePagesFromTheTracker()
    {
        TSimState state = sim->State();
        state.Identifier = "0000012345";
        state.Firmware = "TV-3.1";
        state.Alias = "Van-12";
        state.LowBattery = "40";
        state.TimeDifference = "480";
        state.GSensor = "750";
        state.IPAddress = "10.20.30.40";
        state.Port = "6001";
        state.APN = "internet.example";
        state.APNUser = "fleet";
        state.APNPassword = "s3cret";
        state.UploadInterval = "60";
        state.UploadMode = "1";
        state.Strategy = "2";
        state.KeepAlive = "600";
        state.AuthNumbers = {"+111", "222", "", "+444", "555"};
        state.AlarmChannels = {"1", "2", "3", "0", "1"};
        state.GpsLevel = "5";
        state.GsmLevel = "13";
        state.BatteryLevel = "60";
        sim->SetState(state);
        auto w = OpenWindow();
        Edit(*w, "txtAlias")->setText(QStringLiteral("not emptied first"));
        w->btnReadAll->click();
        WAIT_FOR_EXCHANGE(*w, 16);
        QCOMPARE(sim->ReceivedCommands(), ReadAllTexts);

        QCOMPARE(w->StatusPanel->RzMeter_LED->Text(), QStringLiteral("0000012345"));
        QCOMPARE(w->StatusPanel->lblVersion->text(), QStringLiteral("TV-3.1"));
        QCOMPARE(w->StatusPanel->lblAnotherName->text(), QStringLiteral("Van-12"));
        QCOMPARE(w->StatusPanel->RzMeter_GPS->Value(), 5);
        QCOMPARE(w->StatusPanel->RzMeter_GSM->Value(), 2);
        QVERIFY(w->StatusPanel->tmBatteyCharging().isActive());
        QCOMPARE(Edit(*w, "txtAlias")->text(), QStringLiteral("Van-12"));
        QCOMPARE(Combo(*w, "cboBatteryAlert")->currentText(), QStringLiteral("40"));
        QCOMPARE(Edit(*w, "txtTimeDifferent")->text(), QStringLiteral("480"));
        QCOMPARE(Edit(*w, "txtGSensorParam")->text(), QStringLiteral("750"));
        QCOMPARE(Edit(*w, "txtIPAddress")->text(), QStringLiteral("10.20.30.40"));
        QCOMPARE(Edit(*w, "txtPort")->text(), QStringLiteral("6001"));
        QCOMPARE(Edit(*w, "txtAPN")->text(), QStringLiteral("internet.example"));
        QCOMPARE(Edit(*w, "txtAPNUsername")->text(), QStringLiteral("fleet"));
        QCOMPARE(Edit(*w, "txtAPNPassword")->text(), QStringLiteral("s3cret"));
        QCOMPARE(Combo(*w, "cbUpLoadMode")->currentText(), QStringLiteral("TCP"));
        QCOMPARE(Combo(*w, "CBox_UploadingInterval")->currentText(), QStringLiteral("60"));
        QVERIFY(w->findChild<QRadioButton*>("RBtn_Main_02")->isChecked());
        QVERIFY(w->findChild<QWidget*>("pnlKeepAlive")->isHidden());
        QVERIFY(w->findChild<QCheckBox*>("RCox_KeepAlive")->isChecked());
        QCOMPARE(w->findChild<QSpinBox*>("RzSpinEdit_KeepAlive")->value(), 600);
        const char* vip[] = {"+111", "222", "", "+444", "555"};
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(Edit(*w, QStringLiteral("edtVIP_%1").arg(k).toLatin1().constData())->text(), QString::fromLatin1(vip[k - 1]));
        const int alarms[] = {1, 2, 3, 0, 1};
        for (int p = 1; p <= 5; ++p)
            QCOMPARE(Group(*w, p)->ItemIndex(), alarms[p - 1]);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QStringLiteral("Operation success !"));
        QCOMPARE(messages[0].Caption, QStringLiteral("Message"));
        // Closing the port stops the animation and shows 0.
        w->btn_Switch->click();
        QVERIFY(!w->StatusPanel->tmBatteyCharging().isActive());
        QCOMPARE(w->StatusPanel->RzMeter_Battery->Value(), 0);
        QCOMPARE(w->StatusPanel->RzMeter_LED->Text(), QStringLiteral("0000012345")); // kept
    }

    void writeAllLeavesTheTrackerAsThePages()
    {
        auto w = OpenWindow();
        Edit(*w, "txtAlias")->setText(QStringLiteral("Bus 4"));
        Combo(*w, "cboBatteryAlert")->setEditText(QStringLiteral("30"));
        Edit(*w, "txtTimeDifferent")->setText(QStringLiteral("-300"));
        Edit(*w, "txtGSensorParam")->setText(QStringLiteral("900"));
        Edit(*w, "txtIPAddress")->setText(QStringLiteral("10.0.0.9"));
        Edit(*w, "txtPort")->setText(QStringLiteral("5055"));
        Edit(*w, "txtAPN")->setText(QStringLiteral("apn.example"));
        Edit(*w, "txtAPNUsername")->setText(QStringLiteral("u1"));
        Edit(*w, "txtAPNPassword")->setText(QStringLiteral("p1"));
        Combo(*w, "cbUpLoadMode")->setCurrentIndex(1);
        Combo(*w, "CBox_UploadingInterval")->setEditText(QStringLiteral("120"));
        w->findChild<QCheckBox*>("RCox_KeepAlive")->setChecked(true);
        w->findChild<QSpinBox*>("RzSpinEdit_KeepAlive")->setValue(1200);
        const QStringList vip = {"+491", "492", "+493", "494", "495"};
        for (int k = 1; k <= 5; ++k)
            Edit(*w, QStringLiteral("edtVIP_%1").arg(k).toLatin1().constData())->setText(vip[k - 1]);
        const int alarms[] = {3, 2, 1, 0, 3};
        for (int p = 1; p <= 5; ++p)
            Group(*w, p)->SetItemIndex(alarms[p - 1]);
        w->btnWriteAll->click();
        WAIT_FOR_EXCHANGE(*w, 14);
        QCOMPARE(sim->ReceivedCommands().size(), 14);
        QVERIFY(messages.size() == 1 && messages[0].Text == QStringLiteral("Operation success !"));

        const TSimState s = sim->State();
        QCOMPARE(s.Alias, QByteArray("Bus 4"));
        QCOMPARE(s.LowBattery, QByteArray("30"));
        QCOMPARE(s.TimeDifference, QByteArray("-300"));
        QCOMPARE(s.GSensor, QByteArray("900"));
        QCOMPARE(s.IPAddress, QByteArray("10.0.0.9"));
        QCOMPARE(s.Port, QByteArray("5055"));
        QCOMPARE(s.APN, QByteArray("apn.example"));
        QCOMPARE(s.APNUser, QByteArray("u1"));
        QCOMPARE(s.APNPassword, QByteArray("p1"));
        QCOMPARE(s.UploadInterval, QByteArray("120"));
        QCOMPARE(s.UploadMode, QByteArray("1"));
        QCOMPARE(s.Strategy, QByteArray("1"));
        QCOMPARE(s.KeepAlive, QByteArray("1200"));
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(s.AuthNumbers[size_t(k - 1)], vip[k - 1].toLatin1());
        for (int p = 1; p <= 5; ++p)
            QCOMPARE(s.AlarmChannels[size_t(p - 1)], QByteArray::number(alarms[p - 1]));
        // The echoed answers left the pages as they were.
        QCOMPARE(Edit(*w, "txtAlias")->text(), QStringLiteral("Bus 4"));
        QCOMPARE(w->findChild<QSpinBox*>("RzSpinEdit_KeepAlive")->value(), 1200);
    }

    void checksRefuseBeforeAnythingIsSent()
    {
        auto w = OpenWindow();
        // Low battery under 10.
        Combo(*w, "cboBatteryAlert")->setEditText(QStringLiteral("5"));
        w->btnWriteAll->click();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QStringLiteral("Please Input The Low Battery Value More than 10!"));
        Button(*w, "btnCenterNumberSet")->click();
        QCOMPARE(messages.size(), 2);
        Combo(*w, "cboBatteryAlert")->setEditText(QStringLiteral("20"));
        // Command-breaking values, typed where no filter applies or pasted.
        Edit(*w, "txtAPN")->setText(QStringLiteral("net,work"));
        Button(*w, "btnGprsSet")->click();
        QCOMPARE(messages.size(), 3);
        QVERIFY(messages[2].Text.contains(QStringLiteral("\"APN\"")));
        w->btnWriteAll->click();
        QCOMPARE(messages.size(), 4);
        Edit(*w, "txtAPN")->setText(QStringLiteral("CMNET"));
        Edit(*w, "txtAlias")->insert(QStringLiteral("(x)"));
        Button(*w, "btnCenterNumberSet")->click();
        QCOMPARE(messages.size(), 5);
        QVERIFY(messages[4].Text.contains(QStringLiteral("\"Another Name\"")));
        // No exchange was started (the progress bar still has its start-up total of 1), so
        // nothing reached the tracker.
        QCOMPARE(w->rgbBar->TotalParts(), 1);
        QVERIFY(!w->Queue().IsBusy());
        QVERIFY(sim->ReceivedCommands().isEmpty());
        QVERIFY(CommandButtonsAre(*w, true));
    }

    void writeAllStoppedAtTheIntervalLeavesNothingForTheNextWrite()
    {
        auto w = OpenWindow();
        Combo(*w, "CBox_UploadingInterval")->setEditText(QStringLiteral("x"));
        w->btnWriteAll->click();
        QVERIFY(messages.isEmpty());
        QCOMPARE(w->Queue().Count(), 0);
        Edit(*w, "edtVIP_1")->setText(QStringLiteral("+777"));
        Button(*w, "btnVipCfgSet")->click();
        WAIT_FOR_EXCHANGE(*w, 5);
        QCOMPARE(sim->ReceivedCommands(),
                 QList<QByteArray>({"(P11,1,1,+777)", "(P11,1,2,0)", "(P11,1,3,0)", "(P11,1,4,0)", "(P11,1,5,0)"}));
        QCOMPARE(sim->State().Alias, QByteArray()); // the alias write was not left behind
    }

    void factoryDefaultAndStatusQuery()
    {
        TSimState state = sim->State();
        state.Alias = "Old";
        state.GsmLevel = "31";
        state.GpsLevel = "9";
        sim->SetState(state);
        auto w = OpenWindow();
        Edit(*w, "txtAlias")->setText(QStringLiteral("Mine"));
        w->btnDefault->click();
        WAIT_FOR_EXCHANGE(*w, 1);
        QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P20)"});
        QCOMPARE(Edit(*w, "txtAlias")->text(), QStringLiteral("Mine"));
        QCOMPARE(messages.size(), 1);

        sim->ClearReceivedCommands();
        messages.clear();
        w->StatusPanel->sbT01->click();
        WAIT_FOR_EXCHANGE(*w, 2);
        QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>({"(P01,0)", "(T01,0)"}));
        QCOMPARE(w->StatusPanel->RzMeter_GSM->Value(), 5);
        QCOMPARE(w->StatusPanel->RzMeter_GPS->Value(), 5);
        QCOMPARE(w->StatusPanel->lblAnotherName->text(), QString()); // restored by the default
        QVERIFY(messages.isEmpty()); // the status answer shows no tip
        // The animation runs at one step a second.
        const int before = w->StatusPanel->AnimationStep();
        QTRY_VERIFY_WITH_TIMEOUT(w->StatusPanel->AnimationStep() != before, 2500);
    }

    void noTipOnTheAdvancedOperationsPage()
    {
        auto w = OpenWindow();
        w->pgCtrl->setCurrentIndex(3);
        Button(*w, "btnAlarmRead")->click();
        WAIT_FOR_EXCHANGE(*w, 1);
        QVERIFY(messages.isEmpty());
        w->pgCtrl->setCurrentIndex(1);
        sim->ClearReceivedCommands();
        Button(*w, "btnAlarmRead")->click();
        WAIT_FOR_EXCHANGE(*w, 1);
        QCOMPARE(messages.size(), 1);
    }

    void malformedAnswersEndReadAllByTimeOut()
    {
        auto w = OpenWindow();
        TSimFaults faults;
        faults.Malformed = TSimFaults::TMalformed::NonNumeric;
        sim->SetFaults(faults);
        w->btnReadAll->click();
        // "(P01,0)" is answered with a text and applied; the status answer's letters fail the
        // strict numbers, so the exchange stops there and ends by its time-out.
        QTRY_VERIFY_WITH_TIMEOUT(sim->ReceivedCommands().size() == 2 && !w->Queue().IsBusy(), 6000);
        QCOMPARE(w->Queue().Count(), 15);
        QVERIFY(messages.isEmpty());
        QVERIFY(CommandButtonsAre(*w, true));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "test_settings_window.moc"
