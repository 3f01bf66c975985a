#pragma once

#include <QDir>
#include <QFile>
#include <ctime>

// What the process holds, to prove that opening and closing ports leaks nothing.
inline int CountOpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

// Event threads of serial ports alive in this process. Qt names each OS thread after its
// object name; counting only these keeps other threads (Qt's own, ending at their own pace)
// out of the figure.
inline int CountThreads()
{
    int count = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::NoDotAndDotDot | QDir::Dirs)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "TComThread")
            ++count;
    }
    return count;
}

// CPU time used by the whole process so far, in milliseconds.
inline double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// Resident memory of the process (VmRSS of /proc/self/status), in KiB; -1 when unreadable.
inline qint64 ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// The bound on resident-memory growth over many cycles. AddressSanitizer holds freed memory back
// in its quarantine (up to 256 MB) and ThreadSanitizer keeps shadow memory and records for every
// thread that ever ran, so under them the figure says nothing about our leaks; those are
// LeakSanitizer's to find (scripts/test --leaks).
inline qint64 ResidentGrowthBoundKiB()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return 256 * 1024;
#else
    return 2048;
#endif
}
