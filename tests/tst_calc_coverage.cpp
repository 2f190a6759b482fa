#include "calcinputs.h"

#include "calc/calculation.h"
#include "calc/coverage.h"
#include "calc/textrules.h"

#include <QTest>
#include <cmath>
#include <initializer_list>
#include <utility>

using namespace calc;

Q_DECLARE_METATYPE(calc::CalcInputs)
Q_DECLARE_METATYPE(calc::Effects)

namespace calc {
// Readable effect lists in failed comparisons.
char *toString(const Effects &effects)
{
    QStringList parts;
    for (const Effect &e : effects)
        parts << QStringLiteral("%1/%2/%3").arg(int(e.kind)).arg(int(e.control)).arg(e.text);
    return qstrdup(parts.join(u" | ").toUtf8().constData());
}
} // namespace calc

namespace {

using Texts = std::initializer_list<std::pair<Control, QString>>;

// The window's default texts (power 6 W, sensitivity 88 dB, noise 70 dB,
// margin 10 dB: total 95 dB, range 6 m), with some boxes changed.
CalcInputs inputs(Mounting mounting, Texts changed = {}, QChar decimalPoint = u'.')
{
    CalcInputs in = startupInputs(mounting);
    in.decimalPoint = decimalPoint;
    for (const auto &[control, text] : changed) {
        switch (control) {
        case Control::CmbGn: in.cmbGn = text; break;
        case Control::CmbDv: in.cmbDv = text; break;
        case Control::CmbUN: in.cmbUN = text; break;
        case Control::CmbVP: in.cmbVP = text; break;
        case Control::TxtPd: in.txtPd = text; break;
        case Control::TxtH: in.txtH = text; break;
        case Control::TxtL: in.txtL = text; break;
        case Control::TxtSR: in.txtSR = text; break;
        default: qFatal("box not used by these tests");
        }
    }
    return in;
}

// The four results as the calculation writes them, in display order.
Effects results(const QString &pd, const QString &d, const QString &s, const QString &ks)
{
    return {Effect::setText(Control::LblPd, pd), Effect::setText(Control::LblD, d),
            Effect::setText(Control::LblS, s), Effect::setText(Control::LblKs, ks)};
}

Effects plainStop(const QString &message)
{
    return {Effect::message(message), Effect::clearLabels()};
}

Effects inputStop(const QString &message, Control focus)
{
    return {Effect::message(message), Effect::focus(focus), Effect::clearLabels()};
}

// The geometry inputs of the worked examples: 3 m, 150 cm, range 6, room 6 m.
GeometryInputs exampleGeometry(double dirDeg, double vDirDeg = 90.0, double tiltDeg = 0.0)
{
    GeometryInputs in;
    in.mountH = 3.0;
    in.listenH = 150.0;
    in.dropH = 1.5;
    in.dirRad = degreesToRadians(dirDeg);
    in.vDirDeg = vDirDeg;
    in.vDirRad = degreesToRadians(vDirDeg);
    in.tiltDeg = tiltDeg;
    in.tiltRad = degreesToRadians(tiltDeg);
    in.range = 6.0;
    in.roomL = 6.0;
    return in;
}

} // namespace

class CoverageTest : public QObject {
    Q_OBJECT
private slots:
    void completed_data();
    void completed();
    void stopped_data();
    void stopped();
    void countCarriedOverStopAndRecomputed();
    void wallStopKeepsRange();
    void overflowStopStoresNothing();
    void hugeRangeOnCeilingIsShown();
    void ceilingRangeEqualToSlant();
    void wallDropEqualToRange();
    void hornEdgesUnset();
    void hornNegativeDepthStops();
    void count_data();
    void count();
    void zoneFiguresOfTheWorkedExamples();
};

void CoverageTest::completed_data()
{
    QTest::addColumn<CalcInputs>("in");
    QTest::addColumn<Effects>("expected");
    QTest::addColumn<double>("halfSpan");

    const Effects none;
    auto row = [](const char *name, const CalcInputs &in, Effects warnings, const Effects &shown,
                  double halfSpan) {
        warnings.insert(warnings.end(), shown.begin(), shown.end());
        QTest::newRow(name) << in << warnings << halfSpan;
    };
    // halfSpan -1: the mounting leaves the half-width alone.
    row("ceiling example", inputs(Mounting::Ceiling), none, results("95", "6", "8", "5"), -1);
    row("wall example", inputs(Mounting::Wall), none, results("95", "5", "20", "2"), 4);
    row("round horn example",
        inputs(Mounting::RoundHorn, {{Control::CmbGn, "40"}, {Control::CmbDv, "40"}, {Control::CmbUN, "30"}}),
        none, results("95", "6", "8", "5"), 3);
    row("square horn example",
        inputs(Mounting::SquareHorn,
               {{Control::CmbGn, "60"}, {Control::CmbDv, "40"}, {Control::CmbUN, "30"}}),
        none, results("95", "6", "19", "2"), 3);
    row("ceiling 299 cm goes on", inputs(Mounting::Ceiling, {{Control::CmbVP, "299"}}), none,
        results("95", "6", "1", "301"), -1);
    row("30 m room needs 11 along", inputs(Mounting::Ceiling, {{Control::TxtL, "30"}}), none,
        results("95", "6", "8", "11"), -1);
    row("empty area raised to along count", inputs(Mounting::Ceiling, {{Control::TxtSR, ""}}), none,
        results("95", "6", "8", "3"), -1);
    row("zero area on the wall gives 1", inputs(Mounting::Wall, {{Control::TxtSR, "0"}}), none,
        results("95", "5", "20", "1"), 4);
    // 7.5 m - 1.5 m = 6 m = Range: the reach becomes 0, the sector 1 m2.
    row("wall drop equal to range", inputs(Mounting::Wall, {{Control::TxtH, "7.5"}}), none,
        results("95", "0", "1", "37"), 1);
    row("tilt 80 behind the vertical",
        inputs(Mounting::RoundHorn, {{Control::CmbGn, "40"}, {Control::CmbDv, "40"}, {Control::CmbUN, "80"}}),
        none, results("95", "6", "1", "37"), 3);
    row("above 90 warns and goes on",
        inputs(Mounting::RoundHorn, {{Control::TxtH, "7"}, {Control::CmbDv, "60"}, {Control::CmbUN, "90"}}),
        {Effect::message(msg::HeightShort)}, results("95", "6", "23", "2"), 5);
    row("horn drop equal to range passes",
        inputs(Mounting::RoundHorn, {{Control::TxtH, "7.5"}, {Control::CmbDv, "40"}, {Control::CmbUN, "90"}}),
        {Effect::message(msg::HeightShort)}, results("95", "6", "1", "37"), 5);
    // 45 / 2 + 68 = 90.5: behind the vertical in every locale.
    const Texts edge90 = {{Control::CmbGn, "117"}, {Control::CmbDv, "45"}, {Control::CmbUN, "68"}};
    row("edge 90.5 with point", inputs(Mounting::RoundHorn, edge90, u'.'), none, results("95", "6", "5", "8"),
        6);
    row("edge 90.5 with comma", inputs(Mounting::RoundHorn, edge90, u','), none, results("95", "6", "5", "8"),
        6);
    const Texts edge90High = {{Control::TxtH, "7.4998"}, {Control::CmbDv, "45"}, {Control::CmbUN, "68"}};
    row("near edge beyond range with point warns", inputs(Mounting::RoundHorn, edge90High, u'.'),
        {Effect::message(msg::HeightShort)}, results("95", "6", "1", "37"), 5);
    row("near edge beyond range with comma warns alike", inputs(Mounting::RoundHorn, edge90High, u','),
        {Effect::message(msg::HeightShort)}, results("95", "6", "1", "37"), 5);
}

void CoverageTest::completed()
{
    QFETCH(CalcInputs, in);
    QFETCH(Effects, expected);
    QFETCH(double, halfSpan);

    CalcState state;
    state.halfSpan = -1.0;
    const Outcome outcome = calculate(in, state);
    QCOMPARE(outcome.effects, expected);
    QVERIFY(outcome.completed);
    QVERIFY(state.calculated);
    QCOMPARE(state.halfSpan, halfSpan);
    QCOMPARE(expected.at(expected.size() - 2).text, QString::number(state.coverS));
    QVERIFY(state.coverS >= 1.0);
}

void CoverageTest::stopped_data()
{
    QTest::addColumn<CalcInputs>("in");
    QTest::addColumn<Effects>("expected");

    QTest::newRow("ceiling 3 m at 300 cm")
        << inputs(Mounting::Ceiling, {{Control::CmbVP, "300"}}) << plainStop(msg::CeilingTooLow);
    QTest::newRow("ceiling 180 degrees")
        << inputs(Mounting::Ceiling, {{Control::CmbGn, "180"}}) << plainStop(msg::NotEnough);
    QTest::newRow("ceiling beyond range")
        << inputs(Mounting::Ceiling, {{Control::TxtH, "12"}}) << plainStop(msg::NotEnough);
    QTest::newRow("wall at listening height")
        << inputs(Mounting::Wall, {{Control::TxtH, "1.5"}}) << plainStop(msg::MountTooLow);
    QTest::newRow("wall drop beyond range")
        << inputs(Mounting::Wall, {{Control::TxtH, "7.6"}}) << plainStop(msg::NotEnough);

    Effects tooLow = plainStop(msg::MountTooLow);
    tooLow.push_back(Effect::setText(Control::TxtH, "3"));
    tooLow.push_back(Effect::focus(Control::TxtH));
    QTest::newRow("horn too low resets height")
        << inputs(Mounting::RoundHorn, {{Control::TxtH, "1.2"}}) << tooLow;
    Effects tooHigh = plainStop(msg::MountTooHigh);
    tooHigh.push_back(Effect::focus(Control::TxtH));
    QTest::newRow("horn too high keeps height")
        << inputs(Mounting::SquareHorn, {{Control::TxtH, "8"}}) << tooHigh;

    Effects tilt = plainStop(msg::IncreaseTilt);
    tilt.push_back(Effect::focus(Control::CmbUN));
    QTest::newRow("high mounting small tilt")
        << inputs(Mounting::RoundHorn, {{Control::TxtH, "7"}, {Control::CmbDv, "40"}}) << tilt;

    // Sens 6000 gives a range near 1e296, whose square is beyond a double.
    const Effects sensitivity = inputStop(msg::Sensitivity, Control::TxtPd);
    QTest::newRow("huge range on the wall")
        << inputs(Mounting::Wall, {{Control::TxtPd, "6000"}}) << sensitivity;
    QTest::newRow("huge range on the round horn")
        << inputs(Mounting::RoundHorn, {{Control::TxtPd, "6000"}}) << sensitivity;
    QTest::newRow("huge range on the square horn")
        << inputs(Mounting::SquareHorn, {{Control::TxtPd, "6000"}}) << sensitivity;
    // A narrow beam 1 cm above the listeners covers a circle under 1 mm wide.
    QTest::newRow("length beyond a double per loudspeaker") << inputs(
        Mounting::Ceiling, {{Control::CmbGn, "10"}, {Control::TxtH, "1.51"}, {Control::TxtL, "1e308"}})
                                                            << inputStop(msg::Length, Control::TxtL);
}

void CoverageTest::stopped()
{
    QFETCH(CalcInputs, in);
    QFETCH(Effects, expected);

    CalcState state;
    state.count = 7.0;
    state.halfSpan = 2.0;
    state.calculated = true;
    const Outcome outcome = calculate(in, state);
    QCOMPARE(outcome.effects, expected);
    QVERIFY(!outcome.completed);
    QVERIFY(!state.calculated);
    QCOMPARE(state.coverS, 0.0);
    QCOMPARE(state.count, 7.0);
    QCOMPARE(state.halfSpan, 2.0);
}

void CoverageTest::countCarriedOverStopAndRecomputed()
{
    CalcState state;
    QVERIFY(calculate(inputs(Mounting::Ceiling), state).completed);
    QCOMPARE(state.count, 5.0);

    const Outcome stopped
        = calculate(inputs(Mounting::Ceiling, {{Control::CmbVP, "300"}, {Control::TxtSR, "72"}}), state);
    QVERIFY(!stopped.completed);
    QCOMPARE(state.count, 5.0);
    QCOMPARE(state.coverS, 0.0);

    const Outcome next = calculate(inputs(Mounting::Ceiling, {{Control::TxtSR, "72"}}), state);
    QCOMPARE(next.effects, results("95", "6", "8", "10"));
    QCOMPARE(state.count, 10.0);
    QCOMPARE(state.coverS, 8.0);
}

void CoverageTest::wallStopKeepsRange()
{
    CalcState state;
    QVERIFY(calculate(inputs(Mounting::Wall), state).completed);
    QCOMPARE(state.range, 5.0);
    QCOMPARE(state.halfSpan, 4.0);

    // The range is computed afresh (6 m); the stop comes before the wall
    // replaces it with its horizontal reach.
    QVERIFY(!calculate(inputs(Mounting::Wall, {{Control::TxtH, "8"}}), state).completed);
    QCOMPARE(state.range, 6.0);
    QCOMPARE(state.halfSpan, 4.0);
    QCOMPARE(state.count, 2.0);
}

void CoverageTest::overflowStopStoresNothing()
{
    CalcState state;
    QVERIFY(calculate(inputs(Mounting::Wall), state).completed);
    QVERIFY(!calculate(inputs(Mounting::Wall, {{Control::TxtPd, "6000"}}), state).completed);
    QVERIFY(std::isfinite(state.range));
    QVERIFY(state.range > 1e295);
    QCOMPARE(state.halfSpan, 4.0);
    QCOMPARE(state.count, 2.0);

    Effects effects;
    GeometryInputs in = exampleGeometry(90);
    in.range = state.range;
    const auto wall = wallCoverage(in, effects);
    QVERIFY(wall);
    QVERIFY(effects.empty());
    QVERIFY(!hasFiniteArea(*wall));
}

void CoverageTest::hugeRangeOnCeilingIsShown()
{
    // The ceiling's circle depends on the height only, so a huge range
    // still gives finite figures.
    CalcState state;
    const Outcome outcome = calculate(inputs(Mounting::Ceiling, {{Control::TxtPd, "6000"}}), state);
    QVERIFY(outcome.completed);
    QCOMPARE(outcome.effects.size(), std::size_t(4));
    const QString range = outcome.effects.at(1).text;
    QVERIFY(range.contains(u"E+296"));
    QVERIFY(std::isfinite(leadingValue(range)));
    QCOMPARE(outcome.effects.at(2), Effect::setText(Control::LblS, "8"));
    QCOMPARE(outcome.effects.at(3), Effect::setText(Control::LblKs, "5"));
}

void CoverageTest::ceilingRangeEqualToSlant()
{
    GeometryInputs in = exampleGeometry(90);
    const double slant = in.dropH / std::cos(in.dirRad / 2.0);
    in.range = slant;
    Effects effects;
    const auto equal = ceilingCoverage(in, effects);
    QVERIFY(equal);
    QVERIFY(effects.empty());
    QCOMPARE(equal->coverS, 8.0);
    QCOMPARE(equal->alongCount, 3.0);
    QVERIFY(!equal->range);
    QVERIFY(!equal->halfSpan);

    in.range = std::nextafter(slant, 0.0);
    QVERIFY(!ceilingCoverage(in, effects));
    QCOMPARE(effects, plainStop(msg::NotEnough));
}

void CoverageTest::wallDropEqualToRange()
{
    GeometryInputs in = exampleGeometry(90);
    in.mountH = 7.5;
    in.dropH = 6.0;
    Effects effects;
    const auto wall = wallCoverage(in, effects);
    QVERIFY(wall);
    QVERIFY(effects.empty());
    QCOMPARE(*wall->range, 0.0);
    QCOMPARE(wall->coverS, 1.0);
    QCOMPARE(*wall->halfSpan, 1.0);
    QCOMPARE(wall->alongCount, 4.0);
}

void CoverageTest::hornEdgesUnset()
{
    // A beam pointing upwards never meets the plane at a near edge.
    GeometryInputs in = exampleGeometry(90, 20, 10);
    in.tiltRad = -1.0;
    for (auto horn : {roundHornCoverage, squareHornCoverage}) {
        Effects effects;
        QVERIFY(!horn(in, effects));
        QCOMPARE(effects, Effects{Effect::message(msg::EdgesUnset)});
    }
}

void CoverageTest::hornNegativeDepthStops()
{
    // Degrees that place the lower boundary in front of the vertical while
    // the radians tilt the beam past it: the far edge comes out nearer than
    // the near edge.
    GeometryInputs in = exampleGeometry(90, 10, 40);
    in.tiltRad = degreesToRadians(120);
    for (auto horn : {roundHornCoverage, squareHornCoverage}) {
        Effects effects;
        QVERIFY(!horn(in, effects));
        QCOMPARE(effects, plainStop(msg::NegativeDepth));
    }
}

void CoverageTest::count_data()
{
    QTest::addColumn<double>("roomArea");
    QTest::addColumn<double>("coverS");
    QTest::addColumn<double>("alongCount");
    QTest::addColumn<double>("previous");
    QTest::addColumn<double>("count");

    QTest::newRow("36 over 8") << 36.0 << 8.0 << 3.0 << 0.0 << 5.0;
    QTest::newRow("exactly 4 is 5") << 36.0 << 9.0 << 1.0 << 0.0 << 5.0;
    QTest::newRow("along count larger") << 36.0 << 8.0 << 11.0 << 0.0 << 11.0;
    QTest::newRow("empty area") << 0.0 << 8.0 << 1.0 << 4.0 << 1.0;
    QTest::newRow("empty area raised") << 0.0 << 8.0 << 3.0 << 4.0 << 3.0;
    QTest::newRow("no area keeps previous") << 36.0 << 0.0 << 2.0 << 7.0 << 7.0;
    QTest::newRow("no area and no previous") << 36.0 << 0.0 << 0.0 << 0.0 << 1.0;
}

void CoverageTest::count()
{
    QFETCH(double, roomArea);
    QFETCH(double, coverS);
    QFETCH(double, alongCount);
    QFETCH(double, previous);
    QFETCH(double, count);
    QCOMPARE(loudspeakerCount(roomArea, coverS, alongCount, previous), count);
}

// The figures a plan of the room draws its zones from, for the worked
// ceiling, round-horn and square-horn examples.
void CoverageTest::zoneFiguresOfTheWorkedExamples()
{
    CalcState ceiling;
    QVERIFY(calculate(inputs(Mounting::Ceiling), ceiling).completed);
    QVERIFY(qAbs(ceiling.zone.radius - 1.49993) < 1e-4);
    QCOMPARE(ceiling.dropH, 1.5);
    QCOMPARE(ceiling.zone.nearSlant, 0.0);

    const Texts horn = {{Control::CmbGn, "40"}, {Control::CmbDv, "40"}, {Control::CmbUN, "30"}};
    CalcState round;
    QVERIFY(calculate(inputs(Mounting::RoundHorn, horn), round).completed);
    QVERIFY(qAbs(round.zone.nearSlant - 1.9582) < 1e-4);
    QCOMPARE(round.zone.farSlant, 6.0);
    QCOMPARE(round.zone.edgeDeg, 50.0);
    QVERIFY(qAbs(round.zone.farHalfW - 2.1838) < 1e-4);
    QCOMPARE(round.zone.radius, 0.0);

    const Texts square = {{Control::CmbGn, "60"}, {Control::CmbDv, "40"}, {Control::CmbUN, "30"}};
    CalcState sq;
    QVERIFY(calculate(inputs(Mounting::SquareHorn, square), sq).completed);
    QCOMPARE(sq.zone.farSide, 6.0);
    QVERIFY(qAbs(sq.zone.nearSide - 2.2611) < 1e-4);
}

QTEST_GUILESS_MAIN(CoverageTest)
#include "tst_calc_coverage.moc"
