#pragma once

#include "app/mainwindow.h"
#include "catalogue/loudspeakergroup.h"
#include "output/attenuationgroup.h"
#include "output/resultsgroup.h"
#include "recordingmessenger.h"
#include "room/manualsettingsgroup.h"
#include "room/roomgroup.h"
#include "windowparts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QTest>
#include <memory>

// A shown, active main window whose messages go to a recorder. Focus moves
// only inside the active window; without a window manager the window must
// ask for activation itself.
struct WindowFixture {
    WindowFixture() : window(std::make_unique<MainWindow>())
    {
        window->setMessenger(&messages);
        window->show();
        QApplication::setActiveWindow(window.get());
        exposed = QTest::qWaitForWindowExposed(window.get());
        if (exposed) {
            window->activateWindow();
            active = QTest::qWaitForWindowActive(window.get());
        }
    }

    MainWindow &w() { return *window; }

    RecordingMessenger messages;
    std::unique_ptr<MainWindow> window;
    bool exposed = false;
    bool active = false;
};

// Opens the list of combo and clicks the entry with the given text, as a
// user does with the mouse.
inline void clickListEntry(QComboBox *combo, const QString &entry)
{
    const int index = combo->findText(entry, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(entry));
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = view->model()->index(index, 0);
    view->scrollTo(item);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    QTRY_VERIFY(!view->isVisible());
}

// Clicks the entry in the list of combo and checks that it became the
// chosen one.
inline void chooseFromList(QComboBox *combo, const QString &entry)
{
    clickListEntry(combo, entry);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(combo->currentIndex(), combo->findText(entry, Qt::MatchExactly));
}

// Types text into a widget key by key; letters outside ASCII go with their
// character as a keyboard with that layout would send them.
inline void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
    }
}

// The base of a test class that drives a fresh active window in every test
// function: its init() calls openWindow() and its cleanup() closeWindow().
class WindowTest : public QObject {
protected:
    void openWindow()
    {
        f = std::make_unique<WindowFixture>();
        QVERIFY(f->exposed);
        QVERIFY(f->active);
        g = frame3(f->w());
        m = frame7(f->w());
        room = frame4(f->w());
        results = frame2(f->w());
        lblZat = frame5(f->w())->lblZat;
    }

    void closeWindow() { f.reset(); }

    // Puts figures into the five result labels, as a calculation and the
    // attenuation tool leave them.
    void showResults()
    {
        results->lblPd->setText(QStringLiteral("101"));
        results->lblD->setText(QStringLiteral("12"));
        results->lblS->setText(QStringLiteral("45"));
        results->lblKs->setText(QStringLiteral("3"));
        lblZat->setText(QStringLiteral("20"));
    }

    // The four calculation results are empty.
    bool resultsEmpty() const
    {
        return results->lblPd->text().isEmpty() && results->lblD->text().isEmpty()
            && results->lblS->text().isEmpty() && results->lblKs->text().isEmpty();
    }

    // The four calculation results still show what showResults() put there.
    bool resultsShown() const
    {
        return results->lblPd->text() == u"101" && results->lblD->text() == u"12"
            && results->lblS->text() == u"45" && results->lblKs->text() == u"3";
    }

    QComboBox *combo(const QString &name) const { return f->w().findChild<QComboBox *>(name); }
    QLineEdit *box(const QString &name) const { return f->w().findChild<QLineEdit *>(name); }

    std::unique_ptr<WindowFixture> f;
    LoudspeakerGroup *g = nullptr;
    ManualSettingsGroup *m = nullptr;
    RoomGroup *room = nullptr;
    ResultsGroup *results = nullptr;
    QLabel *lblZat = nullptr;
};
