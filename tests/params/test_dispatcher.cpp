// The answer dispatcher: every tag of the command table, the conversions, the failures and
// where they stop the handling, and the success tip.
#include "core/AppError.h"
#include "params/AlarmPage.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/StatusPanel.h"
#include "params/TmpHotSpotGroup.h"
#include "support_PagesRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

namespace {

QString ControlText(QWidget* root, const QString& name)
{
    QObject* o = root->findChild<QObject*>(name);
    if (auto* e = qobject_cast<QLineEdit*>(o))
        return e->text();
    if (auto* c = qobject_cast<QComboBox*>(o))
        return c->currentText();
    if (auto* l = qobject_cast<QLabel*>(o))
        return l->text();
    if (auto* d = qobject_cast<TLedDisplay*>(o))
        return d->Text();
    if (auto* m = qobject_cast<TBarMeter*>(o))
        return QString::number(m->Value());
    return QStringLiteral("<no control %1>").arg(name);
}

// One command in flight, as after a request whose answer has not come yet.
void PutOneInFlight(TPagesRig& rig, int32_t cmdNo = 5)
{
    rig.Queue->ClearCmdQueue();
    rig.Queue->QueueCmd(cmdNo, 0, false, {});
    rig.Queue->StartCmdQueue(true);
}

} // namespace

class TestDispatcher : public QObject {
    Q_OBJECT
private slots:
    void answersFillTheirControls_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        QTest::newRow("version") << QByteArray("(0123456789,P01,V2.05)") << "lblVersion" << "V2.05";
        QTest::newRow("upload interval") << QByteArray("(0123456789,P04,45,1)") << "CBox_UploadingInterval" << "45";
        QTest::newRow("upload mode") << QByteArray("(0123456789,P04,45,1)") << "cbUpLoadMode" << "TCP";
        QTest::newRow("T04 read as command 4") << QByteArray("(0123456789,T04,77,0)") << "CBox_UploadingInterval" << "77";
        QTest::newRow("ip address") << QByteArray("(0123456789,P05,10.1.2.3,9000,NET,u,p)") << "txtIPAddress" << "10.1.2.3";
        QTest::newRow("port") << QByteArray("(0123456789,P05,10.1.2.3,9000,NET,u,p)") << "txtPort" << "9000";
        QTest::newRow("apn") << QByteArray("(0123456789,P05,10.1.2.3,9000,NET,u,p)") << "txtAPN" << "NET";
        QTest::newRow("apn user") << QByteArray("(0123456789,P05,10.1.2.3,9000,NET,u,p)") << "txtAPNUsername" << "u";
        QTest::newRow("apn password") << QByteArray("(0123456789,P05,10.1.2.3,9000,NET,u,p)") << "txtAPNPassword" << "p";
        QTest::newRow("X05 read as command 5") << QByteArray("(0123456789,X05,1.1.1.1,1,A,B,C)") << "txtAPN" << "A";
        QTest::newRow("radius") << QByteArray("(0123456789,P09,0300)") << "txtRadius" << "0300";
        QTest::newRow("low battery") << QByteArray("(0123456789,P10,35)") << "cboBatteryAlert" << "35";
        QTest::newRow("authorization 3") << QByteArray("(0123456789,P11,3,+8613800000)") << "edtVIP_3" << "+8613800000";
        QTest::newRow("time difference") << QByteArray("(0123456789,P12,480)") << "txtTimeDifferent" << "480";
        QTest::newRow("battery 16") << QByteArray("(0123456789,P16,70)") << "RzMeter_Battery" << "70";
        QTest::newRow("battery 16 above range") << QByteArray("(0123456789,P16,250)") << "RzMeter_Battery" << "100";
        QTest::newRow("alias") << QByteArray("(0123456789,P17,Truck 7)") << "txtAlias" << "Truck 7";
        QTest::newRow("alias empty") << QByteArray("(0123456789,P17,)") << "txtAlias" << "";
        QTest::newRow("g-sensor") << QByteArray("(0123456789,P31,800)") << "txtGSensorParam" << "800";
        QTest::newRow("text kept as received") << QByteArray("(0123456789,P12, -60 )") << "txtTimeDifferent" << " -60 ";
        QTest::newRow("identifier with leading zeros") << QByteArray("(0000000042,P20)") << "RzMeter_LED" << "0000000042";
        QTest::newRow("status alias") << QByteArray("(0123456789,T01,0,Van 3,4,24,80)") << "lblAnotherName" << "Van 3";
        QTest::newRow("status gps") << QByteArray("(0123456789,T01,0,a,4,24,80)") << "RzMeter_GPS" << "4";
        QTest::newRow("status gps 9 shows 5") << QByteArray("(0123456789,T01,0,a,9,24,80)") << "RzMeter_GPS" << "5";
        QTest::newRow("status gsm 31 shows 5") << QByteArray("(0123456789,T01,0,a,4,31,80)") << "RzMeter_GSM" << "5";
        QTest::newRow("status gsm 11 shows 1") << QByteArray("(0123456789,T01,0,a,4,11,80)") << "RzMeter_GSM" << "1";
        QTest::newRow("status gsm -7 shows 0") << QByteArray("(0123456789,T01,0,a,4,-7,80)") << "RzMeter_GSM" << "0";
        QTest::newRow("status gps negative shows 0") << QByteArray("(0123456789,T01,0,a,-3,24,80)") << "RzMeter_GPS" << "0";
        QTest::newRow("status battery") << QByteArray("(0123456789,T01,0,a,4,24,80)") << "RzMeter_Battery" << "80";
    }
    void answersFillTheirControls()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        TPagesRig rig;
        PutOneInFlight(rig);
        rig.Dispatcher->DispatchResponse(payload);
        QCOMPARE(ControlText(&rig.Window, control), expected);
        QCOMPARE(rig.Queue->Count(), 0); // applied answers advance the queue
        rig.Status->StopBatteryAnimation();
    }

    void identifierShownOnlyWhenANonNegativeNumber_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("shown");
        QTest::newRow("number") << QByteArray("(1234567890,P20)") << "1234567890";
        QTest::newRow("zeros") << QByteArray("(0000000000,P20)") << "0000000000";
        QTest::newRow("negative") << QByteArray("(-1,P20)") << "0000000000";
        QTest::newRow("letters") << QByteArray("(12ab,P20)") << "0000000000";
        QTest::newRow("empty") << QByteArray("(,P20)") << "0000000000";
        QTest::newRow("beyond 64 bits") << QByteArray("(99999999999999999999,P20)") << "0000000000";
        QTest::newRow("no tag still shows the identifier") << QByteArray("(5555)") << "5555";
    }
    void identifierShownOnlyWhenANonNegativeNumber()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QString, shown);
        TPagesRig rig;
        rig.Receive(payload);
        QCOMPARE(rig.Status->RzMeter_LED->Text(), shown);
    }

    void aliasAnswerWithFourFieldsChangesNothing()
    {
        TPagesRig rig;
        rig.Main->txtAlias->setText(QStringLiteral("Before"));
        PutOneInFlight(rig, 17);
        rig.Dispatcher->DispatchResponse("(0123456789,P17,a,b)");
        QCOMPARE(rig.Main->txtAlias->text(), QStringLiteral("Before"));
        QCOMPARE(rig.Queue->Count(), 0);
        // Two fields (no value at all) change nothing either, and are no failure.
        PutOneInFlight(rig, 17);
        rig.Dispatcher->DispatchResponse("(0123456789,P17)");
        QCOMPARE(rig.Main->txtAlias->text(), QStringLiteral("Before"));
        QCOMPARE(rig.Queue->Count(), 0);
    }

    void keepAliveAnswer_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("spin");
        QTest::newRow("30 is off") << QByteArray("30") << false << 300;
        QTest::newRow("31 is on") << QByteArray("31") << true << 31;
        QTest::newRow("600") << QByteArray("600") << true << 600;
        QTest::newRow("above the range is held at 7200") << QByteArray("9000") << true << 7200;
        QTest::newRow("zero") << QByteArray("0") << false << 300;
        QTest::newRow("not a number counts as 0") << QByteArray("x") << false << 300;
    }
    void keepAliveAnswer()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, checked);
        QFETCH(int, spin);
        TPagesRig rig;
        rig.Main->RCox_KeepAlive->setChecked(!checked);
        rig.Receive("(0123456789,P18," + value + ")");
        QCOMPARE(rig.Main->RCox_KeepAlive->isChecked(), checked);
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->value(), spin);
        QCOMPARE(rig.Main->LastKeepAlive, value == "x" ? 0 : value.toInt());
    }

    void strategyAnswerRunsTheHandlerOfANewlySelectedButton()
    {
        TPagesRig rig;
        QVERIFY(rig.Main->RBtn_Main_01->isChecked());
        rig.Main->RCox_KeepAlive->setChecked(true);
        rig.Receive("(0123456789,P07,3)"); // not a strategy: nothing changes
        QVERIFY(rig.Main->RBtn_Main_01->isChecked());
        QVERIFY(!rig.Main->pnlKeepAlive->isHidden());

        rig.Receive("(0123456789,P07,2)");
        QVERIFY(rig.Main->RBtn_Main_02->isChecked());
        // RBtn_Main_02Click ran: panel hidden, keep-alive off, the SMS list of strategy 2.
        QVERIFY(rig.Main->pnlKeepAlive->isHidden());
        QVERIFY(!rig.Main->RCox_KeepAlive->isChecked());
        QCOMPARE(rig.Main->CBox_UploadingInterval->count(), 3);
        QCOMPARE(rig.Main->CBox_UploadingInterval->itemText(1), QStringLiteral("180"));

        // Back to strategy 1 after a keep-alive answer of 600: RBtn_Main_01Click restores it.
        rig.Receive("(0123456789,P18,600)");
        rig.Main->RCox_KeepAlive->setChecked(false);
        rig.Main->CBox_UploadingInterval->setEditText(QStringLiteral("999"));
        rig.Receive("(0123456789,P07,1)");
        QVERIFY(rig.Main->RBtn_Main_01->isChecked());
        QVERIFY(!rig.Main->pnlKeepAlive->isHidden());
        QVERIFY(rig.Main->RCox_KeepAlive->isChecked());
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->value(), 600);
        QCOMPARE(rig.Main->CBox_UploadingInterval->currentText(), QStringLiteral("150"));

        // Selecting the button already selected runs nothing: the typed interval stays.
        rig.Main->CBox_UploadingInterval->setEditText(QStringLiteral("999"));
        rig.Receive("(0123456789,P07,1)");
        QCOMPARE(rig.Main->CBox_UploadingInterval->currentText(), QStringLiteral("999"));
    }

    void authorizationNumberOutsideOneToFiveChangesNothing()
    {
        TPagesRig rig;
        for (int k = 1; k <= 5; ++k)
            rig.Main->AuthNumberEdit(k)->setText(QStringLiteral("old%1").arg(k));
        for (const QByteArray n : {"0", "6", "-1", "x", ""}) {
            PutOneInFlight(rig, 11);
            rig.Dispatcher->DispatchResponse("(0123456789,P11," + n + ",999)");
            QCOMPARE(rig.Queue->Count(), 0);
        }
        // n 6 without a number field: the number is not read, so no failure.
        PutOneInFlight(rig, 11);
        rig.Dispatcher->DispatchResponse("(0123456789,P11,6)");
        QCOMPARE(rig.Queue->Count(), 0);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(rig.Main->AuthNumberEdit(k)->text(), QStringLiteral("old%1").arg(k));
        rig.Dispatcher->DispatchResponse("(0123456789,P11,5,123)");
        QCOMPARE(rig.Main->edtVIP_5->text(), QStringLiteral("123"));
    }

    void modeIndexOutsideTheItemsSelectsNothing()
    {
        TPagesRig rig;
        const QStringList listBefore = {QStringLiteral("150"), QStringLiteral("1800"), QStringLiteral("3600")};
        rig.Receive("(0123456789,P04,45,5)");
        QCOMPARE(rig.Main->cbUpLoadMode->currentIndex(), -1);
        QCOMPARE(rig.Main->CBox_UploadingInterval->currentText(), QStringLiteral("45"));
        // The interval list itself is not rebuilt by the answer.
        QCOMPARE(rig.Main->CBox_UploadingInterval->count(), 3);
        QCOMPARE(rig.Main->CBox_UploadingInterval->itemText(1), listBefore[1]);
        rig.Receive("(0123456789,P04,60,1)");
        QCOMPARE(rig.Main->cbUpLoadMode->currentIndex(), 1);
        QCOMPARE(rig.Main->CBox_UploadingInterval->count(), 3);
    }

    void alarmAnswerFailsAtTheFirstIndexThatIsNoItem()
    {
        TPagesRig rig;
        PutOneInFlight(rig, 22);
        QVERIFY_THROWS_EXCEPTION(EAppError, rig.Dispatcher->DispatchResponse("(0123456789,P22,1,2,9,0,0)"));
        QCOMPARE(rig.Alarm->RdGrp_01->ItemIndex(), 1);
        QCOMPARE(rig.Alarm->RdGrp_02->ItemIndex(), 2);
        QCOMPARE(rig.Alarm->RdGrp_03->ItemIndex(), 0); // unchanged default
        QCOMPARE(rig.Queue->Count(), 1);                 // not advanced
        QVERIFY(rig.Messages.isEmpty());                 // no tip

        rig.Dispatcher->DispatchResponse("(0123456789,P22,3,3,3,3,3)");
        for (int p = 1; p <= 5; ++p)
            QCOMPARE(rig.Alarm->Group(p)->ItemIndex(), 3);
        QCOMPARE(rig.Queue->Count(), 0);
        PutOneInFlight(rig, 22);
        QVERIFY_THROWS_EXCEPTION(EAppError, rig.Dispatcher->DispatchResponse("(0123456789,P22,0,0,0,0,-1)"));
        QCOMPARE(rig.Alarm->RdGrp_04->ItemIndex(), 0);
        QCOMPARE(rig.Alarm->RdGrp_05->ItemIndex(), 3);
    }

    void statusAnswerAdvancesStartsTheAnimationAndShowsNoTip()
    {
        TPagesRig rig;
        PutOneInFlight(rig, 1);
        rig.Dispatcher->DispatchResponse("(0123456789,T01,0,Van,12,30,55)");
        QCOMPARE(rig.Status->RzMeter_GPS->Value(), 5);
        QCOMPARE(rig.Status->RzMeter_GSM->Value(), 5);
        QCOMPARE(rig.Queue->Count(), 0);
        QVERIFY(rig.Status->tmBatteyCharging().isActive());
        QVERIFY(rig.Messages.isEmpty());
        // A status answer that fails stops before the meters after it and does not advance.
        PutOneInFlight(rig, 1);
        QVERIFY_THROWS_EXCEPTION(EAppError, rig.Dispatcher->DispatchResponse("(0123456789,T01,0,Car,3,xx,20)"));
        QCOMPARE(rig.Status->lblAnotherName->text(), QStringLiteral("Car"));
        QCOMPARE(rig.Status->RzMeter_GPS->Value(), 3);
        QCOMPARE(rig.Status->RzMeter_GSM->Value(), 5);
        QCOMPARE(rig.Queue->Count(), 1);
        rig.Status->StopBatteryAnimation();
    }

    void failuresDoNotAdvance_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("only parentheses") << QByteArray("()");
        QTest::newRow("one field") << QByteArray("(0123456789)");
        QTest::newRow("version without value") << QByteArray("(0123456789,P01)");
        QTest::newRow("gprs with four values") << QByteArray("(0123456789,P05,a,b,c,d)");
        QTest::newRow("geo-fence 0") << QByteArray("(0123456789,P08,0,1,2,3,4,n)");
        QTest::newRow("geo-fence 65") << QByteArray("(0123456789,P08,65,1,2,3,4,n)");
        QTest::newRow("alarm with four values") << QByteArray("(0123456789,P22,0,0,0,0)");
        QTest::newRow("status without battery") << QByteArray("(0123456789,T01,0,a,1,2)");
        QTest::newRow("status gps not a number") << QByteArray("(0123456789,T01,0,a,x,2,3)");
    }
    void failuresDoNotAdvance()
    {
        QFETCH(QByteArray, payload);
        TPagesRig rig;
        PutOneInFlight(rig);
        QVERIFY_THROWS_EXCEPTION(EAppError, rig.Dispatcher->DispatchResponse(payload));
        QCOMPARE(rig.Queue->Count(), 1);
        QVERIFY(rig.Messages.isEmpty());
        // Through the receive loop the failure is dropped and the exchange stays busy.
        rig.Receive(payload);
        QCOMPARE(rig.Queue->Count(), 1);
        QVERIFY(rig.Queue->IsBusy());
        QVERIFY(!rig.ButtonsEnabled);
    }

    void failedAnswerEndsTheExchangeByTimeOut()
    {
        TPagesRig rig;
        PutOneInFlight(rig, 22);
        rig.Receive("(0123456789,P22,1,2,9,0,0)");
        QVERIFY(!rig.ButtonsEnabled);
        // The third tick of the one-second timer ends the exchange, silently.
        QTRY_VERIFY_WITH_TIMEOUT(rig.ButtonsEnabled, 4500);
        QVERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Queue->Count(), 1);
        QVERIFY(rig.Messages.isEmpty());
    }

    void geoFenceAnswersReachTheHook()
    {
        TPagesRig rig;
        TResponseFields seen;
        rig.Dispatcher->SetGeoFenceAnswerHandler([&](const TResponseFields& f) { seen = f; });
        PutOneInFlight(rig, 8);
        rig.Dispatcher->DispatchResponse("(0123456789,P08,7,11322.1234,2233.5,11323.0,2232.0,Home)");
        QCOMPARE(seen.size(), 8);
        QCOMPARE(seen[2], QByteArray("7"));
        QCOMPARE(seen[7], QByteArray("Home"));
        QCOMPARE(rig.Queue->Count(), 0);
        // A hook that refuses the answer stops it like any failure.
        rig.Dispatcher->SetGeoFenceAnswerHandler([](const TResponseFields&) { throw EAppError(QStringLiteral("bad corner")); });
        PutOneInFlight(rig, 8);
        QVERIFY_THROWS_EXCEPTION(EAppError, rig.Dispatcher->DispatchResponse("(0123456789,P08,7,x,x,x,x,n)"));
        QCOMPARE(rig.Queue->Count(), 1);
    }

    void unknownTagsOnlyAdvance_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("factory default") << QByteArray("(0123456789,P20)");
        QTest::newRow("P13") << QByteArray("(0123456789,P13,1,2,3)");
        QTest::newRow("P99") << QByteArray("(0123456789,P99)");
        QTest::newRow("letters after P") << QByteArray("(0123456789,PXY,1)");
        QTest::newRow("empty tag") << QByteArray("(0123456789,)");
        QTest::newRow("lower-case t01 is command 1") << QByteArray("(0123456789,t01,V9)");
        QTest::newRow("T02 is command 2") << QByteArray("(0123456789,T02,1)");
    }
    void unknownTagsOnlyAdvance()
    {
        QFETCH(QByteArray, payload);
        TPagesRig rig;
        PutOneInFlight(rig);
        const QString alias = rig.Main->txtAlias->text();
        rig.Dispatcher->DispatchResponse(payload);
        QCOMPARE(rig.Queue->Count(), 0);
        QCOMPARE(rig.Main->txtAlias->text(), alias);
        QCOMPARE(rig.Messages.size(), 1); // the tip after the last answer
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("Operation success !"));
        QCOMPARE(rig.Messages[0].Caption, QStringLiteral("Message"));
        QCOMPARE(rig.Messages[0].Icon, TMsgIcon::Information);
        QVERIFY(!rig.Status->tmBatteyCharging().isActive());
        if (payload.contains("t01"))
            QCOMPARE(rig.Status->lblVersion->text(), QStringLiteral("V9"));
    }

    void successTipConditions()
    {
        TPagesRig rig;
        // Not after an answer that leaves more queued.
        rig.Queue->ClearCmdQueue();
        rig.Queue->QueueCmd(20, 0, false, {});
        rig.Queue->QueueCmd(20, 0, false, {});
        rig.Queue->StartCmdQueue(true);
        rig.Dispatcher->DispatchResponse("(0123456789,P20)");
        QCOMPARE(rig.Queue->Count(), 1);
        QVERIFY(rig.Messages.isEmpty());
        rig.Dispatcher->DispatchResponse("(0123456789,P20)");
        QCOMPARE(rig.Messages.size(), 1);

        // Not on the Advanced Operations page.
        rig.pgCtrl->setCurrentIndex(3);
        PutOneInFlight(rig);
        rig.Dispatcher->DispatchResponse("(0123456789,P20)");
        QCOMPARE(rig.Messages.size(), 1);
        // On the Geo-fence page it is shown.
        rig.pgCtrl->setCurrentIndex(2);
        PutOneInFlight(rig);
        rig.Dispatcher->DispatchResponse("(0123456789,P20)");
        QCOMPARE(rig.Messages.size(), 2);
        // Not with the tip box unticked.
        rig.cbTipOnOK->setChecked(false);
        PutOneInFlight(rig);
        rig.Dispatcher->DispatchResponse("(0123456789,P20)");
        QCOMPARE(rig.Messages.size(), 2);
    }

    void answerWithNothingQueued()
    {
        TPagesRig rig;
        QCOMPARE(rig.Queue->Count(), 0);
        rig.Receive("(0123456789,P12,15)");
        QCOMPARE(rig.Main->txtTimeDifferent->text(), QStringLiteral("15"));
        QVERIFY(rig.ButtonsEnabled);
        QVERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Messages.size(), 1); // the tip follows it too
        rig.Receive("(0123456789,T01,0,a,1,6,50)");
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Status->RzMeter_GSM->Value(), 1);
        rig.Status->StopBatteryAnimation();
    }

    // Every answer kind with its values all non-numeric, all empty, all 10 KB long, or missing:
    // no crash; the answer is applied (and advances) or fails (and does not) as documented.
    void badFields_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::addColumn<int>("valueCount");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("fails");
        const QByteArray big(10 * 1024, '9');
        const QByteArray bigText(10 * 1024, 'x');
        struct Kind {
            const char* tag;
            int values;
            bool failsOnBadValue; // strict numbers, or a number that must be in range
            bool failsWhenMissing;
        };
        const Kind kinds[] = {
            {"P01", 1, false, true},  {"T01", 4, true, true},   {"P04", 2, false, true},
            {"P05", 5, false, true},  {"P07", 1, false, true},  {"P08", 6, true, true},
            {"P09", 1, false, true},  {"P10", 1, false, true},  {"P11", 2, false, true},
            {"P12", 1, false, true},  {"P16", 1, false, true},  {"P17", 1, false, false},
            {"P18", 1, false, true},  {"P20", 0, false, false}, {"P22", 5, false, true},
            {"P31", 1, false, true},  {"P42", 1, false, false},
        };
        for (const Kind& k : kinds) {
            const auto row = [&](const char* variant, const QByteArray& value, int count, bool fails) {
                QTest::addRow("%s %s", k.tag, variant) << QByteArray(k.tag) << count << value << fails;
            };
            row("non-numeric", "abc", k.values, k.failsOnBadValue);
            row("empty", "", k.values, k.failsOnBadValue);
            row("10 KB digits", big, k.values, k.failsOnBadValue);
            row("10 KB text", bigText, k.values, k.failsOnBadValue);
            row("missing", "", 0, k.failsWhenMissing);
        }
    }
    void badFields()
    {
        QFETCH(QByteArray, tag);
        QFETCH(int, valueCount);
        QFETCH(QByteArray, value);
        QFETCH(bool, fails);
        TPagesRig rig;
        rig.cbTipOnOK->setChecked(false);
        QByteArray payload = "(0123456789," + tag;
        for (int i = 0; i < valueCount; ++i)
            payload += ',' + value;
        payload += ')';
        PutOneInFlight(rig);
        bool threw = false;
        try {
            rig.Dispatcher->DispatchResponse(payload);
        } catch (const EAppError&) {
            threw = true;
        }
        QCOMPARE(threw, fails);
        QCOMPARE(rig.Queue->Count(), fails ? 1 : 0);
        // The same answer through the receive loop: dropped or applied, never a crash.
        PutOneInFlight(rig);
        rig.Receive(payload);
        QCOMPARE(rig.Queue->Count(), fails ? 1 : 0);
        QCOMPARE(rig.Status->RzMeter_LED->Text(), QStringLiteral("0123456789"));
        // Values outside a control's range are held inside it.
        QVERIFY(rig.Status->RzMeter_Battery->Value() >= 0 && rig.Status->RzMeter_Battery->Value() <= 100);
        QVERIFY(rig.Main->RzSpinEdit_KeepAlive->value() >= 30 && rig.Main->RzSpinEdit_KeepAlive->value() <= 7200);
        if (tag == "P17" && valueCount == 1)
            QCOMPARE(rig.Main->txtAlias->text(), QString::fromLatin1(value));
        rig.Status->StopBatteryAnimation();
    }
};

QTEST_MAIN(TestDispatcher)
#include "test_dispatcher.moc"
