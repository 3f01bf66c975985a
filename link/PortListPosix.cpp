#include "link/PortList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

bool IsRealUart(const QDir& node)
{
    if (!QFileInfo::exists(node.filePath(QStringLiteral("device/driver"))))
        return false; // virtual consoles, the console, ptmx: no device behind them
    QFile type(node.filePath(QStringLiteral("type")));
    if (type.open(QIODevice::ReadOnly))
        return type.readAll().trimmed() != "0"; // PORT_UNKNOWN: a legacy slot without a UART
    const QString driver = QFileInfo(node.filePath(QStringLiteral("device/driver"))).symLinkTarget();
    return QFileInfo(driver).fileName() != QStringLiteral("serial8250");
}

} // namespace

int32_t SystemPortNumber(const QString&)
{
    return 0; // /dev/ttyUSB0 is no port number: the list gives the numbers
}

QString SystemPortDevice(int32_t)
{
    return {};
}

QStringList PresentSerialDevices(const QString& sysClassTty, const QString& devFolder)
{
    QStringList devices;
    const QDir sys(sysClassTty);
    for (const QString& name : sys.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        const bool usbOrAcm = name.startsWith(QStringLiteral("ttyUSB")) || name.startsWith(QStringLiteral("ttyACM"));
        if (!usbOrAcm && !IsRealUart(QDir(sys.filePath(name))))
            continue;
        devices << QDir(devFolder).filePath(name);
    }
    std::sort(devices.begin(), devices.end(), NaturalPathLess);
    return devices;
}
