#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Whole-number and decimal conversions that always use "." and never the user's locale.

// Decimal integer with an optional sign and nothing else (no blanks, no hex); false on
// anything else or on overflow of 32 bits.
bool TryStrToInt(const QString& text, int32_t& value);
bool TryStrToInt(const QByteArray& text, int32_t& value);
bool TryStrToInt64(const QString& text, int64_t& value);
bool TryStrToInt64(const QByteArray& text, int64_t& value);
int32_t StrToIntDef(const QString& text, int32_t def);
int32_t StrToIntDef(const QByteArray& text, int32_t def);

// Decimal number with "." as separator (optional sign, optional exponent); false otherwise.
bool TryStrToFloat(const QString& text, double& value);

// printf-style "%.<decimals>f" with "." whatever the locale.
QString FormatFixed(double value, int decimals);

// Removes leading and trailing blanks and control characters (every character up to U+0020).
QString TrimText(const QString& text);
