#pragma once

#include "numberformat.h"

#include <QChar>
#include <QString>
#include <QStringView>

// Conversions between the texts of the window and numbers.
namespace calc {

// The value of a text: its leading decimal number with "." as the decimal
// point whatever the locale. Blanks (space, tab, CR, LF) are skipped anywhere
// inside the number; reading stops at the first character that cannot
// continue it; a text that does not begin with a number is worth 0.
// One leading sign ("+" or "-") is part of the number, and so is an exponent
// ("e" or "E", an optional sign and at least one digit), so "1e3" reads 1000
// and "1e" reads 1. A number too large for a double reads as infinity, which
// every caller rejects.
double leadingValue(QStringView text);

// Whether the whole text is a number in the user's locale: optional blanks
// around, an optional sign, digits with at most one decimal separator
// (decimalPoint) and at least one digit, and an optional exponent. The same
// sign and exponent rules as leadingValue, so every numeric text reads as the
// number it shows (apart from the separator, which leadingValue takes as ".").
// The empty text is not numeric.
bool isLocaleNumber(QStringView text, QChar decimalPoint);

// Rounding down: the largest whole number not greater than the value.
double roundDown(double value);

// Rounding to the nearest whole number, halves to the even neighbour
// (12.5 -> 12, 7.5 -> 8, -2.5 -> -2).
double roundHalfEven(double value);

} // namespace calc
