// leafturner-cli reformat: the simple or complex reformat of a book, saved as the reader saves it.
#include "cli/clicommand.h"

#include "document/textbuffer.h"
#include "reformat/reformatoptions.h"
#include "reformat/reformatoutput.h"
#include "settings/filewrite.h"
#include "settings/messagesink.h"

#include <memory>

namespace {

// "--name 0|1"; absent leaves `flag` as it is. False (with `error`) for any other value.
bool TakeSwitch(QStringList& args, const QString& name, bool* flag, QString* error)
{
    QString value;
    error->clear();
    if (!TakeOption(args, name, &value, error))
        return error->isEmpty();
    if (value != QLatin1String("0") && value != QLatin1String("1")) {
        *error = name + QStringLiteral(" takes 0 or 1");
        return false;
    }
    *flag = value == QLatin1String("1");
    return true;
}

} // namespace

int CmdReformat(QStringList args)
{
    const bool simple = TakeFlag(args, QStringLiteral("--simple"));
    const bool complex = TakeFlag(args, QStringLiteral("--complex"));
    QString error;
    QString outPath;
    if (!TakeOption(args, QStringLiteral("--out"), &outPath, &error))
        return CliUsageError(error.isEmpty() ? QStringLiteral("reformat needs --out FILE") : error);
    if (simple == complex)
        return CliUsageError(QStringLiteral("reformat needs one of --simple and --complex"));

    SimpleOptions simpleOptions;
    const QStringList simpleFlags = {QStringLiteral("--no-blank-lines"), QStringLiteral("--trim"),
                                     QStringLiteral("--indent")};
    bool* targets[] = {&simpleOptions.deleteBlankLines, &simpleOptions.trimBlanks, &simpleOptions.indent};
    for (int i = 0; i < simpleFlags.size(); ++i) {
        const qsizetype before = args.size();
        if (!TakeSwitch(args, simpleFlags[i], targets[i], &error))
            return CliUsageError(error);
        if (complex && args.size() != before)
            return CliUsageError(simpleFlags[i] + QStringLiteral(" belongs to --simple"));
    }
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--")))
        return CliUsageError(QStringLiteral("usage: reformat BOOK (--simple [--no-blank-lines 0|1] "
                                            "[--trim 0|1] [--indent 0|1] | --complex) --out FILE"));

    std::unique_ptr<TextBuffer> book;
    if (const int status = OpenBook(args[0], book))
        return status;
    // An empty book was already reported as the reader reports it ("空文件。").
    if (book->Length() == 0)
        return 1;

    const char16_t* text = nullptr;
    std::int32_t length = 0;
    book->GetText(&text, &length);
    const ReformatImage image = complex
                                    ? ReformatToUtf16Le(text, length, ReadComplexOptions(), LineEnds::CrLf)
                                    : ReformatToUtf16Le(text, length, simpleOptions, LineEnds::CrLf);
    // Only blanks and line ends: nothing to rearrange, and FILE is not written.
    if (image.status == ReformatStatus::NothingToDo)
        return CliFail(QStringLiteral("空文件。"));
    if (image.status == ReformatStatus::OutOfMemory)
        return CliFail(MsgOutOfMemory());
    if (!WriteFileAtomically(outPath, image.bytes))
        return CliFail(QStringLiteral("文件保存失败。"));
    return 0;
}
