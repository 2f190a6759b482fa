#include "roomgroup.h"

#include "room/roomtypes.h"
#include "widgets/accessibility.h"
#include "widgets/keyfilter.h"
#include "widgets/look.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

RoomGroup::RoomGroup(QWidget *parent) : QGroupBox(QStringLiteral("Параметры помещения "), parent)
{
    setObjectName(QStringLiteral("Frame4"));
    setFont(look::font(8.25));

    label3 = look::headingLabel(this, "Label3", QStringLiteral("Высота потолков, м"));
    look::place(label3, 240, 360, 1815, 255);
    txtH = look::numberBox(this, "TxtH");
    look::place(txtH, 2640, 360, 1095, 315);

    label19 = look::headingLabel(this, "Label19", QStringLiteral("Длина, м"));
    look::place(label19, 240, 720, 1095, 255);
    txtL = look::numberBox(this, "TxtL");
    look::place(txtL, 2640, 720, 1095, 315);

    label21 = look::headingLabel(this, "Label21", QStringLiteral("Ширина, м"));
    look::place(label21, 240, 1080, 975, 255);
    txtW = look::numberBox(this, "TxtW");
    look::place(txtW, 2640, 1080, 1095, 315);

    label15 = look::headingLabel(this, "Label15", QStringLiteral("Площадь, м2"));
    look::place(label15, 240, 1560, 1215, 255);
    txtSR = look::numberBox(this, "TxtSR");
    look::place(txtSR, 2640, 1560, 1095, 315);

    // One label heads both the room type and its noise level.
    label4 = look::headingLabel(this, "Label4",
                                QStringLiteral("Тип") + QString(34, u' ') + QStringLiteral("шум, дБ"));
    label4->setWordWrap(false);
    look::place(label4, 360, 2040, 3375, 255);
    cmbOn = look::choiceCombo(this, "CmbOn", look::font(9, true));
    look::place(cmbOn, 240, 2280, 2055, 330);
    txtN = look::numberBox(this, "TxtN");
    look::place(txtN, 2640, 2280, 1095, 375);

    a11y::nameGroup(this);
    a11y::announce(txtH, label3);
    a11y::announce(txtL, label19);
    a11y::announce(txtW, label21);
    a11y::announce(txtSR, label15);
    // One heading over two fields: each is announced by its own part.
    a11y::announce(cmbOn, label4, QStringLiteral("Тип помещения"));
    txtN->setAccessibleName(QStringLiteral("шум, дБ"));
    look::setBackground(txtN, look::menuColour());
    txtN->setReadOnly(true);

    NumericKeyFilter::install(txtH, true, [this] { emit resultsStale(); });
    NumericKeyFilter::install(txtN, false, [this] { emit resultsStale(); });
    // Length and width: arm the timer first, then clear, then flag the area.
    NumericKeyFilter::install(txtL, true, [this] { emit lengthOrWidthTyped(); });
    NumericKeyFilter::install(txtW, true, [this] { emit lengthOrWidthTyped(); });
    NumericKeyFilter::install(txtSR, true, [this] { emit areaTyped(); });

    connect(cmbOn, &QComboBox::activated, this, &RoomGroup::cmbOn_Click);
}

void RoomGroup::cmbOn_Click(int i)
{
    if (i < 0 || i >= roomtypes::Count)
        return;
    if (i == roomtypes::OtherIndex) {
        // Opened and focused first, so the proposed level lands in a box
        // the user can overwrite at once.
        look::setBackground(txtN, look::windowColour());
        txtN->setReadOnly(false);
        txtN->setFocus();
    } else {
        look::setBackground(txtN, look::LightGrey);
        txtN->setReadOnly(true);
    }
    txtN->setText(QString::number(roomtypes::noiseLvl(i)));
    emit resultsStale();
}

void RoomGroup::setStartState()
{
    txtSR->setToolTip(QStringLiteral("Площадь помещения"));
    txtN->setText(QString::number(70));
    txtH->setText(QString::number(3));
    txtL->setText(QString::number(6));
    txtW->setText(QString::number(6));
    txtSR->setText(QString::number(36));
    fillRoomTypes();
}

void RoomGroup::fillRoomTypes()
{
    look::fillChoiceCombo(cmbOn, QStringLiteral("АВТОСТОЯНКА"), roomtypes::names());
}

void RoomGroup::applyMounting(calc::Mounting type)
{
    label3->setText(type == calc::Mounting::Ceiling ? QStringLiteral("Высота потолков")
                                                    : QStringLiteral("Высота установки"));
    look::fitCaption(label3);
    a11y::followHeading(label3);
}
