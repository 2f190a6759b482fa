// The shared widgets on their own: result labels that never show a cut
// figure, buttons that Enter presses, choice combos whose arrow keys start
// from the shown entry, the comma of the numeric key filter, and how a
// screen reader finds a combo's entries and a value it may copy.

#include "widgets/accessibility.h"
#include "widgets/commandbutton.h"
#include "widgets/keyfilter.h"
#include "widgets/look.h"
#include "widgets/resultlabel.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
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
    void comboListsItsEntriesWithTheShownOneSelected_data();
    void comboListsItsEntriesWithTheShownOneSelected();
    void copyableValueIsReachedByTabAndCopied();
};

namespace {

QString announced(QWidget *widget, QAccessible::Text which = QAccessible::Name)
{
    return QAccessible::queryAccessibleInterface(widget)->text(which);
}

enum class ComboKind { ChoiceCombo, FixedCombo };

QComboBox *makeCombo(ComboKind kind, QWidget *parent)
{
    switch (kind) {
    case ComboKind::ChoiceCombo: {
        QComboBox *combo = look::choiceCombo(parent, "CmbSection", look::font(9, false));
        look::fillChoiceCombo(combo, QStringLiteral("0,75"), {"0,5", "0,75", "1"});
        return combo;
    }
    case ComboKind::FixedCombo: {
        auto *combo = new QComboBox(parent);
        combo->addItems({"100", "70", "30"});
        return combo;
    }
    }
    return nullptr;
}

// The entries a screen reader finds in the combo's list, and the selected
// ones among them.
QPair<QStringList, QStringList> listedEntries(QComboBox *combo)
{
    QCoreApplication::processEvents();
    QStringList entries;
    QStringList selected;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(combo)->child(0);
    if (!list || list->role() != QAccessible::List)
        return {};
    for (int i = 0; i < list->childCount(); ++i) {
        entries << list->child(i)->text(QAccessible::Name);
        if (list->child(i)->state().selected)
            selected << entries.last();
    }
    return {entries, selected};
}

} // namespace

Q_DECLARE_METATYPE(ComboKind)

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

void WidgetsTest::comboListsItsEntriesWithTheShownOneSelected_data()
{
    QTest::addColumn<ComboKind>("kind");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("selected");
    const QStringList sections{"0,5", "0,75", "1"};
    const QStringList volts{"100", "70", "30"};
    QTest::newRow("start text") << ComboKind::ChoiceCombo << "" << sections << QStringList{"0,75"};
    QTest::newRow("picked entry") << ComboKind::ChoiceCombo << "pick 2" << sections << QStringList{"1"};
    QTest::newRow("typed entry") << ComboKind::ChoiceCombo << "type 0,5" << sections << QStringList{"0,5"};
    QTest::newRow("typed other text") << ComboKind::ChoiceCombo << "type 2" << sections << QStringList{};
    QTest::newRow("first entry") << ComboKind::FixedCombo << "" << volts << QStringList{"100"};
    QTest::newRow("picked") << ComboKind::FixedCombo << "pick 1" << volts << QStringList{"70"};
    QTest::newRow("refilled quietly")
        << ComboKind::FixedCombo << "refill" << QStringList{"30", "70"} << QStringList{"70"};
}

// A combo's children are its list (its entries as list items, in order, the
// one it shows selected, whether the list is open or not) and, when it is
// editable, its edit field; both lead back to the combo.
void WidgetsTest::comboListsItsEntriesWithTheShownOneSelected()
{
    QFETCH(ComboKind, kind);
    QFETCH(QString, change);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, selected);
    QWidget window;
    QComboBox *combo = makeCombo(kind, &window);
    a11y::captionFor(combo, QStringLiteral("Сечение жилы, мм²"));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
    if (change.startsWith("pick "))
        combo->setCurrentIndex(change.mid(5).toInt());
    if (change.startsWith("type ")) {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), change.mid(5));
    }
    if (change == "refill") {
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItems({"30", "70"});
        combo->setCurrentIndex(1);
    }
    QCOMPARE(listedEntries(combo), qMakePair(entries, selected));
    // Opening the list and closing it again without a choice keeps it.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    combo->hidePopup();
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(listedEntries(combo), qMakePair(entries, selected));

    QCOMPARE(iface->childCount(), combo->isEditable() ? 2 : 1);
    QAccessibleInterface *list = iface->child(0);
    QCOMPARE(list->object(), combo->view());
    QCOMPARE(list->parent(), iface);
    QCOMPARE(iface->indexOfChild(list), 0);
    if (combo->isEditable()) {
        QAccessibleInterface *edit = iface->child(1);
        QCOMPARE(edit->object(), combo->lineEdit());
        QCOMPARE(edit->parent(), iface);
        QCOMPARE(iface->indexOfChild(edit), 1);
        QCOMPARE(iface->focusChild(), edit);
    } else {
        QCOMPARE(iface->child(1), nullptr);
    }
    // Announced by its caption, its text as its value.
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Сечение жилы, мм²"));
    QCOMPARE(iface->text(QAccessible::Value), combo->currentText());
}

// A value of a tool window is a Tab stop after the box before it; the
// keyboard selects and copies it; it is announced by its value and described
// by its caption.
void WidgetsTest::copyableValueIsReachedByTabAndCopied()
{
    QWidget window;
    auto *box = new QLineEdit(&window);
    auto *value = new QLabel(&window);
    value->move(0, 40);
    a11y::makeCopyableValue(value, QStringLiteral("Сопротивление нагрузки, Ом"));
    value->setText(QStringLiteral("166,7"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), value);
    QApplication::clipboard()->clear();
    QTest::keyClick(value, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(value, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("166,7"));
    QCOMPARE(announced(value), QStringLiteral("166,7"));
    QCOMPARE(announced(value, QAccessible::Description), QStringLiteral("Сопротивление нагрузки, Ом"));
    // An empty value is announced as empty, not by the window around it.
    value->clear();
    QCOMPARE(announced(value), QString());
}

QTEST_MAIN(WidgetsTest)
#include "tst_widgets.moc"
