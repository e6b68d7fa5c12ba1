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
#include <cstring>
#include <functional>
#include <mutex>

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

// The last composed background. The pictures are kept as copies and compared byte for byte, since a
// reloaded picture may land at the address of the old one.
class BackgroundCache
{
public:
    // The background for the client size and settings (kept while they stay), copied into the
    // output picture and handed to `draw`. The output's block is reused once its last holder let it
    // go, so a page turn allocates nothing: on some machines fresh pages cost more than the drawing.
    QImage Compose(QSize client, const QRect& book, bool spread, const std::function<void(QPainter&)>& draw)
    {
        BackgroundKey key{client, book, spread, {}};
        for (std::size_t i = 0; i < kBackgroundSettings.size(); ++i)
            key.settings[i] = ParaGetInt(kBackgroundSettings[i]);
        std::lock_guard guard(m_lock);
        if (m_image.isNull() || !(key == m_key) || !SamePicture(DeskPicture(), m_desk) ||
            !SamePicture(CoverPicture(), m_cover) || !SamePicture(PagePicture(), m_page)) {
            m_image = ComposeBackground(m_canvas, client, book, spread);
            m_key = key;
            m_desk = CopyOf(DeskPicture());
            m_cover = CopyOf(CoverPicture());
            m_page = CopyOf(PagePicture());
        }
        if (m_image.isNull())
            return {};
        if (m_output.isDetached() && m_output.size() == m_image.size() &&
            m_output.format() == m_image.format())
            std::memcpy(m_output.bits(), m_image.constBits(),
                        static_cast<std::size_t>(m_image.sizeInBytes()));
        else
            m_output = m_image.copy();
        if (m_output.isNull())
            return {};
        QPainter painter(&m_output);
        if (!painter.isActive())
            return {};
        draw(painter);
        painter.end();
        return m_output;
    }

    void Clear()
    {
        std::lock_guard guard(m_lock);
        m_image = QImage();
        m_output = QImage();
        m_canvas.Destroy();
    }

private:
    static QImage ComposeBackground(CxImage& canvas, QSize client, const QRect& book, bool spread)
    {
        if (DrawBookBackground(canvas, client, book, spread)) {
            QImage image = CanvasToScreenImage(canvas);
            if (!image.isNull())
                return image;
        }
        canvas.Destroy();
        QImage plain(client, QImage::Format_RGB32);
        DrawPlainBackground(plain, book, spread);
        return plain;
    }

    std::mutex m_lock;
    BackgroundKey m_key;
    QImage m_image;
    QImage m_output;
    CxImage m_canvas; // a settings change at the same size paints into memory already in hand
    CxImage m_desk;
    CxImage m_cover;
    CxImage m_page;
};

BackgroundCache& TheBackgroundCache()
{
    static BackgroundCache cache;
    return cache;
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

bool IsComposableSize(QSize clientSize)
{
    const long long w = clientSize.width();
    const long long h = clientSize.height();
    return w > 0 && h > 0 && w <= kMaxImageSide && h <= kMaxImageSide &&
           static_cast<std::uint64_t>(w * h * 4) <= kMaxImageBytes;
}

QImage ComposeWelcomePicture(QSize clientSize)
{
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
                             int page)
{
    if (buffer == nullptr)
        return ComposeWelcomePicture(clientSize);
    if (clientSize.isEmpty())
        return BlackImage(clientSize);
    if (!IsComposableSize(clientSize))
        return {};
    const QRect book = BookRect(QRect(QPoint(0, 0), clientSize), false);
    return TheBackgroundCache().Compose(clientSize, book, spread, [&](QPainter& painter) {
        DrawPages(painter, book, pageSize, *buffer, spread, page);
    });
}

void ForgetComposedBackground()
{
    TheBackgroundCache().Clear();
}
