// Shrinks the icon strip to 16x15 cells and maps it onto a 16-colour palette with a mask colour.
#include "toolbarbitmap.h"

#include "icons.h"
#include "quantise.h"

#include <QPainter>

namespace {

constexpr QRgb kMask = 0xFFFF00FF; // magenta, never used by an icon
constexpr int kMaskIndex = 15;

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
    // Fifteen colours chosen for the icons themselves, the sixteenth is the mask.
    QList<QRgb> opaque;
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            if (qAlpha(small.pixel(x, y)) == 255)
                opaque.push_back(small.pixel(x, y));
    QImage sample(static_cast<int>(opaque.size()), 1, QImage::Format_RGB32);
    for (int i = 0; i < sample.width(); ++i)
        sample.setPixel(i, 0, opaque[i]);
    QList<QRgb> table = QuantiseImage(sample, kMaskIndex, false).colorTable();
    while (table.size() < kMaskIndex)
        table.push_back(qRgb(0, 0, 0));
    table.push_back(kMask);
    return MapToPalette(small, table, false, kMaskIndex);
}
