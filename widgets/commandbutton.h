#pragma once

#include <QString>

class QPushButton;
class QWidget;

// Enter or Return on the focused button presses it, as Space does.
void pressOnEnter(QPushButton *button);

// A command button: 11.25 pt bold on a light grey face, pressed by Space,
// Enter or Return when it has the focus.
QPushButton *commandButton(QWidget *parent, const char *name, const QString &caption);
