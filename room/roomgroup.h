#pragma once

#include "calc/calcstate.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;

// The group "Параметры помещения ": height, length, width, area, room type
// and its noise level.
class RoomGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RoomGroup(QWidget *parent = nullptr);

    // Start-up: the edit text "АВТОСТОЯНКА", then the 15 room types; no
    // entry is selected. Their noise levels are NoiseLvl of roomtypes.h.
    void fillRoomTypes();

    // Start-up: the area's tooltip, noise 70 dB, a 3 m high room of 6 x 6 m
    // with its area 36 m2, and the room types.
    void setStartState();

    // A choice in the list of CmbOn (mouse, or Up/Down on the closed box):
    // the room type's noise level into TxtN, locked on grey for a listed
    // type, open and focused for "ПРОЧИЕ".
    void cmbOn_Click(int i);

    // A mounting type became selected: the height box is headed by the
    // ceiling's height or the installation height.
    void applyMounting(calc::Mounting type);

    QLabel *label3;
    QLineEdit *txtH;
    QLabel *label19;
    QLineEdit *txtL;
    QLabel *label21;
    QLineEdit *txtW;
    QLabel *label15;
    QLineEdit *txtSR;
    QLabel *label4;
    QComboBox *cmbOn;
    QLineEdit *txtN;

signals:
    void resultsStale();       // ClearResults
    void lengthOrWidthTyped(); // arm the area timer, area from length x width
    void areaTyped();          // disarm the area timer, the typed area wins
};
