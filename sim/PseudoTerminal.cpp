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
    int master = -1;
    int keeper = -1;
    const auto fail = [&](const char* step) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QString::fromLatin1(step), QString::fromLocal8Bit(std::strerror(errno)));
        const int saved = errno;
        if (keeper >= 0)
            close(keeper);
        if (master >= 0)
            close(master);
        errno = saved;
        return false;
    };
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return fail("posix_openpt");
    if (grantpt(master) != 0 || unlockpt(master) != 0)
        return fail("grantpt/unlockpt");
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0)
        return fail("ptsname");
    const int flags = fcntl(master, F_GETFL);
    if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    keeper = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (keeper < 0)
        return fail("open device side");
    termios t{};
    if (tcgetattr(keeper, &t) != 0)
        return fail("tcgetattr");
    cfmakeraw(&t);
    if (tcsetattr(keeper, TCSANOW, &t) != 0)
        return fail("tcsetattr");
    Close(); // the pair before, or the number it held, goes only now
    FMaster = master;
    FDeviceKeeper = keeper;
    FDevicePath = QString::fromLocal8Bit(name);
    return true;
}

void TPseudoTerminal::Close()
{
    HangUp();
    if (FDeviceKeeper >= 0)
        close(FDeviceKeeper);
    FDeviceKeeper = -1;
}

void TPseudoTerminal::HangUp()
{
    // The device side's handles see the hang-up as soon as the controlling side closes; the
    // kernel frees the number only once the last handle to the device side is closed too.
    if (FMaster >= 0)
        close(FMaster);
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
