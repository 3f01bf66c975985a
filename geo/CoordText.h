#pragma once

#include <QByteArray>
#include <QString>

// The coordinate text of the tracker's geo-fence command: degrees and decimal minutes, "-" for
// negatives, degrees without leading zeros, two-digit minutes, ".", four truncated digits of the
// minute fraction ("2255.0753" for 22.917922).

// Works in 64-bit floats and truncates, as the tracker's own firmware texts do: the last digit is
// sometimes one lower than exact decimal arithmetic would give (10.1 gives "1005.9999").
QByteArray FormatCoord(double value);

// Degrees from a coordinate text, rounded to six decimal places, halves away from zero. The last
// seven characters are always the minutes; a part that does not read as a number counts as 0.
double ParseCoord(const QByteArray& text);

// Shortest general decimal form with "." (at most 15 significant digits, no exponent for
// ordinary coordinates): 22.5 shows as "22.5", 114 as "114".
QString FormatShortDecimal(double value);
