// What an open that was refused tells the user: the group that owns a device the user may not
// open (tried as the unprivileged user "nobody" on a real pseudo-terminal), and the program that
// holds a port already in use (a second process of this test).
#include "link/ComPort.h"
#include "link/ComPortError.h"
#include "sim/PseudoTerminal.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Self() { return QCoreApplication::applicationFilePath(); }

QString AdviceName(TOpenAdvice advice)
{
    switch (advice) {
    case TOpenAdvice::None: return "none";
    case TOpenAdvice::JoinGroup: return "join-group";
    case TOpenAdvice::LogInAgain: return "log-in-again";
    case TOpenAdvice::AskAdministrator: return "ask-administrator";
    case TOpenAdvice::ClosedElsewhere: return "closed-elsewhere";
    }
    return "?";
}

// Child: opens the device once and prints what a user would be told, on one line.
int OpenOnce(const QString& device)
{
    TComPort port;
    port.SetPort(device);
    try {
        port.OpenPort();
        port.ClosePort();
        printf("opened\n");
    } catch (const EComPort& e) {
        const TOpenFailureDetail d = DescribeOpenFailure(device, e.SystemError());
        printf("%s|%s|%s|%s\n", qPrintable(e.Message()), qPrintable(AdviceName(d.Advice)), qPrintable(d.GroupName),
               qPrintable(d.OwnerName));
    }
    return 0;
}

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

QString RunAsNobody(const QString& setpriv, const QStringList& groups, const QString& device)
{
    QStringList args = {"--reuid=nobody", "--regid=nogroup"};
    args << (groups.isEmpty() ? QStringList{"--clear-groups"} : QStringList{"--groups=" + groups.join(',')});
    args << Self() << "--open-once" << device;
    QProcess child;
    child.start(setpriv, args);
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
        return "<did not end>";
    }
    return QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed() +
           QString::fromLocal8Bit(child.readAllStandardError()).trimmed();
}

} // namespace

class TestOpenAdvice : public QObject {
    Q_OBJECT
private slots:
    void accessDeniedNamesTheDevicesGroup()
    {
        const QString setpriv = QStandardPaths::findExecutable("setpriv");
        if (geteuid() != 0 || setpriv.isEmpty())
            QSKIP("needs root and setpriv (util-linux) to give a device away and open it as nobody");
        const group* dialout = getgrnam("dialout");
        QVERIFY2(dialout, "the group dialout (Debian's owner of serial devices) is missing");
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        const QByteArray path = QFile::encodeName(pty.DevicePath());
        // As udev leaves a USB serial adapter: root's, group dialout, read and write for both.
        QVERIFY(chown(path.constData(), 0, dialout->gr_gid) == 0);
        QVERIFY(chmod(path.constData(), 0660) == 0);

        const QString refused = "Unable to open com port (Error: 13)";
        QCOMPARE(RunAsNobody(setpriv, {}, pty.DevicePath()), refused + "|join-group|dialout|root");
        // In the group, the same user opens it.
        QCOMPARE(RunAsNobody(setpriv, {"dialout"}, pty.DevicePath()), QStringLiteral("opened"));
        // Only the owner may use it: joining a group would not help.
        QVERIFY(chmod(path.constData(), 0600) == 0);
        QCOMPARE(RunAsNobody(setpriv, {}, pty.DevicePath()), refused + "|ask-administrator|dialout|root");
        QCOMPARE(RunAsNobody(setpriv, {"dialout"}, pty.DevicePath()), refused + "|ask-administrator|dialout|root");
        // root's own group is never the advice.
        QVERIFY(chown(path.constData(), 0, 0) == 0);
        QVERIFY(chmod(path.constData(), 0660) == 0);
        QCOMPARE(RunAsNobody(setpriv, {}, pty.DevicePath()), refused + "|ask-administrator|root|root");
    }

    void portInUseNamesTheProgramHoldingIt()
    {
        TPseudoTerminal pty;
        QVERIFY(pty.Open());
        QProcess holder;
        holder.start(Self(), {"--hold", pty.DevicePath()});
        QVERIFY(holder.waitForStarted(10000));
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAllStandardOutput().trimmed(), QByteArray("held"));
        const auto release = qScopeGuard([&] {
            holder.closeWriteChannel();
            holder.waitForFinished(10000);
        });

        TComPort port;
        port.SetPort(pty.DevicePath());
        int error = 0;
        try {
            port.OpenPort();
        } catch (const EComPort& e) {
            error = e.SystemError();
            QCOMPARE(e.Message(), QStringLiteral("Unable to open com port (Error: 16)"));
        }
        QCOMPARE(error, EBUSY);
        const TOpenFailureDetail d = DescribeOpenFailure(pty.DevicePath(), error);
        QCOMPARE(d.Advice, TOpenAdvice::ClosedElsewhere);
        QStringList holders;
        for (const TPortHolder& h : d.Holders)
            holders << QStringLiteral("%1 %2").arg(h.Name).arg(h.Pid);
        const QString expected = QStringLiteral("%1 %2").arg(QFileInfo(Self()).fileName()).arg(holder.processId());
        QVERIFY2(holders.contains(expected), qPrintable(holders.join(", ") + " lacks " + expected));

        // Other failures add nothing.
        QCOMPARE(DescribeOpenFailure("/dev/no-such-tty", ENOENT).Advice, TOpenAdvice::None);
        QCOMPARE(DescribeOpenFailure("/dev/no-such-tty", EACCES).Advice, TOpenAdvice::None);
    }
};

int main(int argc, char* argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--open-once") {
        QCoreApplication app(argc, argv);
        return OpenOnce(QString::fromLocal8Bit(argv[2]));
    }
    if (argc >= 3 && QByteArray(argv[1]) == "--hold") {
        QCoreApplication app(argc, argv);
        return Hold(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    TestOpenAdvice test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_open_advice.moc"
