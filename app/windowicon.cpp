#include "windowicon.h"

#include "widgets/look.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage makeWindowIconImage()
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(look::DarkGreen, 1.5));
    painter.setBrush(look::ButtonFace);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 4, 4);

    QPainterPath speaker;
    speaker.moveTo(6, 12);
    speaker.lineTo(11, 12);
    speaker.lineTo(18, 6);
    speaker.lineTo(18, 26);
    speaker.lineTo(11, 20);
    speaker.lineTo(6, 20);
    speaker.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(look::Navy);
    painter.drawPath(speaker);

    painter.setPen(QPen(look::DarkGreen, 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    QPainterPath near;
    near.moveTo(21, 11);
    near.quadTo(24, 16, 21, 21);
    QPainterPath far;
    far.moveTo(24, 8);
    far.quadTo(29, 16, 24, 24);
    painter.drawPath(near);
    painter.drawPath(far);
    painter.end();
    return image;
}

QIcon makeWindowIcon()
{
    return QIcon(QPixmap::fromImage(makeWindowIconImage()));
}
