#include "link/ComPortError.h"

#include <windows.h>

TOpenFailureDetail DescribeOpenFailure(const QString& device, int systemError)
{
    TOpenFailureDetail detail;
    detail.Device = device;
    // A COM port is opened for one program at a time: the system refuses every other open with
    // access denied. Which program holds it, Windows does not tell an ordinary user.
    if (systemError == ERROR_ACCESS_DENIED || systemError == ERROR_SHARING_VIOLATION)
        detail.Advice = TOpenAdvice::ClosedElsewhere;
    return detail;
}
