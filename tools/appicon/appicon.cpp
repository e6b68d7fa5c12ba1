// The application icon, drawn in a 256-unit square and scaled to the size asked for.
#include "appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

void Page(QPainter& p, bool left)
{
    // Pages curve up from the spine at (128, 196) to the outer edge.
    QPainterPath page;
    const double s = left ? -1 : 1;
    page.moveTo(128, 78);
    page.cubicTo(128 + s * 30, 62, 128 + s * 70, 60, 128 + s * 100, 70);
    page.lineTo(128 + s * 100, 188);
    page.cubicTo(128 + s * 70, 178, 128 + s * 30, 180, 128, 196);
    page.closeSubpath();
    QLinearGradient shade(128, 0, 128 + s * 100, 0);
    shade.setColorAt(0, QColor(214, 200, 170));
    shade.setColorAt(0.12, QColor(250, 244, 228));
    shade.setColorAt(1, QColor(240, 230, 206));
    p.setBrush(shade);
    p.setPen(QPen(QColor(120, 92, 60), 2.5));
    p.drawPath(page);
    // Lines of text: vertical columns, as the reader lays out Chinese.
    p.setPen(QPen(QColor(96, 84, 70, 170), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 5; ++i) {
        const double x = 128 + s * (24 + i * 14);
        const double top = 82 - i * 2.2;
        p.drawLine(QPointF(x, top + 8), QPointF(x, top + 84 - (i == 2 ? 30 : 0)));
    }
}

} // namespace

QImage PaintAppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // Leather tile.
    QLinearGradient leather(0, 16, 0, 240);
    leather.setColorAt(0, QColor(150, 74, 44));
    leather.setColorAt(1, QColor(96, 40, 24));
    p.setPen(QPen(QColor(70, 28, 16), 4));
    p.setBrush(leather);
    p.drawRoundedRect(QRectF(12, 12, 232, 232), 44, 44);
    p.setPen(QPen(QColor(230, 180, 110, 150), 3, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(26, 26, 204, 204), 34, 34);

    // Book block under the pages.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 30, 18, 120));
    p.drawRoundedRect(QRectF(30, 92, 196, 116), 10, 10);
    Page(p, true);
    Page(p, false);

    // Ribbon from the spine.
    QPainterPath ribbon;
    ribbon.moveTo(146, 190);
    ribbon.lineTo(164, 190);
    ribbon.lineTo(164, 232);
    ribbon.lineTo(155, 222);
    ribbon.lineTo(146, 232);
    ribbon.closeSubpath();
    p.setPen(QPen(QColor(120, 16, 16), 2));
    p.setBrush(QColor(206, 40, 36));
    p.drawPath(ribbon);
    p.end();
    return image;
}
