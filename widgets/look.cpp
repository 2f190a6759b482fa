#include "look.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVariant>
#include <QWidget>

namespace look {

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(left / 15, top / 15, width / 15, height / 15);
}

QFont font(double points, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QColor menuColour()
{
    return QApplication::palette().color(QPalette::Window);
}

QColor windowColour()
{
    return QApplication::palette().color(QPalette::Base);
}

QColor textColour()
{
    return QApplication::palette().color(QPalette::WindowText);
}

void setBackground(QLineEdit *box, const QColor &colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

QColor background(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base);
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    widget->setPalette(p);
}

QLabel *headingLabel(QWidget *parent, const char *name, const QString &text)
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

QLineEdit *numberBox(QWidget *parent, const char *name)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(font(9, true));
    return box;
}

bool captionFits(const QWidget *widget, const QFont &f)
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

void fitCaption(QWidget *widget)
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

void fitAllCaptions(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget))
            fitCaption(widget);
    }
}

namespace {

// Up or Down on a closed combo moves from the entry its edit text shows
// (АВТОСТОЯНКА, Down: СПОРТЗАЛ), not from the top of the list: that entry
// becomes the current one first, quietly, and the combo then moves on.
class StepFromShownEntry : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Up && key != Qt::Key_Down)
            return false;
        auto *combo = static_cast<QComboBox *>(watched);
        if (combo->view()->isVisible())
            return false;
        const int shown = combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (shown >= 0 && shown != combo->currentIndex()) {
            const QSignalBlocker quiet(combo);
            combo->setCurrentIndex(shown);
        }
        return false;
    }
};

} // namespace

void makeChoiceCombo(QComboBox *combo)
{
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setMaxVisibleItems(12);
    QLineEdit *edit = combo->lineEdit();
    QObject::disconnect(edit, SIGNAL(returnPressed()), combo, nullptr);
    QObject::disconnect(edit, SIGNAL(editingFinished()), combo, nullptr);
    combo->installEventFilter(new StepFromShownEntry(combo));
}

QComboBox *choiceCombo(QWidget *parent, const char *name, const QFont &f)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setFont(f);
    makeChoiceCombo(combo);
    return combo;
}

void fillChoiceCombo(QComboBox *combo, const QString &startText, const QStringList &entries)
{
    combo->setEditText(startText);
    combo->addItems(entries);
    combo->setCurrentIndex(-1);
    combo->setEditText(startText);
}

} // namespace look
