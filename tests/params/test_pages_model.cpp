// The pages as the view of a settings model: the dispatcher applies answers to the model and the
// pages show what each answer set; a Write takes the controls into the model and sends what the
// model encodes.
#include "core/AppError.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/SettingsView.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"
#include "params/TrackerSettings.h"
#include "support_PagesRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

namespace {

// The rig's pages and a dispatcher, all on one model.
struct TModelRig {
    TPagesRig Rig;
    TTrackerSettings Model;
    TModelRig()
    {
        TDispatchTargets t;
        t.Settings = &Model;
        t.Queue = Rig.Queue.get();
        t.Status = Rig.Status;
        t.Main = Rig.Main;
        t.Alarm = Rig.Alarm;
        t.HotSpot = Rig.HotSpot;
        t.pgCtrl = Rig.pgCtrl;
        t.cbTipOnOK = Rig.cbTipOnOK;
        Rig.Dispatcher = std::make_unique<TResponseDispatcher>(t);
        TSettingsView(*Rig.Main, *Rig.Alarm, *Rig.HotSpot).Attach(Model);
    }
};

QByteArray CommandText(const TCmdItem& item) { return BuildCmdText(item.CmdNo, item.RWFlag, false, item.ParamText); }

} // namespace

class TestPagesModel : public QObject {
    Q_OBJECT
private slots:
    void answersGoIntoTheModelAndOntoThePages()
    {
        TModelRig r;
        r.Rig.Receive("(0123456789,P05,10.1.2.3,9000,internet,joe,pw)");
        QCOMPARE(r.Model.Value("gprs_ip"), QString("10.1.2.3"));
        QCOMPARE(r.Model.Value("gprs_password"), QString("pw"));
        QCOMPARE(r.Rig.Main->txtPort->text(), QString("9000"));
        QCOMPARE(r.Rig.Main->txtAPNUsername->text(), QString("joe"));
        QCOMPARE(r.Model.Identifier, QString("0123456789"));

        r.Rig.Receive("(0123456789,P11,3,+4955)");
        QCOMPARE(r.Model.Value("auth_3"), QString("+4955"));
        QCOMPARE(r.Rig.Main->edtVIP_3->text(), QString("+4955"));
        r.Rig.Receive("(0123456789,P22,3,2,1,0,1)");
        QCOMPARE(r.Model.Value("alarm_2"), QString("2"));
        QCOMPARE(r.Rig.Alarm->RdGrp_02->ItemIndex(), 2);
        r.Rig.Receive("(0123456789,P09,450)");
        QCOMPARE(r.Model.Value("radius"), QString("450"));
        QCOMPARE(r.Rig.HotSpot->txtRadius->text(), QString("450"));
    }

    void aShortAnswerLeavesWhatItSetBeforeTheMissingField()
    {
        TModelRig r;
        r.Rig.Main->txtAPNPassword->setText("old");
        r.Rig.Receive("(0123456789,P05,10.1.2.3,9000,internet)");
        QCOMPARE(r.Model.Value("gprs_apn"), QString("internet"));
        QCOMPARE(r.Rig.Main->txtAPN->text(), QString("internet"));
        QCOMPARE(r.Rig.Main->txtIPAddress->text(), QString("10.1.2.3"));
        QCOMPARE(r.Rig.Main->txtAPNPassword->text(), QString("old"));

        // An alarm index out of range stops at that channel: the ones before it are set.
        r.Rig.Receive("(0123456789,P22,1,3,7,0,0)");
        QCOMPARE(r.Rig.Alarm->RdGrp_01->ItemIndex(), 1);
        QCOMPARE(r.Rig.Alarm->RdGrp_02->ItemIndex(), 3);
        QCOMPARE(r.Rig.Alarm->RdGrp_03->ItemIndex(), 0);
        QCOMPARE(r.Model.Value("alarm_3"), QString("0"));
    }

    void keepAliveAndStrategyShowAsThePagesHaveThem()
    {
        TModelRig r;
        auto& m = *r.Rig.Main;
        r.Rig.Receive("(0123456789,P18,20)");
        QCOMPARE(r.Model.Value("keep_alive"), QString("20"));
        QVERIFY(!m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.RzSpinEdit_KeepAlive->value(), 300);
        r.Rig.Receive("(0123456789,P18,600)");
        QVERIFY(m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.RzSpinEdit_KeepAlive->value(), 600);

        // Strategy 2 selects its button, whose handler hides the keep-alive and rebuilds the list.
        r.Rig.Receive("(0123456789,P07,2)");
        QVERIFY(m.RBtn_Main_02->isChecked());
        QVERIFY(!m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.CBox_UploadingInterval->itemText(1), QString("180"));
        // Back to 1: the handler restores the keep-alive of the last answer.
        r.Rig.Receive("(0123456789,P07,1)");
        QVERIFY(m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.RzSpinEdit_KeepAlive->value(), 600);
    }

    void aWriteTakesTheControlsAndSendsWhatTheModelEncodes()
    {
        TModelRig r;
        auto& m = *r.Rig.Main;
        m.txtIPAddress->setText(" 10.0.0.9 ");
        m.txtPort->setText("9000");
        m.txtAPN->setText("web");
        QTest::mouseClick(m.btnGprsSet, Qt::LeftButton);
        QCOMPARE(r.Model.Value("gprs_ip"), QString("10.0.0.9"));
        QCOMPARE(r.Model.Value("gprs_apn"), QString("web"));
        QCOMPARE(r.Rig.Sent, QByteArrayList{"(P05,1,10.0.0.9,9000,web,,)"});
        QCOMPARE(r.Rig.Sent.first(), CommandText(r.Model.WriteRequest(5)));

        // The keep-alive as its spin edit holds it at the click; an empty number goes out as 0.
        r.Rig.Sent.clear();
        m.RCox_KeepAlive->setChecked(true);
        m.RzSpinEdit_KeepAlive->setValue(45);
        m.CBox_UploadingInterval->setEditText("0180");
        r.Rig.Queue->AbortCmdQueue();
        QTest::mouseClick(m.btnWorkModeSet, Qt::LeftButton);
        QCOMPARE(r.Model.Value("keep_alive"), QString("45"));
        QCOMPARE(r.Model.Value("upload_interval"), QString("180"));
        QCOMPARE(r.Rig.Sent.first(), QByteArray("(P04,1,180,0)"));

        r.Rig.Sent.clear();
        r.Rig.Queue->AbortCmdQueue();
        m.edtVIP_2->setText("+49 1");
        QTest::mouseClick(m.btnVipCfgSet, Qt::LeftButton);
        QCOMPARE(r.Model.Value("auth_1"), QString());
        QCOMPARE(r.Model.Value("auth_2"), QString("+49 1"));
        QCOMPARE(r.Rig.Messages.size(), 1);
        QCOMPARE(r.Rig.Messages[0].Text, QString("VIP number 2 is error."));
        QCOMPARE(r.Rig.Sent.first(), QByteArray("(P11,1,1,0)"));

        r.Rig.Sent.clear();
        r.Rig.Queue->AbortCmdQueue();
        r.Rig.Alarm->RdGrp_05->SetItemIndex(3);
        QTest::mouseClick(r.Rig.Alarm->btnAlarmSet, Qt::LeftButton);
        QCOMPARE(r.Model.Value("alarm_5"), QString("3"));
        QCOMPARE(r.Rig.Sent, QByteArrayList{"(P22,1,0,0,0,0,3)"});

        r.Rig.Sent.clear();
        r.Rig.Queue->AbortCmdQueue();
        r.Rig.HotSpot->txtRadius->setText(" 0250");
        QTest::mouseClick(r.Rig.HotSpot->btnSelfHotSpotWrite, Qt::LeftButton);
        QCOMPARE(r.Model.Value("radius"), QString("0250"));
        QCOMPARE(r.Rig.Sent, QByteArrayList{"(P09,1,250)"});
    }

    void aRefusalNamesTheFieldByItsLabel()
    {
        TModelRig r;
        auto& m = *r.Rig.Main;
        m.lblAPNName->setText("Benutzer:");
        m.txtAPNUsername->setText("a(b");
        QTest::mouseClick(m.btnGprsSet, Qt::LeftButton);
        QVERIFY(r.Rig.Sent.isEmpty());
        QCOMPARE(r.Rig.Messages.size(), 1);
        QVERIFY2(r.Rig.Messages[0].Text.startsWith("The value of \"Benutzer\" must not"),
                 qPrintable(r.Rig.Messages[0].Text));
        QCOMPARE(r.Model.FirstCommandBreaking(TTrackerSettings::KeysOf(5)), QString("gprs_user"));

        // Too long: the longest value of the command is named.
        r.Rig.Messages.clear();
        m.txtAPNUsername->setText("joe");
        m.txtAPN->setText(QString(300, 'x'));
        QTest::mouseClick(m.btnGprsSet, Qt::LeftButton);
        QVERIFY(r.Rig.Sent.isEmpty());
        QCOMPARE(r.Rig.Messages.size(), 1);
        QVERIFY2(r.Rig.Messages[0].Text.startsWith("The value of \"APN\" is too long"), qPrintable(r.Rig.Messages[0].Text));
        QVERIFY(r.Model.OversizeOf(5) > MaxCommandTextSize);
    }

    void theViewTakesAndShowsEveryKey()
    {
        TModelRig r;
        TSettingsView view(*r.Rig.Main, *r.Rig.Alarm, *r.Rig.HotSpot);
        TTrackerSettings shown;
        int n = 0;
        for (const TSettingDef& d : SettingDefs()) {
            const QString key = QString::fromLatin1(d.Key);
            // A value each control can hold and tell apart from its default.
            QString value = QString::number(40 + n);
            if (key == "upload_mode" || key.startsWith("alarm_"))
                value = "1";
            else if (key == "strategy")
                value = "2";
            shown.SetValue(key, value);
            ++n;
        }
        // The strategy first, as Read All's answers come: its handler rebuilds the interval list.
        view.Show(shown, QStringList{"strategy"});
        view.Show(shown, TTrackerSettings::ReadAllKeys() << "radius");
        TTrackerSettings taken;
        view.TakeAll(taken);
        QStringList keys;
        for (const TSettingDef& d : SettingDefs())
            keys << QString::fromLatin1(d.Key);
        QCOMPARE(keys.size(), 24);
        for (const TSettingDifference& d : shown.Differences(taken, keys))
            QFAIL(qPrintable(d.Key + ": shown " + d.Expected + ", taken " + d.Actual));
        QCOMPARE(taken.Value("strategy"), QString("2"));
        QCOMPARE(r.Rig.Main->cbUpLoadMode->currentIndex(), 1);
    }

    void trackerValuesAsThePagesWouldHoldThem()
    {
        TTrackerSettings tracker;
        tracker.SetValue("upload_mode", "7");
        tracker.SetValue("strategy", "3");
        tracker.SetValue("keep_alive", "20");
        tracker.SetValue("alias", "Yard");
        TTrackerSettings shown = tracker.AsShownOnPages();
        QCOMPARE(shown.Value("upload_mode"), QString("-1"));
        QCOMPARE(shown.Value("strategy"), QString("1"));
        QCOMPARE(shown.Value("keep_alive"), QString("0"));
        QCOMPARE(shown.Value("alias"), QString("Yard"));
        tracker.SetValue("keep_alive", "9000");
        tracker.SetValue("upload_mode", "1");
        tracker.SetValue("strategy", "2");
        shown = tracker.AsShownOnPages();
        QCOMPARE(shown.Value("keep_alive"), QString("7200"));
        QCOMPARE(shown.Value("upload_mode"), QString("1"));
        QCOMPARE(shown.Value("strategy"), QString("2"));

        // The same as pages that show the answers: a fresh rig fed the tracker's answers.
        TModelRig r;
        r.Rig.Receive("(0123456789,P04,60,5)");
        r.Rig.Receive("(0123456789,P18,31)");
        TTrackerSettings fromPages;
        TSettingsView(*r.Rig.Main, *r.Rig.Alarm, *r.Rig.HotSpot).TakeAll(fromPages);
        const TTrackerSettings fromModel = r.Model.AsShownOnPages();
        QCOMPARE(fromModel.Value("upload_mode"), fromPages.Value("upload_mode"));
        QCOMPARE(fromModel.Value("keep_alive"), fromPages.Value("keep_alive"));
        QCOMPARE(fromPages.Value("upload_mode"), QString("-1"));
        QCOMPARE(fromPages.Value("keep_alive"), QString("31"));
    }

    void anAnswerDispatchedWithoutTipShowsNone()
    {
        TModelRig r;
        r.Rig.Queue->QueueCmd(10, 0, false, {});
        r.Rig.Queue->StartCmdQueue(true);
        r.Rig.Dispatcher->DispatchWithoutTip("(0123456789,P10,30)");
        QCOMPARE(r.Rig.Main->cboBatteryAlert->currentText(), QString("30"));
        QCOMPARE(r.Rig.Queue->Count(), 0);
        QVERIFY(r.Rig.Messages.isEmpty());
        // The next answer shows its tip again; one that cannot be applied leaves no tip behind.
        QVERIFY_THROWS_EXCEPTION(EAppError, r.Rig.Dispatcher->DispatchWithoutTip("(0123456789,P10)"));
        r.Rig.Queue->QueueCmd(10, 0, false, {});
        r.Rig.Queue->StartCmdQueue(true);
        r.Rig.Dispatcher->DispatchResponse("(0123456789,P10,40)");
        QCOMPARE(r.Rig.Messages.size(), 1);
        QCOMPARE(r.Rig.Messages[0].Text, QString("Operation success !"));
    }
};

QTEST_MAIN(TestPagesModel)
#include "test_pages_model.moc"
