#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// The language module. Every English source text gets a catalogue number the first time it is
// translated (0, 1, 2, … for the whole run, whatever the language); a language file "locale/<name>.lng"
// in the data folder maps numbers to translated texts in its section "language".
// User-interface thread only.

// The current language's text for an English source text, or the text itself. Never fails.
QString Translate(const QString& text);

// Makes the named language the current one. The same name (exact case) again reads nothing; a
// missing or unreadable file gives no translations. Keys "7" and "007" both mean number 7; the
// first entry of a number wins; an empty value leaves that text in English.
void LoadLanguage(const QString& name);

// The current language's entry of section "texts" for a program text's name (any letter case);
// empty when it has none. See i18n/ProgramTexts.h.
QString ProgramTextTranslation(const QString& key);

// Writes every source text numbered so far into that language's file, under the keys "%.3d",
// and every program text's English text into its section "texts" (so it is meant for the
// English catalogue), creating the folder "locale" when needed. Other entries and sections of the file are kept.
// Raises EAppError when the folder cannot be made, an existing file cannot be read (it is then
// left as it is) or the file cannot be written.
void SaveLanguageCatalogue(const QString& name);

// The language whose file is loaded; empty before the first LoadLanguage.
QString CurrentLanguage();
// How many source texts have been numbered, and the text of a number (empty when out of range).
int32_t SourceTextCount();
QString SourceText(int32_t number);

// The folder "locale" in the data folder: the user's own languages and the written catalogue.
QString LanguageFolder();
// Where languages are looked for: LanguageFolder first, then the folders of the languages shipped
// with the program (the same folder in portable use is listed once).
QStringList LanguageFolders();
// The file of a language in LanguageFolder, where it is written. On a file system that tells
// letter case apart, an existing file whose base name differs from the name only in case is the
// language's file (as on the program's first platform, where "Chinese" and "chinese.lng" are
// one); otherwise "<folder>/<name>.lng".
QString LanguageFilePath(const QString& name);
// The file a language is read from: the first of LanguageFolders holding it, otherwise
// LanguageFilePath.
QString FindLanguageFile(const QString& name);
// The names of the languages: base names of the ".lng" files in listing order, folder by folder,
// a name listed once.
QStringList ListLanguages();

// Ends the module and starts it afresh, as a new run of the program would: every number and
// translation forgotten, no current language. For tests that restart the window in one process.
void ResetLanguageModule();
