// Compare and verification on the settings models: the tracker is read into a model of its own,
// the window's model takes the pages, and taking the tracker's values fills the window's model
// and its pages; a write's answer is named by the model's field table.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "fleet/CompareDialog.h"
#include "fleet/WriteAnswers.h"
#include "params/MainSettingsPage.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestCompareModel : public QObject {
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

    void aWriteAnswerIsNamedByTheFieldTable()
    {
        QList<TFieldDifference> d = WriteAnswerDifferences({4, 1, ",150,1", 0}, {"0123456789", "P04", "30", "1"});
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].Name, QString("Interval"));
        QCOMPARE(d[0].Expected, QString("150"));
        QCOMPARE(d[0].Actual, QString("30"));
        d = WriteAnswerDifferences({11, 1, ",2,+4912", 0}, {"0123456789", "P11", "2", "0"});
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].Name, QString("VIP Number 2"));
        d = WriteAnswerDifferences({22, 1, ",0,1,2,3,0", 0}, {"0123456789", "P22", "0", "1", "3", "3", "0"});
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].Name, QString("Self Hot Spot"));
        // "0300" is 300; another authorization number answered differs as a whole.
        QVERIFY(WriteAnswerDifferences({9, 1, ",0300", 0}, {"0123456789", "P09", "300"}).isEmpty());
        d = WriteAnswerDifferences({11, 1, ",3,5", 0}, {"0123456789", "P11", "4", "5"});
        QCOMPARE(d.size(), 1);
        QCOMPARE(d[0].Name, QString("VIP Number 3"));
        QCOMPARE(d[0].Actual, QString("4,5"));
    }

    void takingTheTrackersValuesFillsTheWindowsModelAndPages()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.Alias = "Yard";
        state.KeepAlive = "600";
        state.Strategy = "1";
        state.UploadInterval = "1800";
        sim.SetState(state);
        QVERIFY(sim.Start());
        TFrmMain w;
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY(w.ComPort.Connected());
        auto& m = *w.MainSettings;
        m.txtAPN->setText("typed");
        QTest::mouseClick(w.btnCompare, Qt::LeftButton);
        auto* dialog = w.findChild<TCompareDialog*>("FrmCompare");
        QVERIFY(dialog);
        // The window's model holds the pages as they are, not the tracker's values.
        QCOMPARE(w.Settings.Value("gprs_apn"), QString("typed"));
        QCOMPARE(w.Settings.Value("alias"), QString());
        QStringList marked;
        for (int row = 0; row < dialog->tblCompare->rowCount(); ++row)
            if (dialog->tblCompare->item(row, 0)->data(Qt::UserRole).toBool())
                marked << dialog->tblCompare->item(row, 0)->text();
        QCOMPARE(marked, QStringList({"Another Name", "APN", "Interval", "Keep alive"}));

        QTest::mouseClick(dialog->btnCompareTake, Qt::LeftButton);
        QCOMPARE(w.Settings.Value("alias"), QString("Yard"));
        QCOMPARE(w.Settings.Value("gprs_apn"), QString("CMNET"));
        QCOMPARE(w.Settings.Value("keep_alive"), QString("600"));
        QCOMPARE(w.Settings.Value("upload_interval"), QString("1800"));
        QVERIFY(m.RCox_KeepAlive->isChecked());
        QCOMPARE(m.RzSpinEdit_KeepAlive->value(), 600);
        QCOMPARE(m.txtAPN->text(), QString("CMNET"));
        QCOMPARE(m.CBox_UploadingInterval->currentText(), QString("1800"));
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TestCompareModel)
#include "test_compare_model.moc"
