#include "commandbutton.h"

#include "widgets/look.h"

#include <QPalette>
#include <QPushButton>

QPushButton *commandButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(look::font(11.25, true));
    QPalette p = button->palette();
    p.setColor(QPalette::Button, look::ButtonFace);
    button->setPalette(p);
    button->setAutoFillBackground(true);
    button->setAutoDefault(false);
    return button;
}
