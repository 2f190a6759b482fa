// The "Линия" window as the user and a screen reader meet it: fields and
// captions, figures that follow every change, both decimal separators, the
// status line and the check group.
#include "line/linewindow.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using Fields = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(line::CalculationFigures)

namespace {

const QLocale Russian(QLocale::Russian, QLocale::Russia);
const char *const Outputs[]
    = {"lblLineTotalPower", "lblLineLoad",         "lblLineWires",   "lblLineLossAtLast", "lblLineVoltage",
       "lblLineCableLoss",  "lblLineLeastSection", "lblLineLongest", "lblLineAmplifier"};

line::CalculationFigures startUp()
{
    return line::CalculationFigures{true, 10, 6, 95, 70, 10, calc::Mounting::Wall, 3, 1.5};
}

QLabel *label(const QWidget &window, const QString &name)
{
    auto *found = window.findChild<QLabel *>(name);
    if (!found)
        qFatal("no label %s", qPrintable(name));
    return found;
}

QString textOf(const QWidget &window, const QString &name)
{
    return label(window, name)->text();
}

// The edit field a user types into: the box itself or the list's editor.
QLineEdit *editor(const QWidget &window, const QString &name)
{
    if (auto *combo = window.findChild<QComboBox *>(name))
        return combo->lineEdit();
    return window.findChild<QLineEdit *>(name);
}

void type(const QWidget &window, const QString &name, const QString &text)
{
    // The voltage is picked from its list, not typed.
    if (auto *combo = window.findChild<QComboBox *>(name); combo && !combo->isEditable()) {
        combo->setCurrentIndex(combo->findText(text));
        return;
    }
    QLineEdit *box = editor(window, name);
    box->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Delete);
    else if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 128; }))
        QTest::keyClicks(box, text);
    else
        box->insert(text); // Qt Test has no keys for Cyrillic letters
}

QString announced(QWidget *widget, QAccessible::Text which)
{
    return QAccessible::queryAccessibleInterface(widget)->text(which);
}

QColor textColour(const QWidget &window, const QString &name)
{
    return label(window, name)->palette().color(QPalette::WindowText);
}

// The plain colour of text on a window: neither met nor failed.
QColor plainColour()
{
    return QApplication::palette().color(QPalette::WindowText);
}

// The start-up calculation with another sound pressure, noise and margin.
line::CalculationFigures calculation(double splTotal, double noise, double margin)
{
    line::CalculationFigures figures = startUp();
    figures.splTotal = splTotal;
    figures.noise = noise;
    figures.margin = margin;
    return figures;
}

} // namespace

class LineWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(Russian); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void fields_data();
    void fields();
    void firstExample_data();
    void firstExample();
    void followsEveryChange();
    void invalidInputs_data();
    void invalidInputs();
    void check();
    void checkFollowsTheLine_data();
    void checkFollowsTheLine();
    void unitsStayWithTheirNumbers();
    void newRowsDoNotSqueezeTheFields();
};

void LineWindowTest::fields_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    struct Field {
        const char *tag, *name, *caption, *text;
    };
    const Field fields[] = {
        {"voltage", "cmbLineU", "Напряжение линии, В", "100"},
        {"count", "txtLineCount", "Количество громкоговорителей", "1"},
        {"power", "txtLinePower", "Мощность громкоговорителя на отводе, Вт", ""},
        {"first", "txtLineFirst", "Длина до первого громкоговорителя, м", "10"},
        {"last", "txtLineLast", "Длина до последнего громкоговорителя, м", "50"},
        {"section", "cmbLineSection", "Сечение жилы, мм²", "0,75"},
        {"allowed loss", "txtLineLoss", "Допустимые потери, дБ", "1"},
        {"headroom", "txtLineHeadroom", "Запас мощности усилителя, %", "25"},
    };
    for (const Field &f : fields)
        QTest::newRow(f.tag) << QString(f.name) << QString(f.caption) << QString(f.text);
}

void LineWindowTest::fields()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    LineWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Потери на проводах и усилитель"));
    QVERIFY(window.isWindow());

    auto *field = window.findChild<QWidget *>(name);
    QVERIFY(field);
    QCOMPARE(field->accessibleName(), caption);
    auto *combo = qobject_cast<QComboBox *>(field);
    QCOMPARE(combo ? combo->currentText() : editor(window, name)->text(), text);
    // The field (and the editor of the editable list) is announced by its
    // caption, not by what it shows; the caption is its label too.
    QCOMPARE(announced(field, QAccessible::Name), caption);
    if (QLineEdit *box = editor(window, name))
        QCOMPARE(announced(box, QAccessible::Name), caption);
    const auto labels = QAccessible::queryAccessibleInterface(field)->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    auto *heading = qobject_cast<QLabel *>(labels.first().first->object());
    QVERIFY(heading);
    QCOMPARE(heading->text(), caption);
    QCOMPARE(heading->buddy(), field);

    // Every object name the tests and the main window look for is unique.
    QStringList names;
    for (const QObject *object : window.findChildren<QWidget *>())
        if (!object->objectName().isEmpty() && !object->objectName().startsWith("qt_"))
            names << object->objectName();
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), names.size());
}

void LineWindowTest::firstExample_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QStringList>("figures");
    QTest::newRow("Russian") << Russian << "," << QStringList{"60",  "166,7", "1,40", "0,07", "99,2",
                                                              "0,6", "0,35",  "861",  "75"};
    QTest::newRow("C") << QLocale::c() << "."
                       << QStringList{"60", "166.7", "1.40", "0.07", "99.2", "0.6", "0.35", "861", "75"};
}

void LineWindowTest::firstExample()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, point);
    QFETCH(QStringList, figures);
    QLocale::setDefault(locale);
    LineWindow window;
    window.setStartValues(10, 6);
    for (int i = 0; i < 9; ++i) {
        QLabel *value = label(window, Outputs[i]);
        QCOMPARE(value->text(), figures[i]);
        QCOMPARE(announced(value, QAccessible::Name), figures[i]);
        // Described by the caption shown beside it.
        const QString caption = textOf(window, QStringLiteral("cap") + QString(Outputs[i]).mid(3));
        QCOMPARE(announced(value, QAccessible::Description), caption);
    }
    QCOMPARE(textOf(window, "lblLineVerdict"), QStringLiteral("Потери в норме"));
    QCOMPARE(textOf(window, "lblLineStatus"), QString());

    // The list shows the locale's separator; both are read in every locale.
    auto *sections = window.findChild<QComboBox *>("cmbLineSection");
    QCOMPARE(sections->currentText(), "0" + point + "75");
    QCOMPARE(sections->itemText(4), "1" + point + "5");
    for (const QString typed : {"1,5", "1.5"}) {
        type(window, "cmbLineSection", typed);
        QCOMPARE(textOf(window, "lblLineWires"), "0" + point + "70");
    }
}

void LineWindowTest::followsEveryChange()
{
    LineWindow window;
    window.setStartValues(10, 6);
    // Towards the second worked example, one field at a time, no button.
    type(window, "txtLineCount", "40");
    QCOMPARE(textOf(window, "lblLineTotalPower"), QStringLiteral("240"));
    type(window, "txtLineFirst", "20");
    type(window, "txtLineLast", "300");
    QCOMPARE(textOf(window, "lblLineWires"), QStringLiteral("7,47"));
    type(window, "cmbLineSection", "0,5");
    QCOMPARE(textOf(window, "lblLineLossAtLast"), QStringLiteral("2,07"));
    QCOMPARE(textOf(window, "lblLineVerdict"),
             QStringLiteral("Потери больше допустимых: нужно сечение не менее 1,5\u00A0мм² или линия не "
                            "длиннее 125\u00A0м"));
    window.findChild<QComboBox *>("cmbLineU")->setCurrentIndex(1);
    QCOMPARE(textOf(window, "lblLineLoad"), QStringLiteral("20,4"));
    window.findChild<QComboBox *>("cmbLineU")->setCurrentIndex(0);
    // Picking 1.5 mm2 from the list; Enter after a typed section keeps the
    // list of sections on sale as it is.
    auto *sections = window.findChild<QComboBox *>("cmbLineSection");
    sections->setCurrentIndex(4);
    QCOMPARE(textOf(window, "lblLineVerdict"), QStringLiteral("Потери в норме"));
    type(window, "cmbLineSection", "3");
    QTest::keyClick(sections->lineEdit(), Qt::Key_Return);
    QCOMPARE(sections->count(), 9);
    // A huge but finite figure keeps to a short general form.
    type(window, "txtLineLast", "1e200");
    QCOMPARE(textOf(window, "lblLineWires"), QStringLiteral("5,83333333333333E+197"));
}

void LineWindowTest::invalidInputs_data()
{
    QTest::addColumn<Fields>("typed");
    QTest::addColumn<QString>("status");
    const QString count = QStringLiteral("Введите количество громкоговорителей");
    const QString power = QStringLiteral("Введите мощность громкоговорителя на отводе");
    const QString last = QStringLiteral("Введите длину до последнего громкоговорителя");
    const QString first
        = QStringLiteral("Длина до первого громкоговорителя должна быть от 0 до длины до последнего");
    const QString section = QStringLiteral("Введите сечение жилы");
    const QString loss = QStringLiteral("Введите допустимые потери");
    const QString headroom = QStringLiteral("Введите запас мощности усилителя");
    QTest::newRow("count fractional") << Fields{{"txtLineCount", "2,5"}} << count;
    QTest::newRow("power 0") << Fields{{"txtLinePower", "0"}} << power;
    QTest::newRow("last length empty") << Fields{{"txtLineLast", ""}} << last;
    QTest::newRow("first beyond last") << Fields{{"txtLineFirst", "50,5"}} << first;
    QTest::newRow("section text") << Fields{{"cmbLineSection", "медь"}} << section;
    QTest::newRow("allowed loss 0") << Fields{{"txtLineLoss", "0"}} << loss;
    QTest::newRow("headroom negative") << Fields{{"txtLineHeadroom", "-5"}} << headroom;
    QTest::newRow("headroom beyond a double")
        << Fields{{"txtLineHeadroom", "1,7e308"}, {"txtLinePower", "100"}} << headroom;
    // Several at once: the first in field order is named; the last length
    // is checked before the first one is compared with it.
    QTest::newRow("count before power") << Fields{{"txtLinePower", ""}, {"txtLineCount", "0"}} << count;
    QTest::newRow("last before first") << Fields{{"txtLineFirst", "-3"}, {"txtLineLast", "0"}} << last;
}

void LineWindowTest::invalidInputs()
{
    QFETCH(Fields, typed);
    QFETCH(QString, status);
    LineWindow window;
    window.showCalculation(startUp());
    QCOMPARE(textOf(window, "lblLineStatus"), QString());
    for (const auto &[name, text] : typed)
        type(window, name, text);
    QCOMPARE(textOf(window, "lblLineStatus"), status);
    QCOMPARE(announced(label(window, "lblLineStatus"), QAccessible::Name), status);
    // Every figure is empty and announced as empty, not by a neighbour.
    for (const char *name : Outputs) {
        QCOMPARE(textOf(window, name), QString());
        QCOMPARE(announced(label(window, name), QAccessible::Name), QString());
    }
    QCOMPARE(textOf(window, "lblLineVerdict"), QString());
    // The rows that need the loss of the line have no value and no verdict;
    // a screen reader hears every cell, the empty value as empty, described
    // by what the row checks. The highest level needs no line.
    const QStringList rules{"не менее 75", "не менее 15"};
    for (int i = 0; i < 2; ++i) {
        const QString n = QString::number(i);
        QLabel *what = label(window, "lblCheckWhat" + n);
        QLabel *value = label(window, "lblCheckValue" + n);
        QLabel *rule = label(window, "lblCheckRule" + n);
        QLabel *result = label(window, "lblCheckResult" + n);
        QCOMPARE(announced(what, QAccessible::Name), what->text());
        QCOMPARE(value->text(), QString());
        QVERIFY(!value->isHidden());
        QCOMPARE(announced(value, QAccessible::Name), QString());
        QCOMPARE(announced(value, QAccessible::Description), what->text().simplified());
        QCOMPARE(announced(rule, QAccessible::Name), rules[i]);
        QCOMPARE(result->text(), QStringLiteral("нет данных"));
        QCOMPARE(announced(result, QAccessible::Name), QStringLiteral("нет данных"));
        QCOMPARE(announced(result, QAccessible::Description), what->text().simplified() + "; " + rules[i]);
        QCOMPARE(textColour(window, "lblCheckResult" + n), plainColour());
    }
    QCOMPARE(textOf(window, "lblCheckValue2"), QStringLiteral("91,5"));
    QCOMPARE(textOf(window, "lblCheckResult2"), QStringLiteral("выполнено"));
}

void LineWindowTest::check()
{
    LineWindow window;
    window.setStartValues(1, 3);
    window.show();
    auto *group = window.findChild<QGroupBox *>("grpLineCheck");
    QCOMPARE(group->title(), QStringLiteral("Проверка по СП 3.13130.2009"));
    QCOMPARE(group->accessibleName(), group->title());
    QCOMPARE(textOf(window, "lblCheckNone"), QStringLiteral("Вначале произведите расчет"));
    QCOMPARE(group->findChildren<QLabel *>().size(), 1);

    // A calculation that did not complete changes nothing.
    line::CalculationFigures stopped = startUp();
    stopped.completed = false;
    window.showCalculation(stopped);
    QCOMPARE(editor(window, "txtLineCount")->text(), QStringLiteral("1"));

    // The start-up calculation brings its count, tapped power and rows.
    window.showCalculation(startUp());
    QCOMPARE(editor(window, "txtLineCount")->text(), QStringLiteral("10"));
    QCOMPARE(editor(window, "txtLinePower")->text(), QStringLiteral("6"));
    QVERIFY(!label(window, "lblCheckNone")->isVisible());
    // 80 - 0.07 - 70 over the noise at the last loudspeaker.
    const QStringList values{"85,4", "9,9", "91,5"};
    const QStringList rules{"не менее 75", "не менее 15", "не более 120"};
    const QStringList results{"выполнено", "не выполнено", "выполнено"};
    for (int i = 0; i < 3; ++i) {
        const QString n = QString::number(i);
        const QString what = textOf(window, "lblCheckWhat" + n);
        QCOMPARE(textOf(window, "lblCheckValue" + n), values[i]);
        QCOMPARE(announced(label(window, "lblCheckValue" + n), QAccessible::Description), what.simplified());
        QCOMPARE(textOf(window, "lblCheckRule" + n), rules[i]);
        QLabel *result = label(window, "lblCheckResult" + n);
        QCOMPARE(announced(result, QAccessible::Name), results[i]);
        // The verdict alone tells the whole row.
        QCOMPARE(announced(result, QAccessible::Description),
                 QStringList({what.simplified(), values[i], rules[i]}).join("; "));
    }
    const QColor failed = textColour(window, "lblCheckResult1");
    QVERIFY(textColour(window, "lblCheckResult0") != failed);
    QVERIFY(failed != plainColour());

    // The 3 m level follows the loss of the line (2.07 dB here).
    type(window, "txtLineCount", "40");
    type(window, "txtLineFirst", "20");
    type(window, "txtLineLast", "300");
    type(window, "cmbLineSection", "0,5");
    QCOMPARE(announced(label(window, "lblCheckValue0"), QAccessible::Name), QStringLiteral("83,4"));

    // Notices come with a loud room and a low wall loudspeaker, and go.
    line::CalculationFigures loud = startUp();
    loud.noise = 100;
    loud.mountH = 2;
    window.showCalculation(loud);
    QCOMPARE(textOf(window, "lblCheckWhat3"),
             QStringLiteral("Шум выше 95\u00A0дБА: звуковые оповещатели дополните световыми"));
    // Light alarms are asked for in the plain colour: the program cannot
    // find them met or not.
    QCOMPARE(textOf(window, "lblCheckResult3"), QStringLiteral("требуется"));
    QCOMPARE(textColour(window, "lblCheckResult3"), plainColour());
    QCOMPARE(textOf(window, "lblCheckWhat4"),
             QStringLiteral("Настенный оповещатель: высота установки не менее 2,3\u00A0м"));
    QCOMPARE(textOf(window, "lblCheckResult4"), QStringLiteral("не выполнено"));
    QCOMPARE(textColour(window, "lblCheckResult4"), failed);
    QVERIFY(!label(window, "lblCheckRule4")->isVisible());
    loud.mounting = calc::Mounting::Ceiling;
    window.showCalculation(loud);
    QVERIFY(label(window, "lblCheckWhat3")->isVisible());
    QVERIFY(!label(window, "lblCheckWhat4")->isVisible());
}

void LineWindowTest::checkFollowsTheLine_data()
{
    // The first two rows read the loss at the last loudspeaker; without it
    // they have no figure and no verdict.
    QTest::addColumn<line::CalculationFigures>("figures");
    QTest::addColumn<Fields>("typed");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("results");
    const QString met = QStringLiteral("выполнено");
    const QString notMet = QStringLiteral("не выполнено");
    const QString noData = QStringLiteral("нет данных");
    // ΔL = 7.15 dB: the 15 dB margin chosen is 7.8 dB at the last one.
    const Fields thirtyVolts{{"cmbLineU", "30"},    {"txtLineCount", "46"}, {"txtLinePower", "10"},
                             {"txtLineFirst", "0"}, {"txtLineLast", "50"},  {"cmbLineSection", "0,35"}};
    QTest::newRow("30 V, 46 x 10 W") << calculation(100, 70, 15) << thirtyVolts << QStringList{"83,3", "7,8"}
                                     << QStringList{met, notMet};
    // ΔL = 2.07 dB takes 85 dB at 1 m below 75 dB at 3 m.
    const Fields fortyLoudspeakers{
        {"txtLineCount", "40"}, {"txtLineFirst", "20"}, {"txtLineLast", "300"}, {"cmbLineSection", "0,5"}};
    QTest::newRow("40 x 6 W") << calculation(85, 60, 20) << fortyLoudspeakers << QStringList{"73,4", "17,9"}
                              << QStringList{notMet, met};
    QTest::newRow("count emptied") << calculation(85, 60, 20)
                                   << fortyLoudspeakers + Fields{{"txtLineCount", ""}} << QStringList{"", ""}
                                   << QStringList{noData, noData};
    QTest::newRow("count not a number")
        << calculation(85, 60, 20) << fortyLoudspeakers + Fields{{"txtLineCount", "abc"}}
        << QStringList{"", ""} << QStringList{noData, noData};
}

void LineWindowTest::checkFollowsTheLine()
{
    QFETCH(line::CalculationFigures, figures);
    QFETCH(Fields, typed);
    QFETCH(QStringList, values);
    QFETCH(QStringList, results);
    LineWindow window;
    window.showCalculation(figures);
    for (const auto &[name, text] : typed)
        type(window, name, text);
    QCOMPARE(QStringList({textOf(window, "lblCheckValue0"), textOf(window, "lblCheckValue1")}), values);
    QCOMPARE(QStringList({textOf(window, "lblCheckResult0"), textOf(window, "lblCheckResult1")}), results);
}

void LineWindowTest::unitsStayWithTheirNumbers()
{
    // No text of the window lets a unit wrap away from its number: in a
    // loss over the limit with and without a shorter line, a loud room
    // with a low wall loudspeaker, and a line without figures.
    const QRegularExpression parted(QStringLiteral("\\d (мм²|м|дБА|дБ|Вт|В|Ом|%)(?!\\p{L})"));
    QVERIFY(parted.isValid());
    line::CalculationFigures loud = startUp();
    loud.noise = 100;
    loud.mountH = 2;
    LineWindow window;
    window.showCalculation(loud);
    const Fields states[] = {
        {{"txtLineCount", "40"}, {"txtLineFirst", "20"}, {"txtLineLast", "300"}, {"cmbLineSection", "0,5"}},
        {{"txtLineCount", "100"}, {"txtLinePower", "10"}, {"txtLineFirst", "200"}, {"txtLineLast", "1000"}},
        {{"txtLineCount", ""}},
    };
    int checkedUnits = 0;
    for (const Fields &state : states) {
        for (const auto &[name, text] : state)
            type(window, name, text);
        for (const QLabel *shown : window.findChildren<QLabel *>()) {
            const QRegularExpressionMatch match = parted.match(shown->text());
            QVERIFY2(!match.hasMatch(), qPrintable(shown->objectName() + ": " + shown->text()));
            checkedUnits += int(shown->text().count(QChar(0x00A0)));
        }
    }
    // The verdicts and the check's texts were there to be read.
    QVERIFY(checkedUnits >= 10);
}

void LineWindowTest::newRowsDoNotSqueezeTheFields()
{
    LineWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Five rows and a two-line verdict appear after the window is open.
    line::CalculationFigures loud = startUp();
    loud.count = 40;
    loud.noise = 100;
    loud.mountH = 2;
    window.showCalculation(loud);
    type(window, "txtLineLast", "300");
    type(window, "cmbLineSection", "0,5");
    for (QWidget *field : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLineEdit *>(field) || qobject_cast<QComboBox *>(field))
            QVERIFY2(field->height() >= field->sizeHint().height(), qPrintable(field->objectName()));
    }
}

QTEST_MAIN(LineWindowTest)
#include "tst_line_window.moc"
