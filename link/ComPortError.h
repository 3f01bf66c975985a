#pragma once

#include "core/AppError.h"

#include <QList>
#include <QString>

// The failures of the serial port. Each carries a fixed text for its code and, where the system
// supplied one, the system's error number: "Unable to open com port (Error: 2)".
enum class TComError {
    OpenFailed = 1,          // "Unable to open com port"
    WriteFailed = 2,         // "WriteFile function failed"
    ReadFailed = 3,          // "ReadFile function failed"
    PurgeFailed = 5,         // "PurgeComm function failed"
    SetStateFailed = 7,      // "SetCommState function failed"
    SetTimeoutsFailed = 8,   // "SetCommTimeouts failed"
    SetupComFailed = 9,      // "SetupComm function failed"
    ClearComFailed = 10,     // "ClearCommError function failed"
    ModemStatusFailed = 11,  // "GetCommModemStatus function failed"
    PortNotOpen = 24,        // "Port Not Open" (never with an error number)
};

class EComPort : public EAppError {
public:
    static constexpr int NoSystemError = -1;

    explicit EComPort(TComError code, int systemError = NoSystemError);

    TComError Code() const { return FCode; }
    // The system's error number, or NoSystemError.
    int SystemError() const { return FSystemError; }

    // The fixed text of a code, without the error number.
    static QString TextOf(TComError code);
    static QString MessageOf(TComError code, int systemError);

private:
    TComError FCode;
    int FSystemError;
};

// What a user can do when a device refused to open. The port layer finds the facts; the window
// words the advice in the user's language, below the error's own text.
enum class TOpenAdvice {
    None,             // nothing to add
    JoinGroup,        // access denied; the device's group may use it: join that group, log in again
    LogInAgain,       // the user is a member of that group already, but this session began before
    AskAdministrator, // only the owner may use it (or access is denied some other way)
    ClosedElsewhere,  // another program has the port open (or locked)
};

struct TPortHolder {
    QString Name; // the program's file name
    qint64 Pid = 0;
};

struct TOpenFailureDetail {
    TOpenAdvice Advice = TOpenAdvice::None;
    QString Device;
    QString OwnerName;           // with access denied
    QString GroupName;           // with access denied: the device's group ("dialout")
    QList<TPortHolder> Holders;  // with the port in use: the processes that have it open
};

// The facts behind an open that failed with the system's error number, one file per platform.
// POSIX (ComPortErrorPosix.cpp): EACCES or EPERM read the device's owner and group, EBUSY looks
// in /proc for the processes that hold it. Windows (ComPortErrorWin32.cpp): access denied or a
// sharing violation means another program has the port open; no holder is named.
TOpenFailureDetail DescribeOpenFailure(const QString& device, int systemError);

// The system's own words for one of its error numbers, without a closing full stop: strerror on
// POSIX ("No such file or directory"), FormatMessage on Windows ("Access is denied").
QString SystemErrorText(int systemError);
