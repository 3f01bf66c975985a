#pragma once

#include "link/SerialBackend.h"

#include <QByteArray>
#include <QStringList>

// The Windows backend (Win32SerialBackend.cpp) implements SerialBackend with the Win32 comm API:
// CreateFileA on \\.\COMn with overlapped I/O and no sharing, SetupComm, SetCommState,
// SetCommTimeouts (reads return at once with what is there), SetCommMask and WaitCommEvent on
// the event thread, ClearCommError for the input queue, GetCommModemStatus, ReadFile and
// WriteFile, PurgeComm. A handle is a small number that stands for the port's file handle and
// the events and overlapped state kept with it; wake-up handles are events. A driver that has
// no modem lines (error 50, not supported, as a pseudo-terminal behind Wine answers) is no
// failure, as ENOTTY is none on POSIX. What only Windows has follows here.
namespace Win32Serial {

// The path CreateFileA opens for a port name: "COM5" and "com5" give "\\.\COM5" (the device
// namespace, which COM10 and above need); a path that is already there stays as it is.
QByteArray DevicePath(const QByteArray& name);

// The port names that HARDWARE\DEVICEMAP\SERIALCOMM lists ("COM3"), in the registry's order;
// empty when the key is missing.
QStringList RegisteredPorts();

// The Win32 file handle behind a port's handle, nullptr for none; for tests and diagnostics.
void* NativeHandle(int handle);

// Ports and wake-up handles open now; for tests that look for leaks.
int OpenHandleCount();

} // namespace Win32Serial
