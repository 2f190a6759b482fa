#pragma once

#include <QChar>
#include <QString>

// Numbers as the program writes them: the general format of the report and
// the result labels, fixed decimals for the figures of the tool windows, and
// the decimal point of the user's locale.
namespace calc {

// The decimal separator of the default locale, "." if it has none.
QChar localeDecimalPoint();

// The general number format: up to 15 significant digits, no grouping, no
// trailing zeros, decimalPoint as separator, a leading minus for negatives,
// exponent form ("1E+20", "1E-05") only outside 1e-5 .. 1e15.
// Callers never pass infinity or NaN; for them the result is empty.
QString formatGeneral(double value, QChar decimalPoint);

// A value with a fixed number of decimals and the given separator. Beyond
// 1e15 it takes the general format instead, so that a label never grows to
// hundreds of digits; a value that rounds to zero is never shown as "-0".
// Empty for infinity or NaN.
QString formatFixed(double value, int decimals, QChar decimalPoint);

// A share in per cent to one decimal, as every share of the floor is shown:
// "100,0" only for the whole and "0,0" only for nothing, so a share just
// short of the whole reads "99,9" and a share just above nothing "0,1"
// (99.998 % is not all of the floor). Empty for infinity or NaN.
QString formatShare(double percent, QChar decimalPoint);

// A value with at most maxDecimals decimals, trailing zeros dropped
// ("12", "7,5", "3,25").
QString formatTrimmed(double value, int maxDecimals, QChar decimalPoint);

} // namespace calc
