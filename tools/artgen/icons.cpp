// The 32 toolbar icons, drawn anti-aliased with alpha in one consistent style.
#include "icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

const QColor kInk(52, 60, 72);
const QColor kBlue(47, 118, 214);
const QColor kGreen(52, 160, 84);
const QColor kRed(214, 64, 52);
const QColor kOrange(236, 142, 36);
const QColor kYellow(246, 196, 72);
const QColor kPaper(255, 255, 255);
const QColor kPaperEdge(122, 132, 146);

QBrush Gloss(const QRectF& r, QColor c)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.lighter(130));
    g.setColorAt(1, c.darker(112));
    return g;
}

QPen Outline(QColor c, double w = 1.0)
{
    QPen pen(c.darker(160), w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Page(QPainter& p, QRectF r, bool lines = true, double fold = 6)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, kPaper);
    g.setColorAt(1, QColor(226, 232, 240));
    p.setBrush(g);
    p.setPen(QPen(kPaperEdge, 1));
    p.drawPath(path);
    QPainterPath ear;
    ear.moveTo(r.right() - fold, r.top());
    ear.lineTo(r.right() - fold, r.top() + fold);
    ear.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(210, 218, 228));
    p.drawPath(ear);
    if (lines) {
        p.setPen(QPen(QColor(150, 162, 178), 1.2, Qt::SolidLine, Qt::FlatCap));
        for (double y = r.top() + fold + 3; y < r.bottom() - 2; y += 3.5)
            p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

void Folder(QPainter& p, QRectF r, bool open)
{
    const QColor back = kYellow.darker(115);
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + 3);
    tab.lineTo(r.left() + 2, r.top());
    tab.lineTo(r.left() + r.width() * 0.38, r.top());
    tab.lineTo(r.left() + r.width() * 0.46, r.top() + 3);
    tab.lineTo(r.right(), r.top() + 3);
    tab.lineTo(r.right(), r.bottom());
    tab.lineTo(r.left(), r.bottom());
    tab.closeSubpath();
    p.setPen(Outline(back));
    p.setBrush(Gloss(r, back));
    p.drawPath(tab);
    if (open) {
        Page(p, QRectF(r.left() + 4, r.top() + 4, r.width() - 9, r.height() - 6), false, 3);
        QPainterPath front;
        front.moveTo(r.left() + 4, r.top() + r.height() * 0.4);
        front.lineTo(r.right() + 2, r.top() + r.height() * 0.4);
        front.lineTo(r.right() - 2, r.bottom());
        front.lineTo(r.left(), r.bottom());
        front.closeSubpath();
        p.setPen(Outline(kYellow));
        p.setBrush(Gloss(r, kYellow));
        p.drawPath(front);
    } else {
        const QRectF front(r.left(), r.top() + 7, r.width(), r.height() - 7);
        p.setPen(Outline(kYellow));
        p.setBrush(Gloss(front, kYellow));
        p.drawRoundedRect(front, 1.5, 1.5);
    }
}

// A thick arrow from `a` to `b` with a triangular head.
void Arrow(QPainter& p, QPointF a, QPointF b, QColor c, double width = 4.5, double head = 8)
{
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF u = d / len;
    const QPointF n(-u.y(), u.x());
    const QPointF base = b - u * head;
    QPainterPath path;
    path.moveTo(a + n * width / 2);
    path.lineTo(base + n * width / 2);
    path.lineTo(base + n * head * 0.75);
    path.lineTo(b);
    path.lineTo(base - n * head * 0.75);
    path.lineTo(base - n * width / 2);
    path.lineTo(a - n * width / 2);
    path.closeSubpath();
    p.setPen(Outline(c));
    p.setBrush(Gloss(path.boundingRect(), c));
    p.drawPath(path);
}

// A curved arrow around (cx, cy) from angle a0 to a1 (degrees, counter-clockwise positive).
void CurvedArrow(QPainter& p, QPointF centre, double radius, double a0, double a1, QColor c,
                 double width = 4.5)
{
    const double r0 = radius - width / 2;
    const double r1 = radius + width / 2;
    const QRectF inner(centre.x() - r0, centre.y() - r0, 2 * r0, 2 * r0);
    const QRectF outer(centre.x() - r1, centre.y() - r1, 2 * r1, 2 * r1);
    const double sweep = a1 - a0;
    const double sign = sweep > 0 ? 1 : -1;
    const double headDeg = 0; // the head starts where the arc ends
    QPainterPath path;
    path.arcMoveTo(outer, a0);
    path.arcTo(outer, a0, sweep - headDeg);
    const double end = (a1)*kPi / 180;
    const QPointF radial(std::cos(end), -std::sin(end));
    const QPointF tangent = QPointF(-std::sin(end), -std::cos(end)) * sign;
    const QPointF tip = centre + radial * radius + tangent * 7;
    path.lineTo(centre + radial * (r1 + 3.5));
    path.lineTo(tip);
    path.lineTo(centre + radial * (r0 - 3.5));
    path.arcTo(inner, a1, -sweep);
    path.closeSubpath();
    p.setPen(Outline(c));
    p.setBrush(Gloss(path.boundingRect(), c));
    p.drawPath(path);
}

void Disc(QPainter& p, QPointF c, double r, QColor colour)
{
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.45), r * 1.5);
    g.setColorAt(0, colour.lighter(145));
    g.setColorAt(1, colour.darker(110));
    p.setPen(Outline(colour));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

void Triangle(QPainter& p, QPointF tip, double w, double h, bool left, QColor c)
{
    const double back = left ? tip.x() + w : tip.x() - w;
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(back, tip.y() - h / 2);
    path.lineTo(back, tip.y() + h / 2);
    path.closeSubpath();
    p.setPen(Outline(c));
    p.setBrush(Gloss(path.boundingRect(), c));
    p.drawPath(path);
}

void Bar(QPainter& p, QRectF r, QColor c)
{
    p.setPen(Outline(c));
    p.setBrush(Gloss(r, c));
    p.drawRoundedRect(r, 1, 1);
}

void Magnifier(QPainter& p, QPointF c, double r)
{
    const QPointF dir(0.7071, 0.7071);
    QPen handle(QColor(70, 58, 50), 4.5, Qt::SolidLine, Qt::RoundCap);
    p.setPen(handle);
    p.drawLine(c + dir * (r + 1.5), c + dir * (r + 9));
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    g.setColorAt(0, QColor(235, 246, 255, 235));
    g.setColorAt(1, QColor(150, 196, 240, 220));
    p.setBrush(g);
    p.setPen(QPen(QColor(95, 105, 118), 2.6));
    p.drawEllipse(c, r, r);
}

void Ribbon(QPainter& p, QRectF r, QColor c)
{
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.topRight());
    path.lineTo(r.bottomRight());
    path.lineTo(r.center().x(), r.bottom() - r.width() * 0.55);
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Outline(c));
    p.setBrush(Gloss(r, c));
    p.drawPath(path);
}

void PlusBadge(QPainter& p, QPointF c, double r)
{
    Disc(p, c, r, kGreen);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(c.x() - r * 0.55, c.y()), QPointF(c.x() + r * 0.55, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - r * 0.55), QPointF(c.x(), c.y() + r * 0.55));
}

void Gear(QPainter& p, QPointF c, double r, QColor colour)
{
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = i * 2 * kPi / (teeth * 4) - kPi / (teeth * 4);
        const double rr = (i % 4 == 0 || i % 4 == 1) ? r : r * 0.74;
        const QPointF pt = c + QPointF(std::cos(a), std::sin(a)) * rr;
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    path.addEllipse(c, r * 0.3, r * 0.3);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(Outline(colour));
    p.setBrush(Gloss(path.boundingRect(), colour));
    p.drawPath(path);
}

void Book(QPainter& p, QRectF r, QColor c, double angle = 0)
{
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    const QRectF b(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    QLinearGradient g(b.topLeft(), b.topRight());
    g.setColorAt(0, c.darker(115));
    g.setColorAt(0.45, c.lighter(125));
    g.setColorAt(1, c.darker(120));
    p.setPen(Outline(c));
    p.setBrush(g);
    p.drawRoundedRect(b, 1, 1);
    p.setPen(QPen(QColor(255, 236, 170), 1.2));
    p.drawLine(QPointF(b.left() + 1.5, b.top() + 4), QPointF(b.right() - 1.5, b.top() + 4));
    p.drawLine(QPointF(b.left() + 1.5, b.bottom() - 4), QPointF(b.right() - 1.5, b.bottom() - 4));
    p.restore();
}

void Glyph(QPainter& p, QRectF r, const QString& text, QColor c, int pixelSize, bool bold = true)
{
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(f);
    p.setPen(c);
    p.drawText(r, Qt::AlignCenter, text);
}

void Shelf(QPainter& p)
{
    const QColor wood(150, 98, 52);
    p.setPen(Outline(wood));
    p.setBrush(Gloss(QRectF(2, 26, 28, 4), wood));
    p.drawRoundedRect(QRectF(2, 26, 28, 4), 1, 1);
}

void Draw(QPainter& p, int i)
{
    switch (i) {
    case 0: // open
        Folder(p, QRectF(2, 6, 26, 21), true);
        break;
    case 1: { // save: a diskette
        const QRectF body(4, 4, 24, 24);
        p.setPen(Outline(kBlue));
        p.setBrush(Gloss(body, kBlue));
        QPainterPath path;
        path.moveTo(4, 6);
        path.quadTo(4, 4, 6, 4);
        path.lineTo(24, 4);
        path.lineTo(28, 8);
        path.lineTo(28, 26);
        path.quadTo(28, 28, 26, 28);
        path.lineTo(6, 28);
        path.quadTo(4, 28, 4, 26);
        path.closeSubpath();
        p.drawPath(path);
        p.setPen(QPen(kPaperEdge, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(8, 4.5, 15, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(48, 58, 80));
        p.drawRect(QRectF(18, 6, 3, 6));
        p.setBrush(QColor(235, 238, 243));
        p.setPen(QPen(kPaperEdge, 1));
        p.drawRoundedRect(QRectF(8, 18, 16, 10), 1, 1);
        break;
    }
    case 2: { // edit: page and pencil
        Page(p, QRectF(4, 3, 19, 25));
        p.save();
        p.translate(20, 18);
        p.rotate(45);
        const QRectF shaft(-3, -12, 6, 17);
        p.setPen(Outline(kYellow));
        p.setBrush(Gloss(shaft, kOrange.lighter(120)));
        p.drawRect(shaft);
        p.setBrush(QColor(240, 150, 160));
        p.setPen(Outline(QColor(240, 150, 160)));
        p.drawRect(QRectF(-3, -15, 6, 3));
        QPainterPath tip;
        tip.moveTo(-3, 5);
        tip.lineTo(3, 5);
        tip.lineTo(0, 11);
        tip.closeSubpath();
        p.setBrush(QColor(232, 200, 160));
        p.setPen(Outline(QColor(200, 160, 120)));
        p.drawPath(tip);
        p.setBrush(kInk);
        p.setPen(Qt::NoPen);
        QPainterPath lead;
        lead.moveTo(-1, 9);
        lead.lineTo(1, 9);
        lead.lineTo(0, 11);
        lead.closeSubpath();
        p.drawPath(lead);
        p.restore();
        break;
    }
    case 3: { // cut: scissors
        p.setPen(QPen(QColor(120, 128, 140), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 4), QPointF(20, 20));
        p.drawLine(QPointF(23, 4), QPointF(12, 20));
        p.setPen(QPen(QColor(210, 216, 224), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9.5, 4.5), QPointF(19, 18.5));
        p.drawLine(QPointF(22.5, 4.5), QPointF(13, 18.5));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRed, 3.2));
        p.drawEllipse(QPointF(10, 24), 4.3, 4.3);
        p.drawEllipse(QPointF(22, 24), 4.3, 4.3);
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(16, 12.5), 1.3, 1.3);
        break;
    }
    case 4: // copy
        Page(p, QRectF(3, 3, 17, 21));
        Page(p, QRectF(12, 9, 17, 21));
        break;
    case 5: { // paste: clipboard with a page
        const QColor board(176, 124, 70);
        p.setPen(Outline(board));
        p.setBrush(Gloss(QRectF(4, 5, 20, 24), board));
        p.drawRoundedRect(QRectF(4, 5, 20, 24), 2, 2);
        p.setBrush(QColor(200, 206, 214));
        p.setPen(Outline(QColor(200, 206, 214)));
        p.drawRoundedRect(QRectF(9, 2.5, 10, 5), 1.5, 1.5);
        Page(p, QRectF(13, 11, 16, 19));
        break;
    }
    case 6: { // delete: a red cross
        QPainterPath cross;
        QPainterPath bar;
        bar.addRoundedRect(QRectF(-3.5, -13, 7, 26), 2.5, 2.5);
        QTransform t1;
        t1.translate(16, 16);
        t1.rotate(45);
        QTransform t2;
        t2.translate(16, 16);
        t2.rotate(-45);
        cross = t1.map(bar).united(t2.map(bar));
        p.setPen(Outline(kRed));
        p.setBrush(Gloss(cross.boundingRect(), kRed));
        p.drawPath(cross);
        break;
    }
    case 7: // undo
        CurvedArrow(p, QPointF(17, 18), 9, -30, 160, kBlue);
        break;
    case 8: // redo
        CurvedArrow(p, QPointF(15, 18), 9, 210, 20, kBlue);
        break;
    case 9: // find
        Magnifier(p, QPointF(13, 13), 8);
        break;
    case 10: // replace: find plus a swap arrow
        Magnifier(p, QPointF(11, 11), 7);
        CurvedArrow(p, QPointF(22, 22), 6, 100, -120, kOrange, 3.2);
        break;
    case 11: // back
        Disc(p, QPointF(16, 16), 13, kGreen);
        p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(23, 16), QPointF(10, 16));
        p.drawPolyline(QList<QPointF>{{15.5, 10}, {9.5, 16}, {15.5, 22}});
        break;
    case 12: // forward
        Disc(p, QPointF(16, 16), 13, kGreen);
        p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(9, 16), QPointF(22, 16));
        p.drawPolyline(QList<QPointF>{{16.5, 10}, {22.5, 16}, {16.5, 22}});
        break;
    case 13: // first page
        Bar(p, QRectF(5, 6, 4.5, 20), kBlue);
        Triangle(p, QPointF(11, 16), 16, 20, true, kBlue);
        break;
    case 14: // previous page
        Triangle(p, QPointF(7, 16), 18, 22, true, kBlue);
        break;
    case 15: // next page
        Triangle(p, QPointF(25, 16), 18, 22, false, kBlue);
        break;
    case 16: // last page
        Triangle(p, QPointF(21, 16), 16, 20, false, kBlue);
        Bar(p, QRectF(22.5, 6, 4.5, 20), kBlue);
        break;
    case 17: // go to page: a page and a jump arrow
        Page(p, QRectF(11, 6, 18, 23));
        CurvedArrow(p, QPointF(11, 17), 7.5, 200, 20, kOrange, 3.6);
        break;
    case 18: // add bookmark
        Ribbon(p, QRectF(7, 2, 13, 25), kRed);
        PlusBadge(p, QPointF(23, 23), 7);
        break;
    case 19: { // organise bookmarks: a list marked with ribbons
        const QColor colours[] = {kRed, kGreen, kBlue};
        for (int k = 0; k < 3; ++k) {
            const double y = 3 + k * 9.5;
            Ribbon(p, QRectF(4, y, 6, 8.5), colours[k]);
            p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(14, y + 3.5), QPointF(28, y + 3.5));
        }
        break;
    }
    case 20: // settings
        Gear(p, QPointF(16, 16), 13.5, QColor(128, 138, 152));
        break;
    case 21: { // restore at start-up: a clock inside a turning arrow
        p.setPen(QPen(kPaperEdge, 1.2));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(16, 16), 8, 8);
        p.setPen(QPen(kInk, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 16), QPointF(16, 11));
        p.drawLine(QPointF(16, 16), QPointF(19.5, 17.5));
        CurvedArrow(p, QPointF(16, 16), 12, 120, -170, kGreen, 3.2);
        break;
    }
    case 22: { // vertical writing: columns of text, right to left
        Page(p, QRectF(4, 3, 24, 26), false);
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::FlatCap));
        const double heights[] = {18, 14, 18, 9};
        for (int k = 0; k < 4; ++k) {
            const double x = 22 - k * 4.8;
            p.drawLine(QPointF(x, 10), QPointF(x, 10 + heights[k]));
        }
        p.setPen(QPen(kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(22, 10), QPointF(22, 13));
        break;
    }
    case 23: { // chapter list
        for (int k = 0; k < 4; ++k) {
            const double y = 5 + k * 7.3;
            p.setPen(Outline(kBlue));
            p.setBrush(Gloss(QRectF(3, y - 2.5, 5, 5), kBlue));
            p.drawRoundedRect(QRectF(3, y - 2.5, 5, 5), 1, 1);
            p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(12, y), QPointF(k == 3 ? 22 : 29, y));
        }
        break;
    }
    case 24: { // reformat: ragged lines turning into even ones
        p.setPen(QPen(QColor(150, 160, 174), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 5), QPointF(13, 5));
        p.drawLine(QPointF(3, 10), QPointF(9, 10));
        p.drawLine(QPointF(3, 15), QPointF(12, 15));
        Arrow(p, QPointF(12, 22), QPointF(20, 22), kOrange, 3, 6);
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
        for (int k = 0; k < 4; ++k)
            p.drawLine(QPointF(k == 0 ? 22 : 18, 5 + k * 5), QPointF(29, 5 + k * 5));
        p.drawLine(QPointF(22, 27), QPointF(29, 27));
        break;
    }
    case 25: { // repair garbled text: a page with broken marks and a wrench
        Page(p, QRectF(3, 3, 20, 25), false);
        p.setPen(QPen(kRed, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (int k = 0; k < 3; ++k) {
            const double y = 12 + k * 5;
            p.drawPolyline(QList<QPointF>{{6, y}, {8, y - 2}, {10, y}, {12, y - 2}, {14, y}, {16, y - 2}});
        }
        p.save();
        p.translate(22, 20);
        p.rotate(-45);
        const QColor steel(120, 130, 142);
        p.setPen(Outline(steel));
        p.setBrush(Gloss(QRectF(-2.2, -2, 4.4, 13), steel));
        p.drawRoundedRect(QRectF(-2.2, -2, 4.4, 13), 1.5, 1.5);
        QPainterPath head;
        head.addEllipse(QPointF(0, -5), 5.5, 5.5);
        QPainterPath slot;
        slot.addRect(QRectF(-2, -12, 4, 7));
        p.drawPath(head.subtracted(slot));
        p.restore();
        break;
    }
    case 26: { // file list: a panel of file rows
        p.setPen(QPen(kPaperEdge, 1));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(3, 3, 26, 26), 2, 2);
        for (int k = 0; k < 4; ++k) {
            const double y = 6 + k * 5.8;
            p.setPen(QPen(kPaperEdge, 0.8));
            p.setBrush(QColor(234, 240, 248));
            p.drawRect(QRectF(6, y, 4, 4.6));
            p.setPen(QPen(k == 1 ? kBlue : kInk, 2, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(13, y + 2.3), QPointF(26 - (k % 2) * 4, y + 2.3));
        }
        break;
    }
    case 27: // locate folder
        Folder(p, QRectF(2, 5, 24, 19), false);
        Magnifier(p, QPointF(20, 19), 5.5);
        break;
    case 28: // library: books on a shelf
        Book(p, QRectF(4, 6, 6, 20), kRed);
        Book(p, QRectF(10.5, 4, 6, 22), kBlue);
        Book(p, QRectF(17, 8, 5, 18), kGreen);
        Book(p, QRectF(22, 8.5, 5.5, 18), kOrange, 14);
        Shelf(p);
        break;
    case 29: { // default bookshelf: books and a star
        Book(p, QRectF(4, 8, 6, 18), kBlue);
        Book(p, QRectF(10.5, 10, 5.5, 16), kRed);
        Shelf(p);
        QPainterPath star;
        for (int k = 0; k < 10; ++k) {
            const double a = -kPi / 2 + k * kPi / 5;
            const double r = (k % 2) ? 3.6 : 8.5;
            const QPointF pt(22 + r * std::cos(a), 11 + r * std::sin(a));
            if (k == 0)
                star.moveTo(pt);
            else
                star.lineTo(pt);
        }
        star.closeSubpath();
        p.setPen(Outline(kYellow));
        p.setBrush(Gloss(star.boundingRect(), kYellow));
        p.drawPath(star);
        break;
    }
    case 30: // about
        Disc(p, QPointF(16, 16), 13, kBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(16, 9.5), 2.4, 2.4);
        p.drawRoundedRect(QRectF(13.8, 13.5, 4.4, 11), 1.5, 1.5);
        break;
    default: // help
        Disc(p, QPointF(16, 16), 13, kBlue);
        Glyph(p, QRectF(3, 2, 26, 28), QStringLiteral("?"), Qt::white, 22);
        break;
    }
}

} // namespace

QImage PaintIcon(int index)
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Draw(p, index);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage PaintIconStrip()
{
    QImage strip(32 * kIconCount, 32, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int i = 0; i < kIconCount; ++i)
        p.drawImage(32 * i, 0, PaintIcon(i));
    return strip;
}
