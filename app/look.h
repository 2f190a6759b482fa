#pragma once

// Fonts, colours, geometry and combo set-up shared by every group of the
// window. Header-only, so that each subsystem's group can use it.

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QAbstractButton>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace look {

// Positions are given in twips as the layout was drawn: 15 twips make one
// pixel at 96 dpi.
inline void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(left / 15, top / 15, width / 15, height / 15);
}

// Verdana, or DejaVu Sans where Verdana is missing; both carry Cyrillic.
inline QFont font(double points, bool bold = false)
{
    QFont f;
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

inline const QColor DarkGreen{0, 64, 0};
inline const QColor Navy{0, 0, 128};
inline const QColor LightGrey{192, 192, 192};   // a box the list fills: read-only
inline const QColor ButtonFace{224, 224, 224};

// The system menu colour of a locked box before anything was chosen.
inline QColor menuColour()
{
    return QApplication::palette().color(QPalette::Window);
}

// The system window colour of an ordinary edit field.
inline QColor windowColour()
{
    return QApplication::palette().color(QPalette::Base);
}

inline void setBackground(QLineEdit *box, const QColor &colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

inline QColor background(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

inline void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    widget->setPalette(p);
}

// A heading label: 8.25 pt, black, wrapped at word boundaries.
inline QLabel *headingLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font(8.25));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextColour(label, Qt::black);
    return label;
}

// A numeric text box: 9 pt bold.
inline QLineEdit *numberBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(font(9, true));
    return box;
}

// Whether a caption drawn in font f stays whole inside the widget's box.
inline bool captionFits(const QWidget *widget, const QFont &f)
{
    const QFontMetrics metrics(f);
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        const QRect box = label->contentsRect();
        const int flags = Qt::AlignLeft | (label->wordWrap() ? Qt::TextWordWrap : 0);
        const QRect needed = metrics.boundingRect(QRect(0, 0, box.width(), 10000), flags, label->text());
        return needed.width() <= box.width() && needed.height() <= box.height();
    }
    if (const auto *radio = qobject_cast<const QRadioButton *>(widget))
        return metrics.horizontalAdvance(radio->text()) + 20 <= radio->width();
    if (const auto *button = qobject_cast<const QPushButton *>(widget))
        return metrics.horizontalAdvance(button->text()) + 8 <= button->width();
    return true;
}

// Keeps a caption whole inside its fixed box: where the fallback font runs
// wider than the one the layout was drawn for, the caption's font shrinks in
// quarter points until it fits. The designed size is remembered, so a
// shorter caption later gets it back.
inline void fitCaption(QWidget *widget)
{
    QVariant designed = widget->property("designedPointSize");
    if (!designed.isValid()) {
        designed = widget->font().pointSizeF();
        widget->setProperty("designedPointSize", designed);
    }
    QFont f = widget->font();
    f.setPointSizeF(designed.toDouble());
    while (!captionFits(widget, f) && f.pointSizeF() > 6.0)
        f.setPointSizeF(f.pointSizeF() - 0.25);
    widget->setFont(f);
}

// fitCaption for every label and button under root.
inline void fitAllCaptions(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget))
            fitCaption(widget);
    }
}

// An editable, unsorted drop-down combo on which only a choice from the
// list (mouse, or Up/Down on the closed box) emits activated(): typing,
// Enter and leaving the field never do, typed text never completes inline
// and never enters the list.
inline void makeChoiceCombo(QComboBox *combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setMaxVisibleItems(12);
    QLineEdit *edit = combo->lineEdit();
    QObject::disconnect(edit, SIGNAL(returnPressed()), combo, nullptr);
    QObject::disconnect(edit, SIGNAL(editingFinished()), combo, nullptr);
}

// A named choice combo in the given font.
inline QComboBox *choiceCombo(QWidget *parent, const char *name, const QFont &f)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setFont(f);
    makeChoiceCombo(combo);
    return combo;
}

// Fills the list of a choice combo and leaves startText in its edit field
// with no entry selected (adding to an empty combo would select entry 0).
inline void fillChoiceCombo(QComboBox *combo, const QString &startText, const QStringList &entries)
{
    combo->setEditText(startText);
    combo->addItems(entries);
    combo->setCurrentIndex(-1);
    combo->setEditText(startText);
}

} // namespace look
