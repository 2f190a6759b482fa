#include "accessibility.h"

#include <QAccessibleWidget>

namespace {

// A result label as a screen reader reads it: its value (possibly empty)
// as its name, its heading as its description.
class ResultLabelAccessible : public QAccessibleWidget {
public:
    explicit ResultLabelAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

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

void installResultLabelAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(resultLabelFactory);
        return true;
    }();
    (void)installed;
}

} // namespace a11y
