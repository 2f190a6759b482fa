#include "accessibility.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>

namespace {

// A result label as a screen reader reads it: its value (possibly empty)
// as its name, its heading as its description.
class ResultLabelAccessible : public QAccessibleWidget {
public:
    explicit ResultLabelAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

// The entry a combo shows: its current one, or for an editable combo the
// entry its edit text matches (the main window's combos show a start text
// with no current entry); -1 when the text is no entry.
int shownEntry(const QComboBox *combo)
{
    const int current = combo->currentIndex();
    if (!combo->isEditable() || (current >= 0 && combo->itemText(current) == combo->currentText()))
        return current;
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// Marks the shown entry of a combo selected in its list. Qt marks the
// current entry only while the list is open; a screen reader walking the
// closed combo's list would otherwise find no entry chosen.
void selectShownEntry(QComboBox *combo)
{
    QItemSelectionModel *selection = combo->view()->selectionModel();
    if (!selection || combo->view()->isVisible())
        return;
    const QModelIndex shown
        = combo->model()->index(shownEntry(combo), combo->modelColumn(), combo->rootModelIndex());
    if (!shown.isValid())
        selection->clearSelection();
    else if (!selection->isSelected(shown))
        selection->select(shown, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// Selects the shown entry again once the list closes: opening the list
// selects Qt's current entry, which a combo showing a start text lacks.
class ListClosing : public QObject {
public:
    explicit ListClosing(QComboBox *combo) : QObject(combo), m_combo(combo) { }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            QMetaObject::invokeMethod(
                m_combo, [combo = m_combo] { selectShownEntry(combo); }, Qt::QueuedConnection);
        return false;
    }

private:
    QComboBox *m_combo;
};

// Keeps the selection in the closed list on the shown entry: after every
// new choice or text, after the entries change (a window may refill a
// combo with its signals blocked; the model and the edit field still tell)
// and after the list closes. Queued, so that it runs once the code that
// changes the combo has chosen the entry to show.
void followShownEntry(QComboBox *combo)
{
    const auto follow = [combo] { selectShownEntry(combo); };
    if (QWidget *popup = combo->view()->parentWidget())
        popup->installEventFilter(new ListClosing(combo));
    const auto later = Qt::QueuedConnection;
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo, follow, later);
    QObject::connect(combo, &QComboBox::currentTextChanged, combo, follow, later);
    if (QLineEdit *edit = combo->lineEdit())
        QObject::connect(edit, &QLineEdit::textChanged, combo, follow, later);
    QAbstractItemModel *model = combo->model();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, combo, follow, later);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, combo, follow, later);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, combo, follow, later);
    QObject::connect(model, &QAbstractItemModel::modelReset, combo, follow, later);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, combo, follow, later);
    selectShownEntry(combo);
}

// A combo box as a screen reader reads it: its heading (the accessible name
// the window gave it, or the caption label that leads to it) as its name,
// the text it shows as its value. Qt's own combo reports its value as its
// name on Linux, so a reader would announce "90" or "GK-1" instead of what
// the field is. Its children are Qt's: the list of entries first, then the
// edit field of an editable combo.
class ComboAccessible : public QAccessibleWidget {
public:
    explicit ComboAccessible(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox)
    {
        followShownEntry(combo);
    }

    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            // Without a name or a caption the value is all there is to say.
            const QString name = QAccessibleWidget::text(t);
            return name.isEmpty() ? combo()->currentText() : name;
        }
        case QAccessible::Value: return combo()->currentText();
        default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.editable = combo()->isEditable();
        return s;
    }

    int childCount() const override { return combo()->isEditable() ? 2 : 1; }

    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->isEditable())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == combo()->view())
            return 0;
        if (combo()->isEditable() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        QLineEdit *edit = combo()->lineEdit();
        if (edit && edit->rect().contains(edit->mapFromGlobal(QPoint(x, y))))
            return child(1);
        return nullptr;
    }

    // The edit field holds the focus of an editable combo (the combo is its
    // focus proxy), so a reader follows it there.
    QAccessibleInterface *focusChild() const override { return combo()->isEditable() ? child(1) : nullptr; }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &actionName) override
    {
        if (actionName == showMenuAction() || actionName == pressAction()) {
            if (combo()->view()->isVisible())
                combo()->hidePopup();
            else
                combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *windowFactory(const QString &className, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->property("resultLabel").toBool())
        return new ResultLabelAccessible(label);
    if (auto *combo = qobject_cast<QComboBox *>(object))
        return new ComboAccessible(combo);
    // A window built on a plain QWidget is a window to a screen reader, as
    // the main window is, not a filler inside one.
    auto *widget = qobject_cast<QWidget *>(object);
    if (className == QLatin1String("QWidget") && widget && widget->windowType() == Qt::Window)
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

namespace a11y {

void setFieldName(QWidget *field, const QString &name)
{
    field->setAccessibleName(name);
    if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(name);
}

void announce(QWidget *field, QLabel *heading, const QString &name)
{
    heading->setBuddy(field);
    setFieldName(field, name);
}

void announce(QWidget *field, QLabel *heading)
{
    announce(field, heading, heading->text().simplified());
}

QLabel *captionFor(QWidget *field, const QString &caption)
{
    installAccessibility();
    auto *label = new QLabel(caption, field->parentWidget());
    announce(field, label, caption);
    return label;
}

void describeResult(QLabel *result, const QLabel *heading)
{
    describeValue(result, heading->text().simplified());
}

void describeValue(QLabel *value, const QString &caption)
{
    // Marked first: setting the description may already create the
    // label's accessible interface.
    value->setProperty("resultLabel", true);
    value->setAccessibleDescription(caption);
}

void makeCopyableValue(QLabel *value, const QString &caption)
{
    installAccessibility();
    describeValue(value, caption);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Selectable text alone takes the focus only by a click; Tab reaches it
    // as it reaches a read-only box.
    value->setFocusPolicy(Qt::StrongFocus);
}

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    (void)installed;
}

void nameGroup(QGroupBox *group)
{
    group->setAccessibleName(group->title().trimmed());
}

void followHeading(QLabel *heading)
{
    if (QWidget *field = heading->buddy())
        setFieldName(field, heading->text().simplified());
}

} // namespace a11y
