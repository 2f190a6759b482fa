#include "windowfixture.h"

#include "catalogue/loudspeakergroup.h"
#include "output/attenuationgroup.h"
#include "output/resultsgroup.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"

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
    return combo ? combo->lineEdit() : field;
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
};

void AccessibilityTest::everyFieldIsNamedAfterItsHeading()
{
    MainWindow &w = f->w();
    const QList<QPair<QWidget *, QString>> fields{
        {w.frame3->cmbG, "Громкоговоритель"},
        {w.frame3->txtPv, "Мощность, Вт"},
        {w.frame3->txtPd, "SPL,Вт/м"},
        {w.frame7->cmbGn, "Диаграмма направленности, Град"},
        {w.frame7->cmbDv, "Вертикальная диаграмма направленности, Град"},
        {w.frame7->cmbUN, "Угол наклона громкоговорителя, Град"},
        {w.frame7->cmbUPS, "Уровень перекрытия шума, дБ"},
        {w.frame7->cmbVP, "Высота точки прослушивания, см"},
        {w.frame4->txtH, "Высота потолков, м"},
        {w.frame4->txtL, "Длина, м"},
        {w.frame4->txtW, "Ширина, м"},
        {w.frame4->txtSR, "Площадь, м2"},
        {w.frame4->cmbOn, "Тип помещения"},
        {w.frame4->txtN, "шум, дБ"},
        {w.frame5->txtDln, "Дальность, м"},
    };
    for (const auto &[field, heading] : fields)
        QCOMPARE(accessibleName(focusTarget(field)), heading);
    // Every box and combo of the window is in the list above.
    int named = 0;
    for (QLineEdit *edit : w.findChildren<QLineEdit *>())
        named += accessibleName(edit).isEmpty() ? 0 : 1;
    QCOMPARE(named, int(w.findChildren<QLineEdit *>().size()));
    // The value stays readable.
    QAccessibleInterface *power = QAccessible::queryAccessibleInterface(w.frame3->txtPv);
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
    QCOMPARE(QAccessible::queryAccessibleInterface(w.frame7->cmbGn)->text(QAccessible::Value), QString("90"));
}

void AccessibilityTest::resultsKeepTheirValueAsName()
{
    f->w().cmdRkl_Click();
    const QList<QPair<QLabel *, QString>> labels{
        {f->w().frame2->lblPd, "Общее звуковое давление громкоговорителя, дБ"},
        {f->w().frame2->lblD,
         "Эффективная дальность, обеспечивающая разборчивость сообщения громкоговорителя, м"},
        {f->w().frame2->lblS, "Эффективно озвучиваемая площадь, м2"},
        {f->w().frame2->lblKs, "Необходимое кол-во громкоговорителей"},
        {f->w().frame5->lblZat, "Затухание, дБ"},
    };
    for (const auto &[label, heading] : labels) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(label);
        QCOMPARE(iface->text(QAccessible::Name), label->text());
        QCOMPARE(iface->text(QAccessible::Description), heading);
    }
    QCOMPARE(accessibleName(f->w().frame2->lblKs), QString("2"));
}

void AccessibilityTest::groupsCarryTheirOwnTitles()
{
    for (QGroupBox *group : f->w().findChildren<QGroupBox *>())
        QCOMPARE(accessibleName(group), group->title().trimmed());
}

void AccessibilityTest::namesFollowARelabelledHeading()
{
    QComboBox *model = f->w().frame3->cmbG;
    model->setCurrentIndex(10); // RF-5, a square horn
    emit model->activated(10);
    QCOMPARE(accessibleName(f->w().frame4->txtH), QString("Высота установки"));
    QCOMPARE(accessibleName(f->w().frame7->cmbGn->lineEdit()),
             QString("Горизонтальная диаграмма направленности, Град"));
}

QTEST_MAIN(AccessibilityTest)
#include "tst_window_accessibility.moc"
