#include "resultlabel.h"

#include "widgets/look.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

ResultLabel::ResultLabel(QWidget *parent, const char *name, double points) : QLabel(parent)
{
    setObjectName(QString::fromLatin1(name));
    setFont(look::font(points, true));
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    look::setTextColour(this, Qt::black);
}

ResultLabel::Fitted ResultLabel::fitted() const
{
    const QString full = text();
    const int room = contentsRect().width() - 2 * margin() - 2;
    QFont f = font();
    if (full.isEmpty() || QFontMetrics(f).horizontalAdvance(full) <= room)
        return {f, full};
    while (f.pointSizeF() - 0.25 >= SmallestPoints) {
        f.setPointSizeF(f.pointSizeF() - 0.25);
        if (QFontMetrics(f).horizontalAdvance(full) <= room)
            return {f, full};
    }
    return {f, QFontMetrics(f).elidedText(full, Qt::ElideRight, room)};
}

QFont ResultLabel::shownFont() const
{
    return fitted().font;
}

QString ResultLabel::shownText() const
{
    return fitted().text;
}

bool ResultLabel::event(QEvent *event)
{
    // The tooltip is the whole figure, whatever the box shows of it.
    if (event->type() == QEvent::ToolTip) {
        if (text().isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void ResultLabel::paintEvent(QPaintEvent *event)
{
    const Fitted shown = fitted();
    if (shown.text == text() && shown.font == font()) {
        // The figure fits: the label paints itself, selection included.
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.setFont(shown.font);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect().adjusted(margin(), margin(), -margin(), -margin()), int(alignment()),
                     shown.text);
}

QLabel *resultLabel(QWidget *parent, const char *name, double points)
{
    return new ResultLabel(parent, name, points);
}
