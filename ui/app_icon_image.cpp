#include "ui/app_icon_image.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

// A blue tile with a white ring and a tail: a "Q" over a small tree of three points.
QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5f, 0xa8));
    p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
    QPen ring(Qt::white, std::max<qreal>(1.5, s * 0.1));
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(s * 0.2, s * 0.16, s * 0.56, s * 0.56));
    p.drawLine(QPointF(s * 0.58, s * 0.6), QPointF(s * 0.8, s * 0.84));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xb1, 0x34));
    const qreal dot = s * 0.12;
    p.drawEllipse(QPointF(s * 0.48, s * 0.44), dot / 2, dot / 2);
    return image;
}
