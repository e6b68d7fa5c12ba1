// Building chapter patterns from conditions and settings.
#include "chapters/chapterpattern.h"

#include "chapters/chaptercondition.h"
#include "chapters/regexmatcher.h"

namespace {
const QString kEngDigits = QStringLiteral("0123456789");
const QString kChnDigits = QStringLiteral("０１２３４５６７８９");
const QString kChnLower = QStringLiteral("一二三四五六七八九十百千");
const QString kChnUpper = QStringLiteral("壹贰叁肆伍陆柒捌玖拾佰仟");
const QString kChnZeroTwo = QStringLiteral("零两〇○");
constexpr char16_t kSeparators[] = u"\r \t\u3000】）＞>)]";

QString NumeralText(const ChapterSearchOptions& o, bool escaped)
{
    QString s;
    if (o.engDigit)
        s += kEngDigits + (escaped ? QStringLiteral("\\-") : QStringLiteral("-"));
    if (o.chnDigit)
        s += kChnDigits;
    if (o.chnLower)
        s += kChnLower;
    if (o.chnUpper)
        s += kChnUpper;
    if (o.chnLower || o.chnUpper)
        s += kChnZeroTwo;
    return s;
}
} // namespace

QString BuildNumeralClass(const ChapterSearchOptions& options)
{
    return NumeralText(options, true);
}

QString NumeralCharacters(const ChapterSearchOptions& options)
{
    return NumeralText(options, false);
}

QString BuildLineHeadPrefix(int lineHead)
{
    if (lineHead != 0)
        return QStringLiteral("^[ \\t\u3000]*?[^\\r]{0,%1}").arg(lineHead);
    return QStringLiteral("^[ \\t\u3000]*?");
}

QStringView SeparatorCharacters()
{
    return QStringView(kSeparators, static_cast<qsizetype>(std::size(kSeparators) - 1));
}

QString BuildChapterPattern(QStringView keyword, const QString& numeralClass, const QString& lineHeadPrefix,
                            bool separatorSuffix)
{
    QString body;
    const qsizetype p = keyword.indexOf(QChar(kNumeralPlaceholder));
    if (p >= 0) {
        body += keyword.left(p);
        body += u'[' + numeralClass + QStringLiteral("]+?");
        body += keyword.mid(p + 1);
    } else {
        body += keyword;
    }
    // The group keeps a "|" in the keyword from splitting off an alternative without the line
    // anchor, which would turn any blank in the middle of a line into a chapter. A keyword that is
    // no pattern on its own (such as "x)|(y") could close the group early and do just that.
    if (!RegexMatcher::IsWholePattern(body))
        return {};
    QString pattern = lineHeadPrefix + QStringLiteral("(?:") + body + u')';
    if (separatorSuffix)
        pattern += QStringLiteral("[\\r \\t\u3000】）＞>\\)\\]]+?");
    return pattern;
}
