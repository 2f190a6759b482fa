#pragma once

#include "line/standardcheck.h"

#include <QWidget>
#include <optional>
#include <vector>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;

// The "Линия" window: the losses on the wires of the loudspeaker line, the
// power of the amplifier, and the check of the last calculation against
// СП 3.13130.2009. Every figure follows its inputs as they are typed.
// Modeless and top-level; the main window builds one on first use and
// keeps it.
class LineWindow : public QWidget {
    Q_OBJECT
public:
    explicit LineWindow(QWidget *parent = nullptr);

    // The count and the tapped power to start from before any calculation.
    // A tapped power that is not above 0 leaves the power box empty.
    void setStartValues(int count, double tappedPower);

public slots:
    // A calculation of the main window: a completed one sets the count and
    // the tapped power and is the one the check reads; one that did not
    // complete changes nothing.
    void showCalculation(const line::CalculationFigures &figures);

    // A completed calculation of the main window; its figures replace the
    // ones shown and the notice of changed inputs goes.
    void showCompletedCalculation(const calc::CompletedCalculation &calculation);

    // The main window's inputs changed, or a calculation stopped, after the
    // calculation shown: the figures stay, with a notice saying so.
    void showInputsChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct CheckRowLabels {
        QLabel *what;
        QLabel *value;
        QLabel *rule;
        QLabel *result;
    };

    void addCaption(const QString &text, const char *name, QWidget *field);
    QLineEdit *addNumberBox(const QString &caption, const char *name, const QString &text);
    QLabel *addOutput(const QString &caption, const char *name);
    void buildCheckGroup();
    void setPowerText(double tappedPower);
    void refresh();
    void showChecks();
    void growToFit();
    CheckRowLabels &checkRow(std::size_t index);

    QGridLayout *m_grid = nullptr;
    int m_row = 0;

    QComboBox *m_voltage = nullptr;
    QLineEdit *m_count = nullptr;
    QLineEdit *m_power = nullptr;
    QLineEdit *m_firstLength = nullptr;
    QLineEdit *m_lastLength = nullptr;
    QComboBox *m_section = nullptr;
    QLineEdit *m_allowedLoss = nullptr;
    QLineEdit *m_headroom = nullptr;

    std::vector<QLabel *> m_outputs; // the nine figures, in the order shown
    QLabel *m_verdict = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_inputsChanged = nullptr;

    QGroupBox *m_checkGroup = nullptr;
    QGridLayout *m_checkGrid = nullptr;
    QLabel *m_noCalculation = nullptr;
    std::vector<CheckRowLabels> m_checkRows;

    line::CalculationFigures m_calculation;
    std::optional<double> m_lineLoss; // loss at the last loudspeaker, none without figures
};
