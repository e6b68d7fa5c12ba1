// Arbitrary UTF-16 text and options through both reformats (the measure pass must match the write
// pass) and through the garbled-character repair.
#include "reformat/complexreformat.h"
#include "reformat/garbledrepair.h"
#include "reformat/simplereformat.h"
#include "document/codepage.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Bytes below 0x40 pick a character the reformat cares about, so line structure is common.
constexpr char16_t kInteresting[] = {u'\r', u'\n', u' ',  u'\t',  u'\x3000', u'。',
                                     u'」', u'a',  u'中', 0xD800, 0xDC00};

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

template <typename Run>
void MeasureAndWrite(const std::vector<char16_t>& text, Run run, std::vector<char16_t>* result)
{
    const auto length = static_cast<std::int32_t>(text.size());
    const std::int64_t n = run(text.data(), length, nullptr);
    Check(n >= 0);
    // Exactly the measured room, so ASan sees any write past it.
    auto out = std::make_unique<char16_t[]>(static_cast<std::size_t>(n) + 1);
    out[static_cast<std::size_t>(n)] = 0xBEEF;
    Check(run(text.data(), length, out.get()) == n);
    Check(out[static_cast<std::size_t>(n)] == 0xBEEF);
    result->assign(out.get(), out.get() + n);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CodePage::SetAnsiCodePage(QStringLiteral("CP936"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 6)
        return 0;
    const std::uint8_t flags = data[0];
    SimpleOptions simple{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0};
    ComplexOptions complex;
    complex.beginWithChn = flags & 8;
    complex.beginWithEng = flags & 16;
    complex.checkLineLen = flags & 32;
    complex.beginWithBlankLine = flags & 64;
    complex.endWithSpec = flags & 128;
    complex.addChnSpace = data[1] & 1;
    complex.addBlankLine = data[1] & 2;
    complex.chnSpace = (data[1] >> 2) % 4;
    complex.engSpace = (data[1] >> 4) % 6;
    complex.tailSpace = data[2]; // 0 and values past the dialog's 200 included
    data += 3;
    size -= 3;

    std::vector<char16_t> text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] < 0x40) {
            text.push_back(kInteresting[data[i] % std::size(kInteresting)]);
        } else if (i + 1 < size) {
            text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
            ++i;
        }
    }

    std::vector<char16_t> out;
    MeasureAndWrite(
        text, [&](const char16_t* t, std::int32_t n, char16_t* o) { return SimpleReformat(t, n, o, simple); },
        &out);
    if (simple.deleteBlankLines) {
        // One empty first line may survive, but never two line ends in a row.
        for (std::size_t i = 1; i < out.size(); ++i)
            Check(!(out[i] == u'\r' && out[i - 1] == u'\r'));
    }

    MeasureAndWrite(
        text,
        [&](const char16_t* t, std::int32_t n, char16_t* o) { return ComplexReformat(t, n, o, complex); },
        &out);
    // Paragraph breaks only ever stand between two paragraphs.
    Check(out.empty() || (out.front() != u'\r' && out.back() != u'\r'));

    const QString selection = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    const RepairResult repair = RepairGarbled(selection);
    Check(repair.outcome != RepairOutcome::EmptySelection || selection.isEmpty());
    return 0;
}
