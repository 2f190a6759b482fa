#include "completedcalculation.h"

namespace calc {

QString mountingWord(Mounting mounting)
{
    switch (mounting) {
    case Mounting::Ceiling: return QStringLiteral("Потолочный");
    case Mounting::Wall: return QStringLiteral("Настенный");
    case Mounting::RoundHorn:
    case Mounting::SquareHorn: break;
    }
    return QStringLiteral("Рупорный");
}

} // namespace calc
