#include "core/Numbers.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace {

template <typename T>
bool ParseInteger(const QByteArray& text, T& value)
{
    const char* first = text.constData();
    const char* last = first + text.size();
    if (first == last)
        return false;
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    if (first == last || *first < '0' || *first > '9')
        return false;
    // Parse the magnitude as unsigned so that the most negative value still fits.
    uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(first, last, magnitude);
    if (ec != std::errc() || ptr != last)
        return false;
    using U = std::make_unsigned_t<T>;
    const uint64_t limit = negative ? uint64_t(U(std::numeric_limits<T>::max())) + 1
                                    : uint64_t(std::numeric_limits<T>::max());
    if (magnitude > limit)
        return false;
    value = negative ? T(0 - magnitude) : T(magnitude);
    return true;
}

QByteArray Latin(const QString& text)
{
    // Digits and signs are ASCII; any other character makes the text fail to parse.
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(c.unicode() < 128 ? char(c.unicode()) : '\x7f');
    return bytes;
}

} // namespace

bool TryStrToInt(const QByteArray& text, int32_t& value) { return ParseInteger(text, value); }
bool TryStrToInt(const QString& text, int32_t& value) { return ParseInteger(Latin(text), value); }
bool TryStrToInt64(const QByteArray& text, int64_t& value) { return ParseInteger(text, value); }
bool TryStrToInt64(const QString& text, int64_t& value) { return ParseInteger(Latin(text), value); }

int32_t StrToIntDef(const QString& text, int32_t def)
{
    int32_t v;
    return TryStrToInt(text, v) ? v : def;
}

int32_t StrToIntDef(const QByteArray& text, int32_t def)
{
    int32_t v;
    return TryStrToInt(text, v) ? v : def;
}

bool TryStrToFloat(const QString& text, double& value)
{
    const QByteArray bytes = Latin(text);
    if (bytes.isEmpty())
        return false;
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (*first == '+')
        ++first;
    if (first == last)
        return false;
    double v = 0;
    auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

QString FormatFixed(double value, int decimals)
{
    return QLocale::c().toString(value, 'f', decimals);
}

QString TrimText(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}
