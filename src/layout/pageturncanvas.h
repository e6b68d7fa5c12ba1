// PageTurnCanvas: the pixel work of page-turn frames on 32-bit pictures, every step clipped.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <span>
#include <utility>

// A one-pixel-wide column of a source picture placed in the frame, stretched to its height.
struct TurnColumn
{
    int dstX = 0;
    int dstTop = 0;
    int dstHeight = 0;
    int srcX = 0;
};

// The window as the animation sees it: a frame that starts as the old picture and that each step
// paints on, as drawing on the screen would. Sources are Format_RGB32 pictures of the frame's size.
class PageTurnCanvas
{
public:
    // Null Frame() when the picture could not be made.
    explicit PageTurnCanvas(const QImage& screen);
    // A frame of `size` whose pixels are undefined, for effects whose first step paints all of it.
    explicit PageTurnCanvas(QSize size);

    const QImage& Frame() const { return m_frame; }
    // The frame's picture itself (its pixels stay where they are); the canvas is null afterwards.
    QImage TakeFrame() { return std::move(m_frame); }
    bool IsNull() const { return m_frame.isNull(); }

    // A block copy from `sourceRect` of `source` to `destination`.
    void Copy(const QImage& source, const QRect& sourceRect, QPoint destination);
    void Copy(const QImage& source, const QRect& rect) { Copy(source, rect, rect.topLeft()); }
    // `rect` from `left` where x < splitX and from `right` elsewhere.
    void CopySplit(const QImage& left, const QImage& right, int splitX, const QRect& rect);

    // Source columns [sourceX, sourceX + sourceWidth) squeezed smoothly into [destX, destX +
    // destWidth), rows [top, top + height); destWidth <= sourceWidth. Each destination column is the
    // mean of the source columns it covers.
    void SqueezeColumns(const QImage& source, int sourceX, int sourceWidth, int destX, int destWidth, int top,
                        int height);

    // Columns of `source` rows [srcTop, srcTop + srcHeight) stretched (nearest row) to their heights.
    // Returns the part of the frame written.
    QRect DrawColumns(const QImage& source, int srcTop, int srcHeight, std::span<const TurnColumn> columns);

    // The pixels of `source` inside the polygon (odd-even rule, pixel centres), within `clip`.
    void FillPolygon(const QImage& source, std::span<const QPoint> points, const QRect& clip);

    // Every channel of `rect`: (old * (100 - percent) + new * percent) / 100, integer division.
    void CrossFade(const QImage& oldPicture, const QImage& newPicture, const QRect& rect, int percent);

private:
    QRect Clip(const QRect& rect) const { return rect.intersected(m_frame.rect()); }

    QImage m_frame;
};

// The cross-fade value of one channel, the entry t[o][n] of the 256 x 256 blend table.
constexpr int CrossFadeChannel(int oldValue, int newValue, int percent)
{
    return (oldValue * (100 - percent) + newValue * percent) / 100;
}
