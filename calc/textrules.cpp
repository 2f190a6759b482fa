#include "textrules.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace calc {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// strtod in the "C" locale: the process locale may use a comma.
double parseCNumber(const std::string &number)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(number.c_str(), nullptr, cLocale);
}

// Reads an exponent ("e", optional blanks and sign, digits) starting at pos.
// Appends it to out and returns the position after it, or returns pos
// unchanged when no digit follows.
qsizetype readExponent(QStringView text, qsizetype pos, std::string &out)
{
    const qsizetype n = text.size();
    if (pos >= n || (text[pos] != u'e' && text[pos] != u'E'))
        return pos;
    std::string exponent = "e";
    qsizetype i = pos + 1;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        exponent += char(text[i].unicode());
        ++i;
    }
    bool anyDigit = false;
    // Leading zeros of the exponent are dropped so that a very long
    // exponent still reads as overflow or underflow.
    std::string digits;
    while (i < n && (isDigit(text[i]) || isBlank(text[i]))) {
        if (isDigit(text[i])) {
            anyDigit = true;
            if (!(digits.empty() && text[i] == u'0') && digits.size() < 9)
                digits += char(text[i].unicode());
        }
        ++i;
    }
    if (!anyDigit)
        return pos;
    out += exponent + (digits.empty() ? std::string("0") : digits);
    return i;
}

} // namespace

double leadingValue(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    std::string number;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        number += char(text[i].unicode());
        ++i;
    }
    bool anyDigit = false;
    bool pointSeen = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            number += char(c.unicode());
        } else if (c == u'.' && !pointSeen) {
            pointSeen = true;
            number += '.';
        } else if (!isBlank(c)) {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;
    readExponent(text, i, number);
    const double value = parseCNumber(number);
    return value == 0.0 ? 0.0 : value; // no negative zero
}

bool isLocaleNumber(QStringView text, QChar decimalPoint)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool anyDigit = false;
    bool separatorSeen = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (isDigit(c))
            anyDigit = true;
        else if (c == decimalPoint && !separatorSeen)
            separatorSeen = true;
        else
            break;
    }
    if (!anyDigit)
        return false;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < n && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        bool exponentDigit = false;
        while (i < n && isDigit(text[i])) {
            exponentDigit = true;
            ++i;
        }
        if (!exponentDigit)
            return false;
    }
    while (i < n && isBlank(text[i]))
        ++i;
    return i == n;
}

double roundDown(double value)
{
    return std::floor(value);
}

double roundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1.0;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

} // namespace calc
