#pragma once

#include "projectdata.h"

#include <QString>
#include <optional>

// What the program takes as a line's figures and a room's name: the file
// reader refuses anything else, and the table editors do not take it. Each
// check is worded once, as the reason that follows the field's name: the
// reader names the field by its file key ("у линии № 2 поле «section»
// должно быть больше 0 и не больше 1000"), the editors by the caption of
// its column.
namespace project {

// The bounds of a line's figures.
inline constexpr double MaxLineLength = 100000.0; // m
inline constexpr double MaxSection = 1000.0;      // mm2
inline constexpr double MaxAllowedLoss = 60.0;    // dB
inline constexpr double MaxHeadroom = 1000.0;     // %

// The first of a line's figures out of range, in file order.
struct LineProblem {
    double Line::*field = nullptr;
    // "должно быть ...". With other set, the reason compares the field
    // with another: the caller ends it with that field's name in the
    // genitive ("не больше поля «lastLength»").
    QString reason;
    double Line::*other = nullptr;
};

// None when every figure of the line is in range. NaN and infinities are
// out of every range.
std::optional<LineProblem> lineProblem(const Line &line);

// The key a line's figure has in the file, e.g. "firstLength".
QString lineKey(double Line::*field);

// The reason a room's name is not taken ("не может быть пустым"), or an
// empty text when it is: a name must hold more than blanks.
QString roomNameProblem(const QString &name);

// The text an editor shows for a refused value: "Значение «caption» reason".
QString valueProblemText(const QString &caption, const QString &reason);

} // namespace project
