#include "sim/PseudoTerminal.h"

#include <QByteArray>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

TPseudoTerminal::~TPseudoTerminal() { Close(); }

bool TPseudoTerminal::Open(QString* error)
{
    Close();
    const auto fail = [&](const char* step) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QString::fromLatin1(step), QString::fromLocal8Bit(std::strerror(errno)));
        Close();
        return false;
    };
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster < 0)
        return fail("posix_openpt");
    if (grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
        return fail("grantpt/unlockpt");
    char name[128];
    if (ptsname_r(FMaster, name, sizeof name) != 0)
        return fail("ptsname");
    FDevicePath = QString::fromLocal8Bit(name);
    const int flags = fcntl(FMaster, F_GETFL);
    if (flags < 0 || fcntl(FMaster, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    FDeviceKeeper = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (FDeviceKeeper < 0)
        return fail("open device side");
    termios t{};
    if (tcgetattr(FDeviceKeeper, &t) != 0)
        return fail("tcgetattr");
    cfmakeraw(&t);
    if (tcsetattr(FDeviceKeeper, TCSANOW, &t) != 0)
        return fail("tcsetattr");
    return true;
}

void TPseudoTerminal::Close()
{
    if (FDeviceKeeper >= 0)
        close(FDeviceKeeper);
    if (FMaster >= 0)
        close(FMaster);
    FDeviceKeeper = -1;
    FMaster = -1;
}

bool TPseudoTerminal::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(FMaster, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{FMaster, POLLOUT, 0};
            if (poll(&p, 1, 1000) <= 0)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

QByteArray TPseudoTerminal::ReadAvailable()
{
    QByteArray bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = read(FMaster, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return bytes;
    }
}
