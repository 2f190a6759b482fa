#include "windowfixture.h"

#include "app/russian.h"
#include "calc/calculation.h"
#include "catalogue/loudspeakergroup.h"
#include "output/attenuationgroup.h"
#include "output/resultsgroup.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"
#include "widgets/look.h"
#include "widgets/messenger.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

class StartupTest : public WindowTest {
    Q_OBJECT
private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        openWindow();
    }
    void cleanup() { closeWindow(); }
    void titleSizeAndIcon();
    void defaultTexts();
    void lockedBoxesAndOptions();
    void combosShowTheirStartTextWithNoEntrySelected();
    void resultsAreEmpty();
    void initialCalculationState();
    void focusOrder();
    void menuActsDirectly();
    void exitClosesTheWindow();
    void captionsStayWholeInTheirBoxes();
    void mountingOptionsShowWholeCircles();
    void areaFollowsLengthHalfASecondLater();
    void areaIsWrittenWithAPointInEveryLocale();
    void typingTheAreaCancelsThePendingRecomputation();
    void areaTimerLeavesAnOverflowingAreaAlone();
    void emptyLengthGivesAreaZero();
    void calculateShowsAllFourResults();
    void failedCalculationMovesFocusAndEmptiesResults();
    void tappedPowerOfZeroStopsWithThePowerMessage();
    void qtTextsAreRussian();
    void messageBoxesHaveRussianButtonsAndTheApplicationTitle();
};

void StartupTest::titleSizeAndIcon()
{
    QCOMPARE(f->w().windowTitle(),
             QString("Звуковое давление, озвучиваемая  площадь,  количество  громкоговорителей, "
                     "потери на проводах (версия 4)"));
    QCOMPARE(f->w().centralWidget()->size(), QSize(699, 559));
    QCOMPARE(f->w().minimumSize(), f->w().maximumSize());
    QVERIFY(!f->w().windowIcon().isNull());
    QVERIFY(f->w().windowIcon().availableSizes().contains(QSize(32, 32)));
    // Positions in twips / 15, inside the containing group.
    QCOMPARE(frame2(f->w())->geometry(), QRect(160, 344, 521, 185));
    QCOMPARE(frame3(f->w())->txtPv->geometry(), QRect(128, 56, 57, 25));
    QCOMPARE(frame7(f->w())->cmbVP->geometry(), QRect(248, 152, 89, 24));
}

void StartupTest::defaultTexts()
{
    QCOMPARE(frame3(f->w())->txtPv->text(), QString("6"));
    QCOMPARE(frame3(f->w())->txtPd->text(), QString("88"));
    QCOMPARE(frame4(f->w())->txtN->text(), QString("70"));
    QCOMPARE(frame4(f->w())->txtH->text(), QString("3"));
    QCOMPARE(frame4(f->w())->txtL->text(), QString("6"));
    QCOMPARE(frame4(f->w())->txtW->text(), QString("6"));
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("36"));
    QCOMPARE(frame5(f->w())->txtDln->text(), QString("10"));
    QCOMPARE(frame4(f->w())->txtSR->toolTip(), QString("Площадь помещения"));
    QCOMPARE(frame4(f->w())->label3->text(), QString("Высота потолков, м"));
    QCOMPARE(frame7(f->w())->label23->text(), QString("Диаграмма направленности, Град"));
    QCOMPARE(frame4(f->w())->label4->text(), QString("Тип") + QString(34, u' ') + "шум, дБ");
    QCOMPARE(frame4(f->w())->title(), QString("Параметры помещения "));
    QCOMPARE(frame2(f->w())->cmdRkl->text(), QString("РАСЧИТАТЬ"));
}

void StartupTest::lockedBoxesAndOptions()
{
    for (QLineEdit *box : {g->txtPv, g->txtPd, frame4(f->w())->txtN}) {
        QVERIFY(box->isReadOnly());
        QCOMPARE(look::background(box), look::menuColour());
    }
    for (QLineEdit *box : {frame4(f->w())->txtH, frame4(f->w())->txtL, frame4(f->w())->txtW,
                           frame4(f->w())->txtSR, frame5(f->w())->txtDln})
        QVERIFY(!box->isReadOnly());

    QVERIFY(g->opt2->isChecked());
    QVERIFY(g->opt2->isEnabled());
    for (QRadioButton *o : {g->opt1, g->opt3, g->opt4}) {
        QVERIFY(!o->isEnabled());
        QVERIFY(!o->isChecked());
    }
    QVERIFY(g->opt_1[1]->isChecked());
    QVERIFY(!g->opt_1[2]->isChecked());
    QVERIFY(!g->opt_1[3]->isChecked());
    QVERIFY(!frame7(f->w())->cmbDv->isEnabled());
    QVERIFY(!frame7(f->w())->cmbUN->isEnabled());
    QVERIFY(frame7(f->w())->cmbGn->isEnabled());
    QVERIFY(!timer1(f->w())->isActive());
    QCOMPARE(timer1(f->w())->interval(), 500);
}

void StartupTest::combosShowTheirStartTextWithNoEntrySelected()
{
    const struct {
        QComboBox *combo;
        const char *text;
        int entries;
        const char *first;
        const char *last;
    } combos[] = {
        {frame3(f->w())->cmbG, "GK-1", 25, "KE-1", "ПРОЧИЕ"},
        {frame4(f->w())->cmbOn, "АВТОСТОЯНКА", 15, "БОЛЬНИЦА", "ПРОЧИЕ"},
        {frame7(f->w())->cmbGn, "90", 17, "10", "170"},
        {frame7(f->w())->cmbDv, "90", 17, "10", "170"},
        {frame7(f->w())->cmbUN, "0", 11, "0", "90"},
        {frame7(f->w())->cmbUPS, "10", 18, "3", "20"},
        {frame7(f->w())->cmbVP, "150", 8, "120", "190"},
    };
    for (const auto &c : combos) {
        QCOMPARE(c.combo->currentText(), QString(c.text));
        QCOMPARE(c.combo->currentIndex(), -1);
        QCOMPARE(c.combo->count(), c.entries);
        QCOMPARE(c.combo->itemText(0), QString(c.first));
        QCOMPARE(c.combo->itemText(c.entries - 1), QString(c.last));
        QVERIFY(c.combo->isEditable());
    }
    QCOMPARE(frame7(f->w())->cmbUN->itemText(1), QString("5"));
    QCOMPARE(frame7(f->w())->cmbUN->itemText(2), QString("10"));
}

void StartupTest::resultsAreEmpty()
{
    for (QLabel *l : {frame2(f->w())->lblPd, frame2(f->w())->lblD, frame2(f->w())->lblS,
                      frame2(f->w())->lblKs, frame5(f->w())->lblZat})
        QVERIFY(l->text().isEmpty());
    QVERIFY(f->messages.shown.empty());
}

void StartupTest::initialCalculationState()
{
    const calc::CalcState &s = f->w().state();
    QVERIFY(!s.calculated);
    QVERIFY(!s.areaFromLW);
    QCOMPARE(s.dirDeg, 90.0);
    QCOMPARE(s.dirRad, 1.57075);
    QCOMPARE(s.vDirDeg, 90.0);
    QCOMPARE(s.vDirRad, 1.57075);
    QCOMPARE(s.tiltDeg, 0.0);
    QCOMPARE(s.margin, 10.0);
    QCOMPARE(s.listenH, 150.0);
}

void StartupTest::focusOrder()
{
    MainWindow &w = f->w();
    const QList<QWidget *> order{
        frame2(w)->cmdRkl, frame2(w)->cmdPch, frame2(w)->cmdSpr,   frame4(w)->txtH,     frame4(w)->txtL,
        frame4(w)->txtW,   frame4(w)->txtN,   frame4(w)->cmbOn,    frame7(w)->cmbGn,    frame7(w)->cmbUPS,
        frame7(w)->cmbVP,  frame7(w)->cmbDv,  frame7(w)->cmbUN,    frame3(w)->opt1,     frame3(w)->opt2,
        frame3(w)->opt3,   frame3(w)->opt4,   frame3(w)->opt_1[2], frame3(w)->opt_1[3], frame3(w)->opt_1[1],
        frame3(w)->cmbG,   frame3(w)->txtPv,  frame3(w)->txtPd,    frame5(w)->txtDln,   frame5(w)->cmdZ,
        frame4(w)->txtSR,
    };
    // Walk the focus chain and keep only the listed controls (combo boxes
    // chain their line edit behind them).
    QList<QWidget *> seen;
    QWidget *widget = order.front();
    for (int i = 0; i < 500 && seen.size() < order.size(); ++i) {
        if (order.contains(widget) && !seen.contains(widget))
            seen << widget;
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(seen, order);
}

void StartupTest::menuActsDirectly()
{
    const QList<QAction *> actions = f->w().menuBar()->actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions[0]->text(), QString("&О программе"));
    QCOMPARE(actions[1]->text(), QString("&Выход"));
    QCOMPARE(actions[2]->text(), QString("&Линия"));
    QCOMPARE(actions[3]->text(), QString("&План"));
    QCOMPARE(actions[4]->text(), QString("О&бъект"));
    for (QAction *a : actions)
        QVERIFY(a->menu() == nullptr);
}

void StartupTest::exitClosesTheWindow()
{
    frame2(f->w())->lblPd->setText("95");
    mvix(f->w())->trigger();
    QVERIFY(!f->w().isVisible());
    QVERIFY(f->messages.shown.empty());
}

void StartupTest::captionsStayWholeInTheirBoxes()
{
    for (QWidget *widget : f->w().findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        if (qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget))
            QVERIFY2(look::captionFits(widget, widget->font()), qPrintable(widget->objectName()));
    }
}

// Each mounting-type option is tall enough for its round indicator and
// keeps its centre where the layout put it (tops 360 to 1080 twips, 13 px).
void StartupTest::mountingOptionsShowWholeCircles()
{
    const LoudspeakerGroup *g3 = frame3(f->w());
    const QList<QPair<QRadioButton *, int>> options{
        {g3->opt1, 360}, {g3->opt2, 600}, {g3->opt3, 840}, {g3->opt4, 1080}};
    for (const auto &[option, top] : options) {
        const int indicator
            = option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, nullptr, option);
        QVERIFY2(option->height() >= indicator, qPrintable(option->text()));
        QVERIFY(qAbs(option->geometry().center().y() - (top / 15 + 6)) <= 1);
        QCOMPARE(option->x(), 120 / 15);
    }
    for (int i = 1; i < options.size(); ++i)
        QVERIFY(options[i - 1].first->geometry().bottom() < options[i].first->geometry().top());
}

void StartupTest::areaFollowsLengthHalfASecondLater()
{
    QLineEdit *length = frame4(f->w())->txtL;
    length->setFocus();
    length->end(false);
    QTest::keyClick(length, Qt::Key_2);
    QCOMPARE(length->text(), QString("62"));
    QVERIFY(timer1(f->w())->isActive());
    QVERIFY(f->w().state().areaFromLW);
    QTest::qWait(200);
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("36"));
    QTRY_COMPARE_WITH_TIMEOUT(frame4(f->w())->txtSR->text(), QString("372"), 1000);
    QVERIFY(!timer1(f->w())->isActive());
}

// The area box is an input the calculation reads back: it is written with
// "." in every locale, so that its fraction is not lost.
void StartupTest::areaIsWrittenWithAPointInEveryLocale()
{
    frame4(f->w())->txtL->setText("2.5");
    frame4(f->w())->txtW->setText("3");
    f->w().timer1_Timer();
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("7.5"));
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    f->w().timer1_Timer();
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("7.5"));
    f->w().cmdRkl_Click();
    QCOMPARE(f->w().state().roomArea, 7.5);
}

void StartupTest::typingTheAreaCancelsThePendingRecomputation()
{
    QTest::keyClick(frame4(f->w())->txtL, Qt::Key_2);
    QVERIFY(timer1(f->w())->isActive());
    frame4(f->w())->txtSR->setFocus();
    frame4(f->w())->txtSR->selectAll();
    QTest::keyClicks(frame4(f->w())->txtSR, "50");
    QVERIFY(!timer1(f->w())->isActive());
    QVERIFY(!f->w().state().areaFromLW);
    QTest::qWait(700);
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("50"));
}

void StartupTest::areaTimerLeavesAnOverflowingAreaAlone()
{
    frame4(f->w())->txtL->setText(QString(200, u'9'));
    frame4(f->w())->txtW->setText(QString(200, u'9'));
    f->w().timer1_Timer();
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("36"));
    frame4(f->w())->txtW->setText("1");
    f->w().timer1_Timer();
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("1E+200"));
}

void StartupTest::emptyLengthGivesAreaZero()
{
    frame4(f->w())->txtL->clear();
    f->w().timer1_Timer();
    QCOMPARE(frame4(f->w())->txtSR->text(), QString("0"));
}

void StartupTest::calculateShowsAllFourResults()
{
    QTest::mouseClick(frame2(f->w())->cmdRkl, Qt::LeftButton);
    // The start-up wall loudspeaker GK-1 in the 6 x 6 m car park.
    QCOMPARE(frame2(f->w())->lblPd->text(), QString("95"));
    QCOMPARE(frame2(f->w())->lblD->text(), QString("5"));
    QCOMPARE(frame2(f->w())->lblS->text(), QString("20"));
    QCOMPARE(frame2(f->w())->lblKs->text(), QString("2"));
    QVERIFY(f->w().state().calculated);
    QVERIFY(f->messages.shown.empty());
}

void StartupTest::failedCalculationMovesFocusAndEmptiesResults()
{
    frame5(f->w())->lblZat->setText("20");
    frame2(f->w())->lblS->setText("8");
    frame7(f->w())->cmbUPS->setEditText("31");
    f->w().cmdRkl_Click();
    QCOMPARE(f->messages.texts(), QStringList{"Введите значение от 3 до 30"});
    QCOMPARE(f->messages.shown[0].title, QString());
    QCOMPARE(frame7(f->w())->cmbUPS->currentText(), QString("6"));
    QCOMPARE(QApplication::focusWidget(), frame7(f->w())->cmbUPS);
    QVERIFY(frame5(f->w())->lblZat->text().isEmpty());
    QVERIFY(frame2(f->w())->lblS->text().isEmpty());
    QVERIFY(!f->w().state().calculated);
}

void StartupTest::tappedPowerOfZeroStopsWithThePowerMessage()
{
    frame3(f->w())->txtPv->setText("1");
    frame3(f->w())->opt_1[2]->setChecked(true);
    f->w().cmdRkl_Click();
    QCOMPARE(f->messages.texts(), QStringList{"Введите значение мощности громкоговорителя"});
    QCOMPARE(QApplication::focusWidget(), frame3(f->w())->txtPv);
    QVERIFY(frame2(f->w())->lblPd->text().isEmpty());
}

void StartupTest::qtTextsAreRussian()
{
    QVERIFY(installRussianTexts(*qApp));
    std::unique_ptr<QMenu> menu(frame4(f->w())->txtH->createStandardContextMenu());
    QStringList texts;
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            texts << a->text().section(u'\t', 0, 0); // without the shortcut
    }
    QVERIFY(texts.contains("&Отменить действие"));
    QVERIFY(texts.contains("В&ставить"));
    QVERIFY(texts.contains("Выделить всё"));
    for (const QString &t : texts)
        QVERIFY2(!t.contains(QRegularExpression("[A-Za-z]")), qPrintable(t));
}

namespace {

// What a modal message box showed, read while it is open.
struct SeenBox {
    bool found = false;
    QString title;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QStringList buttons;
    QString defaultButton;
};

// Watches for the next modal box, reads it and closes it with Escape. When
// no message box shows within two seconds, any dialog that did open is
// rejected, so that the caller returns at once and its checks fail instead
// of waiting for a box that nobody closes.
void readNextBox(SeenBox &seen)
{
    seen = SeenBox{};
    auto *poll = new QTimer;
    auto *deadline = new QElapsedTimer;
    deadline->start();
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, deadline, &seen] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            seen.found = true;
            seen.title = box->windowTitle();
            seen.icon = box->icon();
            for (QAbstractButton *b : box->buttons())
                seen.buttons << b->text();
            if (box->defaultButton())
                seen.defaultButton = box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Escape);
        } else if (deadline->elapsed() < 2000) {
            return;
        } else {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<QDialog *>(w); dialog && dialog->isVisible())
                    dialog->reject();
            }
        }
        poll->stop();
        poll->deleteLater();
        delete deadline;
    });
    poll->start();
}

} // namespace

void StartupTest::messageBoxesHaveRussianButtonsAndTheApplicationTitle()
{
    MessageBoxMessenger messenger(nullptr);
    SeenBox seen;
    readNextBox(seen);
    messenger.inform("Введите длину помещения");
    QVERIFY2(seen.found, "no message box showed");
    QCOMPARE(seen.title, QString("Расчет громкоговорителей"));
    QCOMPARE(seen.icon, QMessageBox::NoIcon);
    QCOMPARE(seen.buttons, QStringList{"ОК"});

    readNextBox(seen);
    const Messenger::Answer answer = messenger.ask("?", "ВНИМАНИЕ!");
    QVERIFY2(seen.found, "no question box showed");
    QCOMPARE(answer, Messenger::Answer::Cancel);
    QCOMPARE(seen.title, QString("ВНИМАНИЕ!"));
    QCOMPARE(seen.icon, QMessageBox::Question);
    seen.buttons.sort();
    QStringList expected{"Да", "Нет", "Отмена"};
    expected.sort();
    QCOMPARE(seen.buttons, expected);

    // The question before a step that cannot be undone: Yes and No, No the
    // default and Escape's answer.
    readNextBox(seen);
    QVERIFY(!messenger.confirm("Файл «план.pdf» уже существует. Заменить его?", "Сохранить план"));
    QVERIFY2(seen.found, "no confirmation box showed");
    QCOMPARE(seen.title, QString("Сохранить план"));
    QCOMPARE(seen.icon, QMessageBox::Question);
    seen.buttons.sort();
    QCOMPARE(seen.buttons, QStringList({"Да", "Нет"}));
    QCOMPARE(seen.defaultButton, QString("Нет"));
}

QTEST_MAIN(StartupTest)
#include "tst_window_startup.moc"
