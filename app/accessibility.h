#pragma once

// How a screen reader announces the window: every box and combo by the text
// of its heading label, every result label by its value with the heading as
// its description, every group by its own title.

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QLabel>
#include <QString>

namespace a11y {

// The field is announced by name; the heading label becomes its buddy, so
// a heading with an access key would also lead to the field.
// On Linux a combo box reports its value as its name and its heading
// through the buddy relation; its edit field, which holds the focus, is
// named after the heading too.
inline void setFieldName(QWidget *field, const QString &name)
{
    field->setAccessibleName(name);
    if (auto *combo = qobject_cast<QComboBox *>(field); combo && combo->lineEdit())
        combo->lineEdit()->setAccessibleName(name);
}

// The field is announced by name; the heading label becomes its buddy.
inline void announce(QWidget *field, QLabel *heading, const QString &name)
{
    heading->setBuddy(field);
    setFieldName(field, name);
}

inline void announce(QWidget *field, QLabel *heading)
{
    announce(field, heading, heading->text().simplified());
}

// A result label keeps its value as its accessible name (Qt exposes a
// label's text so); the heading says what the value is.
inline void describeResult(QLabel *result, const QLabel *heading)
{
    // Marked first: setting the description may already create the
    // label's accessible interface.
    result->setProperty("resultLabel", true);
    result->setAccessibleDescription(heading->text().simplified());
}

// Reports an empty result label as empty: Qt would otherwise name it after
// the group around it. Installed once by the main window.
void installResultLabelAccessibility();

// A group is announced by its own title, not by the group around it.
inline void nameGroup(QGroupBox *group)
{
    group->setAccessibleName(group->title().trimmed());
}

// After a heading's caption changes, its field follows.
inline void followHeading(QLabel *heading)
{
    if (QWidget *field = heading->buddy())
        setFieldName(field, heading->text().simplified());
}

} // namespace a11y
