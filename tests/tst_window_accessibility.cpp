#include "windowfixture.h"

#include "catalogue/loudspeakergroup.h"
#include "line/linewindow.h"
#include "output/attenuationgroup.h"
#include "output/resultsgroup.h"
#include "plan/planwindow.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The name a screen reader hears when the field has the focus.
QWidget *focusTarget(QWidget *field)
{
    auto *combo = qobject_cast<QComboBox *>(field);
    return combo && combo->lineEdit() ? combo->lineEdit() : field;
}

// The main window, or a tool window opened through its menu item; the plan
// window after a calculation, so that it shows a plan.
QWidget *windowNamed(MainWindow &w, const QString &which)
{
    if (which == "Линия") {
        w.mline_Click();
        return w.lineWindow();
    }
    if (which == "План") {
        w.cmdRkl_Click();
        w.mplan_Click();
        return w.planWindow();
    }
    return &w;
}

// What a user types into or picks from: boxes, spin boxes and combos; the
// edit field inside a combo or a spin box belongs to it.
QList<QWidget *> inputsOf(QWidget *window)
{
    QList<QWidget *> inputs;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const bool part = qobject_cast<QComboBox *>(widget->parentWidget())
            || qobject_cast<QAbstractSpinBox *>(widget->parentWidget());
        if (qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
            || (qobject_cast<QLineEdit *>(widget) && !part))
            inputs << widget;
    }
    return inputs;
}

// The label that leads to the input, if there is one.
const QLabel *captionOf(QWidget *input)
{
    for (const QLabel *label : input->window()->findChildren<QLabel *>())
        if (label->buddy() == input)
            return label;
    return nullptr;
}

QStringList entriesOf(const QComboBox *combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

// The combo's list as a screen reader finds it among the combo's children:
// its entries in order, and the ones marked selected.
void checkListUnder(QComboBox *combo)
{
    // A screen reader asks between events; the list follows a change once
    // the code that made it is done.
    QCoreApplication::processEvents();
    const QString name = combo->objectName();
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
    QCOMPARE(iface->childCount(), combo->isEditable() ? 2 : 1);
    QAccessibleInterface *list = iface->child(0);
    QVERIFY2(list && list->object() == combo->view(), qPrintable(name));
    QStringList entries;
    QStringList selected;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *item = list->child(i);
        QCOMPARE(item->role(), QAccessible::ListItem);
        entries << item->text(QAccessible::Name);
        if (item->state().selected)
            selected << item->text(QAccessible::Name);
    }
    QCOMPARE(entries, entriesOf(combo));
    QVERIFY2(entries.contains(combo->currentText()), qPrintable(name));
    QCOMPARE(selected, QStringList{combo->currentText()});
    if (combo->isEditable()) {
        QAccessibleInterface *edit = iface->child(1);
        QVERIFY2(edit && edit->object() == combo->lineEdit(), qPrintable(name));
        QCOMPARE(edit->text(QAccessible::Name), iface->text(QAccessible::Name));
    }
}

} // namespace

class AccessibilityTest : public WindowTest {
    Q_OBJECT
private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }
    void everyFieldIsNamedAfterItsHeading();
    void resultsKeepTheirValueAsName();
    void groupsCarryTheirOwnTitles();
    void namesFollowARelabelledHeading();
    void combosShowTheirEntries_data();
    void combosShowTheirEntries();
    void anOpenListIsTheExpandedCombosChild();
    void toolWindowInputsAreNamedByTheirCaptions_data();
    void toolWindowInputsAreNamedByTheirCaptions();
    void lineFiguresAreTabStopsDescribedByTheirCaptions();
};

void AccessibilityTest::everyFieldIsNamedAfterItsHeading()
{
    MainWindow &w = f->w();
    const QList<QPair<QWidget *, QString>> fields{
        {frame3(w)->cmbG, "Громкоговоритель"},
        {frame3(w)->txtPv, "Мощность, Вт"},
        {frame3(w)->txtPd, "SPL,Вт/м"},
        {frame7(w)->cmbGn, "Диаграмма направленности, Град"},
        {frame7(w)->cmbDv, "Вертикальная диаграмма направленности, Град"},
        {frame7(w)->cmbUN, "Угол наклона громкоговорителя, Град"},
        {frame7(w)->cmbUPS, "Уровень перекрытия шума, дБ"},
        {frame7(w)->cmbVP, "Высота точки прослушивания, см"},
        {frame4(w)->txtH, "Высота потолков, м"},
        {frame4(w)->txtL, "Длина, м"},
        {frame4(w)->txtW, "Ширина, м"},
        {frame4(w)->txtSR, "Площадь, м2"},
        {frame4(w)->cmbOn, "Тип помещения"},
        {frame4(w)->txtN, "шум, дБ"},
        {frame5(w)->txtDln, "Дальность, м"},
    };
    for (const auto &[field, heading] : fields)
        QCOMPARE(accessibleName(focusTarget(field)), heading);
    // Every box and combo of the window is in the list above.
    int named = 0;
    for (QLineEdit *edit : w.findChildren<QLineEdit *>())
        named += accessibleName(edit).isEmpty() ? 0 : 1;
    QCOMPARE(named, int(w.findChildren<QLineEdit *>().size()));
    // The value stays readable.
    QAccessibleInterface *power = QAccessible::queryAccessibleInterface(frame3(w)->txtPv);
    QCOMPARE(power->text(QAccessible::Value), QString("6"));

    // Each combo box itself is announced by its heading, not by its value,
    // and its value is what it shows.
    for (const auto &[field, heading] : fields) {
        auto *combo = qobject_cast<QComboBox *>(field);
        if (!combo)
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
        QCOMPARE(iface->role(), QAccessible::ComboBox);
        QCOMPARE(iface->text(QAccessible::Name), heading);
        QCOMPARE(iface->text(QAccessible::Value), combo->currentText());
        QVERIFY(iface->state().editable);
        QVERIFY(iface->state().collapsed);
        QVERIFY(
            iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(frame7(w)->cmbGn)->text(QAccessible::Value),
             QString("90"));
}

void AccessibilityTest::resultsKeepTheirValueAsName()
{
    f->w().cmdRkl_Click();
    const QList<QPair<QLabel *, QString>> labels{
        {frame2(f->w())->lblPd, "Общее звуковое давление громкоговорителя, дБ"},
        {frame2(f->w())->lblD,
         "Эффективная дальность, обеспечивающая разборчивость сообщения громкоговорителя, м"},
        {frame2(f->w())->lblS, "Эффективно озвучиваемая площадь, м2"},
        {frame2(f->w())->lblKs, "Необходимое кол-во громкоговорителей"},
        {frame5(f->w())->lblZat, "Затухание, дБ"},
    };
    for (const auto &[label, heading] : labels) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        QCOMPARE(iface->text(QAccessible::Name), label->text());
        QCOMPARE(iface->text(QAccessible::Description), heading);
    }
    QCOMPARE(accessibleName(frame2(f->w())->lblKs), QString("2"));
}

void AccessibilityTest::groupsCarryTheirOwnTitles()
{
    for (QGroupBox *group : f->w().findChildren<QGroupBox *>())
        QCOMPARE(accessibleName(group), group->title().trimmed());
}

void AccessibilityTest::namesFollowARelabelledHeading()
{
    QComboBox *model = frame3(f->w())->cmbG;
    model->setCurrentIndex(10); // RF-5, a square horn
    emit model->activated(10);
    QCOMPARE(accessibleName(frame4(f->w())->txtH), QString("Высота установки"));
    QCOMPARE(accessibleName(frame7(f->w())->cmbGn->lineEdit()),
             QString("Горизонтальная диаграмма направленности, Град"));
}

void AccessibilityTest::combosShowTheirEntries_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("combos");
    QTest::newRow("main window") << QString() << 7;
    QTest::newRow("Линия") << "Линия" << 2;
    QTest::newRow("План") << "План" << 5;
}

// Every combo has its list as its first child, the entries as list items in
// order and the shown one selected, and its edit field as the second child
// when it has one; the list follows a new choice.
void AccessibilityTest::combosShowTheirEntries()
{
    QFETCH(QString, window);
    QFETCH(int, combos);
    const QList<QComboBox *> found = windowNamed(f->w(), window)->findChildren<QComboBox *>();
    QCOMPARE(found.size(), combos);
    for (QComboBox *combo : found) {
        QVERIFY(combo->count() > 1);
        checkListUnder(combo);
        if (QTest::currentTestFailed())
            return;
        combo->setCurrentIndex(combo->count() - 1);
        checkListUnder(combo);
        if (QTest::currentTestFailed())
            return;
    }
}

// With the list open the combo is expanded and its list, now shown, is
// still its first child.
void AccessibilityTest::anOpenListIsTheExpandedCombosChild()
{
    // An entry picked before: the open list starts on it (with only a
    // start text, Qt opens the list with no entry chosen).
    QComboBox *combo = frame7(f->w())->cmbUPS;
    chooseFromList(combo, combo->itemText(2));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(combo);
    QAccessibleInterface *list = iface->child(0);
    QVERIFY(list);
    QVERIFY(list->state().invisible);
    QAccessibleActionInterface *actions = iface->actionInterface();
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(combo->view()->isVisible());
    QVERIFY(iface->state().expanded);
    QCOMPARE(iface->child(0)->object(), combo->view());
    QVERIFY(!list->state().invisible);
    checkListUnder(combo);
    actions->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(!combo->view()->isVisible());
    QVERIFY(iface->state().collapsed);
}

void AccessibilityTest::toolWindowInputsAreNamedByTheirCaptions_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("Линия") << "Линия"
                           << QStringList{"Напряжение линии, В",
                                          "Количество громкоговорителей",
                                          "Мощность громкоговорителя на отводе, Вт",
                                          "Длина до первого громкоговорителя, м",
                                          "Длина до последнего громкоговорителя, м",
                                          "Сечение жилы, мм²",
                                          "Допустимые потери, дБ",
                                          "Запас мощности усилителя, %"};
    QTest::newRow("План") << "План"
                          << QStringList{
                                 "Расстановка", "Количество громкоговорителей", "Показать", "Пол", "Стены",
                                 "Потолок",     "Время реверберации, с"};
}

// Each tool window is read as a window of its own, and every input in it by
// the caption that leads to it; an editable combo's edit field too.
void AccessibilityTest::toolWindowInputsAreNamedByTheirCaptions()
{
    QFETCH(QString, window);
    QFETCH(QStringList, captions);
    QWidget *tool = windowNamed(f->w(), window);
    QCOMPARE(QAccessible::queryAccessibleInterface(tool)->role(), QAccessible::Window);
    QStringList named;
    for (QWidget *input : inputsOf(tool)) {
        const QLabel *caption = captionOf(input);
        QVERIFY2(caption, input->metaObject()->className());
        QCOMPARE(accessibleName(input), caption->text());
        QCOMPARE(accessibleName(focusTarget(input)), caption->text());
        named << caption->text();
    }
    QCOMPARE(named, captions);
}

// The figures of "Линия" are reached by Tab and selected with the keyboard,
// announced by their value and described by the caption beside them.
void AccessibilityTest::lineFiguresAreTabStopsDescribedByTheirCaptions()
{
    QWidget *line = windowNamed(f->w(), "Линия");
    int figures = 0;
    for (const QLabel *caption : line->findChildren<QLabel *>()) {
        if (!caption->objectName().startsWith("cap"))
            continue;
        auto *value = line->findChild<QLabel *>("lbl" + caption->objectName().mid(3));
        if (!value)
            continue;
        ++figures;
        QVERIFY(!value->text().isEmpty());
        QCOMPARE(accessibleName(value), value->text());
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(value);
        QCOMPARE(iface->text(QAccessible::Description), caption->text());
        QVERIFY(iface->state().focusable);
        QCOMPARE(value->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
        QVERIFY(value->textInteractionFlags().testFlag(Qt::TextSelectableByKeyboard));
    }
    QCOMPARE(figures, 9);
}

QTEST_MAIN(AccessibilityTest)
#include "tst_window_accessibility.moc"
