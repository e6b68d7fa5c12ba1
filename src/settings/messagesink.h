// The channel through which logic code tells the user something or asks a question.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <mutex>

enum class MsgButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class MsgIcon
{
    Information,
    Warning,
    Question,
    Error
};
enum class MsgAnswer
{
    Ok,
    Cancel,
    Yes,
    No
};

// Logic libraries never show windows; they report through the installed sink. The GUI installs a
// sink that shows a message box, the CLI one that writes to standard error, tests one that records.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual MsgAnswer Show(const QString& text, MsgButtons buttons, MsgIcon icon) = 0;
};

// Installs `sink` (not owned) for the whole process; nullptr restores the standard-error sink.
void SetMessageSink(MessageSink* sink);
MessageSink& CurrentMessageSink();

// The message for a file that cannot be opened, said alike wherever that happens.
QString MsgOpenFailed();
// The message for work given up because memory ran out; what the user has stays as it was.
QString MsgOutOfMemory();

// An OK box with the given text.
void ShowMessage(const QString& text, MsgIcon icon = MsgIcon::Information);
MsgAnswer AskQuestion(const QString& text, MsgButtons buttons, MsgIcon icon = MsgIcon::Question);

// Writes every message to standard error; questions get the answer that changes nothing
// (Cancel, or No where there is no Cancel).
class StderrMessageSink : public MessageSink
{
public:
    MsgAnswer Show(const QString& text, MsgButtons buttons, MsgIcon icon) override;
};

// Keeps every message and answers questions from a queue (then with a fixed default).
class RecordingMessageSink : public MessageSink
{
public:
    MsgAnswer Show(const QString& text, MsgButtons buttons, MsgIcon icon) override;

    void QueueAnswer(MsgAnswer answer);
    void SetDefaultAnswer(MsgAnswer answer);
    QStringList Messages() const;
    QString Last() const;
    void Clear();

private:
    mutable std::mutex m_lock;
    QStringList m_messages;
    std::deque<MsgAnswer> m_answers;
    MsgAnswer m_default = MsgAnswer::Ok;
};

// Installs a sink for the lifetime of the object and puts the previous one back.
class ScopedMessageSink
{
public:
    explicit ScopedMessageSink(MessageSink* sink);
    ~ScopedMessageSink();
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink* m_previous;
};
