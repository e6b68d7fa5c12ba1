// Reading the chapter settings from the settings record.
#include "chapters/chaptersearchoptions.h"

#include "settings/parablock.h"

#include <algorithm>

ChapterSearchOptions ChapterSearchOptions::FromSettings()
{
    ChapterSearchOptions o;
    o.engDigit = ParaGetInt(PARA_CHP_ENG_DIGIT) != 0;
    o.chnDigit = ParaGetInt(PARA_CHP_CHN_DIGIT) != 0;
    o.chnLower = ParaGetInt(PARA_CHP_CHN_LOWER) != 0;
    o.chnUpper = ParaGetInt(PARA_CHP_CHN_UPPER) != 0;
    o.lineHead = ParaGetInt(PARA_CHP_LINE_HEAD);
    o.sepBlank = ParaGetInt(PARA_CHP_SEP_BLANK) != 0;
    o.noDupChapter = ParaGetInt(PARA_CHP_NO_DUP_CHPT) != 0;
    return o;
}

int ChapterSearchOptions::ClampedLineHead() const
{
    return std::clamp(lineHead, 0, 20);
}
