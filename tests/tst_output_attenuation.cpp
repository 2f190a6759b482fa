#include "output/attenuation.h"

#include <QTest>

using namespace output;

// No caption: the distance is missing and the message is shown instead.
static const QString Missing = QStringLiteral("<missing>");

class AttenuationTest : public QObject {
    Q_OBJECT
private slots:
    void caption_data();
    void caption();
    void messageText();
};

void AttenuationTest::caption_data()
{
    QTest::addColumn<QString>("distance");
    QTest::addColumn<QString>("caption");

    // clang-format off
    QTest::newRow("start-up distance") << "10" << "20";
    QTest::newRow("one metre") << "1" << "0";
    QTest::newRow("two metres") << "2" << "6";
    QTest::newRow("three metres") << "3" << "9";
    QTest::newRow("five metres") << "5" << "13";
    QTest::newRow("hundred metres") << "100" << "40";
    QTest::newRow("fifteen metres") << "15" << "23";
    // clang-format on
    // Below 1 m the floor goes toward minus infinity: -6.02 gives -7.
    // clang-format off
    QTest::newRow("half a metre") << "0.5" << "-7";
    // clang-format on
    // ln(1000) / ln(10) is 2.9999999999999996 in double precision.
    // clang-format off
    QTest::newRow("kilometre") << "1000" << "59";
    QTest::newRow("kilometre as exponent") << "1e3" << "59";
    QTest::newRow("millimetre") << "0.001" << "-60";
    QTest::newRow("just under a metre") << "0.999" << "-1";
    QTest::newRow("several points read as 1.2") << "1.2.3" << "1";
    QTest::newRow("trailing letters") << "12abc" << "21";
    QTest::newRow("largest finite range") << "1e308" << "6160";
    // clang-format on

    // clang-format off
    QTest::newRow("empty") << "" << Missing;
    QTest::newRow("zero") << "0" << Missing;
    QTest::newRow("double zero") << "00" << Missing;
    QTest::newRow("zero point zero") << "0.0" << Missing;
    QTest::newRow("point only") << "." << Missing;
    QTest::newRow("blanks only") << "   " << Missing;
    QTest::newRow("no leading number") << "abc" << Missing;
    // clang-format on
    // Pasted past the key filter: no logarithm exists.
    // clang-format off
    QTest::newRow("negative") << "-5" << Missing;
    QTest::newRow("negative below a metre") << "-0.5" << Missing;
    QTest::newRow("negative zero") << "-0" << Missing;
    // clang-format on
    // Too large for a double: must not show "inf".
    // clang-format off
    QTest::newRow("beyond double range") << "1e400" << Missing;
    QTest::newRow("hundreds of digits") << QString(400, u'9') << Missing;
    // clang-format on
}

void AttenuationTest::caption()
{
    QFETCH(QString, distance);
    QFETCH(QString, caption);
    const std::optional<QString> result = attenuationCaption(distance);
    QCOMPARE(result.value_or(Missing), caption);
}

void AttenuationTest::messageText()
{
    QCOMPARE(MsgDistance, QStringLiteral("Введите дальность"));
}

QTEST_APPLESS_MAIN(AttenuationTest)
#include "tst_output_attenuation.moc"
