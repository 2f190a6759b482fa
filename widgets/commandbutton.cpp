#include "commandbutton.h"

#include "widgets/look.h"

#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>

namespace {

// Enter or Return on a focused button presses it, as Space does.
class EnterPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key->isAutoRepeat())
            return false;
        auto *button = static_cast<QPushButton *>(watched);
        if (button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void pressOnEnter(QPushButton *button)
{
    button->installEventFilter(new EnterPresses(button));
}

QPushButton *commandButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(look::font(11.25, true));
    QPalette p = button->palette();
    p.setColor(QPalette::Button, look::ButtonFace);
    button->setPalette(p);
    button->setAutoFillBackground(true);
    button->setAutoDefault(false);
    pressOnEnter(button);
    return button;
}
