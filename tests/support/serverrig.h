#pragma once
// A real qkdriver-server for one test: started on a free loopback port with a temporary data
// folder (and the cheap password-hash cost), stopped on destruction.
//
// With QKDRIVER_TEST_PGHOST set (tests/server/with-postgresql.sh sets it to the socket folder of
// a cluster it started) every rig gets a fresh PostgreSQL database of that cluster instead of
// SQLite, created with createdb from QKDRIVER_TEST_PGBIN.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class ServerRig
{
public:
    // extraArguments are added to the server's command line (e.g. "--token-lifetime", "0").
    explicit ServerRig(const QStringList &extraArguments = {});
    ~ServerRig();
    ServerRig(const ServerRig &) = delete;
    ServerRig &operator=(const ServerRig &) = delete;

    // False when the server did not start; error() says why.
    bool isRunning() const;
    QString error() const { return m_error; }
    // "http://127.0.0.1:PORT", no trailing slash.
    QString baseUrl() const { return m_baseUrl; }
    QString dataDir() const { return m_data.path(); }
    bool usesPostgres() const { return !m_database.isEmpty(); }

    // Everything the server logged so far.
    QByteArray log();
    // The six-digit code of the newest mail in the outbox, or an empty string.
    QString lastMailedCode() const;
    // Runs "qkdriver-server publish" on this rig's data and database; false when it fails.
    bool publish(const QString &type, const QString &name, const QString &version,
                 const QString &date, const QString &file);
    // Every file below the data folder (and the PostgreSQL cluster's folder when there is one)
    // that contains needle; empty when none does.
    QStringList filesContaining(const QByteArray &needle) const;

    // Stops the server (SIGTERM, then kill) and returns whether it had exited by itself.
    bool stop();

    static QString executable();

private:
    QStringList databaseArguments() const;

    QTemporaryDir m_data;
    QProcess m_process;
    QString m_baseUrl;
    QString m_database;
    QString m_error;
    QByteArray m_log;
};
