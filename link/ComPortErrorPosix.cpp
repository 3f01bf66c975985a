#include "link/ComPortError.h"

#include "link/PosixSerialBackend.h"

#include <cerrno>
#include <cstring>

TOpenFailureDetail DescribeOpenFailure(const QString& device, int systemError)
{
    TOpenFailureDetail detail;
    detail.Device = device;
    const QByteArray path = device.toLocal8Bit();
    if (systemError == EACCES || systemError == EPERM) {
        PosixSerial::TDeviceAccess access;
        if (PosixSerial::ReadDeviceAccess(path, access) != 0)
            return detail;
        detail.OwnerName = QString::fromLocal8Bit(access.OwnerName);
        detail.GroupName = QString::fromLocal8Bit(access.GroupName);
        // Joining root's group is no advice to give; nor is joining a group that may not use it.
        const bool groupHelps = access.GroupMayReadWrite && access.GroupName != "root";
        if (!groupHelps || access.ProcessInGroup)
            detail.Advice = TOpenAdvice::AskAdministrator;
        else
            detail.Advice = access.UserListedInGroup ? TOpenAdvice::LogInAgain : TOpenAdvice::JoinGroup;
    } else if (systemError == EBUSY) {
        detail.Advice = TOpenAdvice::ClosedElsewhere;
        for (const PosixSerial::TDeviceHolder& h : PosixSerial::DeviceHolders(path))
            detail.Holders.append({QString::fromLocal8Bit(h.Name), qint64(h.Pid)});
    }
    return detail;
}

QString SystemErrorText(int systemError)
{
    return QString::fromLocal8Bit(std::strerror(systemError));
}
