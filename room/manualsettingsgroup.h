#pragma once

#include "calc/calcstate.h"

#include <QGroupBox>
#include <QStringList>

class QComboBox;
class QLabel;

// The group "Ручная настройка": directivity, vertical directivity, tilt,
// noise overlap margin and listening height.
class ManualSettingsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit ManualSettingsGroup(QWidget *parent = nullptr);

    // The fixed lists of the five combos.
    static QStringList directivityEntries();  // "10" .. "170"
    static QStringList tiltEntries();         // "0", "5", "10" .. "90"
    static QStringList marginEntries();       // "3" .. "20"
    static QStringList listenHeightEntries(); // "120" .. "190"

    // The mounting type selected when the window starts: recorded only, the
    // start-up texts already match it.
    void setStartMounting(calc::Mounting type) { m_mounting = type; }

    // Start-up: the five lists with their default texts (90, 90, 0, 10,
    // 150); the vertical directivity and the tilt are not offered to the
    // start-up wall loudspeaker.
    void setStartState();

    // A mounting type became selected: the caption of the directivity, its
    // default angles (edit texts only, which runs no handler) and which of
    // the angles the user may change.
    void applyMounting(calc::Mounting type);

    // Choices from the lists (mouse, or Up/Down on the closed box). Each
    // makes the shown results stale; a chosen directivity is also copied
    // into the vertical directivity while the round horn is selected (as is
    // any other change of the directivity's text).
    void cmbGn_Click();
    void cmbDv_Click();
    void cmbUN_Click();
    void cmbUPS_Click();
    void cmbVP_Click();

    QLabel *label23;
    QComboBox *cmbGn;
    QLabel *label6;
    QComboBox *cmbDv;
    QLabel *label8;
    QComboBox *cmbUN;
    QLabel *label25;
    QComboBox *cmbUPS;
    QLabel *label26;
    QComboBox *cmbVP;

signals:
    void resultsStale(); // ClearResults

private:
    // The round horn copies a chosen directivity into the vertical one.
    calc::Mounting m_mounting = calc::Mounting::Wall;
};
