#pragma once

#include "line/linecalc.h"

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>

// The texts of the line window: reading the numbers typed into it and
// writing its figures, verdict and problems.
namespace line {

// The number a box holds, with "." or "," as its decimal separator whatever
// the locale: optional blanks around, an optional sign, digits with at most
// one separator, an optional exponent. No value for an empty text, any other
// text, or a number too large for a double.
std::optional<double> readNumber(QStringView text);

// The texts of the nine figures and the verdict, in the order they are shown.
struct LineTexts {
    QString totalPower;
    QString load;
    QString wireResistance;
    QString lossAtLast;
    QString voltageAtLast;
    QString cableLossShare;
    QString leastSection;
    QString longestLine;
    QString amplifierPower;
    QString verdict;
};

LineTexts formatLine(const LineFigures &figures, QChar decimalPoint);

// What the status line says about a field out of range.
QString problemText(LineField field);

} // namespace line
