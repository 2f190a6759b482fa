#include "loudspeakergroup.h"

#include "catalogue/catalogue.h"
#include "widgets/accessibility.h"
#include "widgets/keyfilter.h"
#include "widgets/look.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <utility>

namespace {

// A box whose value comes from the catalogue: grey, then locked.
void enterCatalogueState(QLineEdit *box)
{
    look::setBackground(box, look::LightGrey);
    box->setReadOnly(true);
}

// A box the user fills for a loudspeaker outside the catalogue: the
// ordinary edit-field colour, then open for typing.
void enterManualState(QLineEdit *box)
{
    look::setBackground(box, look::windowColour());
    box->setReadOnly(false);
}

QRadioButton *option(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(look::font(8.25));
    return button;
}

// The mounting-type options were drawn 13 px high, less than the style's
// round indicator: each grows about its own centre until the circle is
// whole, so that it stays where it was and clear of its neighbours.
void keepIndicatorWhole(QRadioButton *button)
{
    const int needed = button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, button) + 2;
    const QRect box = button->geometry();
    if (box.height() >= needed)
        return;
    const int grow = needed - box.height();
    button->setGeometry(box.adjusted(0, -(grow / 2), 0, grow - grow / 2));
}

} // namespace

LoudspeakerGroup::LoudspeakerGroup(QWidget *parent)
    : QGroupBox(QStringLiteral("Параметры громкоговорителя"), parent)
{
    setObjectName(QStringLiteral("Frame3"));
    setFont(look::font(8.25));

    label10 = look::headingLabel(this, "Label10", QStringLiteral("Громкоговоритель"));
    look::place(label10, 120, 360, 1935, 255);
    cmbG = look::choiceCombo(this, "CmbG", look::font(9, true));
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
    for (QRadioButton *type : {opt1, opt2, opt3, opt4})
        keepIndicatorWhole(type);

    a11y::nameGroup(this);
    a11y::nameGroup(frame6);
    a11y::nameGroup(frame8);
    a11y::announce(cmbG, label10);
    a11y::announce(txtPv, label1);
    a11y::announce(txtPd, label2);

    // The model shown at start is a wall loudspeaker.
    opt2->setChecked(true);
    opt1->setEnabled(false);
    opt3->setEnabled(false);
    opt4->setEnabled(false);

    // Connected only now, so that the start states above run nothing.
    connect(cmbG, &QComboBox::activated, this, &LoudspeakerGroup::cmbG_Click);
    const std::array<std::pair<QRadioButton *, calc::Mounting>, 4> types{{
        {opt1, calc::Mounting::Ceiling},
        {opt2, calc::Mounting::Wall},
        {opt3, calc::Mounting::RoundHorn},
        {opt4, calc::Mounting::SquareHorn},
    }};
    for (const auto &[button, type] : types) {
        connect(button, &QRadioButton::toggled, this, [this, type = type](bool checked) {
            if (checked)
                applyMounting(type);
        });
    }
    for (int member = 1; member <= 3; ++member) {
        connect(opt_1[member], &QRadioButton::toggled, this, [this](bool checked) {
            if (checked)
                opt_1_Click();
        });
    }
}

void LoudspeakerGroup::setStartState()
{
    txtPv->setText(QString::number(6));
    txtPd->setText(QString::number(88));
    opt_1[1]->setChecked(true);
    opt_1[2]->setChecked(false);
    opt_1[3]->setChecked(false);
    fillModelList();
}

void LoudspeakerGroup::fillModelList()
{
    look::fillChoiceCombo(cmbG, QStringLiteral("GK-1"), catalogue::listEntries());
    m_tipG = catalogue::typeCodeTable();
}

void LoudspeakerGroup::cmbG_Click(int n)
{
    const int c = cmbG->count();
    if (n < 0 || n >= c)
        return;
    const bool model = n < c - 1;

    if (model) {
        // The list and the catalogue hold the same designations, so both
        // lookups have a value; should one not, the box keeps its text.
        const QString designation = cmbG->itemText(n);
        if (const auto power = catalogue::pvG(designation))
            txtPv->setText(QString::number(*power));
        if (const auto sensitivity = catalogue::pdG(designation))
            txtPd->setText(QString::number(*sensitivity));
    } else {
        // "ПРОЧИЕ": the user types power and sensitivity of his own
        // loudspeaker, and any mounting type may go with it.
        enterManualState(txtPv);
        txtPv->setFocus();
        enterManualState(txtPd);
        opt1->setEnabled(true);
        opt2->setEnabled(true);
        opt3->setEnabled(true);
        opt4->setEnabled(true);
    }

    if (model) {
        const QString code = m_tipG[static_cast<std::size_t>(n)];
        if (code == QChar(catalogue::CeilingCode)) {
            selectMounting(opt1);
            opt1->setEnabled(true);
            opt2->setEnabled(false);
            opt3->setEnabled(false);
            opt4->setEnabled(false);
        } else if (code == QChar(catalogue::WallCode)) {
            opt2->setEnabled(true);
            selectMounting(opt2);
            opt1->setEnabled(false);
            opt3->setEnabled(false);
            opt4->setEnabled(false);
        } else if (code == QChar(catalogue::RoundHornCode)) {
            opt3->setEnabled(true);
            selectMounting(opt3);
            opt1->setEnabled(false);
            opt2->setEnabled(false);
            opt4->setEnabled(false);
        } else if (code == QChar(catalogue::SquareHornCode)) {
            opt4->setEnabled(true);
            selectMounting(opt4);
            opt1->setEnabled(false);
            opt2->setEnabled(false);
            opt3->setEnabled(false);
        }
        enterCatalogueState(txtPv);
        enterCatalogueState(txtPd);
    }

    emit resultsStale();
}

void LoudspeakerGroup::selectMounting(QRadioButton *option)
{
    if (option->isChecked())
        applyMounting(mounting());
    else
        option->setChecked(true); // toggled: applyMounting runs now
}

void LoudspeakerGroup::applyMounting(calc::Mounting type)
{
    emit mountingChanged(type);
    emit resultsStale();
}

void LoudspeakerGroup::opt_1_Click()
{
    emit resultsStale();
    emit attenuationStale();
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

bool LoudspeakerGroup::modelFromList() const
{
    const int n = cmbG->currentIndex();
    return n >= 0 && n < cmbG->count() - 1 && cmbG->currentText() == cmbG->itemText(n);
}

std::optional<int> LoudspeakerGroup::tapMember() const
{
    for (int member = 1; member <= 3; ++member) {
        if (opt_1[member]->isChecked())
            return member;
    }
    return std::nullopt;
}
