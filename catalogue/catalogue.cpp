#include "catalogue.h"

namespace catalogue {

namespace {

constexpr std::array<Model, ModelCount> Catalogue{{
    // clang-format off
    {u"KE-1", CeilingCode, 6, 88},
    {u"KE-2", CeilingCode, 6, 88},
    {u"KE-3", CeilingCode, 30, 87},
    {u"GK-1", WallCode, 6, 88},
    {u"GK-2", CeilingCode, 10, 93},
    {u"GK-3", WallCode, 40, 88},
    {u"RF-1", RoundHornCode, 20, 103},
    {u"RF-2", RoundHornCode, 30, 103},
    {u"RF-3", RoundHornCode, 30, 105},
    {u"RF-4", RoundHornCode, 50, 108},
    {u"RF-5", SquareHornCode, 30, 90},
    {u"RF-6", SquareHornCode, 50, 104},
    {u"LV-1", WallCode, 10, 93},
    {u"LV-2", WallCode, 20, 96},
    {u"LV-3", WallCode, 30, 98},
    {u"LV-4", WallCode, 40, 99},
    {u"LV-5", WallCode, 10, 93},
    {u"LV-6", WallCode, 20, 96},
    {u"LV-7", WallCode, 30, 98},
    {u"LV-8", WallCode, 40, 99},
    {u"GU-1", WallCode, 30, 90},
    {u"GU-2", WallCode, 50, 90},
    {u"GY-1", WallCode, 15, 88},
    {u"GY-2", WallCode, 25, 88},
    // clang-format on
}};

const Model *find(QStringView designation)
{
    for (const Model &model : Catalogue) {
        if (designation == QStringView(model.designation))
            return &model;
    }
    return nullptr;
}

} // namespace

const std::array<Model, ModelCount> &models()
{
    return Catalogue;
}

QString otherEntry()
{
    return QStringLiteral("ПРОЧИЕ");
}

QStringList listEntries()
{
    QStringList entries;
    for (const Model &model : Catalogue)
        entries << QString::fromUtf16(model.designation);
    entries << otherEntry();
    return entries;
}

std::array<QString, TipGSlots> typeCodeTable()
{
    std::array<QString, TipGSlots> table;
    for (int k = 0; k < ModelCount; ++k)
        table[k] = QChar(Catalogue[k].typeCode);
    table[ModelCount] = QChar(CeilingCode);
    return table;
}

std::optional<std::int16_t> pvG(QStringView designation)
{
    if (const Model *model = find(designation))
        return model->ratedPower;
    return std::nullopt;
}

std::optional<std::int16_t> pdG(QStringView designation)
{
    if (const Model *model = find(designation))
        return model->sensitivity;
    return std::nullopt;
}

} // namespace catalogue
