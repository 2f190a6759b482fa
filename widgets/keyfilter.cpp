#include "keyfilter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

constexpr char16_t Backspace = 8;
// The X11 keyboard reports the Delete key with the DEL character as its
// text; it deletes, it types nothing.
constexpr char16_t Del = 0x7f;

} // namespace

NumericKeyFilter::NumericKeyFilter(QLineEdit *box, bool acceptsPoint, std::function<void()> effects)
    : QObject(box),
      m_box(box),
      m_acceptsPoint(acceptsPoint),
      m_effects(std::move(effects))
{ }

void NumericKeyFilter::install(QLineEdit *box, bool acceptsPoint, std::function<void()> effects)
{
    auto *filter = new NumericKeyFilter(box, acceptsPoint, std::move(effects));
    box->installEventFilter(filter);
    QObject::connect(box, &QLineEdit::textEdited, filter, [filter] {
        if (filter->m_effects)
            filter->m_effects();
    });
}

bool NumericKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box)
        return false;
    if (event->type() == QEvent::KeyPress)
        return filterKey(static_cast<const QKeyEvent *>(event));
    if (event->type() == QEvent::InputMethod)
        filterComposed(static_cast<QInputMethodEvent *>(event));
    return false;
}

bool NumericKeyFilter::accepts(QChar c) const
{
    return (c >= u'0' && c <= u'9') || (c == u'.' && m_acceptsPoint);
}

// Returns true when the key's character is discarded.
bool NumericKeyFilter::filterKey(const QKeyEvent *key)
{
    const QString text = key->text();
    if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab
        || key->key() == Qt::Key_Delete || text == QChar(Del)
        || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    if (key->key() == Qt::Key_Backspace || text == QChar(Backspace))
        return false;
    if (text.size() == 1 && accepts(text[0])) {
        // An editable box reports the change itself (textEdited); a locked
        // one keeps its text, yet the accepted key still withdraws.
        if (m_box->isReadOnly() && m_effects)
            m_effects();
        return false;
    }
    if (text == QStringLiteral(",") && m_acceptsPoint) {
        // The comma becomes a typed point: this filter passes it and runs
        // the effects, and the box inserts it as it would a typed one.
        QKeyEvent point(QEvent::KeyPress, Qt::Key_Period, key->modifiers(), QStringLiteral("."),
                        key->isAutoRepeat(), ushort(key->count()));
        QCoreApplication::sendEvent(m_box, &point);
        return true;
    }
    m_box->setFocus();
    return true;
}

// Keeps the accepted characters of a composed text and drops the others;
// a locked box runs its effects once for each accepted one.
void NumericKeyFilter::filterComposed(QInputMethodEvent *event)
{
    const QString composed = event->commitString();
    if (composed.isEmpty())
        return;
    QString kept;
    for (QChar c : composed) {
        if (c == u',' && m_acceptsPoint)
            c = u'.';
        if (accepts(c)) {
            if (m_box->isReadOnly() && m_effects)
                m_effects();
            kept += c;
        }
    }
    if (kept != composed) {
        event->setCommitString(kept, event->replacementStart(), event->replacementLength());
        m_box->setFocus();
    }
}
