#pragma once

class QLabel;
class QWidget;

// A result label: bold, framed, empty until there is a result.
QLabel *resultLabel(QWidget *parent, const char *name, double points);
