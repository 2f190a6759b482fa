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

// A caption label for the field, made in the field's parent: it leads to
// the field (its buddy), and the field is announced by it. Every input of a
// tool window gets its caption so; the caller places the label.
QLabel *captionFor(QWidget *field, const QString &caption);

// A result label keeps its value as its accessible name (Qt exposes a
// label's text so); the heading says what the value is.
void describeResult(QLabel *result, const QLabel *heading);

// A value label announced by its value, even an empty one, and described by
// the caption.
void describeValue(QLabel *value, const QString &caption);

// The same for a value of a tool window, which the user may also reach by
// Tab and select and copy with the keyboard or the mouse.
void makeCopyableValue(QLabel *value, const QString &caption);

// How labels, combo boxes and windows are read: an empty value label as
// empty (Qt would otherwise name it after the group around it); a combo by
// its name (or the caption that leads to it) with its text as value, its
// list of entries and its edit field as its children and the shown entry
// selected in the list; a top-level window as a frame. Installed by every
// window before it builds its controls (Qt makes a control's interface at
// the control's first change and keeps it); installing again does nothing.
void installAccessibility();

// A group is announced by its own title, not by the group around it.
void nameGroup(QGroupBox *group);

// After a heading's caption changes, its field follows.
void followHeading(QLabel *heading);

} // namespace a11y
