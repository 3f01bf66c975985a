#include "sim/SimTracker.h"

#include "core/AppError.h"
#include "link/FrameCodec.h"
#include "sim/SimDevice.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Noise as it comes from a line that picks up interference: no frame start byte, but brackets
// and commas that a careless parser could take for an answer.
constexpr char JunkText[] = "\r\n\x00\xff(junk,P05,1)\x7f ~";
const QByteArray JunkBytes(JunkText, sizeof JunkText - 1);

// Answers that pile up while no port reads them are dropped beyond this.
constexpr qsizetype MaxOutgoingBytes = 64 * 1024;

constexpr int HangUpLingerMs = 100;

} // namespace

TSimTracker::TSimTracker() = default;

TSimTracker::~TSimTracker() { Stop(); }

bool TSimTracker::Start(QString* error)
{
    // The tracker before goes away as if pulled out; its number is held until the new device
    // is open, so the new one is always another.
    Unplug();
    if (!FPty.Open(error))
        return false;
    FWakeHandle = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FWakeHandle < 0) {
        if (error)
            *error = QStringLiteral("eventfd failed (Error: %1)").arg(errno);
        FPty.Close();
        return false;
    }
    {
        std::lock_guard lock(FMutex);
        FHungUp = false;
        FHangUpPending = false;
        FRunning = true;
        FAnswered = 0;
        FDevicePath = FPty.DevicePath();
    }
    FRxBuffer.clear();
    FOutgoing.clear();
    FStop = false;
    FNextBattery = TClock::now();
    FThread = std::thread([this] { Run(); });
    // The link appears only once the tracker answers behind it.
    if (!MakeLink(error)) {
        Stop();
        return false;
    }
    return true;
}

bool TSimTracker::Replug(QString* error) { return Start(error); }

void TSimTracker::Unplug()
{
    // Whatever looks for the tracker by its link from now on finds nothing, before the line
    // hangs up: nobody can follow the link to a device that is about to vanish.
    RemoveLink();
    HaltThread();
    FPty.HangUp();
    std::lock_guard lock(FMutex);
    if (FRunning)
        FHungUp = true;
    FRunning = false;
}

void TSimTracker::Stop()
{
    Unplug();
    FPty.Close();
}

void TSimTracker::HaltThread()
{
    if (FThread.joinable()) {
        FStop = true;
        Wake();
        FThread.join();
    }
    if (FWakeHandle >= 0)
        close(FWakeHandle);
    FWakeHandle = -1;
}

void TSimTracker::SetLinkPath(const QString& path)
{
    std::lock_guard lock(FMutex);
    FLinkPath = path;
}

QString TSimTracker::LinkPath() const
{
    std::lock_guard lock(FMutex);
    return FLinkPath;
}

QString TSimTracker::PortPath() const
{
    std::lock_guard lock(FMutex);
    return FLinkPath.isEmpty() ? FDevicePath : FLinkPath;
}

bool TSimTracker::MakeLink(QString* error)
{
    std::lock_guard lock(FMutex);
    if (FLinkPath.isEmpty())
        return true;
    const QByteArray link = QFile::encodeName(FLinkPath);
    const QByteArray device = QFile::encodeName(FDevicePath);
    const auto fail = [&](const char* step) {
        if (error)
            *error = QStringLiteral("%1 %2: %3").arg(QString::fromLatin1(step), FLinkPath,
                                                     QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    struct stat st {};
    if (lstat(link.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        errno = EEXIST;
        return fail("cannot make the link");
    }
    // Made under a name of its own and renamed over the path, so the link is never half there
    // and a link left behind by a tracker that was killed is replaced.
    const QByteArray fresh = link + ".new-" + QByteArray::number(qint64(getpid()));
    unlink(fresh.constData());
    if (symlink(device.constData(), fresh.constData()) != 0)
        return fail("cannot make the link");
    if (rename(fresh.constData(), link.constData()) != 0) {
        const int saved = errno;
        unlink(fresh.constData());
        errno = saved;
        return fail("cannot make the link");
    }
    return true;
}

void TSimTracker::RemoveLink()
{
    std::lock_guard lock(FMutex);
    if (FLinkPath.isEmpty())
        return;
    const QByteArray link = QFile::encodeName(FLinkPath);
    struct stat st {};
    if (lstat(link.constData(), &st) == 0 && S_ISLNK(st.st_mode))
        unlink(link.constData());
}

bool TSimTracker::IsRunning() const
{
    std::lock_guard lock(FMutex);
    return FRunning && !FHungUp;
}

QString TSimTracker::DevicePath() const
{
    std::lock_guard lock(FMutex);
    return FDevicePath;
}

TSimState TSimTracker::State() const
{
    std::lock_guard lock(FMutex);
    return FState;
}

void TSimTracker::SetState(const TSimState& state)
{
    std::lock_guard lock(FMutex);
    FState = state;
}

TSimFaults TSimTracker::Faults() const
{
    std::lock_guard lock(FMutex);
    return FFaults;
}

void TSimTracker::SetFaults(const TSimFaults& faults)
{
    {
        std::lock_guard lock(FMutex);
        FFaults = faults;
    }
    Wake(); // a new battery interval takes effect at once
}

QList<QByteArray> TSimTracker::ReceivedCommands() const
{
    std::lock_guard lock(FMutex);
    return FReceived;
}

void TSimTracker::ClearReceivedCommands()
{
    std::lock_guard lock(FMutex);
    FReceived.clear();
}

int TSimTracker::AnsweredCount() const
{
    std::lock_guard lock(FMutex);
    return FAnswered;
}

bool TSimTracker::HungUp() const
{
    std::lock_guard lock(FMutex);
    return FHungUp;
}

void TSimTracker::SendBatteryReport()
{
    FBatteryNow = true;
    Wake();
}

void TSimTracker::Wake()
{
    if (FWakeHandle < 0)
        return;
    const uint64_t one = 1;
    while (write(FWakeHandle, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

int TSimTracker::NextTimeoutMs() const
{
    std::optional<TClock::time_point> next;
    if (!FOutgoing.empty())
        next = FOutgoing.front().Due;
    const TSimFaults faults = Faults();
    if (faults.BatteryEveryMs > 0 && (!next || FNextBattery < *next))
        next = FNextBattery;
    if (!next)
        return -1;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*next - TClock::now()).count();
    return int(std::clamp<int64_t>(ms + 1, 0, 60'000));
}

void TSimTracker::Run()
{
    const int master = FPty.MasterHandle();
    while (!FStop) {
        // A tracker that stops reading leaves the program's bytes in the pseudo-terminal.
        const bool reading = !Faults().StopsReading;
        pollfd fds[2] = {{master, short(reading ? POLLIN : 0), 0}, {FWakeHandle, POLLIN, 0}};
        const bool writable = !FOutgoing.empty() && FOutgoing.front().Due <= TClock::now();
        if (writable)
            fds[0].events |= POLLOUT;
        // With an answer due, wait for room in the pseudo-terminal rather than spin on a full one.
        const int r = poll(fds, 2, writable ? -1 : NextTimeoutMs());
        if (r < 0 && errno != EINTR)
            break;
        if (FStop)
            break;
        if (fds[1].revents & POLLIN) {
            uint64_t value;
            while (read(FWakeHandle, &value, sizeof value) < 0 && errno == EINTR) {
            }
        }
        if (fds[0].revents & POLLIN)
            ReceiveBytes();
        else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // Cannot happen while the device side is kept open; if it does, stop rather than spin.
            std::lock_guard lock(FMutex);
            FHungUp = true;
            return;
        }

        const TSimFaults faults = Faults();
        const TClock::time_point now = TClock::now();
        if (FBatteryNow.exchange(false) || (faults.BatteryEveryMs > 0 && FNextBattery <= now)) {
            if (faults.BatteryEveryMs > 0)
                FNextBattery = now + std::chrono::milliseconds(faults.BatteryEveryMs);
            TSimFaults plain;
            QueueFrame(SimDevice::BatteryReport(State()), plain, false);
        }
        if (!FlushDue())
            return; // hung up: the tracker is gone until it is started again
    }
}

void TSimTracker::ReceiveBytes()
{
    FRxBuffer += FPty.ReadAvailable();
    CapRxBuffer(FRxBuffer);
    QByteArray command;
    for (;;) {
        const bool found = ExtractFrame(FRxBuffer, command);
        if (found)
            HandleCommand(command);
        else if (FRxBuffer.count(FrameStartByte) < 2)
            break; // the rest of a frame has not arrived yet
    }
}

void TSimTracker::HandleCommand(const QByteArray& command)
{
    QByteArray answer;
    TSimFaults faults;
    bool hangUp = false;
    {
        std::lock_guard lock(FMutex);
        FReceived.append(command);
        if (FHangUpPending)
            return; // about to hang up: no more answers
        faults = FFaults;
        const bool ignored = faults.IgnoreWriteCmd > 0 && command.startsWith(
            "(P" + QByteArray::number(faults.IgnoreWriteCmd).rightJustified(2, '0') + ",1");
        answer = SimDevice::Answer(FState, ignored ? SimDevice::ReadFormOf(command) : command, faults.EmptySlotAsZero);
        if (answer.isEmpty() || faults.Silent)
            return;
        ++FAnswered;
        hangUp = faults.HangUpAfter > 0 && FAnswered >= faults.HangUpAfter;
        FHangUpPending = hangUp;
    }
    QueueFrame(SimDevice::Malform(answer, faults.Malformed), faults, hangUp);
}

void TSimTracker::QueueFrame(const QByteArray& payload, const TSimFaults& faults, bool hangUpAfter)
{
    QByteArray frame;
    try {
        frame = EncodeFrame(payload);
    } catch (const EAppError&) {
        return; // an answer too long for the length byte (a huge alias typed into the console)
    }
    if (faults.Junk)
        frame.prepend(JunkBytes);
    const TClock::time_point due = TClock::now() + std::chrono::milliseconds(std::max(0, faults.DelayMs));
    TClock::time_point last = due;
    if (faults.ByteGapMs > 0) {
        for (qsizetype i = 0; i < frame.size(); ++i) {
            last = due + std::chrono::milliseconds(int64_t(faults.ByteGapMs) * i);
            FOutgoing.push_back({last, frame.mid(i, 1), false});
        }
    } else if (faults.SplitFrames && frame.size() > 1) {
        const qsizetype half = frame.size() / 2;
        last = due + std::chrono::milliseconds(std::max(1, faults.SplitGapMs));
        FOutgoing.push_back({due, frame.left(half), false});
        FOutgoing.push_back({last, frame.mid(half), false});
    } else {
        FOutgoing.push_back({due, frame, false});
    }
    // Bytes not yet read by the other side are lost with the line, so the hang-up waits a
    // moment after the last answer.
    if (hangUpAfter)
        FOutgoing.push_back({last + std::chrono::milliseconds(HangUpLingerMs), QByteArray(), true});
    // Keep due times in order (a late answer can be followed by an on-time battery report).
    std::stable_sort(FOutgoing.begin(), FOutgoing.end(), [](const TOutgoing& a, const TOutgoing& b) { return a.Due < b.Due; });
    qsizetype total = 0;
    for (const TOutgoing& o : FOutgoing)
        total += o.Bytes.size();
    while (total > MaxOutgoingBytes && !FOutgoing.empty()) {
        total -= FOutgoing.front().Bytes.size();
        FOutgoing.pop_front();
    }
}

bool TSimTracker::FlushDue()
{
    while (!FOutgoing.empty() && FOutgoing.front().Due <= TClock::now()) {
        TOutgoing& out = FOutgoing.front();
        const ssize_t n = out.Bytes.isEmpty() ? 0 : write(FPty.MasterHandle(), out.Bytes.constData(), size_t(out.Bytes.size()));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return true; // no room: wait for POLLOUT
            FOutgoing.pop_front(); // the device side is gone; the answer is lost as on a real line
            continue;
        }
        out.Bytes.remove(0, n);
        if (!out.Bytes.isEmpty())
            return true;
        const bool hangUp = out.HangUpAfter;
        FOutgoing.pop_front();
        if (hangUp) {
            // As Unplug does: the link first, then the line; the number stays held.
            RemoveLink();
            FPty.HangUp();
            std::lock_guard lock(FMutex);
            FHungUp = true;
            return false;
        }
    }
    return true;
}
