// The line formulas and their texts: the worked examples, the boundaries
// where floating-point error would tip a section, a length or a wattage,
// the order of the problems, inputs beyond a double, and reading numbers
// with either decimal separator.
#include "line/linecalc.h"
#include "line/linetexts.h"

#include <QTest>
#include <cmath>
#include <functional>
#include <limits>

using line::LineField;
using line::LineFigures;
using line::LineInputs;

Q_DECLARE_METATYPE(line::LineInputs)
Q_DECLARE_METATYPE(line::LineField)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

LineFigures figuresOf(const LineInputs &in)
{
    const auto outcome = line::computeLine(in);
    if (const auto *field = std::get_if<LineField>(&outcome))
        qFatal("inputs rejected at field %d", int(*field));
    return std::get<LineFigures>(outcome);
}

} // namespace

class LineFormulasTest : public QObject {
    Q_OBJECT
private slots:
    void workedExamples_data();
    void workedExamples();
    void exactBoundary_data();
    void exactBoundary();
    void verdict_data();
    void verdict();
    void amplifierRoundsUp_data();
    void amplifierRoundsUp();
    void longestLineRoundsDown_data();
    void longestLineRoundsDown();
    void problemsComeInFieldOrder();
    void beyondDouble_data();
    void beyondDouble();
    void readNumber_data();
    void readNumber();
};

void LineFormulasTest::workedExamples_data()
{
    // U, n, P, L0, L, S, allowed loss, headroom -> the nine figures as shown
    // with a "," locale, and the verdict.
    QTest::addColumn<LineInputs>("in");
    QTest::addColumn<QStringList>("figures");
    QTest::addColumn<QString>("verdict");
    const QString inNorm = QStringLiteral("Потери в норме");
    const QString over = QStringLiteral(
        "Потери больше допустимых: нужно сечение %1\u00A0мм² или линия не длиннее %2\u00A0м");

    QTest::newRow("100 V, 10 x 6 W") << LineInputs{100, 10, 6, 10, 50, 0.75, 1, 25}
                                     << QStringList{"60",  "166,7", "1,40", "0,07", "99,2",
                                                    "0,6", "0,35",  "861",  "75"}
                                     << inNorm;
    QTest::newRow("100 V, 40 x 6 W") << LineInputs{100, 40, 6, 20, 300, 0.5, 1, 25}
                                     << QStringList{"240",  "41,7", "11,20", "2,07", "78,8",
                                                    "15,9", "1,5",  "125",   "300"}
                                     << over.arg("не менее 1,5", "125");
    QTest::newRow("70 V, 25 x 10 W") << LineInputs{70, 25, 10, 15, 400, 0.75, 1, 25}
                                     << QStringList{"250",  "19,6", "9,68", "3,49", "46,9",
                                                    "25,1", "4",    "87",   "313"}
                                     << over.arg("не менее 4", "87");
    QTest::newRow("30 V, 8 x 3 W") << LineInputs{30, 8, 3, 5, 120, 0.35, 0.5, 25}
                                   << QStringList{"24",  "37,5", "6,25", "1,34", "25,7",
                                                  "9,8", "1",    "39",   "30"}
                                   << over.arg("не менее 1", "39");
    // Worked by hand: Z = 1000, R = 0.0175 * 100 / 1.5, Rp = 2 * 0.0175 * (100 / 6) / 1.5.
    QTest::newRow("one loudspeaker, first at 0 m")
        << LineInputs{100, 1, 10, 0, 100, 1.5, 1, 25}
        << QStringList{"10", "1000,0", "1,17", "0,01", "99,9", "0,0", "0,35", "10458", "13"} << inNorm;
    // All at 80 m: the whole current runs the whole loop, R = Rp = 2.8.
    QTest::newRow("first at the last")
        << LineInputs{100, 20, 5, 80, 80, 1, 1, 25}
        << QStringList{"100", "100,0", "2,80", "0,24", "97,3", "2,7", "0,35", "617", "125"} << inNorm;
    // Smin = 17.2 mm2; the 174 m reach ends before the first loudspeaker,
    // so no shorter line is offered.
    QTest::newRow("above 10 mm2") << LineInputs{100, 100, 10, 200, 1000, 2.5, 1, 25}
                                  << QStringList{"1000", "10,0",     "8,40", "5,30", "54,3",
                                                 "39,4", "более 10", "0",    "1250"}
                                  << QStringLiteral(
                                         "Потери больше допустимых: нужно сечение более 10\u00A0мм²");
}

void LineFormulasTest::workedExamples()
{
    QFETCH(LineInputs, in);
    QFETCH(QStringList, figures);
    QFETCH(QString, verdict);
    const line::LineTexts t = line::formatLine(figuresOf(in), u',');
    const QStringList shown{t.totalPower,   t.load,          t.wireResistance,
                            t.lossAtLast,   t.voltageAtLast, t.cableLossShare,
                            t.leastSection, t.longestLine,   t.amplifierPower};
    QCOMPARE(shown, figures);
    QCOMPARE(t.verdict, verdict);
}

void LineFormulasTest::exactBoundary_data()
{
    // 70 V and one 70 W loudspeaker make Z = 70 ohm; 20, 40 or 60 dB make
    // k = 9, 99 or 999. L0 + L = S * k * 4000 m then puts the loss exactly
    // at the limit, the least section exactly at S and the reach exactly at
    // L; in floating point these rows land a hair on the wrong side.
    QTest::addColumn<double>("section");
    QTest::addColumn<double>("allowedLoss");
    QTest::addColumn<double>("firstLength");
    QTest::addColumn<double>("nextSection"); // -1: none above
    QTest::newRow("0.35 mm2, 20 dB") << 0.35 << 20.0 << 0.0 << 0.5;
    QTest::newRow("0.35 mm2, 20 dB, first at 100 m") << 0.35 << 20.0 << 100.0 << 0.5;
    QTest::newRow("1.5 mm2, 20 dB, first at 100 m") << 1.5 << 20.0 << 100.0 << 2.5;
    QTest::newRow("0.5 mm2, 40 dB") << 0.5 << 40.0 << 0.0 << 0.75;
    QTest::newRow("6 mm2, 20 dB") << 6.0 << 20.0 << 0.0 << 10.0;
    QTest::newRow("10 mm2, 60 dB") << 10.0 << 60.0 << 0.0 << -1.0;
}

void LineFormulasTest::exactBoundary()
{
    QFETCH(double, section);
    QFETCH(double, allowedLoss);
    QFETCH(double, firstLength);
    QFETCH(double, nextSection);
    const double k = std::round(std::pow(10.0, allowedLoss / 20.0)) - 1.0;
    const double last = section * k * 4000.0 - firstLength;

    const LineFigures f = figuresOf(LineInputs{70, 1, 70, firstLength, last, section, allowedLoss, 0});
    QVERIFY(f.lossInNorm);
    QCOMPARE(f.leastSection.value_or(-1.0), section);
    QCOMPARE(f.longestLine, last);

    // One metre more is beyond the tolerance.
    const LineFigures longer
        = figuresOf(LineInputs{70, 1, 70, firstLength, last + 1, section, allowedLoss, 0});
    QVERIFY(!longer.lossInNorm);
    QCOMPARE(longer.leastSection.value_or(-1.0), nextSection);
    QCOMPARE(longer.longestLine, last);
}

void LineFormulasTest::verdict_data()
{
    // Whether a shorter line is offered: only a line of at least 1 m that
    // does not end before the first loudspeaker.
    QTest::addColumn<LineInputs>("in");
    QTest::addColumn<QString>("verdict");
    const QString sectionOnly
        = QStringLiteral("Потери больше допустимых: нужно сечение не менее %1\u00A0мм²");
    const QString orShorter = sectionOnly + QStringLiteral(" или линия не длиннее %2\u00A0м");
    // Z = 0.9 ohm reaches 0.63 m on 0.1 mm2: no length works.
    QTest::newRow("reach below 1 m") << LineInputs{30, 100, 10, 0, 5, 0.1, 1, 25} << sectionOnly.arg("1");
    // The same line from 0.6 m on reaches 0.03 m.
    QTest::newRow("reach 0 m") << LineInputs{30, 100, 10, 0.6, 5, 0.1, 1, 25} << sectionOnly.arg("1");
    // Z = 1.96 ohm on 0.35 mm2 reaches 4.77 m, loss 7.15 dB.
    QTest::newRow("30 V, 46 x 10 W, 4 m reach")
        << LineInputs{30, 46, 10, 0, 50, 0.35, 1, 25} << orShorter.arg("4", "4");
    // 4.77 m from 4 m on reaches 0.77 m, before the first loudspeaker.
    QTest::newRow("reach ends before the first")
        << LineInputs{30, 46, 10, 4, 50, 0.35, 1, 25} << sectionOnly.arg("4");
    // 4 m from 2 m on leaves the last loudspeaker at 2 m, with the first.
    QTest::newRow("reach ends at the first")
        << LineInputs{30, 46, 10, 2, 50, 0.35, 1, 25} << orShorter.arg("4", "2");
}

void LineFormulasTest::verdict()
{
    QFETCH(LineInputs, in);
    QFETCH(QString, verdict);
    QCOMPARE(line::formatLine(figuresOf(in), u',').verdict, verdict);
}

void LineFormulasTest::amplifierRoundsUp_data()
{
    // The wattage as shown, which compares every digit.
    QTest::addColumn<double>("count");
    QTest::addColumn<double>("power");
    QTest::addColumn<double>("headroom");
    QTest::addColumn<QString>("amplifier");
    // 10 * 1.1 is 11.000000000000002 in floating point.
    QTest::newRow("floating error above 11 W") << 1.0 << 10.0 << 10.0 << "11";
    QTest::newRow("0.3 W") << 3.0 << 0.1 << 0.0 << "1";
    QTest::newRow("11.05 W") << 1.0 << 10.0 << 10.5 << "12";
    QTest::newRow("49.95 W") << 1.0 << 33.3 << 50.0 << "50";
    QTest::newRow("exactly 75 W") << 10.0 << 6.0 << 25.0 << "75";
    // 1249999999987.5 W: the tolerance must not reach below the half watt.
    QTest::newRow("99999999999 x 10 W") << 99999999999.0 << 10.0 << 25.0 << "1249999999988";
    QTest::newRow("99999999999 x 10 W, no headroom") << 99999999999.0 << 10.0 << 0.0 << "999999999990";
}

void LineFormulasTest::amplifierRoundsUp()
{
    QFETCH(double, count);
    QFETCH(double, power);
    QFETCH(double, headroom);
    QFETCH(QString, amplifier);
    const LineFigures f = figuresOf(LineInputs{100, count, power, 10, 50, 0.75, 1, headroom});
    QCOMPARE(line::formatLine(f, u',').amplifierPower, amplifier);
}

void LineFormulasTest::longestLineRoundsDown_data()
{
    // The length as shown, which compares every digit.
    QTest::addColumn<LineInputs>("in");
    QTest::addColumn<QString>("longest");
    // One 1 uW loudspeaker on 100 V: Z = 1e10 ohm, 20 dB gives k = 9,
    // 9e10 / 0.0175 = 5142857142857.14 m.
    QTest::newRow("1 uW on 100 V") << LineInputs{100, 1, 1e-6, 0, 50, 1, 20, 25} << "5142857142857";
    // 12600 m in floating point lands a hair below.
    QTest::newRow("exactly 12600 m") << LineInputs{70, 1, 70, 0, 50, 0.35, 20, 25} << "12600";
}

void LineFormulasTest::longestLineRoundsDown()
{
    QFETCH(LineInputs, in);
    QFETCH(QString, longest);
    QCOMPARE(line::formatLine(figuresOf(in), u',').longestLine, longest);
}

void LineFormulasTest::problemsComeInFieldOrder()
{
    // Every field out of range (NaN is a text that is no number); putting
    // them right one by one names the next field each time.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    LineInputs in{100, 2.5, 0, 60, nan, -1, 0, -1};
    const std::pair<LineField, std::function<void(LineInputs &)>> steps[] = {
        {LineField::Count, [](LineInputs &i) { i.count = 10; }},
        {LineField::Power, [](LineInputs &i) { i.power = 6; }},
        {LineField::LastLength, [](LineInputs &i) { i.lastLength = 50; }},
        {LineField::FirstLength, [](LineInputs &i) { i.firstLength = 50; }},
        {LineField::Section, [](LineInputs &i) { i.section = 0.75; }},
        {LineField::AllowedLoss, [](LineInputs &i) { i.allowedLoss = 1; }},
        {LineField::Headroom, [](LineInputs &i) { i.headroom = 0; }},
    };
    for (const auto &[field, fix] : steps) {
        const auto outcome = line::computeLine(in);
        QVERIFY(std::holds_alternative<LineField>(outcome));
        QCOMPARE(std::get<LineField>(outcome), field);
        fix(in);
    }
    QVERIFY(std::holds_alternative<LineFigures>(line::computeLine(in)));
}

void LineFormulasTest::beyondDouble_data()
{
    QTest::addColumn<LineInputs>("in");
    QTest::addColumn<LineField>("field");
    // n * P overflows: the factor more decades away from 1 is blamed.
    QTest::newRow("huge count") << LineInputs{100, 1e300, 1e10, 10, 50, 0.75, 1, 25} << LineField::Count;
    QTest::newRow("denormal power") << LineInputs{100, 1, 1e-320, 10, 50, 0.75, 1, 25} << LineField::Power;
    // L0 + L overflows; on a tie the last length, checked first, is named.
    QTest::newRow("huge lengths") << LineInputs{100, 1, 6, 1.5e308, 1.5e308, 0.75, 1, 25}
                                  << LineField::LastLength;
    QTest::newRow("denormal section") << LineInputs{100, 1, 6, 10, 50, 1e-310, 1, 25} << LineField::Section;
    // R / Z overflows: R = 1.75e306 ohm, Z = 1e-296 ohm.
    QTest::newRow("long line, tiny load")
        << LineInputs{100, 1e150, 1e150, 0, 1e300, 1e-8, 1, 25} << LineField::LastLength;
    QTest::newRow("huge allowed loss beside a tiny section")
        << LineInputs{100, 1, 6, 10, 50, 1e-5, 7000, 25} << LineField::AllowedLoss;
    QTest::newRow("huge headroom") << LineInputs{100, 10, 100, 10, 50, 0.75, 1, 1.7e308}
                                   << LineField::Headroom;
}

void LineFormulasTest::beyondDouble()
{
    QFETCH(LineInputs, in);
    QFETCH(LineField, field);
    const auto outcome = line::computeLine(in);
    QVERIFY(std::holds_alternative<LineField>(outcome));
    QCOMPARE(std::get<LineField>(outcome), field);
}

void LineFormulasTest::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("value");
    const std::optional<double> none;
    QTest::newRow("point") << "0.75" << std::optional(0.75);
    QTest::newRow("comma") << "0,75" << std::optional(0.75);
    QTest::newRow("blanks, sign, comma") << " -2,5 " << std::optional(-2.5);
    QTest::newRow("exponent with comma") << "1,5e2" << std::optional(150.0);
    QTest::newRow("empty") << "" << none;
    QTest::newRow("letters after") << "12 м" << none;
    QTest::newRow("both separators") << "1,5.3" << none;
    QTest::newRow("beyond a double") << "1e400" << none;
}

void LineFormulasTest::readNumber()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, value);
    QCOMPARE(line::readNumber(text), value);
}

QTEST_APPLESS_MAIN(LineFormulasTest)
#include "tst_line_formulas.moc"
