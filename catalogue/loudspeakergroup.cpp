#include "loudspeakergroup.h"

#include "app/look.h"
#include "catalogue/catalogue.h"
#include "room/keyfilter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QRadioButton *option(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(look::font(8.25));
    return button;
}

} // namespace

LoudspeakerGroup::LoudspeakerGroup(QWidget *parent)
    : QGroupBox(QStringLiteral("Параметры громкоговорителя"), parent)
{
    setObjectName(QStringLiteral("Frame3"));
    setFont(look::font(8.25));

    label10 = look::headingLabel(this, "Label10", QStringLiteral("Громкоговоритель"));
    look::place(label10, 120, 360, 1935, 255);
    cmbG = new QComboBox(this);
    cmbG->setObjectName(QStringLiteral("CmbG"));
    cmbG->setFont(look::font(9, true));
    look::makeChoiceCombo(cmbG);
    look::place(cmbG, 1920, 360, 2175, 330);

    label1 = look::headingLabel(this, "Label1", QStringLiteral("Мощность, Вт"));
    look::place(label1, 120, 840, 1215, 255);
    txtPv = look::numberBox(this, "TxtPv");
    look::place(txtPv, 1920, 840, 855, 375);

    label2 = look::headingLabel(this, "Label2", QStringLiteral("SPL,Вт/м"));
    look::place(label2, 240, 1320, 855, 255);
    txtPd = look::numberBox(this, "TxtPd");
    look::place(txtPd, 1920, 1320, 855, 375);

    // Until a model is chosen both boxes are locked on the menu colour.
    for (QLineEdit *box : {txtPv, txtPd}) {
        look::setBackground(box, look::menuColour());
        box->setReadOnly(true);
    }
    NumericKeyFilter::install(txtPv, true, [this] { emit resultsStale(); });
    NumericKeyFilter::install(txtPd, false, [this] { emit resultsStale(); });

    frame6 = new QGroupBox(QStringLiteral("Градация мощности"), this);
    frame6->setObjectName(QStringLiteral("Frame6"));
    frame6->setFont(look::font(8.25));
    look::place(frame6, 4320, 240, 2055, 1455);
    opt_1[1] = option(frame6, "Opt_1_1", QStringLiteral("1"));
    look::place(opt_1[1], 240, 360, 495, 255);
    opt_1[2] = option(frame6, "Opt_1_2", QStringLiteral("1/2"));
    look::place(opt_1[2], 240, 720, 615, 255);
    opt_1[3] = option(frame6, "Opt_1_3", QStringLiteral("1/3"));
    look::place(opt_1[3], 240, 1080, 615, 255);
    opt_1[3]->setChecked(true);

    frame8 = new QGroupBox(QStringLiteral("Тип"), this);
    frame8->setObjectName(QStringLiteral("Frame8"));
    frame8->setFont(look::font(8.25));
    look::place(frame8, 6600, 240, 2775, 1455);
    opt1 = option(frame8, "Opt1", QStringLiteral("Потолочный"));
    look::place(opt1, 120, 360, 1455, 195);
    opt2 = option(frame8, "Opt2", QStringLiteral("Настенный"));
    look::place(opt2, 120, 600, 1335, 195);
    opt3 = option(frame8, "Opt3", QStringLiteral("Рупорный (круглый)"));
    look::place(opt3, 120, 840, 2175, 195);
    opt4 = option(frame8, "Opt4", QStringLiteral("Рупорный (квадратный)"));
    look::place(opt4, 120, 1080, 2535, 195);

    // The model shown at start is a wall loudspeaker.
    opt2->setChecked(true);
    opt1->setEnabled(false);
    opt3->setEnabled(false);
    opt4->setEnabled(false);
}

void LoudspeakerGroup::fillModelList()
{
    look::fillChoiceCombo(cmbG, QStringLiteral("GK-1"), catalogue::listEntries());
    m_tipG = catalogue::typeCodeTable();
}

void LoudspeakerGroup::setMountingTargets(QLabel *heightCaption, ManualSettingsGroup *manualSettings)
{
    m_heightCaption = heightCaption;
    m_manualSettings = manualSettings;
}

calc::Mounting LoudspeakerGroup::mounting() const
{
    if (opt1->isChecked())
        return calc::Mounting::Ceiling;
    if (opt2->isChecked())
        return calc::Mounting::Wall;
    if (opt3->isChecked())
        return calc::Mounting::RoundHorn;
    return calc::Mounting::SquareHorn;
}

std::optional<int> LoudspeakerGroup::tapMember() const
{
    for (int member = 1; member <= 3; ++member) {
        if (opt_1[member]->isChecked())
            return member;
    }
    return std::nullopt;
}
