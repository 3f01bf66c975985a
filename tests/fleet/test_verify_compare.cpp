// Verification after a Write and Compare before writing, in the whole window against the
// simulated tracker over a real pseudo-terminal; the simulator's ignored write makes a read-back
// differ.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "fleet/CompareDialog.h"
#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/RadioGroup.h"
#include "params/TmpHotSpotGroup.h"
#include "sim/SimTracker.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

int CountWrites(const QList<QByteArray>& commands)
{
    int n = 0;
    for (const QByteArray& c : commands)
        n += c.mid(4, 2) == ",1" ? 1 : 0;
    return n;
}

} // namespace

class TestVerifyCompare : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

    static void OpenPort(TFrmMain& w, TSimTracker& sim)
    {
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY(w.ComPort.Connected());
    }

    static void IgnoreWritesOf(TSimTracker& sim, int cmd)
    {
        TSimFaults faults;
        faults.IgnoreWriteCmd = cmd;
        sim.SetFaults(faults);
    }

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

    void everyWriteSendsExactlyItsOwnCommandsVerifyOn()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        QVERIFY(w.cbVerifyWrite->isChecked()); // on by default
        OpenPort(w, sim);
        auto& m = *w.MainSettings;
        m.txtAlias->setText("  Van 7 ");
        m.CBox_UploadingInterval->setEditText("0150");
        m.cboBatteryAlert->setEditText("40");
        m.edtVIP_2->setText("+4912345");
        w.AlarmSetting->RdGrp_03->SetItemIndex(2);
        // Keep-alive 30: the tracker holds 30 and answers 30, which the pages show as off.
        m.RCox_KeepAlive->setChecked(true);
        m.RzSpinEdit_KeepAlive->setValue(30);
        w.gbTmpHotSpot->txtRadius->setText("0300");

        const struct {
            QAbstractButton* button;
            QList<QByteArray> commands;
        } writes[] = {
            {w.btnWriteAll,
             {"(P17,1,Van 7)", "(P10,1,40)", "(P12,1,-60)", "(P05,1,0.0.0.0,8888,CMNET,,)", "(P04,1,150,0)",
              "(P07,1,1)", "(P11,1,1,0)", "(P11,1,2,+4912345)", "(P11,1,3,0)", "(P11,1,4,0)", "(P11,1,5,0)",
              "(P18,1,30)", "(P22,1,0,0,2,0,0)", "(P31,1,630)"}},
            {m.btnCenterNumberSet, {"(P17,1,Van 7)", "(P10,1,40)", "(P12,1,-60)", "(P31,1,630)"}},
            {m.btnGprsSet, {"(P05,1,0.0.0.0,8888,CMNET,,)"}},
            {m.btnWorkModeSet, {"(P04,1,150,0)", "(P07,1,1)", "(P18,1,30)"}},
            {m.btnVipCfgSet, {"(P11,1,1,0)", "(P11,1,2,+4912345)", "(P11,1,3,0)", "(P11,1,4,0)", "(P11,1,5,0)"}},
            {w.AlarmSetting->btnAlarmSet, {"(P22,1,0,0,2,0,0)"}},
            {w.gbTmpHotSpot->btnSelfHotSpotWrite, {"(P09,1,300)"}},
        };
        m.txtIPAddress->setText("0.0.0.0");
        for (const auto& write : writes) {
            const QString name = write.button->objectName();
            // The keep-alive answer of 30 unchecks the box: each Write starts from the same pages.
            m.RCox_KeepAlive->setChecked(true);
            m.RzSpinEdit_KeepAlive->setValue(30);
            messages.clear();
            sim.ClearReceivedCommands();
            write.button->click(); // the hot-spot group is on a page not shown
            QVERIFY2(QTest::qWaitFor([&] { return !w.Queue().IsBusy() && !messages.isEmpty(); }, 10000),
                     qPrintable(name));
            QCOMPARE(sim.ReceivedCommands(), write.commands);
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages[0].Text == "Operation success !", qPrintable(name + ": " + messages[0].Text));
        }
    }

    void anAnswerThatDiffersShowsOneBoxAndNothingIsReadBack()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        OpenPort(w, sim);
        auto& m = *w.MainSettings;
        m.cboBatteryAlert->setEditText("40");
        QTest::mouseClick(w.btnWriteAll, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 1, 10000);

        // The tracker keeps its old low-battery threshold and answers it.
        messages.clear();
        IgnoreWritesOf(sim, 10);
        m.cboBatteryAlert->setEditText("30");
        sim.ClearReceivedCommands();
        QTest::mouseClick(w.btnWriteAll, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 1, 10000);
        QTest::qWait(200); // nothing follows the box
        QCOMPARE(sim.ReceivedCommands().size(), 14);
        QCOMPARE(CountWrites(sim.ReceivedCommands()), 14);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QString("Verification"));
        QCOMPARE(messages[0].Icon, TMsgIcon::Warning);
        QCOMPARE(messages[0].Text.split('\n'),
                 QStringList({"The tracker holds other values than were written:",
                              "Low Battery: written \"30\", answered \"40\""}));
        // The answer filled the pages, as every answer does.
        QCOMPARE(m.cboBatteryAlert->currentText(), QString("40"));

        // A group Write: several fields of one command, each named.
        messages.clear();
        IgnoreWritesOf(sim, 5);
        m.txtPort->setText("9000");
        m.txtAPN->setText("internet");
        sim.ClearReceivedCommands();
        QTest::mouseClick(m.btnGprsSet, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 1, 10000);
        QCOMPARE(sim.ReceivedCommands().size(), 1);
        QCOMPARE(messages[0].Text.split('\n').mid(1),
                 QStringList({"Port: written \"9000\", answered \"8888\"", "APN: written \"internet\", answered \"CMNET\""}));

        // An authorization number, written after a refused one: the writes alone go out.
        messages.clear();
        IgnoreWritesOf(sim, 11);
        m.edtVIP_1->setText("+49,151");
        m.edtVIP_2->setText("+4912345");
        sim.ClearReceivedCommands();
        QTest::mouseClick(m.btnVipCfgSet, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 2, 10000);
        QCOMPARE(messages[0].Text, QString("VIP number 1 is error."));
        QVERIFY2(messages[1].Text.endsWith("VIP Number 2: written \"+4912345\", answered \"\""), qPrintable(messages[1].Text));
        QCOMPARE(sim.ReceivedCommands().size(), 4);
        QCOMPARE(CountWrites(sim.ReceivedCommands()), 4);

        // Off: a Write is what it always was, and the choice is remembered.
        messages.clear();
        QTest::mouseClick(w.cbVerifyWrite, Qt::LeftButton);
        QVERIFY(!w.cbVerifyWrite->isChecked());
        m.edtVIP_1->clear();
        sim.ClearReceivedCommands();
        QTest::mouseClick(m.btnVipCfgSet, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 1, 10000);
        QCOMPARE(messages[0].Text, QString("Operation success !"));
        QCOMPARE(sim.ReceivedCommands().size(), 5);
        TIniText settings;
        QVERIFY(settings.LoadFile(SettingsFilePath()));
        QCOMPARE(settings.ReadString("config", "verify", ""), QString("0"));
        TFrmMain again;
        QVERIFY(!again.cbVerifyWrite->isChecked());
    }

    void compareShowsExactlyTheDifferingRows()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.Alias = "Yard";
        state.GSensor = "700";
        state.UploadMode = "1";
        state.UploadInterval = "30";
        state.AuthNumbers[3] = "0";    // an empty number as the tracker may keep it
        state.KeepAlive = "20";        // off, as far as the pages can tell
        sim.SetState(state);
        QVERIFY(sim.Start());
        TFrmMain w;
        OpenPort(w, sim);
        sim.ClearReceivedCommands();
        QTest::mouseClick(w.btnCompare, Qt::LeftButton);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
        QCOMPARE(sim.ReceivedCommands().size(), 16);
        QCOMPARE(CountWrites(sim.ReceivedCommands()), 0);
        auto* dialog = w.findChild<TCompareDialog*>("FrmCompare");
        QVERIFY(dialog && dialog->isVisible());
        QTableWidget* table = dialog->tblCompare;
        QStringList marked;
        for (int row = 0; row < table->rowCount(); ++row)
            if (table->item(row, 0)->background().color() == TCompareDialog::DifferingRowColor())
                marked << table->item(row, 0)->text() + "=" + table->item(row, 1)->text() + "|" + table->item(row, 2)->text();
        QCOMPARE(marked, QStringList({"Another Name=|Yard", "Interval=150|30", "Mode=SMS|TCP",
                                      "G-sensor parameter=630|700"}));
        // The pages were not touched.
        QCOMPARE(w.MainSettings->txtAlias->text(), QString());
        QCOMPARE(w.MainSettings->cbUpLoadMode->currentIndex(), 0);

        QTest::mouseClick(dialog->btnCompareTake, Qt::LeftButton);
        QCOMPARE(w.MainSettings->txtAlias->text(), QString("Yard"));
        QCOMPARE(w.MainSettings->txtGSensorParam->text(), QString("700"));
        QCOMPARE(w.MainSettings->CBox_UploadingInterval->currentText(), QString("30"));
        QTRY_VERIFY(!w.findChild<TCompareDialog*>("FrmCompare"));

        QTest::mouseClick(w.btnCompare, Qt::LeftButton);
        dialog = w.findChild<TCompareDialog*>("FrmCompare");
        QVERIFY(dialog);
        for (int row = 0; row < dialog->tblCompare->rowCount(); ++row)
            QVERIFY2(dialog->tblCompare->item(row, 0)->background().color() != TCompareDialog::DifferingRowColor(),
                     qPrintable(dialog->tblCompare->item(row, 0)->text()));

        // From the table, Write All writes the pages (and verifies them).
        messages.clear();
        sim.ClearReceivedCommands();
        w.MainSettings->txtAlias->setText("Gate");
        QTest::mouseClick(dialog->btnCompareWriteAll, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 1, 10000);
        QCOMPARE(sim.ReceivedCommands().size(), 14);
        QCOMPARE(CountWrites(sim.ReceivedCommands()), 14);
        QCOMPARE(sim.State().Alias, QByteArray("Gate"));
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QString("Operation success !"));
    }

    void compareWithoutTrackerSaysSo()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.Silent = true;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TFrmMain w;
        OpenPort(w, sim);
        QTest::mouseClick(w.btnCompare, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QString("The tracker did not answer: nothing to compare."));
        QVERIFY(!w.findChild<TCompareDialog*>("FrmCompare"));
    }
};

QTEST_MAIN(TestVerifyCompare)
#include "test_verify_compare.moc"
