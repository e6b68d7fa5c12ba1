// PageTurnAnimation: whether a page turn plays, its geometry, and each of its frames as a picture.
#pragma once

#include <QImage>
#include <QRect>
#include <functional>

class TextBuffer;

// The effects PARA_TURN_PAGE chooses from; 0 and anything outside 1..10 play nothing.
enum class PageTurnMode : int
{
    None = 0,
    Curl1 = 1,
    Curl2 = 2,
    Curl3 = 3,
    Wave = 4,
    Flip = 5,
    Sideways = 6,
    Slide = 7,
    Wipe = 8,
    DiagonalWipe = 9,
    CrossFade = 10,
};

// Receives each frame (the whole client area) and the milliseconds to wait after showing it; the
// frame is only valid during the call. Returning false stops the animation.
using PageTurnFrameSink = std::function<bool(const QImage& frame, int delayMs)>;

// One page turn, prepared once from the settings. It turns the picture of the view at the old page
// into the picture at the new one, frame by frame; it never decides what is finally shown, since
// the view repaints normally afterwards. Frames are produced without a window, so the player, the
// command line and the tests share them.
class PageTurnAnimation
{
public:
    // Plays nothing.
    PageTurnAnimation() = default;
    // The geometry given directly; `area` is where the pages turn, inside `clientRect`.
    PageTurnAnimation(PageTurnMode mode, bool leftward, bool spread, const QRect& clientRect,
                      const QRect& area, int coverMargin);

    // From PARA_TURN_PAGE, PARA_VERTICAL_LINE and PARA_COVER_MARGIN. Nothing plays without text or
    // pages, for a mode outside 1..10, or when both pages clamp to the same one (Next on the last
    // page). Forward turns move leftward in horizontal writing and rightward in vertical writing.
    static PageTurnAnimation Prepare(const TextBuffer* buffer, int fromPage, int toPage, bool spread,
                                     const QRect& clientRect);
    static PageTurnAnimation Prepare(int pageCount, int fromPage, int toPage, bool spread,
                                     const QRect& clientRect);

    // The book rectangle less the cover margin + 6 pixels left and right and the cover margin above
    // and below, kept inside the client rectangle.
    static QRect TurnArea(const QRect& bookRect, int coverMargin, const QRect& clientRect);

    bool Plays() const { return m_mode != PageTurnMode::None && !m_area.isEmpty(); }
    PageTurnMode Mode() const { return m_mode; }
    int FromPage() const { return m_from; }
    int ToPage() const { return m_to; }
    bool Leftward() const { return m_leftward; }
    bool Spread() const { return m_spread; }
    QRect ClientRect() const { return m_client; }
    QRect Area() const { return m_area; }
    // Pixels (degrees for the flip, percent for the cross-fade) per frame, and the wait after each.
    int Step() const;
    int DelayMs() const;

    // Hands every frame to `sink` in order. The pictures show the client area at the old and the
    // new page (the same size; a size other than the client rectangle's scales the geometry, for
    // high-density screens). `lastFrame`, when given, receives the picture the frames were drawn in,
    // as it stands after the last one, so views of it handed out stay valid. Returns the number of
    // frames handed out; 0 when nothing plays or a picture is missing or cannot be made.
    int Run(const QImage& oldPicture, const QImage& newPicture, const PageTurnFrameSink& sink,
            QImage* lastFrame = nullptr) const;

private:
    PageTurnMode m_mode = PageTurnMode::None;
    int m_from = 0;
    int m_to = 0;
    bool m_leftward = false;
    bool m_spread = false;
    QRect m_client;
    QRect m_area;
    int m_coverMargin = 0;
};
