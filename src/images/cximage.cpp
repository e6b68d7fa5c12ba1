// CxImage: construction, the packed block, pixel access, resources and the hand-over to Qt.
#include "images/cximage.h"

#include "images/cximage_p.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

namespace cximage_detail {

std::unique_ptr<std::uint8_t[]> AllocBytes(std::size_t size)
{
    try {
        return std::make_unique_for_overwrite<std::uint8_t[]>(size);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

const char* CheckSize(std::int64_t width, std::int64_t height, int bits)
{
    if (width <= 0 || height <= 0)
        return "CxImage::Create : width and height must be greater than zero";
    const std::uint64_t stride = RowBytes(static_cast<std::uint64_t>(width), bits);
    if (width > kMaxImageSide || height > kMaxImageSide ||
        stride * static_cast<std::uint64_t>(height) > ImageByteLimit())
        return "CxImage::Create : picture too large";
    return nullptr;
}

} // namespace cximage_detail

using namespace cximage_detail;

namespace {
std::atomic<std::uint64_t> g_byteLimit{kMaxImageBytes};
} // namespace

void SetImageByteLimit(std::uint64_t bytes)
{
    g_byteLimit = std::min(bytes, kMaxImageBytes);
}

std::uint64_t ImageByteLimit()
{
    return g_byteLimit;
}

namespace {

int RoundDepth(int bits)
{
    if (bits <= 1)
        return 1;
    if (bits <= 4)
        return 4;
    if (bits <= 8)
        return 8;
    return 24;
}

std::int32_t PixelsPerMetre(int dpi)
{
    return static_cast<std::int32_t>(std::lround(dpi * 10000.0 / 254.0));
}

} // namespace

CxImage::CxImage() = default;
CxImage::~CxImage() = default;

CxImage::CxImage(const CxImage& other)
{
    *this = other;
}

CxImage& CxImage::operator=(const CxImage& other)
{
    if (this == &other)
        return *this;
    Destroy();
    m_width = other.m_width;
    m_height = other.m_height;
    m_bits = other.m_bits;
    m_type = other.m_type;
    m_paletteCount = other.m_paletteCount;
    m_stride = other.m_stride;
    m_dpiX = other.m_dpiX;
    m_dpiY = other.m_dpiY;
    m_alphaMax = other.m_alphaMax;
    m_background = other.m_background;
    m_transIndex = other.m_transIndex;
    m_lastError = other.m_lastError;
    if (other.m_block) {
        m_block = AllocBytes(other.m_blockSize);
        const std::size_t planeSize = static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
        if (other.m_alpha)
            m_alpha = AllocBytes(planeSize);
        if (!m_block || (other.m_alpha && !m_alpha)) {
            Destroy();
            SetError("CxImage::Create can't allocate memory");
            return *this;
        }
        m_blockSize = other.m_blockSize;
        std::memcpy(m_block.get(), other.m_block.get(), m_blockSize);
        if (m_alpha)
            std::memcpy(m_alpha.get(), other.m_alpha.get(), planeSize);
    }
    return *this;
}

CxImage::CxImage(CxImage&& other) noexcept
{
    TakeOver(other);
}

CxImage& CxImage::operator=(CxImage&& other) noexcept
{
    if (this != &other)
        TakeOver(other);
    return *this;
}

void CxImage::SetError(const char* text)
{
    std::strncpy(m_lastError.data(), text, m_lastError.size() - 1);
    m_lastError.back() = '\0';
}

void CxImage::Destroy()
{
    m_block.reset();
    m_alpha.reset();
    m_blockSize = 0;
    m_width = m_height = m_bits = m_paletteCount = 0;
    m_stride = 0;
}

std::uint8_t* CxImage::Create(int width, int height, int bits, int type)
{
    Destroy();
    bits = RoundDepth(bits);
    if (const char* error = CheckSize(width, height, bits)) {
        SetError(error);
        return nullptr;
    }
    const std::size_t stride = RowBytes(static_cast<std::uint64_t>(width), bits);
    const int paletteCount = bits <= 8 ? 1 << bits : 0;
    const std::size_t headerBytes = kInfoHeaderSize + static_cast<std::size_t>(paletteCount) * 4;
    const std::size_t total = headerBytes + stride * static_cast<std::size_t>(height);
    m_block = AllocBytes(total);
    if (!m_block) {
        SetError("CxImage::Create can't allocate memory");
        return nullptr;
    }
    std::memset(m_block.get(), 0, headerBytes);
    m_blockSize = total;
    m_width = width;
    m_height = height;
    m_bits = bits;
    m_type = type;
    m_paletteCount = paletteCount;
    m_stride = stride;
    WriteHeader();
    // Rows are left for the caller to fill, but their padding is cleared so the block never carries
    // stale bytes.
    const std::size_t used = (static_cast<std::size_t>(width) * static_cast<std::size_t>(bits)) / 8;
    if (used < stride) {
        for (int y = 0; y < height; ++y)
            std::memset(Row(y) + used, 0, stride - used);
    }
    return m_block.get();
}

void CxImage::WriteHeader()
{
    if (!m_block)
        return;
    std::uint8_t* h = m_block.get();
    PutLe32(h, kInfoHeaderSize);
    PutLe32(h + 4, static_cast<std::uint32_t>(m_width));
    PutLe32(h + 8, static_cast<std::uint32_t>(m_height));
    PutLe16(h + 12, 1);
    PutLe16(h + 14, static_cast<std::uint16_t>(m_bits));
    PutLe32(h + 16, 0);
    PutLe32(h + 20, static_cast<std::uint32_t>(ImageSize()));
    PutLe32(h + 24, static_cast<std::uint32_t>(PixelsPerMetre(m_dpiX)));
    PutLe32(h + 28, static_cast<std::uint32_t>(PixelsPerMetre(m_dpiY)));
    PutLe32(h + 32, static_cast<std::uint32_t>(m_paletteCount));
    PutLe32(h + 36, 0);
}

void CxImage::TakeOver(CxImage& other)
{
    if (this == &other)
        return;
    m_block = std::move(other.m_block);
    m_blockSize = other.m_blockSize;
    m_alpha = std::move(other.m_alpha);
    m_width = other.m_width;
    m_height = other.m_height;
    m_bits = other.m_bits;
    m_type = other.m_type;
    m_paletteCount = other.m_paletteCount;
    m_stride = other.m_stride;
    m_dpiX = other.m_dpiX;
    m_dpiY = other.m_dpiY;
    m_alphaMax = other.m_alphaMax;
    m_background = other.m_background;
    m_transIndex = other.m_transIndex;
    other.Destroy();
}

void CxImage::AdoptPixels(CxImage& other)
{
    m_block = std::move(other.m_block);
    m_blockSize = other.m_blockSize;
    m_width = other.m_width;
    m_height = other.m_height;
    m_bits = other.m_bits;
    m_paletteCount = other.m_paletteCount;
    m_stride = other.m_stride;
    other.Destroy();
    WriteHeader();
}

std::uint8_t* CxImage::Palette()
{
    return m_block && m_paletteCount ? m_block.get() + kInfoHeaderSize : nullptr;
}

const std::uint8_t* CxImage::Palette() const
{
    return m_block && m_paletteCount ? m_block.get() + kInfoHeaderSize : nullptr;
}

std::uint8_t* CxImage::Row(int y)
{
    if (!m_block || y < 0 || y >= m_height)
        return nullptr;
    return m_block.get() + kInfoHeaderSize + PaletteBytes() + m_stride * static_cast<std::size_t>(y);
}

const std::uint8_t* CxImage::Row(int y) const
{
    return const_cast<CxImage*>(this)->Row(y);
}

bool CxImage::AlphaCreate()
{
    if (!m_block)
        return false;
    if (m_alpha)
        return true;
    const std::size_t size = static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    m_alpha = AllocBytes(size);
    if (!m_alpha) {
        SetError("CxImage::AlphaCreate can't allocate memory");
        return false;
    }
    std::memset(m_alpha.get(), 255, size);
    return true;
}

void CxImage::AlphaDelete()
{
    m_alpha.reset();
}

std::uint8_t* CxImage::AlphaRow(int y)
{
    if (!m_alpha || y < 0 || y >= m_height)
        return nullptr;
    return m_alpha.get() + static_cast<std::size_t>(m_width) * static_cast<std::size_t>(y);
}

const std::uint8_t* CxImage::AlphaRow(int y) const
{
    return const_cast<CxImage*>(this)->AlphaRow(y);
}

void CxImage::SetAlphaMax(int value)
{
    m_alphaMax = std::clamp(value, 0, 255);
}

void CxImage::SetXDpi(int dpi)
{
    m_dpiX = dpi < 1 ? 96 : dpi;
    WriteHeader();
}

void CxImage::SetYDpi(int dpi)
{
    m_dpiY = dpi < 1 ? 96 : dpi;
    WriteHeader();
}

int CxImage::IndexAt(int x, int y) const
{
    const std::uint8_t* row = Row(y);
    switch (m_bits) {
    case 8:
        return row[x];
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    default:
        return 0;
    }
}

RgbQuad CxImage::PixelAt(int x, int y) const
{
    if (!m_block || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    RgbQuad q;
    const std::uint8_t* p =
        m_bits == 24 ? Row(y) + 3 * static_cast<std::size_t>(x) : Palette() + 4 * IndexAt(x, y);
    q.blue = p[0];
    q.green = p[1];
    q.red = p[2];
    q.alpha = m_alpha ? AlphaRow(y)[x] : 255;
    return q;
}

QImage CxImage::ToPlatformBitmap() const
{
    if (!m_block)
        return {};
    QImage image(m_width, m_height, m_alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    if (image.isNull())
        return {};
    for (int line = 0; line < m_height; ++line) {
        const int y = m_height - 1 - line;
        uchar* out = image.scanLine(line);
        if (m_alpha) {
            auto* px = reinterpret_cast<QRgb*>(out);
            const std::uint8_t* a = AlphaRow(y);
            for (int x = 0; x < m_width; ++x) {
                const RgbQuad q = PixelAt(x, y);
                px[x] = qRgba(q.red, q.green, q.blue, a[x]);
            }
        } else if (m_bits == 24) {
            std::memcpy(out, Row(y), static_cast<std::size_t>(m_width) * 3);
        } else {
            const std::uint8_t* pal = Palette();
            for (int x = 0; x < m_width; ++x) {
                const std::uint8_t* e = pal + 4 * IndexAt(x, y);
                out[3 * x] = e[0];
                out[3 * x + 1] = e[1];
                out[3 * x + 2] = e[2];
            }
        }
    }
    return image;
}

bool CxImage::LoadFromResource(int resource, ImageFormat format)
{
    if (format != ImageFormat::Unknown && format != ImageFormat::Bmp) {
        SetError("Decode: Unknown or wrong format");
        return false;
    }
    QFile file(QStringLiteral(":/images/") + QString::number(resource) + QStringLiteral(".bmp"));
    if (!file.open(QIODevice::ReadOnly)) {
        SetError("Unable to load resource!");
        return false;
    }
    const QByteArray bytes = file.readAll();
    CxImage decoded;
    if (!decoded.DecodeBmp({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())})) {
        SetError(decoded.LastError());
        return false;
    }
    TakeOver(decoded);
    return true;
}
