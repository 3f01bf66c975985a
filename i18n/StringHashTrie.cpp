#include "i18n/StringHashTrie.h"

#include <bit>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

// Byte equality of two texts of equal length, inline: the program's keys are a few bytes to a
// sentence long, where a call into the C library's memcmp costs more than the comparison.
inline bool SameBytes(const char* a, const char* b, size_t n)
{
    const auto load64 = [](const char* p) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        return v;
    };
    const auto load32 = [](const char* p) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    };
    if (n >= 8) {
        for (size_t i = 0; i + 8 <= n; i += 8)
            if (load64(a + i) != load64(b + i))
                return false;
        return load64(a + n - 8) == load64(b + n - 8); // the last, partly compared word
    }
    if (n >= 4)
        return load32(a) == load32(b) && load32(a + n - 4) == load32(b + n - 4);
    for (; n > 0; ++a, ++b, --n)
        if (*a != *b)
            return false;
    return true;
}

inline unsigned char AsciiUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }
inline unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// The decimal text of a number, in a caller's buffer: no allocation on the lookup path.
std::string_view DecimalText(int64_t number, char (&buffer)[24])
{
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
}

} // namespace

uint32_t TextHash(std::string_view text)
{
    constexpr uint32_t m1 = 131u, m2 = m1 * m1, m4 = m2 * m2, m8 = m4 * m4;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    uint32_t h = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // h·131 + c over eight bytes at once is h·131⁸ plus the eight bytes' own share, summed
        // here in lanes of one 64-bit word: byte pairs b·131 + b' (below 2¹⁶), then pairs of
        // pairs (below 2³²), then the two halves. The same number as byte after byte.
        constexpr uint64_t bytes = 0x00FF00FF00FF00FFull, halves = 0x0000FFFF0000FFFFull;
        for (; n >= 8; p += 8, n -= 8) {
            uint64_t x;
            std::memcpy(&x, p, 8);
            const uint64_t pairs = (x & bytes) * m1 + ((x >> 8) & bytes);
            const uint64_t quads = (pairs & halves) * m2 + ((pairs >> 16) & halves);
            h = h * m8 + (static_cast<uint32_t>(quads) * m4 + static_cast<uint32_t>(quads >> 32));
        }
    }
    for (; n > 0; ++p, --n)
        h = h * m1 + *p;
    return h & 0x7FFFFFFFu;
}

uint32_t FoldedTextHash(std::string_view text)
{
    uint32_t h = 0;
    bool first = true;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        h = h * 131u + (first ? AsciiUpper(b) : AsciiLower(b));
        first = false;
    }
    return h & 0x7FFFFFFFu;
}

TStringHashTrie::TStringHashTrie(bool caseSensitive, bool keepList, uint8_t valueOwnership)
    : TCustomHashTrie(keepList),
      FCaseSensitive(caseSensitive),
      FValueOwnership(valueOwnership),
      FHashFunction(caseSensitive ? &TextHash : &FoldedTextHash)
{
}

TStringHashTrie::~TStringHashTrie()
{
    Clear();
}

void TStringHashTrie::Add(std::string_view key, void* value) { AddKey(key, value); }

void* TStringHashTrie::Find(std::string_view key)
{
    // The remembered lookup is the common case (the same word translated again, a log line
    // after another): compared here directly rather than through the virtual SameKey.
    const TCustomLinkedItem* last = LastFound();
    if (last && last->Value && SameText(key, last->Key))
        return last->Value;
    return FindKeyByHash(key);
}

void TStringHashTrie::AddInt(void* value, int64_t number)
{
    char buffer[24];
    AddKey(DecimalText(number, buffer), value);
}

void* TStringHashTrie::FindInt(int64_t number)
{
    char buffer[24];
    return Find(DecimalText(number, buffer));
}

uint32_t TStringHashTrie::HashOf(std::string_view key) const { return FHashFunction(key); }

void TStringHashTrie::DestroyItem(std::string& key, void*& value)
{
    std::string().swap(key);
    void* released = value;
    value = nullptr;
    if (!released)
        return;
    if (FValueOwnership == OwnsObjects)
        delete static_cast<TTrieObject*>(released);
    else if (FValueOwnership == OwnsMemory)
        std::free(released);
}

bool TStringHashTrie::SameKey(std::string_view a, std::string_view b) const { return SameText(a, b); }

bool TStringHashTrie::SameText(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    if (FCaseSensitive)
        return SameBytes(a.data(), b.data(), a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && AsciiUpper(x) != AsciiUpper(y))
            return false;
    }
    return true;
}
