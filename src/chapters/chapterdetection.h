// Chapter detection: chapter starts from the conditions, then titles and rows with repeats dropped.
#pragma once

#include "chapters/chapterconditionlist.h"
#include "chapters/chaptersearchoptions.h"
#include "chapters/chaptertable.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <atomic>
#include <cstdint>
#include <functional>

class RegexMatcher;

enum class ChapterSearchResult
{
    Done,
    NoNumeralKind, // the message was shown, the table is empty
    Cancelled,     // the table is empty
};

// What a search left out, to be told beside its rows.
struct ChapterSearchReport
{
    QStringList limitedConditions; // keywords whose search gave up lines at the step limit
    bool tableFull = false;        // the table filled up; later starts were not looked at
};

// Fills `table` with the distinct line starts the enabled conditions match, ascending. `matcher`
// must be created, global, case-sensitive and multi-line. A condition that is not a valid pattern
// adds nothing; one whose search gives up a line keeps what it found elsewhere and is named in
// `report`. `cancel` is polled between conditions and while matching.
ChapterSearchResult FindChapterStarts(const char16_t* text, std::int32_t length, RegexMatcher& matcher,
                                      const ChapterConditionList& conditions,
                                      const ChapterSearchOptions& options, ChapterTable& table,
                                      const std::atomic<bool>* cancel = nullptr,
                                      ChapterSearchReport* report = nullptr);

// The report in words, one line each; empty when nothing was left out.
QStringList ChapterSearchNotices(const ChapterSearchReport& report);

// One row of the chapter list.
struct ChapterEntry
{
    std::int32_t offset = 0;
    QString label; // position label from the active view
    QString title; // at most kMaxTitleUnits units of the line
};

constexpr int kMaxTitleUnits = 31;

using ChapterLabelFunction = std::function<QString(std::int32_t offset)>;
using ChapterRowSink = std::function<void(const ChapterEntry& entry)>;

// Walks the table after FindChapterStarts, drops titles that repeat the last kept one (and, with
// `noDupChapter`, ones repeating its chapter number), hands every kept row to `sink` in order and
// compacts the table so that entry i is row i. Returns the number of rows.
int BuildChapterEntries(const char16_t* text, std::int32_t length, ChapterTable& table, bool noDupChapter,
                        const ChapterLabelFunction& label, const ChapterRowSink& sink);

// The title of the line at `offset`: leading and trailing blanks dropped, at most kMaxTitleUnits.
QString ChapterTitleAt(const char16_t* text, std::int32_t length, std::int32_t offset);
// Equal once blanks are skipped and full-width forms, letter case and Chinese punctuation are folded.
bool TitlesEquivalent(QStringView a, QStringView b);
// The Arabic number in the last "第<digits>章" of the title, or 0.
std::int32_t ChapterNumberOf(QStringView title);
