#include "accountstore.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QDebug>

namespace {

QAtomicInteger<int> g_stores;

// Both databases understand these statements as they stand (BIGINT, TEXT, ON CONFLICT).
const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS users (id TEXT PRIMARY KEY, email TEXT NOT NULL UNIQUE, "
    "nickname TEXT NOT NULL, password_hash TEXT NOT NULL, created_at BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS tokens (token_digest TEXT PRIMARY KEY, user_id TEXT NOT NULL, "
    "expires_at BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS login_failures (email TEXT NOT NULL, address TEXT NOT NULL, "
    "at BIGINT NOT NULL)",
    "CREATE INDEX IF NOT EXISTS login_failures_email ON login_failures (email, at)",
    "CREATE INDEX IF NOT EXISTS login_failures_address ON login_failures (address, at)",
    "CREATE TABLE IF NOT EXISTS reset_codes (email TEXT PRIMARY KEY, code_digest TEXT NOT NULL, "
    "sent_at BIGINT NOT NULL, expires_at BIGINT NOT NULL, failed_tries INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS files (id TEXT PRIMARY KEY, owner_id TEXT NOT NULL, "
    "name TEXT NOT NULL, size BIGINT NOT NULL, created_at BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS configs (user_id TEXT NOT NULL, kind TEXT NOT NULL, "
    "config_type TEXT NOT NULL, file_id TEXT NOT NULL, content TEXT NOT NULL, "
    "saved_at BIGINT NOT NULL, PRIMARY KEY (user_id, kind, config_type))",
    "CREATE TABLE IF NOT EXISTS releases (version_type TEXT PRIMARY KEY, version TEXT NOT NULL, "
    "version_date TEXT NOT NULL, file_id TEXT NOT NULL, published_at BIGINT NOT NULL)",
};

} // namespace

AccountStore::Params AccountStore::sqlite(const QString &file)
{
    Params p;
    p.driver = QStringLiteral("QSQLITE");
    p.databaseName = file;
    return p;
}

std::optional<AccountStore::Params> AccountStore::fromUrl(const QString &text, QString *error)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()
        || (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres"))) {
        *error = QStringLiteral("not a postgresql:// address: %1").arg(url.toDisplayString(QUrl::RemovePassword));
        return std::nullopt;
    }
    Params p;
    p.driver = QStringLiteral("QPSQL");
    p.host = url.host();
    p.port = url.port(-1);
    p.user = url.userName();
    p.password = url.password();
    p.databaseName = url.path().mid(1);
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("host")))
        p.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        p.port = query.queryItemValue(QStringLiteral("port")).toInt();
    if (p.databaseName.isEmpty()) {
        *error = QStringLiteral("the postgresql:// address names no database");
        return std::nullopt;
    }
    return p;
}

AccountStore::AccountStore(Params params)
    : m_params(std::move(params)), m_prefix(QStringLiteral("qkstore%1-").arg(g_stores.fetchAndAddRelaxed(1)))
{
}

AccountStore::~AccountStore()
{
    QMutexLocker lock(&m_namesLock);
    for (const QString &name : qAsConst(m_names))
        QSqlDatabase::removeDatabase(name);
}

QSqlDatabase AccountStore::connection(QString *error)
{
    const QString name = m_prefix + QString::number(reinterpret_cast<quintptr>(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen() || db.open())
            return db;
        if (error)
            *error = db.lastError().text();
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(m_params.driver, name);
    {
        QMutexLocker lock(&m_namesLock);
        m_names << name;
    }
    db.setDatabaseName(m_params.databaseName);
    if (!m_params.host.isEmpty())
        db.setHostName(m_params.host);
    if (m_params.port > 0)
        db.setPort(m_params.port);
    if (!m_params.user.isEmpty())
        db.setUserName(m_params.user);
    if (!m_params.password.isEmpty())
        db.setPassword(m_params.password);
    if (m_params.driver == QLatin1String("QSQLITE"))
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        if (error)
            *error = db.lastError().text();
        qWarning().noquote() << "database: cannot open:" << db.lastError().text();
    }
    return db;
}

bool AccountStore::open(QString *error)
{
    QSqlDatabase db = connection(error);
    if (!db.isOpen()) {
        if (error && error->isEmpty())
            *error = QStringLiteral("driver %1 not available").arg(m_params.driver);
        return false;
    }
    for (const char *sql : kSchema) {
        QSqlQuery q(db);
        if (!q.exec(QString::fromLatin1(sql))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

bool AccountStore::exec(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    if (!query.prepare(sql)) {
        qWarning().noquote() << "database: prepare failed:" << query.lastError().text();
        return false;
    }
    for (const QVariant &v : values) {
        // A null QString binds as SQL NULL; every text column here is NOT NULL and "" is meant.
        if (v.type() == QVariant::String && v.toString().isNull())
            query.addBindValue(QString(QLatin1String("")));
        else
            query.addBindValue(v);
    }
    if (!query.exec()) {
        qWarning().noquote() << "database: statement failed:" << query.lastError().text();
        // The next statement opens the connection again: a lost connection (a restarted
        // PostgreSQL, reported by the driver as a statement error) would otherwise fail every
        // later request of this thread. Statements do not fail in normal operation.
        query.finish();
        connection().close();
        return false;
    }
    return true;
}

bool AccountStore::run(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return false;
    QSqlQuery q(db);
    return exec(q, sql, values);
}

int AccountStore::count(const QString &sql, const QVariantList &values)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return -1;
    QSqlQuery q(db);
    if (!exec(q, sql, values) || !q.next())
        return -1;
    return q.value(0).toInt();
}

AccountStore::Lookup AccountStore::user(const QString &where, const QVariant &value, User *user)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Lookup::Failed;
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("SELECT id, email, nickname, password_hash FROM users WHERE %1 = ?").arg(where),
              {value}))
        return Lookup::Failed;
    if (!q.next())
        return Lookup::Missing;
    user->id = q.value(0).toString();
    user->email = q.value(1).toString();
    user->nickname = q.value(2).toString();
    user->passwordHash = q.value(3).toString().toUtf8();
    return Lookup::Found;
}

AccountStore::Lookup AccountStore::userByEmail(const QString &email, User *u)
{
    return user(QStringLiteral("email"), email, u);
}

AccountStore::Lookup AccountStore::userById(const QString &id, User *u)
{
    return user(QStringLiteral("id"), id, u);
}

bool AccountStore::addUser(const User &u, qint64 now)
{
    return run(QStringLiteral("INSERT INTO users (id, email, nickname, password_hash, created_at) "
                              "VALUES (?, ?, ?, ?, ?)"),
               {u.id, u.email, u.nickname, QString::fromUtf8(u.passwordHash), now});
}

bool AccountStore::setPasswordHash(const QString &userId, const QByteArray &hash)
{
    return run(QStringLiteral("UPDATE users SET password_hash = ? WHERE id = ?"),
               {QString::fromUtf8(hash), userId});
}

bool AccountStore::addToken(const QString &tokenDigest, const QString &userId, qint64 expiresAt)
{
    return run(QStringLiteral("INSERT INTO tokens (token_digest, user_id, expires_at) VALUES (?, ?, ?)"),
               {tokenDigest, userId, expiresAt});
}

AccountStore::Lookup AccountStore::userOfToken(const QString &tokenDigest, qint64 now, User *u)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Lookup::Failed;
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("SELECT user_id FROM tokens WHERE token_digest = ? AND expires_at > ?"),
              {tokenDigest, now}))
        return Lookup::Failed;
    if (!q.next())
        return Lookup::Missing;
    return userById(q.value(0).toString(), u);
}

bool AccountStore::removeTokensOf(const QString &userId)
{
    return run(QStringLiteral("DELETE FROM tokens WHERE user_id = ?"), {userId});
}

bool AccountStore::removeExpiredTokens(qint64 now)
{
    return run(QStringLiteral("DELETE FROM tokens WHERE expires_at <= ?"), {now});
}

bool AccountStore::addLoginFailure(const QString &email, const QString &address, qint64 at)
{
    return run(QStringLiteral("INSERT INTO login_failures (email, address, at) VALUES (?, ?, ?)"),
               {email, address, at});
}

int AccountStore::loginFailuresOfAccount(const QString &email, qint64 since)
{
    return count(QStringLiteral("SELECT COUNT(*) FROM login_failures WHERE email = ? AND at > ?"),
                 {email, since});
}

int AccountStore::loginFailuresFromAddress(const QString &address, qint64 since)
{
    return count(QStringLiteral("SELECT COUNT(*) FROM login_failures WHERE address = ? AND at > ?"),
                 {address, since});
}

bool AccountStore::clearLoginFailures(const QString &email)
{
    return run(QStringLiteral("DELETE FROM login_failures WHERE email = ?"), {email});
}

AccountStore::Lookup AccountStore::resetCode(const QString &email, ResetCode *code)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Lookup::Failed;
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("SELECT code_digest, sent_at, expires_at, failed_tries FROM reset_codes "
                                "WHERE email = ?"),
              {email}))
        return Lookup::Failed;
    if (!q.next())
        return Lookup::Missing;
    code->codeDigest = q.value(0).toString();
    code->sentAt = q.value(1).toLongLong();
    code->expiresAt = q.value(2).toLongLong();
    code->failedTries = q.value(3).toInt();
    return Lookup::Found;
}

bool AccountStore::putResetCode(const QString &email, const ResetCode &code)
{
    return run(QStringLiteral("INSERT INTO reset_codes (email, code_digest, sent_at, expires_at, failed_tries) "
                              "VALUES (?, ?, ?, ?, 0) ON CONFLICT (email) DO UPDATE SET "
                              "code_digest = excluded.code_digest, sent_at = excluded.sent_at, "
                              "expires_at = excluded.expires_at, failed_tries = 0"),
               {email, code.codeDigest, code.sentAt, code.expiresAt});
}

bool AccountStore::countFailedTry(const QString &email)
{
    return run(QStringLiteral("UPDATE reset_codes SET failed_tries = failed_tries + 1 WHERE email = ?"),
               {email});
}

bool AccountStore::removeResetCode(const QString &email)
{
    return run(QStringLiteral("DELETE FROM reset_codes WHERE email = ?"), {email});
}

bool AccountStore::addFile(const QString &id, const QString &ownerId, const QString &name,
                           qint64 size, qint64 now)
{
    return run(QStringLiteral("INSERT INTO files (id, owner_id, name, size, created_at) VALUES (?, ?, ?, ?, ?)"),
               {id, ownerId, name, size, now});
}

AccountStore::Lookup AccountStore::fileOwner(const QString &id, QString *ownerId)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Lookup::Failed;
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("SELECT owner_id FROM files WHERE id = ?"), {id}))
        return Lookup::Failed;
    if (!q.next())
        return Lookup::Missing;
    *ownerId = q.value(0).toString();
    return Lookup::Found;
}

bool AccountStore::saveConfig(const QString &userId, const QString &kind, const QString &configType,
                              const QString &fileId, const QString &content, qint64 now)
{
    return run(QStringLiteral("INSERT INTO configs (user_id, kind, config_type, file_id, content, saved_at) "
                              "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (user_id, kind, config_type) DO UPDATE "
                              "SET file_id = excluded.file_id, content = excluded.content, "
                              "saved_at = excluded.saved_at"),
               {userId, kind, configType, fileId, content, now});
}

AccountStore::Lookup AccountStore::configFile(const QString &userId, const QString &kind,
                                              const QString &configType, QString *fileId)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Lookup::Failed;
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("SELECT file_id FROM configs WHERE user_id = ? AND kind = ? AND config_type = ?"),
              {userId, kind, configType}))
        return Lookup::Failed;
    if (!q.next())
        return Lookup::Missing;
    *fileId = q.value(0).toString();
    return Lookup::Found;
}

bool AccountStore::putRelease(const Release &r, qint64 now)
{
    return run(QStringLiteral("INSERT INTO releases (version_type, version, version_date, file_id, published_at) "
                              "VALUES (?, ?, ?, ?, ?) ON CONFLICT (version_type) DO UPDATE SET "
                              "version = excluded.version, version_date = excluded.version_date, "
                              "file_id = excluded.file_id, published_at = excluded.published_at"),
               {r.versionType, r.version, r.versionDate, r.fileId, now});
}

AccountStore::Lookup AccountStore::release(const QString &versionType, Release *r)
{
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return Lookup::Failed;
    QSqlQuery q(db);
    if (!exec(q, QStringLiteral("SELECT version, version_date, file_id FROM releases WHERE version_type = ?"),
              {versionType}))
        return Lookup::Failed;
    if (!q.next())
        return Lookup::Missing;
    r->versionType = versionType;
    r->version = q.value(0).toString();
    r->versionDate = q.value(1).toString();
    r->fileId = q.value(2).toString();
    return Lookup::Found;
}
