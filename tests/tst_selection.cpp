// Choosing a loudspeaker model, a mounting type and a power tap in the
// window, driven through the real combo box, options and keys.

#include "windowfixture.h"

#include "widgets/look.h"

#include <QRadioButton>

namespace {

enum Type { Ceiling = 1, Wall = 2, RoundHorn = 3, SquareHorn = 4 };

} // namespace

class SelectionTest : public WindowTest {
    Q_OBJECT
private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void nothingRunsBeforeTheUserActs();
    void modelChoice_data();
    void modelChoice();
    void squareHornModelSetsEverything();
    void ceilingModelReplacesRoundHorn();
    void otherOpensBoxesAndFreesTheType();
    void otherThenModelLocksAgain();
    void mountingClickAfterOther_data();
    void mountingClickAfterOther();
    void wallTypeResetsTilt();
    void sameTypeModelRestoresItsDefaults();
    void keyboardUpDownChoosesModels();
    void typedDesignationChangesNothing();
    void powerTapClearsAllFive();

private:
    QRadioButton *option(int type) const;
    void verifyType(int type) const;
};

QRadioButton *SelectionTest::option(int type) const
{
    switch (type) {
    case Ceiling: return g->opt1;
    case Wall: return g->opt2;
    case RoundHorn: return g->opt3;
    default: return g->opt4;
    }
}

// The given mounting type is selected and the only one enabled, and its
// captions and enabled settings are in place.
void SelectionTest::verifyType(int type) const
{
    for (int t = Ceiling; t <= SquareHorn; ++t) {
        QCOMPARE(option(t)->isChecked(), t == type);
        QCOMPARE(option(t)->isEnabled(), t == type);
    }
    QCOMPARE(room->label3->text(),
             type == Ceiling ? QStringLiteral("Высота потолков") : QStringLiteral("Высота установки"));
    QCOMPARE(m->label23->text(),
             type == SquareHorn ? QStringLiteral("Горизонтальная диаграмма направленности, Град")
                                : QStringLiteral("Диаграмма направленности, Град"));
    QVERIFY(m->cmbGn->isEnabled());
    QCOMPARE(m->cmbDv->isEnabled(), type == SquareHorn);
    QCOMPARE(m->cmbUN->isEnabled(), type == RoundHorn || type == SquareHorn);
}

void SelectionTest::nothingRunsBeforeTheUserActs()
{
    // Start-up checks the full power tap and fills the lists; no mounting
    // behaviour and no model choice may have run on the way.
    QCOMPARE(g->cmbG->currentText(), QStringLiteral("GK-1"));
    QCOMPARE(g->cmbG->currentIndex(), -1);
    QCOMPARE(g->cmbG->count(), 25);
    QVERIFY(g->opt2->isChecked());
    QVERIFY(g->opt2->isEnabled());
    QVERIFY(!g->opt1->isEnabled() && !g->opt3->isEnabled() && !g->opt4->isEnabled());
    QVERIFY(g->opt_1[1]->isChecked());
    QVERIFY(!g->opt_1[2]->isChecked() && !g->opt_1[3]->isChecked());
    QCOMPARE(room->label3->text(), QStringLiteral("Высота потолков, м"));
    QCOMPARE(m->label23->text(), QStringLiteral("Диаграмма направленности, Град"));
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("90"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("90"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("0"));
    QVERIFY(!m->cmbDv->isEnabled() && !m->cmbUN->isEnabled());
    for (QLineEdit *box : {g->txtPv, g->txtPd}) {
        QVERIFY(box->isReadOnly());
        QCOMPARE(look::background(box), look::menuColour());
    }
}

void SelectionTest::modelChoice_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("power");
    QTest::addColumn<QString>("sensitivity");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("directivity");
    QTest::addColumn<QString>("vertical");

    // clang-format off
    QTest::newRow("KE-1 ceiling, first entry") << "KE-1" << "6" << "88" << int(Ceiling) << "90" << "90";
    QTest::newRow("KE-3 ceiling") << "KE-3" << "30" << "87" << int(Ceiling) << "90" << "90";
    QTest::newRow("GK-1 wall, the start model") << "GK-1" << "6" << "88" << int(Wall) << "120" << "180";
    QTest::newRow("GK-2 ceiling between walls") << "GK-2" << "10" << "93" << int(Ceiling) << "90" << "90";
    QTest::newRow("RF-1 round horn") << "RF-1" << "20" << "103" << int(RoundHorn) << "40" << "40";
    QTest::newRow("RF-4 round horn") << "RF-4" << "50" << "108" << int(RoundHorn) << "40" << "40";
    QTest::newRow("RF-6 square horn") << "RF-6" << "50" << "104" << int(SquareHorn) << "60" << "40";
    QTest::newRow("LV-8 wall") << "LV-8" << "40" << "99" << int(Wall) << "120" << "180";
    QTest::newRow("GY-2 last model, wall") << "GY-2" << "25" << "88" << int(Wall) << "120" << "180";
    // clang-format on
}

void SelectionTest::modelChoice()
{
    QFETCH(QString, model);
    QFETCH(QString, power);
    QFETCH(QString, sensitivity);
    QFETCH(int, type);
    QFETCH(QString, directivity);
    QFETCH(QString, vertical);

    showResults();
    chooseFromList(g->cmbG, model);

    QCOMPARE(g->cmbG->currentText(), model);
    QCOMPARE(g->txtPv->text(), power);
    QCOMPARE(g->txtPd->text(), sensitivity);
    verifyType(type);
    QCOMPARE(m->cmbGn->currentText(), directivity);
    QCOMPARE(m->cmbDv->currentText(), vertical);
    for (QLineEdit *box : {g->txtPv, g->txtPd}) {
        QVERIFY(box->isReadOnly());
        QCOMPARE(look::background(box), look::LightGrey);
    }
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));
}

void SelectionTest::squareHornModelSetsEverything()
{
    showResults();
    chooseFromList(g->cmbG, QStringLiteral("RF-5"));

    QCOMPARE(g->txtPv->text(), QStringLiteral("30"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("90"));
    QVERIFY(g->opt4->isChecked());
    QVERIFY(g->opt4->isEnabled());
    QVERIFY(!g->opt1->isEnabled());
    QVERIFY(!g->opt2->isEnabled());
    QVERIFY(!g->opt3->isEnabled());
    QCOMPARE(room->label3->text(), QStringLiteral("Высота установки"));
    QCOMPARE(m->label23->text(), QStringLiteral("Горизонтальная диаграмма направленности, Град"));
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("60"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("40"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("0"));
    QVERIFY(m->cmbDv->isEnabled());
    QVERIFY(m->cmbUN->isEnabled());
    for (QLineEdit *box : {g->txtPv, g->txtPd}) {
        QVERIFY(box->isReadOnly());
        QCOMPARE(look::background(box), QColor(192, 192, 192));
    }
    QVERIFY(resultsEmpty());
    // The long caption stays whole in its fixed box.
    QVERIFY(look::captionFits(m->label23, m->label23->font()));
}

void SelectionTest::ceilingModelReplacesRoundHorn()
{
    chooseFromList(g->cmbG, QStringLiteral("RF-1"));
    verifyType(RoundHorn);
    QCOMPARE(g->txtPv->text(), QStringLiteral("20"));

    showResults();
    chooseFromList(g->cmbG, QStringLiteral("KE-1"));
    QCOMPARE(g->txtPv->text(), QStringLiteral("6"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("88"));
    verifyType(Ceiling);
    QCOMPARE(room->label3->text(), QStringLiteral("Высота потолков"));
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("90"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("90"));
    QVERIFY(!m->cmbDv->isEnabled());
    QVERIFY(!m->cmbUN->isEnabled());
    QVERIFY(m->cmbGn->isEnabled());
    QVERIFY(resultsEmpty());
}

void SelectionTest::otherOpensBoxesAndFreesTheType()
{
    chooseFromList(g->cmbG, QStringLiteral("RF-2"));
    showResults();
    chooseFromList(g->cmbG, QStringLiteral("ПРОЧИЕ"));

    // The texts of the model before stay, ready to be overwritten.
    QCOMPARE(g->txtPv->text(), QStringLiteral("30"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("103"));
    for (QLineEdit *box : {g->txtPv, g->txtPd}) {
        QVERIFY(!box->isReadOnly());
        QCOMPARE(look::background(box), look::windowColour());
    }
    QTRY_COMPARE(QApplication::focusWidget(), g->txtPv);
    QVERIFY(g->opt3->isChecked());
    for (int t = Ceiling; t <= SquareHorn; ++t)
        QVERIFY(option(t)->isEnabled());
    // Choosing "ПРОЧИЕ" applies no mounting type of its own.
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("40"));
    QVERIFY(m->cmbUN->isEnabled());
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));

    // The focused power box now takes the user's own figure.
    g->txtPv->selectAll();
    typeKeys(g->txtPv, QStringLiteral("15"));
    QCOMPARE(g->txtPv->text(), QStringLiteral("15"));
}

void SelectionTest::otherThenModelLocksAgain()
{
    chooseFromList(g->cmbG, QStringLiteral("ПРОЧИЕ"));
    QTest::mouseClick(g->opt4, Qt::LeftButton);
    QVERIFY(g->opt4->isChecked());
    g->txtPd->selectAll();
    typeKeys(g->txtPd, QStringLiteral("77"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("77"));

    chooseFromList(g->cmbG, QStringLiteral("GK-3"));
    QCOMPARE(g->txtPv->text(), QStringLiteral("40"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("88"));
    verifyType(Wall);
    for (QLineEdit *box : {g->txtPv, g->txtPd}) {
        QVERIFY(box->isReadOnly());
        QCOMPARE(look::background(box), look::LightGrey);
    }
    // A locked box takes no typed digit any more.
    g->txtPd->setFocus();
    typeKeys(g->txtPd, QStringLiteral("5"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("88"));
}

void SelectionTest::mountingClickAfterOther_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("heightCaption");
    QTest::addColumn<QString>("directivityCaption");
    QTest::addColumn<QString>("directivity");
    QTest::addColumn<QString>("vertical");
    QTest::addColumn<QString>("tilt");
    QTest::addColumn<bool>("verticalEnabled");
    QTest::addColumn<bool>("tiltEnabled");

    // The tilt was set to "30" before the click: only the wall resets it.
    const QString dir = QStringLiteral("Диаграмма направленности, Град");
    // clang-format off
    QTest::newRow("ceiling") << int(Ceiling) << "Высота потолков" << dir << "90" << "90" << "30" << false << false;
    QTest::newRow("wall") << int(Wall) << "Высота установки" << dir << "120" << "180" << "0" << false << false;
    QTest::newRow("round horn") << int(RoundHorn) << "Высота установки" << dir << "40" << "40" << "30" << false << true;
    QTest::newRow("square horn") << int(SquareHorn) << "Высота установки"
                                 << "Горизонтальная диаграмма направленности, Град" << "60" << "40" << "30" << true << true;
    // clang-format on
}

void SelectionTest::mountingClickAfterOther()
{
    QFETCH(int, type);
    QFETCH(QString, heightCaption);
    QFETCH(QString, directivityCaption);
    QFETCH(QString, directivity);
    QFETCH(QString, vertical);
    QFETCH(QString, tilt);
    QFETCH(bool, verticalEnabled);
    QFETCH(bool, tiltEnabled);

    // A square-horn model first, so that the tilt can be chosen, and a
    // type other than the one clicked below is selected before the click.
    chooseFromList(g->cmbG, QStringLiteral("RF-6"));
    chooseFromList(m->cmbUN, QStringLiteral("30"));
    if (type == SquareHorn) {
        chooseFromList(g->cmbG, QStringLiteral("RF-3"));
        chooseFromList(m->cmbUN, QStringLiteral("30"));
    }
    chooseFromList(g->cmbG, QStringLiteral("ПРОЧИЕ"));
    const QString power = g->txtPv->text();
    showResults();

    QTest::mouseClick(option(type), Qt::LeftButton);

    QVERIFY(option(type)->isChecked());
    QCOMPARE(room->label3->text(), heightCaption);
    QCOMPARE(m->label23->text(), directivityCaption);
    QCOMPARE(m->cmbGn->currentText(), directivity);
    QCOMPARE(m->cmbDv->currentText(), vertical);
    QCOMPARE(m->cmbUN->currentText(), tilt);
    QCOMPARE(m->cmbDv->isEnabled(), verticalEnabled);
    QCOMPARE(m->cmbUN->isEnabled(), tiltEnabled);
    QVERIFY(m->cmbGn->isEnabled());
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));
    // The type changes neither the boxes nor which options may be chosen.
    QCOMPARE(g->txtPv->text(), power);
    QVERIFY(!g->txtPv->isReadOnly());
    for (int t = Ceiling; t <= SquareHorn; ++t)
        QVERIFY(option(t)->isEnabled());
}

void SelectionTest::wallTypeResetsTilt()
{
    chooseFromList(g->cmbG, QStringLiteral("RF-5"));
    chooseFromList(m->cmbUN, QStringLiteral("20"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("20"));

    // Ceiling and horn types keep the tilt.
    chooseFromList(g->cmbG, QStringLiteral("RF-1"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("20"));
    chooseFromList(g->cmbG, QStringLiteral("KE-2"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("20"));

    chooseFromList(g->cmbG, QStringLiteral("LV-3"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("0"));
    QVERIFY(!m->cmbUN->isEnabled());
}

// A model of the type already selected applies its type once more: the
// defaults always match the model just chosen, whatever was set before.
void SelectionTest::sameTypeModelRestoresItsDefaults()
{
    chooseFromList(g->cmbG, QStringLiteral("RF-5"));
    chooseFromList(m->cmbGn, QStringLiteral("90"));
    chooseFromList(m->cmbDv, QStringLiteral("120"));
    chooseFromList(m->cmbUN, QStringLiteral("10"));
    showResults();

    chooseFromList(g->cmbG, QStringLiteral("RF-6"));
    verifyType(SquareHorn);
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("60"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("40"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("10"));
    QVERIFY(resultsEmpty());

    // The start model is a wall loudspeaker with the wall already selected:
    // choosing it gives the wall defaults, not the start texts.
    chooseFromList(g->cmbG, QStringLiteral("GK-1"));
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("120"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("180"));
    QCOMPARE(m->cmbUN->currentText(), QStringLiteral("0"));
    QCOMPARE(room->label3->text(), QStringLiteral("Высота установки"));
}

void SelectionTest::keyboardUpDownChoosesModels()
{
    g->cmbG->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), g->cmbG);

    showResults();
    QTest::keyClick(g->cmbG, Qt::Key_Down); // from the shown GK-1 to the next
    QCOMPARE(g->cmbG->currentText(), QStringLiteral("GK-2"));
    QCOMPARE(g->txtPv->text(), QStringLiteral("10"));
    verifyType(Ceiling);
    QVERIFY(resultsEmpty());

    for (int i = 0; i < 2; ++i)
        QTest::keyClick(g->cmbG, Qt::Key_Down);
    QCOMPARE(g->cmbG->currentText(), QStringLiteral("RF-1"));
    QCOMPARE(g->txtPv->text(), QStringLiteral("20"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("103"));
    verifyType(RoundHorn);

    QTest::keyClick(g->cmbG, Qt::Key_Up);
    QCOMPARE(g->cmbG->currentText(), QStringLiteral("GK-3"));
    QCOMPARE(g->txtPv->text(), QStringLiteral("40"));
    verifyType(Wall);
}

void SelectionTest::typedDesignationChangesNothing()
{
    chooseFromList(g->cmbG, QStringLiteral("RF-1"));
    showResults();

    QLineEdit *edit = g->cmbG->lineEdit();
    g->cmbG->setFocus();
    edit->selectAll();
    typeKeys(g->cmbG, QStringLiteral("RF-5"));
    QCOMPARE(g->cmbG->currentText(), QStringLiteral("RF-5"));
    QTest::keyClick(g->cmbG, Qt::Key_Return);
    QTest::keyClick(g->cmbG, Qt::Key_Tab);
    QTRY_VERIFY(QApplication::focusWidget() != edit);

    QCOMPARE(g->cmbG->currentText(), QStringLiteral("RF-5"));
    QCOMPARE(g->cmbG->count(), 25);
    QCOMPARE(g->cmbG->currentIndex(), 6);
    QCOMPARE(g->txtPv->text(), QStringLiteral("20"));
    QCOMPARE(g->txtPd->text(), QStringLiteral("103"));
    verifyType(RoundHorn);
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("40"));
    QCOMPARE(results->lblPd->text(), QStringLiteral("101"));
    QCOMPARE(results->lblKs->text(), QStringLiteral("3"));

    // A typed "ПРОЧИЕ" opens nothing either.
    g->cmbG->setFocus();
    edit->selectAll();
    typeKeys(g->cmbG, QStringLiteral("ПРОЧИЕ"));
    QTest::keyClick(g->cmbG, Qt::Key_Enter);
    QTest::keyClick(g->cmbG, Qt::Key_Tab);
    QVERIFY(g->txtPv->isReadOnly());
    QVERIFY(!g->opt1->isEnabled());
    QCOMPARE(g->cmbG->count(), 25);
    QCOMPARE(results->lblD->text(), QStringLiteral("12"));
}

void SelectionTest::powerTapClearsAllFive()
{
    showResults();
    QTest::mouseClick(g->opt_1[2], Qt::LeftButton);
    QVERIFY(g->opt_1[2]->isChecked());
    QVERIFY(resultsEmpty());
    QVERIFY(lblZat->text().isEmpty());

    showResults();
    QTest::mouseClick(g->opt_1[3], Qt::LeftButton);
    QVERIFY(g->opt_1[3]->isChecked());
    QVERIFY(resultsEmpty());
    QVERIFY(lblZat->text().isEmpty());

    // The tap changes neither the model nor the mounting type.
    QCOMPARE(g->txtPv->text(), QStringLiteral("6"));
    QVERIFY(g->opt2->isChecked());
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("90"));
}

QTEST_MAIN(SelectionTest)
#include "tst_selection.moc"
