#include "accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
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

// A combo box as a screen reader reads it: its heading (the accessible name
// the window gave it) as its name, the text it shows as its value. Qt's own
// combo reports its value as its name on Linux, so a reader would announce
// "90" or "GK-1" instead of what the field is.
class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) { }

    QComboBox *combo() const { return static_cast<QComboBox *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return combo()->accessibleName();
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

QAccessibleInterface *windowFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->property("resultLabel").toBool())
        return new ResultLabelAccessible(label);
    auto *combo = qobject_cast<QComboBox *>(object);
    if (combo && !combo->accessibleName().isEmpty())
        return new NamedComboAccessible(combo);
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

void describeResult(QLabel *result, const QLabel *heading)
{
    // Marked first: setting the description may already create the
    // label's accessible interface.
    result->setProperty("resultLabel", true);
    result->setAccessibleDescription(heading->text().simplified());
}

void installResultLabelAccessibility()
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
