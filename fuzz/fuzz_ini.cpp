// The INI reader and writer behind the settings file, parameter files and language files.
// The input is a whole file: it is read from disk, every section and key is looked up, a value
// made from the input is written (into "config" as the settings file does, and into the file's
// own first section), saved atomically and read back. A value that does not survive the round
// trip is a fault: the target stops with a trap.

#include "core/AppError.h"
#include "core/IniText.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

QTemporaryDir* Folder = nullptr;

void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// What a written value reads back as: the writer keeps a value on one line and trims it.
QString Expected(const QString& value)
{
    QByteArray bytes = value.toLocal8Bit();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return QString::fromLocal8Bit(bytes.trimmed());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = Folder->filePath(QStringLiteral("settings.ini"));
    {
        QFile file(path);
        Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Require(file.write(bytes) == bytes.size());
    }

    TIniText ini;
    Require(ini.LoadFile(path));
    // Reading every entry, by every route. A name whose bytes are no UTF-8 (the system's code
    // page here), or that begins with a byte order mark (which decoding drops), cannot be named
    // again through a QString: such names are listed, not looked up.
    const auto nameable = [&bytes](const QString& name) {
        return !name.contains(QChar::ReplacementCharacter) && !bytes.contains("\xEF\xBB\xBF" + name.toLocal8Bit());
    };
    for (const QString& section : ini.SectionNames()) {
        if (!nameable(section))
            continue;
        Require(ini.SectionExists(section));
        const QStringList keys = ini.SectionKeys(section);
        const auto entries = ini.SectionEntries(section);
        Require(keys.size() == entries.size());
        for (const QString& key : keys) {
            if (!nameable(key))
                continue;
            Require(ini.ValueExists(section, key));
            ini.ReadString(section, key, QString());
        }
    }

    // The value: the last line of the input, whatever it holds.
    const QString value = QString::fromLocal8Bit(bytes.mid(bytes.lastIndexOf('\n') + 1));
    const QString config = QStringLiteral("config"), language = QStringLiteral("language");
    ini.WriteString(config, language, value);
    const QStringList sections = ini.SectionNames();
    const QString own = sections.value(0);
    ini.WriteString(own, QStringLiteral("lat"), value);
    Require(ini.ReadString(config, language, QString()) == Expected(value));

    const QString saved = Folder->filePath(QStringLiteral("saved.ini"));
    try {
        ini.SaveFile(saved);
    } catch (const EAppError&) {
        __builtin_trap(); // a writable temporary folder must take the file
    }
    TIniText back;
    Require(back.LoadFile(saved));
    Require(back.ReadString(config, language, QStringLiteral("<missing>")) == Expected(value));
    Require(back.ReadString(own, QStringLiteral("lat"), QStringLiteral("<missing>")) == Expected(value));
    // Nothing else is lost either: the same sections in the same order.
    Require(back.SectionNames() == ini.SectionNames());
    Require(back.ToBytes() == ini.ToBytes());
    return 0;
}
