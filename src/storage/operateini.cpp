#include "storage/operateini.h"

#include "common/atomicfile.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

OperateIni::OperateIni(QObject *parent) : QObject(parent) {}

OperateIni::OperateIni(const QString &path, QObject *parent) : QObject(parent)
{
    open(path);
}

OperateIni::~OperateIni() = default;

void OperateIni::open(const QString &path)
{
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    m_settings->setIniCodec("UTF-8");
    m_settings->setAtomicSyncRequired(true);
}

bool OperateIni::isOpen() const
{
    return m_settings != nullptr;
}

QString OperateIni::fileName() const
{
    return m_settings ? m_settings->fileName() : QString();
}

QString OperateIni::textOf(const QVariant &value)
{
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString OperateIni::value(const QString &key) const
{
    if (!m_settings)
        return QStringLiteral("key error or unInit obj");
    return valueOr(key, QStringLiteral("NULL"));
}

QString OperateIni::valueOr(const QString &key, const QString &fallback) const
{
    if (!m_settings)
        return fallback;
    const QVariant v = m_settings->value(key);
    return v.isValid() ? textOf(v) : fallback;
}

bool OperateIni::setValue(const QString &key, const QString &text)
{
    if (!m_settings)
        return false;
    const bool ok = update(m_settings->fileName(), [&](QSettings &s) { s.setValue(key, text); });
    m_settings->sync(); // picks up the new file (or keeps the old one)
    if (!ok)
        qWarning() << "OperateIni" << "write failed" << m_settings->fileName();
    return ok;
}

bool OperateIni::update(const QString &path, const std::function<void(QSettings &)> &change)
{
    auto failed = [&](const QString &reason) {
        qWarning() << "OperateIni" << "write failed" << path << reason;
        AtomicFile::record({path, reason});
        return false;
    };
    const QFileInfo before(path);
    const qint64 sizeBefore = before.size();
    const QDateTime timeBefore = before.lastModified();
    if (before.isDir())
        return failed(QStringLiteral("a folder is in the way"));
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return failed(QStringLiteral("no scratch folder for the new settings: %1").arg(scratch.errorString()));
    const QString draft = scratch.filePath(QStringLiteral("draft.ini"));
    QFile source(path);
    if (before.exists() && !source.copy(draft))
        return failed(QStringLiteral("cannot be copied for the change: %1").arg(source.errorString()));
    QMap<QString, QString> expected;
    {
        QSettings settings(draft, QSettings::IniFormat);
        settings.setIniCodec("UTF-8");
        change(settings);
        for (const QString &key : settings.allKeys())
            expected.insert(key, textOf(settings.value(key)));
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return failed(QStringLiteral("the new settings could not be prepared"));
    }
    // Read back under another name: QSettings caches a file it wrote by name, size and time, so
    // only a fresh name makes it parse what really reached the disk.
    const QString written = scratch.filePath(QStringLiteral("written.ini"));
    if (!QFile::rename(draft, written))
        return failed(QStringLiteral("the new settings could not be prepared"));
    {
        QSettings check(written, QSettings::IniFormat);
        check.setIniCodec("UTF-8");
        QMap<QString, QString> found;
        for (const QString &key : check.allKeys())
            found.insert(key, textOf(check.value(key)));
        if (check.status() != QSettings::NoError || found != expected)
            return failed(QStringLiteral("the new settings could not be prepared (no space?)"));
    }
    QFile file(written);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    if (!AtomicFile::write(path, file.readAll()))
        return false;
    // QSettings objects on path notice a new file by its size and time (to the millisecond);
    // make sure a same-sized file written within the same millisecond is still noticed.
    const QFileInfo after(path);
    if (before.exists() && after.size() == sizeBefore && after.lastModified() == timeBefore) {
        QFile touched(path);
        if (touched.open(QIODevice::ReadWrite))
            touched.setFileTime(timeBefore.addMSecs(1), QFileDevice::FileModificationTime);
    }
    return true;
}
