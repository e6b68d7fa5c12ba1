// The message sink of the reader: modal message boxes titled "Leafturner".
#pragma once

#include "settings/messagesink.h"

// Shows each message in a QMessageBox on the GUI thread; calls from other threads wait for the answer.
class GuiMessageSink : public MessageSink
{
public:
    MsgAnswer Show(const QString& text, MsgButtons buttons, MsgIcon icon) override;
};
