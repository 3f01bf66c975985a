// The language-file loader: the input is "locale/fuzz.lng" in a temporary data folder. Each run
// starts the language module afresh, loads the file (LoadLanguage, the hash tries) and
// translates the interface texts the program numbers first, so their numbers meet the file's
// keys, then one text that has no translation.

#include "core/DataFolder.h"
#include "i18n/Language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv); // LanguageFolders asks for the program's folder
    Folder = new QTemporaryDir;
    SetAppDataFolder(Folder->path());
    Require(QDir().mkpath(LanguageFolder()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile out(LanguageFolder() + QStringLiteral("/fuzz.lng"));
        Require(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        Require(out.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    }
    ResetLanguageModule();
    LoadLanguage(QStringLiteral("fuzz"));
    Require(CurrentLanguage() == QStringLiteral("fuzz"));

    static const char* const Texts[] = {"ID", "Name", "Top-left Lat.", "Top-left Long.", "Serial port",
                                        "Baud rate", "Open[&O]", "Basic information", "Operation success !",
                                        "Message", "ERROR", "Main Settings"};
    for (const char* text : Texts) {
        const QString source = QString::fromLatin1(text);
        // Never empty: an empty translation leaves the English text.
        Require(!Translate(source).isEmpty());
        // The same text again takes the remembered path and gives the same answer.
        Require(Translate(source) == Translate(source));
    }
    Require(SourceTextCount() == int32_t(std::size(Texts)));
    Require(SourceText(0) == QStringLiteral("ID"));
    // A text numbered after the file was read has no entry in it unless the file names its number.
    Translate(QStringLiteral("A text numbered last"));
    return 0;
}
