#include "attenuationgroup.h"

#include "output/attenuation.h"
#include "widgets/accessibility.h"
#include "widgets/commandbutton.h"
#include "widgets/keyfilter.h"
#include "widgets/look.h"
#include "widgets/messenger.h"
#include "widgets/resultlabel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AttenuationGroup::AttenuationGroup(QWidget *parent) : QGroupBox(QStringLiteral("Зависимость"), parent)
{
    setObjectName(QStringLiteral("Frame5"));
    setFont(look::font(12));

    label22 = look::headingLabel(this, "Label22", QStringLiteral("Дальность, м"));
    look::place(label22, 240, 360, 1455, 255);
    txtDln = look::numberBox(this, "TxtDln");
    txtDln->setFont(look::font(8.25, true));
    look::place(txtDln, 360, 720, 855, 375);

    label24 = look::headingLabel(this, "Label24", QStringLiteral("Затухание, дБ"));
    look::place(label24, 240, 1200, 1455, 255);
    lblZat = resultLabel(this, "LblZat", 9);
    look::place(lblZat, 360, 1560, 855, 375);

    cmdZ = commandButton(this, "CmdZ", QStringLiteral("ПОКАЗАТЬ"));
    look::place(cmdZ, 120, 2040, 1695, 615);

    a11y::nameGroup(this);
    a11y::announce(txtDln, label22);
    a11y::describeResult(lblZat, label24);

    // A new distance makes the shown attenuation stale.
    NumericKeyFilter::install(txtDln, true, [this] { lblZat->clear(); });
    connect(cmdZ, &QPushButton::clicked, this, &AttenuationGroup::cmdZ_Click);
}

void AttenuationGroup::setStartState()
{
    txtDln->setText(QString::number(10));
}

void AttenuationGroup::cmdZ_Click()
{
    const std::optional<QString> caption = output::attenuationCaption(txtDln->text());
    if (!caption) {
        m_messenger->inform(output::MsgDistance);
        txtDln->setFocus();
        lblZat->clear();
        return;
    }
    lblZat->setText(*caption);
}
