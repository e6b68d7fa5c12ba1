// ReaderInstance: the hand-over between two starts over a local socket.
//
// A later start sends one line, "open <path>" or "show", UTF-8, and waits for "ok". The running
// reader answers at once and opens the book afterwards, so a save question it asks first does not
// keep the later start waiting.
#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <unistd.h>
#include <utility>

namespace {

constexpr qsizetype kMaxRequest = 64 * 1024;
const QByteArray kOpen = QByteArrayLiteral("open ");
const QByteArray kShow = QByteArrayLiteral("show");
const QByteArray kOk = QByteArrayLiteral("ok\n");

} // namespace

ReaderInstance::ReaderInstance(const QString& profileDir, QObject* parent)
    : QObject(parent), m_name(ServerName(profileDir))
{
}

ReaderInstance::~ReaderInstance() = default;

QString ReaderInstance::ServerName(const QString& profileDir)
{
    const QString canonical = QDir(profileDir).canonicalPath();
    const QByteArray key = QByteArray::number(static_cast<qulonglong>(::getuid())) + '\0' +
                           (canonical.isEmpty() ? QDir(profileDir).absolutePath() : canonical).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("leafturner-") + QString::fromLatin1(hash));
}

ReaderInstance::Start ReaderInstance::HandOverOrListen(const QString& book, int timeoutMs)
{
    // Two starts at once must not both remove the socket and listen; a start that cannot get the
    // lock in time goes on alone rather than wait.
    QLockFile lock(m_name + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(timeoutMs / 2);
    bool refused = false;
    if (TryHandOver(book, timeoutMs / 2, &refused))
        return Start::HandedOver;
    if (!locked || !refused)
        return Start::Alone; // a reader is there but does not answer: leave its socket alone
    return Listen() ? Start::Listening : Start::Alone;
}

bool ReaderInstance::TryHandOver(const QString& book, int timeoutMs, bool* refused)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs)) {
        const auto error = socket.error();
        *refused =
            error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError;
        return false;
    }
    QByteArray request = book.isEmpty() ? kShow : QByteArray(kOpen + book.toUtf8());
    request += '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    QByteArray reply;
    while (!reply.contains('\n') && socket.waitForReadyRead(timeoutMs))
        reply += socket.readAll();
    return reply == kOk;
}

bool ReaderInstance::Listen()
{
    // Only a socket nobody answers on reaches here: what a crashed reader left behind.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &ReaderInstance::OnNewConnection);
    return true;
}

void ReaderInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadable(socket); });
        // A client that connects and says nothing is dropped.
        QTimer::singleShot(10000, socket, [socket] { socket->abort(); });
        if (socket->bytesAvailable() > 0)
            OnReadable(socket);
    }
}

void ReaderInstance::OnReadable(QLocalSocket* socket)
{
    QByteArray buffer = socket->property("request").toByteArray() + socket->readAll();
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0) {
        if (buffer.size() > kMaxRequest)
            socket->abort();
        else
            socket->setProperty("request", buffer);
        return;
    }
    const QByteArray line = buffer.left(end);
    QString book;
    if (line.startsWith(kOpen)) {
        book = QString::fromUtf8(line.mid(kOpen.size()));
        if (!QDir::isAbsolutePath(book)) {
            socket->abort();
            return;
        }
    } else if (line != kShow) {
        socket->abort();
        return;
    }
    socket->write(kOk);
    socket->flush();
    socket->disconnectFromServer();
    Deliver(book);
}

void ReaderInstance::Deliver(const QString& book)
{
    if (!m_ready) {
        m_pending.append(book);
        return;
    }
    // Queued: the answer is on its way before the reader perhaps asks about unsaved edits.
    QMetaObject::invokeMethod(
        this, [this, book] { emit OpenRequested(book); }, Qt::QueuedConnection);
}

void ReaderInstance::SetReady()
{
    m_ready = true;
    const QStringList pending = std::exchange(m_pending, {});
    for (const QString& book : pending)
        Deliver(book);
}
