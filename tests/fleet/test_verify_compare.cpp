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

#include <QCheckBox>
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

    void writeAllIsReadBackAndDifferencesShowInOneBox()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        QVERIFY(w.cbVerifyWrite->isChecked()); // on by default
        OpenPort(w, sim);
        auto& m = *w.MainSettings;
        // Forms the tracker reads back otherwise: trimmed texts, an empty authorization number
        // written as "0", the interval as a plain integer, keep-alive 0 while unchecked.
        m.txtAlias->setText("  Van 7 ");
        m.CBox_UploadingInterval->setEditText("0150");
        m.cboBatteryAlert->setEditText("40");
        m.edtVIP_2->setText("+4912345");
        w.AlarmSetting->RdGrp_03->SetItemIndex(2);

        sim.ClearReceivedCommands();
        QTest::mouseClick(w.btnWriteAll, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QString("Operation success !"));
        const QList<QByteArray> clean = sim.ReceivedCommands();
        QCOMPARE(CountWrites(clean), 14);
        QCOMPARE(clean.size(), 28); // each write read back once
        QCOMPARE(clean[14], QByteArray("(P17,0)"));
        QVERIFY(clean.contains("(P11,0,5)"));

        // The tracker keeps its old low-battery threshold: one box, naming field and both values.
        messages.clear();
        IgnoreWritesOf(sim, 10);
        m.cboBatteryAlert->setEditText("30");
        QTest::mouseClick(w.btnWriteAll, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QString("Verification"));
        QCOMPARE(messages[0].Icon, TMsgIcon::Warning);
        const QStringList lines = messages[0].Text.split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1], QString("Low Battery: written \"30\", read back \"40\""));
        QVERIFY(!w.Queue().IsBusy());
    }

    void groupWritesAreVerifiedTooAndOffKeepsTheOldWrite()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        IgnoreWritesOf(sim, 11);
        TFrmMain w;
        OpenPort(w, sim);
        w.MainSettings->edtVIP_2->setText("+4912345");
        QTest::mouseClick(w.MainSettings->btnVipCfgSet, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0].Text.endsWith("VIP Number 2: written \"+4912345\", read back \"\""), qPrintable(messages[0].Text));

        // A radius written as "0300" goes out as 300 and reads back the same.
        messages.clear();
        w.gbTmpHotSpot->txtRadius->setText("0300");
        w.gbTmpHotSpot->btnSelfHotSpotWrite->click(); // on a page not shown
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QString("Operation success !"));

        // Off: a Write is what it always was, and the choice is remembered.
        messages.clear();
        QTest::mouseClick(w.cbVerifyWrite, Qt::LeftButton);
        QVERIFY(!w.cbVerifyWrite->isChecked());
        sim.ClearReceivedCommands();
        QTest::mouseClick(w.MainSettings->btnVipCfgSet, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.Queue().IsBusy() && messages.size() == 1, 10000);
        QCOMPARE(messages[0].Text, QString("Operation success !"));
        QCOMPARE(sim.ReceivedCommands().size(), 5);
        QCOMPARE(CountWrites(sim.ReceivedCommands()), 5);
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
