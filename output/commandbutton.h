#pragma once

#include "app/look.h"

#include <QPushButton>

// A command button: 11.25 pt bold on a light grey face.
inline QPushButton *commandButton(QWidget *parent, const char *name, const QString &caption)
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

// A result label: bold, framed, empty until there is a result.
inline QLabel *resultLabel(QWidget *parent, const char *name, double points)
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
