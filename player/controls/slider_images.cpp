// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/controls/slider_images.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace zelko::controls {
namespace {

QImage paintRail()
{
    QImage image(222, 8, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient groove(0, 0, 0, 8);
    groove.setColorAt(0.0, QColor(10, 10, 10));
    groove.setColorAt(0.5, QColor(48, 48, 48));
    groove.setColorAt(1.0, QColor(90, 90, 90));
    p.fillRect(image.rect(), groove);
    p.setPen(QColor(0, 0, 0));
    p.drawLine(0, 0, 221, 0);
    p.drawLine(0, 0, 0, 7);
    p.setPen(QColor(130, 130, 130));
    p.drawLine(1, 7, 221, 7);
    p.drawLine(221, 1, 221, 7);
    p.fillRect(QRect(2, 3, 218, 2), QColor(0, 200, 0));
    p.fillRect(QRect(2, 3, 218, 1), QColor(0, 255, 0));
    return image;
}

QImage paintThumb()
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient metal(QPointF(6, 5), 10);
    metal.setColorAt(0.0, QColor(250, 250, 250));
    metal.setColorAt(0.6, QColor(180, 184, 188));
    metal.setColorAt(1.0, QColor(96, 100, 104));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(metal);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QRadialGradient led(QPointF(7.5, 7), 4);
    led.setColorAt(0.0, QColor(180, 255, 180));
    led.setColorAt(0.5, QColor(0, 255, 0));
    led.setColorAt(1.0, QColor(0, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(led);
    p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    return image;
}

}  // namespace

const QImage& RailImage()
{
    static const QImage image = paintRail();
    return image;
}

const QImage& ThumbImage()
{
    static const QImage image = paintThumb();
    return image;
}

}  // namespace zelko::controls
