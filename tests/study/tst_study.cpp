// The study of one room: the calculation's count or the one asked for on
// the plan, the refusal of a plan beyond its limit, a stopped calculation,
// the level summary and its cancelling.

#include "calcinputs.h"
#include "study/roomstudy.h"

#include <QTest>
#include <cmath>

using study::Depth;
using study::RoomRequest;

namespace {

RoomRequest ceilingRoom(const QString &length, const QString &width, const QString &layout)
{
    RoomRequest request;
    request.inputs = startupInputs(calc::Mounting::Ceiling);
    request.inputs.txtL = length;
    request.inputs.txtW = width;
    request.areaFromSides = true;
    request.layout = layout;
    return request;
}

// The calculation's own count for the request, straight from CALCULATE.
double calculatedCount(const RoomRequest &request)
{
    calc::CalcInputs inputs = request.inputs;
    calc::CalcState state;
    state.areaFromLW = request.areaFromSides;
    calc::calculate(inputs, state);
    return state.count;
}

} // namespace

class TestStudy : public QObject {
    Q_OBJECT
private slots:
    void planCount_data();
    void planCount();
    void refusedBeyondTheLimit();
    void stoppedCalculation();
    void levels();
    void outline();
    void fitCount();
};

void TestStudy::planCount_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<double>("asked"); // NaN: none asked
    QTest::addColumn<int>("placed");   // -1: the calculation's count
    QTest::addColumn<QString>("arrangement");

    const double none = std::nan("");
    QTest::newRow("rows, calculated count") << "рядами" << none << -1 << "рядами";
    QTest::newRow("rows, seven asked") << "рядами" << 7.0 << 7 << "рядами";
    QTest::newRow("rows, 2.5 asked rounds to 3") << "рядами" << 2.5 << 3 << "рядами";
    QTest::newRow("rows, zero asked gives one") << "рядами" << 0.0 << 1 << "рядами";
    QTest::newRow("unknown caption falls back to rows") << "по кругу" << 4.0 << 4 << "рядами";
    // A grid decides its own count: 10 x 10 m, discs edge to edge.
    QTest::newRow("grid ignores the count asked") << "край к краю" << 50.0 << -2 << "край к краю";
}

void TestStudy::planCount()
{
    QFETCH(QString, layout);
    QFETCH(double, asked);
    QFETCH(int, placed);
    QFETCH(QString, arrangement);
    RoomRequest request = ceilingRoom("10", "10", layout);
    if (!std::isnan(asked))
        request.count = asked;
    const study::RoomStudy room = study::studyRoom(request);
    QVERIFY(room.completed);
    QCOMPARE(plan::arrangementName(room.arrangement), arrangement);
    QVERIFY(room.layout.has_value());
    QVERIFY(room.refusal.isEmpty());
    if (placed == -1)
        placed = int(std::round(calculatedCount(request)));
    if (placed == -2) {
        // ceil(L / 2r) by ceil(W / 2r) discs.
        const double d = 2.0 * room.figures.radius;
        placed = int(std::ceil(10.0 / d) * std::ceil(10.0 / d));
    }
    QCOMPARE(room.placed(), std::optional<int>(placed));
    QVERIFY(room.coveredShare().has_value());
    QVERIFY(*room.coveredShare() > 0.0 && *room.coveredShare() <= 100.0);
    QVERIFY(!room.levels.has_value()); // not asked for
}

void TestStudy::refusedBeyondTheLimit()
{
    RoomRequest request = ceilingRoom("10", "10", "рядами");
    request.count = 200000;
    const study::RoomStudy room = study::studyRoom(request);
    QVERIFY(room.completed);
    QVERIFY(!room.layout.has_value());
    QCOMPARE(room.refusal,
             QStringLiteral("Расстановке «рядами» нужно громкоговорителей: 200000, а план вмещает не "
                            "более 100000; план не построен"));
    QVERIFY(!room.coveredShare().has_value());
    QVERIFY(!room.placed().has_value());
}

void TestStudy::stoppedCalculation()
{
    RoomRequest request = ceilingRoom("10", "10", "рядами");
    request.inputs.txtH = "0";
    const study::RoomStudy room = study::studyRoom(request, Depth::Levels);
    QVERIFY(!room.completed);
    QVERIFY(!room.note.isEmpty());
    QVERIFY(!room.layout.has_value());
    QVERIFY(!room.levels.has_value());
}

void TestStudy::levels()
{
    const RoomRequest request = ceilingRoom("12", "8", "без пропусков");
    const study::RoomStudy room = study::studyRoom(request, Depth::Levels);
    QVERIFY(room.levels.has_value());
    QVERIFY(!room.cancelled);
    QCOMPARE(*room.coveredShare(), 100.0); // a grid without gaps
    // The rooms table's figures: the lowest, not the highest.
    QVERIFY(std::isfinite(room.levels->lowest) && room.levels->lowest > 0.0);
    QVERIFY(std::isnan(room.levels->highest));
    QVERIFY(room.levels->requiredShare >= 0.0 && room.levels->requiredShare <= 100.0);

    const std::atomic<bool> cancelled{true};
    const study::RoomStudy stopped = study::studyRoom(request, Depth::Levels, &cancelled);
    QVERIFY(stopped.cancelled);
    QVERIFY(!stopped.levels.has_value());
    // The plan is there all the same.
    QCOMPARE(stopped.placed(), room.placed());

    // The same figures without the coverage.
    const study::RoomStudy alone = study::studyRoom(request, Depth::LevelsAlone);
    QVERIFY(!alone.coveredShare().has_value());
    QCOMPARE(alone.placed(), room.placed());
    QVERIFY(alone.levels.has_value());
    QCOMPARE(alone.levels->lowest, room.levels->lowest);
    QCOMPARE(alone.levels->requiredShare, room.levels->requiredShare);
}

// A room with an outline is laid out and covered in its shape, on its floor.
void TestStudy::outline()
{
    const std::vector<QPointF> corners{{100, 50}, {160, 50}, {160, 53}, {103, 53}, {103, 80}, {100, 80}};
    RoomRequest request = ceilingRoom("60", "30", "без пропусков");
    request.outline = calc::Shape::fromOutline(corners);
    const study::RoomStudy room = study::studyRoom(request, Depth::Levels);
    QVERIFY(room.layout.has_value());
    QCOMPARE(*room.coveredShare(), 100.0);
    for (const plan::Placement &placement : room.layout->placements)
        QVERIFY(request.outline->contains(placement.position));
    // The cells are those of the floor: 261 of the 1800 m2 of the box.
    const double cellArea = room.coverage.grid.cellWidth * room.coverage.grid.cellHeight;
    QVERIFY(std::abs(double(room.coverage.cellsOfFloor()) * cellArea - 261.0) < 1.0);
    QVERIFY(room.levels.has_value());

    // The rectangle of the same length and width is another room.
    const study::RoomStudy box = study::studyRoom(ceilingRoom("60", "30", "без пропусков"));
    QVERIFY(*box.placed() > *room.placed());
}

// The fit of a room entered as texts: the least count meets the rules
// and one fewer does not, as the studies of both counts say; a grid and a
// stopped calculation take no fit.
void TestStudy::fitCount()
{
    RoomRequest request = ceilingRoom("12", "8", "рядами");
    const study::CountFitStudy fitted = study::fitCount(request, 90);
    QVERIFY(fitted.completed);
    QCOMPARE(fitted.fit.outcome, plan::FitOutcome::Fitted);
    QCOMPARE(fitted.rule.targetShare, 90.0);
    const auto shareOf = [&](int count) {
        RoomRequest at = request;
        at.count = count;
        const study::RoomStudy room = study::studyRoom(at, Depth::Levels);
        return room.levels.value().requiredShare;
    };
    QCOMPARE(shareOf(fitted.fit.count), fitted.fit.share);
    QVERIFY(fitted.fit.share >= 90.0);
    if (fitted.fit.count > 1)
        QVERIFY(shareOf(fitted.fit.count - 1) < 90.0);

    QCOMPARE(study::fitCount(ceilingRoom("12", "8", "без пропусков")).fit.outcome, plan::FitOutcome::NoMap);
    request.inputs.txtH = "0";
    const study::CountFitStudy stopped = study::fitCount(request);
    QVERIFY(!stopped.completed);
    QCOMPARE(stopped.fit.outcome, plan::FitOutcome::NoMap);
}

QTEST_GUILESS_MAIN(TestStudy)
#include "tst_study.moc"
