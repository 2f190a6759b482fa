#include "documenttable.h"

#include <algorithm>
#include <cmath>

namespace project {

int shownDecimals(const DocumentCell &cell)
{
    return std::clamp(cell.decimals, 0, MaxDecimals);
}

bool isShownAsNumber(const DocumentCell &cell)
{
    return cell.kind == DocumentCell::Kind::Number && std::isfinite(cell.number);
}

QString cellText(const DocumentCell &cell, QChar decimalPoint)
{
    switch (cell.kind) {
    case DocumentCell::Kind::Empty: return QString();
    case DocumentCell::Kind::Text: return cell.text;
    case DocumentCell::Kind::Number: break;
    }
    if (!std::isfinite(cell.number))
        return NoData;
    QString text = QString::number(cell.number, 'f', shownDecimals(cell));
    // A small negative value rounds to zero: shown without its minus.
    if (text.startsWith(u'-')
        && std::all_of(text.cbegin() + 1, text.cend(), [](QChar c) { return c == u'0' || c == u'.'; }))
        text.remove(0, 1);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

} // namespace project
