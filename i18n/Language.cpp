#include "i18n/Language.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/IniText.h"
#include "core/Numbers.h"
#include "i18n/FileHelper.h"
#include "i18n/LanguageMap.h"
#include "i18n/ProgramTexts.h"
#include "i18n/StringHashTrie.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <memory>
#include <string_view>

namespace {

const QString LanguageSection = QStringLiteral("language");
const QString TextsSection = QStringLiteral("texts");
const QString LanguageExtension = QStringLiteral("lng");

// The module's state for the whole run. Both tables: exact keys, insertion order kept, entries
// owned. The source texts' insertion order is their number order.
struct TLanguageModule {
    TStringHashTrie SourceTexts{true, true, TStringHashTrie::OwnsObjects};
    TStringHashTrie Translations{true, true, TStringHashTrie::OwnsObjects};
    // Section "texts": program texts by their lower-case name, the first entry of a name wins.
    QHash<QString, QString> ProgramTexts;
    QString CurrentLanguage;
};

std::unique_ptr<TLanguageModule>& ModuleSlot()
{
    static std::unique_ptr<TLanguageModule> module;
    return module;
}

TLanguageModule& Module()
{
    auto& module = ModuleSlot();
    if (!module)
        module.reset(new TLanguageModule);
    return *module;
}

// The UTF-8 key of a text. Interface texts are short and ASCII: those are converted on the stack,
// so that translating a text already numbered allocates nothing until its result is returned.
class TTextKey {
public:
    explicit TTextKey(const QString& text)
    {
        const qsizetype size = text.size();
        const QChar* chars = text.constData();
        if (size <= qsizetype(sizeof FStack)) {
            qsizetype i = 0;
            for (; i < size && chars[i].unicode() < 0x80; ++i)
                FStack[i] = static_cast<char>(chars[i].unicode());
            if (i == size) {
                FView = std::string_view(FStack, static_cast<size_t>(size));
                return;
            }
        }
        FHeap = text.toUtf8();
        FView = std::string_view(FHeap.constData(), static_cast<size_t>(FHeap.size()));
    }
    std::string_view View() const { return FView; }

private:
    char FStack[128];
    QByteArray FHeap;
    std::string_view FView;
};

} // namespace

QString Translate(const QString& text)
{
    TLanguageModule& module = Module();
    const TTextKey key(text);
    auto* source = TStringHashTrie::AsObject<TMap>(module.SourceTexts.Find(key.View()));
    if (!source) {
        auto entry = std::make_unique<TMap>(module.SourceTexts.Count(), text);
        source = entry.get();
        module.SourceTexts.AddObject(key.View(), entry.release());
    }
    if (void* found = module.Translations.FindInt(source->Number)) {
        const TMap* translation = TStringHashTrie::AsObject<TMap>(found);
        if (!translation->Text.isEmpty())
            return translation->Text;
    }
    return text;
}

void LoadLanguage(const QString& name)
{
    TLanguageModule& module = Module();
    if (name == module.CurrentLanguage)
        return;
    module.CurrentLanguage = name;
    module.Translations.Clear();
    module.ProgramTexts.clear();

    TIniText file;
    if (!file.LoadFile(FindLanguageFile(name)))
        return; // an unreadable file counts as missing: the texts stay English
    for (const auto& [key, value] : file.SectionEntries(LanguageSection)) {
        int32_t number = 0;
        if (!TryStrToInt(key, number))
            continue;
        if (module.Translations.FindInt(number))
            continue; // the first entry of a number wins
        module.Translations.AddIntObject(new TMap(number, value), number);
    }
    for (const auto& [key, value] : file.SectionEntries(TextsSection)) {
        const QString name = key.toLower();
        if (!value.isEmpty() && !module.ProgramTexts.contains(name))
            module.ProgramTexts.insert(name, value);
    }
}

QString ProgramTextTranslation(const QString& key) { return Module().ProgramTexts.value(key.toLower()); }

void SaveLanguageCatalogue(const QString& name)
{
    TLanguageModule& module = Module();
    const QString folder = LanguageFolder();
    if (!QDir().mkpath(folder))
        throw EAppError(QStringLiteral("Cannot create folder \"%1\".").arg(folder));

    const QString path = LanguageFilePath(name);
    TIniText file;
    QString reason;
    // Rewriting a file that exists but could not be read would throw its other entries away.
    if (!file.LoadFile(path, &reason))
        throw EAppError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, reason));

    // The file is written whole even when an entry fails; the failure is reported afterwards.
    std::exception_ptr failure;
    try {
        const int32_t count = module.SourceTexts.Count();
        for (int32_t i = 0; i < count; ++i) {
            const TMap* entry = TStringHashTrie::AsObject<TMap>(module.SourceTexts.Item(i));
            file.WriteString(LanguageSection, QStringLiteral("%1").arg(entry->Number, 3, 10, QLatin1Char('0')),
                             entry->Text);
        }
        for (const TProgramText& text : ProgramTexts())
            file.WriteString(TextsSection, QString::fromLatin1(text.Key), QString::fromUtf8(text.English));
    } catch (...) {
        failure = std::current_exception();
    }
    file.SaveFile(path);
    if (failure)
        std::rethrow_exception(failure);
}

QString CurrentLanguage() { return Module().CurrentLanguage; }

int32_t SourceTextCount() { return Module().SourceTexts.Count(); }

QString SourceText(int32_t number)
{
    TLanguageModule& module = Module();
    if (number < 0 || number >= module.SourceTexts.Count())
        return QString();
    return TStringHashTrie::AsObject<TMap>(module.SourceTexts.Item(number))->Text;
}

QString LanguageFolder() { return AppDataPath(QStringLiteral("locale")); }

namespace {

// The file of a language in one folder: the exact name, or one differing only in letter case.
QString LanguageFileIn(const QString& folder, const QString& name)
{
    const QString exact = folder + QLatin1Char('/') + name + QLatin1Char('.') + LanguageExtension;
    if (QFileInfo::exists(exact))
        return exact;
    QStringList files;
    TFileHelper::ListFiles(folder, LanguageExtension, TFileHelper::faNone, files);
    for (const QString& file : files)
        if (QFileInfo(file).completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
            return file;
    return QString();
}

} // namespace

QStringList LanguageFolders()
{
    QStringList folders{LanguageFolder()};
    QStringList seen{QFileInfo(LanguageFolder()).canonicalFilePath()};
    for (const QString& folder : ShippedLanguageFolders(QCoreApplication::applicationDirPath())) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (!seen.contains(canonical)) {
            seen << canonical;
            folders << folder;
        }
    }
    return folders;
}

QString LanguageFilePath(const QString& name)
{
    const QString found = LanguageFileIn(LanguageFolder(), name);
    return found.isEmpty() ? LanguageFolder() + QLatin1Char('/') + name + QLatin1Char('.') + LanguageExtension : found;
}

QString FindLanguageFile(const QString& name)
{
    for (const QString& folder : LanguageFolders())
        if (const QString found = LanguageFileIn(folder, name); !found.isEmpty())
            return found;
    return LanguageFilePath(name);
}

QStringList ListLanguages()
{
    QStringList names;
    for (const QString& folder : LanguageFolders()) {
        QStringList files;
        TFileHelper::ListFiles(folder + QLatin1Char('/'), LanguageExtension, TFileHelper::faNone, files);
        for (const QString& file : files) {
            const QString name = QFileInfo(file).completeBaseName();
            // A language of the user's own hides a shipped one of the same name.
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
        }
    }
    return names;
}

void ResetLanguageModule() { ModuleSlot().reset(); }
