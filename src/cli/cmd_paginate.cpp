// leafturner-cli paginate BOOK --window WxH [--offsets]: the reading view's page size, spread flag
// and page starts for a window of that client size, from the profile's settings.
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "layout/layoutengine.h"
#include "layout/pagegeometry.h"
#include "layout/textmetrics.h"

#include <memory>

int CmdPaginate(QStringList args)
{
    const bool offsets = TakeFlag(args, QStringLiteral("--offsets"));
    QString windowText;
    QString error;
    if (!TakeOption(args, QStringLiteral("--window"), &windowText, &error))
        return CliUsageError(error.isEmpty() ? QStringLiteral("paginate needs --window WxH") : error);
    QSize window;
    if (!ParseWindowSize(windowText, &window))
        return CliUsageError(QStringLiteral("--window takes WxH, e.g. 800x600: ") + windowText);
    if (args.size() != 1 || args.front().startsWith(QLatin1String("--")))
        return CliUsageError(QStringLiteral("usage: paginate BOOK --window WxH [--offsets]"));

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
    if (offsets) {
        const auto& starts = buffer->Pages().Starts();
        std::string lines;
        lines.reserve(starts.size() * 8);
        for (const std::int32_t start : starts) {
            lines += std::to_string(start);
            lines += '\n';
        }
        CliWriteBytes(QByteArray::fromStdString(lines));
    }
    return 0;
}
