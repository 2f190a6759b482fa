// The tool windows as the main window opens them: built on first use, one
// of each, following every completed calculation, and never changing it.

#include "windowfixture.h"

#include "line/linewindow.h"
#include "plan/planscene.h"
#include "plan/planwindow.h"

#include <QAction>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>

class ToolWindowsTest : public WindowTest {
    Q_OBJECT
private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        openWindow();
    }
    void cleanup() { closeWindow(); }
    void builtOnFirstUseOnly();
    void lineStartsFromTheBoxesBeforeAnyCalculation();
    void lineFollowsEachCompletedCalculation();
    void planFollowsEachCompletedCalculation();
    void toolsNeverChangeTheCalculation();
    void toolsSayWhenTheInputsChanged_data();
    void toolsSayWhenTheInputsChanged();
    void closingTheMainWindowClosesTheTools();

private:
    QString lineText(const char *name) const
    {
        return f->w().lineWindow()->findChild<QLineEdit *>(QString::fromLatin1(name))->text();
    }
    QAction *menuItem(const QString &text) const
    {
        for (QAction *a : f->w().menuBar()->actions()) {
            if (a->text() == text)
                return a;
        }
        return nullptr;
    }
};

void ToolWindowsTest::builtOnFirstUseOnly()
{
    QVERIFY(!f->w().lineWindow());
    QVERIFY(!f->w().planWindow());
    menuItem("&Линия")->trigger();
    LineWindow *line = f->w().lineWindow();
    QVERIFY(line);
    QVERIFY(line->isVisible());
    QVERIFY(line->isWindow());
    QCOMPARE(line->windowTitle(), QString("Потери на проводах и усилитель"));
    // Closed and asked for again: the same window comes back.
    line->close();
    menuItem("&Линия")->trigger();
    QCOMPARE(f->w().lineWindow(), line);
    QVERIFY(line->isVisible());

    menuItem("&План")->trigger();
    plan::PlanWindow *planWindow = f->w().planWindow();
    QVERIFY(planWindow);
    QCOMPARE(planWindow->windowTitle(), QString("План размещения громкоговорителей"));
    menuItem("&План")->trigger();
    QCOMPARE(f->w().planWindow(), planWindow);
    QCOMPARE(f->w().findChildren<plan::PlanWindow *>().size(), 1);
    QCOMPARE(f->w().findChildren<LineWindow *>().size(), 1);
}

void ToolWindowsTest::lineStartsFromTheBoxesBeforeAnyCalculation()
{
    // GK-1: 6 W; on the tap 1/3 that is 2 W, rounded halves to even.
    g->opt_1[3]->click();
    menuItem("&Линия")->trigger();
    QCOMPARE(lineText("txtLineCount"), QString("1"));
    QCOMPARE(lineText("txtLinePower"), QString("2"));
}

void ToolWindowsTest::lineFollowsEachCompletedCalculation()
{
    f->w().cmdRkl_Click(); // the start-up wall loudspeaker: count 2, 6 W
    menuItem("&Линия")->trigger();
    QCOMPARE(lineText("txtLineCount"), QString("2"));
    QCOMPARE(lineText("txtLinePower"), QString("6"));

    // A new calculation while the window is open: 18 m long room, tap 1/2.
    g->opt_1[2]->click();
    room->txtL->setText("18");
    room->txtSR->setText("108");
    f->w().cmdRkl_Click();
    QVERIFY(f->w().state().calculated);
    QCOMPARE(lineText("txtLineCount"), QString::number(f->w().state().count));
    QCOMPARE(lineText("txtLinePower"), QString("3"));

    // One that stops changes nothing there.
    room->txtL->setText("");
    f->w().cmdRkl_Click();
    QVERIFY(!f->w().state().calculated);
    QCOMPARE(lineText("txtLinePower"), QString("3"));
}

void ToolWindowsTest::planFollowsEachCompletedCalculation()
{
    menuItem("&План")->trigger();
    plan::PlanWindow *planWindow = f->w().planWindow();
    QVERIFY(!planWindow->hasCalculation());
    QVERIFY(planWindow->notCalculatedLabel()->isVisible());
    QCOMPARE(planWindow->notCalculatedLabel()->text(), QString("Вначале произведите расчет"));

    f->w().cmdRkl_Click();
    QVERIFY(planWindow->hasCalculation());
    QCOMPARE(planWindow->countBox()->value(), 2);
    QCOMPARE(planWindow->scene()->figures.mounting, calc::Mounting::Wall);
    QCOMPARE(planWindow->scene()->figures.range, 5.0);
    QCOMPARE(planWindow->scene()->loudspeakers(), qsizetype(2));

    // The ceiling model KE-1 in the same room.
    chooseFromList(g->cmbG, QStringLiteral("KE-1"));
    f->w().cmdRkl_Click();
    QVERIFY(f->w().state().calculated);
    QCOMPARE(planWindow->scene()->figures.mounting, calc::Mounting::Ceiling);
    QVERIFY(qAbs(planWindow->scene()->figures.radius - 1.49993) < 1e-4);
    QCOMPARE(planWindow->scene()->figures.model, QString("KE-1"));
    QCOMPARE(planWindow->countBox()->value(), int(f->w().state().count));
}

void ToolWindowsTest::toolsSayWhenTheInputsChanged_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("openedAfterChange");
    QTest::newRow("typed length") << "length" << false;
    QTest::newRow("another tap") << "tap" << false;
    QTest::newRow("model chosen") << "model" << false;
    QTest::newRow("stopped calculation") << "stopped" << false;
    // Built only after the change, from the last completed calculation.
    QTest::newRow("typed length, opened after") << "length" << true;
    QTest::newRow("model chosen, opened after") << "model" << true;
    QTest::newRow("stopped calculation, opened after") << "stopped" << true;
}

void ToolWindowsTest::toolsSayWhenTheInputsChanged()
{
    QFETCH(QString, change);
    QFETCH(bool, openedAfterChange);
    const QString notice = QStringLiteral("Данные главного окна изменены после расчета");
    const auto openTools = [this] {
        menuItem("&Линия")->trigger();
        menuItem("&План")->trigger();
    };
    const auto lineNotice
        = [this] { return f->w().lineWindow()->findChild<QLabel *>(QStringLiteral("lblLineInputsChanged")); };
    if (!openedAfterChange) {
        openTools();
        QVERIFY(lineNotice());
        // Before any calculation there is nothing to be stale.
        typeKeys(room->txtL, QStringLiteral("1"));
        QVERIFY(lineNotice()->isHidden());
        QVERIFY(f->w().planWindow()->inputsChangedLabel()->isHidden());
    }

    room->txtL->setText(QStringLiteral("6"));
    f->w().cmdRkl_Click();
    QVERIFY(f->w().state().calculated);
    const QString countBefore = QString::number(f->w().state().count);
    if (!openedAfterChange) {
        QVERIFY(lineNotice()->isHidden());
        QVERIFY(f->w().planWindow()->inputsChangedLabel()->isHidden());
        QCOMPARE(lineText("txtLineCount"), countBefore);
    }

    if (change == u"length") {
        room->txtL->setFocus();
        typeKeys(room->txtL, QStringLiteral("2"));
    } else if (change == u"tap") {
        g->opt_1[2]->click();
    } else if (change == u"model") {
        chooseFromList(g->cmbG, QStringLiteral("KE-1"));
    } else {
        room->txtL->setText(QString());
        f->w().cmdRkl_Click();
        QVERIFY(!f->w().state().calculated);
    }
    if (openedAfterChange) {
        QVERIFY(!f->w().lineWindow() && !f->w().planWindow());
        openTools();
    }
    LineWindow *lineWindow = f->w().lineWindow();
    plan::PlanWindow *planWindow = f->w().planWindow();
    QVERIFY(lineWindow && planWindow);
    // Both say so, and keep the figures of the calculation they show.
    QVERIFY(!lineNotice()->isHidden());
    QCOMPARE(lineNotice()->text(), notice);
    QCOMPARE(lineNotice()->accessibleName(), notice);
    QVERIFY(!planWindow->inputsChangedLabel()->isHidden());
    QCOMPARE(planWindow->inputsChangedLabel()->text(), notice);
    QCOMPARE(planWindow->inputsChangedLabel()->accessibleName(), notice);
    QCOMPARE(lineText("txtLineCount"), countBefore);
    QVERIFY(planWindow->hasCalculation());
    QCOMPARE(planWindow->countBox()->value(), countBefore.toInt());

    // The next completed calculation takes the notice away.
    room->txtL->setText(QStringLiteral("6"));
    f->w().cmdRkl_Click();
    QVERIFY(f->w().state().calculated);
    QVERIFY(lineNotice()->isHidden());
    QVERIFY(planWindow->inputsChangedLabel()->isHidden());
}

void ToolWindowsTest::toolsNeverChangeTheCalculation()
{
    f->w().cmdRkl_Click();
    const calc::CalcState before = f->w().state();
    const QStringList shown{results->lblPd->text(), results->lblD->text(), results->lblS->text(),
                            results->lblKs->text()};
    menuItem("&Линия")->trigger();
    menuItem("&План")->trigger();
    QLineEdit *count = f->w().lineWindow()->findChild<QLineEdit *>("txtLineCount");
    count->setText("40");
    f->w().planWindow()->countBox()->setValue(7);

    const calc::CalcState &after = f->w().state();
    QCOMPARE(after.count, before.count);
    QCOMPARE(after.range, before.range);
    QCOMPARE(after.coverS, before.coverS);
    QCOMPARE(after.splTotal, before.splTotal);
    QVERIFY(after.calculated);
    QCOMPARE((QStringList{results->lblPd->text(), results->lblD->text(), results->lblS->text(),
                          results->lblKs->text()}),
             shown);
}

void ToolWindowsTest::closingTheMainWindowClosesTheTools()
{
    menuItem("&Линия")->trigger();
    menuItem("&План")->trigger();
    f->w().mvix_Click();
    QVERIFY(!f->w().lineWindow()->isVisible());
    QVERIFY(!f->w().planWindow()->isVisible());
}

QTEST_MAIN(ToolWindowsTest)
#include "tst_window_tools.moc"
