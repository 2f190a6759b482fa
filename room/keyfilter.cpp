#include "keyfilter.h"

#include <QKeyEvent>
#include <QLineEdit>

NumericKeyFilter::NumericKeyFilter(QLineEdit *box, bool acceptsPoint, std::function<void()> effects)
    : QObject(box), m_box(box), m_acceptsPoint(acceptsPoint), m_effects(std::move(effects))
{
}

void NumericKeyFilter::install(QLineEdit *box, bool acceptsPoint, std::function<void()> effects)
{
    box->installEventFilter(new NumericKeyFilter(box, acceptsPoint, std::move(effects)));
}

bool NumericKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
        || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (key->key() == Qt::Key_Backspace)
        return false;
    const QChar c = text.size() == 1 ? text[0] : QChar();
    const bool digit = c >= u'0' && c <= u'9';
    if (digit || (c == u'.' && m_acceptsPoint)) {
        if (m_effects)
            m_effects();
        return false;
    }
    m_box->setFocus();
    return true;
}
