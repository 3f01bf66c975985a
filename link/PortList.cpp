#include "link/PortList.h"

#include "core/IniText.h"
#include "core/Numbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {

// Two names of one device (a symbolic link such as /dev/serial/by-id/... and its target) are
// the same device.
QString DeviceIdentity(const QString& device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return canonical.isEmpty() ? device : canonical;
}

} // namespace

bool NaturalPathLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const QString na = a.mid(i, ei - i).remove(QRegularExpression(QStringLiteral("^0+(?=.)")));
            const QString nb = b.mid(j, ej - j).remove(QRegularExpression(QStringLiteral("^0+(?=.)")));
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

void TPortList::Build(const TIniText& settings, const QStringList& present)
{
    FConfigured.clear();
    FGiven.clear();
    FAdded.clear();
    FListed.clear();
    const QString section = QString::fromLatin1(SettingsSection);
    for (const QString& key : settings.SectionKeys(section)) {
        int32_t number = 0;
        if (!TryStrToInt(key, number) || number < 1)
            continue;
        if (std::any_of(FConfigured.cbegin(), FConfigured.cend(), [&](const TPortEntry& e) { return e.Number == number; }))
            continue;
        const QString device = settings.ReadString(section, key, QString());
        if (!device.isEmpty())
            FConfigured.append({number, device});
    }
    Refresh(present);
}

bool TPortList::Refresh(const QStringList& present)
{
    const QList<TPortEntry> before = FListed;
    FListed.clear();
    QStringList presentIdentities;
    for (const QString& device : present)
        presentIdentities << DeviceIdentity(device);
    for (const TPortEntry& entry : FConfigured)
        if (QFileInfo::exists(entry.Device) || presentIdentities.contains(DeviceIdentity(entry.Device)))
            Insert(entry);
    for (const TPortEntry& entry : FAdded)
        if (NumberOf(entry.Device) == 0)
            Insert(entry);

    QStringList unnamed;
    for (const QString& device : present)
        if (NumberOf(device) == 0 && !unnamed.contains(device))
            unnamed << device;
    std::sort(unnamed.begin(), unnamed.end(), NaturalPathLess);
    // Devices that carry a number of their own (Windows' COMn) take it first, when it is free;
    // the others take the free numbers after them.
    std::stable_partition(unnamed.begin(), unnamed.end(), [](const QString& d) { return SystemPortNumber(d) > 0; });
    for (const QString& device : unnamed) {
        const auto given = std::find_if(FGiven.cbegin(), FGiven.cend(), [&](const TPortEntry& e) { return e.Device == device; });
        if (given != FGiven.cend()) {
            Insert(*given);
        } else {
            const int32_t own = SystemPortNumber(device);
            const TPortEntry entry{own > 0 && !Taken(own) ? own : FirstFreeNumber(), device};
            FGiven.append(entry);
            Insert(entry);
        }
    }
    const auto same = [](const TPortEntry& a, const TPortEntry& b) { return a.Number == b.Number && a.Device == b.Device; };
    return !std::equal(before.cbegin(), before.cend(), FListed.cbegin(), FListed.cend(), same);
}

QString TPortList::DeviceOf(const QString& numberText) const
{
    int32_t number = 0;
    if (!TryStrToInt(numberText.trimmed(), number))
        return {};
    for (const TPortEntry& entry : FListed)
        if (entry.Number == number)
            return entry.Device;
    for (const TPortEntry& entry : FConfigured)
        if (entry.Number == number)
            return entry.Device;
    return number >= 1 ? SystemPortDevice(number) : QString();
}

int32_t TPortList::NumberOf(const QString& device) const
{
    const QString identity = DeviceIdentity(device);
    for (const QList<TPortEntry>* list : {&FListed, &FConfigured})
        for (const TPortEntry& entry : *list)
            if (entry.Device == device || DeviceIdentity(entry.Device) == identity)
                return entry.Number;
    return 0;
}

int32_t TPortList::AddDevice(const QString& device)
{
    for (const TPortEntry& entry : FListed)
        if (entry.Device == device)
            return entry.Number;
    const TPortEntry entry{FirstFreeNumber(), device};
    FAdded.append(entry);
    Insert(entry);
    return entry.Number;
}

bool TPortList::Taken(int32_t number) const
{
    for (const QList<TPortEntry>* list : {&FListed, &FConfigured, &FGiven, &FAdded})
        for (const TPortEntry& entry : *list)
            if (entry.Number == number)
                return true;
    return false;
}

int32_t TPortList::FirstFreeNumber() const
{
    int32_t number = 1;
    while (Taken(number))
        ++number;
    return number;
}

void TPortList::Insert(const TPortEntry& entry)
{
    const auto at = std::lower_bound(FListed.begin(), FListed.end(), entry.Number,
                                     [](const TPortEntry& e, int32_t n) { return e.Number < n; });
    FListed.insert(at, entry);
}

QString StableDeviceName(const QString& device, const QString& byIdFolder)
{
    const QString identity = DeviceIdentity(device);
    const QDir folder(byIdFolder);
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString link = folder.filePath(name);
        if (QFileInfo(link).canonicalFilePath() == identity)
            return link;
    }
    return {};
}
