#pragma once

#include <QChar>
#include <QString>
#include <vector>

namespace calc {

// The value of pi in every computation of the calculation.
inline constexpr double Pi = 3.1415;

inline double degreesToRadians(double degrees)
{
    return Pi * degrees / 180.0;
}

enum class Mounting { Ceiling, Wall, RoundHorn, SquareHorn };

// Where the zone one loudspeaker covers lies on the listening plane, as the
// geometry of its mounting type found it (lengths in metres). Only the
// figures of that geometry are set; the others stay 0.
struct ZoneFigures {
    double radius = 0.0;    // Radius: ceiling, the radius of the covered circle
    double nearSlant = 0.0; // NearSlant: horns, loudspeaker to the near edge
    double farSlant = 0.0;  // FarSlant: horns, loudspeaker to the far edge
    double edgeDeg = 0.0;   // EdgeDeg: horns, depression of the beam's lower boundary, degrees
    double farHalfW = 0.0;  // FarHalfW: round horn, the zone's width at its far edge
    double nearSide = 0.0;  // NearSide: square horn, near distance to the beam's side
    double farSide = 0.0;   // FarSide: square horn, far distance to the beam's side
};

// The inputs as CALCULATE read them, the intermediate values and the four
// results. They keep their values between calculations: a calculation that
// stops early leaves the values it had not reached unchanged, and the report
// reads the values of the last completed one.
struct CalcState {
    double dirDeg = 90.0; // horizontal directivity, degrees (CmbGn)
    double dirRad = Pi / 2.0;
    double vDirDeg = 90.0; // vertical directivity, degrees (CmbDv)
    double vDirRad = Pi / 2.0;
    double tiltDeg = 0.0; // tilt of the loudspeaker, degrees (CmbUN)
    double tiltRad = 0.0;
    double margin = 10.0;    // signal over noise, dB (CmbUPS)
    double listenH = 150.0;  // listening height above the floor, cm (CmbVP)
    double tap = 1.0;        // power tap factor: 1, 0.5 or 1/3
    double powerW = 0.0;     // rated power, W (TxtPv)
    double logP = 0.0;       // 10 log10 of the tapped power, dB
    double sens = 0.0;       // sensitivity at 1 W / 1 m, dB (TxtPd)
    double noise = 0.0;      // room noise, dB (TxtN)
    double mountH = 0.0;     // ceiling or installation height, m (TxtH)
    double roomL = 0.0;      // room length, m (TxtL)
    double roomW = 0.0;      // room width, m (TxtW)
    double roomArea = 0.0;   // room area, m2 (TxtSR)
    double splTotal = 0.0;   // total sound pressure at 1 m, dB
    double excess = 0.0;     // splTotal minus the required level, dB
    double range = 0.0;      // effective range, m
    double coverS = 0.0;     // floor area one loudspeaker covers, m2
    double halfSpan = 0.0;   // lateral half-width of the covered zone, m
    double count = 0.0;      // loudspeakers needed; carried between calculations
    double dropH = 0.0;      // loudspeaker above the listening plane, m
    ZoneFigures zone;        // where the covered zone of the last calculation lies
    bool calculated = false; // the labels show a complete calculation
    bool areaFromLW = false; // take the area from length x width first
};

// The controls a calculation reads, resets, focuses or writes.
enum class Control {
    None,
    CmbGn,
    CmbDv,
    CmbUN,
    CmbUPS,
    CmbVP,
    TxtPv,
    TxtPd,
    TxtN,
    TxtH,
    TxtL,
    TxtW,
    TxtSR,
    LblPd,
    LblD,
    LblS,
    LblKs,
};

// One visible effect of a calculation, replayed by the window in order.
struct Effect {
    enum class Kind {
        Message,     // a modal message box with OK only
        SetText,     // set the text of a box or the caption of a label
        ClearLabels, // empty LblPd, LblD, LblS, LblKs, then LblZat
        Focus,       // move the keyboard focus
    };
    Kind kind;
    Control control = Control::None;
    QString text;

    static Effect message(const QString &text) { return {Kind::Message, Control::None, text}; }
    static Effect setText(Control c, const QString &text) { return {Kind::SetText, c, text}; }
    static Effect clearLabels() { return {Kind::ClearLabels, Control::None, QString()}; }
    static Effect focus(Control c) { return {Kind::Focus, c, QString()}; }

    bool operator==(const Effect &) const = default;
};

using Effects = std::vector<Effect>;

} // namespace calc
