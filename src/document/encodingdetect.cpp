// Encoding detection: strict decoding rules candidates out, the share of each language's commonest
// characters ranks those left, NUL bytes and their positions point to UTF-16.
#include "document/encodingdetect.h"

#include "document/codepage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

enum Language : std::uint8_t
{
    kSimplified = 1,
    kTraditional = 2,
    kKorean = 4,
    kKana = 8
};

// The commonest characters of running text in each script (kana are taken whole). The code
// pages' own common ranges cannot separate the readings: GB2312's first level and KS X 1001's
// hangul sit on the same bytes, and Big5 text is valid GBK, so frequency has to.
constexpr char16_t kSimplifiedCommon[] =
    u"的一是不了人我在有他这中大来上个们到说国和地也子时道出而要于就下得可你年生自会那后能对着事其里所"
    u"去行过家十用发天如然作方成者多日都三小军二无同么经法当起与好看学进种将还分此心前面又定见只主没公"
    u"从已知头长开手想样老实间意她些问正现力它因西东两把外很向身高原第被最女水本声相名给美但点明北等车"
    u"话门山眼走回气机吗";
constexpr char16_t kTraditionalCommon[] =
    u"的一是不了人我在有他這中大來上個們到說國和地也子時道出而要於就下得可你年生自會那後能對著事其裡所"
    u"去行過家十用發天如然作方成者多日都三小軍二無同麼經法當起與好看學進種將還分此心前面又定見只主沒公"
    u"從已知頭長開手想樣老實間意她些問正現力它因西東兩把外很向身高原第被最女水本聲相名給美但點明北等車"
    u"話門山眼走回氣機嗎";
constexpr char16_t kKoreanCommon[] =
    u"이다는의에가을고하지서한로도기사리어자수나일아으있들대시것제인정그해게전부만여국상우라면주보요적마"
    u"동내성원거문소학장경없실생할된데중때같말등년오비구공무과까니안세신않화모위했습회진물개유관와통계선"
    u"업감운발연저분드르람음집되었던알날미바못왜좀용명간를은";

const std::array<std::uint8_t, 65536>& LanguageTable()
{
    static const auto table = [] {
        std::array<std::uint8_t, 65536> t{};
        auto mark = [&](const char16_t* s, std::uint8_t bit) {
            for (; *s; ++s)
                t[*s] |= bit;
        };
        mark(kSimplifiedCommon, kSimplified);
        mark(kTraditionalCommon, kTraditional);
        mark(kKoreanCommon, kKorean);
        for (char16_t u = 0x3041; u <= 0x30FC; ++u)
            t[u] |= kKana;
        return t;
    }();
    return table;
}

enum class Reading
{
    Legacy,
    Utf16Le,
    Utf16Be
};

struct Candidate
{
    Reading reading = Reading::Legacy;
    QString codePage;
    std::uint8_t language = 0;
    bool valid = true;
    std::size_t invalid = 0;
    std::size_t nonAscii = 0;
    std::size_t hits = 0;
    double Score() const
    {
        return nonAscii == 0 ? 0.0 : static_cast<double>(hits) / static_cast<double>(nonAscii);
    }
};

struct Span
{
    std::size_t from, to;
};

// No byte below 0x30 is part of a multi-byte character in any candidate code page (GB18030's
// four-byte form uses digits), so a chunk cut after one starts and ends on character bounds.
bool IsBound(std::uint8_t b)
{
    return b < 0x30;
}

std::vector<Span> SampleSpans(std::size_t n)
{
    if (n <= kDetectSampleBytes)
        return {{0, n}};
    constexpr std::size_t kChunks = 8, kChunk = kDetectSampleBytes / kChunks;
    std::vector<Span> spans;
    for (std::size_t k = 0; k < kChunks; ++k) {
        const std::size_t from = (n - kChunk) / (kChunks - 1) * k & ~std::size_t{1};
        spans.push_back({from, std::min(n, from + kChunk)});
    }
    return spans;
}

// Lets at most one bad sequence in two thousand characters pass: books often hold a stray byte.
bool WithinTolerance(std::size_t invalid, std::size_t characters)
{
    return invalid * 2000 <= characters;
}

void ScoreUnits(Candidate& c, const char16_t* u, std::size_t m)
{
    const auto& table = LanguageTable();
    for (std::size_t i = 0; i < m; ++i) {
        if (u[i] < 0x80)
            continue;
        ++c.nonAscii;
        if (table[u[i]] & c.language)
            ++c.hits;
    }
}

void ReadLegacy(Candidate& c, const std::uint8_t* b, const std::vector<Span>& spans, bool whole,
                std::vector<char16_t>& out)
{
    for (const Span& s : spans) {
        std::size_t from = s.from, to = s.to;
        if (!whole) {
            while (from < to && !IsBound(b[from]))
                ++from;
            while (to > from && !IsBound(b[to - 1]))
                --to;
        }
        if (from >= to)
            continue;
        const std::size_t m = to - from;
        c.invalid += static_cast<std::size_t>(std::count(b + from, b + to, std::uint8_t{0}));
        out.resize(CodePage::AnsiMaxUnits(m) + 16);
        const std::size_t units = CodePage::LegacyToUtf16(c.codePage, b + from, m, out.data(), &c.invalid);
        ScoreUnits(c, out.data(), units);
        if (!WithinTolerance(c.invalid, c.nonAscii + 1)) {
            c.valid = false;
            return;
        }
    }
}

bool IsAllowedControl(char16_t u)
{
    return u == u'\t' || u == u'\n' || u == u'\r' || u == u'\f';
}

void ReadUtf16(Candidate& c, const std::uint8_t* b, const std::vector<Span>& spans,
               std::vector<char16_t>& out)
{
    const bool big = c.reading == Reading::Utf16Be;
    for (const Span& s : spans) {
        const std::size_t m = (s.to - s.from) / 2;
        out.resize(m);
        for (std::size_t i = 0; i < m; ++i) {
            const std::uint8_t lo = b[s.from + 2 * i + (big ? 1 : 0)], hi = b[s.from + 2 * i + (big ? 0 : 1)];
            out[i] = static_cast<char16_t>(lo | (hi << 8));
        }
        for (std::size_t i = 0; i < m; ++i) {
            const char16_t u = out[i];
            if (u < 0x20 && !IsAllowedControl(u)) {
                ++c.invalid;
            } else if (u >= 0xD800 && u <= 0xDBFF) {
                // A pair cut by the chunk's end is not counted against the reading.
                if (i + 1 < m && !(out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF))
                    ++c.invalid;
                else
                    ++i;
            } else if ((u >= 0xDC00 && u <= 0xDFFF && i > 0) || u == 0xFFFE || u == 0xFFFF) {
                ++c.invalid;
            }
        }
        ScoreUnits(c, out.data(), m);
        if (!WithinTolerance(c.invalid, c.nonAscii + 1)) {
            c.valid = false;
            return;
        }
    }
}

std::uint8_t LanguageOf(const QString& codePage)
{
    const QString p = codePage.toUpper();
    if (p == u"CP950" || p == u"BIG5" || p == u"BIG5-HKSCS")
        return kTraditional;
    if (p == u"CP932" || p == u"SHIFT_JIS" || p == u"SJIS" || p == u"EUC-JP")
        return kKana;
    if (p == u"CP949" || p == u"EUC-KR" || p == u"UHC")
        return kKorean;
    return kSimplified;
}

} // namespace

DetectedEncoding DetectEncoding(const std::uint8_t* data, std::size_t n, const QString& defaultCodePage)
{
    DetectedEncoding fallback{SourceEncoding::Ansi, defaultCodePage};
    // Too little text to tell one reading from another.
    constexpr std::size_t kMinCharacters = 48;
    if (data == nullptr || n < kMinCharacters * 2)
        return fallback;
    const std::vector<Span> spans = SampleSpans(n);
    const bool whole = spans.size() == 1;

    // Text in a legacy code page holds no NUL; UTF-16 with ASCII in it holds many, all on one side.
    std::size_t nulEven = 0, nulOdd = 0, sampled = 0;
    for (const Span& s : spans) {
        sampled += s.to - s.from;
        for (std::size_t i = s.from; i < s.to; ++i)
            if (data[i] == 0)
                ++((i & 1) ? nulOdd : nulEven);
    }

    std::vector<Candidate> candidates;
    auto add = [&](Reading r, const QString& codePage, std::uint8_t language) {
        for (const Candidate& c : candidates)
            if (c.reading == r && c.codePage.compare(codePage, Qt::CaseInsensitive) == 0)
                return;
        candidates.push_back({r, codePage, language});
    };
    add(Reading::Legacy, defaultCodePage, LanguageOf(defaultCodePage));
    for (const char* p : {"GB18030", "CP950", "CP932", "EUC-JP", "CP949"})
        add(Reading::Legacy, QString::fromLatin1(p), LanguageOf(QString::fromLatin1(p)));
    add(Reading::Utf16Le, {}, kSimplified | kTraditional | kKorean | kKana);
    add(Reading::Utf16Be, {}, kSimplified | kTraditional | kKorean | kKana);

    std::vector<char16_t> out;
    for (Candidate& c : candidates) {
        if (c.reading == Reading::Legacy)
            ReadLegacy(c, data, spans, whole, out);
        else
            ReadUtf16(c, data, spans, out);
        c.valid = c.valid && WithinTolerance(c.invalid, c.nonAscii + 1);
    }

    auto result = [](const Candidate& c) {
        if (c.reading == Reading::Legacy)
            return DetectedEncoding{SourceEncoding::Ansi, c.codePage};
        return DetectedEncoding{
            c.reading == Reading::Utf16Le ? SourceEncoding::Utf16Le : SourceEncoding::Utf16Be, {}};
    };

    // Mostly ASCII in UTF-16: a NUL in every other byte, on one side only.
    const std::size_t nuls = nulEven + nulOdd;
    if (nuls * 5 >= sampled && std::max(nulEven, nulOdd) * 20 >= nuls * 19) {
        const Reading r = nulOdd > nulEven ? Reading::Utf16Le : Reading::Utf16Be;
        for (const Candidate& c : candidates)
            if (c.reading == r && c.valid)
                return result(c);
    }

    const Candidate& original = candidates.front();
    const double base = original.valid ? original.Score() : 0.0;
    const Candidate* best = nullptr;
    for (const Candidate& c : candidates)
        if (c.valid && c.nonAscii >= kMinCharacters && (!best || c.Score() > best->Score()))
            best = &c;
    if (!best || best == &original)
        return fallback;
    // Another reading must be plainly better: common characters in a good share and well ahead.
    if (best->Score() >= 0.2 && best->Score() >= 2 * base + 0.05)
        return result(*best);
    return fallback;
}
