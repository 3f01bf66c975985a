#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TIniText;

// One entry of the port list: the number the user types and the device it stands for.
struct TPortEntry {
    int32_t Number = 0;
    QString Device;
};

// Port numbers. The settings file's section "ports" names devices by number ("3=/dev/ttyUSB0");
// a present device that carries a number of its own (Windows' COM5) keeps it when no entry took
// it; the other serial devices that are present and that no entry names take the free numbers
// from 1 upwards, in the natural order of their paths (ttyUSB2 before ttyUSB10), so that the
// same devices get the same numbers from run to run.
class TPortList {
public:
    static constexpr const char* SettingsSection = "ports";

    // configured: the "ports" section (keys that are not whole numbers of at least 1 are
    // ignored; the first entry of a number wins). present: the serial devices found.
    void Build(const TIniText& settings, const QStringList& present);
    // The devices present now (adapters plugged in or pulled out since): every number already
    // given stays with its device, also while the device is away, and a new device takes the
    // first free number. Devices added at run time stay listed. True when the list changed.
    bool Refresh(const QStringList& present);

    // The numbers to list, in ascending order: configured devices that exist, present devices
    // and devices added at run time.
    const QList<TPortEntry>& Listed() const { return FListed; }
    // The device a typed number stands for; empty when it stands for none. On Windows a number
    // that nothing lists stands for that COM port all the same (opening it tells whether it is
    // there).
    QString DeviceOf(const QString& numberText) const;
    // The number of a device, 0 when it has none.
    int32_t NumberOf(const QString& device) const;
    // Lists a device at run time (the simulated tracker) and returns its number: the number it
    // already has, or the first free one.
    int32_t AddDevice(const QString& device);

private:
    bool Taken(int32_t number) const;
    int32_t FirstFreeNumber() const;
    void Insert(const TPortEntry& entry);

    QList<TPortEntry> FConfigured; // every mapping, listed or not
    QList<TPortEntry> FGiven;      // numbers given this run to present devices no entry names
    QList<TPortEntry> FAdded;      // devices listed at run time
    QList<TPortEntry> FListed;
};

// Paths in natural order: /dev/ttyUSB2 before /dev/ttyUSB10, COM2 before COM10, so that adding
// a tenth adapter does not renumber the second.
bool NaturalPathLess(const QString& a, const QString& b);

// The platform's part of the port list, one file per platform (PortListPosix.cpp,
// PortListWin32.cpp).
// The number a device carries in its own name: n for Windows' COMn; 0 on POSIX systems.
int32_t SystemPortNumber(const QString& device);
// The device a number stands for when nothing else names it: COMn on Windows; none on POSIX.
QString SystemPortDevice(int32_t number);

// The serial devices present on this machine. POSIX: USB serial adapters (ttyUSB*), modems and
// CDC-ACM devices (ttyACM*) and UARTs with a real port behind them. The serial core creates a
// ttyS node for every possible legacy port; those without hardware report the port type 0 (or,
// on older kernels, hang from the serial8250 platform device) and are left out.
// sysClassTty and devFolder can name a test tree instead of /sys/class/tty and /dev.
// Windows: the ports that HARDWARE\DEVICEMAP\SERIALCOMM lists ("COM3"), in natural order; the
// two folders are not used there.
QStringList PresentSerialDevices(const QString& sysClassTty = QStringLiteral("/sys/class/tty"),
                                 const QString& devFolder = QStringLiteral("/dev"));

// The stable name of a device under /dev/serial/by-id (the adapter's maker, model and serial
// number, the same whichever ttyUSB number it gets), or an empty text when it has none.
// byIdFolder can name a test folder.
QString StableDeviceName(const QString& device,
                         const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));
