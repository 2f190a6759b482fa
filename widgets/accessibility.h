#pragma once

// How a screen reader announces a window: every box and combo by the text
// of its heading label, every result label by its value with the heading as
// its description, every group by its own title.

#include <QString>

class QGroupBox;
class QLabel;
class QWidget;

namespace a11y {

// The field is announced by name. A named combo box is announced by that
// name with its text as value (installAccessibility); its edit field is
// named after the heading too.
void setFieldName(QWidget *field, const QString &name);

// The field is announced by name; the heading label becomes its buddy, so
// a heading with an access key would also lead to the field.
void announce(QWidget *field, QLabel *heading, const QString &name);

// The same, named after the heading's text.
void announce(QWidget *field, QLabel *heading);

// A result label keeps its value as its accessible name (Qt exposes a
// label's text so); the heading says what the value is.
void describeResult(QLabel *result, const QLabel *heading);

// How result labels and named combo boxes are read: an empty result label
// as empty (Qt would otherwise name it after the group around it), a combo
// by its name with its text as value. Installed by every window.
void installResultLabelAccessibility();

// A group is announced by its own title, not by the group around it.
void nameGroup(QGroupBox *group);

// After a heading's caption changes, its field follows.
void followHeading(QLabel *heading);

} // namespace a11y
