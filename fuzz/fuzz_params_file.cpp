// The parameter-file loader: the input is a ".cfg" file, loaded into the real Main Settings and
// Alarm Setting pages (TParamsFile::LoadParamsFile, TAppParamsConfig::ReadFrom, ToPages), then
// saved over itself and loaded again. What the pages show must survive that round trip (a CR or
// LF inside a value is saved as a blank, as every INI value is) and the file's other sections
// must survive the save; otherwise the target stops with a trap.

#include "support_PagesRig.h"

#include "core/AppError.h"
#include "core/IniText.h"
#include "core/Numbers.h"
#include "params/AppParamsConfig.h"
#include "params/ParamsFile.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <utility>

#include <cstddef>
#include <cstdio>
#include <cstdint>

namespace {

struct TParamsTarget {
    TPagesRig Rig;
    TParamsFile File{*Rig.Main, *Rig.Alarm};
    QTemporaryDir Folder;
};

TParamsTarget* Target = nullptr;

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// A text as it comes back from a file: saved on one line (a CR or LF becomes a blank) and
// trimmed, read back through the UTF-8 decoder, which takes a leading U+FEFF for a byte order
// mark and drops it.
QString OneLine(const QString& text)
{
    QByteArray bytes = text.toLocal8Bit();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return QString::fromLocal8Bit(bytes.trimmed());
}

// The set as the pages give it back after a save and a load: the edit fields are trimmed again
// by the page reader, the battery alert's text is taken as it is.
TAppParamsConfig AsSaved(TAppParamsConfig c)
{
    for (QString* text : {&c.Alias, &c.TimeDiff, &c.GSensorParams, &c.IPAddress, &c.Port, &c.APN, &c.APNUser,
                          &c.APNPassword})
        *text = TrimText(OneLine(*text));
    for (QString& number : c.AuthNumbers)
        number = TrimText(OneLine(number));
    c.LowBattery = OneLine(c.LowBattery);
    c.AlarmParams = OneLine(c.AlarmParams);
    return c;
}

// The first field in which two sets differ, or nullptr.
const char* FirstDifference(const TAppParamsConfig& a, const TAppParamsConfig& b)
{
    for (int i = 0; i < 5; ++i)
        if (a.AuthNumbers[i] != b.AuthNumbers[i])
            return "AuthNumbers";
    const std::pair<const char*, bool> same[] = {
        {"Alias", a.Alias == b.Alias}, {"LowBattery", a.LowBattery == b.LowBattery},
        {"TimeDiff", a.TimeDiff == b.TimeDiff}, {"GSensorParams", a.GSensorParams == b.GSensorParams},
        {"IPAddress", a.IPAddress == b.IPAddress}, {"Port", a.Port == b.Port}, {"APN", a.APN == b.APN},
        {"APNUser", a.APNUser == b.APNUser}, {"APNPassword", a.APNPassword == b.APNPassword},
        {"NormalUploading", a.NormalUploading == b.NormalUploading},
        {"MovingUploading", a.MovingUploading == b.MovingUploading}, {"UploadMode", a.UploadMode == b.UploadMode},
        {"KeepAliveOn", a.KeepAliveOn == b.KeepAliveOn}, {"KeepAliveSeconds", a.KeepAliveSeconds == b.KeepAliveSeconds},
        {"AlarmParams", a.AlarmParams == b.AlarmParams}};
    for (const auto& [name, equal] : same)
        if (!equal)
            return name;
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv); // lives for the whole run, as the program's does
    Target = new TParamsTarget;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TParamsFile& file = Target->File;
    Target->Rig.Queue->AbortCmdQueue();
    Target->Rig.Messages.clear();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = Target->Folder.filePath(QStringLiteral("tracker.cfg"));
    {
        QFile out(path);
        Require(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Require(out.write(bytes) == bytes.size());
    }

    try {
        file.LoadParamsFile(path);
    } catch (const EAppError&) {
        // An alarm index out of range ends the load with its message; earlier values stay set.
    }
    const TAppParamsConfig shown = AsSaved(file.FromPages());

    try {
        file.SaveParamsFile(path);
        file.LoadParamsFile(path);
    } catch (const EAppError&) {
        __builtin_trap(); // the program's own file in a writable folder saves and loads
    }
    const TAppParamsConfig again = file.FromPages();
    if (const char* field = FirstDifference(again, shown)) {
        std::fprintf(stderr, "%s changed on saving and loading again\n", field);
        __builtin_trap();
    }

    // The sections the program does not know survive the save.
    const QStringList before = TIniText::FromBytes(bytes).SectionNames();
    TIniText after;
    Require(after.LoadFile(path));
    // A name whose bytes are no UTF-8, or that begins with a byte order mark (which decoding
    // drops), cannot be named through a QString: only the others are looked up.
    for (const QString& section : before)
        if (!section.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBB\xBF" + section.toLocal8Bit()))
            Require(after.SectionExists(section));
    QCoreApplication::sendPostedEvents();
    return 0;
}
