#include "link/ComPortError.h"

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
