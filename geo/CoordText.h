#pragma once

#include <QByteArray>
#include <QString>

// The coordinate text of the tracker's geo-fence command: degrees and decimal minutes, "-" for
// negatives, degrees without leading zeros, two-digit minutes, ".", four truncated digits of the
// minute fraction ("2255.0753" for 22.917922).

// A value that ParseCoord gives for some text goes back as exactly that text, so a coordinate
// read from the tracker and written again never drifts ("5231.1999" reads as 52.519998, which
// gives "5231.1999" again; 10.1 is how "1006.0000" reads and gives it back). Every other value
// (more than six decimals, or six that no text reads as) works in 64-bit floats and truncates,
// as the tracker's own firmware texts do: 114.123456 gives "11407.4073".
QByteArray FormatCoord(double value);

// Degrees from a coordinate text, rounded to six decimal places, halves away from zero. The last
// seven characters are always the minutes; a part that does not read as a number counts as 0.
double ParseCoord(const QByteArray& text);

// Shortest general decimal form with "." (at most 15 significant digits, no exponent for
// ordinary coordinates): 22.5 shows as "22.5", 114 as "114".
QString FormatShortDecimal(double value);
