#include "support/serverrig.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QAtomicInteger<int> g_databases;
}

QString ServerRig::executable()
{
    return QStringLiteral(QKDRIVER_SERVER_EXE);
}

ServerRig::ServerRig(const QStringList &extraArguments)
{
    const QString pgHost = qEnvironmentVariable("QKDRIVER_TEST_PGHOST");
    if (!pgHost.isEmpty()) {
        const QString name = QStringLiteral("qk_%1_%2").arg(QCoreApplication::applicationPid()).arg(g_databases.fetchAndAddRelaxed(1));
        const QString bin = qEnvironmentVariable("QKDRIVER_TEST_PGBIN", QStringLiteral("/usr/lib/postgresql/15/bin"));
        QProcess createdb;
        createdb.start(bin + QStringLiteral("/createdb"), {QStringLiteral("-h"), pgHost, QStringLiteral("-U"), QStringLiteral("qk"), name});
        if (!createdb.waitForFinished(30000) || createdb.exitCode() != 0) {
            m_error = QStringLiteral("createdb failed: ") + QString::fromLocal8Bit(createdb.readAllStandardError());
            return;
        }
        m_database = QStringLiteral("postgresql://qk@localhost/%1?host=%2").arg(name, pgHost);
    }

    QStringList args{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--data"),
                     m_data.path(), QStringLiteral("--hash-cost"), QStringLiteral("minimum")};
    args << databaseArguments() << extraArguments;
    m_process.start(executable(), args);
    if (!m_process.waitForStarted(10000)) {
        m_error = m_process.errorString();
        return;
    }
    // The first line on stdout names the address once requests are accepted.
    QByteArray out;
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + 30000;
    while (!out.contains('\n') && QDateTime::currentMSecsSinceEpoch() < deadline) {
        if (m_process.state() != QProcess::Running)
            break;
        m_process.waitForReadyRead(100);
        out += m_process.readAllStandardOutput();
    }
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^listening on (http://127\\.0\\.0\\.1:[0-9]+)\n")).match(QString::fromUtf8(out));
    if (!m.hasMatch()) {
        m_error = QStringLiteral("no address from the server: %1 %2").arg(QString::fromUtf8(out), QString::fromUtf8(log()));
        return;
    }
    m_baseUrl = m.captured(1);
}

ServerRig::~ServerRig()
{
    stop();
}

bool ServerRig::isRunning() const
{
    return !m_baseUrl.isEmpty() && m_process.state() == QProcess::Running;
}

QStringList ServerRig::databaseArguments() const
{
    if (m_database.isEmpty())
        return {};
    return {QStringLiteral("--database"), m_database};
}

QByteArray ServerRig::log()
{
    m_log += m_process.readAllStandardError();
    return m_log;
}

QString ServerRig::lastMailedCode() const
{
    QDir outbox(m_data.path() + QStringLiteral("/outbox"));
    const QFileInfoList mails = outbox.entryInfoList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
    if (mails.isEmpty())
        return QString();
    QFile f(mails.last().filePath());
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("code is ([0-9]{6})")).match(QString::fromUtf8(f.readAll()));
    return m.captured(1);
}

bool ServerRig::publish(const QString &type, const QString &name, const QString &version,
                        const QString &date, const QString &file)
{
    QProcess p;
    p.start(executable(), QStringList{QStringLiteral("publish"), QStringLiteral("--data"), m_data.path()}
                              << databaseArguments()
                              << QStringList{QStringLiteral("--type"), type, QStringLiteral("--name"), name,
                                             QStringLiteral("--version"), version, QStringLiteral("--date"), date,
                                             QStringLiteral("--file"), file});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QStringList ServerRig::filesContaining(const QByteArray &needle) const
{
    QStringList roots{m_data.path()};
    if (usesPostgres())
        roots << qEnvironmentVariable("QKDRIVER_TEST_PGDATA");
    QStringList hits;
    for (const QString &root : qAsConst(roots)) {
        if (root.isEmpty())
            continue;
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains(needle))
                hits << f.fileName();
        }
    }
    return hits;
}

bool ServerRig::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit;
    m_process.terminate();
    if (m_process.waitForFinished(10000)) {
        log();
        return m_process.exitStatus() == QProcess::NormalExit;
    }
    m_process.kill();
    m_process.waitForFinished(5000);
    log();
    return false;
}
