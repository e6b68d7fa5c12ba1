// leafturner-cli paginate BOOK --window WxH [--offsets | --lines]: the reading view's page size,
// spread flag and page (or line) starts for a window of that client size, from the profile's settings.
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "layout/layoutengine.h"
#include "layout/linecutter.h"
#include "layout/pagegeometry.h"
#include "layout/textmetrics.h"
#include "settings/parablock.h"

#include <memory>

int CmdPaginate(QStringList args)
{
    const bool offsets = TakeFlag(args, QStringLiteral("--offsets"));
    const bool lineStarts = TakeFlag(args, QStringLiteral("--lines"));
    QString windowText;
    QString error;
    if (!TakeOption(args, QStringLiteral("--window"), &windowText, &error))
        return CliUsageError(error.isEmpty() ? QStringLiteral("paginate needs --window WxH") : error);
    QSize window;
    if (!ParseWindowSize(windowText, &window))
        return CliUsageError(QStringLiteral("--window takes WxH, e.g. 800x600: ") + windowText);
    if (args.size() != 1 || args.front().startsWith(QLatin1String("--")) || (offsets && lineStarts))
        return CliUsageError(QStringLiteral("usage: paginate BOOK --window WxH [--offsets | --lines]"));

    InstallLayoutEngine();
    RebuildTextMetrics();
    std::unique_ptr<TextBuffer> buffer;
    if (const int status = OpenBook(args.front(), buffer); status != 0)
        return status;

    QSize pageSize;
    bool spread = false;
    ComputePageSize(BookRect(QRect(QPoint(0, 0), window), false), &pageSize, &spread);
    const int pages = buffer->Paginate(pageSize);

    QString out;
    out += QStringLiteral("page-size: %1x%2\n").arg(pageSize.width()).arg(pageSize.height());
    out += QStringLiteral("spread: %1\n").arg(spread ? 1 : 0);
    out += QStringLiteral("pages: %1\n").arg(pages);
    CliWrite(out);
    std::string lines;
    const auto add = [&lines](std::int32_t start) {
        lines += std::to_string(start);
        lines += '\n';
    };
    if (offsets) {
        const auto& starts = buffer->Pages().Starts();
        lines.reserve(starts.size() * 8);
        for (const std::int32_t start : starts)
            add(start);
    } else if (lineStarts && pages > 0) {
        const TextMetrics& metrics = TheTextMetrics();
        const PageGrid grid = PageGridFor(pageSize, metrics.LinePitch(), ParaGetInt(PARA_VERTICAL_LINE) != 0);
        ForEachLineStart(buffer->Text(), buffer->Length(), grid.lineLength, metrics.Advances(),
                         ParaGetInt(PARA_LINE_BREAK_RULES) != 0, add);
    }
    CliWriteBytes(QByteArray::fromStdString(lines));
    return 0;
}
