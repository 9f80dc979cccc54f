#include "player/window_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon ZelkoWindowIcon()
{
    constexpr int kSide = 32;
    const QColor green(0, 255, 0);
    const QColor darkGreen(0, 128, 0);

    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(QRectF(0, 0, kSide, kSide), 6, 6);

    painter.setPen(QPen(darkGreen, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(3, 3, kSide - 6, kSide - 6));

    QPainterPath triangle;
    triangle.moveTo(12, 9);
    triangle.lineTo(24, 16);
    triangle.lineTo(12, 23);
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(green);
    painter.drawPath(triangle);
    painter.end();

    return QIcon(pixmap);
}
