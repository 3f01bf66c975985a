#pragma once

#include <QString>

// A pseudo-terminal pair: the device side (a tty such as /dev/pts/5, which a serial port can
// open) and the controlling side that the simulated tracker (or a test) reads and writes.
// The device side is put into raw mode at once, so nothing is echoed before a port opens it.
// A handle to the device side is kept open while the pair lives: without it the controlling
// side reports a hang-up whenever no port has the device open.
class TPseudoTerminal {
public:
    TPseudoTerminal() = default;
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    // False with the system's reason in *error (a pair open before stays as it was). A pair
    // open before, or a number still held after HangUp, is released only once the new pair is
    // open, so the new device always has another number than the one before.
    bool Open(QString* error = nullptr);
    // Ends the pair: a port that has the device open sees a hang-up.
    void Close();
    // Ends the controlling side only: a port that has the device open sees a hang-up and the
    // device node goes, as an unplugged adapter's does, but its number stays taken until Close
    // or the next Open. Linux gives a freed number to the next pseudo-terminal opened anywhere
    // on the machine; held, no other one can appear under this device path meanwhile.
    void HangUp();
    bool IsOpen() const { return FMaster >= 0; }

    QString DevicePath() const { return FDevicePath; }
    // The controlling side, non-blocking; -1 when closed.
    int MasterHandle() const { return FMaster; }

    // Helpers for tests: write all bytes (false on failure), read what is waiting.
    bool Write(const QByteArray& bytes);
    QByteArray ReadAvailable();

private:
    int FMaster = -1;
    int FDeviceKeeper = -1;
    QString FDevicePath;
};
