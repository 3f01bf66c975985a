// The settings pages: defaults and item lists, the exact sequence each Read and Write queues,
// every check with its message, the strategy and mode handlers, and the refusal of values that
// would break the command text.
#include "link/FrameCodec.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/ParamChecks.h"
#include "params/RadioGroup.h"
#include "params/TmpHotSpotGroup.h"
#include "support_PagesRig.h"
#include "support_TrackerAnswers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

namespace {

// The command texts of everything queued, in order (the first one is the one sent).
QByteArrayList Queued(const TPagesRig& rig)
{
    QByteArrayList texts;
    for (const TCmdItem& item : rig.Queue->CmdQueue())
        texts << BuildCmdText(item.CmdNo, item.RWFlag, item.IsTCmd != 0, item.ParamText);
    return texts;
}

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Clicks a button where its indicator is, which is inside its click area whatever its text.
void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

} // namespace

class TestSettingsPages : public QObject {
    Q_OBJECT
private slots:
    void controlsAndDefaults()
    {
        TPagesRig rig;
        const auto text = [&](const char* name) {
            QObject* o = rig.Window.findChild<QObject*>(QString::fromLatin1(name));
            if (auto* e = qobject_cast<QLineEdit*>(o))
                return e->text();
            if (auto* c = qobject_cast<QComboBox*>(o))
                return c->currentText();
            return QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
        };
        QCOMPARE(text("txtAlias"), QString());
        QCOMPARE(text("cboBatteryAlert"), QStringLiteral("20"));
        QCOMPARE(Items(rig.Main->cboBatteryAlert), QStringList({"50", "40", "30", "20", "10"}));
        QVERIFY(rig.Main->cboBatteryAlert->isEditable());
        QCOMPARE(text("txtTimeDifferent"), QStringLiteral("-60"));
        QCOMPARE(text("txtGSensorParam"), QStringLiteral("630"));
        QCOMPARE(text("txtPort"), QStringLiteral("8888"));
        QCOMPARE(text("txtAPN"), QStringLiteral("CMNET"));
        QCOMPARE(text("txtAPNUsername"), QString());
        QCOMPARE(text("txtAPNPassword"), QString());
        QCOMPARE(rig.Main->txtAPNPassword->echoMode(), QLineEdit::Normal);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+\\.\\d+$")).match(text("txtIPAddress")).hasMatch());
        QCOMPARE(Items(rig.Main->cbUpLoadMode), QStringList({"SMS", "TCP"}));
        QVERIFY(!rig.Main->cbUpLoadMode->isEditable());
        QCOMPARE(rig.Main->cbUpLoadMode->currentIndex(), 0);
        QCOMPARE(Items(rig.Main->CBox_UploadingInterval), QStringList({"150", "1800", "3600"}));
        QCOMPARE(text("CBox_UploadingInterval"), QStringLiteral("150"));
        QVERIFY(rig.Main->RBtn_Main_01->isChecked());
        QVERIFY(!rig.Main->RBtn_Main_02->isChecked());
        QVERIFY(!rig.Main->pnlKeepAlive->isHidden());
        QVERIFY(!rig.Main->RCox_KeepAlive->isChecked());
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->value(), 300);
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->minimum(), 30);
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->maximum(), 7200);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(text(QStringLiteral("edtVIP_%1").arg(k).toLatin1().constData()), QString());
        QCOMPARE(text("txtRadius"), QStringLiteral("300"));
        for (int p = 1; p <= 5; ++p) {
            QCOMPARE(rig.Alarm->Group(p)->Items(), QStringList({"All Close", "GPRS", "SMS", "All Open"}));
            QCOMPARE(rig.Alarm->Group(p)->ItemIndex(), 0);
        }
        QCOMPARE(rig.Alarm->RdGrp_03->title(), QStringLiteral("Self Hot Spot"));
        // Every named control is there under its name.
        for (const char* name :
             {"gbBasicInfo", "lblAlias", "lblBatteryPercent", "lblTimeDif", "lblTimeMin", "lblGSensorParam",
              "btnCenterNumberRead", "btnCenterNumberSet", "gbGPRS", "lblGprsIP", "lblGprsPort", "lblGprsAPN",
              "lblAPNName", "lblApnPass", "btnGprsRead", "btnGprsSet", "gbDataUploading", "RBtn_Main_01",
              "RBtn_Main_02", "pnlKeepAlive", "RCox_KeepAlive", "RzSpinEdit_KeepAlive", "lbl_sec_1", "lblWorkMode",
              "lblUpItv", "lblUpSec", "btnWorkModeRead", "btnWorkModeSet", "gbVIPAlarm", "lblVIP_1", "lblVIP_5",
              "btnVipCfgRead", "btnVipCfgSet", "RdGrp_01", "RdGrp_05", "btnAlarmRead", "btnAlarmSet",
              "gbTmpHotSpot", "lblRadius", "btnSelfHotSpotRead", "btnSelfHotSpotWrite"})
            QVERIFY2(rig.Window.findChild<QWidget*>(QString::fromLatin1(name)), name);
    }

    void readButtonsQueueTheirRequests_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArrayList>("texts");
        QTest::newRow("basic information") << "btnCenterNumberRead"
                                           << QByteArrayList{"(P17,0)", "(P10,0)", "(P12,0)", "(P31,0)"};
        QTest::newRow("gprs") << "btnGprsRead" << QByteArrayList{"(P05,0)"};
        QTest::newRow("data uploading") << "btnWorkModeRead" << QByteArrayList{"(P04,0)", "(P07,0)", "(P18,0)"};
        QTest::newRow("authorization") << "btnVipCfgRead"
                                       << QByteArrayList{"(P11,0,1)", "(P11,0,2)", "(P11,0,3)", "(P11,0,4)", "(P11,0,5)"};
        QTest::newRow("alarm") << "btnAlarmRead" << QByteArrayList{"(P22,0)"};
        QTest::newRow("hot spot") << "btnSelfHotSpotRead" << QByteArrayList{"(P09,0)"};
    }
    void readButtonsQueueTheirRequests()
    {
        QFETCH(QString, button);
        QFETCH(QByteArrayList, texts);
        TPagesRig rig;
        rig.Main->txtAlias->setText(QStringLiteral("Keep?"));
        rig.Queue->QueueCmd(20, 0, false, {}); // left over from an earlier exchange
        rig.Window.findChild<QPushButton*>(button)->click();
        QCOMPARE(Queued(rig), texts);
        QCOMPARE(rig.Sent, QByteArrayList{texts.first()});
        QVERIFY(rig.Queue->IsBusy());
        // Only the Basic information Read empties the alias first.
        QCOMPARE(rig.Main->txtAlias->text(), button == "btnCenterNumberRead" ? QString() : QStringLiteral("Keep?"));
        // Answered, the whole sequence goes out in order.
        rig.Sent.clear();
        rig.Responder = TrackerAnswer;
        rig.Queue->ClearCmdQueue();
        rig.Window.findChild<QPushButton*>(button)->click();
        QTRY_COMPARE(rig.Sent, texts);
        QTRY_VERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Messages.size(), 1); // the success tip
    }

    void writeButtonsQueueTheirRequests()
    {
        TPagesRig rig;
        rig.Main->txtAlias->setText(QStringLiteral("  Truck 7 "));
        rig.Main->cboBatteryAlert->setEditText(QStringLiteral(" 30"));
        rig.Main->txtTimeDifferent->setText(QStringLiteral("480 "));
        rig.Main->txtGSensorParam->setText(QStringLiteral("\t800"));
        rig.Main->btnCenterNumberSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P17,1,Truck 7)", "(P10,1,30)", "(P12,1,480)", "(P31,1,800)"}));

        rig.Main->txtIPAddress->setText(QStringLiteral(" 10.1.2.3"));
        rig.Main->txtPort->setText(QStringLiteral("9000"));
        rig.Main->txtAPN->setText(QStringLiteral("NET"));
        rig.Main->txtAPNUsername->setText(QString());
        rig.Main->txtAPNPassword->setText(QStringLiteral("p w"));
        rig.Main->btnGprsSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P05,1,10.1.2.3,9000,NET,,p w)"}));

        rig.Main->btnWorkModeSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P04,1,150,0)", "(P07,1,1)", "(P18,1,0)"}));
        rig.Main->RCox_KeepAlive->setChecked(true);
        rig.Main->RzSpinEdit_KeepAlive->setValue(600);
        rig.Main->btnWorkModeSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P04,1,150,0)", "(P07,1,1)", "(P18,1,600)"}));

        rig.HotSpot->txtRadius->setText(QStringLiteral("0300"));
        rig.HotSpot->btnSelfHotSpotWrite->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P09,1,300)"}));
        rig.HotSpot->txtRadius->setText(QStringLiteral("-5"));
        rig.HotSpot->btnSelfHotSpotWrite->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P09,1,-5)"}));

        rig.Alarm->btnAlarmSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P22,1,0,0,0,0,0)"}));
        const int choices[] = {1, 2, 3, 0, 1};
        for (int p = 1; p <= 5; ++p)
            Click(rig.Alarm->Group(p)->Button(choices[p - 1]));
        rig.Alarm->btnAlarmSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P22,1,1,2,3,0,1)"}));
        // A group with nothing selected adds nothing, not even its comma.
        rig.Alarm->RdGrp_02->SetItemIndex(-1);
        QCOMPARE(rig.Alarm->RdGrp_02->ItemIndex(), -1);
        QCOMPARE(rig.Alarm->AlarmText(), QByteArray("1,3,0,1"));
        QVERIFY(rig.Messages.isEmpty());
    }

    void dataUploadingWrite()
    {
        TPagesRig rig;
        rig.Main->CBox_UploadingInterval->setEditText(QStringLiteral("abc"));
        rig.Queue->QueueCmd(20, 0, false, {});
        rig.Main->btnWorkModeSet->click();
        QVERIFY(rig.Sent.isEmpty());
        QCOMPARE(rig.Queue->Count(), 0); // cleared, nothing sent, no message
        QVERIFY(rig.Messages.isEmpty());

        rig.Main->cbUpLoadMode->setCurrentIndex(1);
        rig.Main->CBox_UploadingInterval->setEditText(QStringLiteral(" 45 "));
        rig.Main->btnWorkModeSet->click();
        QCOMPARE(Queued(rig).first(), QByteArray("(P04,1,45,1)"));

        // No mode chosen (an answer or a file named none): the tracker is not sent mode -1.
        rig.Main->cbUpLoadMode->setCurrentIndex(-1);
        rig.Main->btnWorkModeSet->click();
        QCOMPARE(rig.Queue->Count(), 0);
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Text, QString("Choose a value for Mode."));
        rig.Messages.clear();

        rig.Main->cbUpLoadMode->setCurrentIndex(0);
        rig.Main->RCox_KeepAlive->setChecked(true);
        rig.Main->RBtn_Main_02->setChecked(true);
        rig.Main->CBox_UploadingInterval->setEditText(QStringLiteral("180"));
        rig.Main->btnWorkModeSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P04,1,180,0)", "(P07,1,2)", "(P18,1,0)"}));
    }

    void keepAliveSpinHeldInsideItsRange()
    {
        TPagesRig rig;
        rig.Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.Window));
        QSpinBox* spin = rig.Main->RzSpinEdit_KeepAlive;
        spin->setValue(10);
        QCOMPARE(spin->value(), 30);
        spin->setValue(9000);
        QCOMPARE(spin->value(), 7200);
        // A half-typed period below the range is not sent as typed.
        spin->setValue(300);
        rig.Main->RCox_KeepAlive->setChecked(true);
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("12"));
        QCOMPARE(spin->text(), QStringLiteral("12"));
        rig.Main->btnWorkModeSet->click();
        // "12" cannot be completed into a period of the range here: the spin edit keeps 300.
        QCOMPARE(Queued(rig).last(), QByteArray("(P18,1,300)"));
        QCOMPARE(spin->text(), QStringLiteral("300"));
    }

    void intervalListFollowsModeAndStrategy()
    {
        TPagesRig rig;
        rig.Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.Window));
        QComboBox* mode = rig.Main->cbUpLoadMode;
        QComboBox* interval = rig.Main->CBox_UploadingInterval;
        // The user picks "TCP" with the keyboard: the list is rebuilt.
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_Down);
        QCOMPARE(mode->currentIndex(), 1);
        QCOMPARE(Items(interval), QStringList({"5", "30", "60", "120"}));
        QCOMPARE(interval->currentText(), QStringLiteral("30"));
        // TCP keeps its list whatever the strategy.
        Click(rig.Main->RBtn_Main_02);
        QCOMPARE(Items(interval), QStringList({"5", "30", "60", "120"}));
        QVERIFY(rig.Main->pnlKeepAlive->isHidden());
        // Back to "SMS" with strategy 2.
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_Up);
        QCOMPARE(Items(interval), QStringList({"150", "180", "300"}));
        QCOMPARE(interval->currentText(), QStringLiteral("150"));
        Click(rig.Main->RBtn_Main_01);
        QCOMPARE(Items(interval), QStringList({"150", "1800", "3600"}));
        QVERIFY(!rig.Main->pnlKeepAlive->isHidden());
        // Setting the mode from code does not rebuild the list.
        mode->setCurrentIndex(1);
        QCOMPARE(Items(interval), QStringList({"150", "1800", "3600"}));
        // No mode: an empty list.
        mode->setCurrentIndex(-1);
        rig.Main->RebuildIntervalList();
        QCOMPARE(interval->count(), 0);
        QCOMPARE(interval->currentText(), QString());
    }

    void strategyOneRestoresTheLastKeepAlive()
    {
        TPagesRig rig;
        rig.Window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.Window));
        Click(rig.Main->RBtn_Main_02);
        QVERIFY(!rig.Main->RCox_KeepAlive->isChecked());
        rig.Receive("(0123456789,P18,600)");
        Click(rig.Main->RBtn_Main_02); // already selected: nothing
        rig.Main->RCox_KeepAlive->setChecked(false);
        Click(rig.Main->RBtn_Main_01);
        QVERIFY(rig.Main->RCox_KeepAlive->isChecked());
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->value(), 600);

        Click(rig.Main->RBtn_Main_02);
        rig.Receive("(0123456789,P18,20)");
        rig.Main->RzSpinEdit_KeepAlive->setValue(900);
        Click(rig.Main->RBtn_Main_01);
        QVERIFY(!rig.Main->RCox_KeepAlive->isChecked());
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->value(), 300);
    }

    void lowBatteryCheck_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("passes");
        QTest::newRow("9 refused") << "9" << false;
        QTest::newRow("10 passes") << "10" << true;
        QTest::newRow("50 passes") << "50" << true;
        QTest::newRow("empty refused") << "" << false;
        QTest::newRow("not a number refused") << "ab" << false;
        QTest::newRow("negative refused") << "-20" << false;
    }
    void lowBatteryCheck()
    {
        QFETCH(QString, value);
        QFETCH(bool, passes);
        TPagesRig rig;
        rig.Main->cboBatteryAlert->setEditText(value);
        rig.Main->btnCenterNumberSet->click();
        if (passes) {
            QVERIFY(rig.Messages.isEmpty());
            QCOMPARE(Queued(rig).size(), 4);
            QCOMPARE(rig.Sent.size(), 1);
            return;
        }
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Caption, QStringLiteral("Error"));
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("Please Input The Low Battery Value More than 10!"));
        QCOMPARE(rig.Messages[0].Icon, TMsgIcon::Error);
        QCOMPARE(rig.Queue->Count(), 0); // the alias write already queued is dropped
        QVERIFY(rig.Sent.isEmpty());
    }

    void phoneNumberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plus and digits") << "+123" << true;
        QTest::newRow("leading zero") << "0123" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("plus alone") << "+" << true;
        QTest::newRow("blank inside") << "12 3" << false;
        QTest::newRow("dash") << "12-3" << false;
        QTest::newRow("two plus") << "++1" << false;
        QTest::newRow("plus inside") << "1+2" << false;
        QTest::newRow("letter") << "12a" << false;
    }
    void phoneNumberText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(IsPhoneNumberText(text), ok);
    }

    void authorizationWrite()
    {
        TPagesRig rig;
        const QStringList values = {"+123", "12 3", "", "+", " 0123 "};
        for (int k = 1; k <= 5; ++k)
            rig.Main->AuthNumberEdit(k)->setText(values[k - 1]);
        rig.Main->btnVipCfgSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P11,1,1,+123)", "(P11,1,3,0)", "(P11,1,4,+)", "(P11,1,5,0123)"}));
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("VIP number 2 is error."));
        QCOMPARE(rig.Messages[0].Caption, QString::fromLatin1(ApplicationTitle));
        QCOMPARE(rig.Messages[0].Icon, TMsgIcon::None);
    }

    void authorizationWriteAllRefused()
    {
        TPagesRig rig;
        for (int k = 1; k <= 5; ++k)
            rig.Main->AuthNumberEdit(k)->setText(QStringLiteral("1-%1").arg(k));
        rig.Main->btnVipCfgSet->click();
        QCOMPARE(rig.Messages.size(), 5);
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(rig.Messages[k - 1].Text, QStringLiteral("VIP number %1 is error.").arg(k));
        QVERIFY(rig.Sent.isEmpty());
        QVERIFY(!rig.Queue->IsBusy());
    }

    // Mended: the authorization Write clears the queue first, so that nothing left over from an
    // earlier, abandoned request goes out with it.
    void authorizationWriteSendsOnlyItsOwnNumbers()
    {
        TPagesRig rig;
        rig.Queue->QueueCmd(17, 1, false, ",left over");
        rig.Queue->QueueCmd(5, 1, false, ",1.2.3.4,1,a,b,c");
        rig.Main->edtVIP_1->setText(QStringLiteral("555"));
        rig.Main->btnVipCfgSet->click();
        QCOMPARE(Queued(rig), QByteArrayList({"(P11,1,1,555)", "(P11,1,2,0)", "(P11,1,3,0)", "(P11,1,4,0)", "(P11,1,5,0)"}));
        QCOMPARE(rig.Sent, QByteArrayList{"(P11,1,1,555)"});
    }

    void hotSpotRadiusNotANumberDoesNothing()
    {
        TPagesRig rig;
        rig.Queue->QueueCmd(20, 0, false, {});
        const int separators = rig.Separators;
        rig.HotSpot->txtRadius->setText(QStringLiteral("abc"));
        rig.HotSpot->btnSelfHotSpotWrite->click();
        QCOMPARE(Queued(rig), QByteArrayList{"(P20)"}); // the queue left as it was
        QCOMPARE(rig.Separators, separators);
        QVERIFY(rig.Sent.isEmpty());
        QVERIFY(rig.Messages.isEmpty());
    }

    // Mended: a value holding "," "(" ")" or "!" would shift the values after it into other
    // settings; it is refused before anything is queued, with a message naming the field.
    void commandBreakingValuesRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("named");
        const struct {
            const char* field;
            const char* button;
            const char* named;
        } fields[] = {
            {"txtAlias", "btnCenterNumberSet", "Another Name"},
            {"txtTimeDifferent", "btnCenterNumberSet", "Time difference"},
            {"txtGSensorParam", "btnCenterNumberSet", "G-sensor parameter"},
            {"txtIPAddress", "btnGprsSet", "IP address"},
            {"txtPort", "btnGprsSet", "Port"},
            {"txtAPN", "btnGprsSet", "APN"},
            {"txtAPNUsername", "btnGprsSet", "APN User"},
            {"txtAPNPassword", "btnGprsSet", "APN Pass"},
        };
        const char* values[] = {"a,b", "x(", ")", "go!"};
        for (const auto& f : fields)
            for (const char* v : values)
                QTest::addRow("%s %s", f.field, v) << f.field << f.button << v << f.named;
    }
    void commandBreakingValuesRefused()
    {
        QFETCH(QString, field);
        QFETCH(QString, button);
        QFETCH(QString, value);
        QFETCH(QString, named);
        TPagesRig rig;
        rig.Queue->QueueCmd(20, 0, false, {});
        rig.Window.findChild<QLineEdit*>(field)->setText(value);
        rig.Window.findChild<QPushButton*>(button)->click();
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Caption, QStringLiteral("Error"));
        QCOMPARE(rig.Messages[0].Icon, TMsgIcon::Error);
        QVERIFY2(rig.Messages[0].Text.contains(QStringLiteral("\"%1\"").arg(named)), qPrintable(rig.Messages[0].Text));
        QCOMPARE(rig.Queue->Count(), 0);
        QVERIFY(rig.Sent.isEmpty());
    }

    void commandBreakingCheckLeavesOtherFieldsAlone()
    {
        TPagesRig rig;
        // The hyphen, dots, blanks and other punctuation are fine.
        rig.Main->txtAPN->setText(QStringLiteral("my-apn.net"));
        rig.Main->txtAPNPassword->setText(QStringLiteral("p@ss w;rd"));
        rig.Main->btnGprsSet->click();
        QVERIFY(rig.Messages.isEmpty());
        QCOMPARE(Queued(rig), QByteArrayList({"(P05,1,0.0.0.0,8888,my-apn.net,,p@ss w;rd)"}));
        QVERIFY(HasCommandBreakingChar(QStringLiteral("a!")));
        QVERIFY(!HasCommandBreakingChar(QStringLiteral("a=b")));
    }
};

QTEST_MAIN(TestSettingsPages)
#include "test_settings_pages.moc"
