#pragma once

// Fonts, colours, geometry and combo set-up shared by every group and tool
// window.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace look {

// Positions are given in twips as the layout was drawn: 15 twips make one
// pixel at 96 dpi.
void place(QWidget *widget, int left, int top, int width, int height);

// Verdana, or DejaVu Sans where Verdana is missing; both carry Cyrillic.
QFont font(double points, bool bold = false);

inline const QColor DarkGreen{0, 64, 0};
inline const QColor Navy{0, 0, 128};
inline const QColor LightGrey{192, 192, 192}; // a box the list fills: read-only
inline const QColor ButtonFace{224, 224, 224};

// The system menu colour of a locked box before anything was chosen.
QColor menuColour();

// The system window colour of an ordinary edit field.
QColor windowColour();

// The system colour of ordinary text on a window.
QColor textColour();

void setBackground(QLineEdit *box, const QColor &colour);
QColor background(const QLineEdit *box);
void setTextColour(QWidget *widget, const QColor &colour);

// A heading label: 8.25 pt, black, wrapped at word boundaries.
QLabel *headingLabel(QWidget *parent, const char *name, const QString &text);

// A numeric text box: 9 pt bold.
QLineEdit *numberBox(QWidget *parent, const char *name);

// Whether a caption drawn in font f stays whole inside the widget's box.
bool captionFits(const QWidget *widget, const QFont &f);

// Keeps a caption whole inside its fixed box: where the fallback font runs
// wider than the one the layout was drawn for, the caption's font shrinks in
// quarter points until it fits. The designed size is remembered, so a
// shorter caption later gets it back.
void fitCaption(QWidget *widget);

// fitCaption for every label and button under root.
void fitAllCaptions(QWidget *root);

// An editable, unsorted drop-down combo on which only a choice from the
// list (mouse, or Up/Down on the closed box) emits activated(): typing,
// Enter and leaving the field never do, typed text never completes inline
// and never enters the list.
void makeChoiceCombo(QComboBox *combo);

// A named choice combo in the given font.
QComboBox *choiceCombo(QWidget *parent, const char *name, const QFont &f);

// Fills the list of a choice combo and leaves startText in its edit field
// with no entry selected (adding to an empty combo would select entry 0).
void fillChoiceCombo(QComboBox *combo, const QString &startText, const QStringList &entries);

} // namespace look
