#include "calc/textrules.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace calc;

class TextRulesTest : public QObject {
    Q_OBJECT
private slots:
    void leadingValue_data();
    void leadingValue();
    void leadingValueOverflowsToInfinity();
    void localeNumber_data();
    void localeNumber();
    void numericTextsReadAsTheyShow();
    void formatGeneral_data();
    void formatGeneral();
    void rounding_data();
    void rounding();
    void formatShare_data();
    void formatShare();
};

void TextRulesTest::leadingValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << "36" << 36.0;
    QTest::newRow("fraction") << "7.5" << 7.5;
    QTest::newRow("comma stops") << "12,5" << 12.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("double point") << "1..2" << 1.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("blanks inside") << " 1 2 . 5 " << 12.5;
    QTest::newRow("digits then letters") << "12abc" << 12.0;
    QTest::newRow("minus") << "-5" << -5.0;
    QTest::newRow("plus") << "+5" << 5.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("two signs") << "--5" << 0.0;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("capital exponent with sign") << "2.5E-1" << 0.25;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("exponent sign without digits") << "4e+x" << 4.0;
    QTest::newRow("exponent alone") << "e5" << 0.0;
    QTest::newRow("nan is not a number") << "nan" << 0.0;
    QTest::newRow("inf is not a number") << "inf" << 0.0;
    QTest::newRow("zero point zero") << "0.0" << 0.0;
    QTest::newRow("negative zero is zero") << "-0" << 0.0;
    QTest::newRow("cyrillic") << "десять" << 0.0;
}

void TextRulesTest::leadingValue()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(calc::leadingValue(text), value);
    QVERIFY(!std::signbit(calc::leadingValue(text)) || value < 0);
}

void TextRulesTest::leadingValueOverflowsToInfinity()
{
    QVERIFY(std::isinf(calc::leadingValue(QString(400, u'9'))));
    QVERIFY(std::isinf(calc::leadingValue(u"1e309")));
    QVERIFY(std::isinf(calc::leadingValue(u"-1e99999999999999")));
    QCOMPARE(calc::leadingValue(u"1e-400"), 0.0);
    QCOMPARE(calc::leadingValue(QStringLiteral("0.") + QString(500, u'0') + QStringLiteral("1")), 0.0);
}

void TextRulesTest::localeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<bool>("numeric");
    QTest::newRow("whole") << "90" << QChar(u'.') << true;
    QTest::newRow("point locale fraction") << "22.5" << QChar(u'.') << true;
    QTest::newRow("point locale comma") << "22,5" << QChar(u'.') << false;
    QTest::newRow("comma locale comma") << "22,5" << QChar(u',') << true;
    QTest::newRow("comma locale point") << "22.5" << QChar(u',') << false;
    QTest::newRow("empty") << "" << QChar(u'.') << false;
    QTest::newRow("blank") << "  " << QChar(u'.') << false;
    QTest::newRow("letters") << "abc" << QChar(u'.') << false;
    QTest::newRow("trailing letters") << "90a" << QChar(u'.') << false;
    QTest::newRow("blanks around") << " 90 " << QChar(u'.') << true;
    QTest::newRow("blank inside") << "9 0" << QChar(u'.') << false;
    QTest::newRow("separator only") << "." << QChar(u'.') << false;
    QTest::newRow("two separators") << "1.2.3" << QChar(u'.') << false;
    QTest::newRow("minus") << "-10" << QChar(u'.') << true;
    QTest::newRow("plus") << "+10" << QChar(u'.') << true;
    QTest::newRow("sign only") << "-" << QChar(u'.') << false;
    QTest::newRow("exponent") << "1e2" << QChar(u'.') << true;
    QTest::newRow("exponent with sign") << "1E-2" << QChar(u'.') << true;
    QTest::newRow("exponent without digits") << "1e" << QChar(u'.') << false;
    QTest::newRow("nan") << "nan" << QChar(u'.') << false;
    QTest::newRow("huge") << "1e309" << QChar(u'.') << true;
}

void TextRulesTest::localeNumber()
{
    QFETCH(QString, text);
    QFETCH(QChar, point);
    QFETCH(bool, numeric);
    QCOMPARE(isLocaleNumber(text, point), numeric);
}

// A text that passes the numeric test in a point locale reads back as the
// number it shows, signs and exponents included.
void TextRulesTest::numericTextsReadAsTheyShow()
{
    const char *texts[] = {"90", "-10", "+10", "1e2", "1E-2", " 45 ", "22.5", ".5", "5."};
    for (const char *t : texts) {
        const QString text = QString::fromLatin1(t);
        QVERIFY2(isLocaleNumber(text, u'.'), t);
        QCOMPARE(calc::leadingValue(text), text.trimmed().toDouble());
    }
}

void TextRulesTest::formatGeneral_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 70.0 << QChar(u'.') << "70";
    QTest::newRow("fraction point") << 7.5 << QChar(u'.') << "7.5";
    QTest::newRow("fraction comma") << 7.5 << QChar(u',') << "7,5";
    QTest::newRow("negative") << -7.0 << QChar(u'.') << "-7";
    QTest::newRow("negative zero") << -0.0 << QChar(u'.') << "0";
    QTest::newRow("no grouping") << 1234567.0 << QChar(u',') << "1234567";
    QTest::newRow("fifteen digits") << 1.0 / 3.0 << QChar(u'.') << "0.333333333333333";
    QTest::newRow("no trailing zeros") << 2.50 << QChar(u'.') << "2.5";
    QTest::newRow("binary noise hidden") << 0.1 + 0.2 << QChar(u'.') << "0.3";
    QTest::newRow("large whole") << 123456789012345.0 << QChar(u'.') << "123456789012345";
    QTest::newRow("exponent above") << 1e20 << QChar(u'.') << "1E+20";
    QTest::newRow("exponent below") << 0.00001 << QChar(u'.') << "1E-05";
    QTest::newRow("small plain") << 0.0001 << QChar(u'.') << "0.0001";
    QTest::newRow("infinity empty") << std::numeric_limits<double>::infinity() << QChar(u'.') << "";
    QTest::newRow("nan empty") << std::numeric_limits<double>::quiet_NaN() << QChar(u'.') << "";
}

void TextRulesTest::formatGeneral()
{
    QFETCH(double, value);
    QFETCH(QChar, point);
    QFETCH(QString, text);
    QCOMPARE(calc::formatGeneral(value, point), text);
}

void TextRulesTest::rounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("down");
    QTest::addColumn<double>("halfEven");
    QTest::newRow("12.5") << 12.5 << 12.0 << 12.0;
    QTest::newRow("7.5") << 7.5 << 7.0 << 8.0;
    QTest::newRow("74.5") << 74.5 << 74.0 << 74.0;
    QTest::newRow("75.5") << 75.5 << 75.0 << 76.0;
    QTest::newRow("80.5") << 80.5 << 80.0 << 80.0;
    QTest::newRow("0.5") << 0.5 << 0.0 << 0.0;
    QTest::newRow("1.5") << 1.5 << 1.0 << 2.0;
    QTest::newRow("-2.5") << -2.5 << -3.0 << -2.0;
    QTest::newRow("-3.5") << -3.5 << -4.0 << -4.0;
    QTest::newRow("-6.02") << -6.02 << -7.0 << -6.0;
    QTest::newRow("95.99") << 95.99 << 95.0 << 96.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0 << 2.0;
    QTest::newRow("whole") << 6.0 << 6.0 << 6.0;
}

void TextRulesTest::rounding()
{
    QFETCH(double, value);
    QFETCH(double, down);
    QFETCH(double, halfEven);
    QCOMPARE(roundDown(value), down);
    QCOMPARE(roundHalfEven(value), halfEven);
}

void TextRulesTest::formatShare_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<QChar>("point");
    QTest::addColumn<QString>("text");
    // One cell of 100 000 is 0.001 %: neither the whole nor nothing.
    QTest::newRow("nothing") << 0.0 << QChar(u',') << "0,0";
    QTest::newRow("one cell of many") << 0.001 << QChar(u',') << "0,1";
    QTest::newRow("0.04 rounds to nothing") << 0.04 << QChar(u'.') << "0.1";
    QTest::newRow("0.05") << 0.05 << QChar(u',') << "0,1";
    QTest::newRow("0.06") << 0.06 << QChar(u',') << "0,1";
    QTest::newRow("0.16") << 0.16 << QChar(u',') << "0,2";
    QTest::newRow("half") << 50.0 << QChar(u',') << "50,0";
    QTest::newRow("87.44") << 87.44 << QChar(u',') << "87,4";
    QTest::newRow("99.94") << 99.94 << QChar(u',') << "99,9";
    QTest::newRow("99.95 rounds to the whole") << 99.95 << QChar(u',') << "99,9";
    QTest::newRow("99.998") << 99.998 << QChar(u',') << "99,9";
    QTest::newRow("all but one cell of 100 000") << 100.0 * 99999.0 / 100000.0 << QChar(u'.') << "99.9";
    QTest::newRow("the whole") << 100.0 << QChar(u',') << "100,0";
    QTest::newRow("the whole, point") << 100.0 << QChar(u'.') << "100.0";
    QTest::newRow("nan empty") << std::numeric_limits<double>::quiet_NaN() << QChar(u',') << "";
}

void TextRulesTest::formatShare()
{
    QFETCH(double, percent);
    QFETCH(QChar, point);
    QFETCH(QString, text);
    QCOMPARE(calc::formatShare(percent, point), text);
}

QTEST_APPLESS_MAIN(TextRulesTest)
#include "tst_calc_textrules.moc"
