// What a user types or a line does never ends the program, through the whole window against the
// simulated tracker on a real pseudo-terminal: a send that fails is shown in a box, an over-long
// value is refused before anything goes out, and numbers go on the wire as ASCII digits in any
// locale. The test runs inside the program's own application object, whose last-line guard must
// never be reached by the program's handlers.
#include "app/Application.h"
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "core/IniText.h"
#include "params/AppParamsConfig.h"
#include "params/LedDisplay.h"
#include "params/StatusPanel.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>
#include <dlfcn.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The port's purge at close can be made to fail for one descriptor: this executable's own
// tcflush stands in front of the C library's.
int FailFlushOn = -1;

} // namespace

extern "C" int tcflush(int fd, int queueSelector)
{
    if (fd == FailFlushOn) {
        errno = EACCES;
        return -1;
    }
    using TFlush = int (*)(int, int);
    static const auto real = reinterpret_cast<TFlush>(dlsym(RTLD_NEXT, "tcflush"));
    return real(fd, queueSelector);
}

namespace {

// A handler of the kind the guard stands behind: it lets an error through.
class TThrowingObject : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("raised inside an event handler");
        return QObject::event(e);
    }
};

} // namespace

class TestUserEdge : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

    // Key presses carrying any text, as a keyboard of that language gives them.
    static void TypeText(QWidget* target, const QString& text)
    {
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    QPushButton* Button(TFrmMain& w, const char* name) { return w.findChild<QPushButton*>(name); }

    bool Open(TFrmMain& w, TSimTracker& sim)
    {
        if (!sim.Start())
            return false;
        w.AddPort(sim.DevicePath());
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        return w.ComPort.Connected();
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
        QCOMPARE(TApplication::EscapedCount(), 0); // every handler caught its own errors
        Dialogs::SetMessageHandler(nullptr);
        QLocale::setDefault(QLocale::c());
        delete dir;
        dir = nullptr;
    }

    void guardShowsWhatEscapesAndKeepsRunning()
    {
        TThrowingObject o;
        QCoreApplication::postEvent(&o, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&o);
        QCOMPARE(TApplication::EscapedCount(), 1);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QStringLiteral("ERROR"));
        QCOMPARE(messages[0].Text, QStringLiteral("raised inside an event handler"));
        // The loop goes on: a later event is delivered as usual.
        bool later = false;
        QTimer::singleShot(0, [&] { later = true; });
        QTRY_VERIFY(later);
        // Counted for this test only: the other tests check that nothing reaches the guard.
        TApplication::ResetEscapedCount();
    }

    void failedWriteIsShownAndEndsTheExchange()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.StopsReading = true;
        sim.SetFaults(faults);
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.findChild<QCheckBox*>("cbVerifyWrite")->setChecked(false); // the writes alone are counted
        QVERIFY(Open(w, sim));
        // The tracker reads nothing: fill the line until no room is left.
        const QByteArray chunk(4096, 'f');
        for (;;) {
            if (::write(w.ComPort.Handle(), chunk.constData(), size_t(chunk.size())) > 0)
                continue;
            pollfd p{w.ComPort.Handle(), POLLOUT, 0};
            if (poll(&p, 1, 200) == 0)
                break;
        }
        Button(w, "btnGprsRead")->click();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QStringLiteral("ERROR"));
        QCOMPARE(messages[0].Text, QStringLiteral("WriteFile function failed (Error: 110)"));
        // The exchange is over, not left to a time-out, and nothing more is queued.
        QVERIFY(!w.Queue().IsBusy());
        QCOMPARE(w.Queue().Count(), 0);
        QVERIFY(Button(w, "btnGprsRead")->isEnabled());
        // Write All stops at its first failed send the same way.
        Button(w, "btnWriteAll")->click();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(w.Queue().Count(), 0);
        QVERIFY(!w.Queue().IsBusy());
    }

    void failedCloseStillLeavesTheWindowClosed()
    {
        TSimTracker sim;
        TFrmMain w;
        QVERIFY(Open(w, sim));
        FailFlushOn = w.ComPort.Handle();
        const auto restore = qScopeGuard([] { FailFlushOn = -1; });
        w.btn_Switch->click();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QStringLiteral("ERROR"));
        QCOMPARE(messages[0].Text, QStringLiteral("PurgeComm function failed (Error: 13)"));
        // Closed all through: the port, the fields, the buttons and the caption.
        QVERIFY(!w.ComPort.Connected());
        QVERIFY(w.cboCOMIndex->isEnabled());
        QVERIFY(w.txtBAUD->isEnabled());
        QVERIFY(!Button(w, "btnReadAll")->isEnabled());
        QCOMPARE(w.btn_Switch->text(), QStringLiteral("Open[&O]"));
        // And it opens again.
        FailFlushOn = -1;
        w.btn_Switch->click();
        QVERIFY(w.ComPort.Connected());
        QCOMPARE(messages.size(), 1);
    }

    void overLongValuesAreRefusedBeforeAnythingIsSent()
    {
        TSimTracker sim;
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.findChild<QCheckBox*>("cbVerifyWrite")->setChecked(false); // the writes alone are counted
        QVERIFY(Open(w, sim));
        const QString longText(300, QLatin1Char('7'));
        struct TCase {
            const char* Field;
            const char* Button;
            QString Label; // the field's name in the box
        };
        const TCase cases[] = {
            {"txtAlias", "btnCenterNumberSet", "Another Name"},
            {"txtTimeDifferent", "btnCenterNumberSet", "Time difference"},
            {"txtGSensorParam", "btnCenterNumberSet", "G-sensor parameter"},
            {"cboBatteryAlert", "btnCenterNumberSet", "Low Battery"},
            {"txtIPAddress", "btnGprsSet", "IP address"},
            {"txtPort", "btnGprsSet", "Port"},
            {"txtAPN", "btnGprsSet", "APN"},
            {"txtAPNUsername", "btnGprsSet", "APN User"},
            {"txtAPNPassword", "btnGprsSet", "APN Pass"},
            {"edtVIP_3", "btnVipCfgSet", "VIP Number 3"},
        };
        for (const TCase& c : cases) {
            for (const char* button : {c.Button, "btnWriteAll"}) {
                QLineEdit* edit = w.findChild<QLineEdit*>(c.Field);
                if (!edit)
                    edit = w.findChild<QComboBox*>(c.Field)->lineEdit();
                const QString kept = edit->text();
                edit->setText(longText);
                messages.clear();
                sim.ClearReceivedCommands();
                Button(w, button)->click();
                QTest::qWait(200); // anything queued would have gone out by now
                edit->setText(kept);
                const QString where = QStringLiteral("%1 / %2").arg(c.Field, button);
                QVERIFY2(sim.ReceivedCommands().isEmpty(), qPrintable(where));
                QCOMPARE(w.Queue().Count(), 0);
                QVERIFY2(messages.size() == 1, qPrintable(where));
                QVERIFY2(messages[0].Text.contains("\"" + c.Label + "\"") && messages[0].Text.contains("too long"),
                         qPrintable(where + ": " + messages[0].Text));
            }
        }
        // A value that fits goes out as before.
        w.findChild<QLineEdit*>("txtAPN")->setText(QString(200, QLatin1Char('a')));
        messages.clear();
        Button(w, "btnGprsSet")->click();
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands().size(), 1, 5000);
        QVERIFY(messages.isEmpty());
    }

    void numbersGoOutAsAsciiDigitsInEveryLocale()
    {
        for (const QLocale& locale : {QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::Persian, QLocale::Iran)}) {
            QLocale::setDefault(locale);
            TSimTracker sim;
            TFrmMain w;
            w.cbTipOnOK->setChecked(false);
            w.findChild<QCheckBox*>("cbVerifyWrite")->setChecked(false);
            QVERIFY(Open(w, sim));
            Button(w, "btnReadAll")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!w.StatusPanel->RzMeter_LED->Text().isEmpty() && !w.Queue().IsBusy(), 10000);
            w.findChild<QCheckBox*>("RCox_KeepAlive")->setChecked(true);
            // Typed in the locale's own digits and not confirmed: no Enter, no focus change.
            auto* spin = w.findChild<QSpinBox*>("RzSpinEdit_KeepAlive");
            spin->selectAll();
            TypeText(spin, locale.toString(600));
            QVERIFY2(spin->text() != QStringLiteral("600"), qPrintable(spin->text())); // the locale's own digits
            sim.ClearReceivedCommands();
            Button(w, "btnWorkModeSet")->click();
            QTRY_VERIFY_WITH_TIMEOUT(sim.ReceivedCommands().size() == 3 && !w.Queue().IsBusy(), 5000);
            QVERIFY2(sim.ReceivedCommands().contains("(P18,1,600)"), sim.ReceivedCommands().join(' ').constData());
            // Save takes the same value, as ASCII digits in the file.
            spin->selectAll();
            TypeText(spin, locale.toString(900));
            w.btnSave->click(); // the field keeps its focus and its unconfirmed text
            TIniText file;
            const QString path = QDir(dir->path()).filePath("param/" + w.StatusPanel->RzMeter_LED->Text() + ".cfg");
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
            QVERIFY(file.LoadFile(path));
            const QString keepAlive = file.ReadString("Para", ParamsKeys::KeepAliveSeconds, QString());
            QCOMPARE(keepAlive, QStringLiteral("900"));
            QVERIFY(messages.isEmpty());
        }
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestUserEdge test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_user_edge.moc"
