#include "app/qtsingleapplication.h"

#include "common/apppaths.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
QString userName()
{
    QString u = qEnvironmentVariable("USER");
    if (u.isEmpty())
        u = qEnvironmentVariable("USERNAME");
    return u;
}
} // namespace

QString QtSingleApplication::serverNameFor(const QString &appId)
{
    const QByteArray scope =
        (appId + QLatin1Char('\n') + userName() + QLatin1Char('\n') + AppPaths::applicationDir())
            .toUtf8();
    const QByteArray hash = QCryptographicHash::hash(scope, QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("qtsingleapp-") + appId + QLatin1Char('-') + QString::fromLatin1(hash);
}

QtSingleApplication::QtSingleApplication(const QString &appId, int &argc, char **argv)
    : QApplication(argc, argv), m_id(appId), m_serverName(serverNameFor(appId))
{
    QString lockDir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (lockDir.isEmpty())
        lockDir = QDir::tempPath();
    m_lock = std::make_unique<QLockFile>(lockDir + QLatin1Char('/') + m_serverName + QStringLiteral(".lock"));
    // No age limit: a lock is stale only when its process is gone, which QLockFile checks itself.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        startServer();
        return;
    }
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_running = true;
        return;
    }
    // The lock file cannot be created at all (unwritable temp folder): run, rather than refuse to
    // start a program that works without the guard.
    qDebug() << "QtSingleApplication: lock file unavailable, running without the guard";
    startServer();
}

QtSingleApplication::~QtSingleApplication()
{
    if (m_server)
        m_server->close();
}

void QtSingleApplication::startServer()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so any socket file left behind is from a dead instance.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName)) {
        qDebug() << "QtSingleApplication: cannot listen on" << m_serverName << m_server->errorString();
        return;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &QtSingleApplication::readConnection);
}

void QtSingleApplication::readConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QString message;
            in >> message;
            if (!in.commitTransaction())
                return; // wait for the rest
            socket->write("ack", 3);
            socket->flush();
            Q_EMIT messageReceived(message);
        });
    }
}

bool QtSingleApplication::sendMessage(const QString &message, int timeout)
{
    if (!m_running)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeout))
        return false;
    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out << message;
    socket.write(block);
    if (!socket.waitForBytesWritten(timeout))
        return false;
    // Wait for the acknowledgement so the message is not lost when this process exits at once.
    bool acked = false;
    while (socket.bytesAvailable() < 3 && socket.waitForReadyRead(timeout)) {
    }
    acked = socket.read(3) == "ack";
    socket.disconnectFromServer();
    return acked;
}
