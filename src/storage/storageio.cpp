#include "storage/storageio.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonParseError>
#include <QMutex>
#include <QSaveFile>

#include <cmath>
#include <limits>

namespace {
QMutex g_hookMutex;
std::function<bool(const QString &)> g_commitHook;

bool commitAllowed(const QString &path)
{
    QMutexLocker lock(&g_hookMutex);
    return !g_commitHook || g_commitHook(path);
}
} // namespace

namespace StorageIo {

JsonRead readJson(const QString &path)
{
    JsonRead result;
    QFileInfo info(path);
    if (!info.exists())
        return result;
    if (info.isDir()) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    if (info.size() > kMaxJsonFileSize) {
        qWarning() << "json file too large" << path << info.size();
        result.status = ReadStatus::Unreadable;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "json file cannot be opened" << path << file.errorString();
        result.status = ReadStatus::Unreadable;
        return result;
    }
    // Bounded read: the file may have grown since the size check.
    const QByteArray bytes = file.read(kMaxJsonFileSize + 1);
    if (bytes.size() > kMaxJsonFileSize) {
        result.status = ReadStatus::Unreadable;
        return result;
    }
    if (bytes.isEmpty()) {
        result.status = ReadStatus::Empty;
        return result;
    }
    QJsonParseError error{};
    result.document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || result.document.isNull()) {
        qWarning() << "json file does not parse" << path << error.errorString();
        result.document = QJsonDocument();
        result.status = ReadStatus::Unreadable;
        return result;
    }
    result.status = ReadStatus::Ok;
    return result;
}

JsonObjectRead readJsonObject(const QString &path)
{
    const JsonRead read = readJson(path);
    JsonObjectRead result;
    result.status = read.status;
    if (read.status == ReadStatus::Ok) {
        if (read.document.isObject())
            result.object = read.document.object();
        else
            result.status = ReadStatus::Unreadable;
    }
    return result;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) {
        qWarning() << "write failed, no folder" << path;
        return false;
    }
    QSaveFile file(path);
    // Never fall back to writing the target in place: that is what loses data.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "write failed, cannot open" << path << file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        qWarning() << "write failed" << path << file.errorString();
        file.cancelWriting();
        file.commit(); // discards the temporary file
        return false;
    }
    if (!commitAllowed(path)) {
        qWarning() << "write failed, rename refused" << path;
        file.cancelWriting();
        file.commit();
        return false;
    }
    if (!file.commit()) {
        qWarning() << "write failed, rename" << path << file.errorString();
        return false;
    }
    return true;
}

bool writeJsonObject(const QString &path, const QJsonObject &object)
{
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

bool keepCorruptCopy(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "unreadable file cannot be kept" << path;
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QString copy = path + QStringLiteral(".corrupt");
    const bool ok = writeFileAtomically(copy, bytes);
    qWarning() << (ok ? "unreadable file kept as" : "unreadable file could not be kept as") << copy;
    return ok;
}

std::optional<int> intInRange(const QJsonValue &value, int low, int high)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < double(low) || d > double(high))
        return std::nullopt;
    return int(d);
}

int intOr(const QJsonValue &value, int fallback)
{
    return intInRange(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())
        .value_or(fallback);
}

void setCommitHookForTests(std::function<bool(const QString &path)> hook)
{
    QMutexLocker lock(&g_hookMutex);
    g_commitHook = std::move(hook);
}

} // namespace StorageIo
