#include "link/PortList.h"

#include "link/Win32SerialBackend.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

// "COM5", "com5" or "\\.\COM5": the port's own number.
const QRegularExpression ComName(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM([0-9]+)$"), QRegularExpression::CaseInsensitiveOption);

} // namespace

int32_t SystemPortNumber(const QString& device)
{
    const QRegularExpressionMatch match = ComName.match(device);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const int32_t number = match.captured(1).toInt(&ok);
    return ok && number >= 1 ? number : 0;
}

QString SystemPortDevice(int32_t number)
{
    return number >= 1 ? QStringLiteral("COM%1").arg(number) : QString();
}

QStringList PresentSerialDevices(const QString&, const QString&)
{
    QStringList devices = Win32Serial::RegisteredPorts();
    std::sort(devices.begin(), devices.end(), NaturalPathLess);
    return devices;
}
