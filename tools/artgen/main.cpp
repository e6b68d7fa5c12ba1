// lt_artgen: paints every built-in picture and writes them as BMP files for the build to embed.
#include "icons.h"
#include "images/bmpwriter.h"
#include "images/builtinpicturetable.h"
#include "materials.h"
#include "quantise.h"
#include "sheet.h"
#include "splash.h"
#include "toolbarbitmap.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

namespace {

QImage Reduce(const QImage& img, int bits)
{
    return bits <= 8 ? QuantiseImage(img, 1 << bits) : img;
}

// A few pictures go through RLE so the embedded set exercises the decoder's compressed paths too.
BmpCompression CompressionFor(int resource, int bits)
{
    if (bits == 8 && (resource == 132 || resource == 146))
        return BmpCompression::Rle8;
    if (bits == 4 && resource == 138)
        return BmpCompression::Rle4;
    return BmpCompression::None;
}

bool Write(const QString& dir, int resource, const QImage& img, BmpWriteOptions options)
{
    const QByteArray bytes = WriteBmp(img, options);
    QFile file(dir + QLatin1Char('/') + QString::number(resource) + QStringLiteral(".bmp"));
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "lt_artgen: cannot write picture %d\n", resource);
        return false;
    }
    return true;
}

QString Label(int number, const BuiltinPicture& e)
{
    return QStringLiteral("%1 · %2 · %3×%4 · %5 bit")
        .arg(number, 2, 10, QLatin1Char('0'))
        .arg(e.resource)
        .arg(e.width)
        .arg(e.height)
        .arg(e.bits);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString out;
    QString sheetPath;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--out") && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == QStringLiteral("--sheet") && i + 1 < args.size())
            sheetPath = args[++i];
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: lt_artgen --out DIR [--sheet FILE.png]\n");
        return 2;
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "lt_artgen: cannot create the output folder\n");
        return 1;
    }

    bool ok = true;
    QList<SheetEntry> desks;
    QList<SheetEntry> pages;
    auto store = [&](const BuiltinPicture& e, const QImage& painted, QList<SheetEntry>& list, int number) {
        const QImage img = Reduce(painted, e.bits);
        BmpWriteOptions o;
        o.bits = e.bits;
        o.compression = CompressionFor(e.resource, e.bits);
        ok &= Write(out, e.resource, img, o);
        list.push_back({Label(number, e), img});
    };
    for (std::size_t i = 0; i < kDeskCoverPictureList.size(); ++i) {
        const BuiltinPicture& e = kDeskCoverPictureList[i];
        store(e, PaintDeskCover(static_cast<int>(i), e.width, e.height), desks, static_cast<int>(i) + 1);
    }
    for (std::size_t i = 0; i < kPagePictureList.size(); ++i) {
        const BuiltinPicture& e = kPagePictureList[i];
        store(e, PaintPage(static_cast<int>(i), e.width, e.height), pages, static_cast<int>(i) + 1);
    }

    const QImage splash = PaintSplash(kSplashPicture.width, kSplashPicture.height);
    ok &= Write(out, kSplashPicture.resource, splash, {});

    const QImage icons = PaintIconStrip();
    BmpWriteOptions strip;
    strip.bits = 32;
    ok &= Write(out, kIconStrip.resource, icons, strip);

    const QImage toolbar = PaintToolbarBitmap(icons);
    BmpWriteOptions tb;
    tb.bits = 4;
    ok &= Write(out, kToolbarBitmap.resource, toolbar, tb);

    if (!sheetPath.isEmpty()) {
        // 256 colours keep the sheet small enough to sit in the repository.
        const QImage sheet = QuantiseImage(PaintContactSheet(desks, pages, splash, icons, toolbar), 256);
        if (!sheet.save(sheetPath)) {
            std::fprintf(stderr, "lt_artgen: cannot write the contact sheet\n");
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
