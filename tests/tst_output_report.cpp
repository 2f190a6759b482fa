#include "output/report.h"
#include "reportbytes.h"

#include <QTest>

using namespace output;

namespace {

calc::CalcState ceilingState()
{
    calc::CalcState s;
    s.powerW = 6;
    s.sens = 88;
    s.dirDeg = 90;
    s.vDirDeg = 90;
    s.margin = 10;
    s.listenH = 150;
    s.noise = 60;
    s.mountH = 2.5;
    s.roomL = 6;
    s.roomW = 7.5;
    s.roomArea = 45;
    s.splTotal = 95;
    s.range = 12;
    s.coverS = 20;
    s.count = 3;
    return s;
}

QStringList ceilingLines()
{
    return {
        "ВХОДНЫЕ ДАННЫЕ",
        "_______________________________________________________________",
        "Наименование громкоговорителя                  -  ПРОЧИЕ",
        "Тип громкоговорителя                           -  Потолочный",
        "Мощность громкоговорителя, Вт                  -  6",
        "Чувствительность громковорителя, дБ            -  88",
        "Диаграмма направленности, Град                 -  90",
        "Уровень перекрытия шума, дБ                    -  10",
        "Высота точки прослушивания, см                 -  150",
        "Тип помещения                                  -  Офисы",
        "Уровень шума помещения, дБ                     -  60",
        "Высота   потолков, м                           -  2.5",
        "Длина   помещения, м                           -  6",
        "Ширина  помещения, м                           -  7.5",
        "Площадь помещения, м2                          -  45",
        "",
        "ВЫХОДНЫЕ ДАННЫЕ",
        "_______________________________________________________________",
        "Общее звуковое давление, дБ                    -  95",
        "Эффективная дальность, м                       -  12",
        "Озвучиваемая площадь, м2                       -  20",
        "Необходимое кол-во громкоговорителей           -  3",
        "",
        "----------------------------------------------------------------",
        "",
    };
}

calc::CalcState wallState()
{
    calc::CalcState s;
    s.powerW = 3;
    s.sens = 90;
    s.dirDeg = 120;
    s.vDirDeg = 90;
    s.margin = 6;
    s.listenH = 120.5;
    s.noise = 55;
    s.mountH = 2.75;
    s.roomL = 12;
    s.roomW = 4;
    s.roomArea = 48;
    s.splTotal = 94;
    s.range = 8;
    s.coverS = 14;
    s.count = 4;
    return s;
}

QStringList wallLines()
{
    return {
        "ВХОДНЫЕ ДАННЫЕ",
        "_______________________________________________________________",
        "Наименование громкоговорителя                  -  Модель 10Вт",
        "Тип громкоговорителя                           -  Настенный",
        "Мощность громкоговорителя, Вт                  -  3",
        "Чувствительность громковорителя, дБ            -  90",
        "Диаграмма направленности, Град                 -  120",
        "Уровень перекрытия шума, дБ                    -  6",
        "Высота точки прослушивания, см                 -  120.5",
        "Тип помещения                                  -  Коридоры",
        "Уровень шума помещения, дБ                     -  55",
        "Высота установки громкоговорителя, м -  2.75",
        "Длина   помещения, м                           -  12",
        "Ширина  помещения, м                           -  4",
        "Площадь помещения, м2                          -  48",
        "",
        "ВЫХОДНЫЕ ДАННЫЕ",
        "_______________________________________________________________",
        "Общее звуковое давление, дБ                    -  94",
        "Эффективная дальность, м                       -  8",
        "Озвучиваемая площадь, м2                       -  14",
        "Необходимое кол-во громкоговорителей           -  4",
        "",
        "----------------------------------------------------------------",
        "",
    };
}

calc::CalcState hornState()
{
    calc::CalcState s;
    s.powerW = 25;
    s.sens = 105;
    s.dirDeg = 60;
    s.vDirDeg = 40;
    s.margin = 10;
    s.listenH = 150;
    s.noise = 80;
    s.mountH = 6;
    s.roomL = 40;
    s.roomW = 20.3;
    s.roomArea = 812;
    s.splTotal = 119;
    s.range = 30;
    s.coverS = 251;
    s.count = 5;
    return s;
}

QStringList squareHornLines()
{
    return {
        "ВХОДНЫЕ ДАННЫЕ",
        "_______________________________________________________________",
        "Наименование громкоговорителя                  -  ПРОЧИЕ",
        "Тип громкоговорителя                           -  Рупорный",
        "Мощность громкоговорителя, Вт                  -  25",
        "Чувствительность громковорителя, дБ            -  105",
        "Диаграмма направленности горизонтальная, Град  -  60",
        "Диаграмма направленности вертикальная,   Град  -  40",
        "Уровень перекрытия шума, дБ                    -  10",
        "Высота точки прослушивания, см                 -  150",
        "Тип помещения                                  -  Цех",
        "Уровень шума помещения, дБ                     -  80",
        "Высота установки громкоговорителя, м -  6",
        "Длина   помещения, м                           -  40",
        "Ширина  помещения, м                           -  20.3",
        "Площадь помещения, м2                          -  812",
        "",
        "ВЫХОДНЫЕ ДАННЫЕ",
        "_______________________________________________________________",
        "Общее звуковое давление, дБ                    -  119",
        "Эффективная дальность, м                       -  30",
        "Озвучиваемая площадь, м2                       -  251",
        "Необходимое кол-во громкоговорителей           -  5",
        "",
        "----------------------------------------------------------------",
        "",
    };
}

// The round horn writes one directivity line where the square horn writes
// two; the rest of its block is the same.
QStringList roundHornLines()
{
    QStringList lines = squareHornLines();
    lines[6] = "Диаграмма направленности, Град                 -  60";
    lines.removeAt(7);
    return lines;
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void labelWidths();
    void block_data();
    void block();
    void blockShape_data();
    void blockShape();
    void firstLineBytes();
    void windows1251_data();
    void windows1251();
    void unencodableNames();
    void controlCharactersInNamesBecomeSpaces_data();
    void controlCharactersInNamesBecomeSpaces();
};

void ReportTest::labelWidths()
{
    QCOMPARE(label::FullWidth.size(), 19);
    for (const QString &l : label::FullWidth) {
        QVERIFY2(l.size() == 50, qPrintable(QStringLiteral("[%1] %2").arg(l).arg(l.size())));
        // The words, padding to 47 characters, "-" and two spaces.
        QVERIFY2(l.endsWith(QStringLiteral(" -  ")), qPrintable(l));
        QVERIFY2(l.indexOf(u'-', 40) == 47, qPrintable(l));
    }
    // The installation height: its words, one space, "-", two spaces.
    QCOMPARE(label::InstallHeight.size(), 40);
    QVERIFY(label::InstallHeight.endsWith(QStringLiteral("м -  ")));
}

void ReportTest::block_data()
{
    QTest::addColumn<calc::CalcState>("state");
    QTest::addColumn<int>("mounting");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("roomType");
    QTest::addColumn<QChar>("decimalPoint");
    QTest::addColumn<QStringList>("lines");

    const int ceiling = int(calc::Mounting::Ceiling);
    const int wall = int(calc::Mounting::Wall);
    const int round = int(calc::Mounting::RoundHorn);
    const int square = int(calc::Mounting::SquareHorn);

    // clang-format off
    QTest::newRow("ceiling, point") << ceilingState() << ceiling << "ПРОЧИЕ" << "Офисы"
                                    << QChar(u'.') << ceilingLines();
    // clang-format on
    QStringList lines = ceilingLines();
    lines[11] = "Высота   потолков, м                           -  2,5";
    lines[13] = "Ширина  помещения, м                           -  7,5";
    // clang-format off
    QTest::newRow("ceiling, comma") << ceilingState() << ceiling << "ПРОЧИЕ" << "Офисы"
                                    << QChar(u',') << lines;
    // clang-format on

    // clang-format off
    QTest::newRow("wall, point") << wallState() << wall << "Модель 10Вт" << "Коридоры"
                                 << QChar(u'.') << wallLines();
    // clang-format on
    lines = wallLines();
    lines[8] = "Высота точки прослушивания, см                 -  120,5";
    lines[11] = "Высота установки громкоговорителя, м -  2,75";
    // clang-format off
    QTest::newRow("wall, comma") << wallState() << wall << "Модель 10Вт" << "Коридоры"
                                 << QChar(u',') << lines;
    // clang-format on

    // clang-format off
    QTest::newRow("square horn, point") << hornState() << square << "ПРОЧИЕ" << "Цех"
                                        << QChar(u'.') << squareHornLines();
    // clang-format on
    lines = squareHornLines();
    lines[14] = "Ширина  помещения, м                           -  20,3";
    // clang-format off
    QTest::newRow("square horn, comma") << hornState() << square << "ПРОЧИЕ" << "Цех"
                                        << QChar(u',') << lines;
    // clang-format on

    // clang-format off
    QTest::newRow("round horn, point") << hornState() << round << "ПРОЧИЕ" << "Цех"
                                       << QChar(u'.') << roundHornLines();
    // clang-format on
}

void ReportTest::block()
{
    QFETCH(calc::CalcState, state);
    QFETCH(int, mounting);
    QFETCH(QString, model);
    QFETCH(QString, roomType);
    QFETCH(QChar, decimalPoint);
    QFETCH(QStringList, lines);

    const QByteArray bytes = reportBlock(state, calc::Mounting(mounting), model, roomType, decimalPoint);
    QCOMPARE(bytes, reportFileBytes(lines));
}

void ReportTest::blockShape_data()
{
    QTest::addColumn<int>("mounting");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("ceiling") << int(calc::Mounting::Ceiling) << 25;
    QTest::newRow("wall") << int(calc::Mounting::Wall) << 25;
    QTest::newRow("round horn") << int(calc::Mounting::RoundHorn) << 25;
    QTest::newRow("square horn") << int(calc::Mounting::SquareHorn) << 26;
}

void ReportTest::blockShape()
{
    QFETCH(int, mounting);
    QFETCH(int, lineCount);
    const QByteArray bytes = reportBlock(hornState(), calc::Mounting(mounting), QStringLiteral("ПРОЧИЕ"),
                                         QStringLiteral("Цех"), u',');
    // No byte-order mark, CR LF after every line including the last, no
    // lone CR or LF anywhere.
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.endsWith("\r\n\r\n"));
    QCOMPARE(bytes.count("\r\n"), lineCount);
    QCOMPARE(bytes.count('\r'), lineCount);
    QCOMPARE(bytes.count('\n'), lineCount);
    // One byte per character: the value after a full-width label starts at
    // byte 50 of its line (column 51), the installation height at byte 40.
    const QList<QByteArray> lines = bytes.split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(reportFileBytes({QStringLiteral("Высота установки")}).chopped(2)))
            QCOMPARE(line.indexOf(" -  "), 36);
        else if (line.contains(" -  "))
            QCOMPARE(line.indexOf(" -  "), 46);
    }
}

void ReportTest::firstLineBytes()
{
    // "ВХОДНЫЕ ДАННЫЕ" in the Cyrillic code page, byte by byte.
    const QByteArray bytes = reportBlock(ceilingState(), calc::Mounting::Ceiling, QStringLiteral("ПРОЧИЕ"),
                                         QStringLiteral("Офисы"), u'.');
    QCOMPARE(bytes.left(16).toHex(' '), QByteArray("c2 d5 ce c4 cd db c5 20 c4 c0 cd cd db c5 0d 0a"));
}

void ReportTest::windows1251_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("hex");
    // clang-format off
    QTest::newRow("ascii") << "GK-1 10W" << QByteArray("474b2d3120313057");
    QTest::newRow("cyrillic with yo") << "АЯаяЁё" << QByteArray("c0dfe0ffa8b8");
    QTest::newRow("ukrainian ghe") << "Ґґ" << QByteArray("a5b4");
    QTest::newRow("number sign euro dash") << "№€–" << QByteArray("b98896");
    QTest::newRow("no-break space") << QString(QChar(0xa0)) << QByteArray("a0");
    QTest::newRow("check mark") << "GK-1 ✓" << QByteArray("474b2d31203f");
    QTest::newRow("cjk letter") << "Зал 中" << QByteArray("c7e0eb203f");
    QTest::newRow("latin umlaut") << "ä" << QByteArray("3f");
    QTest::newRow("emoji is one character") << "a😀b" << QByteArray("613f62");
    QTest::newRow("lone surrogate") << QString(QChar(0xd800)) + u'x' << QByteArray("3f78");
    QTest::newRow("question mark itself") << "?" << QByteArray("3f");
    QTest::newRow("empty") << "" << QByteArray();
    // clang-format on
}

void ReportTest::windows1251()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, hex);
    QCOMPARE(toWindows1251(text).toHex(), hex);
}

void ReportTest::unencodableNames()
{
    // A name typed into a combo with characters outside the code page: each
    // such character is written as "?", never as a control byte.
    const QByteArray bytes = reportBlock(ceilingState(), calc::Mounting::Ceiling, QStringLiteral("GK-1 ✓"),
                                         QStringLiteral("Зал 中"), u'.');
    QStringList lines = ceilingLines();
    lines[2] = "Наименование громкоговорителя                  -  GK-1 ?";
    lines[9] = "Тип помещения                                  -  Зал ?";
    QCOMPARE(bytes, reportFileBytes(lines));
    QVERIFY(!bytes.contains('\x1a'));
}

void ReportTest::controlCharactersInNamesBecomeSpaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::newRow("CR LF") << QStringLiteral("GK-1\r\nвторая строка")
                           << QStringLiteral("GK-1  вторая строка");
    QTest::newRow("bare LF") << QStringLiteral("Цех\n5") << QStringLiteral("Цех 5");
    QTest::newRow("tab") << QStringLiteral("Зал\tА") << QStringLiteral("Зал А");
    QTest::newRow("escape, DEL and C1") << QStringLiteral("a\x1b\x7f\u0085b") << QStringLiteral("a   b");
}

// A pasted name with line breaks or tabs stays on its one report line: each
// control character is written as one space, and every line ends in CR LF.
void ReportTest::controlCharactersInNamesBecomeSpaces()
{
    QFETCH(QString, name);
    QFETCH(QString, written);
    const QByteArray clean = reportBlock(ceilingState(), calc::Mounting::Ceiling, QStringLiteral("KE-1"),
                                         QStringLiteral("Офисы"), u'.');
    const QByteArray bytes = reportBlock(ceilingState(), calc::Mounting::Ceiling, name, name, u'.');
    QCOMPARE(bytes.count('\n'), clean.count('\n'));
    QCOMPARE(bytes.count("\r\n"), clean.count("\r\n"));
    QVERIFY(!bytes.contains('\t'));
    QVERIFY(bytes.contains(toWindows1251(QStringLiteral("-  ") + written + QStringLiteral("\r\n"))));
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), clean.split('\n').size());
}

QTEST_APPLESS_MAIN(ReportTest)
#include "tst_output_report.moc"
