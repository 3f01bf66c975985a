// The port switch of the whole window when the port cannot be had: the error's own text stays
// first in its box, and one line below it names the program that holds the port. Also the
// port list's tooltips. (Access refused by the device's group is tried as "nobody" in
// tests/link/test_open_advice.cpp.)
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "sim/PseudoTerminal.h"

#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

// Child: holds the device open until its standard input closes.
int Hold(const QString& device)
{
    TComPort port;
    port.SetPort(device);
    port.OpenPort();
    printf("held\n");
    fflush(stdout);
    char c;
    while (read(0, &c, 1) > 0) {
    }
    port.ClosePort();
    return 0;
}

} // namespace

class TestPortHints : public QObject {
    Q_OBJECT
private slots:
    void busyPortNamesItsHolderBelowTheErrorText()
    {
        QTemporaryDir dir;
        SetAppDataFolder(dir.path());
        QList<TMessageRequest> messages;
        Dialogs::SetMessageHandler([&](const TMessageRequest& r) { messages << r; });
        const auto restore = qScopeGuard([] { Dialogs::SetMessageHandler(nullptr); });

        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        TFrmMain w;
        const int32_t number = w.AddPort(pty.DevicePath());
        // Each item's tooltip is its device (a pseudo-terminal has no stable by-id name).
        const int item = w.cboCOMIndex->findText(QString::number(number));
        QCOMPARE(w.cboCOMIndex->itemData(item, Qt::ToolTipRole).toString(), pty.DevicePath());
        QCOMPARE(w.cboCOMIndex->toolTip(), pty.DevicePath());

        QProcess holder;
        holder.start(QCoreApplication::applicationFilePath(), {"--hold", pty.DevicePath()});
        QVERIFY(holder.waitForStarted(10000));
        QVERIFY(holder.waitForReadyRead(10000));
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY(!w.ComPort.Connected());
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Caption, QStringLiteral("ERROR"));
        const QStringList lines = messages[0].Text.split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("Unable to open com port (Error: 16)"));
        QCOMPARE(lines[1], pty.DevicePath() + QStringLiteral(": Device or resource busy"));
        QVERIFY2(lines[2].startsWith("Another program holds the port: ") &&
                     lines[2].contains(QStringLiteral("(process %1)").arg(holder.processId())),
                 qPrintable(lines[2]));

        // Once the other program has let go, the port opens.
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        messages.clear();
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QVERIFY2(w.ComPort.Connected(), qPrintable(messages.value(0).Text));
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);

        // A failure with no advice: the error's text and the device with the system's reason.
        messages.clear();
        w.cboCOMIndex->setEditText("999");
        QTest::mouseClick(w.btn_Switch, Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].Text, QStringLiteral("Unable to open com port (Error: 2)\nCOM999: No such file or directory"));
    }
};

int main(int argc, char* argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        return Hold(QString::fromLocal8Bit(argv[2]));
    }
    QApplication app(argc, argv);
    TestPortHints test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_port_hints.moc"
