// Random patterns, options and book text through the search in the book: whatever the pattern, the
// call ends, and every hit is non-empty, inside the text, in order, without overlaps, under the cap.
#include "search/textsearch.h"
#include "search/widthfold.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// Input: options byte, pattern length in units (1 byte), the pattern as UTF-16LE, then the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    SearchQuery query;
    query.regex = data[0] & 1;
    query.ignoreCase = data[0] & 2;
    query.ignoreWidth = data[0] & 4;
    std::size_t patternUnits = data[1];
    data += 2;
    size -= 2;
    patternUnits = std::min(patternUnits, size / 2);
    std::vector<char16_t> units(size / 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    query.pattern =
        QString(reinterpret_cast<const QChar*>(units.data()), static_cast<qsizetype>(patternUnits));
    const char16_t* text = units.data() + patternUnits;
    const auto length = static_cast<std::int32_t>(units.size() - patternUnits);

    std::vector<SearchHit> hits;
    const SearchOutcome outcome = FindHits(text, length, query, [&hits](std::span<const SearchHit> b) {
        hits.insert(hits.end(), b.begin(), b.end());
    });
    if (outcome.count != static_cast<int>(hits.size()) || hits.size() > kMaxSearchHits)
        std::abort();
    std::int32_t end = 0;
    for (const SearchHit& h : hits) {
        if (h.length <= 0 || h.offset < end || h.offset + h.length > length)
            std::abort();
        end = h.offset + h.length;
    }
    if (outcome.status == SearchStatus::InvalidPattern && (!query.regex || !hits.empty()))
        std::abort();
    // A plain hit is the pattern itself once both are folded.
    if (!query.regex) {
        const char16_t* fold = FoldTable(query.ignoreCase, query.ignoreWidth);
        for (const SearchHit& h : hits)
            for (std::int32_t i = 0; i < h.length; ++i) {
                const char16_t a = text[h.offset + i];
                const char16_t b = query.pattern[i].unicode();
                if ((fold ? fold[a] : a) != (fold ? fold[b] : b))
                    std::abort();
            }
    }
    return 0;
}
