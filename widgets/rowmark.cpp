#include "rowmark.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

namespace rowmark {

namespace {

// The circle of a side, kept in Qt's pixmap cache, which goes with the
// application (a static pixmap would outlive it).
QPixmap circle(int side)
{
    const QString key = QStringLiteral("rowmark-failure-%1").arg(side);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FailureColour);
    // A margin of an eighth keeps the circle off the cell's edges.
    const qreal margin = side / 8.0;
    painter.drawEllipse(QRectF(margin, margin, side - 2 * margin, side - 2 * margin));
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace

QIcon failureMark()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QIcon();
    QIcon icon;
    for (const int side : {12, 16, 24, 32})
        icon.addPixmap(circle(side));
    return icon;
}

} // namespace rowmark
