#include "manualsettingsgroup.h"

#include "app/look.h"

#include <QComboBox>
#include <QLabel>

namespace {

QStringList steps(int first, int last, int step)
{
    QStringList list;
    for (int value = first; value <= last; value += step)
        list << QString::number(value);
    return list;
}

// The manual-setting combos use the window font, 9.75 pt regular.
QComboBox *settingCombo(QWidget *parent, const char *name)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setFont(look::font(9.75));
    look::makeChoiceCombo(combo);
    return combo;
}

} // namespace

ManualSettingsGroup::ManualSettingsGroup(QWidget *parent)
    : QGroupBox(QStringLiteral("Ручная настройка"), parent)
{
    setObjectName(QStringLiteral("Frame7"));
    setFont(look::font(8.25));

    label23 = look::headingLabel(this, "Label23", QStringLiteral("Диаграмма направленности, Град"));
    look::place(label23, 120, 360, 3255, 495);
    cmbGn = settingCombo(this, "CmbGn");
    look::place(cmbGn, 3720, 360, 1335, 360);

    label6 = look::headingLabel(this, "Label6", QStringLiteral("Вертикальная диаграмма направленности, Град"));
    look::place(label6, 120, 840, 3495, 495);
    cmbDv = settingCombo(this, "CmbDv");
    look::place(cmbDv, 3720, 840, 1335, 360);

    label8 = look::headingLabel(this, "Label8", QStringLiteral("Угол наклона громкоговорителя, Град"));
    look::place(label8, 120, 1320, 2895, 495);
    cmbUN = settingCombo(this, "CmbUN");
    look::place(cmbUN, 3720, 1320, 1335, 360);

    label25 = look::headingLabel(this, "Label25", QStringLiteral("Уровень перекрытия шума, дБ"));
    look::place(label25, 120, 1800, 2775, 255);
    cmbUPS = settingCombo(this, "CmbUPS");
    look::place(cmbUPS, 3720, 1800, 1335, 360);

    label26 = look::headingLabel(this, "Label26", QStringLiteral("Высота точки прослушивания, см"));
    look::place(label26, 120, 2280, 3015, 255);
    cmbVP = settingCombo(this, "CmbVP");
    look::place(cmbVP, 3720, 2280, 1335, 360);
}

QStringList ManualSettingsGroup::directivityEntries()
{
    return steps(10, 170, 10);
}

QStringList ManualSettingsGroup::tiltEntries()
{
    return QStringList{QStringLiteral("0"), QStringLiteral("5")} + steps(10, 90, 10);
}

QStringList ManualSettingsGroup::marginEntries()
{
    return steps(3, 20, 1);
}

QStringList ManualSettingsGroup::listenHeightEntries()
{
    return steps(120, 190, 10);
}
