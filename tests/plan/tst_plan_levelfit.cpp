// The fit of the loudspeaker count to the level map: the fitted count
// against a search that maps every count in full, for generated rooms of
// every mounting type and every arrangement that takes a count, at several
// target shares; the counts no arrangement reaches and why; the quick
// share bounds against the full map; the texts; the plan window's button.
#include "calc/calcstate.h"
#include "plan/layout.h"
#include "plan/levelfit.h"
#include "plan/levelmap.h"
#include "plan/planfigures.h"
#include "plan/planwindow.h"
#include "plan/powerpoints.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <bit>
#include <cmath>
#include <optional>
#include <random>

using namespace plan;

Q_DECLARE_METATYPE(plan::LevelInputs)
Q_DECLARE_METATYPE(plan::Arrangement)
Q_DECLARE_METATYPE(plan::FitOutcome)

namespace {

// The L-shaped floor of the shaped rows.
calc::Shape lShape(double length, double width)
{
    return calc::Shape::fromOutline(
        {{0, 0}, {length, 0}, {length, width / 2}, {length / 3, width / 2}, {length / 3, width}, {0, width}});
}

LevelInputs room(calc::Mounting mounting, double length, double width, double dropH, double splTotal,
                 double dirDeg, double vDirDeg, double tiltDeg)
{
    LevelInputs in;
    in.mounting = mounting;
    in.length = length;
    in.width = width;
    in.dropH = dropH;
    in.splTotal = splTotal;
    in.dirDeg = dirDeg;
    in.vDirDeg = vDirDeg;
    in.tiltDeg = tiltDeg;
    return in;
}

struct Reference {
    std::optional<int> count; // the least count that meets the rule
    double share = 0.0;       // its share, or the most any count reached
    bool anyReachedLoud = false;
};

// Every count from 1 up, each mapped in full and judged by its summary.
Reference countByCount(const LevelInputs &base, Arrangement arrangement, double requiredLevel, double target,
                       int limit)
{
    Reference reference;
    const calc::Shape shape
        = base.shape.isEmpty() ? calc::Shape::rectangle(base.length, base.width) : base.shape;
    for (int n = 1; n <= limit; ++n) {
        LevelInputs in = base;
        in.placements = layOut(arrangement, shape, 0, n).placements;
        const std::optional<LevelMap> map = levelMap(in);
        if (!map)
            return reference;
        const LevelSummary summary = summarize(*map, requiredLevel);
        const bool shareMet = summary.requiredShare >= target;
        if (shareMet && summary.tooLoudShare == 0.0) {
            reference.count = n;
            reference.share = summary.requiredShare;
            return reference;
        }
        reference.share = std::max(reference.share, summary.requiredShare);
        reference.anyReachedLoud = reference.anyReachedLoud || shareMet;
    }
    return reference;
}

const char *mountingName(calc::Mounting mounting)
{
    switch (mounting) {
    case calc::Mounting::Ceiling: return "ceiling";
    case calc::Mounting::Wall: return "wall";
    case calc::Mounting::RoundHorn: return "round horn";
    case calc::Mounting::SquareHorn: return "square horn";
    }
    return "";
}

// A ceiling room of the plan window: 12 x 8 m, 95 dB, 90 degrees, 3 m
// above the plane, 85 dB required.
PlanFigures windowRoom()
{
    PlanFigures f;
    f.mounting = calc::Mounting::Ceiling;
    f.roomL = 12;
    f.roomW = 8;
    f.roomArea = 96;
    f.radius = 2;
    f.count = 2;
    f.splTotal = 95;
    f.dirDeg = 90;
    f.dropH = 3;
    f.requiredLevel = 85;
    f.model = QStringLiteral("ГР-1");
    f.mountingWord = QStringLiteral("Потолочный");
    f.decimalPoint = u',';
    return f;
}

LevelInputs inputsOf(const PlanFigures &f)
{
    return room(f.mounting, f.roomL, f.roomW, f.dropH, f.splTotal, f.dirDeg, f.vDirDeg, f.tiltDeg);
}

QString noun(int n)
{
    if (n % 10 == 1 && n % 100 != 11)
        return QStringLiteral("громкоговоритель");
    if (n % 10 >= 2 && n % 10 <= 4 && !(n % 100 >= 12 && n % 100 <= 14))
        return QStringLiteral("громкоговорителя");
    return QStringLiteral("громкоговорителей");
}

} // namespace

class TestLevelFit : public QObject {
    Q_OBJECT

private slots:
    void fitEqualsCountByCount_data();
    void fitEqualsCountByCount();
    void manyLoudspeakersEqualCountByCount_data();
    void manyLoudspeakersEqualCountByCount();
    void notReached_data();
    void notReached();
    void boundsHoldTheMap_data();
    void boundsHoldTheMap();
    void plural_data();
    void plural();
    void lines();
    void gridsTakeNoFit();
    void cancelled();
    void sharedPowers();
    void windowButton();
    void windowFits();
    void windowCancelsOnChange();
    void windowTooLoud();
};

// Rooms drawn from a fixed seed: each mounting type with each arrangement
// that takes a count, rectangles and L-shaped floors, the required level a
// few dB under the loudspeaker's so that the counts stay small, and the
// target shares 50, 95 and 100 per cent in turn. The rooms are narrow (the
// map has as many cells along the longer side whatever its length), so
// that the search with full maps stays quick.
void TestLevelFit::fitEqualsCountByCount_data()
{
    QTest::addColumn<LevelInputs>("inputs");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("required");
    QTest::addColumn<double>("target");

    std::mt19937 random(20261209);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto between = [&](double low, double high) { return low + (high - low) * uniform(random); };
    const calc::Mounting mountings[] = {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                        calc::Mounting::RoundHorn, calc::Mounting::SquareHorn};
    const double targets[] = {50.0, 95.0, 100.0};
    int row = 0;
    for (const calc::Mounting mounting : mountings) {
        for (const Arrangement arrangement : arrangementsFor(mounting)) {
            if (isGrid(arrangement))
                continue;
            for (const bool shaped : {false, true}) {
                {
                    const double target = targets[row % 3];
                    const double length = between(6, 14);
                    const double width = between(2.0, length * 0.25);
                    LevelInputs in = room(mounting, length, width, between(1.5, 4), between(88, 100),
                                          between(60, 150), between(40, 100), between(0, 30));
                    if (shaped)
                        in.shape = lShape(length, width);
                    // A little below the loudspeaker's level at its height:
                    // a few of them reach it.
                    const double required
                        = std::round(in.splTotal - 20 * std::log10(in.dropH) - between(2, 10));
                    QTest::addRow("%d %s %s %s %.0f%%", row++, mountingName(mounting),
                                  qPrintable(arrangementName(arrangement)), shaped ? "L" : "rectangle",
                                  target)
                        << in << arrangement << required << target;
                }
            }
        }
    }
}

void TestLevelFit::fitEqualsCountByCount()
{
    QFETCH(LevelInputs, inputs);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, required);
    QFETCH(double, target);
    const int limit = 10;
    const Reference reference = countByCount(inputs, arrangement, required, target, limit);
    const CountFit fit = fitCount(inputs, arrangement, 0, {required, target}, limit);
    if (reference.count) {
        QCOMPARE(fit.outcome, FitOutcome::Fitted);
        QCOMPARE(fit.count, *reference.count);
        QCOMPARE(fit.share, reference.share);
        QVERIFY(fit.fullMaps <= fit.countsChecked);
    } else {
        QCOMPARE(fit.outcome, reference.anyReachedLoud ? FitOutcome::TooLoud : FitOutcome::ShareNotReached);
        if (fit.outcome == FitOutcome::ShareNotReached)
            QVERIFY2(fit.share >= reference.share && fit.share < target,
                     qPrintable(QStringLiteral("%1 against %2").arg(fit.share).arg(reference.share)));
    }
}

// Counts of 128 loudspeakers and more in rows, whose blocks keep the sums
// of the rows that stay from one count to the next: the fit equals the full maps' search. The counts below
// 128 are the plain tally's, which the test above checks; a fit up to 127 finds none, and the full maps from
// 128 up fail until the fitted count meets the rule.
void TestLevelFit::manyLoudspeakersEqualCountByCount_data()
{
    QTest::addColumn<LevelInputs>("inputs");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("required");

    QTest::newRow("ceiling, 4 rows") << room(calc::Mounting::Ceiling, 30, 3, 1.5, 90, 90, 90, 0)
                                     << Arrangement::Rows << 91.0;
    LevelInputs shaped = room(calc::Mounting::Ceiling, 30, 6, 1.5, 90, 90, 90, 0);
    shaped.shape = lShape(30, 6);
    QTest::newRow("ceiling, L-shaped floor") << shaped << Arrangement::Rows << 89.0;
}

void TestLevelFit::manyLoudspeakersEqualCountByCount()
{
    QFETCH(LevelInputs, inputs);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, required);
    constexpr int From = 128;
    const FitRule rule{required, 95};
    QCOMPARE(fitCount(inputs, arrangement, 0, rule, From - 1).outcome, FitOutcome::ShareNotReached);
    const CountFit fit = fitCount(inputs, arrangement, 0, rule, 1000);
    QCOMPARE(fit.outcome, FitOutcome::Fitted);
    QVERIFY2(fit.count > From + 8, qPrintable(QString::number(fit.count)));
    const calc::Shape shape
        = inputs.shape.isEmpty() ? calc::Shape::rectangle(inputs.length, inputs.width) : inputs.shape;
    for (int n = From; n <= fit.count; ++n) {
        LevelInputs in = inputs;
        in.placements = layOut(arrangement, shape, 0, n).placements;
        const std::optional<LevelMap> map = levelMap(in);
        QVERIFY(map);
        const LevelSummary summary = summarize(*map, required);
        QCOMPARE(meetsRule(summary, rule), n == fit.count);
        if (n == fit.count)
            QCOMPARE(fit.share, summary.requiredShare);
    }
}

// Why no count fits: loudspeakers so loud that the cell under any of them
// is above 120 dB; so weak that none reaches the required level; a target
// the few counts allowed cannot reach; loud enough to reach the share only
// with cells above 120 dB on an L-shaped floor (which the search proves
// count by count).
void TestLevelFit::notReached_data()
{
    QTest::addColumn<LevelInputs>("inputs");
    QTest::addColumn<Arrangement>("arrangement");
    QTest::addColumn<double>("required");
    QTest::addColumn<int>("limit");
    QTest::addColumn<FitOutcome>("outcome");

    QTest::newRow("ceiling 135 dB 1 m above") << room(calc::Mounting::Ceiling, 10, 6, 1.0, 135, 90, 90, 0)
                                              << Arrangement::Rows << 80.0 << 100000 << FitOutcome::TooLoud;
    QTest::newRow("wall 135 dB 1 m above") << room(calc::Mounting::Wall, 10, 6, 1.0, 135, 90, 90, 10)
                                           << Arrangement::TwoWalls << 80.0 << 100000 << FitOutcome::TooLoud;
    QTest::newRow("ceiling 40 dB against 100 dB")
        << room(calc::Mounting::Ceiling, 10, 6, 3.0, 40, 90, 90, 0) << Arrangement::Rows << 100.0 << 100000
        << FitOutcome::ShareNotReached;
    QTest::newRow("horn, 3 counts only") << room(calc::Mounting::RoundHorn, 30, 20, 3.0, 95, 60, 40, 10)
                                         << Arrangement::OneWall << 80.0 << 3 << FitOutcome::ShareNotReached;
    LevelInputs loudL = room(calc::Mounting::Ceiling, 12, 8, 1.0, 130, 60, 90, 0);
    loudL.shape = lShape(12, 8);
    QTest::newRow("L ceiling 130 dB 1 m above, 6 counts")
        << loudL << Arrangement::Rows << 80.0 << 6 << FitOutcome::TooLoud;
}

void TestLevelFit::notReached()
{
    QFETCH(LevelInputs, inputs);
    QFETCH(Arrangement, arrangement);
    QFETCH(double, required);
    QFETCH(int, limit);
    QFETCH(FitOutcome, outcome);
    const CountFit fit = fitCount(inputs, arrangement, 0, {required, 95}, limit);
    QCOMPARE(fit.outcome, outcome);
    // The reference over a few counts agrees (all of them where few are
    // allowed).
    const Reference reference = countByCount(inputs, arrangement, required, 95, std::min(limit, 6));
    QVERIFY(!reference.count);
    if (outcome == FitOutcome::ShareNotReached) {
        QVERIFY(fit.share >= reference.share);
        QVERIFY(fit.share < 95);
    }
}

// The bounds settle at least as well as asked and hold the map's share.
void TestLevelFit::boundsHoldTheMap_data()
{
    QTest::addColumn<LevelInputs>("inputs");
    QTest::addColumn<double>("required");

    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto between = [&](double low, double high) { return low + (high - low) * uniform(random); };
    const calc::Mounting mountings[] = {calc::Mounting::Ceiling, calc::Mounting::Wall,
                                        calc::Mounting::RoundHorn, calc::Mounting::SquareHorn};
    int row = 0;
    for (const calc::Mounting mounting : mountings) {
        for (const Arrangement arrangement : arrangementsFor(mounting)) {
            for (const bool shaped : {false, true}) {
                const double length = between(5, 30);
                const double width = between(3, length);
                LevelInputs in = room(mounting, length, width, between(1.5, 4), between(88, 100),
                                      between(60, 150), between(40, 100), between(0, 30));
                if (shaped)
                    in.shape = lShape(length, width);
                const calc::Shape shape = shaped ? in.shape : calc::Shape::rectangle(length, width);
                in.placements = layOut(arrangement, shape, between(1.5, 4), int(between(2, 12))).placements;
                const double required = std::round(in.splTotal - 20 * std::log10(in.dropH) - between(0, 8));
                QTest::addRow("%d %s %s %s", row++, mountingName(mounting),
                              qPrintable(arrangementName(arrangement)), shaped ? "L" : "rectangle")
                    << in << required;
            }
            // Loud enough that the bounds of the blocks near a loudspeaker
            // pass 120 dB: blocks whose share is counted are split further
            // for their loud cells alone, which must not count again.
            const double length = between(4, 12);
            const double width = between(2.5, length * 0.6);
            LevelInputs loud = room(mounting, length, width, between(1.5, 2.5), between(116, 124),
                                    between(60, 120), between(40, 90), between(0, 20));
            loud.placements = layOut(arrangement, calc::Shape::rectangle(length, width), between(1.5, 4),
                                     int(between(10, 40)))
                                  .placements;
            const double required = std::round(loud.splTotal - 20 * std::log10(loud.dropH) - between(10, 30));
            QTest::addRow("%d %s %s loud, %.0f dB", row++, mountingName(mounting),
                          qPrintable(arrangementName(arrangement)), loud.splTotal)
                << loud << required;
        }
    }
    // Enough ceiling loudspeakers that the open blocks are taken from the
    // map's blocks whole.
    for (const bool shaped : {false, true}) {
        LevelInputs in = room(calc::Mounting::Ceiling, 40, 24, 2.5, 92, 90, 90, 0);
        if (shaped)
            in.shape = lShape(40, 24);
        const calc::Shape shape = shaped ? in.shape : calc::Shape::rectangle(40, 24);
        in.placements = layOut(Arrangement::Rows, shape, 2.5, 120).placements;
        QVERIFY(in.placements.size() > 64);
        QTest::addRow("ceiling, %zu loudspeakers, %s", in.placements.size(), shaped ? "L" : "rectangle")
            << in << 84.0;
    }
    // More than the bounds sum one by one: the trees' nodes give them.
    LevelInputs ceiling = room(calc::Mounting::Ceiling, 60, 30, 2.5, 92, 90, 90, 0);
    ceiling.placements = layOut(Arrangement::Rows, calc::Shape::rectangle(60, 30), 2.5, 601).placements;
    QVERIFY(ceiling.placements.size() > 512);
    QTest::addRow("ceiling, %zu loudspeakers", ceiling.placements.size()) << ceiling << 88.0;
    LevelInputs walls = room(calc::Mounting::Wall, 300, 10, 2.5, 92, 100, 100, 15);
    walls.placements = layOut(Arrangement::TwoWalls, calc::Shape::rectangle(300, 10), 2.5, 2101).placements;
    QVERIFY(walls.placements.size() > 2048);
    QTest::addRow("two walls, %zu loudspeakers", walls.placements.size()) << walls << 80.0;
}

void TestLevelFit::boundsHoldTheMap()
{
    QFETCH(LevelInputs, inputs);
    QFETCH(double, required);
    const std::optional<LevelMap> map = levelMap(inputs);
    QVERIFY(map);
    const LevelSummary summary = summarize(*map, required);
    const ShareBounds bounds = shareBounds(inputs, required, 0.0);
    QVERIFY(bounds.valid);
    QVERIFY2(bounds.lower <= summary.requiredShare && summary.requiredShare <= bounds.upper,
             qPrintable(QStringLiteral("%1 .. %2 against %3")
                            .arg(bounds.lower)
                            .arg(bounds.upper)
                            .arg(summary.requiredShare)));
    // Asked for no spread, the blocks bounds leave open are computed as
    // the map computes them: both ends are the map's share.
    QVERIFY2(std::abs(bounds.upper - summary.requiredShare) < 1e-9
                 && std::abs(bounds.lower - summary.requiredShare) < 1e-9,
             qPrintable(QStringLiteral("%1 .. %2").arg(bounds.lower).arg(bounds.upper)));
    QCOMPARE(bounds.quiet, summary.tooLoudShare == 0.0);
    QCOMPARE(bounds.tooLoud, summary.tooLoudShare > 0.0);

    const ShareBounds coarse = shareBounds(inputs, required, 5.0);
    QVERIFY(coarse.upper - coarse.lower <= 5.0);
    QVERIFY(coarse.lower <= summary.requiredShare && summary.requiredShare <= coarse.upper);
}

void TestLevelFit::plural_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("1") << 1 << QStringLiteral("1 громкоговоритель");
    QTest::newRow("2") << 2 << QStringLiteral("2 громкоговорителя");
    QTest::newRow("4") << 4 << QStringLiteral("4 громкоговорителя");
    QTest::newRow("5") << 5 << QStringLiteral("5 громкоговорителей");
    QTest::newRow("9") << 9 << QStringLiteral("9 громкоговорителей");
    QTest::newRow("11") << 11 << QStringLiteral("11 громкоговорителей");
    QTest::newRow("12") << 12 << QStringLiteral("12 громкоговорителей");
    QTest::newRow("14") << 14 << QStringLiteral("14 громкоговорителей");
    QTest::newRow("21") << 21 << QStringLiteral("21 громкоговоритель");
    QTest::newRow("22") << 22 << QStringLiteral("22 громкоговорителя");
    QTest::newRow("111") << 111 << QStringLiteral("111 громкоговорителей");
    QTest::newRow("1000") << 1000 << QStringLiteral("1000 громкоговорителей");
}

void TestLevelFit::plural()
{
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(loudspeakersText(count), text);
}

void TestLevelFit::lines()
{
    CountFit fit;
    fit.outcome = FitOutcome::Fitted;
    fit.count = 9;
    fit.share = 100.0;
    QCOMPARE(fitLine(fit, {80, 95}, u','),
             QStringLiteral("Подобрано по уровню: 9 громкоговорителей, не ниже 80 дБ на 100,0 % площади"));
    fit.count = 3;
    fit.share = 96.04;
    QCOMPARE(fitLine(fit, {75, 95}, u'.'),
             QStringLiteral("Подобрано по уровню: 3 громкоговорителя, не ниже 75 дБ на 96.0 % площади"));
    fit.outcome = FitOutcome::ShareNotReached;
    fit.share = 78.46;
    QCOMPARE(fitLine(fit, {80, 95}, u','),
             QStringLiteral("Подбор по уровню: не достигается: не выше 78,5 % площади"));
    fit.outcome = FitOutcome::TooLoud;
    QCOMPARE(fitLine(fit, {80, 95}, u','), QStringLiteral("Подбор по уровню: не достигается: выше 120 дБ"));
    fit.outcome = FitOutcome::NoMap;
    QCOMPARE(fitLine(fit, {80, 95}, u','), QStringLiteral("Подбор по уровню: нет данных"));
    QCOMPARE(targetShareLine(95, u','), QStringLiteral("Требуемая доля площади: 95 %"));
    QCOMPARE(targetShareLine(92.5, u','), QStringLiteral("Требуемая доля площади: 92,5 %"));
}

void TestLevelFit::gridsTakeNoFit()
{
    const LevelInputs in = room(calc::Mounting::Ceiling, 10, 6, 3, 95, 90, 90, 0);
    for (const Arrangement grid : {Arrangement::NoGaps, Arrangement::EdgeToEdge, Arrangement::FullOverlap})
        QCOMPARE(fitCount(in, grid, 2, {80, 95}).outcome, FitOutcome::NoMap);
    // A room without a floor has no map either.
    QCOMPARE(fitCount(room(calc::Mounting::Ceiling, 0, 6, 3, 95, 90, 90, 0), Arrangement::Rows, 2, {80, 95})
                 .outcome,
             FitOutcome::NoMap);
}

// The powers at the table's points are std::pow's; one table is shared by
// every caller of the same law, and a table still held stays whole when
// newer ones push it out of the process's store.
void TestLevelFit::sharedPowers()
{
    const int shift = 52 - 10;
    const std::uint64_t first = std::bit_cast<std::uint64_t>(0.01) >> shift;
    const auto held = plan::powerPoints(2.7, shift, first, 5000);
    QCOMPARE(held->size(), std::size_t(5000));
    QCOMPARE(plan::powerPoints(2.7, shift, first, 5000), held);
    QVERIFY(plan::powerPoints(2.75, shift, first, 5000) != held);
    for (int p = 0; p < 40; ++p)
        plan::powerPoints(1.0 + p / 8.0, shift, first, 100);
    const std::vector<double> expected = [&] {
        std::vector<double> points;
        for (std::uint64_t i = 0; i < 5000; ++i)
            points.push_back(std::pow(std::bit_cast<double>((first + i) << shift), 2.7));
        return points;
    }();
    QCOMPARE(*held, expected);
    QVERIFY(plan::powerPoints(2.7, shift, first, 5000) != held);
}

void TestLevelFit::cancelled()
{
    const std::atomic<bool> cancel{true};
    const LevelInputs in = room(calc::Mounting::Ceiling, 10, 6, 3, 95, 90, 90, 0);
    QCOMPARE(fitCount(in, Arrangement::Rows, 2, {80, 95}, MaxLoudspeakers, &cancel).outcome,
             FitOutcome::Cancelled);
}

void TestLevelFit::windowButton()
{
    PlanWindow window(nullptr);
    QVERIFY(!window.fitButton()->isEnabled());
    window.showCalculation(windowRoom());
    QPushButton *fit = window.fitButton();
    QCOMPARE(fit->text(), QStringLiteral("Подобрать по уровню"));
    QCOMPARE(fit->accessibleName(), QStringLiteral("Подобрать по уровню"));
    QVERIFY(fit->isEnabled());
    QCOMPARE(window.targetShareLabel()->text(), QStringLiteral("Требуемая доля площади: 95 %"));
    // Tab goes from the count box to the button.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    window.countBox()->setFocus();
    QTest::keyClick(window.countBox(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), fit);
    // The grids decide their count.
    for (const QString &grid : {QStringLiteral("без пропусков"), QStringLiteral("край к краю")}) {
        window.arrangementBox()->setCurrentText(grid);
        QVERIFY(!fit->isEnabled());
    }
    window.arrangementBox()->setCurrentText(QStringLiteral("рядами"));
    QVERIFY(fit->isEnabled());
    window.showNoCalculation();
    QVERIFY(!fit->isEnabled());
}

void TestLevelFit::windowFits()
{
    const PlanFigures figures = windowRoom();
    const Reference reference = countByCount(inputsOf(figures), Arrangement::Rows, 85, 95, 40);
    QVERIFY(reference.count);
    PlanWindow window(nullptr);
    window.showCalculation(figures);
    QSignalSpy fitted(&window, &PlanWindow::countFitted);
    window.fitButton()->click();
    QVERIFY(window.fitting());
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Подбор по уровню: идет расчет…"));
    QVERIFY(fitted.wait(120000));
    QCOMPARE(window.countBox()->value(), *reference.count);
    QCOMPARE(window.scene()->loudspeakers(), qsizetype(*reference.count));
    const QString expected = QStringLiteral("Подобрано по уровню: %1 %2, не ниже 85 дБ на %3 % площади")
                                 .arg(*reference.count)
                                 .arg(noun(*reference.count))
                                 .arg(QString::number(reference.share, 'f', 1).replace(u'.', u','));
    QCOMPARE(window.statusLabel()->text(), expected);
    QCOMPARE(window.statusLabel()->accessibleName(), expected);
    QVERIFY(!window.fitting());
    // A count typed afterwards takes the line away.
    window.countBox()->setValue(*reference.count + 1);
    QVERIFY(!window.statusLabel()->text().contains(QStringLiteral("Подобрано")));
}

void TestLevelFit::windowCancelsOnChange()
{
    PlanWindow window(nullptr);
    window.showCalculation(windowRoom());
    QSignalSpy fitted(&window, &PlanWindow::countFitted);
    // A count typed while the fit runs.
    window.fitButton()->click();
    window.countBox()->setValue(7);
    QVERIFY(!window.fitting());
    // Another arrangement while it runs.
    window.fitButton()->click();
    window.arrangementBox()->setCurrentText(QStringLiteral("край к краю"));
    QVERIFY(!window.fitting());
    window.arrangementBox()->setCurrentText(QStringLiteral("рядами"));
    // A new calculation while it runs.
    window.fitButton()->click();
    window.showCalculation(windowRoom());
    QVERIFY(!window.fitting());
    QTest::qWait(1000);
    QCOMPARE(fitted.count(), 0);
    QVERIFY(!window.statusLabel()->text().contains(QStringLiteral("Подбор")));
}

void TestLevelFit::windowTooLoud()
{
    PlanFigures figures = windowRoom();
    figures.splTotal = 135;
    figures.dropH = 1;
    PlanWindow window(nullptr);
    window.showCalculation(figures);
    const int before = window.countBox()->value();
    QSignalSpy fitted(&window, &PlanWindow::countFitted);
    window.fitButton()->click();
    QVERIFY(fitted.wait(60000));
    QCOMPARE(window.statusLabel()->text(), QStringLiteral("Подбор по уровню: не достигается: выше 120 дБ"));
    QCOMPARE(window.countBox()->value(), before);
}

QTEST_MAIN(TestLevelFit)
#include "tst_plan_levelfit.moc"
