#pragma once

#include <QByteArray>
#include <array>

// One geo-fence as the tracker keeps it: the corner texts exactly as written (degrees and
// decimal minutes, "0" when unset) and the name.
struct TSimFence {
    QByteArray LTLongitude = "0";
    QByteArray LTLatitude = "0";
    QByteArray RBLongitude = "0";
    QByteArray RBLatitude = "0";
    QByteArray Name;
    bool operator==(const TSimFence&) const = default;
};

// Everything a simulated tracker holds. Values are kept as the texts that travel on the wire,
// so that a write is answered with exactly what was written.
struct TSimState {
    static constexpr int FenceCount = 64;
    static constexpr int AuthNumberCount = 5;
    static constexpr int AlarmChannelCount = 5;

    QByteArray Identifier = "0123456789";
    QByteArray Firmware = "SIM-1.0.0";
    // Settings that Factory Default restores (the program's own field defaults).
    QByteArray Alias;
    QByteArray LowBattery = "20";       // percent
    QByteArray TimeDifference = "-60";  // minutes
    QByteArray GSensor = "630";         // mg
    QByteArray IPAddress = "0.0.0.0";
    QByteArray Port = "8888";
    QByteArray APN = "CMNET";
    QByteArray APNUser;
    QByteArray APNPassword;
    QByteArray UploadInterval = "150";  // seconds
    QByteArray UploadMode = "0";        // 0 SMS, 1 TCP
    QByteArray Strategy = "1";          // 1 normal, 2 when moving
    QByteArray KeepAlive = "0";         // seconds; 0 off
    std::array<QByteArray, AuthNumberCount> AuthNumbers;
    std::array<QByteArray, AlarmChannelCount> AlarmChannels{"0", "0", "0", "0", "0"};
    QByteArray HotSpotRadius = "300";   // meters
    std::array<TSimFence, FenceCount> Fences;
    // Measured values, not settings.
    QByteArray GpsLevel = "4";          // 0..5 and beyond
    QByteArray GsmLevel = "24";         // the program shows level / 6
    QByteArray BatteryLevel = "80";     // percent
    QByteArray StatusWord = "0";        // field 2 of the status answer (not used by the program)

    bool operator==(const TSimState&) const = default;

    // The state a new tracker leaves the factory with.
    static TSimState Factory() { return TSimState(); }
    // Factory Default: the settings return to their factory values; identity and measured
    // values stay.
    void RestoreFactorySettings();
};
