// The book generator: deterministic Chinese text in the shape of a serial novel.
#include "bookgen/bookgen.h"

#include "document/codepage.h"

#include <QStringList>
#include <array>
#include <iconv.h>

namespace {

// splitmix64: the same numbers on every platform and library, unlike <random>'s distributions.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t m_state;
};

// Common words, all within GB2312, so every book encodes in GBK exactly.
const QStringList& Words()
{
    static const QStringList words =
        QStringLiteral("我们 他们 自己 什么 时候 知道 没有 一个 已经 这样 那里 起来 出去 回来 "
                       "山上 城中 江湖 天下 师父 弟子 剑法 内力 掌门 客栈 少年 姑娘 老人 掌柜 "
                       "说道 笑道 心中 眼前 身后 门外 窗前 夜里 清晨 黄昏 月光 风雨 大雪 春天 "
                       "慢慢 忽然 终于 仍然 不禁 只是 于是 然而 因为 所以 虽然 但是 如果 便是 "
                       "一把 长剑 一封 书信 一壶 好酒 茶水 马车 小路 河边 桥上 树下 院子 屋里 "
                       "看见 听见 想到 记得 明白 相信 担心 害怕 高兴 生气 点头 摇头 叹气 沉默 "
                       "远处 近处 东边 西边 南方 北方 京城 小镇 村子 寺庙 书院 酒楼 码头 渡口 "
                       "朋友 敌人 兄弟 父亲 母亲 先生 大人 公子 小姐 丫头 官兵 商人 书生 和尚")
            .split(u' ', Qt::SkipEmptyParts);
    return words;
}

const QStringList& Names()
{
    static const QStringList names =
        QStringLiteral("林风 苏雨 陈青 李白石 王小川 赵云舒 周远 吴明月 郑天行 孙若水")
            .split(u' ', Qt::SkipEmptyParts);
    return names;
}

const QStringList& Titles()
{
    static const QStringList titles =
        QStringLiteral("风起 夜雨 归途 初见 离别 江上 山门 旧事 剑影 长街 灯火 远行 故人 明月 雪落 春归")
            .split(u' ', Qt::SkipEmptyParts);
    return titles;
}

// 1..9999 in Chinese numerals: 12 -> 十二, 105 -> 一百零五.
QString ChineseNumber(int n)
{
    static const char16_t digits[] = u"零一二三四五六七八九";
    static const char16_t units[] = u" 十百千";
    QString out;
    const QString s = QString::number(n);
    bool zero = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const int d = s[i].digitValue();
        const auto place = static_cast<int>(s.size() - 1 - i);
        if (d == 0) {
            zero = true;
            continue;
        }
        if (zero && !out.isEmpty())
            out += QChar(digits[0]);
        zero = false;
        if (!(d == 1 && place == 1 && out.isEmpty()))
            out += QChar(digits[d]);
        if (place > 0)
            out += QChar(units[place]);
    }
    return out;
}

QString Heading(int chapter, Random& random)
{
    const QString title = Titles()[random.Below(static_cast<int>(Titles().size()))];
    if (random.Below(2) == 0)
        return u"第" + ChineseNumber(chapter) + u"章" + QChar(0x3000) + title;
    return u"第" + QString::number(chapter) + u"章" + (random.Below(2) ? u" " + title : QString());
}

QString Sentence(Random& random)
{
    QString s;
    const int words = 3 + random.Below(8);
    for (int i = 0; i < words; ++i) {
        s += Words()[random.Below(static_cast<int>(Words().size()))];
        if (i + 1 < words && random.Below(5) == 0)
            s += u"，";
    }
    static const char16_t ends[] = u"。。。。！？；";
    return s + QChar(ends[random.Below(7)]);
}

QString Paragraph(Random& random)
{
    QString p = QString(2, QChar(0x3000));
    if (random.Below(4) == 0) {
        p += Names()[random.Below(static_cast<int>(Names().size()))] + u"说道：“" + Sentence(random) +
             Sentence(random) + u"”";
        return p;
    }
    const int sentences = 2 + random.Below(6);
    for (int i = 0; i < sentences; ++i)
        p += Sentence(random);
    return p;
}

// Breaks a paragraph into lines of at most `wrap` characters.
QString Wrapped(const QString& paragraph, int wrap)
{
    if (wrap <= 0 || paragraph.size() <= wrap)
        return paragraph;
    QString out;
    for (qsizetype at = 0; at < paragraph.size(); at += wrap) {
        if (at > 0)
            out += u'\n';
        out += paragraph.mid(at, wrap);
    }
    return out;
}

QByteArray Iconv(const QString& text, const char* code)
{
    QByteArray out;
    iconv_t cd = iconv_open(code, "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;
    out.resize(text.size() * 4 + 16);
    char* ip = reinterpret_cast<char*>(const_cast<QChar*>(text.constData()));
    std::size_t il = static_cast<std::size_t>(text.size()) * 2;
    char* op = out.data();
    std::size_t ol = static_cast<std::size_t>(out.size());
    while (il > 0 && iconv(cd, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1)) {
        // Our words are all in the code page; anything else is skipped.
        ip += 2;
        il -= 2;
    }
    iconv_close(cd);
    out.truncate(op - out.data());
    return out;
}

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray out;
    out.reserve(text.size() * 2 + 2);
    auto put = [&](char16_t u) {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    };
    put(0xFEFF);
    for (QChar c : text)
        put(c.unicode());
    return out;
}

} // namespace

bool ParseBookEncoding(const QString& name, BookEncoding* encoding)
{
    static const std::array<std::pair<const char*, BookEncoding>, 6> names{{
        {"utf8", BookEncoding::Utf8},
        {"utf8bom", BookEncoding::Utf8Bom},
        {"gbk", BookEncoding::Gbk},
        {"ansi", BookEncoding::Ansi},
        {"utf16le", BookEncoding::Utf16Le},
        {"utf16be", BookEncoding::Utf16Be},
    }};
    for (const auto& [n, e] : names) {
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) {
            *encoding = e;
            return true;
        }
    }
    return false;
}

QString GenerateBookText(const BookOptions& options)
{
    const auto total = static_cast<qsizetype>(std::max<std::int64_t>(options.characters, 0));
    QString text;
    text.reserve(total + 1024);
    Random random(options.seed);
    int chapter = 1;
    while (text.size() < total) {
        text += Heading(chapter++, random);
        text += u'\n';
        const int paragraphs = 8 + random.Below(20);
        for (int i = 0; i < paragraphs && text.size() < total; ++i) {
            text += Wrapped(Paragraph(random), options.wrap);
            text += u'\n';
        }
        text += u'\n';
    }
    text.truncate(total);
    return text;
}

QByteArray EncodeBookText(const QString& text, const BookOptions& options)
{
    QString t = text;
    if (options.crlf)
        t.replace(u'\n', QStringLiteral("\r\n"));
    switch (options.encoding) {
    case BookEncoding::Utf8:
        return t.toUtf8();
    case BookEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + t.toUtf8();
    case BookEncoding::Gbk:
        return Iconv(t, "CP936");
    case BookEncoding::Ansi:
        return CodePage::QStringToAnsi(t);
    case BookEncoding::Utf16Le:
        return Utf16(t, false);
    case BookEncoding::Utf16Be:
        return Utf16(t, true);
    }
    return {};
}

QByteArray GenerateBook(const BookOptions& options)
{
    return EncodeBookText(GenerateBookText(options), options);
}
