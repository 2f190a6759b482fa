#pragma once

#include <QGroupBox>

class Messenger;
class QLabel;
class QLineEdit;
class QPushButton;

// The group "Зависимость": by how many decibels sound falls at a distance.
class AttenuationGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit AttenuationGroup(QWidget *parent = nullptr);

    void setMessenger(Messenger *messenger) { m_messenger = messenger; }

    // Start-up: a distance of 10 m.
    void setStartState();

    // SHOW: the attenuation at the typed distance, or the message when the
    // distance is missing.
    void cmdZ_Click();

    QLabel *label22;
    QLineEdit *txtDln;
    QLabel *label24;
    QLabel *lblZat;
    QPushButton *cmdZ;

private:
    Messenger *m_messenger = nullptr;
};
