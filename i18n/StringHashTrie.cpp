#include "i18n/StringHashTrie.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace {

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
    // h·131 + c, byte after byte, computed four bytes at a time: h·131⁴ plus the four bytes'
    // share, which does not depend on h. Same result in 32-bit arithmetic, a quarter of the
    // multiplications in the dependency chain.
    constexpr uint32_t m1 = 131u, m2 = m1 * m1, m3 = m2 * m1, m4 = m3 * m1;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    uint32_t h = 0;
    for (; n >= 4; p += 4, n -= 4)
        h = h * m4 + (p[0] * m3 + p[1] * m2 + p[2] * m1 + p[3]);
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

void* TStringHashTrie::Find(std::string_view key) { return FindKey(key); }

void TStringHashTrie::AddInt(void* value, int64_t number)
{
    char buffer[24];
    AddKey(DecimalText(number, buffer), value);
}

void* TStringHashTrie::FindInt(int64_t number)
{
    char buffer[24];
    return FindKey(DecimalText(number, buffer));
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

bool TStringHashTrie::SameKey(std::string_view a, std::string_view b) const
{
    if (a.size() != b.size())
        return false;
    if (FCaseSensitive)
        return a.size() == 0 || std::memcmp(a.data(), b.data(), a.size()) == 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && AsciiUpper(x) != AsciiUpper(y))
            return false;
    }
    return true;
}
