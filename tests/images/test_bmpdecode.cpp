// DecodeBmp against Qt's own BMP reader in every layout, and its handling of hostile headers.
#include "images/bmpwriter.h"
#include "images/cximage.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {

std::span<const std::uint8_t> Span(const QByteArray& b)
{
    return {reinterpret_cast<const std::uint8_t*>(b.constData()), static_cast<std::size_t>(b.size())};
}

// Odd sizes so row padding and half-filled bytes are exercised.
constexpr int kW = 37;
constexpr int kH = 23;

QImage Colourful(bool alpha)
{
    QImage img(kW, kH, QImage::Format_ARGB32);
    QRandomGenerator rng(7);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            img.setPixel(
                x, y, qRgba(x * 7, y * 11, (x * y) & 0xFF, alpha ? static_cast<int>(rng.bounded(256)) : 255));
    return img;
}

// Indexed picture with runs (for RLE) and noise, `colours` entries used.
QImage Indexed(int colours)
{
    QImage img(kW, kH, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i)
        table.push_back(qRgb((i * 53) & 0xFF, (i * 97 + 30) & 0xFF, (i * 29 + 200) & 0xFF));
    img.setColorTable(table);
    QRandomGenerator rng(3);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            int v;
            if (y % 4 == 0)
                v = 0; // whole rows of index 0 (delta / end-of-line escapes)
            else if (x < 12)
                v = (y % colours); // runs
            else if (x < 20)
                v = x % 2 ? 1 % colours : 0; // alternating pairs
            else
                v = static_cast<int>(rng.bounded(colours)); // literals
            img.setPixel(x, y, static_cast<uint>(v));
        }
    }
    return img;
}

struct Case
{
    const char* name;
    QImage source;
    BmpWriteOptions options;
};

// Qt leaves pixels skipped by RLE escapes unset; they are index 0 in ours and in the source.
bool SkipsPixels(const Case& c)
{
    return c.options.rleDeltas;
}

BmpWriteOptions Opts(int bits, BmpCompression c = BmpCompression::None, int header = 40)
{
    BmpWriteOptions o;
    o.bits = bits;
    o.compression = c;
    o.headerSize = header;
    return o;
}

std::vector<Case> OurCases()
{
    std::vector<Case> cases;
    auto add = [&](const char* name, QImage src, BmpWriteOptions o) {
        cases.push_back({name, std::move(src), o});
    };
    add("1-bit", Indexed(2), Opts(1));
    add("4-bit", Indexed(16), Opts(4));
    add("4-bit short palette", Indexed(5), Opts(4));
    add("8-bit", Indexed(256), Opts(8));
    add("8-bit short palette", Indexed(40), Opts(8));
    add("RLE8", Indexed(200), Opts(8, BmpCompression::Rle8));
    BmpWriteOptions rle8d = Opts(8, BmpCompression::Rle8);
    rle8d.rleDeltas = true;
    add("RLE8 with deltas", Indexed(200), rle8d);
    add("RLE4", Indexed(16), Opts(4, BmpCompression::Rle4));
    BmpWriteOptions rle4d = Opts(4, BmpCompression::Rle4);
    rle4d.rleDeltas = true;
    add("RLE4 with deltas", Indexed(16), rle4d);
    add("16-bit 555", Colourful(false), Opts(16));
    add("16-bit 565 bit fields", Colourful(false), Opts(16, BmpCompression::BitFields));
    add("24-bit", Colourful(false), Opts(24));
    BmpWriteOptions noAlpha = Opts(32);
    noAlpha.writeAlpha = false;
    add("32-bit, zero fourth bytes", Colourful(false), noAlpha);
    add("32-bit with alpha", Colourful(true), Opts(32));
    add("32-bit bit fields", Colourful(false), Opts(32, BmpCompression::BitFields));
    BmpWriteOptions top24 = Opts(24);
    top24.topDown = true;
    add("24-bit top-down", Colourful(false), top24);
    BmpWriteOptions top8 = Opts(8);
    top8.topDown = true;
    add("8-bit top-down", Indexed(256), top8);
    add("core header 1-bit", Indexed(2), Opts(1, BmpCompression::None, 12));
    add("core header 8-bit", Indexed(256), Opts(8, BmpCompression::None, 12));
    add("core header 24-bit", Colourful(false), Opts(24, BmpCompression::None, 12));
    add("64-byte header", Colourful(false), Opts(24, BmpCompression::None, 64));
    add("64-byte header 8-bit", Indexed(256), Opts(8, BmpCompression::None, 64));
    add("108-byte header", Colourful(false), Opts(24, BmpCompression::None, 108));
    add("124-byte header 24-bit", Colourful(false), Opts(24, BmpCompression::None, 124));
    add("124-byte header 8-bit", Indexed(256), Opts(8, BmpCompression::None, 124));
    add("124-byte header 565", Colourful(false), Opts(16, BmpCompression::BitFields, 124));
    add("124-byte header 32-bit bit fields", Colourful(false), Opts(32, BmpCompression::BitFields, 124));
    return cases;
}

QByteArray SavedByQt(const QImage& img)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "BMP");
    return bytes;
}

// DecodeBmp + ToTrueColour must give the colours Qt's reader gives, pixel for pixel (except where
// `ignore` says Qt's own result is undefined).
void ExpectSameAsQt(const QByteArray& bytes, const std::string& what, const QImage& ignore = {})
{
    SCOPED_TRACE(what);
    const QImage reference = QImage::fromData(bytes, "BMP");
    ASSERT_FALSE(reference.isNull()) << "Qt cannot read it";
    CxImage img;
    ASSERT_TRUE(img.DecodeBmp(Span(bytes))) << img.LastError();
    ASSERT_TRUE(img.ToTrueColour());
    ASSERT_EQ(img.Width(), reference.width());
    ASSERT_EQ(img.Height(), reference.height());
    ASSERT_EQ(img.Bits(), 24);
    int mismatches = 0;
    for (int y = 0; y < reference.height(); ++y) {
        for (int x = 0; x < reference.width(); ++x) {
            if (!ignore.isNull() && ignore.pixelIndex(x, y) == 0)
                continue;
            const QRgb q = reference.pixel(x, y);
            const RgbQuad p = img.PixelAt(x, img.Height() - 1 - y);
            if ((p.red != qRed(q) || p.green != qGreen(q) || p.blue != qBlue(q)) && ++mismatches <= 3)
                ADD_FAILURE() << "pixel " << x << "," << y << ": ours " << int(p.red) << "," << int(p.green)
                              << "," << int(p.blue) << " Qt " << qRed(q) << "," << qGreen(q) << ","
                              << qBlue(q);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(DecodeBmp, MatchesQtForFilesOfOurWriter)
{
    for (const Case& c : OurCases()) {
        const QByteArray bytes = WriteBmp(c.source, c.options);
        ASSERT_FALSE(bytes.isEmpty()) << c.name;
        ExpectSameAsQt(bytes, c.name, SkipsPixels(c) ? c.source : QImage());
        // And the colours of the picture that was written (16 bits keep only their top bits).
        CxImage img;
        ASSERT_TRUE(img.DecodeBmp(Span(bytes)));
        ASSERT_TRUE(img.ToTrueColour());
        const int tolerance = c.options.bits == 16 ? 10 : 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const QRgb want = c.source.pixel(x, y);
                const RgbQuad got = img.PixelAt(x, kH - 1 - y);
                ASSERT_LE(std::abs(got.red - qRed(want)), tolerance) << c.name << " " << x << "," << y;
                ASSERT_LE(std::abs(got.green - qGreen(want)), tolerance) << c.name;
                ASSERT_LE(std::abs(got.blue - qBlue(want)), tolerance) << c.name;
            }
        }
    }
}

TEST(DecodeBmp, MatchesQtForFilesQtWrote)
{
    ExpectSameAsQt(SavedByQt(Colourful(false)), "Qt 24-bit");
    ExpectSameAsQt(SavedByQt(Indexed(256)), "Qt 8-bit");
    ExpectSameAsQt(SavedByQt(Indexed(16)), "Qt 4-bit");
    ExpectSameAsQt(SavedByQt(Indexed(2)), "Qt 1-bit");
    ExpectSameAsQt(SavedByQt(Colourful(false).convertToFormat(QImage::Format_Mono)), "Qt mono");
}

TEST(DecodeBmp, BareDibDecodesLikeTheFileAroundIt)
{
    for (const Case& c : OurCases()) {
        SCOPED_TRACE(c.name);
        BmpWriteOptions bare = c.options;
        bare.fileHeader = false;
        CxImage withHeader, without;
        ASSERT_TRUE(withHeader.DecodeBmp(Span(WriteBmp(c.source, c.options))));
        ASSERT_TRUE(without.DecodeBmp(Span(WriteBmp(c.source, bare)))) << without.LastError();
        ASSERT_EQ(withHeader.BlockSize(), without.BlockSize());
        EXPECT_EQ(0, std::memcmp(withHeader.Block(), without.Block(), withHeader.BlockSize()));
        EXPECT_EQ(withHeader.HasAlpha(), without.HasAlpha());
    }
}

TEST(DecodeBmp, AlphaPlaneOnlyWhenTheFourthBytesCarryOne)
{
    const QImage src = Colourful(true);
    CxImage img;
    ASSERT_TRUE(img.DecodeBmp(Span(WriteBmp(src, Opts(32)))));
    ASSERT_TRUE(img.HasAlpha());
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(img.PixelAt(x, kH - 1 - y).alpha, qAlpha(src.pixel(x, y)));

    BmpWriteOptions zero = Opts(32);
    zero.writeAlpha = false;
    ASSERT_TRUE(img.DecodeBmp(Span(WriteBmp(src, zero))));
    EXPECT_FALSE(img.HasAlpha());

    // An alpha mask in a 124-byte header is honoured too.
    ASSERT_TRUE(img.DecodeBmp(Span(WriteBmp(src, Opts(32, BmpCompression::BitFields, 124)))));
    ASSERT_TRUE(img.HasAlpha());
    EXPECT_EQ(img.PixelAt(3, kH - 1 - 5).alpha, qAlpha(src.pixel(3, 5)));
}

TEST(DecodeBmp, DepthsAndResolutionFromTheHeader)
{
    CxImage img;
    BmpWriteOptions o = Opts(4);
    o.pixelsPerMetre = 5906; // 150 dpi
    ASSERT_TRUE(img.DecodeBmp(Span(WriteBmp(Indexed(16), o))));
    EXPECT_EQ(img.Bits(), 4);
    EXPECT_EQ(img.PaletteCount(), 16);
    EXPECT_EQ(img.XDpi(), 150);
    o.pixelsPerMetre = 0;
    ASSERT_TRUE(img.DecodeBmp(Span(WriteBmp(Indexed(16), o))));
    EXPECT_EQ(img.XDpi(), 96);
    ASSERT_TRUE(img.DecodeBmp(Span(WriteBmp(Colourful(false), Opts(16)))));
    EXPECT_EQ(img.Bits(), 24);
}

// A 40-byte header followed by nothing else; fields patched by the caller.
QByteArray Header(int width, int height, int bits, std::uint32_t compression = 0)
{
    QByteArray b(40, '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(width));
    put32(8, static_cast<std::uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<char>(bits);
    put32(16, compression);
    return b;
}

TEST(DecodeBmp, FailuresLeaveAnEmptyPictureAndSayWhy)
{
    struct Bad
    {
        QByteArray bytes;
        const char* message;
    };
    QByteArray tiny("BM\x01\x02", 4);
    QByteArray oddHeader = Header(4, 4, 24);
    oddHeader[0] = 20;
    oddHeader.append(QByteArray(64, '\0'));
    const Bad cases[] = {
        {tiny, "Not a BMP"},
        {oddHeader, "Error reading BMP info"},
        {Header(4, 4, 2) + QByteArray(64, '\0'), "Error reading BMP info"},
        {Header(4, 4, 8, 2) + QByteArray(1200, '\0'), "compression type not supported"},
        {Header(4, 4, 24, 1) + QByteArray(64, '\0'), "unknown compression"},
        {Header(4, 4, 32, 2) + QByteArray(64, '\0'), "unknown compression"},
        {Header(0, 4, 24) + QByteArray(64, '\0'),
         "CxImage::Create : width and height must be greater than zero"},
        {Header(4, 0, 24) + QByteArray(64, '\0'),
         "CxImage::Create : width and height must be greater than zero"},
        {Header(32769, 1, 8) + QByteArray(2000, '\0'), "CxImage::Create : picture too large"},
        {Header(24, 24, 24) + QByteArray(100, '\0'), "BMP pixel data truncated"},
    };
    for (const Bad& c : cases) {
        CxImage img;
        img.Create(5, 5, 24);
        EXPECT_FALSE(img.DecodeBmp(Span(c.bytes))) << c.message;
        EXPECT_FALSE(img.IsValid()) << c.message;
        EXPECT_STREQ(img.LastError(), c.message);
    }
}

TEST(DecodeBmp, HugeHeaderSizesAreRefusedWithoutOverflow)
{
    // Width x height x bits overflows 32 and even 64-bit arithmetic done carelessly.
    const std::pair<int, int> sizes[] = {
        {0x7FFFFFFF, 0x7FFFFFFF}, {65536, 65536}, {1, -2147483647 - 1}, {20000, 20000}, {-5, 10}};
    for (auto [w, h] : sizes) {
        for (int bits : {1, 8, 24, 32}) {
            CxImage img;
            EXPECT_FALSE(img.DecodeBmp(Span(Header(w, h, bits) + QByteArray(4096, '\x55')))) << w << "x" << h;
            EXPECT_FALSE(img.IsValid());
        }
    }
    // RLE cannot be checked against the stream length, only against the limit.
    CxImage img;
    EXPECT_FALSE(
        img.DecodeBmp(Span(Header(30000, 30000, 8, 1) + QByteArray(1024, '\0') + QByteArray("\0\1", 2))));
    EXPECT_STREQ(img.LastError(), "CxImage::Create : picture too large");
}

TEST(DecodeBmp, RleNeverWritesOutsideItsRows)
{
    // 5 x 3, 8-bit: runs and literals longer than a row, deltas past the end.
    QByteArray b = Header(5, 3, 8, 1);
    b[32] = 3; // three palette entries
    b.append(QByteArray("\x10\x20\x30\x00\x40\x50\x60\x00\x70\x80\x90\x00", 12));
    b.append(QByteArray("\xFF\x01", 2)); // run of 255 x index 1 on row 0: cut at 5
    b.append(QByteArray("\x00\x00", 2)); // end of line
    b.append(QByteArray("\x00\x07\x02\x02\x02\x02\x02\x02\x02\x00", 10)); // literal of 7 on row 1
    b.append(QByteArray("\x00\x00", 2));
    b.append(QByteArray("\x00\x02\xFF\xFF", 4)); // delta far outside
    b.append(QByteArray("\x05\x01", 2));         // nothing left to write to
    CxImage img;
    ASSERT_TRUE(img.DecodeBmp(Span(b))) << img.LastError();
    const std::uint8_t* row0 = img.Row(0);
    const std::uint8_t* row1 = img.Row(1);
    const std::uint8_t* row2 = img.Row(2);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(row0[x], 1);
        EXPECT_EQ(row1[x], 2);
        EXPECT_EQ(row2[x], 0);
    }
    // Row padding stays clear.
    for (int x = 5; x < 8; ++x)
        EXPECT_EQ(row0[x], 0);

    // RLE4 with a literal that runs past the row and a stream cut mid-literal.
    QByteArray r4 = Header(3, 2, 4, 2) + QByteArray(64, '\0');
    r4.append(QByteArray("\x00\x09\x12\x34\x56\x78\x9A\x00", 8));
    r4.append(QByteArray("\x00\x00\x00\x06\x11", 5));
    ASSERT_TRUE(img.DecodeBmp(Span(r4))) << img.LastError();
    EXPECT_EQ(img.Row(0)[0], 0x12);
    EXPECT_EQ(img.Row(0)[1], 0x30);
}

TEST(DecodeBmp, PaletteIndicesBeyondTheColoursUsedReadAsZero)
{
    // Two colours declared, pixels using index 200.
    QByteArray b = Header(2, 1, 8);
    b[32] = 2;
    b.append(QByteArray("\x11\x22\x33\x00\x44\x55\x66\x00", 8));
    b.append(QByteArray("\x01\xC8\x00\x00", 4));
    CxImage img;
    ASSERT_TRUE(img.DecodeBmp(Span(b)));
    ASSERT_TRUE(img.ToTrueColour());
    EXPECT_EQ(img.PixelAt(0, 0), (RgbQuad{0x44, 0x55, 0x66, 255}));
    EXPECT_EQ(img.PixelAt(1, 0), (RgbQuad{0, 0, 0, 255}));
}

} // namespace
