#include "calcinputs.h"
#include "finishedcalculation.h"

#include "calc/calculation.h"
#include "calc/textrules.h"

#include <QElapsedTimer>
#include <QTest>
#include <random>

using namespace calc;

namespace {

// Texts an engineer, a slip of the hand or a paste could leave in a field.
class HostileTexts {
public:
    explicit HostileTexts(unsigned seed) : m_random(seed) { }

    QString next()
    {
        static const char *fixed[] = {
            "",           " ",          "   ",
            "0",          "00",         "0.0",
            ".",          "..",         "1..2",
            "-",          "+",          "-0",
            "1e309",      "-1e309",     "1e-400",
            "nan",        "NaN",        "inf",
            "-inf",       "1e",         "e5",
            "12abc",      "abc",        "десять",
            "1,5",        "22,5",       "2147483647",
            "2147483648", "4294967296", "-2147483649",
            "32757",      "32758",      "1.7976931348623157e308",
            "4.9e-324",   "10",         "180",
            "9.9",        "180.1",      "0",
            "90",         "90.5",       "3",
            "30",         "2",          "31",
            "120",        "300",        "119",
            "301",        "150",        "1",
            "2.5",        "0.5",        "0.4",
            "0.6",        "6",          "88",
            "70",         "3",          "36",
            "45",         "68",         "80",
            "40",         "60",         "170",
            "5",          "1000",       "100000",
            "1e15",       "1e16",       "-5",
            "+6",         " 7 ",        "1 2",
            "\t3\n",      "1.2.3",      "0x10",
            "&H10",       "１２",
        };
        switch (m_random() % 5) {
        case 0:
        case 1: return QString::fromUtf8(fixed[m_random() % std::size(fixed)]);
        case 2: return digits(1 + m_random() % 400);
        case 3: return digits(1 + m_random() % 6) + "." + digits(1 + m_random() % 6);
        default: return noise(1 + m_random() % 12);
        }
    }

    unsigned pick(unsigned n) { return m_random() % n; }

private:
    QString digits(unsigned n)
    {
        QString s;
        for (unsigned i = 0; i < n; ++i)
            s += QChar(char16_t(u'0' + m_random() % 10));
        return s;
    }

    QString noise(unsigned n)
    {
        static const QString alphabet = QStringLiteral("0123456789..,,--++eE  abzАЯ\t");
        QString s;
        for (unsigned i = 0; i < n; ++i)
            s += alphabet[m_random() % alphabet.size()];
        return s;
    }

    std::mt19937 m_random;
};

} // namespace

class HostileInputTest : public QObject {
    Q_OBJECT
private slots:
    void everyCalculationStopsOrShowsWholeFiniteResults();
};

void HostileInputTest::everyCalculationStopsOrShowsWholeFiniteResults()
{
    const int cases = 120000;
    HostileTexts texts(20261208);
    CalcState state; // carried from case to case, as in the window
    const CalcInputs sane = startupInputs();
    int completed = 0;
    QElapsedTimer timer;
    timer.start();

    for (int i = 0; i < cases; ++i) {
        CalcInputs in;
        // Mostly one hostile field among sane ones, sometimes all hostile,
        // so that every step of the calculation is reached.
        const bool allHostile = texts.pick(4) == 0;
        const unsigned hostile = texts.pick(12);
        for (unsigned f = 0; f < 12; ++f) {
            QString CalcInputs::*text = textInputs[f].text;
            in.*text = (allHostile || f == hostile || texts.pick(6) == 0) ? texts.next() : sane.*text;
        }
        in.mounting = Mounting(texts.pick(4));
        const unsigned tap = texts.pick(4);
        if (tap > 0)
            in.tapMember = int(tap);
        in.decimalPoint = texts.pick(2) ? QChar(u'.') : QChar(u',');
        state.areaFromLW = texts.pick(2);

        const Outcome outcome = calculate(in, state);

        const QString broken = finished::brokenRule(outcome, state, in.mounting, in.decimalPoint);
        QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("case %1: ").arg(i) + broken));
        if (outcome.completed)
            ++completed;
    }
    qInfo("%d hostile cases, %d completed, %lld ms", cases, completed, timer.elapsed());
    QVERIFY(completed > cases / 20);
    QVERIFY(completed < cases);
}

QTEST_APPLESS_MAIN(HostileInputTest)
#include "tst_calc_hostile.moc"
