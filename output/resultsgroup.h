#pragma once

#include <QGroupBox>

class QLabel;
class QPushButton;

// The group "Выходные данные": the three commands and the four results.
class ResultsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit ResultsGroup(QWidget *parent = nullptr);

    // Empties LblPd, LblD, LblS and LblKs, in this order.
    void clearCaptions();

    QPushButton *cmdRkl;
    QPushButton *cmdPch;
    QPushButton *cmdSpr;
    QLabel *label5;
    QLabel *lblPd;
    QLabel *label7;
    QLabel *lblD;
    QLabel *label13;
    QLabel *lblS;
    QLabel *label9;
    QLabel *lblKs;
};
