// The splash picture: an open book on warm paper, the program's name and a Chinese subtitle.
#include "splash.h"

#include "materials.h"
#include "paint.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QFont Serif(int pixelSize, int weight)
{
    QFont f(QStringLiteral("Noto Serif CJK SC"));
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void OpenBook(QPainter& p, QRectF r)
{
    const QColor cover(112, 36, 30);
    const double mid = r.center().x();
    // Cover boards behind the pages.
    QPainterPath boards;
    boards.moveTo(r.left(), r.top() + 8);
    boards.quadTo(mid - r.width() * 0.25, r.top() + 2, mid, r.top() + 10);
    boards.quadTo(mid + r.width() * 0.25, r.top() + 2, r.right(), r.top() + 8);
    boards.lineTo(r.right(), r.bottom());
    boards.quadTo(mid + r.width() * 0.25, r.bottom() - 6, mid, r.bottom() + 2);
    boards.quadTo(mid - r.width() * 0.25, r.bottom() - 6, r.left(), r.bottom());
    boards.closeSubpath();
    p.setPen(QPen(cover.darker(150), 1.2));
    p.setBrush(cover);
    p.drawPath(boards);
    // Page blocks, each a stack of leaves.
    for (int side = -1; side <= 1; side += 2) {
        for (int leaf = 4; leaf >= 0; --leaf) {
            const double inset = 4 + leaf * 1.2;
            const double outer = side < 0 ? r.left() + inset : r.right() - inset;
            QPainterPath page;
            page.moveTo(mid, r.top() + 8 + leaf * 0.4);
            page.quadTo((mid + outer) / 2, r.top() - 2 + leaf, outer, r.top() + 4 + leaf);
            page.lineTo(outer, r.bottom() - 5 + leaf * 0.3);
            page.quadTo((mid + outer) / 2, r.bottom() - 12 + leaf * 0.6, mid, r.bottom() - 3);
            page.closeSubpath();
            QLinearGradient g(QPointF(mid, 0), QPointF(outer, 0));
            g.setColorAt(0, QColor(214, 200, 170));
            g.setColorAt(0.18, QColor(250, 244, 228));
            g.setColorAt(1, QColor(244, 236, 214));
            p.setPen(QPen(QColor(160, 140, 110), 0.7));
            p.setBrush(g);
            p.drawPath(page);
        }
        // Lines of text on the top leaf.
        p.setPen(QPen(QColor(120, 110, 95, 150), 1.3, Qt::SolidLine, Qt::RoundCap));
        for (int k = 0; k < 7; ++k) {
            const double x = side < 0 ? mid - 10 - k * 7 : mid + 10 + k * 7;
            p.drawLine(QPointF(x, r.top() + 14), QPointF(x, r.bottom() - 16 - (k == 3 ? 20 : 0)));
        }
    }
    p.setPen(QPen(QColor(150, 120, 90), 1));
    p.drawLine(QPointF(mid, r.top() + 9), QPointF(mid, r.bottom() - 3));
}

void Seal(QPainter& p, QRectF r)
{
    const QColor red(186, 40, 36);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawRoundedRect(r, 3, 3);
    p.setPen(QPen(QColor(250, 236, 220), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
    p.setFont(Serif(static_cast<int>(r.height() * 0.62), QFont::Black));
    p.setPen(QColor(252, 240, 226));
    p.drawText(r, Qt::AlignCenter, QStringLiteral("翻"));
}

} // namespace

QImage PaintSplash(int w, int h)
{
    QImage img = PaintPage(3, w, h).convertToFormat(QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // Soft vignette.
    QRadialGradient shade(QPointF(w * 0.55, h * 0.45), w * 0.7);
    shade.setColorAt(0, QColor(255, 250, 235, 0));
    shade.setColorAt(1, QColor(120, 80, 40, 70));
    p.fillRect(img.rect(), shade);
    // Frame.
    p.setPen(QPen(QColor(120, 60, 40, 200), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5, 5, w - 10, h - 10));
    p.setPen(QPen(QColor(120, 60, 40, 120), 0.8));
    p.drawRect(QRectF(9, 9, w - 18, h - 18));

    OpenBook(p, QRectF(26, 30, 130, 72));

    p.setFont(Serif(44, QFont::Bold));
    p.setPen(QColor(70, 36, 22));
    p.drawText(QRectF(172, 16, w - 190, 62), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Leafturner"));
    p.setPen(QPen(QColor(150, 70, 40), 1.2));
    p.drawLine(QPointF(176, 80), QPointF(w - 66, 80));
    p.setFont(Serif(16, QFont::Medium));
    p.setPen(QColor(96, 56, 36));
    p.drawText(QRectF(176, 84, w - 246, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("长篇文本阅读器 · 展卷如书"));
    Seal(p, QRectF(w - 56, h - 56, 36, 36));
    p.end();
    return img;
}
