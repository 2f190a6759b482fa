// libFuzzer target for the number rules of the window's texts: reading a
// text's leading number, deciding whether a text is a number of the locale,
// and writing a number in the general format.
//
// The input is a text (UTF-8); when it has 8 bytes or more, its first 8
// bytes are also taken as a double for the write-and-read-back checks.
#include "calc/textrules.h"

#include <QString>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

[[noreturn]] void failed(const char *check, const QString &text, double value)
{
    std::fprintf(stderr, "check failed: %s\n  text: \"%s\"\n  value: %.17g\n", check,
                 text.toUtf8().constData(), value);
    std::abort();
}

#define CHECK(condition, text, value)                                                                        \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            failed(#condition, text, value);                                                                 \
    } while (false)

// The reference reading: strtod in the "C" locale.
double cValue(const std::string &number)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(number.c_str(), nullptr, cLocale);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

QString trimmedBlanks(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// A finite value written in the general format and read back.
void checkRoundTrip(double value)
{
    const QString dotText = calc::formatGeneral(value, u'.');
    CHECK(!dotText.isEmpty(), dotText, value);
    CHECK(dotText.size() <= 22, dotText, value); // 15 digits, sign, point, exponent
    CHECK(!dotText.contains(u','), dotText, value);
    CHECK(calc::isLocaleNumber(dotText, u'.'), dotText, value);

    const double back = calc::leadingValue(dotText);
    CHECK(!std::isnan(back), dotText, value);
    if (value == 0.0) {
        CHECK(back == 0.0, dotText, value);
    } else {
        // 15 significant digits: the text is within half a unit of the 15th
        // digit, so the relative difference is at most 5e-15 (with a little
        // room for the binary rounding of both conversions).
        // At the very top of the double range the 15-digit text rounds up
        // past the largest double (1.79769313486232E+308) and reads back
        // as infinity; callers refuse such a value as too large.
        if (std::isinf(back))
            CHECK(std::fabs(value) >= 1.797693134862315e308 && std::signbit(back) == std::signbit(value),
                  dotText, value);
        else
            CHECK(std::fabs(back - value) <= 6e-15 * std::fabs(value), dotText, value);
    }

    // A comma locale writes the same digits with a comma.
    const QString commaText = calc::formatGeneral(value, u',');
    QString expected = dotText;
    expected.replace(u'.', u',');
    CHECK(commaText == expected, commaText, value);
    CHECK(calc::isLocaleNumber(commaText, u','), commaText, value);
}

void checkRounding(double value)
{
    const double down = calc::roundDown(value);
    // The difference is below 1, but may round to 1 (-1e-308 - (-1)).
    CHECK(down == std::floor(down) && down <= value && value - down <= 1.0, QString(), value);
    const double even = calc::roundHalfEven(value);
    CHECK(even == std::floor(even), QString(), value);
    CHECK(std::fabs(even - value) <= 0.5, QString(), value);
    if (std::fabs(even - value) == 0.5)
        CHECK(std::fmod(even, 2.0) == 0.0, QString(), value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    // Every text has a value, never NaN and never a negative zero.
    const double value = calc::leadingValue(text);
    CHECK(!std::isnan(value), text, value);
    CHECK(!(value == 0.0 && std::signbit(value)), text, value);

    // A text that is a number of the "." locale reads as exactly that number.
    if (calc::isLocaleNumber(text, u'.'))
        CHECK(value == cValue(trimmedBlanks(text).toStdString()), text, value);

    // In a "," locale the value stops at the comma (the leading-number rule
    // knows only "."), so it is the value of the digits before it.
    if (calc::isLocaleNumber(text, u',')) {
        const QString number = trimmedBlanks(text);
        const qsizetype comma = number.indexOf(u',');
        const QString before = comma < 0 ? number : number.left(comma);
        const double expected
            = before.isEmpty() || before == u"+" || before == u"-" ? 0.0 : cValue(before.toStdString());
        CHECK(value == (expected == 0.0 ? 0.0 : expected), text, value);
    }

    if (std::isfinite(value)) {
        checkRoundTrip(value);
        checkRounding(value);
    }

    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        if (std::isfinite(raw)) {
            checkRoundTrip(raw);
            checkRounding(raw);
        } else {
            CHECK(calc::formatGeneral(raw, u'.').isEmpty(), QString(), raw);
        }
    }
    return 0;
}
