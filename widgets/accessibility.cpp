#include "accessibility.h"

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

QAccessibleInterface *resultLabelFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->property("resultLabel").toBool())
        return new ResultLabelAccessible(label);
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
        QAccessible::installFactory(resultLabelFactory);
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
