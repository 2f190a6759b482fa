#pragma once

#include "calc/calcstate.h"

#include <QGroupBox>

class Messenger;
class QLabel;
class QPushButton;

// What a report is printed from: the last calculation's figures and the
// window as it is at the moment of printing.
struct ReportSource {
    const calc::CalcState &state;
    calc::Mounting mounting;
    QString model;    // the text of CmbG
    QString roomType; // the text of CmbOn
    QString folder;   // the working folder
    QChar decimalPoint;
    // A model, room type or mounting type was chosen after the last
    // completed calculation: its name would go with the old figures.
    bool choiceSinceCalculation = false;
};

// The group "Выходные данные": the three commands and the four results.
class ResultsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit ResultsGroup(QWidget *parent = nullptr);

    void setMessenger(Messenger *messenger) { m_messenger = messenger; }

    // Empties LblPd, LblD, LblS and LblKs, in this order.
    void clearCaptions();

    // PRINT: writes the report block into the report file of the working
    // folder, asking first whether to append when the file exists. Without
    // a calculation whose figures match the chosen names it only asks for
    // one.
    void cmdPch_Click(const ReportSource &source);

    // The brief help.
    void cmdSpr_Click();

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

private:
    Messenger *m_messenger = nullptr;
};
