// The chapter settings one search runs with, read once from the settings record.
#pragma once

// A snapshot, so one search sees consistent values even when the settings change meanwhile.
struct ChapterSearchOptions
{
    bool engDigit = true;     // PARA_CHP_ENG_DIGIT
    bool chnDigit = false;    // PARA_CHP_CHN_DIGIT
    bool chnLower = true;     // PARA_CHP_CHN_LOWER
    bool chnUpper = false;    // PARA_CHP_CHN_UPPER
    int lineHead = 10;        // PARA_CHP_LINE_HEAD, 0..20
    bool sepBlank = true;     // PARA_CHP_SEP_BLANK
    bool noDupChapter = true; // PARA_CHP_NO_DUP_CHPT

    static ChapterSearchOptions FromSettings();
    // lineHead kept inside 0..20 whatever was stored.
    int ClampedLineHead() const;
};
