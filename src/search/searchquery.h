// What one search in the book asks for and what it found.
#pragma once

#include "convert/scriptconverter.h"

#include <QString>
#include <QStringList>
#include <cstdint>

struct SearchQuery
{
    QString pattern;
    bool regex = false;
    bool ignoreCase = false;  // the pane's "区分大小写" unticked
    bool ignoreWidth = false; // "全角半角视为相同"
    // The script the book is shown in: the pattern is also looked for as written in the other script.
    ConvertConfig shownScript = ConvertConfig::None;
    // The pattern in the other script (filled in on the search's thread); hits of any of them count.
    QStringList otherForms{};
};

// One hit, in UTF-16 code units of the book's text.
struct SearchHit
{
    std::int32_t offset = 0;
    std::int32_t length = 0;
    bool operator==(const SearchHit&) const = default;
};

enum class SearchStatus
{
    Done,
    Capped,         // kMaxSearchHits were found and there are more
    Cancelled,      // nothing reported after the cancel counts
    InvalidPattern, // message holds the reason; no hits
    LimitHit,       // the engine's step limit stopped the search; the hits before it stand
};

struct SearchOutcome
{
    SearchStatus status = SearchStatus::Done;
    QString message; // for InvalidPattern and LimitHit
    int count = 0;   // hits reported
};

constexpr int kMaxSearchHits = 10000;
