// What the user types reaches the fields through the window, as a keyboard's keys do: each
// field's filter drops what it refuses, committed input-method text included, pasted text stays
// as pasted. The hidden controls come and go with the one mouse combination on "ID:", and texts
// from the tracker show as text, never as markup.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/FenceEditPanel.h"
#include "geo/GeoFencePage.h"
#include "params/StatusPanel.h"
#include "sim/SimTracker.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestWindowKeys : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

    // Keys as the window system delivers them: to the window, which gives them to the widget
    // that has the focus.
    static void Type(QWidget& window, const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(window.windowHandle(), c.toLatin1());
    }

    static bool TabOrderNamesContain(const QWidget* field)
    {
        return TFrmMain::TabOrderNames().contains(field->objectName());
    }

    // Focuses a field on whatever page holds it.
    static bool Focus(TFrmMain& w, QWidget* field)
    {
        for (int i = 0; i < w.pgCtrl->count(); ++i)
            if (w.pgCtrl->widget(i)->isAncestorOf(field))
                w.pgCtrl->setCurrentIndex(i);
        field->setFocus();
        return QTest::qWaitFor([&] { return field->hasFocus(); }, 2000);
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

    void typedKeysPassTheFieldsFilters()
    {
        TFrmMain w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        struct TCase {
            const char* Field;
            QString Typed;
            QString Shown;
        };
        const TCase cases[] = {
            {"cboBatteryAlert", "1x5", "15"},  {"cboCOMIndex", "3a", "3"},      {"ed_MapLat", "1.5-x", "15"},
            {"txtRadius", "-3a0.", "-30"},     {"edtVIP_1", "+12a3-", "+123"}, {"edtVIP_5", "5 5", "55"},
            {"txtAlias", "ab,c(!d", "abcd"},  {"txtPort", "8a8-", "88-"},     {"txtGeofenceName", "n_1!", "n_1"},
        };
        for (const TCase& c : cases) {
            QWidget* field = w.findChild<QWidget*>(c.Field);
            QVERIFY2(field, c.Field);
            auto* combo = qobject_cast<QComboBox*>(field);
            QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(field);
            QVERIFY2(edit, c.Field);
            if (!field->isVisible())
                continue; // the editor's fields show with the editor; their filter is the name's below
            QVERIFY2(Focus(w, field), c.Field);
            edit->clear();
            Type(w, c.Typed);
            QVERIFY2(edit->text() == c.Shown, qPrintable(QStringLiteral("%1: \"%2\"").arg(c.Field, edit->text())));
        }

        // Text an input method commits is filtered like typed keys.
        for (const char* name : {"ed_MapLat", "cboBatteryAlert"}) {
            QWidget* field = w.findChild<QWidget*>(name);
            auto* combo = qobject_cast<QComboBox*>(field);
            QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(field);
            QVERIFY(Focus(w, field));
            edit->clear();
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("1.5-x"));
            QCoreApplication::sendEvent(QGuiApplication::focusObject(), &commit);
            QCOMPARE(edit->text(), QStringLiteral("15"));
        }

        // Pasted text is not filtered.
        QVERIFY(Focus(w, w.ed_MapLat));
        w.ed_MapLat->clear();
        QGuiApplication::clipboard()->setText(QStringLiteral("1.5"));
        QTest::keyClick(w.windowHandle(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w.ed_MapLat->text(), QStringLiteral("1.5"));
        QVERIFY(messages.isEmpty());
    }

    // Alt+letter is the window's shortcut whichever field has the focus: the field types
    // nothing and the button's action starts. Ctrl+letter is never typed either.
    void altShortcutsWorkFromEveryField()
    {
        TFrmMain w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.lblIDMouseDown(Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier); // every field shown
        // The bulk buttons take their shortcuts only while enabled; with the port closed their
        // action ends at once (the box it shows is caught).
        w.SetCommandButtonsEnabled(true);
        QSignalSpy writeAll(w.btnWriteAll, &QPushButton::clicked);
        QSignalSpy readAll(w.btnReadAll, &QPushButton::clicked);
        QSignalSpy factory(w.btnDefault, &QPushButton::clicked);
        // The fence editor's fields too (shown as Edit shows it; Edit itself needs a map).
        w.pgCtrl->setCurrentWidget(w.tsGeo);
        w.GeoPage->pnlGeoEdit->show();
        QVERIFY(w.GeoPage->pnlGeoEdit->isVisible());
        int fields = 0;
        QStringList skipped;
        for (QLineEdit* edit : w.findChildren<QLineEdit*>()) {
            // Read-only and hidden fields take no typing.
            QWidget* field = edit;
            if (auto* combo = qobject_cast<QComboBox*>(edit->parentWidget()); combo && combo->lineEdit() == edit)
                field = combo;
            if (auto* spin = qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
                field = spin;
            if (edit->isReadOnly() || !field->isEnabled() || !TabOrderNamesContain(field)) {
                skipped << field->objectName();
                continue;
            }
            for (int i = 0; i < w.pgCtrl->count(); ++i)
                if (w.pgCtrl->widget(i)->isAncestorOf(field))
                    w.pgCtrl->setCurrentIndex(i);
            if (!field->isVisible())
                continue;
            ++fields;
            QVERIFY2(Focus(w, field), qPrintable(field->objectName()));
            edit->setText(QStringLiteral("12"));
            const int writes = int(writeAll.count()), reads = int(readAll.count()), defaults = int(factory.count());
            QTest::keyClick(w.windowHandle(), Qt::Key_W, Qt::AltModifier);
            QVERIFY2(QTest::qWaitFor([&] { return writeAll.count() == writes + 1; }, 2000),
                     qPrintable(field->objectName() + ": Alt+W did not start Write All"));
            QTest::keyClick(w.windowHandle(), Qt::Key_A, Qt::AltModifier);
            QVERIFY2(QTest::qWaitFor([&] { return readAll.count() == reads + 1; }, 2000),
                     qPrintable(field->objectName() + ": Alt+A did not start Read All"));
            w.SetCommandButtonsEnabled(true);
            QTest::keyClick(w.windowHandle(), Qt::Key_D, Qt::AltModifier);
            QVERIFY2(QTest::qWaitFor([&] { return factory.count() == defaults + 1; }, 2000),
                     qPrintable(field->objectName() + ": Alt+D did not start Factory Default"));
            // While an exchange runs (the buttons disabled) the same keys start nothing and type
            // nothing, and neither does Ctrl with a letter or Alt with a digit.
            w.SetCommandButtonsEnabled(false);
            QTest::keyClick(w.windowHandle(), Qt::Key_W, Qt::AltModifier);
            QTest::keyClick(w.windowHandle(), Qt::Key_1, Qt::AltModifier);
            QTest::keyClick(w.windowHandle(), Qt::Key_J, Qt::ControlModifier);
            QTest::qWait(50);
            QCOMPARE(writeAll.count(), writes + 1);
            QVERIFY2(edit->text() == QStringLiteral("12"),
                     qPrintable(field->objectName() + " now holds \"" + edit->text() + "\""));
            // Keys without Alt still type.
            QTest::keyClick(w.windowHandle(), Qt::Key_3);
            QVERIFY2(edit->text() == QStringLiteral("123"), qPrintable(field->objectName()));
            w.SetCommandButtonsEnabled(true);
        }
        qInfo("%d text fields tried; read-only, disabled or not a field of the window: %s", fields,
              qPrintable(skipped.join(", ")));
        QVERIFY2(fields >= 25, qPrintable(QString::number(fields)));
    }

    void idLabelShowsAndHidesTheAdvancedControls()
    {
        TFrmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const auto shown = [&] {
            return w.btnShowMsg->isVisible() && w.gbGPRS->isVisibleTo(w.tsMain) &&
                   w.pgCtrl->isTabVisible(w.pgCtrl->indexOf(w.tsAdvOperation));
        };
        const auto hidden = [&] {
            return !w.btnShowMsg->isVisible() && !w.gbGPRS->isVisibleTo(w.tsMain) &&
                   !w.pgCtrl->isTabVisible(w.pgCtrl->indexOf(w.tsAdvOperation));
        };
        QTest::mouseClick(w.lblID, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(shown());
        QTest::mouseClick(w.lblID, Qt::LeftButton, Qt::ControlModifier); // any other press hides
        QVERIFY(hidden());
        QTest::mouseClick(w.lblID, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(shown());
        QTest::mouseClick(w.lblID, Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(hidden());
    }

    void textsFromTheTrackerShowAsText()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.Firmware = "<b>V1</b>";
        sim.SetState(state);
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.AddPort(sim.DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        w.StatusPanel->sbT01->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusPanel->lblVersion->text(), QStringLiteral("<b>V1</b>"), 5000);
        // Every label of the window: none guesses markup from what it is given.
        for (const QLabel* label : w.findChildren<QLabel*>())
            QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    }
};

QTEST_MAIN(TestWindowKeys)
#include "test_window_keys.moc"
