#include "common/atomicfile.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
QMutex g_hookMutex;
std::function<bool(const QString &)> g_commitHook;
thread_local AtomicFile::FailureLog *t_innermost = nullptr;

QString randomSuffix()
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kChars[QRandomGenerator::global()->bounded(62)]);
    return suffix;
}

std::filesystem::path nativePath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// The file's error text; Qt says only "Unknown error" for a failed write of its buffer, while
// the system's own text ("No space left on device", "File too large") is still in errno.
QString systemReason(const QFile &file)
{
    const int error = errno;
#ifdef Q_OS_UNIX
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
#endif
    return file.errorString();
}

bool commitAllowed(const QString &path)
{
    QMutexLocker lock(&g_hookMutex);
    return !g_commitHook || g_commitHook(path);
}

bool fail(const QString &path, const QString &reason, AtomicFile::Failure *failure)
{
    const AtomicFile::Failure f{path, reason};
    qWarning() << "write failed" << path << reason;
    AtomicFile::record(f);
    if (failure)
        *failure = f;
    return false;
}

// A write stages its content in "<name>.XXXXXX" (six letters or digits) beside the target. A
// process killed between creating and renaming it leaves it behind; nothing else removes it.
void removeStaleTemporaries(const QString &path)
{
    const QFileInfo target(path);
    const QDir folder = target.absoluteDir();
    const QRegularExpression pattern(QStringLiteral("^%1\\.[A-Za-z0-9]{6}$")
                                         .arg(QRegularExpression::escape(target.fileName())));
    const QDateTime cutoff =
        QDateTime::currentDateTimeUtc().addSecs(-AtomicFile::kStaleTemporarySeconds);
    const QFileInfoList candidates =
        folder.entryInfoList({target.fileName() + QStringLiteral(".??????")},
                             QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &info : candidates) {
        // A young one may belong to a write in progress in another process.
        if (!pattern.match(info.fileName()).hasMatch() || info.lastModified().toUTC() > cutoff)
            continue;
        if (QFile::remove(info.absoluteFilePath()))
            qDebug() << "removed the temporary file of an interrupted write" << info.absoluteFilePath();
    }
}
} // namespace

namespace AtomicFile {

FailureLog::FailureLog() : m_outer(t_innermost)
{
    t_innermost = this;
}

FailureLog::~FailureLog()
{
    t_innermost = m_outer;
}

void record(const Failure &failure)
{
    for (FailureLog *log = t_innermost; log; log = log->m_outer)
        log->m_failures.append(failure);
}

bool write(const QString &path, const QByteArray &bytes, Failure *failure,
           std::optional<QFileDevice::Permissions> mode)
{
    return writeAll({Entry{path, bytes, mode}}, failure);
}

bool writeAll(const QList<Entry> &entries, Failure *failure)
{
    struct Staged
    {
        QString target;
        QString temporary;
    };
    QList<Staged> staged;
    auto discard = [&](const QString &path, const QString &reason) {
        for (const Staged &s : qAsConst(staged))
            QFile::remove(s.temporary);
        return fail(path, reason, failure);
    };

    // Phase 1: every new content lands, flushed and synced, in a temporary file beside its
    // target. Nothing the user has is touched yet.
    for (const Entry &e : entries) {
        // A symbolic link is followed: the file it names is replaced, the link stays.
        QFileInfo info(e.path);
        for (int depth = 0; depth < 32 && info.isSymLink(); ++depth)
            info.setFile(info.symLinkTarget());
        const QString folder = info.absolutePath();
        if (!QDir(folder).exists() && !QDir().mkpath(folder))
            return discard(e.path, QStringLiteral("cannot create the folder %1").arg(folder));
        if (info.isDir())
            return discard(e.path, QStringLiteral("a folder is in the way"));
        const QString target = info.absoluteFilePath();
        removeStaleTemporaries(target);

        QFile file;
        for (int attempt = 0; attempt < 16 && !file.isOpen(); ++attempt) {
            file.setFileName(target + QLatin1Char('.') + randomSuffix());
            // Created like any new file (default permissions), never over an existing one.
            file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        }
        if (!file.isOpen())
            return discard(e.path, file.errorString());
        staged.append({target, file.fileName()});
        const std::optional<QFileDevice::Permissions> mode =
            e.mode ? e.mode
                   : info.exists() ? std::optional<QFileDevice::Permissions>(info.permissions())
                                   : std::nullopt;
        if (mode && !file.setPermissions(*mode))
            return discard(e.path, QStringLiteral("cannot set the permissions: %1").arg(file.errorString()));
        // QFile buffers: the flush is where a full disk or a size limit shows for small files.
        errno = 0;
        if (file.write(e.bytes) != e.bytes.size() || !file.flush()
            || file.error() != QFileDevice::NoError)
            return discard(e.path, systemReason(file));
#ifdef Q_OS_UNIX
        // Some file systems report a lack of space only when the data is synced.
        if (::fsync(file.handle()) != 0 && errno != EINVAL)
            return discard(e.path, QString::fromLocal8Bit(std::strerror(errno)));
#endif
        file.close();
        if (file.error() != QFileDevice::NoError)
            return discard(e.path, file.errorString());
    }
    for (const Entry &e : entries)
        if (!commitAllowed(e.path))
            return discard(e.path, QStringLiteral("the file could not be renamed into place"));

    // Phase 2: renames only, which need no space; each target is old or new at any moment.
    for (int i = 0; i < staged.size(); ++i) {
        std::error_code error;
        std::filesystem::rename(nativePath(staged.at(i).temporary), nativePath(staged.at(i).target), error);
        if (error) {
            for (int j = i; j < staged.size(); ++j)
                QFile::remove(staged.at(j).temporary);
            return fail(staged.at(i).target, QString::fromStdString(error.message()), failure);
        }
    }
    return true;
}

void setCommitHookForTests(std::function<bool(const QString &path)> hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_commitHook = std::move(hook);
}

} // namespace AtomicFile
