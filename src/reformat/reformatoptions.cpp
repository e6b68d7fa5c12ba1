// Reading and storing the complex reformat's options through the settings record.
#include "reformat/reformatoptions.h"

#include "settings/parablock.h"

namespace {

bool SyncFlag(bool value, int index)
{
    int v = value ? 1 : 0;
    ParaSyncInt(v, index, 0, 1);
    return v != 0;
}

int SyncNumber(int value, int index, int lo, int hi)
{
    ParaSyncInt(value, index, lo, hi);
    return value;
}

} // namespace

ComplexOptions ReadComplexOptions()
{
    const ComplexOptions d;
    ComplexOptions o;
    o.beginWithChn = SyncFlag(d.beginWithChn, PARA_ADV_BEGIN_WITH_CHN);
    o.beginWithEng = SyncFlag(d.beginWithEng, PARA_ADV_BEGIN_WITH_ENG);
    o.checkLineLen = SyncFlag(d.checkLineLen, PARA_ADV_CHECK_LINE_LEN);
    o.beginWithBlankLine = SyncFlag(d.beginWithBlankLine, PARA_ADV_BEGIN_WITH_BLINK_LINE);
    o.endWithSpec = SyncFlag(d.endWithSpec, PARA_ADV_END_WITH_SPEC);
    o.chnSpace = SyncNumber(d.chnSpace, PARA_ADV_CHN_SPACE, kMinSpaceCount, kMaxSpaceCount);
    o.engSpace = SyncNumber(d.engSpace, PARA_ADV_ENG_SPACE, kMinSpaceCount, kMaxSpaceCount);
    // A hand-edited 0 would divide by zero in the short-line test; the dialog's minimum stands in.
    o.tailSpace = SyncNumber(d.tailSpace, PARA_ADV_TAIL_SPACE, kMinTailSpace, kMaxTailSpace);
    o.addChnSpace = SyncFlag(d.addChnSpace, PARA_ADV_ADD_CHN_SPACE);
    o.addBlankLine = SyncFlag(d.addBlankLine, PARA_ADV_ADD_BLINK_LINE);
    o.paraEnd = ParaGetString(PARA_LAYOUT_PARA_END);
    return o;
}

void StoreComplexOptions(const ComplexOptions& o)
{
    ParaSetInt(o.beginWithChn ? 1 : 0, PARA_ADV_BEGIN_WITH_CHN);
    ParaSetInt(o.beginWithEng ? 1 : 0, PARA_ADV_BEGIN_WITH_ENG);
    ParaSetInt(o.checkLineLen ? 1 : 0, PARA_ADV_CHECK_LINE_LEN);
    ParaSetInt(o.beginWithBlankLine ? 1 : 0, PARA_ADV_BEGIN_WITH_BLINK_LINE);
    ParaSetInt(o.endWithSpec ? 1 : 0, PARA_ADV_END_WITH_SPEC);
    ParaSetString(PARA_LAYOUT_PARA_END, o.paraEnd);
    ParaSetInt(o.chnSpace, PARA_ADV_CHN_SPACE);
    ParaSetInt(o.engSpace, PARA_ADV_ENG_SPACE);
    ParaSetInt(o.tailSpace, PARA_ADV_TAIL_SPACE);
    ParaSetInt(o.addChnSpace ? 1 : 0, PARA_ADV_ADD_CHN_SPACE);
    ParaSetInt(o.addBlankLine ? 1 : 0, PARA_ADV_ADD_BLINK_LINE);
}
