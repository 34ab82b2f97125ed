#include "storage/cloudarchive.h"

#include <JlCompress.h>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// No configuration or macro library comes near this; a larger total is a zip bomb.
constexpr qint64 kMaxUnpackedBytes = 64 * 1024 * 1024;

bool isLink(const QuaZipFileInfo64 &info)
{
    // Zips made on Unix keep the file mode in the high half of the external attributes.
    const quint32 mode = info.externalAttr >> 16;
    return (mode & 0170000) == 0120000;
}

// Checks every entry before anything is written; false when the archive is unreadable, too
// large unpacked, or any entry is unsafe (*unsafe set).
bool checkedEntries(QuaZip &zip, bool *unsafe)
{
    qint64 total = 0;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return false;
        if (!CloudArchive::isSafeEntryName(info.name) || isLink(info)) {
            qWarning() << "refusing archive entry" << info.name;
            *unsafe = true;
            return false;
        }
        total += qint64(info.uncompressedSize);
        if (total > kMaxUnpackedBytes) {
            qWarning() << "archive unpacks to more than" << kMaxUnpackedBytes << "bytes";
            return false;
        }
    }
    return zip.getZipError() == UNZ_OK;
}

bool extractInto(QuaZip &zip, const QString &staging, int *files)
{
    QDir root(staging);
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        const QString name = zip.getCurrentFileName();
        const QString path = root.absoluteFilePath(name);
        if (name.endsWith(QLatin1Char('/'))) {
            if (!QDir().mkpath(path))
                return false;
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            return false;
        QuaZipFile in(&zip);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        qint64 written = 0;
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(64 * 1024);
            if (chunk.isEmpty() && in.getZipError() != UNZ_OK)
                return false;
            written += chunk.size();
            if (written > kMaxUnpackedBytes || out.write(chunk) != chunk.size())
                return false;
        }
        in.close();
        // A damaged entry shows as a CRC error only once it has been read to its end.
        if (in.getZipError() != UNZ_OK || !out.flush())
            return false;
        ++*files;
    }
    return zip.getZipError() == UNZ_OK;
}

} // namespace

namespace CloudArchive {

bool isSafeEntryName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar(0)))
        return false;
    // "C:..." would be absolute on Windows.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':'))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString &part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return true;
}

bool compressFolder(const QString &folder, const QString &zipPath)
{
    if (!QFileInfo(folder).isDir())
        return false;
    if (QFile::exists(zipPath) && !QFile::remove(zipPath))
        return false;
    return JlCompress::compressDir(zipPath, folder, true);
}

Unpacked replaceFolder(const QString &zipPath, const QString &target)
{
    QuaZip zip(zipPath);
    if (!zip.open(QuaZip::mdUnzip))
        return Unpacked::Broken;
    bool unsafe = false;
    if (!checkedEntries(zip, &unsafe))
        return unsafe ? Unpacked::Unsafe : Unpacked::Broken;

    const QString staging = target + QLatin1Char('1');
    QDir(staging).removeRecursively();
    if (!QDir().mkpath(staging))
        return Unpacked::SwapFailed;
    int files = 0;
    if (!extractInto(zip, staging, &files)) {
        QDir(staging).removeRecursively();
        return Unpacked::Broken;
    }
    if (files == 0) {
        QDir(staging).removeRecursively();
        return Unpacked::Empty;
    }

    // Swap: the old folder steps aside, the staging folder takes its name, then the old one goes.
    const QString old = target + QStringLiteral(".old");
    QDir(old).removeRecursively();
    const bool hadTarget = QFileInfo::exists(target);
    if (hadTarget && !QDir().rename(target, old)) {
        QDir(staging).removeRecursively();
        return Unpacked::SwapFailed;
    }
    if (!QDir().rename(staging, target)) {
        if (hadTarget)
            QDir().rename(old, target);
        QDir(staging).removeRecursively();
        return Unpacked::SwapFailed;
    }
    QDir(old).removeRecursively();
    return Unpacked::Replaced;
}

Unpacked replaceFolderFromBytes(const QByteArray &zipBytes, const QString &target)
{
    const QString zipPath = target + QStringLiteral(".zip");
    if (QFile::exists(zipPath) && !QFile::remove(zipPath)) {
        qWarning() << "Remove File Failed" << zipPath;
        return Unpacked::Broken;
    }
    if (!QDir().mkpath(QFileInfo(zipPath).absolutePath()))
        return Unpacked::Broken;
    {
        QFile file(zipPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(zipBytes) != zipBytes.size() || !file.flush()) {
            file.close();
            QFile::remove(zipPath);
            return Unpacked::Broken;
        }
        qDebug() << "saveFile file size " << zipBytes.size();
    }
    const Unpacked result = replaceFolder(zipPath, target);
    QFile::remove(zipPath);
    return result;
}

} // namespace CloudArchive
