// The key filter of the eight numeric boxes, driven by key presses on the
// real boxes of the window: what passes, what each accepted key withdraws,
// and how length, width and area steer the area timer.

#include "windowfixture.h"

#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTimer>

namespace {

// One typed key: its key code and the character it carries.
struct Key {
    Qt::Key code;
    QString text;
};

Key charKey(QChar c)
{
    if (c.isDigit())
        return {Qt::Key(Qt::Key_0 + c.digitValue()), QString(c)};
    if (c.isLetter())
        return {Qt::Key(c.toUpper().unicode()), QString(c)};
    return {Qt::Key(c.unicode()), QString(c)};
}

void press(QWidget *widget, const Key &key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::sendKeyEvent(QTest::Click, widget, key.code, key.text, modifiers);
}

// Presses the keys of text one after the other, each with its character.
void pressKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        press(widget, charKey(c));
}

// Focuses box and types text after what it holds.
void typeAtEnd(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->end(false);
    pressKeys(box, text);
}

// Focuses box, empties it and types text.
void typeIntoEmpty(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->clear();
    pressKeys(box, text);
}

// Focuses box and types text over all it holds.
void typeOver(QLineEdit *box, const QString &text)
{
    box->setFocus();
    box->selectAll();
    pressKeys(box, text);
}

// Hands text to widget as an input method commits composed text.
void commit(QWidget *widget, const QString &text)
{
    QInputMethodEvent event(QString(), {});
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

} // namespace

Q_DECLARE_METATYPE(Key)

class KeyFilterTest : public WindowTest {
    Q_OBJECT
private slots:
    void init() { openWindow(); }
    void cleanup() { closeWindow(); }

    void singleKey_data();
    void singleKey();
    void heightTakesPointAndComma();
    void severalPointsAccepted();
    void everyUserEditWithdraws_data();
    void everyUserEditWithdraws();
    void programTextWithdrawsNothing();
    void arrowsWithdrawNothing();
    void deleteIsNotFiltered_data();
    void deleteIsNotFiltered();
    void pastedTextIsNotFiltered();
    void digitInLockedBoxOnlyClears_data();
    void digitInLockedBoxOnlyClears();
    void areaFollowsLengthAndWidth();
    void areaTypedLastWins();
    void lengthOrWidthTypedAfterAreaWins();
    void rejectedKeyDisturbsNoTimer();
    void composedTextIsFiltered();

private:
    QStringList labels() const;
    QLineEdit *focusWithText(const QString &name, const QString &text);
    void verifyNothingWithdrawn(const QStringList &before);
};

// The captions of LblPd, LblD, LblS, LblKs and LblZat.
QStringList KeyFilterTest::labels() const
{
    return {results->lblPd->text(), results->lblD->text(), results->lblS->text(), results->lblKs->text(),
            lblZat->text()};
}

// Focuses the box of that name holding text, with the caret at its end.
QLineEdit *KeyFilterTest::focusWithText(const QString &name, const QString &text)
{
    QLineEdit *b = box(name);
    b->setFocus();
    b->setText(text);
    b->end(false);
    return b;
}

// The labels are as before, and no area recomputation is pending or due.
void KeyFilterTest::verifyNothingWithdrawn(const QStringList &before)
{
    QCOMPARE(labels(), before);
    QVERIFY(!timer1(f->w())->isActive());
    QVERIFY(!f->w().state().areaFromLW);
}

void KeyFilterTest::singleKey_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<Key>("key");
    QTest::addColumn<bool>("passes");
    QTest::addColumn<bool>("clearsResults"); // the four calculation results
    QTest::addColumn<bool>("clearsAttenuation");

    const QStringList boxes{"TxtPv", "TxtPd", "TxtN", "TxtH", "TxtL", "TxtW", "TxtSR", "TxtDln"};
    const QStringList integerBoxes{"TxtPd", "TxtN"};
    for (const QString &name : boxes) {
        const bool attenuation = name == u"TxtDln";
        const QByteArray n = name.toLatin1();
        for (const QChar digit : QStringLiteral("0579")) {
            QTest::addRow("%s digit %c", n.constData(), digit.toLatin1())
                << name << charKey(digit) << true << !attenuation << attenuation;
        }
        const bool point = !integerBoxes.contains(name);
        QTest::addRow("%s point", n.constData())
            << name << charKey(u'.') << point << (point && !attenuation) << (point && attenuation);
        // The decimal key of a Russian keypad types ",": it enters "." where
        // the box takes fractions, and is discarded where it does not.
        QTest::addRow("%s comma", n.constData())
            << name << charKey(u',') << point << (point && !attenuation) << (point && attenuation);
        const QList<std::pair<const char *, Key>> rejected{
            {"minus", charKey(u'-')},
            {"plus", charKey(u'+')},
            {"space", {Qt::Key_Space, QStringLiteral(" ")}},
            {"Latin e", charKey(u'e')},
            {"Latin capital E", charKey(u'E')},
            {"Cyrillic ю", charKey(u'ю')},
            {"Cyrillic Б", charKey(u'Б')},
            {"Enter", {Qt::Key_Return, QStringLiteral("\r")}},
            {"keypad Enter", {Qt::Key_Enter, QStringLiteral("\r")}},
            {"Escape", {Qt::Key_Escape, QString(QChar(27))}},
            {"superscript two", {Qt::Key_twosuperior, QStringLiteral("²")}},
            {"Arabic-Indic digit", {Qt::Key_unknown, QString(QChar(0x0663))}},
        };
        for (const auto &[what, key] : rejected)
            QTest::addRow("%s %s", n.constData(), what) << name << key << false << false << false;
    }
}

void KeyFilterTest::singleKey()
{
    QFETCH(QString, boxName);
    QFETCH(Key, key);
    QFETCH(bool, passes);
    QFETCH(bool, clearsResults);
    QFETCH(bool, clearsAttenuation);

    // Open the locked boxes as "ПРОЧИЕ" does, so that they take characters.
    clickListEntry(g->cmbG, QStringLiteral("ПРОЧИЕ"));
    clickListEntry(room->cmbOn, QStringLiteral("ПРОЧИЕ"));
    QLineEdit *b = box(boxName);
    QVERIFY(b);
    QVERIFY(!b->isReadOnly());
    b->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), b);
    b->setText(QStringLiteral("12"));
    b->end(false);
    const bool areaFromLW = f->w().state().areaFromLW;
    const bool timerActive = timer1(f->w())->isActive();
    showResults();

    press(b, key);

    const QString entered = key.text == u"," ? QStringLiteral(".") : key.text;
    QCOMPARE(b->text(), passes ? QStringLiteral("12") + entered : QStringLiteral("12"));
    const QStringList l = labels();
    for (int i = 0; i < 4; ++i)
        QCOMPARE(l[i].isEmpty(), clearsResults);
    QCOMPARE(l[4].isEmpty(), clearsAttenuation);
    QCOMPARE(QApplication::focusWidget(), b);
    if (!passes || (boxName != u"TxtL" && boxName != u"TxtW" && boxName != u"TxtSR")) {
        QCOMPARE(f->w().state().areaFromLW, areaFromLW);
        QCOMPARE(timer1(f->w())->isActive(), timerActive);
    }
}

void KeyFilterTest::heightTakesPointAndComma()
{
    QLineEdit *h = room->txtH;
    typeIntoEmpty(h, QStringLiteral("12.5"));
    QCOMPARE(h->text(), QStringLiteral("12.5"));
    h->clear();
    pressKeys(h, QStringLiteral("2,5"));
    QCOMPARE(h->text(), QStringLiteral("2.5"));
    // Where the box takes whole numbers only, the comma is still discarded.
    clickListEntry(room->cmbOn, QStringLiteral("ПРОЧИЕ"));
    room->txtN->clear();
    pressKeys(room->txtN, QStringLiteral("6,5"));
    QCOMPARE(room->txtN->text(), QStringLiteral("65"));
}

void KeyFilterTest::severalPointsAccepted()
{
    QLineEdit *l = room->txtL;
    typeIntoEmpty(l, QStringLiteral("1..2"));
    QCOMPARE(l->text(), QStringLiteral("1..2"));
    pressKeys(l, QStringLiteral("."));
    QCOMPARE(l->text(), QStringLiteral("1..2."));
}

void KeyFilterTest::everyUserEditWithdraws_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("edit");
    for (const char *name : {"TxtPv", "TxtH", "TxtL", "TxtW", "TxtSR", "TxtDln"}) {
        for (const char *edit : {"Backspace", "Delete", "cut", "paste", "Ctrl+V", "undo", "redo", "drop"})
            QTest::addRow("%s %s", name, edit) << QString::fromLatin1(name) << QString::fromLatin1(edit);
    }
}

// Whatever way the user changes a box, the results that depended on it go
// as after a typed digit; the length and width arm the area timer and the
// area disarms it.
void KeyFilterTest::everyUserEditWithdraws()
{
    QFETCH(QString, boxName);
    QFETCH(QString, edit);
    if (boxName == u"TxtPv")
        clickListEntry(g->cmbG, QStringLiteral("ПРОЧИЕ"));
    QLineEdit *b = focusWithText(boxName, QStringLiteral("345"));
    QApplication::clipboard()->setText(QStringLiteral("7"));
    if ((edit == u"paste" || edit == u"Ctrl+V") && QApplication::clipboard()->text() != u"7")
        QSKIP("no clipboard on this platform");
    if (edit == u"undo" || edit == u"redo") {
        typeAtEnd(b, QStringLiteral("9")); // something to undo
        if (edit == u"redo")
            b->undo(); // and to redo
    }
    if (boxName == u"TxtSR") {
        typeAtEnd(room->txtL, QStringLiteral("0")); // an area update pending
        b->setFocus();
    }
    showResults();
    const QString textBefore = b->text();

    if (edit == u"Backspace") {
        QTest::keyClick(b, Qt::Key_Backspace);
    } else if (edit == u"Delete") {
        QTest::keyClick(b, Qt::Key_Home);
        QTest::keyClick(b, Qt::Key_Delete);
    } else if (edit == u"cut") {
        b->selectAll();
        b->cut();
    } else if (edit == u"paste") {
        b->paste();
    } else if (edit == u"Ctrl+V") {
        QTest::keyClick(b, Qt::Key_V, Qt::ControlModifier);
    } else if (edit == u"undo") {
        b->undo();
    } else if (edit == u"redo") {
        b->redo();
    } else if (edit == u"drop") {
        auto *data = new QMimeData;
        data->setText(QStringLiteral("8"));
        const QPoint at = b->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(b, &drop);
        delete data;
    }
    QVERIFY2(b->text() != textBefore, qPrintable(b->text()));

    const QStringList after = labels();
    const bool attenuation = boxName == u"TxtDln";
    for (int i = 0; i < 4; ++i)
        QCOMPARE(after[i].isEmpty(), !attenuation);
    QCOMPARE(after[4].isEmpty(), attenuation);
    if (boxName == u"TxtL" || boxName == u"TxtW") {
        QVERIFY(timer1(f->w())->isActive());
        QVERIFY(f->w().state().areaFromLW);
    } else if (boxName == u"TxtSR") {
        QVERIFY(!timer1(f->w())->isActive());
        QVERIFY(!f->w().state().areaFromLW);
    } else {
        QVERIFY(!timer1(f->w())->isActive());
        QVERIFY(!f->w().state().areaFromLW);
    }
}

// Text the program sets (start-up, a list choice, the area timer) is no
// user change: it withdraws nothing.
void KeyFilterTest::programTextWithdrawsNothing()
{
    showResults();
    const QStringList before = labels();
    for (const char *name : {"TxtPv", "TxtH", "TxtL", "TxtW", "TxtSR", "TxtDln"})
        box(QString::fromLatin1(name))->setText(QStringLiteral("42"));
    verifyNothingWithdrawn(before);
}

void KeyFilterTest::arrowsWithdrawNothing()
{
    QLineEdit *b = focusWithText(QStringLiteral("TxtL"), QStringLiteral("345"));
    showResults();
    const QStringList before = labels();
    QTest::keyClick(b, Qt::Key_Home);
    QTest::keyClick(b, Qt::Key_Right);
    QTest::keyClick(b, Qt::Key_End);
    QTest::keyClick(b, Qt::Key_Left);
    QCOMPARE(b->cursorPosition(), 2);
    verifyNothingWithdrawn(before);
    // The cursor keys placed the caret: a digit goes in front of the last.
    pressKeys(b, QStringLiteral("7"));
    QCOMPARE(b->text(), QStringLiteral("3475"));
}

void KeyFilterTest::deleteIsNotFiltered_data()
{
    QTest::addColumn<QString>("delText"); // what the keyboard reports with Delete
    QTest::newRow("Delete without text") << QString();
    // The X11 keyboard sends the DEL character along with the key.
    QTest::newRow("Delete with DEL") << QString(QChar(0x7f));
}

void KeyFilterTest::deleteIsNotFiltered()
{
    QFETCH(QString, delText);
    QLineEdit *b = focusWithText(QStringLiteral("TxtH"), QStringLiteral("345"));
    QTest::keyClick(b, Qt::Key_Home);
    QTest::sendKeyEvent(QTest::Click, b, Qt::Key_Delete, delText, Qt::NoModifier);
    QCOMPARE(b->text(), QStringLiteral("45"));
}

void KeyFilterTest::pastedTextIsNotFiltered()
{
    QApplication::clipboard()->setText(QStringLiteral("2,5 м"));
    if (QApplication::clipboard()->text() != u"2,5 м")
        QSKIP("no clipboard on this platform");
    QLineEdit *h = room->txtH;
    h->setFocus();
    h->clear();
    showResults();
    QTest::keyClick(h, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(h->text(), QStringLiteral("2,5 м"));
    QVERIFY(resultsEmpty());
}

void KeyFilterTest::digitInLockedBoxOnlyClears_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("state"); // how the box was locked
    // clang-format off
    QTest::newRow("TxtPv at start") << "TxtPv" << "6" << "start";
    QTest::newRow("TxtPd at start") << "TxtPd" << "88" << "start";
    QTest::newRow("TxtN at start") << "TxtN" << "70" << "start";
    QTest::newRow("TxtPv catalogue model") << "TxtPv" << "50" << "RF-4";
    QTest::newRow("TxtPd catalogue model") << "TxtPd" << "108" << "RF-4";
    QTest::newRow("TxtN listed room type") << "TxtN" << "110" << "ТЯЖ ПРОМЫШ";
    // clang-format on
}

void KeyFilterTest::digitInLockedBoxOnlyClears()
{
    QFETCH(QString, boxName);
    QFETCH(QString, text);
    QFETCH(QString, state);

    if (state == u"RF-4")
        clickListEntry(g->cmbG, state);
    else if (state != u"start")
        clickListEntry(room->cmbOn, state);
    QLineEdit *b = box(boxName);
    QVERIFY(b->isReadOnly());
    b->setFocus();
    showResults();

    pressKeys(b, QStringLiteral("5"));
    QCOMPARE(b->text(), text);
    const QStringList l = labels();
    for (int i = 0; i < 4; ++i)
        QVERIFY(l[i].isEmpty());
    QCOMPARE(l[4], QStringLiteral("20"));

    // A letter is discarded there too and withdraws nothing.
    showResults();
    pressKeys(b, QStringLiteral("x"));
    QCOMPARE(b->text(), text);
    QCOMPARE(labels()[0], QStringLiteral("101"));
}

void KeyFilterTest::areaFollowsLengthAndWidth()
{
    QVERIFY(!timer1(f->w())->isActive());
    QVERIFY(!f->w().state().areaFromLW);
    QLineEdit *l = room->txtL;
    l->setFocus();
    l->end(false);
    showResults();

    pressKeys(l, QStringLiteral("2"));
    QVERIFY(timer1(f->w())->isActive());
    QVERIFY(f->w().state().areaFromLW);
    QVERIFY(labels()[0].isEmpty());
    QCOMPARE(labels()[4], QStringLiteral("20"));
    QCOMPARE(room->txtSR->text(), QStringLiteral("36"));
    QTRY_COMPARE(room->txtSR->text(), QStringLiteral("372"));
    QVERIFY(!timer1(f->w())->isActive());
    QVERIFY(f->w().state().areaFromLW);

    // The width arms the timer the same way.
    typeOver(room->txtW, QStringLiteral("3"));
    QVERIFY(timer1(f->w())->isActive());
    QTRY_COMPARE(room->txtSR->text(), QStringLiteral("186"));
}

void KeyFilterTest::areaTypedLastWins()
{
    typeAtEnd(room->txtL, QStringLiteral("5"));
    QVERIFY(timer1(f->w())->isActive());
    QVERIFY(f->w().state().areaFromLW);

    QLineEdit *sr = room->txtSR;
    sr->setFocus();
    sr->selectAll();
    showResults();
    pressKeys(sr, QStringLiteral("40"));
    QVERIFY(!timer1(f->w())->isActive());
    QVERIFY(!f->w().state().areaFromLW);
    QVERIFY(labels()[2].isEmpty());
    QCOMPARE(labels()[4], QStringLiteral("20"));
    QTest::qWait(700);
    QCOMPARE(sr->text(), QStringLiteral("40"));
}

void KeyFilterTest::lengthOrWidthTypedAfterAreaWins()
{
    QLineEdit *sr = room->txtSR;
    typeOver(sr, QStringLiteral("50"));
    QVERIFY(!f->w().state().areaFromLW);

    typeAtEnd(room->txtW, QStringLiteral("."));
    QVERIFY(timer1(f->w())->isActive());
    QVERIFY(f->w().state().areaFromLW);
    QTRY_COMPARE(sr->text(), QStringLiteral("36"));
}

void KeyFilterTest::rejectedKeyDisturbsNoTimer()
{
    QLineEdit *sr = room->txtSR;
    QLineEdit *l = room->txtL;
    typeAtEnd(l, QStringLiteral("1"));
    QVERIFY(timer1(f->w())->isActive());

    // A refused key in the area box does not disarm the pending timer.
    sr->setFocus();
    pressKeys(sr, QStringLiteral("a"));
    QVERIFY(timer1(f->w())->isActive());
    QVERIFY(f->w().state().areaFromLW);
    QTRY_COMPARE(sr->text(), QStringLiteral("366"));

    // A refused key in the length box arms nothing.
    l->setFocus();
    pressKeys(l, QStringLiteral("-а"));
    QVERIFY(!timer1(f->w())->isActive());
    QCOMPARE(l->text(), QStringLiteral("61"));
}

void KeyFilterTest::composedTextIsFiltered()
{
    // An input method hands over composed text without key presses; it is
    // judged character by character like typed keys.
    QLineEdit *h = room->txtH;
    h->setFocus();
    h->clear();
    showResults();
    commit(h, QStringLiteral("мм"));
    QCOMPARE(h->text(), QString());
    QCOMPARE(labels()[0], QStringLiteral("101"));

    // A composed comma enters a point, as a typed one does.
    commit(h, QStringLiteral("2,5а1"));
    QCOMPARE(h->text(), QStringLiteral("2.51"));
    QVERIFY(labels()[0].isEmpty());
    QCOMPARE(QApplication::focusWidget(), h);

    // In the noise box the point is refused as well.
    clickListEntry(room->cmbOn, QStringLiteral("ПРОЧИЕ"));
    room->txtN->clear();
    commit(room->txtN, QStringLiteral("6.5,"));
    QCOMPARE(room->txtN->text(), QStringLiteral("65"));
}

QTEST_MAIN(KeyFilterTest)
#include "tst_keyfilter.moc"
