#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The room types of CmbOn with their typical noise levels (NoiseLvl), in
// list order. The last one, "ПРОЧИЕ", proposes 60 dB for the user's own.
namespace roomtypes {

inline constexpr int Count = 15;
inline constexpr int OtherIndex = 14;

struct RoomType {
    const char16_t *name;
    int noiseLvl; // dB
};

inline constexpr std::array<RoomType, Count> Table{{
    {u"БОЛЬНИЦА", 20},
    {u"МАГАЗИН", 30},
    {u"ТЕАТР", 40},
    {u"ЦЕРКОВЬ", 45},
    {u"ПАРК", 50},
    {u"ПЛЯЖ", 60},
    {u"СУПЕРМАРКЕТ", 65},
    {u"АВТОСТОЯНКА", 70},
    {u"СПОРТЗАЛ", 75},
    {u"РЕСТОРАН", 80},
    {u"Ж Д СТАНЦИЯ", 90},
    {u"СТАДИОН", 100},
    {u"ТЯЖ ПРОМЫШ", 110},
    {u"ГРОМ", 120},
    {u"ПРОЧИЕ", 60},
}};

// NoiseLvl: the noise level of list entry i (0 to Count - 1).
inline int noiseLvl(int i)
{
    return Table[static_cast<std::size_t>(i)].noiseLvl;
}

inline QStringList names()
{
    QStringList list;
    for (const RoomType &type : Table)
        list << QString::fromUtf16(type.name);
    return list;
}

} // namespace roomtypes
