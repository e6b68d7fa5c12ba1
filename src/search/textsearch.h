// Finding every hit of a plain or regex pattern in the book's text.
#pragma once

#include "search/searchquery.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>

using SearchHitSink = std::function<void(std::span<const SearchHit> batch)>;

// Every non-empty hit of `query` in the first `length` units of `text`, in increasing order and
// without overlaps, handed to `sink` in batches as they are found; at most kMaxSearchHits. Regex
// patterns run with the chapter conditions' bounds: CR is the line end for "^", "$" and ".", every
// attempt at one position is step-limited (LimitHit keeps the hits before it), lone surrogates in
// the text never make the engine refuse the book. `cancel` is looked at often enough that the call
// returns within milliseconds of it turning true, even inside a long stretch without hits.
SearchOutcome FindHits(const char16_t* text, std::int32_t length, const SearchQuery& query,
                       const SearchHitSink& sink, const std::atomic<bool>* cancel = nullptr);

// The engine's complaint about a regex pattern, or an empty string when it can be searched.
QString SearchPatternProblem(const SearchQuery& query);

// The hit to go to from `position`: the first one starting after it (NextHit) or the last one
// starting before it (PreviousHit), wrapping around at the ends; -1 when there are none.
int NextHit(std::span<const SearchHit> hits, std::int32_t position);
int PreviousHit(std::span<const SearchHit> hits, std::int32_t position);

// A hit with up to `before` and `after` units of text around it, line ends and tabs as spaces,
// surrogate pairs kept whole.
struct SearchContext
{
    QString text;
    int hitStart = 0; // where the hit begins within `text`
    int hitLength = 0;
};
SearchContext ContextOfHit(const char16_t* text, std::int32_t length, SearchHit hit, int before, int after);
