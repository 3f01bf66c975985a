// Port numbers: the settings file's "ports" section and the serial devices found on the machine.
#include "core/IniText.h"
#include "link/PortList.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A tree shaped like /sys/class/tty: one folder per tty, "device/driver" a link to the
// driver's folder, "type" the serial core's port type where the kernel gives one.
class TFakeSysfs {
public:
    QTemporaryDir Root;

    void AddTty(const QString& name, const QString& driver = QString(), const QString& type = QString())
    {
        QDir dir(Root.path());
        dir.mkpath("class/tty/" + name);
        if (!driver.isEmpty()) {
            dir.mkpath("bus/drivers/" + driver);
            dir.mkpath("devices/" + name);
            QFile::link(Root.filePath("devices/" + name), Root.filePath("class/tty/" + name + "/device"));
            QFile::link(Root.filePath("bus/drivers/" + driver), Root.filePath("devices/" + name + "/driver"));
        }
        if (!type.isEmpty()) {
            QFile f(Root.filePath("class/tty/" + name + "/type"));
            f.open(QIODevice::WriteOnly);
            f.write(type.toLatin1() + "\n");
        }
    }
    QString ClassTty() const { return Root.filePath("class/tty"); }
};

QString Listing(const TPortList& list)
{
    QStringList parts;
    for (const TPortEntry& e : list.Listed())
        parts << QString::number(e.Number) + "=" + e.Device;
    return parts.join(' ');
}

} // namespace

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void presentDevicesLeaveOutPhantomUarts()
    {
        TFakeSysfs sys;
        QVERIFY(sys.Root.isValid());
        sys.AddTty("ttyUSB1");
        sys.AddTty("ttyUSB10");
        sys.AddTty("ttyUSB0");
        sys.AddTty("ttyACM0");
        sys.AddTty("ttyS0", "port", "4");           // a 16550A behind it
        sys.AddTty("ttyS1", "port", "0");           // a legacy slot without a UART
        sys.AddTty("ttyS2", "serial8250");          // an older kernel's phantom, no type
        sys.AddTty("ttyAMA0", "uart-pl011");        // a board's UART, no type
        sys.AddTty("tty0");                         // virtual console
        sys.AddTty("console");
        sys.AddTty("ptmx");
        QCOMPARE(PresentSerialDevices(sys.ClassTty(), "/dev"),
                 QStringList({"/dev/ttyACM0", "/dev/ttyAMA0", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB10"}));
        QCOMPARE(PresentSerialDevices(sys.Root.filePath("missing"), "/dev"), QStringList());
    }

    void numbersFromSettingsAndPresentDevices_data()
    {
        QTest::addColumn<QByteArray>("ports");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("listed");
        const QStringList present = {"/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyUSB0"};
        QTest::newRow("no section: sorted paths take 1, 2, 3")
            << QByteArray() << present << "1=/dev/ttyACM0 2=/dev/ttyUSB0 3=/dev/ttyUSB1";
        QTest::newRow("named device keeps its number, others fill the gaps")
            << QByteArray("3=/dev/ttyUSB0\r\n") << present << "1=/dev/ttyACM0 2=/dev/ttyUSB1 3=/dev/ttyUSB0";
        QTest::newRow("named device that is absent is not listed")
            << QByteArray("1=/dev/ttyGone\r\n") << present << "2=/dev/ttyACM0 3=/dev/ttyUSB0 4=/dev/ttyUSB1";
        QTest::newRow("keys that are no port number are ignored")
            << QByteArray("abc=/dev/ttyUSB0\r\n0=/dev/ttyUSB0\r\n-2=/dev/ttyUSB0\r\n") << present
            << "1=/dev/ttyACM0 2=/dev/ttyUSB0 3=/dev/ttyUSB1";
        QTest::newRow("first entry of a number wins")
            << QByteArray("5=/dev/ttyUSB1\r\n5=/dev/ttyUSB0\r\n") << present
            << "1=/dev/ttyACM0 2=/dev/ttyUSB0 5=/dev/ttyUSB1";
        QTest::newRow("the order found does not change the numbers")
            << QByteArray() << QStringList({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0"})
            << "1=/dev/ttyACM0 2=/dev/ttyUSB0 3=/dev/ttyUSB1";
        QTest::newRow("nothing present, nothing named") << QByteArray() << QStringList() << "";
        QTest::newRow("numbers in paths count as numbers")
            << QByteArray() << QStringList({"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0", "/dev/ttyUSB1"})
            << "1=/dev/ttyACM0 2=/dev/ttyUSB1 3=/dev/ttyUSB2 4=/dev/ttyUSB10";
    }
    void numbersFromSettingsAndPresentDevices()
    {
        QFETCH(QByteArray, ports);
        QFETCH(QStringList, present);
        QFETCH(QString, listed);
        TPortList list;
        list.Build(TIniText::FromBytes("[config]\r\nlanguage=english\r\n[ports]\r\n" + ports), present);
        QCOMPARE(Listing(list), listed);
    }

    void typedNumbersMapToDevices()
    {
        QTemporaryDir dir;
        const QString usb9 = dir.filePath("ttyUSB9");
        QFile(usb9).open(QIODevice::WriteOnly);
        const QString byId = dir.filePath("usb-Prolific-if00");
        QVERIFY(QFile::link(usb9, byId));
        TPortList list;
        list.Build(TIniText::FromBytes(("[ports]\r\n5=" + byId + "\r\n9=/dev/ttyGone\r\n").toLocal8Bit()),
                   {usb9, "/dev/ttyACM0"});
        // The device and its by-id link are one device: listed once, under its named number.
        QCOMPARE(Listing(list), "1=/dev/ttyACM0 5=" + byId);
        QCOMPARE(list.DeviceOf("5"), byId);
        QCOMPARE(list.DeviceOf("1"), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(list.DeviceOf("9"), QStringLiteral("/dev/ttyGone")); // named, absent: opening tells
        QCOMPARE(list.DeviceOf("2"), QString());
        QCOMPARE(list.DeviceOf(""), QString());
        QCOMPARE(list.DeviceOf("x"), QString());
        QCOMPARE(list.NumberOf(usb9), 5);
        QCOMPARE(list.NumberOf("/dev/ttyNone"), 0);
    }

    void devicesAddedAtRunTime()
    {
        TPortList list;
        list.Build(TIniText::FromBytes("[ports]\r\n2=/dev/ttyGone\r\n"), {"/dev/ttyUSB0"});
        QCOMPARE(list.AddDevice("/dev/pts/7"), 3); // 1 is taken, 2 is named
        QCOMPARE(list.AddDevice("/dev/pts/7"), 3); // already listed
        QCOMPARE(list.AddDevice("/dev/pts/8"), 4);
        QCOMPARE(Listing(list), QStringLiteral("1=/dev/ttyUSB0 3=/dev/pts/7 4=/dev/pts/8"));
        QCOMPARE(list.DeviceOf("3"), QStringLiteral("/dev/pts/7"));
    }

    void devicesPluggedInAndPulledOutKeepTheirNumbers()
    {
        TPortList list;
        list.Build(TIniText::FromBytes("[ports]\r\n2=/dev/ttyNamedAway\r\n"), {"/dev/ttyUSB1", "/dev/ttyUSB3"});
        QCOMPARE(list.AddDevice("/dev/pts/7"), 4); // 2 is named
        QCOMPARE(Listing(list), QStringLiteral("1=/dev/ttyUSB1 3=/dev/ttyUSB3 4=/dev/pts/7"));
        QVERIFY(!list.Refresh({"/dev/ttyUSB3", "/dev/ttyUSB1"})); // same devices: no change
        // ttyUSB1 pulled out, ttyUSB0 plugged in: the newcomer does not take ttyUSB1's number,
        // although it sorts first.
        QVERIFY(list.Refresh({"/dev/ttyUSB0", "/dev/ttyUSB3"}));
        QCOMPARE(Listing(list), QStringLiteral("3=/dev/ttyUSB3 4=/dev/pts/7 5=/dev/ttyUSB0"));
        QCOMPARE(list.DeviceOf("1"), QString());
        // ttyUSB1 back: its old number again.
        QVERIFY(list.Refresh({"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB3"}));
        QCOMPARE(Listing(list), QStringLiteral("1=/dev/ttyUSB1 3=/dev/ttyUSB3 4=/dev/pts/7 5=/dev/ttyUSB0"));
        QVERIFY(list.Refresh({}));
        QCOMPARE(Listing(list), QStringLiteral("4=/dev/pts/7"));
        // A new list from the settings starts the numbering again.
        list.Build(TIniText(), {"/dev/ttyUSB3"});
        QCOMPARE(Listing(list), QStringLiteral("1=/dev/ttyUSB3"));
    }

    void stableNamesUnderSerialById()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("dev/serial/by-id");
        const QString usb0 = dir.filePath("dev/ttyUSB0");
        const QString usb1 = dir.filePath("dev/ttyUSB1");
        QFile(usb0).open(QIODevice::WriteOnly);
        QFile(usb1).open(QIODevice::WriteOnly);
        const QString byId = dir.filePath("dev/serial/by-id");
        // udev makes relative links ("../../ttyUSB1").
        QVERIFY(QFile::link("../../ttyUSB1", byId + "/usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0"));
        QVERIFY(QFile::link("../../ttyGone", byId + "/usb-Prolific_dangling-if00-port0"));
        QCOMPARE(StableDeviceName(usb1, byId), byId + "/usb-FTDI_FT232R_USB_UART_A9XYZ-if00-port0");
        QCOMPARE(StableDeviceName(usb0, byId), QString());
        QCOMPARE(StableDeviceName(usb1, dir.filePath("no/such/folder")), QString());
    }
};

QTEST_GUILESS_MAIN(TestPortList)
#include "test_portlist.moc"
