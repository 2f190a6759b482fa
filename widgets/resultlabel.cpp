#include "resultlabel.h"

#include "widgets/look.h"

#include <QLabel>

QLabel *resultLabel(QWidget *parent, const char *name, double points)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(look::font(points, true));
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    look::setTextColour(label, Qt::black);
    return label;
}
