#include "manualsettingsgroup.h"

#include "widgets/accessibility.h"
#include "widgets/look.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

QStringList steps(int first, int last, int step)
{
    QStringList list;
    for (int value = first; value <= last; value += step)
        list << QString::number(value);
    return list;
}

// What a mounting type sets here: the caption of the directivity, the
// default angles and which angles the user may change.
struct MountingDefaults {
    const char16_t *directivityCaption;
    const char16_t *directivity;         // CmbGn
    const char16_t *verticalDirectivity; // CmbDv
    const char16_t *tilt;                // CmbUN; nullptr keeps its text
    bool verticalEnabled;
    bool tiltEnabled;
};

constexpr char16_t Directivity[] = u"Диаграмма направленности, Град";
constexpr char16_t HorizontalDirectivity[] = u"Горизонтальная диаграмма направленности, Град";

MountingDefaults defaultsOf(calc::Mounting type)
{
    switch (type) {
    case calc::Mounting::Ceiling: return {Directivity, u"90", u"90", nullptr, false, false};
    case calc::Mounting::Wall: return {Directivity, u"120", u"180", u"0", false, false};
    case calc::Mounting::RoundHorn:
        // The vertical directivity follows the horizontal one.
        return {Directivity, u"40", u"40", nullptr, false, true};
    case calc::Mounting::SquareHorn: return {HorizontalDirectivity, u"60", u"40", nullptr, true, true};
    }
    return {Directivity, u"90", u"90", nullptr, false, false};
}

// The manual-setting combos use the window font, 9.75 pt regular.
QComboBox *settingCombo(QWidget *parent, const char *name)
{
    return look::choiceCombo(parent, name, look::font(9.75));
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

    label6
        = look::headingLabel(this, "Label6", QStringLiteral("Вертикальная диаграмма направленности, Град"));
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

    a11y::nameGroup(this);
    a11y::announce(cmbGn, label23);
    a11y::announce(cmbDv, label6);
    a11y::announce(cmbUN, label8);
    a11y::announce(cmbUPS, label25);
    a11y::announce(cmbVP, label26);

    // A value the user changes by hand (typing, deleting, pasting, undoing)
    // makes the results stale as a list choice does.
    for (QComboBox *combo : {cmbGn, cmbDv, cmbUN, cmbUPS, cmbVP})
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, &ManualSettingsGroup::resultsStale);
    // The round horn computes with one angle: every new directivity, typed,
    // chosen or set by the program, is the vertical one too.
    connect(cmbGn, &QComboBox::editTextChanged, this, [this](const QString &text) {
        if (m_mounting == calc::Mounting::RoundHorn)
            cmbDv->setEditText(text);
    });

    connect(cmbGn, &QComboBox::activated, this, &ManualSettingsGroup::cmbGn_Click);
    connect(cmbDv, &QComboBox::activated, this, &ManualSettingsGroup::cmbDv_Click);
    connect(cmbUN, &QComboBox::activated, this, &ManualSettingsGroup::cmbUN_Click);
    connect(cmbUPS, &QComboBox::activated, this, &ManualSettingsGroup::cmbUPS_Click);
    connect(cmbVP, &QComboBox::activated, this, &ManualSettingsGroup::cmbVP_Click);
}

void ManualSettingsGroup::cmbGn_Click()
{
    emit resultsStale();
    // With the round horn the vertical directivity follows the horizontal
    // one; its box is disabled then, so this copy is its only source.
    if (m_mounting == calc::Mounting::RoundHorn)
        cmbDv->setEditText(cmbGn->currentText());
}

void ManualSettingsGroup::setStartState()
{
    cmbDv->setEnabled(false);
    cmbUN->setEnabled(false);
    look::fillChoiceCombo(cmbGn, QStringLiteral("90"), directivityEntries());
    look::fillChoiceCombo(cmbDv, QStringLiteral("90"), directivityEntries());
    look::fillChoiceCombo(cmbUN, QStringLiteral("0"), tiltEntries());
    look::fillChoiceCombo(cmbUPS, QStringLiteral("10"), marginEntries());
    look::fillChoiceCombo(cmbVP, QStringLiteral("150"), listenHeightEntries());
}

void ManualSettingsGroup::applyMounting(calc::Mounting type)
{
    m_mounting = type;
    const MountingDefaults d = defaultsOf(type);
    label23->setText(QString::fromUtf16(d.directivityCaption));
    look::fitCaption(label23);
    a11y::followHeading(label23);
    cmbGn->setEditText(QString::fromUtf16(d.directivity));
    cmbDv->setEditText(QString::fromUtf16(d.verticalDirectivity));
    if (d.tilt)
        cmbUN->setEditText(QString::fromUtf16(d.tilt));
    cmbDv->setEnabled(d.verticalEnabled);
    cmbUN->setEnabled(d.tiltEnabled);
}

void ManualSettingsGroup::cmbDv_Click()
{
    emit resultsStale();
}

void ManualSettingsGroup::cmbUN_Click()
{
    emit resultsStale();
}

void ManualSettingsGroup::cmbUPS_Click()
{
    emit resultsStale();
}

void ManualSettingsGroup::cmbVP_Click()
{
    emit resultsStale();
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
