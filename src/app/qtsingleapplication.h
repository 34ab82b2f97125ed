#pragma once
// Single-instance application with the interface of Qt Solutions' class of the same name.
//
// The first process that starts with a given key holds a lock file and listens on a local
// socket; a later process finds the lock held (isRunning() is true) and can hand the first one a
// text with sendMessage(). A lock left behind by a crashed instance is detected (its process no
// longer exists) and taken over, and a stale socket file is removed before listening.
//
// The identity is the key plus the user and the application folder, so two builds with their own
// --home (tests, a portable copy) do not see each other, while two starts of one installation do.

#include <QApplication>
#include <QLockFile>
#include <QString>
#include <memory>

class QLocalServer;

class QtSingleApplication : public QApplication
{
    Q_OBJECT
public:
    QtSingleApplication(const QString &appId, int &argc, char **argv);
    ~QtSingleApplication() override;

    // True when another process holds the key.
    bool isRunning() const { return m_running; }
    QString id() const { return m_id; }

    // Sends message to the running instance; returns true when it was delivered within
    // timeoutMs. Returns false when this process is the running instance.
    bool sendMessage(const QString &message, int timeout = 5000);

    // The local-socket name derived from an id (exposed for tests).
    static QString serverNameFor(const QString &appId);

Q_SIGNALS:
    void messageReceived(const QString &message);

private:
    void startServer();
    void readConnection();

    QString m_id;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_running = false;
};
