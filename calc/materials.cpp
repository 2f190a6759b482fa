#include "materials.h"

#include <algorithm>

namespace calc {

namespace {

// Absorption coefficients at 125, 250, 500, 1000, 2000 and 4000 Hz.
struct Material {
    const char *name;
    std::array<double, 6> absorption;
};

const std::array<Material, 10> &materialTable()
{
    static const std::array<Material, 10> table = {{
        {"бетон", {0.02, 0.03, 0.03, 0.03, 0.04, 0.07}},
        {"штукатурка", {0.02, 0.02, 0.03, 0.03, 0.04, 0.05}},
        {"гипсокартон", {0.15, 0.10, 0.06, 0.04, 0.04, 0.05}},
        {"акустический потолок", {0.49, 0.53, 0.53, 0.75, 0.92, 0.99}},
        {"перфорированный гипсокартон", {0.45, 0.55, 0.60, 0.90, 0.86, 0.75}},
        {"линолеум", {0.02, 0.03, 0.03, 0.03, 0.03, 0.02}},
        {"ковролин", {0.02, 0.04, 0.08, 0.20, 0.35, 0.40}},
        {"стекло", {0.10, 0.05, 0.04, 0.03, 0.03, 0.03}},
        {"зрители, 1 чел./м²", {0.16, 0.29, 0.55, 0.80, 0.92, 0.90}},
        {"зрители, 2 чел./м²", {0.26, 0.46, 0.87, 0.99, 0.99, 0.99}},
    }};
    return table;
}

const Material *find(const QString &name)
{
    for (const Material &material : materialTable()) {
        if (name == QString::fromUtf8(material.name))
            return &material;
    }
    return nullptr;
}

} // namespace

QString defaultFloorMaterial()
{
    return QStringLiteral("линолеум");
}

QString defaultWallsMaterial()
{
    return QStringLiteral("штукатурка");
}

QString defaultCeilingMaterial()
{
    return QStringLiteral("штукатурка");
}

QStringList materialNames()
{
    QStringList names;
    for (const Material &material : materialTable())
        names << QString::fromUtf8(material.name);
    return names;
}

bool isMaterial(const QString &name)
{
    return find(name) != nullptr;
}

std::optional<MaterialAbsorption> materialAbsorption(const QString &name)
{
    const Material *material = find(name);
    if (!material)
        return std::nullopt;
    MaterialAbsorption values{};
    std::copy(material->absorption.begin(), material->absorption.end(), values.begin());
    values[6] = material->absorption[5];
    return values;
}

} // namespace calc
