#pragma once

#include "calc/calculation.h"

// The texts the window hands to the calculation right after start-up
// (power 6 W on the full tap, sensitivity 88 dB, noise 70 dB, margin 10 dB,
// a 6 x 6 m room of 36 m2 at 3 m), for the given mounting type.
inline calc::CalcInputs startupInputs(calc::Mounting mounting = calc::Mounting::Wall)
{
    return {.cmbGn = "90",
            .cmbDv = "90",
            .cmbUN = "0",
            .cmbUPS = "10",
            .cmbVP = "150",
            .txtPv = "6",
            .txtPd = "88",
            .txtN = "70",
            .txtH = "3",
            .txtL = "6",
            .txtW = "6",
            .txtSR = "36",
            .tapMember = 1,
            .mounting = mounting};
}

// The twelve text inputs by the name of their box, in the order they stand
// in CalcInputs.
struct TextInput {
    const char *name;
    QString calc::CalcInputs::*text;
};

inline constexpr TextInput textInputs[] = {
    {"CmbGn", &calc::CalcInputs::cmbGn}, {"CmbDv", &calc::CalcInputs::cmbDv},
    {"CmbUN", &calc::CalcInputs::cmbUN}, {"CmbUPS", &calc::CalcInputs::cmbUPS},
    {"CmbVP", &calc::CalcInputs::cmbVP}, {"TxtPv", &calc::CalcInputs::txtPv},
    {"TxtPd", &calc::CalcInputs::txtPd}, {"TxtN", &calc::CalcInputs::txtN},
    {"TxtH", &calc::CalcInputs::txtH},   {"TxtL", &calc::CalcInputs::txtL},
    {"TxtW", &calc::CalcInputs::txtW},   {"TxtSR", &calc::CalcInputs::txtSR},
};
