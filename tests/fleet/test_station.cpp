// The provisioning station against four simulated trackers on four pseudo-terminals at once:
// each slot on its own, one that keeps a value fails naming the field, a silent one delays no
// other, every tracker gets its report row; the station window shows one tile per port.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "fleet/ProvisionReport.h"
#include "fleet/ProvisionWindow.h"
#include "fleet/StationSlot.h"
#include "fleet/StationTile.h"
#include "i18n/Language.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <memory>

namespace {

// Four trackers: two good ones, one that keeps its low-battery threshold, one silent.
struct TFourTrackers {
    std::array<std::unique_ptr<TSimTracker>, 4> Sims;
    bool Start()
    {
        for (size_t i = 0; i < Sims.size(); ++i) {
            Sims[i] = std::make_unique<TSimTracker>();
            TSimState state;
            state.Identifier = QByteArray("000000000") + QByteArray::number(int(i) + 1);
            Sims[i]->SetState(state);
            TSimFaults faults;
            faults.IgnoreWriteCmd = i == 2 ? 10 : 0;
            faults.Silent = i == 3;
            Sims[i]->SetFaults(faults);
            if (!Sims[i]->Start())
                return false;
        }
        return true;
    }
    QString Device(size_t i) const { return Sims[i]->DevicePath(); }
};

TProvisionPlan Plan()
{
    TProvisionPlan plan;
    plan.Wanted.SetValue(QStringLiteral("alias"), QStringLiteral("Van7"));
    plan.Wanted.SetValue(QStringLiteral("low_battery"), QStringLiteral("30"));
    plan.Writes = plan.Wanted.WriteAllRequests();
    plan.Fences << TGeoFence{7, "Depot", 113.945617, 22.917922, 114, 22.5, -1};
    return plan;
}

} // namespace

class TestStation : public QObject {
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

    void fourSlotsAtOnce()
    {
        TFourTrackers trackers;
        QVERIFY(trackers.Start());
        const QString report = dir->filePath("report.csv");
        std::array<std::unique_ptr<TStationSlot>, 4> slots_;
        std::array<TProvisionResult, 4> results;
        std::array<qint64, 4> endedAt{-1, -1, -1, -1};
        QElapsedTimer clock;
        clock.start();
        for (size_t i = 0; i < slots_.size(); ++i) {
            slots_[i] = std::make_unique<TStationSlot>(trackers.Device(i), Plan());
            slots_[i]->ReportPath = report;
            connect(slots_[i].get(), &TStationSlot::TrackerEnded, this, [&, i](const TProvisionResult& r) {
                results[i] = r;
                endedAt[i] = clock.elapsed();
            });
        }
        for (auto& slot : slots_)
            slot->StartOnce();
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(endedAt.begin(), endedAt.end(), [](qint64 t) { return t >= 0; }), 30000);

        QCOMPARE(results[0].Outcome, TProvisionOutcome::Passed);
        QCOMPARE(results[1].Outcome, TProvisionOutcome::Passed);
        QCOMPARE(results[2].Outcome, TProvisionOutcome::Differs);
        QCOMPARE(results[2].Rows().size(), 1);
        QCOMPARE(results[2].Rows().first().Name, QString("Low Battery"));
        QCOMPARE(results[3].Outcome, TProvisionOutcome::NoTracker);
        // Each tracker holds what was written to it, and only to it.
        for (size_t i = 0; i < 2; ++i) {
            QCOMPARE(trackers.Sims[i]->State().Alias, QByteArray("Van7"));
            QCOMPARE(trackers.Sims[i]->State().Fences[6].Name, QByteArray("Depot"));
        }
        QCOMPARE(results[1].Identifier, QString("0000000002"));
        // The silent port waits out its own time-out; the others ended long before it, in about
        // the time of one tracker alone.
        for (size_t i = 0; i < 3; ++i)
            QVERIFY2(endedAt[i] < endedAt[3], qPrintable(QString("slot %1 ended at %2 ms, the silent one at %3 ms")
                                                              .arg(i)
                                                              .arg(endedAt[i])
                                                              .arg(endedAt[3])));

        QFile file(report);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = file.readAll().split('\n');
        QCOMPARE(rows.size(), 6); // header, four rows, the empty rest
        for (size_t i = 0; i < 4; ++i) {
            const QByteArray device = trackers.Device(i).toLocal8Bit();
            const QByteArray word = i < 2 ? "pass" : i == 2 ? "differs" : "no tracker";
            const bool found = std::any_of(rows.begin() + 1, rows.end(), [&](const QByteArray& row) {
                return row.contains("," + device + ",") && row.contains("," + word + ",") && row.endsWith("," + device + "\r");
            });
            QVERIFY2(found, qPrintable(QString("no %1 row for %2").arg(QString(word), QString(device))));
        }
    }

    void stationWindowShowsEachSlot()
    {
        TFourTrackers trackers;
        QVERIFY(trackers.Start());
        QFile params(dir->filePath("fleet.cfg"));
        QVERIFY(params.open(QIODevice::WriteOnly));
        params.write("[Para]\r\nBasicInfo_AnotherName=Van7\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=60\r\n"
                     "BasicInfo_GSensorParams=630\r\nGPRS_IPAdd=10.0.0.1\r\nGPRS_Port=8888\r\n");
        params.close();

        TFrmMain w;
        QTest::mouseClick(w.btnProvision, Qt::LeftButton);
        auto* pw = w.findChild<TProvisionWindow*>("FrmProvision");
        QVERIFY(pw);
        pw->edtProvisionParams->setText(params.fileName());
        pw->ReportPath = dir->filePath("report.csv");
        for (size_t i = 0; i < 4; ++i) {
            pw->cboProvisionPort->setEditText(trackers.Device(i));
            QTest::mouseClick(pw->btnProvisionAddPort, Qt::LeftButton);
        }
        pw->cboProvisionPort->setEditText(trackers.Device(0)); // a port added twice is one tile
        QTest::mouseClick(pw->btnProvisionAddPort, Qt::LeftButton);
        QCOMPARE(pw->Tiles().size(), 4);

        QTest::mouseClick(pw->btnProvisionStart, Qt::LeftButton);
        QVERIFY(pw->Running());
        QTRY_COMPARE_WITH_TIMEOUT(pw->lstProvisionReport->count(), 3, 30000);
        const QList<TStationTile*> tiles = pw->Tiles();
        QCOMPARE(tiles[0]->lblSlotResult->text(), QString("PASS"));
        QCOMPARE(tiles[1]->lblSlotResult->text(), QString("PASS"));
        QCOMPARE(tiles[2]->lblSlotResult->text(), QString("FAIL"));
        QVERIFY2(tiles[2]->lblSlotDetails->text().startsWith("Low Battery: written \"30\""),
                 qPrintable(tiles[2]->lblSlotDetails->text()));
        QCOMPARE(tiles[1]->lblSlotTracker->text(), QString("ID 0000000002, firmware SIM-1.0.0"));
        // The silent slot still waits for a tracker, with no result.
        QVERIFY(tiles[3]->lblSlotResult->text().isEmpty());
        QVERIFY(tiles[3]->lblSlotStep->text().startsWith("Waiting for a tracker"));
        // Three trackers in a few seconds make no rate yet; the report list says its words.
        QCOMPARE(pw->lblProvisionCounters->text(), QString("Passed 2, failed 1"));
        QCOMPARE(pw->lstProvisionReport->findItems("  differs  ", Qt::MatchContains).size(), 1);
        QCOMPARE(pw->lstProvisionReport->findItems("  pass", Qt::MatchContains).size(), 2);
        if (!qEnvironmentVariableIsEmpty("TOVRIK_STATION_SHOT"))
            pw->grab().save(qEnvironmentVariable("TOVRIK_STATION_SHOT"));

        // Stop ends every slot at once; their ports close and Start is usable again.
        QTest::mouseClick(pw->btnProvisionStop, Qt::LeftButton);
        QVERIFY(!pw->Running());
        QVERIFY(pw->btnProvisionStart->isEnabled());
        for (TStationTile* tile : tiles)
            QVERIFY(!tile->Slot());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
    }

    // The pace in trackers per hour shows once it means something: after 5 trackers or 5
    // minutes, with the form for one where the language has it; the report's words in the
    // window are the language's.
    void countersAndResultWordsInTheLanguageChosen()
    {
        const qint64 minute = 60 * 1000;
        QCOMPARE(TProvisionWindow::CountersText(1, 0, minute), QString("Passed 1, failed 0"));
        QCOMPARE(TProvisionWindow::CountersText(3, 1, 4 * minute), QString("Passed 3, failed 1"));
        QCOMPARE(TProvisionWindow::CountersText(1, 0, 5 * minute), QString("Passed 1, failed 0, 12 trackers per hour"));
        QCOMPARE(TProvisionWindow::CountersText(4, 1, 2 * minute), QString("Passed 4, failed 1, 150 trackers per hour"));
        QCOMPARE(TProvisionWindow::CountersText(1, 0, 80 * minute), QString("Passed 1, failed 0, 1 tracker per hour"));
        QCOMPARE(TProvisionWindow::CountersText(0, 0, 0), QString("Passed 0, failed 0"));
        QCOMPARE(TProvisionWindow::ShownResultWord("no tracker"), QString("no tracker"));

        const QString shipped = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../locale/spanish.lng");
        QVERIFY(QDir().mkpath(LanguageFolder()));
        QVERIFY(QFile::copy(shipped, LanguageFilePath("spanish")));
        LoadLanguage("spanish");
        const auto restore = qScopeGuard([] { LoadLanguage("english"); });
        QCOMPARE(TProvisionWindow::CountersText(1, 0, minute), QString("Correctos 1, fallidos 0"));
        QCOMPARE(TProvisionWindow::CountersText(1, 0, 80 * minute), QString("Correctos 1, fallidos 0, 1 rastreador por hora"));
        QCOMPARE(TProvisionWindow::CountersText(6, 0, 60 * minute), QString("Correctos 6, fallidos 0, 6 rastreadores por hora"));
        QCOMPARE(TProvisionWindow::ShownResultWord("pass"), QString("correcto"));
        QCOMPARE(TProvisionWindow::ShownResultWord("no tracker"), QString("sin rastreador"));
        // A word the window has no text for shows as the report writes it.
        QCOMPARE(TProvisionWindow::ShownResultWord("unheard of"), QString("unheard of"));
    }

    void trackersInTodaysReportWaitForTheOperator()
    {
        TSimTracker sim;
        TSimState state;
        state.Identifier = "0000000001";
        sim.SetState(state);
        QVERIFY(sim.Start());
        const QString report = dir->filePath("report.csv");
        TProvisionResult earlier;
        earlier.Outcome = TProvisionOutcome::Passed;
        earlier.Identifier = "0000000001";
        ProvisionReport::AppendRow(report, QDateTime::currentDateTime(), "/dev/ttyUSB0", earlier);
        QFile params(dir->filePath("fleet.cfg"));
        QVERIFY(params.open(QIODevice::WriteOnly));
        params.write("[Para]\r\nBasicInfo_AnotherName=Van7\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=60\r\n"
                     "BasicInfo_GSensorParams=630\r\nGPRS_IPAdd=10.0.0.1\r\nGPRS_Port=8888\r\n");
        params.close();

        TFrmMain w;
        QTest::mouseClick(w.btnProvision, Qt::LeftButton);
        auto* pw = w.findChild<TProvisionWindow*>("FrmProvision");
        QVERIFY(pw);
        pw->edtProvisionParams->setText(params.fileName());
        pw->ReportPath = report;
        pw->cbProvisionCapture->setChecked(true);
        QVERIFY(pw->AddPortTile(sim.DevicePath()));
        QTest::mouseClick(pw->btnProvisionStart, Qt::LeftButton);
        TStationTile* tile = pw->Tiles().first();
        // Provisioned before: marked, nothing written, until the operator says so.
        QTRY_COMPARE_WITH_TIMEOUT(tile->lblSlotResult->text(), QString("AGAIN"), 10000);
        QTest::qWait(1500); // a presence query or two: still nothing written
        QCOMPARE(sim.State().Alias, QByteArray());
        QVERIFY(tile->btnSlotAgain->isVisibleTo(tile));
        QTest::mouseClick(tile->btnSlotAgain, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(tile->lblSlotResult->text(), QString("PASS"), 10000);
        QCOMPARE(sim.State().Alias, QByteArray("Van7"));
        QVERIFY(!tile->btnSlotAgain->isVisibleTo(tile));
        QCOMPARE(pw->lstProvisionReport->count(), 2); // "again", then "pass"
        QVERIFY(pw->lstProvisionReport->item(0)->text().endsWith("again"));
        QTest::mouseClick(pw->btnProvisionStop, Qt::LeftButton);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
    }
};

QTEST_MAIN(TestStation)
#include "test_station.moc"
