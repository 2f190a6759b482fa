#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

// The group "Зависимость": by how many decibels sound falls at a distance.
class AttenuationGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit AttenuationGroup(QWidget *parent = nullptr);

    QLabel *label22;
    QLineEdit *txtDln;
    QLabel *label24;
    QLabel *lblZat;
    QPushButton *cmdZ;
};
