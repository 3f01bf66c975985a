#include "link/ComPortError.h"

#include "link/PosixSerialBackend.h"

#include <cerrno>

EComPort::EComPort(TComError code, int systemError)
    : EAppError(MessageOf(code, systemError)), FCode(code), FSystemError(systemError)
{
}

QString EComPort::TextOf(TComError code)
{
    switch (code) {
    case TComError::OpenFailed:
        return QStringLiteral("Unable to open com port");
    case TComError::WriteFailed:
        return QStringLiteral("WriteFile function failed");
    case TComError::ReadFailed:
        return QStringLiteral("ReadFile function failed");
    case TComError::PurgeFailed:
        return QStringLiteral("PurgeComm function failed");
    case TComError::SetStateFailed:
        return QStringLiteral("SetCommState function failed");
    case TComError::SetTimeoutsFailed:
        return QStringLiteral("SetCommTimeouts failed");
    case TComError::SetupComFailed:
        return QStringLiteral("SetupComm function failed");
    case TComError::ClearComFailed:
        return QStringLiteral("ClearCommError function failed");
    case TComError::ModemStatusFailed:
        return QStringLiteral("GetCommModemStatus function failed");
    case TComError::PortNotOpen:
        return QStringLiteral("Port Not Open");
    }
    return QStringLiteral("Serial port error %1").arg(int(code));
}

QString EComPort::MessageOf(TComError code, int systemError)
{
    if (systemError == NoSystemError)
        return TextOf(code);
    return QStringLiteral("%1 (Error: %2)").arg(TextOf(code)).arg(systemError);
}

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
