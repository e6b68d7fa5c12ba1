// Detecting the encoding of books without a mark, on real text of each language, and writing every
// book back byte for byte in the encoding found.
#include "document/bookencoding.h"
#include "document/codepage.h"
#include "document/encodingdetect.h"
#include "document/textbuffer.h"
#include "settings/messagesink.h"
#include "support/files.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

const QString kSimplified = QString::fromUtf16(
    u"第一章 山城的早晨\n"
    u"天色将晚的时候，他才从山上走下来。路边的小店已经点起了灯，老板娘站在门口，看着远处的河水，好像在等什么"
    u"人。他走进店里，要了一碗面，坐在靠窗的地方慢慢地吃。窗外的风很大，吹得树叶沙沙作响。他想起小时候，母亲"
    u"也是这样站在门口等他回家。那时候家里很穷，可是每到过年，母亲总会做一桌好菜，一家人围着火炉说说笑笑，一"
    u"直到深夜。\n"
    u"后来他离开了家乡，到很远的城市去读书，又在那里工作了十几年。城市里的生活很忙，他很少有时间回来看看。今"
    u"年春天，母亲病了，他才请了长假，回到这个小山城。店里的人不多，只有两个年轻人在角落里低声说话。老板娘给"
    u"他端来一杯热茶，问他是不是从外地来的。他点点头，说自己小时候就住在河对面的那条街上。老板娘笑了，说那条"
    u"街现在已经没有人住了，房子都老了，年轻人都到城里去了。\n");
const QString kRare =
    QString::fromUtf16(u"他的名字里有一个𠮷字，族谱上还写着𪚥和𠀀这样的字，店里的人都不认得。");
const QString kTraditional = QString::fromUtf16(
    u"第一章 山城的早晨\n"
    u"天色將晚的時候，他才從山上走下來。路邊的小店已經點起了燈，老闆娘站在門口，看著遠處的河水，好像在等什麼"
    u"人。他走進店裡，要了一碗麵，坐在靠窗的地方慢慢地吃。窗外的風很大，吹得樹葉沙沙作響。他想起小時候，母親"
    u"也是這樣站在門口等他回家。那時候家裡很窮，可是每到過年，母親總會做一桌好菜，一家人圍著火爐說說笑笑，一"
    u"直到深夜。\n"
    u"後來他離開了家鄉，到很遠的城市去讀書，又在那裡工作了十幾年。城市裡的生活很忙，他很少有時間回來看看。今"
    u"年春天，母親病了，他才請了長假，回到這個小山城。店裡的人不多，只有兩個年輕人在角落裡低聲說話。老闆娘給"
    u"他端來一杯熱茶，問他是不是從外地來的。他點點頭，說自己小時候就住在河對面的那條街上。老闆娘笑了，說那條"
    u"街現在已經沒有人住了，房子都老了，年輕人都到城裡去了。\n");
const QString kJapanese = QString::fromUtf16(
    u"第一章　山の町の朝\n"
    u"日が暮れるころ、彼はようやく山から下りてきた。道ばたの小さな店にはもう明かりがともり、おかみさんが戸口"
    u"に立って、遠くの川をながめていた。だれかを待っているようだった。彼は店に入り、そばを一杯たのんで、窓ぎ"
    u"わの席でゆっくりと食べた。窓の外は風が強く、木の葉がさらさらと鳴っていた。子どものころ、母もこうして戸"
    u"口に立ち、彼の帰りを待っていたことを思い出した。\n"
    u"あのころの家はとても貧しかったが、正月になると、母はいつもごちそうを作ってくれて、家族みんなでいろりを"
    u"囲み、夜おそくまで笑いながら話をしたものだ。その後、彼はふるさとを離れて遠い町の学校に通い、そこで十年"
    u"あまり働いた。町の暮らしはいそがしく、帰ってくる時間はほとんどなかった。今年の春、母が病気になったので"
    u"、彼は長い休みをもらって、この小さな山の町にもどってきたのである。テレビのニュースでは、明日は雨になる"
    u"とアナウンサーが言っていた。\n");
const QString kKorean = QString::fromUtf16(
    u"제1장 산골 마을의 아침\n"
    u"해가 질 무렵에야 그는 산에서 내려왔다. 길가의 작은 가게에는 벌써 불이 켜져 있었고, 주인 아주머니가 문 "
    u"앞에 서서 멀리 강물을 바라보고 있었다. 누군가를 기다리는 것 같았다. 그는 가게에 들어가 국수 한 그릇을 "
    u"시키고 창가에 앉아 천천히 먹었다. 창밖에는 바람이 세게 불어 나뭇잎이 바스락거렸다. 어렸을 때 어머니도 "
    u"이렇게 문 앞에 서서 그가 집에 돌아오기를 기다리던 일이 생각났다.\n"
    u"그때 집은 무척 가난했지만, 설날이 되면 어머니는 언제나 맛있는 음식을 차려 주셨고, 온 가족이 화롯가에 "
    u"둘러앉아 밤늦게까지 웃으며 이야기를 나누었다. 그 뒤 그는 고향을 떠나 먼 도시에서 학교를 다녔고, "
    u"그곳에서 십 년 넘게 일했다. 도시의 생활은 바빠서 고향에 올 시간이 거의 없었다. 올봄에 어머니가 병이 "
    u"나셔서, 그는 긴 휴가를 얻어 이 작은 산골 마을로 돌아온 것이다.\n");

QByteArray Encode(const QString& text, const QString& how)
{
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    if (how.startsWith(u"UTF-16")) {
        QByteArray out;
        for (const QChar c : crlf) {
            const char lo = static_cast<char>(c.unicode() & 0xFF), hi = static_cast<char>(c.unicode() >> 8);
            if (how.endsWith(u"LE"))
                out.append(lo).append(hi);
            else
                out.append(hi).append(lo);
        }
        return out;
    }
    bool exact = false;
    const QByteArray bytes = CodePage::Utf16ToLegacy(how, reinterpret_cast<const char16_t*>(crlf.constData()),
                                                     static_cast<std::size_t>(crlf.size()), &exact);
    EXPECT_TRUE(exact) << how.toStdString();
    return bytes;
}

class DetectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(CodePage::SetAnsiCodePage(QStringLiteral("GB18030")));
    }
    void TearDown() override { CodePage::SetAnsiCodePage(QStringLiteral("CP936")); }

    QString Write(const QString& name, const QByteArray& bytes) { return WriteFileIn(m_dir, name, bytes); }
    static QByteArray Read(const QString& path) { return ReadFileBytes(path); }

    RecordingMessageSink m_messages;
    ScopedMessageSink m_scoped{&m_messages};
    QTemporaryDir m_dir;
};

QByteArray RandomBytes(std::size_t n)
{
    std::mt19937 random(7);
    QByteArray out;
    for (std::size_t i = 0; i < n; ++i)
        out.append(static_cast<char>(random() & 0xFF));
    return out;
}

// Characters drawn evenly from GB2312's first level (the common ones), in lines of 60; larger than
// the sample, so detection looks at pieces of it.
QByteArray RandomGbkBook()
{
    std::mt19937 random(11);
    QByteArray out;
    for (int i = 1; i <= 400000; ++i) {
        const int row = 0xB0 + static_cast<int>(random() % 40), cell = 0xA1 + static_cast<int>(random() % 94);
        if (row == 0xD7 && cell > 0xF9)
            continue;
        out.append(static_cast<char>(row)).append(static_cast<char>(cell));
        if (i % 60 == 0)
            out.append("\r\n");
    }
    return out;
}

TEST_F(DetectTest, EachLanguageIsFoundAndWrittenBackByteForByte)
{
    struct Case
    {
        const char* name;
        QByteArray bytes;
        const char* ansi; // the ANSI code page at the time
        SourceEncoding encoding;
        const char* found; // what the status bar shows
        bool text;         // the text decodes to the table's text (CR for CR LF)
        QString expected;
    };
    const QString gbkShort = kSimplified.mid(10, 20);
    const Case cases[] = {
        {"Big5", Encode(kTraditional, "CP950"), "GB18030", SourceEncoding::Ansi, "Big5", true, kTraditional},
        {"Shift_JIS", Encode(kJapanese, "CP932"), "GB18030", SourceEncoding::Ansi, "Shift_JIS", true,
         kJapanese},
        {"EUC-JP", Encode(kJapanese, "EUC-JP"), "GB18030", SourceEncoding::Ansi, "EUC-JP", true, kJapanese},
        {"EUC-KR", Encode(kKorean, "CP949"), "GB18030", SourceEncoding::Ansi, "EUC-KR", true, kKorean},
        {"GB18030 four-byte", Encode(kSimplified + kRare, "GB18030"), "GB18030", SourceEncoding::Ansi,
         "GB18030", true, kSimplified + kRare},
        {"GB18030 four-byte, CP936 default", Encode(kRare + kSimplified, "GB18030"), "CP936",
         SourceEncoding::Ansi, "GB18030", true, kRare + kSimplified},
        {"GBK, CP936 default", Encode(kSimplified, "CP936"), "CP936", SourceEncoding::Ansi, "CP936", true,
         kSimplified},
        {"GBK, Big5 default", Encode(kSimplified, "CP936"), "CP950", SourceEncoding::Ansi, "GB18030", true,
         kSimplified},
        {"UTF-16LE", Encode(kSimplified + kRare, "UTF-16LE"), "GB18030", SourceEncoding::Utf16Le, "UTF-16LE",
         true, kSimplified + kRare},
        {"UTF-16BE", Encode(kTraditional, "UTF-16BE"), "GB18030", SourceEncoding::Utf16Be, "UTF-16BE", true,
         kTraditional},
        {"UTF-16LE Japanese", Encode(kJapanese, "UTF-16LE"), "GB18030", SourceEncoding::Utf16Le, "UTF-16LE",
         true, kJapanese},
        {"UTF-16BE Korean", Encode(kKorean, "UTF-16BE"), "GB18030", SourceEncoding::Utf16Be, "UTF-16BE", true,
         kKorean},
        {"UTF-16LE ASCII", Encode(QStringLiteral("plain words\n").repeated(20), "UTF-16LE"), "GB18030",
         SourceEncoding::Utf16Le, "UTF-16LE", true, QStringLiteral("plain words\n").repeated(20)},
        {"GBK 8 bytes", Encode(QString::fromUtf16(u"天色将晚"), "CP936"), "GB18030", SourceEncoding::Ansi,
         "GB18030", true, QString::fromUtf16(u"天色将晚")},
        {"GBK 40 bytes", Encode(gbkShort, "CP936"), "GB18030", SourceEncoding::Ansi, "GB18030", true,
         gbkShort},
        {"GBK 40 bytes, Big5 default",
         Encode(gbkShort, "CP936"),
         "CP950",
         SourceEncoding::Ansi,
         "Big5",
         false,
         {}},
        {"GBK", Encode(kSimplified, "CP936"), "GB18030", SourceEncoding::Ansi, "GB18030", true, kSimplified},
        {"random bytes", RandomBytes(4096), "GB18030", SourceEncoding::Ansi, "GB18030", false, {}},
        {"GBK random common characters",
         RandomGbkBook(),
         "GB18030",
         SourceEncoding::Ansi,
         "GB18030",
         false,
         {}},
        {"GBK random common characters, CP936 default",
         RandomGbkBook(),
         "CP936",
         SourceEncoding::Ansi,
         "CP936",
         false,
         {}},
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(CodePage::SetAnsiCodePage(QString::fromLatin1(c.ansi)));
        const QString path = Write(QStringLiteral("book%1.txt").arg(i), c.bytes);
        const QString saved = m_dir.filePath(QStringLiteral("saved%1.txt").arg(i++));
        TextBuffer buffer;
        ASSERT_TRUE(buffer.Load(path));
        EXPECT_EQ(buffer.Encoding(), c.encoding);
        EXPECT_EQ(EncodingDisplayName(buffer), QString::fromLatin1(c.found));
        EXPECT_FALSE(buffer.HasMark() && c.encoding != SourceEncoding::Ansi);
        if (c.text) {
            QString want = c.expected;
            want.replace(u'\n', u'\r');
            EXPECT_EQ(QString::fromUtf16(buffer.Text(), buffer.Length()), want);
        }
        // Only bytes that decode without loss can come back the same.
        if (c.text) {
            ASSERT_TRUE(buffer.Save(saved));
            EXPECT_TRUE(Read(saved) == c.bytes);
        }
    }
}

// A choice made for a book reads it that way, is remembered for its path and keeps its mark.
TEST_F(DetectTest, ChosenEncodingIsUsedRememberedAndKeptOnSave)
{
    const QByteArray big5 = Encode(kTraditional, "CP950");
    const QString path = Write(QStringLiteral("chosen.txt"), big5);
    auto asGb = CreateTextBuffer(path, *ParseEncodingChoice(QStringLiteral("gb18030")));
    ASSERT_TRUE(asGb);
    EXPECT_EQ(EncodingDisplayName(*asGb), QStringLiteral("GB18030"));

    CurrentBookEncodingMemory().SetChosenEncoding(path, QStringLiteral("UTF-16LE"));
    auto remembered = CreateTextBuffer(path);
    ASSERT_TRUE(remembered);
    EXPECT_EQ(remembered->Encoding(), SourceEncoding::Utf16Le);
    EXPECT_FALSE(remembered->HasMark());
    CurrentBookEncodingMemory().SetChosenEncoding(path, QStringLiteral("auto"));
    EXPECT_EQ(RememberedEncodingChoice(path).kind, EncodingChoice::Kind::Auto);
    EXPECT_EQ(EncodingDisplayName(*CreateTextBuffer(path)), QStringLiteral("Big5"));

    // A marked UTF-16 book read as chosen keeps its mark out of the text and in the file.
    const QByteArray marked = QByteArray("\xFF\xFE") + Encode(kKorean, "UTF-16LE");
    const QString markedPath = Write(QStringLiteral("marked.txt"), marked);
    auto le = CreateTextBuffer(markedPath, *ParseEncodingChoice(QStringLiteral("UTF-16le")));
    ASSERT_TRUE(le);
    EXPECT_TRUE(le->HasMark());
    EXPECT_EQ(le->Text()[0], kKorean[0].unicode());
    ASSERT_TRUE(le->Save(markedPath));
    EXPECT_TRUE(Read(markedPath) == marked);

    EXPECT_FALSE(ParseEncodingChoice(QStringLiteral("klingon")));
    EXPECT_EQ(EncodingChoiceName(*ParseEncodingChoice(QStringLiteral("shift_jis"))),
              QStringLiteral("Shift_JIS"));
}

} // namespace
