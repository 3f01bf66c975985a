// Read All, Write All, Factory Default and the status query: the requests in their order, the
// stops of Write All, and whole exchanges answered through the receive loop.
#include "link/FrameCodec.h"
#include "params/AlarmPage.h"
#include "params/BarMeter.h"
#include "params/BulkOperations.h"
#include "params/LedDisplay.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/StatusPanel.h"
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

QByteArrayList Queued(const TPagesRig& rig)
{
    QByteArrayList texts;
    for (const TCmdItem& item : rig.Queue->CmdQueue())
        texts << BuildCmdText(item.CmdNo, item.RWFlag, item.IsTCmd != 0, item.ParamText);
    return texts;
}

const QByteArrayList ReadAllTexts = {
    "(P01,0)", "(T01,0)", "(P17,0)", "(P10,0)", "(P12,0)", "(P05,0)", "(P07,0)", "(P04,0)",
    "(P18,0)", "(P11,0,1)", "(P11,0,2)", "(P11,0,3)", "(P11,0,4)", "(P11,0,5)", "(P22,0)", "(P31,0)",
};

void FillPages(TPagesRig& rig)
{
    TMainSettingsPage& m = *rig.Main;
    m.txtAlias->setText(QStringLiteral("Truck 9"));
    m.cboBatteryAlert->setEditText(QStringLiteral("40"));
    m.txtTimeDifferent->setText(QStringLiteral("120"));
    m.txtIPAddress->setText(QStringLiteral("10.9.8.7"));
    m.txtPort->setText(QStringLiteral("7000"));
    m.txtAPN->setText(QStringLiteral("APN1"));
    m.txtAPNUsername->setText(QStringLiteral("usr"));
    m.txtAPNPassword->setText(QStringLiteral("pwd"));
    m.cbUpLoadMode->setCurrentIndex(1);
    m.CBox_UploadingInterval->setEditText(QStringLiteral("60"));
    m.RCox_KeepAlive->setChecked(true);
    m.RzSpinEdit_KeepAlive->setValue(900);
    for (int k = 1; k <= 5; ++k)
        m.AuthNumberEdit(k)->setText(QStringLiteral("+4470000000%1").arg(k));
    m.txtGSensorParam->setText(QStringLiteral("700"));
    for (int p = 1; p <= 5; ++p)
        rig.Alarm->Group(p)->SetItemIndex(p % 4);
}

const QByteArrayList WriteAllTexts = {
    "(P17,1,Truck 9)", "(P10,1,40)", "(P12,1,120)", "(P05,1,10.9.8.7,7000,APN1,usr,pwd)", "(P04,1,60,1)", "(P07,1,1)",
    "(P11,1,1,+44700000001)", "(P11,1,2,+44700000002)", "(P11,1,3,+44700000003)", "(P11,1,4,+44700000004)",
    "(P11,1,5,+44700000005)", "(P18,1,900)", "(P22,1,1,2,3,0,1)", "(P31,1,700)",
};

} // namespace

class TestBulkOperations : public QObject {
    Q_OBJECT
private slots:
    void readAllQueuesSixteenRequestsInOrder()
    {
        TPagesRig rig;
        rig.Main->txtAlias->setText(QStringLiteral("stays"));
        rig.Queue->QueueCmd(20, 0, false, {});
        rig.Bulk->btnReadAllClick();
        QCOMPARE(Queued(rig), ReadAllTexts);
        QCOMPARE(rig.Sent, QByteArrayList{"(P01,0)"});
        QCOMPARE(rig.Main->txtAlias->text(), QStringLiteral("stays")); // not emptied first
    }

    void readAllFillsThePages()
    {
        TPagesRig rig;
        rig.Responder = TrackerAnswer;
        rig.Bulk->btnReadAllClick();
        QTRY_COMPARE(rig.Sent, ReadAllTexts);
        QTRY_VERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Queue->Count(), 0);
        TMainSettingsPage& m = *rig.Main;
        QCOMPARE(rig.Status->lblVersion->text(), QStringLiteral("V2.05"));
        QCOMPARE(rig.Status->RzMeter_LED->Text(), QStringLiteral("0123456789"));
        QCOMPARE(rig.Status->lblAnotherName->text(), QStringLiteral("Truck7"));
        QCOMPARE(rig.Status->RzMeter_GPS->Value(), 4);
        QCOMPARE(rig.Status->RzMeter_GSM->Value(), 4);
        QCOMPARE(m.txtAlias->text(), QStringLiteral("Truck7"));
        QCOMPARE(m.cboBatteryAlert->currentText(), QStringLiteral("30"));
        QCOMPARE(m.txtTimeDifferent->text(), QStringLiteral("480"));
        QCOMPARE(m.txtIPAddress->text(), QStringLiteral("10.1.2.3"));
        QCOMPARE(m.txtAPNPassword->text(), QStringLiteral("secret"));
        QVERIFY(m.RBtn_Main_02->isChecked());
        QCOMPARE(m.cbUpLoadMode->currentIndex(), 1);
        QCOMPARE(m.CBox_UploadingInterval->currentText(), QStringLiteral("60"));
        QVERIFY(m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.RzSpinEdit_KeepAlive->value(), 600);
        QCOMPARE(m.edtVIP_4->text(), QStringLiteral("+8613800000004"));
        QCOMPARE(rig.Alarm->AlarmText(), QByteArray("1,2,3,0,1"));
        QCOMPARE(m.txtGSensorParam->text(), QStringLiteral("800"));
        // One tip, after the last answer.
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("Operation success !"));
        rig.Status->StopBatteryAnimation();
    }

    void writeAllQueuesFourteenWritesInOrder()
    {
        TPagesRig rig;
        FillPages(rig);
        rig.Bulk->btnWriteAllClick();
        QCOMPARE(Queued(rig), WriteAllTexts);
        QVERIFY(rig.Messages.isEmpty());
        // Answered, all fourteen go out and the echoed values leave the pages as they were.
        rig.Queue->ClearCmdQueue();
        rig.Sent.clear();
        rig.Responder = TrackerAnswer;
        rig.Bulk->btnWriteAllClick();
        QTRY_COMPARE(rig.Sent, WriteAllTexts);
        QTRY_VERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Main->txtAlias->text(), QStringLiteral("Truck 9"));
        QCOMPARE(rig.Main->RzSpinEdit_KeepAlive->value(), 900);
        QCOMPARE(rig.Alarm->AlarmText(), QByteArray("1,2,3,0,1"));
        QCOMPARE(rig.Messages.size(), 1);
    }

    void writeAllWithOneRefusedNumberSendsThirteen()
    {
        TPagesRig rig;
        FillPages(rig);
        rig.Main->edtVIP_3->setText(QStringLiteral("12-3"));
        rig.Bulk->btnWriteAllClick();
        QByteArrayList expected = WriteAllTexts;
        expected.removeAt(8);
        QCOMPARE(Queued(rig), expected);
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("VIP number 3 is error."));
    }

    void writeAllStopsAtLowBattery()
    {
        TPagesRig rig;
        FillPages(rig);
        rig.Main->cboBatteryAlert->setEditText(QStringLiteral("5"));
        rig.Bulk->btnWriteAllClick();
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Text, QStringLiteral("Please Input The Low Battery Value More than 10!"));
        QCOMPARE(rig.Queue->Count(), 0);
        QVERIFY(rig.Sent.isEmpty());
    }

    // Mended: Write All stopping at its interval check leaves nothing queued, so a following
    // authorization Write sends only its own numbers.
    void writeAllStopsAtTheIntervalWithNothingLeftQueued()
    {
        TPagesRig rig;
        FillPages(rig);
        rig.Main->CBox_UploadingInterval->setEditText(QStringLiteral("x"));
        rig.Bulk->btnWriteAllClick();
        QVERIFY(rig.Messages.isEmpty());
        QVERIFY(rig.Sent.isEmpty());
        QCOMPARE(rig.Queue->Count(), 0);
        QVERIFY(!rig.Queue->IsBusy());
        rig.Main->btnVipCfgSet->click();
        QCOMPARE(rig.Sent, QByteArrayList{"(P11,1,1,+44700000001)"});
        for (const QByteArray& text : Queued(rig))
            QVERIFY2(text.startsWith("(P11,1,"), text.constData());
    }

    void writeAllRefusesCommandBreakingValuesBeforeQueuing_data()
    {
        QTest::addColumn<QString>("field");
        for (const char* f : {"txtAlias", "txtTimeDifferent", "txtIPAddress", "txtPort", "txtAPN", "txtAPNUsername",
                              "txtAPNPassword", "txtGSensorParam"})
            QTest::newRow(f) << QString::fromLatin1(f);
    }
    void writeAllRefusesCommandBreakingValuesBeforeQueuing()
    {
        QFETCH(QString, field);
        TPagesRig rig;
        FillPages(rig);
        rig.Window.findChild<QLineEdit*>(field)->setText(QStringLiteral("1,2"));
        rig.Bulk->btnWriteAllClick();
        QCOMPARE(rig.Messages.size(), 1);
        QCOMPARE(rig.Messages[0].Icon, TMsgIcon::Error);
        QCOMPARE(rig.Queue->Count(), 0);
        QVERIFY(rig.Sent.isEmpty());
    }

    void factoryDefaultSendsP20AndKeepsTheFields()
    {
        TPagesRig rig;
        FillPages(rig);
        rig.Responder = TrackerAnswer;
        rig.Bulk->btnDefaultClick();
        QTRY_VERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Sent, QByteArrayList{"(P20)"});
        QCOMPARE(rig.Main->txtAlias->text(), QStringLiteral("Truck 9"));
        QCOMPARE(rig.Main->txtAPN->text(), QStringLiteral("APN1"));
        QCOMPARE(rig.Messages.size(), 1);
    }

    void statusQueryEndsWithoutTip()
    {
        TPagesRig rig;
        rig.Responder = TrackerAnswer;
        rig.Bulk->sbT01Click();
        QTRY_COMPARE(rig.Sent, QByteArrayList({"(P01,0)", "(T01,0)"}));
        QTRY_VERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Status->RzMeter_GSM->Value(), 4);
        QVERIFY(rig.Status->tmBatteyCharging().isActive());
        QVERIFY(rig.Messages.isEmpty());
        rig.Status->StopBatteryAnimation();
    }

    void requestWithThePortClosedSendsNothing()
    {
        TPagesRig rig;
        rig.PortOpen = false;
        rig.Bulk->btnReadAllClick();
        QCOMPARE(rig.Queue->Count(), 0);
        QVERIFY(!rig.Queue->IsBusy());
        QVERIFY(rig.ButtonsEnabled);
        QCOMPARE(rig.Sent, QByteArrayList{"(P01,0)"}); // logged, though nothing was written
    }

    void secondAnswerInsideThePauseIsNotCountedTwice()
    {
        TPagesRig rig;
        // A tracker that answers every command twice: the second answer arrives inside the 50 ms
        // pause and must not retire the next command before it was sent.
        int answered = 0;
        QObject context;
        rig.Responder = [&](const QByteArray& text) {
            const QByteArray a = TrackerAnswer(text);
            ++answered;
            TCmdQueue* q = rig.Queue.get();
            QTimer::singleShot(0, &context, [q, a] { q->AppendReceived(TPagesRig::AnswerFrame(a)); });
            return a;
        };
        rig.Bulk->btnReadAllClick();
        QTRY_VERIFY(!rig.Queue->IsBusy());
        QCOMPARE(rig.Sent, ReadAllTexts);
        QCOMPARE(answered, 16);
        QCOMPARE(rig.Queue->Count(), 0);
        rig.Status->StopBatteryAnimation();
    }
};

QTEST_MAIN(TestBulkOperations)
#include "test_bulk_operations.moc"
