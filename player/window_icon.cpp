// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/window_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zelko {

namespace {

// The design on its 32-unit grid. Colours are the palette's green, dark green and black.
constexpr double kGrid = 32;
constexpr double kCornerRadius = 6;
constexpr double kRingInset = 3;  // the ring's centre line runs this far inside the edge
constexpr double kRingWidth = 2;
constexpr QPointF kTriangle[] = {{12, 9}, {24, 16}, {12, 23}};
const QColor kGreen(0, 255, 0);
const QColor kDarkGreen(0, 128, 0);
const QColor kBlack(0, 0, 0);

}  // namespace

QImage ZelkoIconImage(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / kGrid, side / kGrid);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kBlack);
    painter.drawRoundedRect(QRectF(0, 0, kGrid, kGrid), kCornerRadius, kCornerRadius);

    painter.setPen(QPen(kDarkGreen, kRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(kRingInset, kRingInset, kGrid - 2 * kRingInset, kGrid - 2 * kRingInset));

    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({kTriangle[0], kTriangle[1], kTriangle[2]}));
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGreen);
    painter.drawPath(triangle);
    painter.end();
    return image;
}

QByteArray ZelkoIconSvg()
{
    const auto n = [](double value) { return QByteArray::number(value); };
    const double radius = kGrid / 2 - kRingInset;
    QByteArray points;
    for (const QPointF& point : kTriangle) {
        points += n(point.x()) + ',' + n(point.y()) + ' ';
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           n(kGrid) + "\" height=\"" + n(kGrid) + "\" viewBox=\"0 0 " + n(kGrid) + ' ' + n(kGrid) +
           "\">\n"
           "  <rect width=\"" +
           n(kGrid) + "\" height=\"" + n(kGrid) + "\" rx=\"" + n(kCornerRadius) + "\" fill=\"" +
           kBlack.name().toLatin1() +
           "\"/>\n"
           "  <circle cx=\"" +
           n(kGrid / 2) + "\" cy=\"" + n(kGrid / 2) + "\" r=\"" + n(radius) + "\" fill=\"none\" stroke=\"" +
           kDarkGreen.name().toLatin1() + "\" stroke-width=\"" + n(kRingWidth) +
           "\"/>\n"
           "  <polygon points=\"" +
           points.trimmed() + "\" fill=\"" + kGreen.name().toLatin1() +
           "\"/>\n"
           "</svg>\n";
}

QIcon ZelkoWindowIcon()
{
    return QIcon(QPixmap::fromImage(ZelkoIconImage(static_cast<int>(kGrid))));
}

}  // namespace zelko
