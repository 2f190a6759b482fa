#pragma once

#include <QColor>
#include <QIcon>

// The mark of a table row whose figures fail or could not be computed: a
// red filled circle in the row's first column, shown through
// Qt::DecorationRole, with the reason as the cell's tool tip and accessible
// description. Every table marks such rows alike.
namespace rowmark {

inline const QColor FailureColour{200, 0, 0};

// The red circle in the sizes a table cell asks for, each drawn once; an
// empty icon where there is no QGuiApplication to draw with.
QIcon failureMark();

} // namespace rowmark
