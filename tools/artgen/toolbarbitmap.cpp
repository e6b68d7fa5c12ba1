// Shrinks the icon strip to 16x15 cells and maps it onto the standard 16 colours.
#include "toolbarbitmap.h"

#include "icons.h"
#include "quantise.h"

#include <QPainter>

namespace {

const QList<QRgb> kStandardColours = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255),
};
constexpr int kMaskIndex = 13;

int AlphaSum(const QImage& img, int y)
{
    int sum = 0;
    for (int x = 0; x < img.width(); ++x)
        sum += qAlpha(img.pixel(x, y));
    return sum;
}

} // namespace

QImage PaintToolbarBitmap(const QImage& strip)
{
    QImage small(16 * kIconCount, 15, QImage::Format_ARGB32);
    small.fill(Qt::transparent);
    for (int i = 0; i < kIconCount; ++i) {
        const QImage icon =
            strip.copy(32 * i, 0, 32, 32).scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // Drop whichever edge row carries less of the picture.
        const int skip = AlphaSum(icon, 15) <= AlphaSum(icon, 0) ? 15 : 0;
        for (int y = 0, out = 0; y < 16; ++y) {
            if (y == skip)
                continue;
            for (int x = 0; x < 16; ++x) {
                const QRgb c = icon.pixel(x, y);
                const int a = qAlpha(c);
                // Soft edges settle on the button face they will be shown on.
                auto over = [a](int v) { return (v * a + 192 * (255 - a)) / 255; };
                small.setPixel(16 * i + x, out,
                               a < 100 ? qRgba(0, 0, 0, 0)
                                       : qRgba(over(qRed(c)), over(qGreen(c)), over(qBlue(c)), 255));
            }
            ++out;
        }
    }
    return MapToPalette(small, kStandardColours, false, kMaskIndex);
}
