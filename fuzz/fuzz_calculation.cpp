// libFuzzer target for the whole CALCULATE command over numbers.
//
// Input: three control bytes, then the twelve field texts separated by "|"
// (missing fields are empty):
//   byte 0  mounting: 0 ceiling, 1 wall, 2 round horn, 3 square horn (mod 4)
//   byte 1  power tap: 0 none selected, 1, 2 or 3 (mod 4)
//   byte 2  bit 0: the locale writes "," as its decimal point;
//           bit 1: the area is taken from length x width
//   fields  CmbGn|CmbDv|CmbUN|CmbUPS|CmbVP|TxtPv|TxtPd|TxtN|TxtH|TxtL|TxtW|TxtSR
// Every calculation runs twice on the same state, as the user pressing
// CALCULATE twice without changing anything.
#include "calc/calculation.h"
#include "tests/finishedcalculation.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char *const FieldNames[12] = {"CmbGn", "CmbDv", "CmbUN", "CmbUPS", "CmbVP", "TxtPv",
                                    "TxtPd", "TxtN",  "TxtH",  "TxtL",   "TxtW",  "TxtSR"};

struct Case {
    calc::CalcInputs in;
    bool areaFromLW = false;
};

const Case *current = nullptr;

[[noreturn]] void failed(const char *check, const calc::CalcState &state)
{
    std::fprintf(stderr, "check failed: %s\n", check);
    if (current) {
        const auto &in = current->in;
        const QString fields[12] = {in.cmbGn, in.cmbDv, in.cmbUN, in.cmbUPS, in.cmbVP, in.txtPv,
                                    in.txtPd, in.txtN,  in.txtH,  in.txtL,   in.txtW,  in.txtSR};
        std::fprintf(stderr, "  mounting %d, tap %d, decimal point '%c', area from LxW %d\n",
                     int(in.mounting), in.tapMember.value_or(0), char(in.decimalPoint.unicode()),
                     int(current->areaFromLW));
        for (int i = 0; i < 12; ++i)
            std::fprintf(stderr, "  %-6s \"%s\"\n", FieldNames[i], fields[i].toUtf8().constData());
    }
    std::fprintf(stderr, "  splTotal %.17g range %.17g coverS %.17g count %.17g\n", state.splTotal,
                 state.range, state.coverS, state.count);
    std::abort();
}

#define CHECK(condition, state)                                                                              \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            failed(#condition, state);                                                                       \
    } while (false)

void checkOutcome(const calc::Outcome &outcome, const calc::CalcState &state, calc::Mounting mounting,
                  QChar dp)
{
    const QString broken = finished::brokenRule(outcome, state, mounting, dp);
    if (!broken.isEmpty())
        failed(broken.toUtf8().constData(), state);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    Case c;
    static const calc::Mounting mountings[4] = {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                                calc::Mounting::RoundHorn, calc::Mounting::SquareHorn};
    c.in.mounting = mountings[data[0] % 4];
    if (const int tap = data[1] % 4; tap != 0)
        c.in.tapMember = tap;
    c.in.decimalPoint = (data[2] & 1) ? u',' : u'.';
    c.areaFromLW = (data[2] & 2) != 0;

    const QByteArray rest(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));
    const QList<QByteArray> parts = rest.split('|');
    QString *fields[12] = {&c.in.cmbGn, &c.in.cmbDv, &c.in.cmbUN, &c.in.cmbUPS, &c.in.cmbVP, &c.in.txtPv,
                           &c.in.txtPd, &c.in.txtN,  &c.in.txtH,  &c.in.txtL,   &c.in.txtW,  &c.in.txtSR};
    for (int i = 0; i < 12 && i < parts.size(); ++i)
        *fields[i] = QString::fromUtf8(parts[i]);
    current = &c;

    calc::CalcState state;
    state.areaFromLW = c.areaFromLW;
    const calc::Outcome first = calc::calculate(c.in, state);
    checkOutcome(first, state, c.in.mounting, c.in.decimalPoint);

    // Pressing CALCULATE again with the same inputs gives the same results.
    const calc::CalcState afterFirst = state;
    const calc::Outcome second = calc::calculate(c.in, state);
    checkOutcome(second, state, c.in.mounting, c.in.decimalPoint);
    CHECK(second.completed == first.completed, state);
    if (first.completed) {
        CHECK(state.splTotal == afterFirst.splTotal, state);
        CHECK(state.range == afterFirst.range, state);
        CHECK(state.coverS == afterFirst.coverS, state);
        CHECK(state.count == afterFirst.count, state);
        CHECK(second.effects == first.effects, state);
    }
    current = nullptr;
    return 0;
}
