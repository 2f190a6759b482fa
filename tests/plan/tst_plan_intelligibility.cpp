// The speech transmission index: the room's reverberation and room constant
// worked out by hand, the directivity factor against an integral over the
// sphere done here, the speech and noise spectra, single loudspeakers in
// dry and reverberant rooms, an echo, the worked example of a 12 x 8 m room,
// the map against the point-by-point sum, the summary and its text.
#include "calc/calcstate.h"
#include "plan/intelligibility.h"
#include "plan/layout.h"

#include <QTest>
#include <atomic>
#include <cmath>
#include <complex>
#include <numbers>

using namespace plan;

Q_DECLARE_METATYPE(plan::StiInputs)

namespace {

constexpr double Pi = std::numbers::pi;

struct Vec3 {
    double x, y, z;
};

Placement ceilingAt(double x, double y)
{
    return Placement{QPointF(x, y), Side::Ceiling, QPointF()};
}

// The worked example: 12 x 8 x 3 m, six ceiling loudspeakers of 90 dB and
// 90 degrees 1.5 m above the plane, 60 dB(A) of noise.
StiInputs exampleRoom()
{
    StiInputs in;
    in.level.mounting = calc::Mounting::Ceiling;
    in.level.splTotal = 90.0;
    in.level.dirDeg = 90.0;
    in.level.dropH = 1.5;
    in.level.length = 12.0;
    in.level.width = 8.0;
    for (const double y : {2.0, 6.0}) {
        for (const double x : {2.0, 6.0, 10.0})
            in.level.placements.push_back(ceilingAt(x, y));
    }
    in.surfaces.floor = QStringLiteral("линолеум");
    in.surfaces.walls = QStringLiteral("штукатурка");
    in.surfaces.ceiling = QStringLiteral("акустический потолок");
    in.height = 3.0;
    in.noise = 60.0;
    return in;
}

// One loudspeaker over the listener in a room whose acoustics the test
// sets: everything absorbing, a reverberation time given, no noise to
// speak of.
StiInputs oneLoudspeaker(double reverberation)
{
    StiInputs in;
    in.level.mounting = calc::Mounting::Ceiling;
    in.level.splTotal = 80.0;
    in.level.dirDeg = 90.0;
    in.level.dropH = 2.0;
    in.level.length = 20.0;
    in.level.width = 20.0;
    in.level.placements = {ceilingAt(10.0, 10.0)};
    in.surfaces.floor = QStringLiteral("зрители, 2 чел./м²");
    in.surfaces.walls = QStringLiteral("акустический потолок");
    in.surfaces.ceiling = QStringLiteral("акустический потолок");
    in.surfaces.reverberationTime = reverberation;
    in.height = 4.0;
    in.noise = -50.0;
    return in;
}

// The exponent that puts the single-angle law 6 dB down at half the
// angle: cos(angle / 2)^n = 1/2, the angle in radians as the calculation
// takes it.
double exponentFor(double degrees)
{
    return std::log(0.5) / std::log(std::cos(calc::degreesToRadians(degrees / 2.0)));
}

} // namespace

class TestIntelligibility : public QObject {
    Q_OBJECT
private slots:
    void materials();
    void acoustics_data();
    void acoustics();
    void givenReverberation();
    void directivityFactor_data();
    void directivityFactor();
    void speechSpectrum();
    void noiseSpectrum_data();
    void noiseSpectrum();
    void dryRoom();
    void reverberationLowersSti();
    void echoLowersSti();
    void workedExample_data();
    void workedExample();
    void mapAgainstPoints_data();
    void mapAgainstPoints();
    void stiFromTheFormula_data();
    void stiFromTheFormula();
    void shapedMap();
    void noMap();
    void cancelled();
    void summaryAndText();
    void contour();
};

void TestIntelligibility::materials()
{
    QCOMPARE(materialNames().size(), 10);
    QCOMPARE(materialNames().first(), QStringLiteral("бетон"));
    const std::optional<BandValues> glass = absorptionOf(QStringLiteral("стекло"));
    QVERIFY(glass);
    QCOMPARE((*glass)[0], 0.10);
    QCOMPARE((*glass)[6], 0.03); // 8000 Hz takes the 4000 Hz figure
    const std::optional<BandValues> audience = absorptionOf(QStringLiteral("зрители, 1 чел./м²"));
    QVERIFY(audience);
    QCOMPARE((*audience)[5], 0.90);
    QCOMPARE((*audience)[6], 0.90);
    QVERIFY(!absorptionOf(QStringLiteral("дерево")));
    const Surfaces defaults;
    QCOMPARE(defaults.floor, QStringLiteral("линолеум"));
    QCOMPARE(defaults.walls, QStringLiteral("штукатурка"));
    QCOMPARE(defaults.ceiling, QStringLiteral("штукатурка"));
}

void TestIntelligibility::acoustics_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<double>("reverberation");
    QTest::addColumn<double>("roomConstant");
    // 96 m2 of floor and ceiling, 120 m2 of walls, 312 m2 in all, 288 m3.
    // 125 Hz: a = (96 * 0.02 + 120 * 0.02 + 96 * 0.49) / 312 = 0.164615,
    // T = 0.161 * 288 / (312 * 0.179891) = 0.826, R = 51.36 / 0.835385.
    QTest::newRow("125 Hz") << 0 << 0.826 << 61.481;
    QTest::newRow("250 Hz") << 1 << 0.749 << 68.488;
    // 500 Hz: a = 57.36 / 312 = 0.183846, T = 46.368 / (312 * 0.203151).
    QTest::newRow("500 Hz") << 2 << 0.732 << 70.281;
    QTest::newRow("1000 Hz") << 3 << 0.513 << 104.855;
    QTest::newRow("2000 Hz") << 4 << 0.404 << 138.667;
    QTest::newRow("4000 Hz") << 5 << 0.371 << 153.672;
    QTest::newRow("8000 Hz") << 6 << 0.371 << 153.672;
}

void TestIntelligibility::acoustics()
{
    QFETCH(int, band);
    QFETCH(double, reverberation);
    QFETCH(double, roomConstant);
    const StiInputs in = exampleRoom();
    const std::optional<RoomAcoustics> room = roomAcoustics(96.0, 40.0, 3.0, in.surfaces);
    QVERIFY(room);
    QCOMPARE(room->volume, 288.0);
    QCOMPARE(room->surface, 312.0);
    QVERIFY(std::abs(room->reverberationTime[band] - reverberation) < 0.0005);
    QVERIFY(std::abs(room->roomConstant[band] - roomConstant) < 0.001);
}

void TestIntelligibility::givenReverberation()
{
    Surfaces surfaces;
    surfaces.reverberationTime = 2.5;
    const std::optional<RoomAcoustics> given = roomAcoustics(96.0, 40.0, 3.0, surfaces);
    surfaces.reverberationTime.reset();
    const std::optional<RoomAcoustics> computed = roomAcoustics(96.0, 40.0, 3.0, surfaces);
    QVERIFY(given && computed);
    for (int k = 0; k < OctaveBands; ++k) {
        QCOMPARE(given->reverberationTime[k], 2.5);
        QCOMPARE(given->roomConstant[k], computed->roomConstant[k]);
    }
    surfaces.reverberationTime = 0.0;
    QVERIFY(!roomAcoustics(96.0, 40.0, 3.0, surfaces));
    surfaces.reverberationTime.reset();
    surfaces.walls = QStringLiteral("кирпич");
    QVERIFY(!roomAcoustics(96.0, 40.0, 3.0, surfaces));
    QVERIFY(!roomAcoustics(96.0, 40.0, 0.0, Surfaces()));
}

void TestIntelligibility::directivityFactor_data()
{
    QTest::addColumn<int>("mounting");
    QTest::addColumn<double>("dirDeg");
    QTest::addColumn<double>("vDirDeg");
    QTest::addColumn<double>("tiltDeg");
    QTest::newRow("ceiling 90") << int(calc::Mounting::Ceiling) << 90.0 << 90.0 << 0.0;
    QTest::newRow("ceiling 180") << int(calc::Mounting::Ceiling) << 180.0 << 90.0 << 0.0;
    QTest::newRow("ceiling 30") << int(calc::Mounting::Ceiling) << 30.0 << 90.0 << 0.0;
    QTest::newRow("wall 120 tilted") << int(calc::Mounting::Wall) << 120.0 << 90.0 << 20.0;
    QTest::newRow("horn 90 x 40") << int(calc::Mounting::RoundHorn) << 90.0 << 40.0 << 10.0;
    // After the row above: a factor kept from one law is not another's.
    QTest::newRow("horn 90 x 20") << int(calc::Mounting::SquareHorn) << 90.0 << 20.0 << 10.0;
    QTest::newRow("horn 60 x 60") << int(calc::Mounting::SquareHorn) << 60.0 << 60.0 << 0.0;
    QTest::newRow("horn 120 x 20") << int(calc::Mounting::RoundHorn) << 120.0 << 20.0 << 0.0;
}

void TestIntelligibility::directivityFactor()
{
    QFETCH(int, mounting);
    QFETCH(double, dirDeg);
    QFETCH(double, vDirDeg);
    QFETCH(double, tiltDeg);
    const bool horn
        = mounting == int(calc::Mounting::RoundHorn) || mounting == int(calc::Mounting::SquareHorn);
    const double n = exponentFor(dirDeg);
    const double nv = exponentFor(vDirDeg);
    // The power of the law over the sphere in spherical coordinates about
    // the axis: theta from the axis, phi about it; behind the loudspeaker
    // (theta beyond a right angle) -40 dB.
    const int thetaSteps = horn ? 1200 : 20000;
    const int phiSteps = horn ? 400 : 1;
    double integral = 0.0;
    for (int i = 0; i < thetaSteps; ++i) {
        const double theta = (i + 0.5) * Pi / thetaSteps;
        double ring = 0.0;
        for (int j = 0; j < phiSteps; ++j) {
            const double phi = (j + 0.5) * 2.0 * Pi / phiSteps;
            double power = 1e-4;
            if (theta < Pi / 2.0) {
                const double cosTheta = std::cos(theta);
                if (!horn) {
                    power = std::pow(cosTheta, 2.0 * n);
                } else {
                    // The horizontal and vertical angles of the direction.
                    const Vec3 d{std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), cosTheta};
                    const double cosH = d.z / std::hypot(d.x, d.z);
                    const double cosV = d.z / std::hypot(d.y, d.z);
                    power = std::pow(cosH, 2.0 * n) * std::pow(cosV, 2.0 * nv);
                }
                power = std::max(power, 1e-4);
            }
            ring += power * 2.0 * Pi / phiSteps;
        }
        integral += ring * std::sin(theta) * Pi / thetaSteps;
    }
    const double expected = 4.0 * Pi / integral;
    LevelInputs in;
    in.mounting = calc::Mounting(mounting);
    in.dirDeg = dirDeg;
    in.vDirDeg = vDirDeg;
    in.tiltDeg = tiltDeg;
    in.dropH = 3.0;
    const double q = plan::directivityFactor(in);
    QVERIFY2(std::abs(q / expected - 1.0) < 0.001,
             qPrintable(QStringLiteral("Q %1, integral %2").arg(q).arg(expected)));
}

void TestIntelligibility::speechSpectrum()
{
    // The A-weighted bands of b + a: -18.6, -8.1, -3.2, -6, -10.8, -17,
    // -25.1 dB add up to 0.0205 dB, so every band is b - 0.0205 dB.
    const BandValues s = plan::speechSpectrum();
    const BandValues relative = {-2.5, 0.5, 0.0, -6.0, -12.0, -18.0, -24.0};
    for (int k = 0; k < OctaveBands; ++k)
        QVERIFY(std::abs(s[k] - (relative[k] - 0.02047)) < 1e-4);
    const BandValues a = aWeighting();
    double sum = 0.0;
    for (int k = 0; k < OctaveBands; ++k)
        sum += std::pow(10.0, (s[k] + a[k]) / 10.0);
    QVERIFY(std::abs(10.0 * std::log10(sum)) < 1e-9);
}

void TestIntelligibility::noiseSpectrum_data()
{
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("at1000"); // NR: the 1000 Hz band
    // 60 dB(A): NR 52.94, worked out by halving by hand on a calculator.
    QTest::newRow("60 dB(A)") << 60.0 << 52.936;
    QTest::newRow("35 dB(A)") << 35.0 << qQNaN();
    QTest::newRow("85 dB(A)") << 85.0 << qQNaN();
}

void TestIntelligibility::noiseSpectrum()
{
    QFETCH(double, noise);
    QFETCH(double, at1000);
    const BandValues bands = plan::noiseSpectrum(noise);
    const BandValues a = aWeighting();
    const BandValues nrA = {22.0, 12.0, 4.8, 0.0, -3.5, -6.1, -8.0};
    const BandValues nrB = {0.87, 0.93, 0.974, 1.0, 1.015, 1.025, 1.03};
    double sum = 0.0;
    for (int k = 0; k < OctaveBands; ++k)
        sum += std::pow(10.0, (bands[k] + a[k]) / 10.0);
    QVERIFY(std::abs(10.0 * std::log10(sum) - noise) < 1e-6);
    // An NR curve: every band on the line of the 1000 Hz band's NR.
    const double nr = bands[3];
    for (int k = 0; k < OctaveBands; ++k)
        QVERIFY(std::abs(bands[k] - (nrA[k] + nrB[k] * nr)) < 1e-9);
    if (!std::isnan(at1000))
        QVERIFY(std::abs(nr - at1000) < 0.001);
}

void TestIntelligibility::dryRoom()
{
    // Almost no reverberation and no noise: the modulation passes whole.
    const double sti = stiAt(oneLoudspeaker(0.01), QPointF(10.0, 10.0));
    QVERIFY2(sti > 0.97, qPrintable(QString::number(sti)));
    QVERIFY(sti <= 1.0);
}

void TestIntelligibility::reverberationLowersSti()
{
    // A concrete room: its reverberant sound outweighs the direct sound 3.6 m
    // from the loudspeaker, and the longer it lasts the less is understood.
    double previous = 1.1;
    for (const double reverberation : {0.01, 0.5, 1.0, 2.0, 4.0, 8.0}) {
        StiInputs in = oneLoudspeaker(reverberation);
        in.surfaces.floor = in.surfaces.walls = in.surfaces.ceiling = QStringLiteral("бетон");
        const double sti = stiAt(in, QPointF(13.0, 10.0));
        QVERIFY2(sti < previous - 0.01, qPrintable(QStringLiteral("T %1: %2").arg(reverberation).arg(sti)));
        previous = sti;
    }
    QVERIFY(previous < 0.5);
}

void TestIntelligibility::echoLowersSti()
{
    // Loudspeakers spreading to the side (180 degrees) high in a dry hall;
    // the second one, 50 m away, arrives 0.12 s late and 14 dB down.
    StiInputs in = oneLoudspeaker(0.01);
    in.level.dirDeg = 180.0;
    in.level.dropH = 10.0;
    in.height = 12.0;
    in.level.length = 60.0;
    in.level.placements = {ceilingAt(5.0, 10.0)};
    const double alone = stiAt(in, QPointF(5.0, 10.0));
    in.level.placements.push_back(ceilingAt(55.0, 10.0));
    const double echo = stiAt(in, QPointF(5.0, 10.0));
    QVERIFY2(echo < alone - 0.01, qPrintable(QStringLiteral("%1 %2").arg(alone).arg(echo)));
    // Beside its twin the same loudspeaker adds level and no echo.
    in.level.placements.back() = ceilingAt(5.5, 10.0);
    QVERIFY(stiAt(in, QPointF(5.0, 10.0)) >= alone - 0.001);
}

void TestIntelligibility::workedExample_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<double>("sti");
    QTest::newRow("under a loudspeaker") << QPointF(2.0, 2.0) << 0.720;
    QTest::newRow("between two rows") << QPointF(6.0, 4.0) << 0.676;
    QTest::newRow("between four") << QPointF(4.0, 4.0) << 0.674;
}

void TestIntelligibility::workedExample()
{
    QFETCH(QPointF, point);
    QFETCH(double, sti);
    const StiInputs in = exampleRoom();
    QVERIFY(std::abs(plan::directivityFactor(in.level) - 9.99) < 0.01);
    const double computed = stiAt(in, point);
    QVERIFY2(std::abs(computed - sti) <= 0.002, qPrintable(QString::number(computed)));
}

void TestIntelligibility::mapAgainstPoints_data()
{
    QTest::addColumn<StiInputs>("inputs");
    // The loudspeakers their own mirror image across the length: the second
    // half of the blocks takes the first half's values.
    QTest::addColumn<bool>("mirrored");
    QTest::newRow("worked example") << exampleRoom() << true;
    StiInputs wall = exampleRoom();
    wall.level.mounting = calc::Mounting::Wall;
    wall.level.tiltDeg = 15.0;
    wall.level.dirDeg = 120.0;
    wall.level.placements = {Placement{QPointF(3.0, 0.0), Side::NearWall, QPointF()},
                             Placement{QPointF(9.0, 8.0), Side::FarWall, QPointF()}};
    wall.surfaces = Surfaces();
    QTest::newRow("walls, plaster") << wall << false;
    StiInputs horn = exampleRoom();
    horn.level.mounting = calc::Mounting::RoundHorn;
    horn.level.vDirDeg = 40.0;
    horn.level.tiltDeg = 10.0;
    horn.level.placements = {Placement{QPointF(0.0, 4.0), Side::NearWall, QPointF(1.0, 0.0)}};
    horn.surfaces.reverberationTime = 1.8;
    QTest::newRow("horn on the end wall") << horn << false;
    // Bands from about 40 to 110 dB: every step of the masking's law.
    StiInputs quiet = exampleRoom();
    quiet.level.splTotal = 66.0;
    quiet.noise = 35.0;
    QTest::newRow("quiet, 66 dB") << quiet << true;
    StiInputs loud = exampleRoom();
    loud.level.splTotal = 118.0;
    QTest::newRow("loud, 118 dB") << loud << true;
}

void TestIntelligibility::stiFromTheFormula_data()
{
    mapAgainstPoints_data();
    // Arrivals up to 0.6 s late, whose phases pass every quarter turn,
    // from 7 loudspeakers (sums taken a few at a time leave some over).
    StiInputs hall = exampleRoom();
    hall.level.length = 200.0;
    hall.level.placements.clear();
    for (const double x : {2.0, 30.0, 60.0, 95.0, 130.0, 170.0, 199.0})
        hall.level.placements.push_back(ceilingAt(x, 4.0));
    QTest::newRow("hall of 200 m, 7 loudspeakers") << hall << false;
}

void TestIntelligibility::mapAgainstPoints()
{
    QFETCH(StiInputs, inputs);
    QFETCH(bool, mirrored);
    const std::optional<StiMap> map = stiMap(inputs, nullptr, 2);
    QVERIFY(map);
    // 1000 x 667 cells: 100 x 67 blocks, the last row of 7 cells.
    QCOMPARE(map->columns, 100);
    QCOMPARE(map->rows, 67);
    QVERIFY(std::abs(map->centre(0, 0).x() - 0.06) < 1e-9);
    QVERIFY(std::abs(map->centre(99, 66).y() - (660 + 3.5) * 8.0 / 667) < 1e-9);
    for (int row = 0; row < map->rows; row += 11) {
        for (int column = 0; column < map->columns; column += 7) {
            const double full = stiAt(inputs, map->centre(column, row));
            QVERIFY(std::abs(map->at(column, row) - full) <= 1e-9);
        }
    }
    bool images = true;
    for (int row = 0; row < map->rows; ++row) {
        for (int column = 0; column < map->columns / 2; ++column)
            images = images && map->at(column, row) == map->at(map->columns - 1 - column, row);
    }
    QCOMPARE(images, mirrored);
    const std::optional<StiMap> single = stiMap(inputs, nullptr, 1);
    QVERIFY(single);
    QCOMPARE(single->values, map->values);
}

// The STI at a point summed as the formulas read, in complex numbers: each
// loudspeaker's direct band intensity from the level law and its arrival
// e^(-j w r / 343), the reverberant intensity with its tail 1 / (1 + j w T
// / 13.8), the masking of the band below, the threshold.
double stiByTheFormula(const StiInputs &in, QPointF point)
{
    const std::array<double, 14> modulation
        = {0.63, 0.8, 1.0, 1.25, 1.6, 2.0, 2.5, 3.15, 4.0, 5.0, 6.3, 8.0, 10.0, 12.5};
    const BandValues threshold = {46.0, 27.0, 12.0, 6.5, 7.5, 8.0, 12.0};
    const BandValues alpha = {0.085, 0.127, 0.230, 0.233, 0.309, 0.224, 0.173};
    const std::array<double, 6> beta = {0.085, 0.078, 0.065, 0.011, 0.047, 0.095};
    const auto intensity = [](double level) { return std::pow(10.0, level / 10.0); };
    const RoomAcoustics room = *roomAcoustics(
        in.level.length * in.level.width, 2.0 * (in.level.length + in.level.width), in.height, in.surfaces);
    const double q = plan::directivityFactor(in.level);
    const BandValues speech = plan::speechSpectrum();
    const BandValues noise = plan::noiseSpectrum(in.noise);
    BandValues mti{};
    double below = 0.0;
    for (int k = 0; k < OctaveBands; ++k) {
        const double reverberant
            = intensity(in.level.splTotal + speech[k]) * 16.0 * M_PI / (q * room.roomConstant[k]);
        double speechIntensity = 0.0;
        std::array<std::complex<double>, 14> sum{};
        for (const Placement &p : in.level.placements) {
            const double r
                = std::hypot(point.x() - p.position.x(), point.y() - p.position.y(), in.level.dropH);
            const double direct
                = intensity(in.level.splTotal + speech[k] - 20.0 * std::log10(std::max(r, 1.0))
                            + directivityAt(in.level, p, point));
            speechIntensity += direct + reverberant;
            for (int f = 0; f < 14; ++f) {
                const double omega = 2.0 * M_PI * modulation[f];
                const std::complex<double> arrival = std::polar(1.0, -omega * r / 343.0);
                sum[f] += direct * arrival
                    + reverberant * arrival
                        / std::complex<double>(1.0, omega * room.reverberationTime[k] / 13.8);
            }
        }
        const double total = speechIntensity + intensity(noise[k]);
        double masking = 0.0;
        if (k > 0) {
            const double l = 10.0 * std::log10(below);
            const double am = l < 63 ? 0.5 * l - 65
                : l < 67             ? 1.8 * l - 146.9
                : l < 100            ? 0.5 * l - 59.8
                                     : -10;
            masking = below * intensity(am);
        }
        double ti = 0.0;
        for (int f = 0; f < 14; ++f) {
            const double m = std::min(1.0, std::abs(sum[f]) / (total + masking + intensity(threshold[k])));
            const double snr = m >= 1.0 ? 15.0 : std::clamp(10.0 * std::log10(m / (1.0 - m)), -15.0, 15.0);
            ti += (snr + 15.0) / 30.0 / 14.0;
        }
        mti[k] = ti;
        below = total;
    }
    double sti = 0.0;
    for (int k = 0; k < OctaveBands; ++k)
        sti += alpha[k] * mti[k] - (k < 6 ? beta[k] * std::sqrt(mti[k] * mti[k + 1]) : 0.0);
    return std::clamp(sti, 0.0, 1.0);
}

void TestIntelligibility::stiFromTheFormula()
{
    QFETCH(StiInputs, inputs);
    for (const QPointF point :
         {QPointF(0.3, 0.2), QPointF(2.0, 2.0), QPointF(6.0, 4.0), QPointF(11.9, 7.9)}) {
        const double expected = stiByTheFormula(inputs, point);
        QVERIFY2(std::abs(stiAt(inputs, point) - expected) < 1e-9,
                 qPrintable(QStringLiteral("%1 against %2").arg(stiAt(inputs, point)).arg(expected)));
    }
}

void TestIntelligibility::shapedMap()
{
    // An L of 12 x 8 m with the corner 6 x 4 m cut off; one loudspeaker.
    StiInputs in = exampleRoom();
    in.level.shape = calc::Shape::fromOutline(
        {QPointF(0, 0), QPointF(12, 0), QPointF(12, 4), QPointF(6, 4), QPointF(6, 8), QPointF(0, 8)});
    in.level.length = 12.0;
    in.level.width = 8.0;
    in.level.placements = {ceilingAt(3.0, 3.0), ceilingAt(9.0, 2.0)};
    const std::optional<StiMap> map = stiMap(in);
    QVERIFY(map);
    int inside = 0;
    int outside = 0;
    for (int row = 0; row < map->rows; ++row) {
        for (int column = 0; column < map->columns; ++column) {
            const QPointF floor
                = map->shaped ? map->axes.toFloor(map->centre(column, row)) : map->centre(column, row);
            const bool onFloor = in.level.shape.contains(floor);
            QCOMPARE(!std::isnan(map->at(column, row)), onFloor);
            if (onFloor && (row * map->columns + column) % 37 == 0)
                QVERIFY(std::abs(map->at(column, row) - stiAt(in, floor)) <= 0.005);
            ++(onFloor ? inside : outside);
        }
    }
    QVERIFY(inside > 0 && outside > 0);
    // The room's area and perimeter (72 m2, 40 m) make the reverberation.
    const std::optional<RoomAcoustics> room = roomAcoustics(72.0, 40.0, 3.0, in.surfaces);
    QCOMPARE(map->acoustics.reverberationTime[2], room->reverberationTime[2]);
}

void TestIntelligibility::noMap()
{
    StiInputs in = exampleRoom();
    in.height = 1.0; // below the loudspeakers
    QVERIFY(!hasSti(in));
    QVERIFY(!stiMap(in));
    QVERIFY(std::isnan(stiAt(in, QPointF(1, 1))));
    in = exampleRoom();
    in.noise = qQNaN();
    QVERIFY(!stiMap(in));
    in = exampleRoom();
    in.level.placements.clear();
    QVERIFY(!stiMap(in));
    in = exampleRoom();
    in.surfaces.ceiling = QString();
    QVERIFY(!stiMap(in));
    QVERIFY(hasSti(exampleRoom()));
}

void TestIntelligibility::cancelled()
{
    const std::atomic<bool> cancel{true};
    QVERIFY(!stiMap(exampleRoom(), &cancel));
}

void TestIntelligibility::summaryAndText()
{
    // Two full blocks and a half one: 0.40, 0.60 and 0.70 over 100, 100
    // and 50 cells.
    StiMap map;
    map.cells = CellGrid{25, 10, 1.0, 1.0};
    map.columns = 3;
    map.rows = 1;
    map.values = {0.40, 0.60, 0.70};
    map.acoustics.reverberationTime = {2.0, 2.0, 1.1, 0.9, 0.5, 0.5, 0.5};
    const StiSummary summary = summarize(map);
    QCOMPARE(summary.lowest, 0.40);
    QCOMPARE(summary.highest, 0.70);
    QVERIFY(std::abs(summary.mean - (40.0 + 60.0 + 35.0) / 250.0) < 1e-12);
    QVERIFY(std::abs(summary.contourShare - 60.0) < 1e-12);
    QVERIFY(std::abs(summary.reverberation - 1.0) < 1e-12);
    QCOMPARE(stiSummaryText(summary, QLatin1Char(',')),
             QStringLiteral("Разборчивость STI: от 0,40 до 0,70, среднее 0,54. Не ниже 0,50: 60,0 % площади. "
                            "Время реверберации 1,00 с."));
    QCOMPARE(stiSummaryText(summary, QLatin1Char('.')).left(33),
             QStringLiteral("Разборчивость STI: от 0.40 до 0.7"));
}

void TestIntelligibility::contour()
{
    // A map rising along X, blocks of 1 m: 0.50 crosses halfway between
    // the centres of 0.4 and 0.6 (at 3.5 and 4.5 m).
    StiMap map;
    map.cells = CellGrid{60, 20, 0.1, 0.1};
    map.columns = 6;
    map.rows = 2;
    map.values = {0.1, 0.2, 0.3, 0.4, 0.6, 0.7, 0.1, 0.2, 0.3, 0.4, 0.6, 0.7};
    const std::vector<QLineF> segments = stiContourSegments(map, 0.50);
    QCOMPARE(segments.size(), std::size_t(1));
    QVERIFY(std::abs(segments[0].p1().x() - 4.0) < 1e-9);
    QVERIFY(std::abs(segments[0].p2().x() - 4.0) < 1e-9);
    // The last column of blocks holds 5 cells: its centre at 5.25 m, and a
    // contour of 0.65 between 4.5 and 5.25 m.
    map.cells = CellGrid{55, 20, 0.1, 0.1};
    const std::vector<QLineF> last = stiContourSegments(map, 0.65);
    QCOMPARE(last.size(), std::size_t(1));
    QVERIFY2(std::abs(last[0].p1().x() - 4.875) < 1e-9, qPrintable(QString::number(last[0].p1().x())));
}

QTEST_GUILESS_MAIN(TestIntelligibility)
#include "tst_plan_intelligibility.moc"
