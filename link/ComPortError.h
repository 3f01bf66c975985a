#pragma once

#include "core/AppError.h"

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
