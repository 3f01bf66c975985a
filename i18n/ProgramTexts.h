#pragma once

#include <QString>
#include <span>

// Texts the program shows beyond the numbered catalogue of section "language": refusals,
// notices, the windows and settings added later. Each has a short stable name that keys it in
// section "texts" of every language file, so adding one never moves a catalogue number.
struct TProgramText {
    const char* Key;     // lower case, letters, digits and "_"
    const char* English; // may hold %1, %2 … for QString::arg
};

// Every program text, in the order they are written into the English catalogue.
std::span<const TProgramText> ProgramTexts();

// The current language's text for a program text, or its English text when the language has
// none. An unknown name gives the name itself, so a slip shows on screen instead of nothing.
QString TranslateText(const char* key);
// A text that counts something, in the form for that count: "<key>_one" for a count of 1 when
// the table has that form, else the key's own text (the form for every other count). Chinese
// writes both alike; English and Spanish differ.
QString TranslateCount(const char* key, qint64 count);
// The English text of a name; empty when no program text has that name.
QString EnglishText(const char* key);
