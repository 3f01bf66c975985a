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

QString SystemErrorText(int systemError)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(systemError), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed() : QString();
    LocalFree(text);
    if (message.endsWith(QLatin1Char('.')))
        message.chop(1);
    return message.isEmpty() ? QStringLiteral("system error %1").arg(systemError) : message;
}
