#include "QuorZubApp/App/ZubSingleInstanceGuard.h"

#include "QuorKit/Utilities/QuorBundle.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QByteArray kReopenRequest = QByteArrayLiteral("reopen\n");
const QByteArray kAcknowledgement = QByteArrayLiteral("ok\n");
constexpr int kConnectTimeoutMs = 500;
constexpr int kAnswerTimeoutMs = 1000;
constexpr int kLockTimeoutMs = 2000;
constexpr qint64 kLongestRequest = 64;
constexpr int kLockRetryMs = 10;

// Holds an exclusive lock on `path` while it lives. The kernel drops the lock when the process dies,
// so no stale lock can outlive a crash, and nothing is written or flushed to disk on the way to the
// tray icon.
class ExclusiveFileLock {
public:
    ExclusiveFileLock(const QString& path, int timeoutMs)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        for (int waited = 0; m_fd >= 0; waited += kLockRetryMs) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_locked = true;
                return;
            }
            if (errno != EWOULDBLOCK || waited >= timeoutMs) {
                return;
            }
            QThread::msleep(kLockRetryMs);
        }
    }
    ~ExclusiveFileLock()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool isLocked() const { return m_locked; }

private:
    int m_fd;
    bool m_locked = false;
};
} // namespace

ZubSingleInstanceGuard::ZubSingleInstanceGuard(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath))
{
}

ZubSingleInstanceGuard::~ZubSingleInstanceGuard()
{
    if (m_server != nullptr) {
        m_server->close();
    }
}

QString ZubSingleInstanceGuard::defaultSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QLatin1Char('/') + QuorBundle::main().bundleIdentifier() + QStringLiteral(".instance");
}

ZubSingleInstanceGuard::Outcome ZubSingleInstanceGuard::claim()
{
    // Two starts at the same moment must not both decide they are first.
    const ExclusiveFileLock lock(m_socketPath + QStringLiteral(".lock"), kLockTimeoutMs);
    const bool locked = lock.isLocked();
    if (handOver()) {
        return Outcome::handedOver;
    }
    if (!locked || !listen()) {
        return Outcome::unguarded;
    }
    return Outcome::primary;
}

bool ZubSingleInstanceGuard::handOver() const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectTimeoutMs)) {
        return false;
    }
    socket.write(kReopenRequest);
    if (!socket.waitForBytesWritten(kConnectTimeoutMs)) {
        return false;
    }
    // The running instance answers once it took the request; a busy one is still the running one.
    socket.waitForReadyRead(kAnswerTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool ZubSingleInstanceGuard::listen()
{
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Nobody answered, so a socket file left there belongs to an instance that ended abnormally.
    QLocalServer::removeServer(m_socketPath);
    if (!server->listen(m_socketPath)) {
        qWarning("QuorZub: single-instance socket %s: %s", qPrintable(m_socketPath),
                 qPrintable(server->errorString()));
        delete server;
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &ZubSingleInstanceGuard::acceptConnections);
    return true;
}

void ZubSingleInstanceGuard::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kLongestRequest) {
                    socket->abort();
                }
                return;
            }
            const QByteArray line = socket->readLine(kLongestRequest);
            if (line == kReopenRequest) {
                socket->write(kAcknowledgement);
                socket->flush();
                emit reopenRequested();
            }
            socket->disconnectFromServer();
        });
    }
}
