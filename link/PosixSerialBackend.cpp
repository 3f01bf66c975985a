#include "link/PosixSerialBackend.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace SerialBackend {

namespace {

using TClock = std::chrono::steady_clock;

int64_t MsUntil(TClock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left < 0 ? 0 : left;
}

// Linux sets speeds that have no B-constant through the second termios structure with BOTHER.
// Its kernel layout differs from glibc's struct termios (19 control characters instead of 32),
// and the kernel header that declares it clashes with <termios.h>, so the layout is spelled out
// here for the architectures whose termios follows the generic layout.
#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__) || defined(__aarch64__) || \
                           defined(__arm__) || defined(__riscv))
#define TOVRIK_HAVE_TERMIOS2 1
struct TKernelTermios2 {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
constexpr unsigned long GetTermios2 = _IOR('T', 0x2A, TKernelTermios2);
constexpr unsigned long SetTermios2 = _IOW('T', 0x2B, TKernelTermios2);
constexpr tcflag_t KernelCBaud = 0010017;
constexpr tcflag_t KernelBOther = 0010000;
constexpr int KernelInputSpeedShift = 16;
#endif

bool StandardSpeed(int32_t speed, speed_t& code)
{
    switch (speed) {
    case 110: code = B110; return true;
    case 300: code = B300; return true;
    case 600: code = B600; return true;
    case 1200: code = B1200; return true;
    case 2400: code = B2400; return true;
    case 4800: code = B4800; return true;
    case 9600: code = B9600; return true;
    case 19200: code = B19200; return true;
    case 38400: code = B38400; return true;
    case 57600: code = B57600; return true;
    case 115200: code = B115200; return true;
    case 230400: code = B230400; return true;
    default: return false;
    }
}

int SetCustomSpeed(int handle, int32_t speed)
{
#ifdef TOVRIK_HAVE_TERMIOS2
    TKernelTermios2 t{};
    if (ioctl(handle, GetTermios2, &t) != 0)
        return errno;
    t.c_cflag &= ~(KernelCBaud | (KernelCBaud << KernelInputSpeedShift));
    t.c_cflag |= KernelBOther | (KernelBOther << KernelInputSpeedShift);
    t.c_ispeed = speed_t(speed);
    t.c_ospeed = speed_t(speed);
    if (ioctl(handle, SetTermios2, &t) != 0)
        return errno;
    return 0;
#else
    Q_UNUSED(handle);
    Q_UNUSED(speed);
    return EINVAL;
#endif
}

// A device without modem-control ioctls (a pseudo-terminal answers ENOTTY or EINVAL) simply
// has no modem lines.
bool NoModemLines(int error) { return error == ENOTTY || error == EINVAL; }

} // namespace

int OpenDevice(const QByteArray& path, int& handle)
{
    handle = InvalidHandle;
    int fd;
    do
        fd = open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    if (!isatty(fd)) {
        const int error = errno == 0 ? ENOTTY : errno;
        close(fd);
        return error;
    }
    // The lock holds between any two opens, also by root, for whom TIOCEXCL is no barrier.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = (errno == EWOULDBLOCK) ? EBUSY : errno;
        close(fd);
        return error;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        close(fd);
        return error;
    }
    handle = fd;
    return 0;
}

void CloseDevice(int handle)
{
    if (handle == InvalidHandle)
        return;
    // TIOCEXCL stays on the tty until its last close; another holder of the tty (the simulated
    // tracker keeps its side open) would otherwise lock everyone out after us.
    ioctl(handle, TIOCNXCL);
    flock(handle, LOCK_UN);
    close(handle);
}

int ApplyLineSettings(int handle, int32_t speed)
{
    termios t{};
    if (tcgetattr(handle, &t) != 0)
        return errno;
    cfmakeraw(&t);
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR | PARMRK);
    t.c_iflag |= IGNBRK;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    speed_t code = B9600;
    const bool standard = StandardSpeed(speed, code);
    if (cfsetispeed(&t, code) != 0 || cfsetospeed(&t, code) != 0)
        return errno;
    if (tcsetattr(handle, TCSANOW, &t) != 0)
        return errno;
    if (!standard)
        return SetCustomSpeed(handle, speed);
    return 0;
}

int ReadLineSpeed(int handle, int32_t& speed)
{
    speed = 0;
#ifdef TOVRIK_HAVE_TERMIOS2
    TKernelTermios2 t{};
    if (ioctl(handle, GetTermios2, &t) != 0)
        return errno;
    speed = int32_t(t.c_ospeed);
    return 0;
#else
    termios t{};
    if (tcgetattr(handle, &t) != 0)
        return errno;
    const speed_t code = cfgetospeed(&t);
    for (int32_t candidate : {110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400}) {
        speed_t c;
        if (StandardSpeed(candidate, c) && c == code)
            speed = candidate;
    }
    return 0;
#endif
}

int RaiseModemLines(int handle)
{
    const int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(handle, TIOCMBIS, &lines) != 0 && !NoModemLines(errno))
        return errno;
    return 0;
}

int ReadModemLines(int handle, TModemLines& lines)
{
    lines = TModemLines{};
    int status = 0;
    if (ioctl(handle, TIOCMGET, &status) != 0)
        return NoModemLines(errno) ? 0 : errno;
    lines.Present = true;
    lines.CTS = (status & TIOCM_CTS) != 0;
    lines.DSR = (status & TIOCM_DSR) != 0;
    lines.RLSD = (status & TIOCM_CAR) != 0;
    return 0;
}

int PendingInput(int handle, int32_t& count)
{
    int n = 0;
    if (ioctl(handle, FIONREAD, &n) != 0) {
        count = 0;
        return errno;
    }
    count = n;
    return 0;
}

int ReadAvailable(int handle, char* buffer, int32_t max, int32_t& got, bool& hungUp)
{
    got = 0;
    hungUp = false;
    if (max <= 0)
        return 0;
    for (;;) {
        const ssize_t n = read(handle, buffer, size_t(max));
        if (n > 0) {
            got = int32_t(n);
            return 0;
        }
        if (n == 0) {
            // A non-blocking tty with nothing waiting says EAGAIN; end of file means the line
            // was hung up.
            hungUp = true;
            return 0;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        return errno;
    }
}

int WriteAll(int handle, const char* data, int64_t size, int64_t timeoutMs, int32_t speed, int64_t& written)
{
    written = 0;
    const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
    while (written < size) {
        const ssize_t n = write(handle, data + written, size_t(size - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return errno;
        // The output queue is full: wait for room, but not beyond the deadline.
        const int64_t left = MsUntil(deadline);
        if (left <= 0)
            return ETIMEDOUT;
        pollfd p{handle, POLLOUT, 0};
        const int r = poll(&p, 1, int(left));
        if (r < 0 && errno != EINTR)
            return errno;
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return EIO;
    }
    // The bytes are in the driver; wait until they are on the wire. tcdrain has no time limit,
    // so the output queue is watched instead, waiting about as long as its bytes take to send.
    const int32_t bitsPerSecond = speed > 0 ? speed : 9600;
    for (;;) {
        int queued = 0;
        if (ioctl(handle, TIOCOUTQ, &queued) != 0)
            return NoModemLines(errno) ? 0 : errno;
        if (queued <= 0)
            return 0;
        const int64_t left = MsUntil(deadline);
        if (left <= 0)
            return ETIMEDOUT;
        const int64_t sendMs = int64_t(queued) * 10 * 1000 / bitsPerSecond + 1;
        poll(nullptr, 0, int(std::min(left, sendMs)));
    }
}

int Purge(int handle)
{
    if (tcflush(handle, TCIOFLUSH) != 0)
        return errno;
    return 0;
}

int CreateWakeHandle(int& handle)
{
    handle = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (handle < 0) {
        handle = InvalidHandle;
        return errno;
    }
    return 0;
}

void SignalWake(int handle)
{
    const uint64_t one = 1;
    ssize_t n;
    do
        n = write(handle, &one, sizeof one);
    while (n < 0 && errno == EINTR);
}

void ClearWake(int handle)
{
    uint64_t value;
    ssize_t n;
    do
        n = read(handle, &value, sizeof value);
    while (n < 0 && errno == EINTR);
}

void CloseWakeHandle(int handle)
{
    if (handle != InvalidHandle)
        close(handle);
}

void WaitForEvents(int handle, bool watchInput, int wakeHandle, TLineEvents& events)
{
    events = TLineEvents{};
    pollfd fds[2] = {{handle, short(watchInput ? POLLIN : 0), 0}, {wakeHandle, POLLIN, 0}};
    for (;;) {
        const int r = poll(fds, 2, -1);
        if (r >= 0)
            break;
        if (errno != EINTR) {
            events.WaitError = errno;
            return;
        }
    }
    events.Woken = (fds[1].revents & POLLIN) != 0;
    events.Input = (fds[0].revents & POLLIN) != 0;
    events.HangUp = (fds[0].revents & POLLHUP) != 0;
    events.LineError = (fds[0].revents & (POLLERR | POLLNVAL)) != 0;
}

bool IsLineGoneError(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
}

} // namespace SerialBackend

namespace PosixSerial {

namespace {

// getpwuid_r and getgrgid_r with a buffer that grows until the entry fits.
template <typename TEntry, typename TId, typename TLookup>
bool LookUp(TId id, TLookup lookup, TEntry& entry, std::vector<char>& buffer)
{
    buffer.resize(1024);
    for (;;) {
        TEntry* found = nullptr;
        const int error = lookup(id, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        return error == 0 && found != nullptr;
    }
}

QByteArray ReadSmallFile(const QByteArray& path)
{
    QByteArray bytes;
    const int fd = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    char buffer[512];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0 && bytes.size() < 4096)
        bytes.append(buffer, n);
    close(fd);
    return bytes;
}

QByteArray ProcessName(const QByteArray& processFolder)
{
    // argv[0] names the program as it was started ("minicom"); comm is cut to 15 characters.
    QByteArray name = ReadSmallFile(processFolder + "/cmdline");
    name.truncate(name.indexOf('\0') < 0 ? name.size() : name.indexOf('\0'));
    name = name.mid(name.lastIndexOf('/') + 1);
    if (name.isEmpty())
        name = ReadSmallFile(processFolder + "/comm").trimmed();
    return name;
}

} // namespace

int ReadDeviceAccess(const QByteArray& path, TDeviceAccess& access)
{
    access = TDeviceAccess{};
    struct stat st{};
    if (stat(path.constData(), &st) != 0)
        return errno;
    access.GroupMayReadWrite = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);

    std::vector<char> buffer;
    passwd owner{};
    access.OwnerName = LookUp(st.st_uid, getpwuid_r, owner, buffer) ? QByteArray(owner.pw_name)
                                                                     : QByteArray::number(st.st_uid);
    passwd self{};
    std::vector<char> selfBuffer;
    const bool haveSelf = LookUp(geteuid(), getpwuid_r, self, selfBuffer);
    group g{};
    if (LookUp(st.st_gid, getgrgid_r, g, buffer)) {
        access.GroupName = g.gr_name;
        if (haveSelf) {
            access.UserListedInGroup = self.pw_gid == st.st_gid;
            for (char** member = g.gr_mem; member && *member && !access.UserListedInGroup; ++member)
                access.UserListedInGroup = std::strcmp(*member, self.pw_name) == 0;
        }
    } else {
        access.GroupName = QByteArray::number(st.st_gid);
    }

    access.ProcessInGroup = getegid() == st.st_gid;
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> ids(static_cast<size_t>(count));
        const int got = getgroups(count, ids.data());
        for (int i = 0; i < got; ++i)
            access.ProcessInGroup = access.ProcessInGroup || ids[size_t(i)] == st.st_gid;
    }
    return 0;
}

QList<TDeviceHolder> DeviceHolders(const QByteArray& path, const QByteArray& procFolder)
{
    QList<TDeviceHolder> holders;
    struct stat device{};
    if (stat(path.constData(), &device) != 0 || !S_ISCHR(device.st_mode))
        return holders;
    DIR* proc = opendir(procFolder.constData());
    if (!proc)
        return holders;
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long long pid = std::strtoll(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        const QByteArray processFolder = procFolder + '/' + entry->d_name;
        const QByteArray fdFolder = processFolder + "/fd";
        DIR* fds = opendir(fdFolder.constData());
        if (!fds)
            continue; // another user's process, or one that has just ended
        bool holds = false;
        while (const dirent* fd = readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            struct stat target{};
            // stat follows the descriptor's link to the open file itself.
            if (stat((fdFolder + '/' + fd->d_name).constData(), &target) == 0 && S_ISCHR(target.st_mode) &&
                target.st_rdev == device.st_rdev) {
                holds = true;
                break;
            }
        }
        closedir(fds);
        if (holds)
            holders.append({int64_t(pid), ProcessName(processFolder)});
    }
    closedir(proc);
    std::sort(holders.begin(), holders.end(), [](const TDeviceHolder& a, const TDeviceHolder& b) { return a.Pid < b.Pid; });
    return holders;
}

} // namespace PosixSerial
