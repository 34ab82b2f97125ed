#include "storage/storageio.h"

#include "common/atomicfile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonParseError>

#include <cmath>
#include <limits>

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
    return AtomicFile::write(path, bytes);
}

bool writeJsonObject(const QString &path, const QJsonObject &object)
{
    return writeFileAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString corruptCopyName(const QString &path, int generation)
{
    const QString copy = path + QStringLiteral(".corrupt");
    return generation == 0 ? copy : copy + QLatin1Char('.') + QString::number(generation);
}

bool keepCorruptCopy(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        qWarning() << "unreadable file cannot be kept" << path << "is a folder";
        AtomicFile::record({path, QStringLiteral("a folder is in the way")});
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning() << "unreadable file cannot be kept" << path;
        AtomicFile::record({path, QStringLiteral("cannot be read to keep a copy: %1").arg(file.errorString())});
        return false;
    }
    // Bounded: a file too large to be ours is still kept whole up to the read limit of the
    // stores (a bigger one is not a configuration anybody can lose).
    const QByteArray bytes = file.read(kMaxJsonFileSize + 1);
    const QString newest = corruptCopyName(path, 0);
    QFile previous(newest);
    if (previous.open(QIODevice::ReadOnly) && previous.read(kMaxJsonFileSize + 1) == bytes) {
        qWarning() << "unreadable file already kept as" << newest;
        return true;
    }
    previous.close();
    // Older generations move up one place; the oldest beyond the limit is dropped. Each step is
    // a rename, so an interruption leaves a gap in the numbers and never loses a copy.
    QFile::remove(corruptCopyName(path, kCorruptGenerations - 1));
    for (int g = kCorruptGenerations - 2; g >= 0; --g)
        if (QFile::exists(corruptCopyName(path, g)))
            QFile::rename(corruptCopyName(path, g), corruptCopyName(path, g + 1));
    // The copy is as private as the original (a 0600 file must not become readable by all).
    const bool ok = AtomicFile::write(newest, bytes, nullptr, file.permissions());
    qWarning() << (ok ? "unreadable file kept as" : "unreadable file could not be kept as") << newest;
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
    AtomicFile::setCommitHookForTests(std::move(hook));
}

} // namespace StorageIo
