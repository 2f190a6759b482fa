#pragma once

#include <QObject>
#include <functional>

class QChar;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;

// The key filter of a numeric box. It sees every typed character before the
// box does: Backspace passes and touches nothing; a digit (and ".", where
// the box takes fractions) passes and runs the box's effects first; every
// other character is discarded and the box keeps the focus. Keys that type
// no character (arrows, Delete, Home, End, Tab) and shortcuts with Ctrl or
// Alt are not characters and pass untouched. Characters that an input
// method composes arrive without a key press; they are judged one by one
// the same way.
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
