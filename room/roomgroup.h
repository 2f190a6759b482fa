#pragma once

#include <QGroupBox>
#include <array>

class QComboBox;
class QLabel;
class QLineEdit;

// The group "Параметры помещения ": height, length, width, area, room type
// and its noise level.
class RoomGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit RoomGroup(QWidget *parent = nullptr);

    // Start-up: the edit text "АВТОСТОЯНКА", then the 15 room types and the
    // noise table beside them; no entry is selected.
    void fillRoomTypes();

    const std::array<int, 15> &noiseLvl() const { return m_noiseLvl; }

    // A choice in the list of CmbOn (mouse, or Up/Down on the closed box):
    // the room type's noise level into TxtN, locked on grey for a listed
    // type, open and focused for "ПРОЧИЕ".
    void cmbOn_Click(int i);

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
    void resultsStale();          // ClearResults
    void lengthOrWidthTyped();    // arm the area timer, area from length x width
    void areaTyped();             // disarm the area timer, the typed area wins

private:
    std::array<int, 15> m_noiseLvl{};
};
