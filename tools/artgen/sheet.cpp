// Lays the built-in pictures out on one sheet.
#include "sheet.h"

#include <QFont>
#include <QPainter>

namespace {

constexpr int kCellW = 180;
constexpr int kCellH = 120;
constexpr int kPerRow = 7;
constexpr int kGap = 10;
constexpr int kLabel = 18;

QFont SheetFont(int px, bool bold = false)
{
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void TiledCell(QPainter& p, const QRect& cell, const QImage& img, bool text)
{
    p.save();
    p.setClipRect(cell);
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    // Tile origin in the middle of the cell: the four-corner seam sits in plain view.
    const QPoint origin = cell.center();
    for (int y = origin.y() - ((origin.y() - cell.top()) / rgb.height() + 1) * rgb.height();
         y < cell.bottom(); y += rgb.height())
        for (int x = origin.x() - ((origin.x() - cell.left()) / rgb.width() + 1) * rgb.width();
             x < cell.right(); x += rgb.width())
            p.drawImage(x, y, rgb);
    if (text) {
        p.setFont(SheetFont(14));
        p.setPen(Qt::black);
        const QStringList lines = {QStringLiteral("第一章　翻书人"), QStringLiteral("　　夜深了，灯下的书页"),
                                   QStringLiteral("还带着纸的温度。他轻轻"),
                                   QStringLiteral("翻过一页，字字分明。"),
                                   QStringLiteral("Black text, 14 px.")};
        for (int i = 0; i < lines.size(); ++i)
            p.drawText(cell.left() + 8, cell.top() + 22 + 20 * i, lines[i]);
    }
    p.restore();
    p.setPen(QColor(0, 0, 0, 90));
    p.drawRect(cell.adjusted(0, 0, -1, -1));
}

int Grid(QPainter& p, int top, const QString& title, const QList<SheetEntry>& entries, bool text)
{
    p.setFont(SheetFont(16, true));
    p.setPen(QColor(40, 40, 40));
    p.drawText(kGap, top + 16, title);
    top += 26;
    for (int i = 0; i < entries.size(); ++i) {
        const int x = kGap + (i % kPerRow) * (kCellW + kGap);
        const int y = top + (i / kPerRow) * (kCellH + kLabel + kGap);
        TiledCell(p, QRect(x, y, kCellW, kCellH), entries[i].image, text);
        p.setFont(SheetFont(11));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRect(x, y + kCellH, kCellW, kLabel), Qt::AlignCenter, entries[i].label);
    }
    const int rows = (static_cast<int>(entries.size()) + kPerRow - 1) / kPerRow;
    return top + rows * (kCellH + kLabel + kGap);
}

} // namespace

QImage PaintContactSheet(const QList<SheetEntry>& desks, const QList<SheetEntry>& pages, const QImage& splash,
                         const QImage& icons, const QImage& toolbar)
{
    const int width = kGap + kPerRow * (kCellW + kGap);
    QImage sheet(width, 2400, QImage::Format_RGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::TextAntialiasing);
    int y = Grid(p, 6, QStringLiteral("Desk and cover (17)"), desks, false);
    y = Grid(p, y, QStringLiteral("Pages (30)"), pages, true);

    p.setFont(SheetFont(16, true));
    p.setPen(QColor(40, 40, 40));
    p.drawText(
        kGap, y + 16,
        QStringLiteral(
            "Splash 156; icon strip 177 (enlarged and 1:1, on light and dark); toolbar bitmap 128 (x2)"));
    y += 26;
    p.drawImage(kGap, y, splash.convertToFormat(QImage::Format_RGB32));
    y += splash.height() + kGap;
    for (const QColor& bg : {QColor(240, 240, 240), QColor(60, 64, 72)}) {
        p.fillRect(QRect(kGap, y, width - 2 * kGap, 80), bg);
        // Two rows of 16 icons at double size.
        for (int i = 0; i < 32; ++i) {
            const QImage icon =
                icons.copy(32 * i, 0, 32, 32).scaled(36, 36, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            p.drawImage(kGap + 4 + (i % 16) * 40, y + 2 + (i / 16) * 39, icon);
        }
        // And at natural size beside them.
        p.drawImage(kGap + 16 * 40 + 12, y + 4, icons.copy(0, 0, 512, 32));
        p.drawImage(kGap + 16 * 40 + 12, y + 42, icons.copy(512, 0, 512, 32));
        y += 84;
    }
    p.drawImage(kGap, y, toolbar.convertToFormat(QImage::Format_RGB32).scaled(1024, 30));
    y += 30 + kGap;
    p.end();
    return sheet.copy(0, 0, width, y);
}
