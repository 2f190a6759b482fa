#include "calcinputs.h"

#include "calc/calculation.h"
#include "calc/soundpressure.h"

#include <QTest>
#include <algorithm>

using namespace calc;
Q_DECLARE_METATYPE(calc::Control)
Q_DECLARE_METATYPE(calc::Mounting)

namespace {

QString *field(CalcInputs &in, const QString &name)
{
    for (const TextInput &input : textInputs) {
        if (name == QLatin1String(input.name))
            return &(in.*input.text);
    }
    return nullptr;
}

const QStringList &validationMessages()
{
    static const QStringList list{msg::Directivity, msg::Tilt,        msg::Margin, msg::ListenHeight,
                                  msg::Power,       msg::Sensitivity, msg::Noise,  msg::CeilingHeight,
                                  msg::MountHeight, msg::Length,      msg::Width,  msg::Area};
    return list;
}

QStringList messagesOf(const Outcome &outcome)
{
    QStringList list;
    for (const Effect &e : outcome.effects) {
        if (e.kind == Effect::Kind::Message)
            list << e.text;
    }
    return list;
}

bool has(const Outcome &outcome, const Effect &effect)
{
    return std::find(outcome.effects.begin(), outcome.effects.end(), effect) != outcome.effects.end();
}

} // namespace

class ValidationTest : public QObject {
    Q_OBJECT
private slots:
    void bounds_data();
    void bounds();
    void stopsAtTheFirstInvalidInput();
    void heightMessageFollowsTheMountingType();
    void manualSettingsTakeCommaAndPoint_data();
    void manualSettingsTakeCommaAndPoint();
    void areaFromLengthAndWidth();
    void emptyAreaIsAccepted();
    void failureClearsCalculatedAndCoverage();
    void tapWithoutSelectionKeepsThePrevious();
    void soundPressure_data();
    void soundPressure();
    void requiredLevelFloorAndRounding_data();
    void requiredLevelFloorAndRounding();
    void tappedPowerRoundsHalvesToEven_data();
    void tappedPowerRoundsHalvesToEven();
    void dropHeightUsesCentimetres();
};

// One row per field and text: the message (empty when the text is accepted),
// the text the field is reset to and where the focus goes.
void ValidationTest::bounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<Mounting>("mounting");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reset");
    QTest::addColumn<Control>("focus");

    const QChar dot(u'.');
    const QChar comma(u',');
    const Mounting wall = Mounting::Wall;
    const Mounting ceiling = Mounting::Ceiling;
    auto ok = [&](const char *row, const char *name, const QString &text, QChar point = QChar(u'.'),
                  Mounting m = Mounting::Wall) {
        QTest::newRow(row) << QString(name) << text << point << m << QString() << QString() << Control::None;
    };
    auto no
        = [&](const char *row, const char *name, const QString &text, const QString &message,
              const QString &reset, Control focus, QChar point = QChar(u'.'), Mounting m = Mounting::Wall) {
              QTest::newRow(row) << QString(name) << text << point << m << message << reset << focus;
          };

    ok("directivity 10", "CmbGn", "10");
    ok("directivity 180", "CmbGn", "180");
    no("directivity 9.9", "CmbGn", "9.9", msg::Directivity, "90", Control::CmbGn);
    no("directivity 180.1", "CmbGn", "180.1", msg::Directivity, "90", Control::CmbGn);
    no("directivity abc", "CmbGn", "abc", msg::Directivity, "90", Control::CmbGn);
    no("directivity empty", "CmbGn", "", msg::Directivity, "90", Control::CmbGn);
    no("directivity negative", "CmbGn", "-90", msg::Directivity, "90", Control::CmbGn);
    no("directivity trailing letter", "CmbGn", "90a", msg::Directivity, "90", Control::CmbGn);
    no("directivity huge", "CmbGn", "1e309", msg::Directivity, "90", Control::CmbGn);
    ok("directivity exponent", "CmbGn", "1.2e2");
    ok("directivity comma under comma locale", "CmbGn", "22,5", comma);
    ok("directivity point under comma locale", "CmbGn", "22.5", comma);
    ok("directivity comma under point locale", "CmbGn", "22,5", dot);
    no("directivity with two separators", "CmbGn", "22,5.5", msg::Directivity, "90", Control::CmbGn, comma);
    no("directivity 180,5 beyond the bound", "CmbGn", "180,5", msg::Directivity, "90", Control::CmbGn, dot);

    ok("vertical 10", "CmbDv", "10");
    ok("vertical 180", "CmbDv", "180");
    no("vertical 9.9", "CmbDv", "9.9", msg::Directivity, "90", Control::CmbDv);
    no("vertical 180.1", "CmbDv", "180.1", msg::Directivity, "90", Control::CmbDv);
    no("vertical abc on ceiling", "CmbDv", "abc", msg::Directivity, "90", Control::CmbDv, dot, ceiling);

    ok("tilt 0", "CmbUN", "0");
    ok("tilt 90", "CmbUN", "90");
    no("tilt 90.5", "CmbUN", "90.5", msg::Tilt, "0", Control::CmbUN);
    no("tilt -1", "CmbUN", "-1", msg::Tilt, "0", Control::CmbUN);
    no("tilt abc reads 0 but is not numeric", "CmbUN", "abc", msg::Tilt, "0", Control::CmbUN);
    no("tilt abc on ceiling", "CmbUN", "abc", msg::Tilt, "0", Control::CmbUN, dot, ceiling);

    ok("margin 3", "CmbUPS", "3");
    ok("margin 30", "CmbUPS", "30");
    no("margin 2", "CmbUPS", "2", msg::Margin, "6", Control::CmbUPS);
    no("margin 31", "CmbUPS", "31", msg::Margin, "6", Control::CmbUPS);
    no("margin 2.99", "CmbUPS", "2.99", msg::Margin, "6", Control::CmbUPS);

    ok("listening 120", "CmbVP", "120");
    ok("listening 299", "CmbVP", "299");
    no("listening 119", "CmbVP", "119", msg::ListenHeight, "150", Control::CmbVP);
    no("listening 301", "CmbVP", "301", msg::ListenHeight, "150", Control::CmbVP);

    no("power empty", "TxtPv", "", msg::Power, QString(), Control::TxtPv);
    no("power 0", "TxtPv", "0", msg::Power, QString(), Control::TxtPv);
    no("power 0.0", "TxtPv", "0.0", msg::Power, QString(), Control::TxtPv);
    no("power letters", "TxtPv", "abc", msg::Power, QString(), Control::TxtPv);
    ok("power 12abc reads 12", "TxtPv", "12abc");
    no("power 0.4 rounds to 0", "TxtPv", "0.4", msg::Power, QString(), Control::TxtPv);
    no("power 0.5 rounds to even 0", "TxtPv", "0.5", msg::Power, QString(), Control::TxtPv);
    ok("power 0.6 rounds to 1", "TxtPv", "0.6");
    no("power negative", "TxtPv", "-6", msg::Power, QString(), Control::TxtPv);
    ok("power largest 32-bit", "TxtPv", "2147483647");
    no("power beyond 32 bits", "TxtPv", "2147483648", msg::Power, QString(), Control::TxtPv);
    no("power of 400 digits", "TxtPv", QString(400, u'9'), msg::Power, QString(), Control::TxtPv);

    no("sensitivity empty", "TxtPd", "", msg::Sensitivity, QString(), Control::TxtPd);
    no("sensitivity 0", "TxtPd", "0", msg::Sensitivity, QString(), Control::TxtPd);
    no("sensitivity of 400 digits", "TxtPd", QString(400, u'9'), msg::Sensitivity, QString(), Control::TxtPd);
    no("sensitivity whose range overflows", "TxtPd", "1e300", msg::Sensitivity, QString(), Control::TxtPd);
    no("sensitivity minus infinity", "TxtPd", "-" + QString(400, u'9'), msg::Sensitivity, QString(),
       Control::TxtPd);

    no("noise empty", "TxtN", "", msg::Noise, QString(), Control::TxtN);
    no("noise 0", "TxtN", "0", msg::Noise, QString(), Control::TxtN);
    ok("noise plus margin 32767", "TxtN", "32757");
    no("noise plus margin beyond 16 bits", "TxtN", "32758", msg::Noise, QString(), Control::TxtN);
    no("noise of 400 digits", "TxtN", QString(400, u'9'), msg::Noise, QString(), Control::TxtN);

    no("ceiling height empty", "TxtH", "", msg::CeilingHeight, QString(), Control::TxtH, dot, ceiling);
    no("ceiling height 0", "TxtH", "0", msg::CeilingHeight, QString(), Control::TxtH, dot, ceiling);
    no("mounting height empty", "TxtH", "", msg::MountHeight, QString(), Control::TxtH, dot, wall);
    no("mounting height 0", "TxtH", "0", msg::MountHeight, QString(), Control::TxtH, dot,
       Mounting::SquareHorn);
    no("height of 400 digits", "TxtH", QString(400, u'9'), msg::MountHeight, QString(), Control::TxtH);

    no("length empty", "TxtL", "", msg::Length, QString(), Control::TxtL);
    no("length 0", "TxtL", "0", msg::Length, QString(), Control::TxtL);
    no("length negative", "TxtL", "-6", msg::Length, QString(), Control::TxtL);
    no("width negative", "TxtW", "-0.5", msg::Width, QString(), Control::TxtW);
    no("width empty", "TxtW", "", msg::Width, QString(), Control::TxtW);
    no("width 0.0", "TxtW", "0.0", msg::Width, QString(), Control::TxtW);
    no("area of 400 digits", "TxtSR", QString(400, u'9'), msg::Area, QString(), Control::TxtSR);
}

void ValidationTest::bounds()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QChar, point);
    QFETCH(Mounting, mounting);
    QFETCH(QString, message);
    QFETCH(QString, reset);
    QFETCH(Control, focus);

    CalcInputs in = startupInputs(mounting);
    *field(in, name) = text;
    in.decimalPoint = point;
    CalcState state;
    const Outcome outcome = calculate(in, state);
    const QStringList messages = messagesOf(outcome);

    if (message.isEmpty()) {
        for (const QString &m : messages)
            QVERIFY2(!validationMessages().contains(m), qPrintable(m));
        return;
    }
    QCOMPARE(messages, QStringList{message});
    QCOMPARE(outcome.effects.front(), Effect::message(message));
    QVERIFY(!outcome.completed);
    QVERIFY(!state.calculated);
    QVERIFY(has(outcome, Effect::clearLabels()));
    QCOMPARE(outcome.effects.back(), Effect::clearLabels());
    QVERIFY(has(outcome, Effect::focus(focus)));
    int resets = 0;
    for (const Effect &e : outcome.effects) {
        if (e.kind == Effect::Kind::SetText) {
            ++resets;
            QCOMPARE(e, Effect::setText(focus, reset));
        }
    }
    QCOMPARE(resets, reset.isNull() ? 0 : 1);
}

void ValidationTest::stopsAtTheFirstInvalidInput()
{
    CalcInputs in = startupInputs();
    in.cmbUN = "30";
    in.cmbUPS = "99";
    in.txtPv = "";
    in.txtL = "";
    CalcState state;
    const Outcome outcome = calculate(in, state);
    QCOMPARE(messagesOf(outcome), QStringList{msg::Margin});
    // Values read before the stop are stored (the tilt differs from its
    // start value, so a tilt that is never stored fails here); those after
    // it are not.
    QCOMPARE(state.tiltDeg, 30.0);
    QCOMPARE(state.powerW, 0.0);
}

void ValidationTest::manualSettingsTakeCommaAndPoint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("point");
    for (const QChar point : {QChar(u'.'), QChar(u',')}) {
        const QByteArray locale = point == u'.' ? "point locale" : "comma locale";
        QTest::addRow("90,5 under %s", locale.constData()) << QStringLiteral("90,5") << point;
        QTest::addRow("90.5 under %s", locale.constData()) << QStringLiteral("90.5") << point;
    }
}

// The fraction is kept, not cut to the whole part, in every setting.
void ValidationTest::manualSettingsTakeCommaAndPoint()
{
    QFETCH(QString, text);
    QFETCH(QChar, point);
    CalcInputs in = startupInputs(Mounting::SquareHorn);
    in.decimalPoint = point;
    in.cmbGn = text;
    in.cmbDv = text;
    in.cmbUN = QString(text).replace(QStringLiteral("90"), QStringLiteral("30"));
    in.cmbUPS = QString(text).replace(QStringLiteral("90"), QStringLiteral("10"));
    in.cmbVP = QString(text).replace(QStringLiteral("90"), QStringLiteral("150"));
    in.txtH = "6";
    CalcState state;
    const Outcome outcome = calculate(in, state);
    for (const QString &m : messagesOf(outcome))
        QVERIFY2(!validationMessages().contains(m), qPrintable(m));
    QCOMPARE(state.dirDeg, 90.5);
    QCOMPARE(state.vDirDeg, 90.5);
    QCOMPARE(state.tiltDeg, 30.5);
    QCOMPARE(state.margin, 10.5);
    QCOMPARE(state.listenH, 150.5);
    QCOMPARE(state.dirRad, degreesToRadians(90.5));
}

void ValidationTest::heightMessageFollowsTheMountingType()
{
    for (Mounting m : {Mounting::Wall, Mounting::RoundHorn, Mounting::SquareHorn}) {
        CalcInputs in = startupInputs(m);
        in.txtH = "";
        CalcState state;
        QCOMPARE(messagesOf(calculate(in, state)), QStringList{msg::MountHeight});
    }
}

void ValidationTest::areaFromLengthAndWidth()
{
    CalcInputs in = startupInputs();
    in.txtW = "7.5";
    in.txtSR = "1";
    CalcState state;
    state.areaFromLW = true;
    Outcome outcome = calculate(in, state);
    QVERIFY(has(outcome, Effect::setText(Control::TxtSR, "45")));
    QCOMPARE(state.roomArea, 45.0);
    QVERIFY(state.areaFromLW);

    // A fractional product is written with "." under a comma locale too, so
    // that it reads back whole.
    in.txtL = "2.5";
    in.txtW = "3";
    in.decimalPoint = u',';
    outcome = calculate(in, state);
    QVERIFY(has(outcome, Effect::setText(Control::TxtSR, "7.5")));
    QCOMPARE(state.roomArea, 7.5);
    QVERIFY(outcome.completed);

    // Without the flag the area box is used as typed.
    state.areaFromLW = false;
    in.txtSR = "100";
    outcome = calculate(in, state);
    QCOMPARE(state.roomArea, 100.0);
    for (const Effect &e : outcome.effects)
        QVERIFY(!(e.kind == Effect::Kind::SetText && e.control == Control::TxtSR));

    // Length and width each finite but their product is not.
    state.areaFromLW = true;
    in.txtL = "1" + QString(200, u'0');
    in.txtW = "1" + QString(200, u'0');
    outcome = calculate(in, state);
    QCOMPARE(messagesOf(outcome), QStringList{msg::Length});
    QVERIFY(has(outcome, Effect::focus(Control::TxtL)));
}

void ValidationTest::emptyAreaIsAccepted()
{
    CalcInputs in = startupInputs(Mounting::Ceiling);
    in.txtSR = "";
    CalcState state;
    state.roomArea = 99;
    const Outcome outcome = calculate(in, state);
    for (const QString &m : messagesOf(outcome))
        QVERIFY(!validationMessages().contains(m));
    QCOMPARE(state.roomArea, 0.0);
    QCOMPARE(state.range, 6.0);
}

void ValidationTest::failureClearsCalculatedAndCoverage()
{
    CalcInputs in = startupInputs();
    in.txtN = "";
    CalcState state;
    state.calculated = true;
    state.coverS = 8;
    calculate(in, state);
    QVERIFY(!state.calculated);
    QCOMPARE(state.coverS, 0.0);
}

void ValidationTest::tapWithoutSelectionKeepsThePrevious()
{
    CalcInputs in = startupInputs();
    in.txtPv = "25";
    in.tapMember = 2;
    CalcState state;
    calculate(in, state);
    QCOMPARE(state.tap, 0.5);
    in.tapMember = std::nullopt;
    calculate(in, state);
    QCOMPARE(state.tap, 0.5);
    in.tapMember = 3;
    calculate(in, state);
    QCOMPARE(state.tap, 1.0 / 3.0);
}

void ValidationTest::soundPressure_data()
{
    QTest::addColumn<QString>("power");
    QTest::addColumn<int>("tap");
    QTest::addColumn<QString>("sens");
    QTest::addColumn<QString>("noise");
    QTest::addColumn<QString>("margin");
    QTest::addColumn<double>("logP");
    QTest::addColumn<double>("splTotal");
    QTest::addColumn<double>("excess");
    QTest::addColumn<double>("range");
    // clang-format off
    QTest::newRow("worked example") << "6" << 1 << "88" << "70" << "10" << 7.781512503836435 << 95.0 << 15.0 << 6.0;
    QTest::newRow("75 dB floor") << "6" << 1 << "88" << "60" << "10" << 7.781512503836435 << 95.0 << 20.0 << 11.0;
    QTest::newRow("excess 0 gives 2 m") << "1" << 1 << "80" << "70" << "10" << 0.0 << 80.0 << 0.0 << 2.0;
    QTest::newRow("negative excess gives 1 m") << "1" << 1 << "79" << "70" << "10" << 0.0 << 79.0 << -1.0 << 1.0;
    QTest::newRow("far below the floor") << "1" << 1 << "-500" << "20" << "3" << 0.0 << -500.0 << -575.0 << 1.0;
    QTest::newRow("half tap 25 W is 12 W") << "25" << 2 << "88" << "70" << "10" << 10.79181246047625 << 98.0 << 18.0 << 8.0;
    QTest::newRow("third tap 10 W is 3 W") << "10" << 3 << "88" << "70" << "10" << 4.771212547196624 << 92.0 << 12.0 << 4.0;
    QTest::newRow("40 dB excess") << "100" << 1 << "100" << "40" << "10" << 20.0 << 120.0 << 45.0 << 178.0;
    // clang-format on
}

void ValidationTest::soundPressure()
{
    QFETCH(QString, power);
    QFETCH(int, tap);
    QFETCH(QString, sens);
    QFETCH(QString, noise);
    QFETCH(QString, margin);
    CalcInputs in = startupInputs(Mounting::Ceiling);
    in.txtPv = power;
    in.tapMember = tap;
    in.txtPd = sens;
    in.txtN = noise;
    in.cmbUPS = margin;
    CalcState state;
    const Outcome outcome = calculate(in, state);
    // A range too short for the ceiling stops the coverage after the
    // sound pressure was stored; a completed one shows both figures.
    if (outcome.completed) {
        QVERIFY(has(outcome, Effect::setText(Control::LblPd, QString::number(state.splTotal))));
        QVERIFY(has(outcome, Effect::setText(Control::LblD, QString::number(state.range))));
    }
    QTEST(state.logP, "logP");
    QTEST(state.splTotal, "splTotal");
    QTEST(state.excess, "excess");
    QTEST(state.range, "range");
}

void ValidationTest::requiredLevelFloorAndRounding_data()
{
    QTest::addColumn<double>("noise");
    QTest::addColumn<double>("margin");
    QTest::addColumn<int>("level");
    QTest::newRow("74.5 rounds to 74, raised to 75") << 64.5 << 10.0 << 75;
    QTest::newRow("75.5 rounds to 76") << 65.5 << 10.0 << 76;
    QTest::newRow("80.5 rounds to 80") << 70.5 << 10.0 << 80;
    QTest::newRow("81.5 rounds to 82") << 71.5 << 10.0 << 82;
    QTest::newRow("quiet hospital") << 20.0 << 10.0 << 75;
    QTest::newRow("largest 16-bit") << 32757.0 << 10.0 << 32767;
}

void ValidationTest::requiredLevelFloorAndRounding()
{
    QFETCH(double, noise);
    QFETCH(double, margin);
    QFETCH(int, level);
    QCOMPARE(int(*requiredLevel(noise, margin)), level);
    QVERIFY(!requiredLevel(32767.0, 10.0));
    QVERIFY(!requiredLevel(-40000.0, 3.0));
}

void ValidationTest::tappedPowerRoundsHalvesToEven_data()
{
    QTest::addColumn<double>("power");
    QTest::addColumn<double>("tap");
    QTest::addColumn<int>("tapped");
    QTest::newRow("25 x 1/2") << 25.0 << 0.5 << 12;
    QTest::newRow("15 x 1/2") << 15.0 << 0.5 << 8;
    QTest::newRow("10 x 1/3") << 10.0 << 1.0 / 3.0 << 3;
    QTest::newRow("50 x 1/3") << 50.0 << 1.0 / 3.0 << 17;
    QTest::newRow("3 x 1/2") << 3.0 << 0.5 << 2;
    QTest::newRow("1.5 x 1") << 1.5 << 1.0 << 2;
}

void ValidationTest::tappedPowerRoundsHalvesToEven()
{
    QFETCH(double, power);
    QFETCH(double, tap);
    QFETCH(int, tapped);
    QCOMPARE(*tappedPower(power, tap), tapped);
    QVERIFY(!tappedPower(1.0, 0.5));
    QVERIFY(!tappedPower(1.0, 1.0 / 3.0));
}

void ValidationTest::dropHeightUsesCentimetres()
{
    QCOMPARE(dropHeight(3.0, 150.0), 1.5);
    QCOMPARE(dropHeight(3.0, 300.0), 0.0);
}

QTEST_APPLESS_MAIN(ValidationTest)
#include "tst_calc_validation.moc"
