#pragma once

#include <QObject>
#include <functional>

class QChar;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;

// The key filter of a numeric box. It sees every typed character before the
// box does: a digit (and ".", where the box takes fractions) passes and runs
// the box's effects first; where the box takes fractions a typed "," enters
// "." instead, as the decimal key of a Russian keypad means it; every other
// character is discarded and the box keeps the focus. Keys that type no
// character (arrows, Delete, Home, End, Tab, Backspace) and shortcuts with
// Ctrl or Alt are not characters and pass. Characters that an input method
// composes arrive without a key press; they are judged one by one the same
// way.
//
// Whatever changes the box's text as the user's doing (typing, Backspace,
// Delete, cut, paste, undo, redo, drag and drop) runs the box's effects as
// well, since it makes the same results stale; text the program sets runs
// nothing.
class NumericKeyFilter : public QObject {
    Q_OBJECT
public:
    NumericKeyFilter(QLineEdit *box, bool acceptsPoint, std::function<void()> effects);

    // Installs a filter on box; the filter lives as long as the box.
    static void install(QLineEdit *box, bool acceptsPoint, std::function<void()> effects);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool accepts(QChar c) const;
    bool filterKey(const QKeyEvent *key);
    void filterComposed(QInputMethodEvent *event);

    QLineEdit *m_box;
    bool m_acceptsPoint;
    std::function<void()> m_effects;
};
