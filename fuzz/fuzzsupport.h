// What the fuzz targets share: a message sink that answers every box, and a check that stops the run.
#pragma once

#include "settings/messagesink.h"

class QuietSink : public MessageSink
{
public:
    MsgAnswer Show(const QString&, MsgButtons, MsgIcon) override { return MsgAnswer::Ok; }
};

// A property that fails is a finding: libFuzzer keeps the input.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}
