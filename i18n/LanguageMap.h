#pragma once

#include "i18n/StringHashTrie.h"

#include <QString>
#include <cstdint>

// One language entry: a catalogue number and its text, the English source text (in the table of
// source texts) or the translated text (in the table of translations). Owned by its trie.
struct TMap : TTrieObject {
    TMap(int32_t number, QString text) : Number(number), Text(std::move(text)) {}
    int32_t Number;
    QString Text;
};
