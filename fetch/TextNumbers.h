#pragma once
// The two readings of numbers in text, and rounding to integers.

#include <QString>

namespace TextNumbers {

// Lenient reading: blanks, tabs and line feeds are ignored wherever they
// stand; the longest leading number (sign, digits, one point, exponent) is
// taken; 0 when there is none. Never fails.
double Val(const QString &text);

// The locale's conversion: blanks around the number allowed, digit group
// commas accepted; false for empty or non-numeric text.
bool LocaleToDouble(const QString &text, double *out);

// Round to nearest, halves to even; false beyond the type's range.
bool RoundToInt16(double value, qint16 *out);
bool RoundToInt32(double value, qint32 *out);

} // namespace TextNumbers
