#pragma once

#include "calc/calcstate.h"

#include <QGroupBox>
#include <QString>
#include <array>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// The group "Параметры громкоговорителя": the model, its power and
// sensitivity, the power tap and the mounting type.
class LoudspeakerGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit LoudspeakerGroup(QWidget *parent = nullptr);

    // Start-up: the edit text "GK-1" while the list is empty, then the 24
    // models and "ПРОЧИЕ", and the type-code table beside them.
    void fillModelList();

    // Start-up: GK-1's power 6 W and sensitivity 88 dB, the full tap, and
    // the model list.
    void setStartState();

    // A choice in the list of CmbG (mouse, or Up/Down on the closed box):
    // a catalogue model fills and locks power and sensitivity and fixes the
    // mounting type; "ПРОЧИЕ" opens both boxes and frees the mounting type.
    void cmbG_Click(int n);

    calc::Mounting mounting() const;
    // The model box shows the catalogue model last chosen from its list, so
    // that power, sensitivity and mounting type are that model's. A
    // designation typed into the box, or the start-up text, is not chosen.
    bool modelFromList() const;
    std::optional<int> tapMember() const; // 1, 2 or 3

    QLabel *label10;
    QComboBox *cmbG;
    QLabel *label1;
    QLineEdit *txtPv;
    QLabel *label2;
    QLineEdit *txtPd;
    QGroupBox *frame6;
    std::array<QRadioButton *, 4> opt_1{}; // indices 1 to 3: "1", "1/2", "1/3"
    QGroupBox *frame8;
    QRadioButton *opt1;
    QRadioButton *opt2;
    QRadioButton *opt3;
    QRadioButton *opt4;

signals:
    // A mounting-type option became selected, by the user or by a model's
    // choice: the height caption and the manual settings follow it.
    void mountingChanged(calc::Mounting type);
    void resultsStale();     // ClearResults
    void attenuationStale(); // empty LblZat

private:
    // A mounting-type option became selected: the other groups apply its
    // captions and defaults, and the results go stale.
    void applyMounting(calc::Mounting type);
    // A model's own mounting type: select it, so that its behaviour runs
    // at once; when it is selected already, run the behaviour again, so
    // that the defaults always match the model just chosen.
    void selectMounting(QRadioButton *option);
    // A power tap became selected: the results and the attenuation go stale.
    void opt_1_Click();

    std::array<QString, 34> m_tipG; // TipG
};
