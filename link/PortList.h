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

// Port numbers on a system without numbered COM devices. The settings file's section "ports"
// names devices by number ("3=/dev/ttyUSB0"); serial devices that are present and that no entry
// names take the free numbers from 1 upwards, in the natural order of their paths (ttyUSB2
// before ttyUSB10), so that the same devices get the same numbers from run to run.
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
    // The device a typed number stands for; empty when it stands for none.
    QString DeviceOf(const QString& numberText) const;
    // The number of a device, 0 when it has none.
    int32_t NumberOf(const QString& device) const;
    // Lists a device at run time (the simulated tracker) and returns its number: the number it
    // already has, or the first free one.
    int32_t AddDevice(const QString& device);

private:
    int32_t FirstFreeNumber() const;
    void Insert(const TPortEntry& entry);

    QList<TPortEntry> FConfigured; // every mapping, listed or not
    QList<TPortEntry> FGiven;      // numbers given this run to present devices no entry names
    QList<TPortEntry> FAdded;      // devices listed at run time
    QList<TPortEntry> FListed;
};

// The serial devices present on this machine: USB serial adapters (ttyUSB*), modems and
// CDC-ACM devices (ttyACM*) and UARTs with a real port behind them. The serial core creates a
// ttyS node for every possible legacy port; those without hardware report the port type 0 (or,
// on older kernels, hang from the serial8250 platform device) and are left out.
// sysClassTty and devFolder can name a test tree instead of /sys/class/tty and /dev.
QStringList PresentSerialDevices(const QString& sysClassTty = QStringLiteral("/sys/class/tty"),
                                 const QString& devFolder = QStringLiteral("/dev"));

// The stable name of a device under /dev/serial/by-id (the adapter's maker, model and serial
// number, the same whichever ttyUSB number it gets), or an empty text when it has none.
// byIdFolder can name a test folder.
QString StableDeviceName(const QString& device,
                         const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));
