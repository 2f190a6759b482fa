#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

// The tables the building's documents are made of, as the program shows
// them: each cell a text, a number with the decimals it is shown with, or
// nothing. The PDF, the printer and the workbook are written from these.
namespace project {

struct DocumentCell {
    enum class Kind { Empty, Text, Number };

    Kind kind = Kind::Empty;
    QString text;      // for Text
    double number = 0; // for Number
    int decimals = 0;  // for Number: 0 .. MaxDecimals, others are taken as the nearest

    static DocumentCell fromText(const QString &text) { return {Kind::Text, text, 0.0, 0}; }
    static DocumentCell fromNumber(double value, int decimals) { return {Kind::Number, {}, value, decimals}; }
};

using DocumentRow = std::vector<DocumentCell>;

// One table: its title (the heading in the PDF, the sheet's name in the
// workbook), its column captions and its rows. A row may hold fewer cells
// than there are captions; the missing ones are empty.
struct DocumentTable {
    QString title;
    QStringList captions;
    std::vector<DocumentRow> rows;
};

// A whole document: the title line, the date line and the tables in order.
struct Document {
    QString title;
    QString date;
    std::vector<DocumentTable> tables;
};

constexpr int MaxDecimals = 15;

// What a number cell shows when its value is not a finite number.
inline const QString NoData = QStringLiteral("нет данных");

// The decimals a number cell is shown with: its own, within 0 .. MaxDecimals.
int shownDecimals(const DocumentCell &cell);

// Whether the cell is a number that can be shown as one (finite).
bool isShownAsNumber(const DocumentCell &cell);

// The text a cell shows: the text itself, the number rounded to its
// decimals with decimalPoint and no grouping (never "-0,00"), NoData for a
// number that is not finite, or nothing.
QString cellText(const DocumentCell &cell, QChar decimalPoint);

} // namespace project
