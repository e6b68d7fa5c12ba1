// Message sinks: the process-wide current one, the standard-error one and the recording one.
#include "settings/messagesink.h"

#include <atomic>
#include <cstdio>

namespace {
StderrMessageSink g_stderrSink;
std::atomic<MessageSink*> g_sink{nullptr};

MsgAnswer NeutralAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
        break;
    }
    return MsgAnswer::Cancel;
}
} // namespace

QString MsgOpenFailed()
{
    return QStringLiteral("文件打开失败。");
}

QString MsgOutOfMemory()
{
    return QStringLiteral("内存不足。");
}

void SetMessageSink(MessageSink* sink)
{
    g_sink.store(sink);
}

MessageSink& CurrentMessageSink()
{
    MessageSink* sink = g_sink.load();
    return sink ? *sink : g_stderrSink;
}

void ShowMessage(const QString& text, MsgIcon icon)
{
    CurrentMessageSink().Show(text, MsgButtons::Ok, icon);
}

MsgAnswer AskQuestion(const QString& text, MsgButtons buttons, MsgIcon icon)
{
    return CurrentMessageSink().Show(text, buttons, icon);
}

MsgAnswer StderrMessageSink::Show(const QString& text, MsgButtons buttons, MsgIcon)
{
    const QByteArray utf8 = text.toUtf8();
    std::fprintf(stderr, "%s\n", utf8.constData());
    std::fflush(stderr);
    return NeutralAnswer(buttons);
}

MsgAnswer RecordingMessageSink::Show(const QString& text, MsgButtons buttons, MsgIcon)
{
    std::lock_guard guard(m_lock);
    m_messages.append(text);
    if (!m_answers.empty()) {
        const MsgAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    return m_default;
}

void RecordingMessageSink::QueueAnswer(MsgAnswer answer)
{
    std::lock_guard guard(m_lock);
    m_answers.push_back(answer);
}

void RecordingMessageSink::SetDefaultAnswer(MsgAnswer answer)
{
    std::lock_guard guard(m_lock);
    m_default = answer;
}

QStringList RecordingMessageSink::Messages() const
{
    std::lock_guard guard(m_lock);
    return m_messages;
}

QString RecordingMessageSink::Last() const
{
    std::lock_guard guard(m_lock);
    return m_messages.isEmpty() ? QString() : m_messages.last();
}

void RecordingMessageSink::Clear()
{
    std::lock_guard guard(m_lock);
    m_messages.clear();
    m_answers.clear();
}

ScopedMessageSink::ScopedMessageSink(MessageSink* sink) : m_previous(g_sink.load())
{
    SetMessageSink(sink);
}

ScopedMessageSink::~ScopedMessageSink()
{
    SetMessageSink(m_previous);
}
