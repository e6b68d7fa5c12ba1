// Composing the reading view off screen: the kept background, the pages on it, the welcome picture.
#include "layout/readingcomposer.h"

#include "document/textbuffer.h"
#include "images/bookpicture.h"
#include "layout/bookbackground.h"
#include "layout/pagegeometry.h"
#include "layout/pagerenderer.h"
#include "settings/parablock.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>

namespace {

// Every setting the background reads.
constexpr std::array<int, 11> kBackgroundSettings = {
    PARA_SHOW_BOOK,       PARA_COVER_MARGIN, PARA_MARGIN_LEFT,   PARA_PAGE_MIDDLE,
    PARA_COLOR_PAGE_EDGE, PARA_BACK_COLOR,   PARA_COVER_COLOR,   PARA_TEXT_BG_COLOR,
    PARA_BACK_IMG,        PARA_COVER_IMAGE,  PARA_TEXT_BG_IMAGE,
};

struct BackgroundKey
{
    QSize client;
    qreal ratio = 1;
    QRect book;
    bool spread = false;
    std::array<int, kBackgroundSettings.size()> settings{};
    friend bool operator==(const BackgroundKey&, const BackgroundKey&) = default;
};

bool SamePicture(const CxImage* live, const CxImage& kept)
{
    if (live == nullptr || !live->IsValid())
        return !kept.IsValid();
    return kept.IsValid() && live->BlockSize() == kept.BlockSize() &&
           std::memcmp(live->Block(), kept.Block(), kept.BlockSize()) == 0;
}

CxImage CopyOf(const CxImage* picture)
{
    return picture != nullptr ? CxImage(*picture) : CxImage();
}

// `image` at `ratio` device pixels to each of its pixels: whole ratios copy every pixel into a block
// (resizing on a 200 % screen composes a background each step), others take the nearest pixel.
QImage ToDevicePixels(const QImage& image, qreal ratio)
{
    const QSize size = DevicePixelSize(image.size(), ratio);
    const int k = static_cast<int>(ratio);
    if (k != ratio || k < 2 || image.format() != QImage::Format_RGB32)
        return image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const std::size_t rowBytes = static_cast<std::size_t>(size.width()) * 4;
    for (int y = 0; y < image.height(); ++y) {
        const auto* src = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        auto* first = reinterpret_cast<std::uint32_t*>(out.scanLine(y * k));
        for (int x = 0; x < image.width(); ++x)
            std::fill_n(first + static_cast<std::ptrdiff_t>(x) * k, k, src[x]);
        for (int i = 1; i < k; ++i)
            std::memcpy(out.scanLine(y * k + i), first, rowBytes);
    }
    return out;
}

// The last composed background and the memory the pictures are handed out in. The pictures are kept
// as copies and compared byte for byte, since a reloaded picture may land at the address of the old.
// Nothing here is allocated again while the client keeps its size or shrinks: on some machines fresh
// memory costs more than the drawing, and resizing must keep up with the screen.
class BackgroundCache
{
public:
    // The background for the client size and settings (kept while they stay), copied into a picture
    // and handed to `draw`.
    QImage Compose(QSize client, qreal ratio, const QRect& book, bool spread,
                   const std::function<void(QPainter&)>& draw)
    {
        BackgroundKey key{client, ratio, book, spread, {}};
        for (std::size_t i = 0; i < kBackgroundSettings.size(); ++i)
            key.settings[i] = ParaGetInt(kBackgroundSettings[i]);
        std::lock_guard guard(m_lock);
        if (!m_ready || !(key == m_key) || !SamePicture(DeskPicture(), m_desk) ||
            !SamePicture(CoverPicture(), m_cover) || !SamePicture(PagePicture(), m_page)) {
            m_onCanvas = DrawBookBackground(m_canvas, client, book, spread);
            m_plain = QImage();
            if (!m_onCanvas || ratio != 1) {
                m_plain = QImage(client, QImage::Format_RGB32);
                if (!m_onCanvas || !CanvasToScreen(m_canvas, client, m_plain))
                    DrawPlainBackground(m_plain, book, spread);
                // Every part of the background is whole client pixels (fills, one-pixel rules and
                // edges, pictures made for 1x), so each pixel becomes a block of device pixels and
                // stays as sharp as at 1x.
                if (ratio != 1 && !m_plain.isNull())
                    m_plain = ToDevicePixels(m_plain, ratio);
                m_onCanvas = false;
            }
            m_ready = true;
            m_key = key;
            m_desk = CopyOf(DeskPicture());
            m_cover = CopyOf(CoverPicture());
            m_page = CopyOf(PagePicture());
        }
        QImage picture = Acquire(DevicePixelSize(client, ratio));
        if (picture.isNull())
            return {};
        if (m_onCanvas) {
            if (!CanvasToScreen(m_canvas, client, picture))
                return {};
        } else {
            if (m_plain.isNull() || m_plain.size() != picture.size() ||
                m_plain.bytesPerLine() != picture.bytesPerLine())
                return {};
            std::memcpy(picture.bits(), m_plain.constBits(), static_cast<std::size_t>(m_plain.sizeInBytes()));
        }
        picture.setDevicePixelRatio(ratio);
        QPainter painter(&picture);
        if (!painter.isActive())
            return {};
        draw(painter);
        painter.end();
        return picture;
    }

    void Clear()
    {
        std::lock_guard guard(m_lock);
        m_ready = false;
        m_canvas.Destroy();
        m_plain = QImage();
        for (Slot& slot : m_slots) {
            if (!slot.held.load(std::memory_order_acquire)) {
                slot.memory.reset();
                slot.capacity = 0;
            }
        }
    }

private:
    // Memory for one picture at a time. A picture handed out over it marks it held until its last
    // copy is gone; a page turn holds two, the view one.
    struct Slot
    {
        std::unique_ptr<std::uint32_t[]> memory;
        std::size_t capacity = 0; // pixels
        std::atomic<bool> held{false};
    };

    static void Release(void* slot)
    {
        static_cast<Slot*>(slot)->held.store(false, std::memory_order_release);
    }

    QImage Acquire(QSize size)
    {
        const std::size_t need =
            static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height());
        for (Slot& slot : m_slots) {
            if (slot.held.load(std::memory_order_acquire))
                continue;
            if (slot.capacity < need) {
                slot.memory.reset(new (std::nothrow) std::uint32_t[need]);
                slot.capacity = slot.memory ? need : 0;
                if (!slot.memory)
                    continue;
            }
            slot.held.store(true, std::memory_order_relaxed);
            QImage picture(reinterpret_cast<uchar*>(slot.memory.get()), size.width(), size.height(),
                           static_cast<qsizetype>(size.width()) * 4, QImage::Format_RGB32, &Release, &slot);
            if (picture.isNull()) {
                slot.held.store(false, std::memory_order_relaxed);
                continue;
            }
            return picture;
        }
        // Every slot held: a picture of its own.
        return QImage(size, QImage::Format_RGB32);
    }

    std::mutex m_lock;
    bool m_ready = false;
    bool m_onCanvas = false;
    BackgroundKey m_key;
    CxImage m_canvas;
    QImage m_plain; // the fallback when no canvas could be had
    CxImage m_desk;
    CxImage m_cover;
    CxImage m_page;
    std::array<Slot, 3> m_slots;
};

BackgroundCache& TheBackgroundCache()
{
    // Never destroyed: a picture handed out may still be alive while static objects go, and its
    // release must find its slot.
    static BackgroundCache* const cache = new BackgroundCache;
    return *cache;
}

QImage BlackImage(QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    if (!image.isNull())
        image.fill(Qt::black);
    return image;
}

} // namespace

ReadingLayout LayOutReadingView(QSize clientSize, TextBuffer* buffer)
{
    ReadingLayout layout;
    layout.bookRect = BookRect(QRect(QPoint(0, 0), clientSize), false);
    ComputePageSize(layout.bookRect, &layout.pageSize, &layout.spread);
    if (buffer != nullptr) {
        buffer->Paginate(layout.pageSize);
        layout.pageCount = buffer->PageCount();
    }
    return layout;
}

QSize DevicePixelSize(QSize clientSize, qreal devicePixelRatio)
{
    if (!(devicePixelRatio > 0) || devicePixelRatio == 1)
        return clientSize;
    // A hair below the next whole pixel rounds down: 1001 x 1.5 takes 1502 pixels, 1000 x 1.5 1500.
    auto side = [devicePixelRatio](int n) {
        const double pixels = std::ceil(n * devicePixelRatio - 1e-6);
        return static_cast<int>(std::clamp(pixels, 0.0, 1e9));
    };
    return QSize(side(clientSize.width()), side(clientSize.height()));
}

bool IsComposableSize(QSize clientSize)
{
    const long long w = clientSize.width();
    const long long h = clientSize.height();
    return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide &&
           static_cast<std::uint64_t>(w * h * 4) <= kMaxImageBytes;
}

QImage ComposeWelcomePicture(QSize clientSize, qreal devicePixelRatio)
{
    if (devicePixelRatio != 1) {
        // The welcome picture is a 1x bitmap: its pixels become blocks of device pixels.
        if (!IsComposableSize(DevicePixelSize(clientSize, devicePixelRatio)))
            return clientSize.isEmpty() ? BlackImage(clientSize) : QImage();
        QImage image = ComposeWelcomePicture(clientSize, 1);
        if (image.isNull() || clientSize.isEmpty())
            return image;
        image = ToDevicePixels(image, devicePixelRatio);
        image.setDevicePixelRatio(devicePixelRatio);
        return image;
    }
    if (!IsComposableSize(clientSize))
        return clientSize.isEmpty() ? BlackImage(clientSize) : QImage();
    QImage image = BlackImage(clientSize);
    const CxImage* splash = SplashPicture();
    if (image.isNull() || splash == nullptr || !splash->IsValid() || splash->Bits() != 24)
        return image;
    const int cw = clientSize.width();
    const int ch = clientSize.height();
    const int pw = splash->Width();
    const int ph = splash->Height();
    const int x0 = cw > pw ? (cw - pw) / 2 : 0;
    const int y0 = ch > ph ? std::max(0, (ch - ph) / 2 - 1) : 0;
    const int columns = std::min(pw, cw - x0);
    const int rows = std::min(ph, ch - y0);
    for (int j = 0; j < rows; ++j) {
        const std::uint8_t* src = splash->Row(ph - 1 - j);
        auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y0 + j)) + x0;
        for (int i = 0; i < columns; ++i, src += 3)
            dst[i] = 0xFF000000u | (std::uint32_t{src[2]} << 16) | (std::uint32_t{src[1]} << 8) | src[0];
    }
    return image;
}

QImage ComposeReadingPicture(QSize clientSize, const TextBuffer* buffer, QSize pageSize, bool spread,
                             int page, qreal devicePixelRatio)
{
    if (!(devicePixelRatio > 0))
        devicePixelRatio = 1;
    if (buffer == nullptr)
        return ComposeWelcomePicture(clientSize, devicePixelRatio);
    if (clientSize.isEmpty())
        return BlackImage(clientSize);
    if (!IsComposableSize(clientSize) || !IsComposableSize(DevicePixelSize(clientSize, devicePixelRatio)))
        return {};
    const QRect book = BookRect(QRect(QPoint(0, 0), clientSize), false);
    return TheBackgroundCache().Compose(clientSize, devicePixelRatio, book, spread, [&](QPainter& painter) {
        DrawPages(painter, book, pageSize, *buffer, spread, page);
    });
}

void ForgetComposedBackground()
{
    TheBackgroundCache().Clear();
}
