#pragma once

#include <QString>

class QPushButton;
class QWidget;

// A command button: 11.25 pt bold on a light grey face.
QPushButton *commandButton(QWidget *parent, const char *name, const QString &caption);
