// leafturner-cli turn BOOK --window WxH --page N --to M --mode K --out DIR [--scale S]: every frame of
// the page turn from page N to page M (counted from 1) as DIR/frame-0001.png, frame-0002.png...
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "layout/bookbackground.h"
#include "layout/layoutengine.h"
#include "layout/pageturnanimation.h"
#include "layout/readingcomposer.h"
#include "layout/textmetrics.h"
#include "settings/messagesink.h"
#include "settings/parablock.h"

#include <QDir>
#include <QImage>
#include <memory>

namespace {

const QString kUsage =
    QStringLiteral("usage: turn BOOK --window WxH --page N --to M --mode K --out DIR [--scale S]");

} // namespace

int CmdTurn(QStringList args)
{
    QString windowText;
    QString fromText;
    QString toText;
    QString modeText;
    QString outDir;
    QString error;
    if (!TakeOption(args, QStringLiteral("--window"), &windowText, &error) ||
        !TakeOption(args, QStringLiteral("--page"), &fromText, &error) ||
        !TakeOption(args, QStringLiteral("--to"), &toText, &error) ||
        !TakeOption(args, QStringLiteral("--mode"), &modeText, &error) ||
        !TakeOption(args, QStringLiteral("--out"), &outDir, &error))
        return CliUsageError(error.isEmpty() ? kUsage : error);
    QSize window;
    if (const int status = ParseDrawingWindow(windowText, &window))
        return status;
    double scale = 1;
    if (const int status = TakeScaleOption(args, window, &scale))
        return status;
    int fromNumber = 0;
    if (!ParseInteger(fromText, &fromNumber) || fromNumber < 1)
        return CliUsageError(QStringLiteral("--page takes a page number from 1: ") + fromText);
    // Any target: one before the first or past the last page clamps, as the reader's turns do.
    int toNumber = 0;
    if (!ParseInteger(toText, &toNumber))
        return CliUsageError(QStringLiteral("--to takes a page number: ") + toText);
    int mode = 0;
    if (!ParseInteger(modeText, &mode))
        return CliUsageError(QStringLiteral("--mode takes a number, 1 to 10 for an effect: ") + modeText);
    if (outDir.isEmpty() || args.size() != 1 || args.front().startsWith(QLatin1String("--")))
        return CliUsageError(kUsage);

    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBookForDrawing(args.front(), buffer); status != 0)
        return status;
    if (!QDir().mkpath(outDir))
        return CliFail(QStringLiteral("文件保存失败。"));

    // For this run only; the profile keeps its own choice.
    theParaBlock.SetInt(PARA_TURN_PAGE, mode, false);
    const ReadingLayout layout = LayOutReadingView(window, buffer.get());
    const PageTurnAnimation turn = PageTurnAnimation::Prepare(buffer.get(), fromNumber - 1, toNumber - 1,
                                                              layout.spread, QRect(QPoint(0, 0), window));
    int written = 0;
    if (turn.Plays()) {
        const QImage before =
            ComposeReadingPicture(window, buffer.get(), layout.pageSize, layout.spread, turn.FromPage(), scale);
        const QImage after =
            ComposeReadingPicture(window, buffer.get(), layout.pageSize, layout.spread, turn.ToPage(), scale);
        if (before.isNull() || after.isNull())
            return CliFail(MsgOutOfMemory());
        const QDir dir(outDir);
        bool saved = true;
        const int frames = turn.Run(before, after, [&](const QImage& frame, int) {
            const QString name = QStringLiteral("frame-%1.png").arg(written + 1, 4, 10, QLatin1Char('0'));
            saved = frame.save(dir.filePath(name), "PNG");
            written += saved ? 1 : 0;
            return saved;
        });
        if (!saved || frames != written)
            return CliFail(QStringLiteral("文件保存失败。"));
    }
    CliPrintLine(QStringLiteral("frames: %1").arg(written));
    return 0;
}
