// The COM group of the whole window against the simulated tracker on a real pseudo-terminal.
#include "app/ComLed.h"
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "diag/LogView.h"
#include "link/ComPort.h"
#include "link/SerialBackend.h"
#include "sim/SimTracker.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestPortSwitch : public QObject {
    Q_OBJECT

    QTemporaryDir* dir = nullptr;
    QList<TMessageRequest> messages;

    static QPushButton* Button(TFrmMain& w, const char* name) { return w.findChild<QPushButton*>(name); }
    static QLineEdit* Edit(TFrmMain& w, const char* name) { return w.findChild<QLineEdit*>(name); }

    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // The window's state with the port closed, as after start or after the switch closed it.
    static void VerifyClosed(TFrmMain& w)
    {
        QVERIFY(!w.ComPort.Connected());
        QVERIFY(!w.ComLed1->IsLit());
        QVERIFY(w.cboCOMIndex->isEnabled());
        QVERIFY(w.txtBAUD->isEnabled());
        QVERIFY(w.lblComPort->isEnabled());
        QVERIFY(w.lblBaudRate->isEnabled());
        QCOMPARE(w.btn_Switch->text(), QStringLiteral("Open[&O]"));
        for (const QString& name : TFrmMain::CommandButtonNames())
            if (QWidget* b = w.findChild<QWidget*>(name))
                QVERIFY2(!b->isEnabled(), qPrintable(name));
    }

    static QStringList LogLines(TFrmMain& w)
    {
        auto* log = w.findChild<TLogView*>("mm_Recv");
        return log ? log->Lines() : QStringList();
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

    void openReadAndCloseTheSimulatorsPort()
    {
        TSimTracker sim;
        TSimState state = sim.State();
        state.HotSpotRadius = "777";
        sim.SetState(state);
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        VerifyClosed(w);

        const int32_t number = w.AddPort(sim.DevicePath());
        QCOMPARE(w.cboCOMIndex->currentText(), QString::number(number));
        QCOMPARE(w.cboCOMIndex->itemData(w.cboCOMIndex->currentIndex(), Qt::ToolTipRole).toString(), sim.DevicePath());
        QCOMPARE(w.cboCOMIndex->toolTip(), sim.DevicePath());

        Click(w.btn_Switch);
        QVERIFY(messages.isEmpty());
        QVERIFY(w.ComPort.Connected());
        QCOMPARE(w.ComPort.Port(), sim.DevicePath());
        QVERIFY(w.ComLed1->IsLit());
        QCOMPARE(w.btn_Switch->text(), QStringLiteral("Close[&O]"));
        QVERIFY(w.btn_Switch->styleSheet().contains("#A6CAF0"));
        QVERIFY(!w.cboCOMIndex->isEnabled());
        QVERIFY(!w.txtBAUD->isEnabled());
        for (const QString& name : TFrmMain::CommandButtonNames())
            if (QWidget* b = w.findChild<QWidget*>(name))
                QVERIFY2(b->isEnabled(), qPrintable(name));
        const QStringList log = LogLines(w);
        const QString opened = QStringLiteral(" -- COM%1 = %2").arg(number).arg(sim.DevicePath());
        QVERIFY2(std::any_of(log.cbegin(), log.cend(), [&](const QString& l) { return l.endsWith(opened); }),
                 qPrintable(log.join('\n')));

        // A real exchange: the read goes out framed, the answer fills the field.
        Button(w, "btnSelfHotSpotRead")->click(); // on a page that is not shown
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands(), QList<QByteArray>({"(P09,0)"}), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(Edit(w, "txtRadius")->text(), QStringLiteral("777"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Button(w, "btnSelfHotSpotRead")->isEnabled(), 5000);

        Click(w.btn_Switch);
        QVERIFY(messages.isEmpty());
        VerifyClosed(w);
        QVERIFY(w.btn_Switch->styleSheet().contains("#0000FF"));
    }

    void openingEmptiesTheReceiveBuffer()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        w.AddPort(sim.DevicePath());
        w.Queue().RxBuffer() = QByteArray("!\x06\x09\x10(left,over");
        Click(w.btn_Switch);
        QVERIFY(w.ComPort.Connected());
        QVERIFY(w.Queue().RxBuffer().isEmpty());
    }

    void numbersThatStandForNoDevice_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("unknown number") << "99";
        QTest::newRow("empty field") << "";
    }
    void numbersThatStandForNoDevice()
    {
        QFETCH(QString, number);
        TFrmMain w;
        w.cboCOMIndex->setEditText(number);
        QCOMPARE(w.PortDevice(number), QString());
        Click(w.btn_Switch);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QStringLiteral("ERROR"));
        // The fixed error line first, then the port and the system's reason.
        QCOMPARE(messages[0].Text, QStringLiteral("Unable to open com port (Error: 2)\nCOM%1: No such file or directory")
                                       .arg(number));
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        VerifyClosed(w);
    }

    // The box of a port that did not open names the device and why: a device that is gone, and
    // one that another program (here another port object) holds.
    void openFailureNamesTheDeviceAndTheReason()
    {
        TFrmMain w;
        const QString gone = QDir(dir->path()).filePath("ttyGone0");
        w.AddPort(gone);
        Click(w.btn_Switch);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text.split('\n'),
                 (QStringList{"Unable to open com port (Error: 2)", gone + ": No such file or directory"}));
        VerifyClosed(w);

        TSimTracker sim;
        QVERIFY(sim.Start());
        TComPort holder;
        holder.SetPort(sim.DevicePath());
        holder.OpenPort();
        w.AddPort(sim.DevicePath());
        messages.clear();
        Click(w.btn_Switch);
        QCOMPARE(messages.size(), 1);
        const QStringList lines = messages[0].Text.split('\n');
        QVERIFY2(lines.size() == 3, qPrintable(messages[0].Text));
        QCOMPARE(lines[0], QStringLiteral("Unable to open com port (Error: 16)"));
        QCOMPARE(lines[1], sim.DevicePath() + ": Device or resource busy");
        QVERIFY2(lines[2].startsWith("Another program holds the port"), qPrintable(lines[2]));
        VerifyClosed(w);
        holder.ClosePort();
        messages.clear();
        Click(w.btn_Switch);
        QVERIFY2(w.ComPort.Connected(), qPrintable(messages.value(0).Text));
    }

    void portsNamedInTheSettingsFile()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        QFile settings(SettingsFilePath());
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[ports]\r\n42=" + sim.DevicePath().toLocal8Bit() + "\r\n");
        settings.close();
        TFrmMain w;
        QVERIFY(w.cboCOMIndex->findText("42") >= 0);
        w.cboCOMIndex->setEditText("42");
        Click(w.btn_Switch);
        QVERIFY(messages.isEmpty());
        QVERIFY(w.ComPort.Connected());
        QCOMPARE(w.ComPort.Port(), sim.DevicePath());
    }

    void baudFieldSetsTheLineSpeed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("speed");
        QTest::newRow("115200") << "115200" << 115200;
        QTest::newRow("0") << "0" << 9600;
        QTest::newRow("abc") << "abc" << 9600;
        QTest::newRow("empty") << "" << 9600;
        QTest::newRow("12345") << "12345" << 9600;
    }
    void baudFieldSetsTheLineSpeed()
    {
        QFETCH(QString, text);
        QFETCH(int, speed);
        TSimTracker sim;
        QVERIFY(sim.Start());
        TFrmMain w;
        w.AddPort(sim.DevicePath());
        w.txtBAUD->setText(text);
        Click(w.btn_Switch);
        QVERIFY(w.ComPort.Connected());
        int32_t actual = 0;
        QCOMPARE(SerialBackend::ReadLineSpeed(w.ComPort.Handle(), actual), 0);
        QCOMPARE(actual, speed);
    }

    void portFieldTakesDigitsOnly()
    {
        TFrmMain w;
        w.cboCOMIndex->setEditText(QString());
        QTest::keyClicks(w.cboCOMIndex->lineEdit(), "1a-2.");
        QCOMPARE(w.cboCOMIndex->currentText(), QStringLiteral("12"));
        QTest::keyClick(w.cboCOMIndex->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(w.cboCOMIndex->currentText(), QStringLiteral("1"));
        QVERIFY(TFrmMain::cboCOMIndexKeyPress(QChar('7')));
        QVERIFY(TFrmMain::cboCOMIndexKeyPress(QChar(8)));
        QVERIFY(!TFrmMain::cboCOMIndexKeyPress(QChar('x')));
        QCOMPARE(TFrmMain::BaudTextToRate(0), TBaudRate::brCustom);
    }

    void lostLineClosesThePortAndSaysSoOnce()
    {
        TSimTracker sim;
        TSimFaults faults;
        faults.HangUpAfter = 2;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        TFrmMain w;
        w.cbTipOnOK->setChecked(false);
        w.AddPort(sim.DevicePath());
        Click(w.btn_Switch);
        QVERIFY(w.ComPort.Connected());
        // Five reads of authorization numbers: the tracker answers two and hangs up in the middle.
        Button(w, "btnVipCfgRead")->click();
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 5000);
        QCOMPARE(messages[0].Caption, QStringLiteral("ERROR"));
        QCOMPARE(messages[0].Icon, TMsgIcon::Error);
        QVERIFY2(messages[0].Text.contains("The connection to the tracker was lost"), qPrintable(messages[0].Text));
        // The hang-up is found by the event thread (a read) or by the next send (a write).
        QVERIFY2(messages[0].Text.endsWith("ReadFile function failed (Error: 5)") ||
                     messages[0].Text.endsWith("WriteFile function failed (Error: 5)"),
                 qPrintable(messages[0].Text));
        VerifyClosed(w);
        QVERIFY(w.btn_Switch->styleSheet().contains("#0000FF"));
        QVERIFY(!w.Queue().IsBusy());
        QCOMPARE(w.Queue().Count(), 0);
        const QStringList log = LogLines(w);
        QVERIFY(std::any_of(log.cbegin(), log.cend(),
                            [](const QString& l) { return l.contains("The connection to the tracker was lost"); }));

        // The tracker comes back (on a new device): the port opens again and answers arrive.
        faults.HangUpAfter = 0;
        sim.SetFaults(faults);
        QVERIFY(sim.Start());
        w.AddPort(sim.DevicePath());
        Click(w.btn_Switch);
        QVERIFY(w.ComPort.Connected());
        QVERIFY(w.ComLed1->IsLit());
        sim.ClearReceivedCommands();
        Button(w, "btnSelfHotSpotRead")->click(); // on a page that is not shown
        QTRY_COMPARE_WITH_TIMEOUT(sim.ReceivedCommands(), QList<QByteArray>({"(P09,0)"}), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(Button(w, "btnSelfHotSpotRead")->isEnabled(), 5000);
        QCOMPARE(messages.size(), 1);
    }

    void closingTheWindowClosesThePort()
    {
        TSimTracker sim;
        QVERIFY(sim.Start());
        {
            TFrmMain w;
            w.AddPort(sim.DevicePath());
            Click(w.btn_Switch);
            QVERIFY(w.ComPort.Connected());
            w.close();
            QVERIFY(!w.ComPort.Connected());
            QVERIFY(!w.ComLed1->IsLit());
        }
        // The device is free again.
        TComPort other;
        other.SetPort(sim.DevicePath());
        other.OpenPort();
        QVERIFY(other.Connected());
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TestPortSwitch)
#include "test_port_switch.moc"
