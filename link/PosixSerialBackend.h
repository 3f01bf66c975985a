#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// The operating system's side of the serial port: every POSIX call of the port layer lives in
// PosixSerialBackend.cpp and nowhere else. Each call returns 0 on success or the system's error
// number (errno); the port turns those into EComPort errors with its fixed texts.
namespace PosixSerial {

constexpr int InvalidHandle = -1;

// Opens a tty for reading and writing, non-blocking, never as the controlling terminal, closed
// on exec, for this process alone (TIOCEXCL and an exclusive lock, which also holds against a
// second open by a privileged process). A path that is not a tty gives ENOTTY; a tty that is
// already open elsewhere gives EBUSY.
int OpenDevice(const QByteArray& path, int& handle);
// Releases the exclusive use and closes the handle.
void CloseDevice(int handle);

// Raw 8N1, no parity, no flow control (neither RTS/CTS nor XON/XOFF), receiver on, modem
// control lines ignored for reading, at the given speed in bits per second. Speeds without a
// B-constant (14400, 56000, 128000, 256000) are set as custom speeds.
int ApplyLineSettings(int handle, int32_t speed);
// The output speed the line runs at (custom speeds included); for tests and diagnostics.
int ReadLineSpeed(int handle, int32_t& speed);
// Raises DTR and RTS. A device without modem lines (a pseudo-terminal) is no failure.
int RaiseModemLines(int handle);

struct TModemLines {
    bool Present = false; // false: the device has no modem lines
    bool CTS = false;
    bool DSR = false;
    bool RLSD = false;
};
int ReadModemLines(int handle, TModemLines& lines);

// Bytes waiting in the driver's input queue.
int PendingInput(int handle, int32_t& count);

// Reads what is waiting, at most max bytes, without blocking. got = 0 when nothing waits.
// hungUp = true when the other side has gone (end of file on a tty); the result is then 0.
int ReadAvailable(int handle, char* buffer, int32_t max, int32_t& got, bool& hungUp);

// Writes all bytes, waiting for room as needed, then waits until the driver has sent them,
// all within timeoutMs. written tells how many bytes went out; ETIMEDOUT when the time ran out.
int WriteAll(int handle, const char* data, int64_t size, int64_t timeoutMs, int32_t speed,
             int64_t& written);

// Discards data in both driver queues.
int Purge(int handle);

// The wake-up descriptor that ends an event wait from another thread.
int CreateWakeHandle(int& handle);
void SignalWake(int handle);
void ClearWake(int handle);
void CloseWakeHandle(int handle);

struct TLineEvents {
    bool Woken = false;     // the wake-up descriptor was signalled
    bool Input = false;     // bytes can be read
    bool HangUp = false;    // the other side hung up
    bool LineError = false; // the device reports an error condition
    int WaitError = 0;      // the wait itself failed (errno)
};
// Waits without a time limit for line events (input only when watchInput; hang-up and errors
// always) or for the wake-up descriptor. Retries on EINTR.
void WaitForEvents(int handle, bool watchInput, int wakeHandle, TLineEvents& events);

// True when the error number means that the device has gone (hang-up, unplugged adapter).
bool IsLineGoneError(int error);

// Who may use a device, for telling a user who was refused how to get access.
struct TDeviceAccess {
    QByteArray OwnerName;            // user name, or the number when it has none
    QByteArray GroupName;            // group name ("dialout"), or the number
    bool GroupMayReadWrite = false;  // the group has read and write permission
    bool ProcessInGroup = false;     // the group is among this process's groups now
    bool UserListedInGroup = false;  // the group database makes this process's user a member
};
// The device's owner, group and permissions (stat follows links). Returns errno when the device
// cannot be examined.
int ReadDeviceAccess(const QByteArray& path, TDeviceAccess& access);

// A process that has a device open.
struct TDeviceHolder {
    int64_t Pid = 0;
    QByteArray Name; // the program's file name (argv[0] without its folder), else its comm
};
// The processes with the device open, found through procFolder/<pid>/fd; only processes whose
// descriptors this process may inspect are seen (all of them for root). In pid order.
QList<TDeviceHolder> DeviceHolders(const QByteArray& path, const QByteArray& procFolder = "/proc");

} // namespace PosixSerial
