// leafturner-cli render BOOK --window WxH --page N --out FILE.png [--convert CONFIG] [--scale S]: the
// reading view's picture of page N (counted from 1) for a client area of that size, from the
// profile's settings, optionally shown in the other script or at a screen's higher density.
#include "cli/clicommand.h"
#include "cli/convertoption.h"

#include "convert/scriptconverter.h"
#include "document/textbuffer.h"
#include "layout/bookbackground.h"
#include "layout/layoutengine.h"
#include "layout/pagegeometry.h"
#include "layout/pagerenderer.h"
#include "layout/readingcomposer.h"
#include "layout/textmetrics.h"
#include "settings/messagesink.h"

#include <QImage>
#include <memory>

namespace {

const QString kUsage = QStringLiteral("usage: render BOOK --window WxH --page N --out FILE.png "
                                      "[--convert s2t|s2tw|s2hk|t2s] [--highlight OFFSET:LENGTH] "
                                      "[--scale S] (pages count from 1)");

// "OFFSET:LENGTH", both whole numbers, neither negative.
bool ParseHighlight(const QString& text, std::int32_t* offset, std::int32_t* length)
{
    const QStringList parts = text.split(u':');
    int o = 0;
    int l = 0;
    if (parts.size() != 2 || !ParseInteger(parts[0], &o) || !ParseInteger(parts[1], &l) || o < 0 || l < 0)
        return false;
    *offset = o;
    *length = l;
    return true;
}

} // namespace

int ParseDrawingWindow(const QString& text, QSize* window)
{
    if (!ParseWindowSize(text, window))
        return CliUsageError(QStringLiteral("--window takes WxH, e.g. 800x600: ") + text);
    if (!IsComposableSize(*window))
        return CliUsageError(QStringLiteral("--window is too large to draw: ") + text);
    return 0;
}

int TakeScaleOption(QStringList& args, QSize window, double* scale)
{
    *scale = 1;
    QString text;
    QString error;
    if (!TakeOption(args, QStringLiteral("--scale"), &text, &error))
        return error.isEmpty() ? 0 : CliUsageError(error);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 1 && value <= 4))
        return CliUsageError(QStringLiteral("--scale takes a number from 1 to 4, e.g. 2: ") + text);
    if (!IsComposableSize(DevicePixelSize(window, value)))
        return CliUsageError(QStringLiteral("--window is too large to draw at this --scale: ") + text);
    *scale = value;
    return 0;
}

int OpenBookForDrawing(const QString& path, std::unique_ptr<TextBuffer>& buffer)
{
    InstallLayoutEngine();
    RebuildTextMetrics();
    LoadBookPictures();
    return OpenBook(path, buffer);
}

int CmdRender(QStringList args)
{
    QString windowText;
    QString pageText;
    QString outPath;
    QString highlightText;
    QString error;
    if (!TakeOption(args, QStringLiteral("--window"), &windowText, &error) ||
        !TakeOption(args, QStringLiteral("--page"), &pageText, &error) ||
        !TakeOption(args, QStringLiteral("--out"), &outPath, &error))
        return CliUsageError(error.isEmpty() ? kUsage : error);
    ConvertConfig config = ConvertConfig::None;
    if (const int status = TakeConvertOption(args, &config); status != 0)
        return status;
    std::int32_t highlightOffset = 0;
    std::int32_t highlightLength = 0;
    if (TakeOption(args, QStringLiteral("--highlight"), &highlightText, &error)) {
        if (!ParseHighlight(highlightText, &highlightOffset, &highlightLength))
            return CliUsageError(QStringLiteral("--highlight takes OFFSET:LENGTH, e.g. 120:4: ") +
                                 highlightText);
    } else if (!error.isEmpty()) {
        return CliUsageError(error);
    }
    QSize window;
    if (const int status = ParseDrawingWindow(windowText, &window))
        return status;
    double scale = 1;
    if (const int status = TakeScaleOption(args, window, &scale))
        return status;
    int pageNumber = 0;
    if (!ParseInteger(pageText, &pageNumber) || pageNumber < 1)
        return CliUsageError(QStringLiteral("--page takes a page number from 1: ") + pageText);
    if (outPath.isEmpty() || args.size() != 1 || args.front().startsWith(QLatin1String("--")))
        return CliUsageError(kUsage);

    if (config != ConvertConfig::None) {
        std::string loadError;
        std::shared_ptr<ScriptConverter> converter = ScriptConverter::Get(config, &loadError);
        if (!converter)
            return CliFail(QString::fromStdString(loadError));
        ThePageRenderer().SetShownText(
            [converter](std::u16string_view text, std::int32_t begin, std::int32_t end) {
                return converter->ConvertForDisplay(text, static_cast<std::size_t>(begin),
                                                    static_cast<std::size_t>(end));
            });
    }
    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBookForDrawing(args.front(), buffer); status != 0)
        return status;

    // As the reading view does: lay out for the client size, then show the clamped page.
    const ReadingLayout layout = LayOutReadingView(window, buffer.get());
    const int page = ClampPage(pageNumber - 1, layout.pageCount, layout.spread);
    ThePageRenderer().SetHighlight(highlightOffset, highlightLength);
    const QImage picture =
        ComposeReadingPicture(window, buffer.get(), layout.pageSize, layout.spread, page, scale);
    if (picture.isNull())
        return CliFail(MsgOutOfMemory());
    if (!picture.save(outPath, "PNG"))
        return CliFail(QStringLiteral("文件保存失败。"));
    return 0;
}
