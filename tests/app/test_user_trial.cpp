// The window as a new user tries it, against the simulated tracker over a real pseudo-terminal:
// the status values after the port closes, the alias of a status answer, the console's Enter.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "diag/ConsolePage.h"
#include "fleet/CompareDialog.h"
#include "fleet/ProvisionWindow.h"
#include "fleet/StationTile.h"
#include "diag/LogView.h"
#include "i18n/ProgramTexts.h"
#include "params/ParamsFile.h"
#include "i18n/Language.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/StatusPanel.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>
#include <QTableWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestUserTrial : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

    static QList<QWidget*> Displays(const TStatusPanel& p)
    {
        return {p.RzMeter_LED, p.lblAnotherName, p.RzMeter_GSM, p.RzMeter_GPS, p.RzMeter_Battery, p.lblVersion};
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
        dir = nullptr;
    }

    // The status answer's alias (field 3) shows beside "Another Name:"; once the port closes,
    // every status value shows greyed with a tooltip saying it is the last tracker's, and the
    // next answer brings them back.
    void statusValuesAfterThePortClosesAreTheLastTrackers()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.Alias = "Van 12";
        state.Firmware = "TK-2.41";
        sim.SetState(state);
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.AddPort(sim.DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        TStatusPanel& p = *w.StatusPanel;
        p.sbT01->click();
        QTRY_COMPARE_WITH_TIMEOUT(p.lblAnotherName->text(), QStringLiteral("Van 12"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(p.lblVersion->text(), QStringLiteral("TK-2.41"), 5000);
        QCOMPARE(p.RzMeter_GPS->Value(), 4);
        QVERIFY(!p.Stale());
        for (QWidget* d : Displays(p)) {
            QVERIFY2(d->isEnabled(), qPrintable(d->objectName()));
            QVERIFY2(!d->toolTip().contains("last tracker"), qPrintable(d->objectName()));
        }
        const QImage fresh = p.grab().toImage();

        w.btn_Switch->click();
        QVERIFY(!w.ComPort.Connected());
        QVERIFY(p.Stale());
        // The values stay (the identifier is kept after a close), greyed, each saying whose they are.
        QCOMPARE(p.RzMeter_LED->Text(), QStringLiteral("0123456789"));
        QCOMPARE(p.lblAnotherName->text(), QStringLiteral("Van 12"));
        for (QWidget* d : Displays(p)) {
            QVERIFY2(!d->isEnabled(), qPrintable(d->objectName()));
            QVERIFY2(d->toolTip().contains("from the last tracker"), qPrintable(d->objectName() + ": " + d->toolTip()));
        }
        QVERIFY(p.lblAnotherName->toolTip().contains("Van 12"));
        QVERIFY(p.RzMeter_LED->toolTip().contains("0123456789"));
        const QImage stale = p.grab().toImage();
        QVERIFY(stale != fresh);
        // The identifier's lit segments are no longer green anywhere in the panel.
        const auto greenPixels = [](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    n += c.green() > 150 && c.red() < 100 && c.blue() < 100;
                }
            return n;
        };
        QVERIFY(greenPixels(fresh) > 50);
        QCOMPARE(greenPixels(stale), 0);
        if (!qEnvironmentVariableIsEmpty("TOVRIK_SHOTS")) {
            fresh.save(qEnvironmentVariable("TOVRIK_SHOTS") + "/status_fresh.png");
            stale.save(qEnvironmentVariable("TOVRIK_SHOTS") + "/status_stale.png");
            w.grab().save(qEnvironmentVariable("TOVRIK_SHOTS") + "/window_stale.png");
        }

        // A lost line leaves them stale too; an answer after reopening brings them back.
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        QVERIFY(p.Stale()); // nothing has answered yet
        p.sbT01->click();
        QTRY_VERIFY_WITH_TIMEOUT(!p.Stale(), 5000);
        for (QWidget* d : Displays(p)) {
            QVERIFY2(d->isEnabled(), qPrintable(d->objectName()));
            QVERIFY2(!d->toolTip().contains("last tracker"), qPrintable(d->objectName()));
        }
        sim.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!w.ComPort.Connected(), 5000);
        QVERIFY(p.Stale());
        QVERIFY(!p.RzMeter_GSM->isEnabled());
    }

    // Compare's rows are named in the language chosen on the list, as the rest of its window is,
    // though the pages' captions change only at the next start.
    void compareNamesItsRowsInTheLanguageChosen()
    {
        QVERIFY(QDir().mkpath(dir->path() + "/locale"));
        const QString shipped = QFINDTESTDATA("../../locale/spanish.lng");
        QVERIFY(!shipped.isEmpty());
        QVERIFY(QFile::copy(shipped, dir->path() + "/locale/spanish.lng"));
        ResetLanguageModule();
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.show();
        w.AddPort(sim.DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        const auto rowNames = [&] {
            QTest::mouseClick(w.btnCompare, Qt::LeftButton);
            QStringList names;
            auto* dialog = w.findChild<TCompareDialog*>("FrmCompare");
            if (!dialog)
                return names;
            for (int row = 0; row < dialog->tblCompare->rowCount(); ++row)
                names << dialog->tblCompare->item(row, 0)->text();
            dialog->close();
            QCoreApplication::processEvents();
            return names;
        };
        QStringList names = rowNames();
        const QStringList english = names;
        QVERIFY2(names.contains("IP address") && names.contains("Another Name"), qPrintable(names.join(" | ")));
        const int spanish = w.cbLanguage->findText("spanish");
        QVERIFY(spanish >= 0);
        w.cbLanguage->setCurrentIndex(spanish);
        emit w.cbLanguage->activated(spanish);
        QCOMPARE(w.findChild<QLabel*>("lblGprsIP")->text(), QStringLiteral("IP address:")); // until the next start
        QTRY_VERIFY(!w.findChild<TCompareDialog*>("FrmCompare"));
        names = rowNames();
        QVERIFY2(names.contains(QString::fromUtf8("Dirección IP")) && !names.contains("IP address"),
                 qPrintable(names.join(" | ")));
        QCOMPARE(names.size(), english.size());
        int translated = 0;
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY2(!names[i].endsWith(QLatin1Char(':')) && !names[i].contains(QStringLiteral("&&")), qPrintable(names[i]));
            translated += names[i] != english[i];
        }
        QVERIFY2(translated >= english.size() - 2, qPrintable(names.join(" | "))); // "APN" stays "APN"
        const int back = w.cbLanguage->findText("english");
        w.cbLanguage->setCurrentIndex(back);
        emit w.cbLanguage->activated(back);
        ResetLanguageModule();
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
    }

    // While a provisioned tracker waits to be taken away (and while the line waits for the
    // next), the run asks at most once a second and logs a presence query only when its result
    // changes: a tracker that stays plugged in adds nothing to the log.
    void presenceQueriesAreSparseAndStayOutOfTheWindowLog()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.AddPort(sim.DevicePath());
        const QString params = QDir(dir->path()).filePath("fleet.cfg");
        w.ParamsFile->SaveParamsFile(params); // the pages as they start, every key
        QTest::mouseClick(w.btnProvision, Qt::LeftButton);
        auto* pw = w.findChild<TProvisionWindow*>("FrmProvision");
        QVERIFY(pw);
        pw->edtProvisionParams->setText(params);
        pw->ReportPath = QDir(dir->path()).filePath("report.csv");
        auto* log = w.findChild<TLogView*>("mm_Recv");
        QVERIFY(log);

        const QString removeText = TranslateText("provision_remove");
        constexpr int WatchMs = 5000;
        QElapsedTimer watch;
        int phase = 0; // 0 provisioning, 1 still plugged in, 2 taken away, 3 waiting for the next
        qsizetype linesAt[4] = {}, commandsAt[4] = {};
        QStringList waitingLines;
        QTimer hands;
        connect(&hands, &QTimer::timeout, [&] {
            const auto mark = [&](int next) {
                phase = next;
                linesAt[next] = log->Lines().size();
                commandsAt[next] = sim.ReceivedCommands().size();
                watch.start();
            };
            const QString step = pw->Tiles().isEmpty() ? QString() : pw->Tiles().first()->lblSlotStep->text();
            if (phase == 0 && step == removeText) {
                mark(1);
            } else if (phase == 1 && watch.elapsed() >= WatchMs) {
                mark(2);
                TSimFaults silent;
                silent.Silent = true;
                sim.SetFaults(silent);
            } else if (phase == 2 && step.startsWith("Waiting for a tracker")) {
                mark(3);
            } else if (phase == 3 && watch.elapsed() >= 2 * WatchMs) {
                waitingLines = log->Lines().mid(linesAt[3]);
                pw->btnProvisionStop->click();
            }
        });
        hands.start(20);
        QTimer::singleShot(120000, pw->btnProvisionStop, &QPushButton::click); // never hang the test
        const qsizetype linesBefore = log->Lines().size();
        QTest::mouseClick(pw->btnProvisionStart, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!pw->Running(), 125000);
        hands.stop();
        QCOMPARE(phase, 3);
        QCOMPARE(pw->lstProvisionReport->count(), 1);

        // Still plugged in for 5 s: at most one query (two commands) a second, none logged.
        const qsizetype sent = commandsAt[2] - commandsAt[1];
        qInfo("still plugged in for %d ms: %lld commands, %lld log lines; waiting %d ms: %lld commands, %lld log lines",
              WatchMs, qint64(sent), qint64(linesAt[2] - linesAt[1]), 2 * WatchMs,
              qint64(sim.ReceivedCommands().size() - commandsAt[3]), qint64(waitingLines.size()));
        QVERIFY2(sent >= 6 && sent <= 2 * (WatchMs / 1000 + 1), qPrintable(QString::number(sent)));
        // The station's slots talk on their own ports: the window's log stays as it was, while
        // plugged in, taken away and waiting.
        QCOMPARE(log->Lines().size(), linesBefore);
        QVERIFY(waitingLines.isEmpty());
        // Waiting for the next: queries go out all the same.
        QVERIFY(sim.ReceivedCommands().size() > commandsAt[3]);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
    }

    // Enter in the console's field sends its line as the Send button does, to the tracker.
    void consoleSendsItsLineOnEnter()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.AddPort(sim.DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        auto* edit = w.findChild<QLineEdit*>("edt_Send");
        QVERIFY(edit);
        w.pgCtrl->setCurrentWidget(w.tsAdvOperation);
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->setText("(P01,0)");
        sim.ClearReceivedCommands();
        QTest::keyClick(w.windowHandle(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands(), QList<QByteArray>{"(P01,0)"}, 5000);
        // The answer comes back through the receive path.
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusPanel->lblVersion->text(), QString::fromLatin1(sim.State().Firmware), 5000);
        // The keypad's Enter too, and the text stays for the next send.
        QCOMPARE(edit->text(), QStringLiteral("(P01,0)"));
        edit->setText("(T01,0)");
        QTest::keyClick(w.windowHandle(), Qt::Key_Enter, Qt::KeypadModifier);
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands().size(), 2, 5000);
        QCOMPARE(sim.ReceivedCommands().last(), QByteArray("(T01,0)"));
        QVERIFY2(messages.isEmpty(), qPrintable(messages.value(0).Text));
    }
};

QTEST_MAIN(TestUserTrial)
#include "test_user_trial.moc"
