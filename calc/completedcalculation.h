#pragma once

#include "calculation.h"

#include <QString>

namespace calc {

// A CALCULATE of the main window that reached the end: the texts of every
// input as it read them (with the tap, the mounting type and the decimal
// point of the locale at that moment), the state it left behind, and the
// texts of the model and room-type boxes. The tool windows turn it into
// their own figures; the project of many rooms stores rooms from it.
struct CompletedCalculation {
    CalcInputs inputs;
    CalcState state;
    QString model;    // the text of the model box (CmbG)
    QString roomType; // the text of the room-type box (CmbOn)
    // The model was chosen from the list of the model box, so that power,
    // sensitivity and mounting type are the catalogue's; a designation
    // typed into the box is not.
    bool modelFromList = false;
};

// What a tool window says while the main window's inputs differ from the
// calculation it shows.
inline const QString InputsChangedNotice = QStringLiteral("Данные главного окна изменены после расчета");

// What a window that would take the last calculation answers while the
// main window's inputs differ from it. Defined after the notice it starts
// with, so initialised after it.
inline const QString RecalculateRequest
    = InputsChangedNotice + QStringLiteral(". Произведите расчет заново.");

// The mounting type as the report names it: "Потолочный", "Настенный" or
// "Рупорный".
QString mountingWord(Mounting mounting);

} // namespace calc
