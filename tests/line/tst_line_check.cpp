// The check of a calculation against СП 3.13130.2009 and the figures the
// line window takes from a calculation state.
#include "line/standardcheck.h"

#include <QTest>

using line::CalculationFigures;

Q_DECLARE_METATYPE(line::CalculationFigures)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

// The start-up calculation: wall loudspeakers of 95 dB at 1 m, mounted at
// 3 m, 1.5 m above the listening plane, in a 70 dB room, 10 dB margin.
CalculationFigures startUp()
{
    return CalculationFigures{true, 10, 6, 95, 70, 10, calc::Mounting::Wall, 3, 1.5};
}

// The start-up calculation with another sound pressure, noise, margin,
// height above the listener, mounting or mounting height.
CalculationFigures calculation(double splTotal, double noise, double margin, double dropH,
                               calc::Mounting mounting, double mountH)
{
    return CalculationFigures{true, 10, 6, splTotal, noise, margin, mounting, mountH, dropH};
}

const auto Wall = calc::Mounting::Wall;
const auto Ceiling = calc::Mounting::Ceiling;

} // namespace

class LineCheckTest : public QObject {
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void figuresOfState_data();
    void figuresOfState();
};

void LineCheckTest::rows_data()
{
    // The values of every row and its verdict: "+" met, "-" not met, "?" no
    // data, "!" required; the notices follow the three checks.
    QTest::addColumn<CalculationFigures>("figures");
    QTest::addColumn<std::optional<double>>("lineLoss");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("verdicts");
    const std::optional<double> noLoss(0.0);
    const std::optional<double> noLine;
    // calculation(SplTotal, noise, margin, DropH, mounting, MountH), the loss of the line.
    QTest::newRow("start-up") << startUp() << noLoss << QStringList{"85,5", "10,0", "91,5"} << "+-+";
    // 74.96 dB shows as 75,0 and is judged as shown.
    QTest::newRow("3 m level 74.96") << calculation(84.5, 70, 10, 1.5, Wall, 3) << noLoss
                                     << QStringList{"75,0", "10,0", "81,0"} << "+-+";
    QTest::newRow("3 m level 74.86") << calculation(84.4, 70, 10, 1.5, Wall, 3) << noLoss
                                     << QStringList{"74,9", "10,0", "80,9"} << "--+";
    QTest::newRow("line loss takes it below") << calculation(86, 70, 10, 1.5, Wall, 3) << std::optional(2.07)
                                              << QStringList{"74,4", "7,9", "82,5"} << "--+";
    // The margin the user chose is met at the loudspeaker, not at the last
    // one: 85 - 7.2 - 70.
    QTest::newRow("line loss takes the signal below 15")
        << calculation(100, 70, 15, 1.5, Wall, 3) << std::optional(7.2) << QStringList{"83,3", "7,8", "96,5"}
        << "+-+";
    // 90 - 5.04 - 70 = 14.96 shows as 15,0 and is judged as shown.
    QTest::newRow("signal 14.96 over the noise")
        << calculation(100, 70, 20, 1.5, Wall, 3) << std::optional(5.04)
        << QStringList{"85,4", "15,0", "96,5"} << "+++";
    QTest::newRow("signal 14.94 over the noise")
        << calculation(100, 70, 20, 1.5, Wall, 3) << std::optional(5.06)
        << QStringList{"85,4", "14,9", "96,5"} << "+-+";
    // Without the line's figures the rows that need its loss have no value
    // and no verdict, however clearly they failed before.
    QTest::newRow("no line, start-up") << startUp() << noLine << QStringList{"", "", "91,5"} << "??+";
    QTest::newRow("no line, 3 m level below")
        << calculation(84.4, 70, 10, 1.5, Wall, 3) << noLine << QStringList{"", "", "80,9"} << "??+";
    // The required level is never below 75 dB.
    QTest::newRow("quiet room") << calculation(95, 50, 10, 1.5, Wall, 3) << noLoss
                                << QStringList{"85,5", "25,0", "91,5"} << "+++";
    // 62.5 + 12 = 74.5 rounds to the even 74, then is raised to 75.
    QTest::newRow("required level rounds halves to even")
        << calculation(95, 62.5, 12, 1.5, Wall, 3) << noLoss << QStringList{"85,5", "12,5", "91,5"} << "+-+";
    // Nearer than 1 m counts as 1 m.
    QTest::newRow("loudspeaker near the listener")
        << calculation(125, 70, 10, 0.5, Wall, 3) << noLoss << QStringList{"115,5", "10,0", "125,0"} << "+--";
    QTest::newRow("highest 119.98") << calculation(126, 70, 10, 2, Wall, 3) << noLoss
                                    << QStringList{"116,5", "10,0", "120,0"} << "+-+";
    QTest::newRow("noise 95 is not above 95")
        << calculation(95, 95, 15, 1.5, Wall, 3) << noLoss << QStringList{"85,5", "15,0", "91,5"} << "+++";
    // Light alarms are asked for, never found met or not.
    QTest::newRow("noise above 95") << calculation(95, 95.5, 16, 1.5, Wall, 3) << noLoss
                                    << QStringList{"85,5", "16,5", "91,5", "95,5"} << "+++!";
    QTest::newRow("noise above 95, no line")
        << calculation(95, 95.5, 16, 1.5, Wall, 3) << noLine << QStringList{"", "", "91,5", "95,5"} << "??+!";
    QTest::newRow("wall at 2.2 m") << calculation(95, 70, 10, 1.5, Wall, 2.2) << noLoss
                                   << QStringList{"85,5", "10,0", "91,5", "2,2"} << "+-+-";
    QTest::newRow("wall at exactly 2.3 m")
        << calculation(95, 70, 10, 1.5, Wall, 2.3) << noLoss << QStringList{"85,5", "10,0", "91,5"} << "+-+";
    QTest::newRow("ceiling at 2 m") << calculation(95, 70, 10, 1.5, Ceiling, 2) << noLoss
                                    << QStringList{"85,5", "10,0", "91,5"} << "+-+";
    QTest::newRow("both notices") << calculation(95, 100, 10, 1.5, Wall, 2) << noLoss
                                  << QStringList{"85,5", "10,0", "91,5", "100", "2"} << "+-+!-";
}

void LineCheckTest::rows()
{
    QFETCH(CalculationFigures, figures);
    QFETCH(std::optional<double>, lineLoss);
    QFETCH(QStringList, values);
    QFETCH(QString, verdicts);
    const auto rows = line::standardChecks(figures, lineLoss, u',');
    QStringList shown;
    QString judged;
    for (const line::CheckRow &row : rows) {
        shown << row.value;
        switch (row.verdict) {
        case line::Verdict::Met: judged += u'+'; break;
        case line::Verdict::NotMet: judged += u'-'; break;
        case line::Verdict::NoData: judged += u'?'; break;
        case line::Verdict::Required: judged += u'!'; break;
        }
    }
    QCOMPARE(shown, values);
    QCOMPARE(judged, verdicts);
    // A unit never parts from its number: the spaces before "м" and "дБА"
    // are no-break spaces.
    QCOMPARE(rows[0].what, QStringLiteral("Уровень звука в 3\u00A0м от громкоговорителя, дБ"));
    QCOMPARE(rows[1].what, QStringLiteral("Превышение сигнала над шумом, дБ"));
    QCOMPARE(rows[2].what, QStringLiteral("Наибольший уровень звука в помещении, дБ"));
    // A notice row has its rule in its text.
    for (std::size_t i = 3; i < rows.size(); ++i) {
        QVERIFY(rows[i].rule.isEmpty());
        const bool noise = rows[i].what
            == QStringLiteral("Шум выше 95\u00A0дБА: звуковые оповещатели дополните световыми");
        const bool wall
            = rows[i].what == QStringLiteral("Настенный оповещатель: высота установки не менее 2,3\u00A0м");
        QVERIFY2(noise ? i == 3 : wall, qPrintable(rows[i].what));
    }
}

void LineCheckTest::figuresOfState_data()
{
    QTest::addColumn<double>("powerW");
    QTest::addColumn<double>("tap");
    QTest::addColumn<double>("tapped");
    QTest::newRow("full power") << 6.0 << 1.0 << 6.0;
    QTest::newRow("half of 5 rounds to even") << 5.0 << 0.5 << 2.0;
    QTest::newRow("third of 20") << 20.0 << 1.0 / 3.0 << 7.0;
    QTest::newRow("below 1 W is none") << 1.0 << 1.0 / 3.0 << 0.0;
}

void LineCheckTest::figuresOfState()
{
    QFETCH(double, powerW);
    QFETCH(double, tap);
    QFETCH(double, tapped);
    calc::CalcState state;
    state.powerW = powerW;
    state.tap = tap;
    state.mountH = 3.0;
    state.listenH = 120.0;
    state.count = 12;
    state.calculated = true;
    const CalculationFigures f = line::figuresOf(state, calc::Mounting::Ceiling);
    QVERIFY(f.completed);
    QCOMPARE(f.count, 12.0);
    QCOMPARE(f.tappedPower, tapped);
    QCOMPARE(f.mounting, calc::Mounting::Ceiling);
    QCOMPARE(f.dropH, 3.0 - 1.2);
}

QTEST_APPLESS_MAIN(LineCheckTest)
#include "tst_line_check.moc"
