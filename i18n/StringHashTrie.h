#pragma once

#include "i18n/CustomHashTrie.h"

#include <cstdint>
#include <string_view>

// Base of the objects a TStringHashTrie can own (value ownership OwnsObjects): destroyed through
// this base when their item is released.
class TTrieObject {
public:
    virtual ~TTrieObject() = default;
};

// The text hash: h = h·131 + byte over the text, in 32-bit wrapping arithmetic, masked to 31 bits.
uint32_t TextHash(std::string_view text);
// The text hash of the folded text: every ASCII letter lower case, then the first character upper
// case. Texts equal without regard to ASCII letter case fold alike.
uint32_t FoldedTextHash(std::string_view text);

// The hash trie keyed by byte texts (UTF-8 in this program), exact or without regard to ASCII case.
class TStringHashTrie final : public TCustomHashTrie {
public:
    // What the trie does with a value when its item is released.
    enum : uint8_t {
        OwnsObjects = 0, // values are TTrieObject*, deleted
        OwnsMemory = 1,  // values are std::malloc blocks, freed
        OwnsNothing = 2, // any other code: values are left alone
    };

    TStringHashTrie(bool caseSensitive, bool keepList, uint8_t valueOwnership);
    ~TStringHashTrie() override;

    // Adds a key that is not present; raises EAssertionFailed("重复的关键字 [key]") otherwise.
    void Add(std::string_view key, void* value);
    // The value stored under the key, or nullptr.
    void* Find(std::string_view key);
    // Add and Find with the key = the number's decimal text ("-" for negatives, no leading zeros).
    void AddInt(void* value, int64_t number);
    void* FindInt(int64_t number);

    // Typed helpers for owned objects: the pointer stored is the TTrieObject base.
    template <class T>
    void AddObject(std::string_view key, T* object)
    {
        Add(key, static_cast<void*>(static_cast<TTrieObject*>(object)));
    }
    template <class T>
    void AddIntObject(T* object, int64_t number)
    {
        AddInt(static_cast<void*>(static_cast<TTrieObject*>(object)), number);
    }
    template <class T>
    static T* AsObject(void* value)
    {
        return static_cast<T*>(static_cast<TTrieObject*>(value));
    }

    bool CaseSensitive() const { return FCaseSensitive; }
    uint8_t ValueOwnership() const { return FValueOwnership; }

    uint32_t HashOf(std::string_view key) const override;
    void DestroyItem(std::string& key, void*& value) override;
    bool SameKey(std::string_view a, std::string_view b) const override;

private:
    // Key equality by the table's case rule, without a virtual call.
    bool SameText(std::string_view a, std::string_view b) const;

    bool FCaseSensitive;
    uint8_t FValueOwnership;
    uint32_t (*FHashFunction)(std::string_view);
};
