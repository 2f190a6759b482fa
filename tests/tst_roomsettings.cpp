// Room types with their noise levels, the five manual settings and how the
// editable combo boxes of the window answer typing, Enter, Tab and the
// arrow keys.

#include "windowfixture.h"

#include "widgets/look.h"

#include <QClipboard>
#include <QRadioButton>

namespace {

QStringList entries(const QComboBox *combo)
{
    QStringList list;
    for (int i = 0; i < combo->count(); ++i)
        list << combo->itemText(i);
    return list;
}

} // namespace

class RoomSettingsTest : public WindowTest {
    Q_OBJECT
private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void roomTypeChoice_data();
    void roomTypeChoice();
    void thunderIsLockedAndClears();
    void otherOpensNoiseBoxWithFocus();
    void typedNoiseIsLostOnListedType();
    void carParkFromListTurnsGrey();
    void typedRoomTypeChangesNothing();
    void roomTypeByKeyboard();

    void directivityCopiedForRoundHorn();
    void directivityNotCopiedForOtherTypes_data();
    void directivityNotCopiedForOtherTypes();
    void settingChoiceOnlyClears_data();
    void settingChoiceOnlyClears();

    void combosStartWithTheirTextAndNoEntry();
    void typedListValueRunsNoHandler_data();
    void typedListValueRunsNoHandler();
    void typingDoesNotCompleteInline();
    void arrowKeysChooseInClosedCombo();
};

void RoomSettingsTest::roomTypeChoice_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("noise");
    QTest::addColumn<bool>("editable");

    // clang-format off
    QTest::newRow("hospital, first entry") << "БОЛЬНИЦА" << "20" << false;
    QTest::newRow("shop") << "МАГАЗИН" << "30" << false;
    QTest::newRow("church") << "ЦЕРКОВЬ" << "45" << false;
    QTest::newRow("beach") << "ПЛЯЖ" << "60" << false;
    QTest::newRow("supermarket") << "СУПЕРМАРКЕТ" << "65" << false;
    QTest::newRow("sports hall") << "СПОРТЗАЛ" << "75" << false;
    QTest::newRow("restaurant") << "РЕСТОРАН" << "80" << false;
    QTest::newRow("railway station, inner blanks") << "Ж Д СТАНЦИЯ" << "90" << false;
    QTest::newRow("stadium") << "СТАДИОН" << "100" << false;
    QTest::newRow("heavy industry") << "ТЯЖ ПРОМЫШ" << "110" << false;
    QTest::newRow("other, last entry") << "ПРОЧИЕ" << "60" << true;
    // clang-format on
}

void RoomSettingsTest::roomTypeChoice()
{
    QFETCH(QString, type);
    QFETCH(QString, noise);
    QFETCH(bool, editable);

    showResults();
    chooseFromList(room->cmbOn, type);
    QCOMPARE(room->cmbOn->currentText(), type);
    QCOMPARE(room->txtN->text(), noise);
    QCOMPARE(room->txtN->isReadOnly(), !editable);
    QCOMPARE(look::background(room->txtN), editable ? look::windowColour() : look::LightGrey);
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));
}

void RoomSettingsTest::thunderIsLockedAndClears()
{
    showResults();
    chooseFromList(room->cmbOn, QStringLiteral("ГРОМ"));
    QCOMPARE(room->txtN->text(), QStringLiteral("120"));
    QVERIFY(room->txtN->isReadOnly());
    QCOMPARE(look::background(room->txtN), QColor(192, 192, 192));
    QVERIFY(resultsEmpty());
}

void RoomSettingsTest::otherOpensNoiseBoxWithFocus()
{
    chooseFromList(room->cmbOn, QStringLiteral("ТЕАТР"));
    chooseFromList(room->cmbOn, QStringLiteral("ПРОЧИЕ"));
    QCOMPARE(room->txtN->text(), QStringLiteral("60"));
    QVERIFY(!room->txtN->isReadOnly());
    QCOMPARE(look::background(room->txtN), look::windowColour());
    QTRY_COMPARE(QApplication::focusWidget(), room->txtN);
    // The user can type his own level into the focused box at once.
    room->txtN->selectAll();
    typeKeys(room->txtN, QStringLiteral("72"));
    QCOMPARE(room->txtN->text(), QStringLiteral("72"));
}

void RoomSettingsTest::typedNoiseIsLostOnListedType()
{
    chooseFromList(room->cmbOn, QStringLiteral("ПРОЧИЕ"));
    QTRY_COMPARE(QApplication::focusWidget(), room->txtN);
    QTest::keyClick(room->txtN, Qt::Key_End);
    QTest::keyClick(room->txtN, Qt::Key_Backspace);
    QTest::keyClick(room->txtN, Qt::Key_Backspace);
    typeKeys(room->txtN, QStringLiteral("85"));
    QCOMPARE(room->txtN->text(), QStringLiteral("85"));

    showResults();
    chooseFromList(room->cmbOn, QStringLiteral("ПАРК"));
    QCOMPARE(room->txtN->text(), QStringLiteral("50"));
    QVERIFY(room->txtN->isReadOnly());
    QCOMPARE(look::background(room->txtN), look::LightGrey);
    QVERIFY(resultsEmpty());
}

void RoomSettingsTest::carParkFromListTurnsGrey()
{
    QCOMPARE(room->txtN->text(), QStringLiteral("70"));
    QCOMPARE(look::background(room->txtN), look::menuColour());
    QVERIFY(look::menuColour() != look::LightGrey);

    chooseFromList(room->cmbOn, QStringLiteral("АВТОСТОЯНКА"));
    QCOMPARE(room->cmbOn->currentIndex(), 7);
    QCOMPARE(room->txtN->text(), QStringLiteral("70"));
    QCOMPARE(look::background(room->txtN), look::LightGrey);
    QVERIFY(room->txtN->isReadOnly());
}

void RoomSettingsTest::typedRoomTypeChangesNothing()
{
    chooseFromList(room->cmbOn, QStringLiteral("ПРОЧИЕ"));
    room->txtN->selectAll();
    typeKeys(room->txtN, QStringLiteral("85"));
    showResults();

    room->cmbOn->setFocus();
    room->cmbOn->lineEdit()->selectAll();
    typeKeys(room->cmbOn, QStringLiteral("ТЕАТР"));
    QTest::keyClick(room->cmbOn, Qt::Key_Return);
    QTest::keyClick(room->cmbOn, Qt::Key_Tab);

    QCOMPARE(room->cmbOn->currentText(), QStringLiteral("ТЕАТР"));
    QCOMPARE(room->cmbOn->currentIndex(), 14);
    QCOMPARE(room->txtN->text(), QStringLiteral("85"));
    QVERIFY(!room->txtN->isReadOnly());
    QVERIFY(resultsShown());
    QCOMPARE(room->cmbOn->count(), 15);
}

void RoomSettingsTest::roomTypeByKeyboard()
{
    room->cmbOn->setFocus();
    showResults();
    // The keys move from the entry the box shows, АВТОСТОЯНКА.
    QTest::keyClick(room->cmbOn, Qt::Key_Down);
    QCOMPARE(room->cmbOn->currentText(), QStringLiteral("СПОРТЗАЛ"));
    QCOMPARE(room->txtN->text(), QStringLiteral("75"));
    QVERIFY(resultsEmpty());
    QTest::keyClick(room->cmbOn, Qt::Key_Down);
    QCOMPARE(room->txtN->text(), QStringLiteral("80"));
    QTest::keyClick(room->cmbOn, Qt::Key_Up);
    QCOMPARE(room->txtN->text(), QStringLiteral("75"));
    // A typed name that is no entry: the keys start from the top.
    room->cmbOn->setEditText(QStringLiteral("Цех"));
    room->cmbOn->setCurrentIndex(-1);
    room->cmbOn->setEditText(QStringLiteral("Цех"));
    QTest::keyClick(room->cmbOn, Qt::Key_Down);
    QCOMPARE(room->cmbOn->currentText(), QStringLiteral("БОЛЬНИЦА"));
    // A typed name that equals an entry: the keys start from that entry.
    room->cmbOn->setEditText(QStringLiteral("ПЛЯЖ"));
    QTest::keyClick(room->cmbOn, Qt::Key_Up);
    QCOMPARE(room->cmbOn->currentText(), QStringLiteral("ПАРК"));
    QCOMPARE(room->txtN->text(), QStringLiteral("50"));
}

void RoomSettingsTest::directivityCopiedForRoundHorn()
{
    chooseFromList(g->cmbG, QStringLiteral("RF-3"));
    QVERIFY(g->opt3->isChecked());
    QVERIFY(!m->cmbDv->isEnabled());
    showResults();

    chooseFromList(m->cmbGn, QStringLiteral("120"));
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("120"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("120"));
    QVERIFY(!m->cmbDv->isEnabled());
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));

    // A typed directivity follows into the vertical one as well, so that
    // the round horn computes with one angle, and the results go.
    showResults();
    m->cmbGn->setFocus();
    m->cmbGn->lineEdit()->selectAll();
    typeKeys(m->cmbGn, QStringLiteral("45"));
    QTest::keyClick(m->cmbGn, Qt::Key_Return);
    QTest::keyClick(m->cmbGn, Qt::Key_Tab);
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("45"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("45"));
    QVERIFY(resultsEmpty());

    // So does a pasted one, and one the user deletes.
    QApplication::clipboard()->setText(QStringLiteral("75"));
    m->cmbGn->lineEdit()->selectAll();
    m->cmbGn->lineEdit()->paste();
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("75"));
    m->cmbGn->lineEdit()->end(false);
    m->cmbGn->lineEdit()->backspace();
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("7"));
}

void RoomSettingsTest::directivityNotCopiedForOtherTypes_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("vertical");
    // clang-format off
    QTest::newRow("square horn") << "RF-5" << "40";
    QTest::newRow("ceiling") << "KE-2" << "90";
    QTest::newRow("wall") << "LV-2" << "180";
    // clang-format on
}

void RoomSettingsTest::directivityNotCopiedForOtherTypes()
{
    QFETCH(QString, model);
    QFETCH(QString, vertical);

    chooseFromList(g->cmbG, model);
    QCOMPARE(m->cmbDv->currentText(), vertical);
    showResults();
    chooseFromList(m->cmbGn, QStringLiteral("120"));
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("120"));
    QCOMPARE(m->cmbDv->currentText(), vertical);
    QVERIFY(resultsEmpty());
}

void RoomSettingsTest::settingChoiceOnlyClears_data()
{
    QTest::addColumn<QString>("comboName");
    QTest::addColumn<QString>("entry");
    // clang-format off
    QTest::newRow("vertical directivity") << "CmbDv" << "150";
    QTest::newRow("tilt") << "CmbUN" << "5";
    QTest::newRow("margin") << "CmbUPS" << "20";
    QTest::newRow("listening height") << "CmbVP" << "120";
    // clang-format on
}

void RoomSettingsTest::settingChoiceOnlyClears()
{
    QFETCH(QString, comboName);
    QFETCH(QString, entry);

    // The square horn enables the vertical directivity and the tilt.
    chooseFromList(g->cmbG, QStringLiteral("RF-6"));
    QComboBox *chosen = combo(comboName);
    QVERIFY(chosen);
    QVERIFY(chosen->isEnabled());
    QStringList before;
    for (QComboBox *c : {m->cmbGn, m->cmbDv, m->cmbUN, m->cmbUPS, m->cmbVP})
        before << c->currentText();
    const QString noise = room->txtN->text();
    showResults();

    chooseFromList(chosen, entry);
    QCOMPARE(chosen->currentText(), entry);
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));
    int k = 0;
    for (QComboBox *c : {m->cmbGn, m->cmbDv, m->cmbUN, m->cmbUPS, m->cmbVP}) {
        if (c != chosen)
            QCOMPARE(c->currentText(), before[k]);
        ++k;
    }
    QCOMPARE(room->txtN->text(), noise);
    QVERIFY(m->cmbDv->isEnabled() && m->cmbUN->isEnabled());
}

void RoomSettingsTest::combosStartWithTheirTextAndNoEntry()
{
    // Filling an editable combo would select its first entry and show it;
    // after start-up every combo shows its start text with no entry chosen.
    const QList<std::pair<QComboBox *, QString>> starts{
        {g->cmbG, QStringLiteral("GK-1")}, {room->cmbOn, QStringLiteral("АВТОСТОЯНКА")},
        {m->cmbGn, QStringLiteral("90")},  {m->cmbDv, QStringLiteral("90")},
        {m->cmbUN, QStringLiteral("0")},   {m->cmbUPS, QStringLiteral("10")},
        {m->cmbVP, QStringLiteral("150")},
    };
    for (const auto &[c, text] : starts) {
        QCOMPARE(c->currentText(), text);
        QCOMPARE(c->lineEdit()->text(), text);
        QCOMPARE(c->currentIndex(), -1);
        QVERIFY(c->isEditable());
    }
    QCOMPARE(entries(m->cmbUN),
             (QStringList{"0", "5", "10", "20", "30", "40", "50", "60", "70", "80", "90"}));
    QCOMPARE(m->cmbUPS->count(), 18);
    QCOMPARE(m->cmbVP->itemText(7), QStringLiteral("190"));
}

void RoomSettingsTest::typedListValueRunsNoHandler_data()
{
    QTest::addColumn<QString>("comboName");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("finish"); // the key that ends the typing

    for (const auto &[key, name] :
         {std::pair{int(Qt::Key_Return), "Return"}, std::pair{int(Qt::Key_Enter), "Enter"},
          std::pair{int(Qt::Key_Tab), "Tab"}}) {
        // clang-format off
        QTest::addRow("CmbGn 120, %s", name) << "CmbGn" << "120" << key;
        QTest::addRow("CmbUPS 15, %s", name) << "CmbUPS" << "15" << key;
        QTest::addRow("CmbVP 190, %s", name) << "CmbVP" << "190" << key;
        QTest::addRow("CmbOn ГРОМ, %s", name) << "CmbOn" << "ГРОМ" << key;
        QTest::addRow("CmbG RF-5, %s", name) << "CmbG" << "RF-5" << key;
        QTest::addRow("CmbGn 45 not listed, %s", name) << "CmbGn" << "45" << key;
        // clang-format on
    }
}

void RoomSettingsTest::typedListValueRunsNoHandler()
{
    QFETCH(QString, comboName);
    QFETCH(QString, typed);
    QFETCH(int, finish);

    // The round horn: a choice in CmbGn would copy into CmbDv.
    chooseFromList(g->cmbG, QStringLiteral("RF-2"));
    QComboBox *c = combo(comboName);
    QVERIFY(c);
    const QStringList list = entries(c);
    const int index = c->currentIndex();
    const QString noise = room->txtN->text();
    const QString power = g->txtPv->text();
    const QString vertical = m->cmbDv->currentText();
    showResults();

    c->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), c);
    c->lineEdit()->selectAll();
    typeKeys(c, typed);
    QTest::keyClick(c, Qt::Key(finish));
    if (finish != Qt::Key_Tab)
        QTest::keyClick(c, Qt::Key_Tab);
    QTRY_VERIFY(QApplication::focusWidget() != c);

    QCOMPARE(c->currentText(), typed);
    QCOMPARE(c->currentIndex(), index);
    QCOMPARE(entries(c), list);
    // A typed setting changes the calculation's input: the results go. A
    // typed name only names the loudspeaker or room in the report.
    const bool setting = comboName != u"CmbG" && comboName != u"CmbOn";
    QVERIFY(setting ? resultsEmpty() : resultsShown());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));
    QCOMPARE(room->txtN->text(), noise);
    QCOMPARE(g->txtPv->text(), power);
    QCOMPARE(m->cmbDv->currentText(), comboName == u"CmbGn" ? typed : vertical);
    QVERIFY(g->opt3->isChecked());
}

void RoomSettingsTest::typingDoesNotCompleteInline()
{
    for (QComboBox *c : {m->cmbGn, m->cmbVP, room->cmbOn, g->cmbG}) {
        c->setFocus();
        c->lineEdit()->selectAll();
        typeKeys(c,
                 c == room->cmbOn   ? QStringLiteral("Т")
                     : c == g->cmbG ? QStringLiteral("R")
                                    : QStringLiteral("1"));
        QCOMPARE(c->currentText().size(), 1);
        QCOMPARE(c->lineEdit()->selectedText(), QString());
    }
}

void RoomSettingsTest::arrowKeysChooseInClosedCombo()
{
    // Up and Down on the closed box are a keyboard choice and run the
    // handler like a click on the entry.
    chooseFromList(g->cmbG, QStringLiteral("RF-1"));
    m->cmbGn->setFocus();
    showResults();
    // The round horn shows 40: the keys move on from that entry.
    QTest::keyClick(m->cmbGn, Qt::Key_Down);
    QCOMPARE(m->cmbGn->currentText(), QStringLiteral("50"));
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("50"));
    QVERIFY(resultsEmpty());
    QTest::keyClick(m->cmbGn, Qt::Key_Down);
    QCOMPARE(m->cmbDv->currentText(), QStringLiteral("60"));

    m->cmbVP->setFocus();
    showResults();
    QTest::keyClick(m->cmbVP, Qt::Key_Down);
    QCOMPARE(m->cmbVP->currentText(), QStringLiteral("160"));
    QVERIFY(resultsEmpty());
    QCOMPARE(lblZat->text(), QStringLiteral("20"));
}

QTEST_MAIN(RoomSettingsTest)
#include "tst_roomsettings.moc"
