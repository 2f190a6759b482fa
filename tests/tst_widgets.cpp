// The shared widgets on their own: result labels that never show a cut
// figure, buttons that Enter presses, choice combos whose arrow keys start
// from the shown entry, and the comma of the numeric key filter.

#include "widgets/accessibility.h"
#include "widgets/commandbutton.h"
#include "widgets/keyfilter.h"
#include "widgets/look.h"
#include "widgets/resultlabel.h"

#include <QAccessible>
#include <QComboBox>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

class WidgetsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { a11y::installAccessibility(); }
    void resultLabelShowsWholeFigures_data();
    void resultLabelShowsWholeFigures();
    void resultLabelTooltipCarriesTheWholeFigure();
    void enterPressesAButton_data();
    void enterPressesAButton();
    void arrowsStepFromTheShownEntry();
    void commaEntersAPointWhereFractionsAreTaken();
};

void WidgetsTest::resultLabelShowsWholeFigures_data()
{
    QTest::addColumn<QString>("figure");
    QTest::addColumn<bool>("shrinks");
    QTest::addColumn<bool>("elided");
    QTest::newRow("short, designed font") << "95" << false << false;
    QTest::newRow("twelve digits shrink") << "562341325191" << true << false;
    QTest::newRow("exponent form is elided") << "3,31143175648065E+23" << true << true;
}

// In the box of the main window's results (73 x 25 px, 9.75 pt bold) a
// figure shows whole in a smaller font, or ends in "…"; it is never cut.
void WidgetsTest::resultLabelShowsWholeFigures()
{
    QFETCH(QString, figure);
    QFETCH(bool, shrinks);
    QFETCH(bool, elided);
    QWidget parent;
    auto *label = static_cast<ResultLabel *>(resultLabel(&parent, "LblD", 9.75));
    label->setGeometry(0, 0, 73, 25);
    label->setText(figure);

    const QString shown = label->shownText();
    const QFont font = label->shownFont();
    QCOMPARE(font.pointSizeF() < 9.75, shrinks);
    QCOMPARE(shown != figure, elided);
    if (elided) {
        QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
        QVERIFY(figure.startsWith(shown.chopped(1)));
        QCOMPARE(font.pointSizeF(), ResultLabel::SmallestPoints);
    }
    QVERIFY(QFontMetrics(font).horizontalAdvance(shown) <= label->contentsRect().width());
    // The label, and what a screen reader reads, keep the whole figure.
    QCOMPARE(label->text(), figure);
    QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), figure);
    // A shorter figure afterwards gets the designed font back.
    label->setText(QStringLiteral("2"));
    QCOMPARE(label->shownFont().pointSizeF(), 9.75);
    QCOMPARE(label->shownText(), QStringLiteral("2"));
}

void WidgetsTest::resultLabelTooltipCarriesTheWholeFigure()
{
    QWidget window;
    window.resize(200, 100);
    auto *label = resultLabel(&window, "LblD", 9.75);
    label->setGeometry(0, 0, 73, 25);
    label->setText(QStringLiteral("3,31143175648065E+23"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), label->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(label, &help);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("3,31143175648065E+23"));
    QToolTip::hideText();
}

void WidgetsTest::enterPressesAButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::newRow("Return") << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 1;
    QTest::newRow("Space") << int(Qt::Key_Space) << 1;
    QTest::newRow("a letter") << int(Qt::Key_A) << 0;
}

void WidgetsTest::enterPressesAButton()
{
    QFETCH(int, key);
    QFETCH(int, presses);
    QWidget window;
    QPushButton *button = commandButton(&window, "CmdRkl", QStringLiteral("РАСЧИТАТЬ"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    int pressed = 0;
    connect(button, &QPushButton::clicked, this, [&pressed] { ++pressed; });
    button->setFocus();
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(button, Qt::Key(key), modifiers);
    QCOMPARE(pressed, presses);
    // A disabled button is not pressed.
    button->setEnabled(false);
    QTest::keyClick(button, Qt::Key(key), modifiers);
    QCOMPARE(pressed, presses);
}

void WidgetsTest::arrowsStepFromTheShownEntry()
{
    QWidget window;
    QComboBox *combo = look::choiceCombo(&window, "CmbOn", look::font(9, true));
    look::fillChoiceCombo(combo, QStringLiteral("C"), {"A", "B", "C", "D"});
    QStringList chosen;
    connect(combo, &QComboBox::activated, this, [&](int i) { chosen << combo->itemText(i); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    combo->setFocus();
    QCOMPARE(combo->currentIndex(), -1);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Up);
    QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(chosen, (QStringList{"D", "C", "B"}));
    // A typed text that is an entry: the keys start there.
    combo->setEditText(QStringLiteral("A"));
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(chosen.last(), QStringLiteral("B"));
}

void WidgetsTest::commaEntersAPointWhereFractionsAreTaken()
{
    QWidget window;
    auto *fraction = new QLineEdit(&window);
    auto *whole = new QLineEdit(&window);
    int effects = 0;
    NumericKeyFilter::install(fraction, true, [&effects] { ++effects; });
    NumericKeyFilter::install(whole, false, [] {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    fraction->setFocus();
    QTest::keyClicks(fraction, QStringLiteral("2,5"));
    QCOMPARE(fraction->text(), QStringLiteral("2.5"));
    QVERIFY(effects >= 3);
    whole->setFocus();
    QTest::keyClicks(whole, QStringLiteral("2,5"));
    QCOMPARE(whole->text(), QStringLiteral("25"));
}

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
