// One reader per user session and profile folder: a later start hands its book to the running one.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

class ReaderInstance : public QObject
{
    Q_OBJECT
public:
    explicit ReaderInstance(const QString& profileDir, QObject* parent = nullptr);
    ~ReaderInstance() override;

    // The local socket in the user's runtime folder for this profile folder.
    static QString ServerName(const QString& profileDir);
    QString Name() const { return m_name; }

    enum class Start
    {
        HandedOver, // a running reader took the book: this process ends
        Listening,  // this is the reader now; later starts come here
        Alone,      // neither (a reader that does not answer, no socket): start anyway
    };
    // Hands `book` (absolute; empty: just come to the front) to a running reader, or else takes
    // the place of the one reader, taking over a socket a crashed reader left behind. Never waits
    // longer than about `timeoutMs` in all.
    Start HandOverOrListen(const QString& book, int timeoutMs = 3000);

    // Requests that arrived before anyone connected to OpenRequested are held until this is called.
    void SetReady();

signals:
    // A later start asked for `book` (empty: only to come to the front).
    void OpenRequested(const QString& book);

private:
    bool TryHandOver(const QString& book, int timeoutMs, bool* refused);
    bool Listen();
    void OnNewConnection();
    void OnReadable(QLocalSocket* socket);
    void Deliver(const QString& book);

    QString m_name;
    QLocalServer* m_server = nullptr;
    bool m_ready = false;
    QStringList m_pending;
};
