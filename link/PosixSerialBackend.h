#pragma once

#include "link/SerialBackend.h"

#include <QByteArray>
#include <QList>
#include <cstdint>

// The POSIX backend (PosixSerialBackend.cpp) implements SerialBackend with termios, poll and an
// eventfd: the tty is opened non-blocking, never as the controlling terminal, closed on exec,
// for this process alone (TIOCEXCL and an exclusive lock, which also holds against a second open
// by a privileged process); a path that is not a tty gives ENOTTY, a tty open elsewhere EBUSY.
// Speeds without a B-constant are set as custom speeds. What only POSIX systems can tell about
// a device that refused to open follows here.
namespace PosixSerial {

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
