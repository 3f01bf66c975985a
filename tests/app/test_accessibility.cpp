// The window as screen readers, test tools and keyboard users meet it, against the simulated
// tracker on a real pseudo-terminal: the status displays' names, values, tooltips and change
// events through Qt's accessibility interface, the tab order, and the "&" shortcuts.
#include "app/ComLed.h"
#include "app/FrmMain.h"
#include "app/SegmentProgressBar.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"
#include "params/StatusPanel.h"
#include "sim/SimTracker.h"

#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// One accessibility event as a client hears it.
struct THeard {
    QAccessible::Event Type;
    QString Object;
    QVariant Value;
};
QList<THeard> heard;

void Hear(QAccessibleEvent* event)
{
    THeard h{event->type(), event->object() ? event->object()->objectName() : QString(), QVariant()};
    if (event->type() == QAccessible::ValueChanged)
        h.Value = static_cast<QAccessibleValueChangeEvent*>(event)->value();
    else if (event->type() == QAccessible::TextUpdated)
        h.Value = static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
    heard << h;
}

bool Heard(QAccessible::Event type, const QString& object, const QVariant& value = QVariant())
{
    return std::any_of(heard.cbegin(), heard.cend(), [&](const THeard& h) {
        return h.Type == type && h.Object == object && (!value.isValid() || h.Value == value);
    });
}

// The named control that has the focus: inner parts (a tab bar, a combo box's field) count as
// the control they belong to.
QString FocusName()
{
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            return w->objectName();
    return QString();
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;
    TSimTracker* sim = nullptr;

    static QAccessibleInterface* Iface(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

    // A shown and active window, so that Tab and the shortcuts reach it.
    static bool Activate(TFrmMain& w)
    {
        w.show();
        QApplication::setActiveWindow(&w);
        return QTest::qWaitForWindowActive(&w);
    }

    bool ExchangeDone(TFrmMain& w, int commands)
    {
        return QTest::qWaitFor([&] { return sim->ReceivedCommands().size() >= commands && !w.Queue().IsBusy(); },
                               15000);
    }

private slots:
    void initTestCase()
    {
        // What a screen reader's arrival does: without it Qt drops every accessibility event.
        QPlatformAccessibility* platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
        QVERIFY(platform);
        platform->setActive(true);
    }
    void init()
    {
        dir = new QTemporaryDir;
        SetAppDataFolder(dir->path());
        messages.clear();
        heard.clear();
        Dialogs::SetMessageHandler([this](const TMessageRequest& r) { messages << r; });
        sim = new TSimTracker;
        QVERIFY(sim->Start());
    }
    void cleanup()
    {
        QAccessible::installUpdateHandler(nullptr);
        delete sim;
        sim = nullptr;
        Dialogs::SetMessageHandler(nullptr);
        Dialogs::SetFileHandler(nullptr);
        delete dir;
        dir = nullptr;
    }

    void statusDisplaysTellTheTrackersValues()
    {
        TSimState state = sim->State();
        state.Identifier = "0000012345";
        state.GsmLevel = "19"; // shown as 19 / 6 = 3
        state.GpsLevel = "2";
        state.BatteryLevel = "60";
        sim->SetState(state);
        QAccessible::installUpdateHandler(&Hear);
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        TStatusPanel& s = *w.StatusPanel;

        QAccessibleInterface* lamp = Iface(w.ComLed1);
        QVERIFY(lamp);
        QCOMPARE(lamp->role(), QAccessible::Indicator);
        QCOMPARE(lamp->text(QAccessible::Name), QStringLiteral("Connection"));
        QCOMPARE(lamp->text(QAccessible::Value), QStringLiteral("closed"));
        QVERIFY(!lamp->state().checked);
        QCOMPARE(w.ComLed1->toolTip(), QStringLiteral("Connection: closed"));

        w.AddPort(sim->DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        QCOMPARE(lamp->text(QAccessible::Value), QStringLiteral("open"));
        QVERIFY(lamp->state().checked);
        QCOMPARE(w.ComLed1->toolTip(), QStringLiteral("Connection: open"));
        QVERIFY(Heard(QAccessible::StateChanged, QStringLiteral("ComLed1")));

        heard.clear();
        s.sbT01->click();
        QVERIFY(ExchangeDone(w, 2));
        // The charging animation starts with the status answer; its first step comes a second
        // later and would put the battery at 0.
        s.tmBatteyCharging().stop();
        QCOMPARE(s.RzMeter_Battery->Value(), 60);

        QAccessibleInterface* id = Iface(s.RzMeter_LED);
        QVERIFY(id);
        QCOMPARE(id->role(), QAccessible::StaticText);
        QCOMPARE(id->text(QAccessible::Name), QStringLiteral("ID:"));
        QCOMPARE(id->text(QAccessible::Value), QStringLiteral("0000012345"));
        QVERIFY(id->textInterface());
        QCOMPARE(id->textInterface()->text(0, id->textInterface()->characterCount()), QStringLiteral("0000012345"));
        QCOMPARE(s.RzMeter_LED->toolTip(), QStringLiteral("ID: 0000012345"));
        QVERIFY(Heard(QAccessible::TextUpdated, QStringLiteral("RzMeter_LED"), QStringLiteral("0000012345")));

        const struct {
            TBarMeter* Meter;
            const char* Name;
            const char* Value;
            int Current;
            int Maximum;
        } meters[] = {
            {s.RzMeter_GSM, "GSM:", "3 / 5", 3, 5},
            {s.RzMeter_GPS, "GPS:", "2 / 5", 2, 5},
            {s.RzMeter_Battery, "Battery:", "60%", 60, 100},
        };
        for (const auto& m : meters) {
            QAccessibleInterface* meter = Iface(m.Meter);
            QVERIFY(meter);
            QCOMPARE(meter->role(), QAccessible::ProgressBar);
            QCOMPARE(meter->text(QAccessible::Name), QString::fromLatin1(m.Name));
            QCOMPARE(meter->text(QAccessible::Value), QString::fromLatin1(m.Value));
            QVERIFY(meter->valueInterface());
            QCOMPARE(meter->valueInterface()->currentValue().toInt(), m.Current);
            QCOMPARE(meter->valueInterface()->maximumValue().toInt(), m.Maximum);
            QCOMPARE(m.Meter->toolTip(), QStringLiteral("%1 %2").arg(m.Name, m.Value));
            QVERIFY2(Heard(QAccessible::ValueChanged, m.Meter->objectName(), m.Current), m.Name);
        }

        QAccessibleInterface* bar = Iface(w.rgbBar);
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::ProgressBar);
        // The first answer counted one of two; the exchange's end puts the count back to 0.
        QVERIFY(Heard(QAccessible::ValueChanged, QStringLiteral("rgbBar"), 1));
        QCOMPARE(bar->text(QAccessible::Value), QStringLiteral("0 / 2"));
        QCOMPARE(bar->valueInterface()->currentValue().toInt(), 0);
        QCOMPARE(bar->valueInterface()->maximumValue().toInt(), 2);
        QCOMPARE(w.rgbBar->toolTip(), QStringLiteral("Commands done: 0 / 2"));

        // Closing the port puts the battery at 0: a change a screen reader hears as well.
        heard.clear();
        w.btn_Switch->click();
        QCOMPARE(lamp->text(QAccessible::Value), QStringLiteral("closed"));
        QCOMPARE(Iface(s.RzMeter_Battery)->text(QAccessible::Value), QStringLiteral("0%"));
        QVERIFY(Heard(QAccessible::ValueChanged, QStringLiteral("RzMeter_Battery"), 0));
        QVERIFY(Heard(QAccessible::StateChanged, QStringLiteral("ComLed1")));
        // The status button has a picture only; its name says what it does.
        QCOMPARE(Iface(s.sbT01)->text(QAccessible::Name), QStringLiteral("Read the tracker's status"));
        QVERIFY(messages.isEmpty());
    }

    // The charging animation draws 0, 20, ... 100 on the battery meter while the tracker said 80:
    // what the meter tells (tooltip, screen readers) is the level answered, at every step.
    void batteryTellsTheAnsweredLevelWhileItAnimates()
    {
        TSimState state = sim->State();
        state.BatteryLevel = "80";
        sim->SetState(state);
        QAccessible::installUpdateHandler(&Hear);
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        TStatusPanel& s = *w.StatusPanel;
        w.AddPort(sim->DevicePath());
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        heard.clear();
        s.sbT01->click();
        QVERIFY(ExchangeDone(w, 2));
        QVERIFY(s.tmBatteyCharging().isActive());

        // What a user and a screen reader get at each step the animation draws.
        QList<int> drawn;
        QStringList tips, values;
        QList<int> current;
        connect(s.RzMeter_Battery, &TBarMeter::ValueChanged, this, [&](int value) {
            drawn << value;
            tips << s.RzMeter_Battery->toolTip();
            values << Iface(s.RzMeter_Battery)->text(QAccessible::Value);
            current << Iface(s.RzMeter_Battery)->valueInterface()->currentValue().toInt();
        });
        QTRY_VERIFY_WITH_TIMEOUT(drawn.size() >= 3, 5000);
        QVERIFY2(QSet<int>(drawn.cbegin(), drawn.cend()).size() >= 3, "the animation goes on");
        for (int i = 0; i < drawn.size(); ++i) {
            QCOMPARE(tips[i], QStringLiteral("Battery: 80%"));
            QCOMPARE(values[i], QStringLiteral("80%"));
            QCOMPARE(current[i], 80);
        }
        // A screen reader heard the level once, never a step of the animation.
        QList<QVariant> told;
        for (const THeard& h : heard)
            if (h.Type == QAccessible::ValueChanged && h.Object == QLatin1String("RzMeter_Battery"))
                told << h.Value;
        QCOMPARE(told, QList<QVariant>({80}));

        // A battery report of the tracker's own (command 16) is the level told from then on.
        state.BatteryLevel = "45";
        sim->SetState(state);
        sim->SendBatteryReport();
        QTRY_COMPARE_WITH_TIMEOUT(s.RzMeter_Battery->toolTip(), QStringLiteral("Battery: 45%"), 3000);
        QVERIFY(Heard(QAccessible::ValueChanged, QStringLiteral("RzMeter_Battery"), 45));
        const int before = drawn.size();
        QTRY_VERIFY_WITH_TIMEOUT(drawn.size() > before + 1, 3500);
        QCOMPARE(tips.last(), QStringLiteral("Battery: 45%"));

        // The port switch ends the animation: 0 drawn and told.
        w.btn_Switch->click();
        QCOMPARE(s.RzMeter_Battery->Value(), 0);
        QCOMPARE(Iface(s.RzMeter_Battery)->text(QAccessible::Value), QStringLiteral("0%"));
        QVERIFY(messages.isEmpty());
    }

    void tabVisitsTheMainSettingsPageInReadingOrder()
    {
        TFrmMain w;
        w.AddPort(sim->DevicePath());
        QVERIFY(Activate(w));
        w.btn_Switch->click(); // the command buttons take part only while the port is open
        QVERIFY(w.ComPort.Connected());
        w.btn_Switch->setFocus();
        QCOMPARE(FocusName(), QStringLiteral("btn_Switch"));
        const QStringList expected = {
            "btnShowMsg", "sbT01", "pgCtrl",
            "txtAlias", "cboBatteryAlert", "txtTimeDifferent", "txtGSensorParam", "btnCenterNumberRead",
            "btnCenterNumberSet", "txtIPAddress", "txtPort", "txtAPN", "txtAPNUsername", "txtAPNPassword",
            "btnGprsRead", "btnGprsSet", "RBtn_Main_01", "RCox_KeepAlive", "RzSpinEdit_KeepAlive", "cbUpLoadMode",
            "CBox_UploadingInterval", "btnWorkModeRead", "btnWorkModeSet", "edtVIP_1", "edtVIP_2", "edtVIP_3",
            "edtVIP_4", "edtVIP_5", "btnVipCfgRead", "btnVipCfgSet",
            "btnReadAll", "btnWriteAll", "btnDefault", "cbTipOnOK", "cbVerifyWrite", "cbLanguage", "btnSave",
            "btnLoad", "btnCompare", "btnProvision",
            "btn_Switch", // round again: nothing else is on the way
        };
        QStringList visited;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << FocusName();
        }
        QCOMPARE(visited, expected);

        // The alarm groups from the left; in each, Tab stops at the chosen answer only.
        w.pgCtrl->setCurrentWidget(w.tsAlarm);
        w.pgCtrl->setFocus();
        const QStringList alarms = {"RdGrp_01_0", "RdGrp_02_0", "RdGrp_03_0", "RdGrp_04_0", "RdGrp_05_0",
                                    "btnAlarmRead", "btnAlarmSet", "btnReadAll"};
        visited.clear();
        for (qsizetype i = 0; i < alarms.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << FocusName();
        }
        QCOMPARE(visited, alarms);
    }

    void captionShortcutsPressTheirButtons()
    {
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        // One exchange per key: no read-back after Write All.
        if (auto* verify = w.findChild<QCheckBox*>(QStringLiteral("cbVerifyWrite")))
            verify->setChecked(false);
        w.AddPort(sim->DevicePath());
        QVERIFY(Activate(w));
        // A shortcut presses its button visibly, so the click comes a moment later.
        QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(w.ComPort.Connected());
        QTest::keyClick(&w, Qt::Key_A, Qt::AltModifier);
        QVERIFY(ExchangeDone(w, 16));
        QCOMPARE(sim->ReceivedCommands().size(), 16);
        QCOMPARE(sim->ReceivedCommands().first(), QByteArray("(P01,0)"));

        sim->ClearReceivedCommands();
        QTest::keyClick(&w, Qt::Key_W, Qt::AltModifier);
        QVERIFY(ExchangeDone(w, 1));
        QVERIFY(sim->ReceivedCommands().first().startsWith("(P17,1"));

        sim->ClearReceivedCommands();
        QTest::keyClick(&w, Qt::Key_D, Qt::AltModifier);
        QVERIFY(ExchangeDone(w, 1));
        QCOMPARE(sim->ReceivedCommands(), QList<QByteArray>{"(P20)"});

        // Save names the file after the identifier read above; Load asks for a file.
        const QString saved = QDir(AppDataPath(QStringLiteral("param"))).filePath(QStringLiteral("0123456789.cfg"));
        QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY2(QFile::exists(saved), qPrintable(saved));
        int asked = 0;
        Dialogs::SetFileHandler([&](const TFileRequest&) {
            ++asked;
            return QString();
        });
        QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
        QTRY_COMPARE(asked, 1);

        QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(!w.ComPort.Connected());
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
