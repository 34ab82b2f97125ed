#include "common/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QStringList>

namespace {
QMutex g_mutex;
QString g_override;

bool isWritableDir(const QString &dir)
{
    QFileInfo fi(dir);
    return fi.isDir() && fi.isWritable();
}

QString clean(const QString &dir)
{
    QString d = QDir::cleanPath(QDir(dir).absolutePath());
    return d;
}
} // namespace

namespace AppPaths {

void setHomeOverride(const QString &dir)
{
    QMutexLocker lock(&g_mutex);
    g_override = dir.isEmpty() ? QString() : clean(dir);
}

QString applyHomeArgument(const QStringList &arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        QString dir;
        if (a == QLatin1String("--home") && i + 1 < arguments.size())
            dir = arguments.at(i + 1);
        else if (a.startsWith(QLatin1String("--home=")))
            dir = a.mid(7);
        if (!dir.isEmpty()) {
            setHomeOverride(dir);
            return dir;
        }
    }
    return QString();
}

QString installDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (the file log of "-d" may already write), the
    // executable's own folder rather than the current directory.
    const QFileInfo exe(QStringLiteral("/proc/self/exe"));
    if (exe.exists())
        return QFileInfo(exe.canonicalFilePath()).absolutePath();
    return clean(QStringLiteral("."));
}

QString installedDataDir(const QString &exeDir)
{
#ifdef QKDRIVER_DATA_FROM_BIN
    const QString data = clean(exeDir + QStringLiteral("/" QKDRIVER_DATA_FROM_BIN));
#else
    const QString data = clean(exeDir + QStringLiteral("/../share/qkdriver"));
#endif
    return QFileInfo(data).isDir() ? data : QString();
}

QString resolve(const QString &homeOverride, const QString &homeEnv, const QString &exeDir,
                bool exeDirWritable, bool installed, const QString &dataLocation)
{
    if (!homeOverride.isEmpty())
        return clean(homeOverride);
    if (!homeEnv.isEmpty())
        return clean(homeEnv);
    if (installed)
        return clean(dataLocation);
    if (exeDirWritable)
        return clean(exeDir);
    return clean(dataLocation);
}

QString applicationDir()
{
    QString homeOverride;
    {
        QMutexLocker lock(&g_mutex);
        homeOverride = g_override;
    }
    const QString env = qEnvironmentVariable("QKDRIVER_HOME");
    const QString exe = installDir();
    const bool chosen = !homeOverride.isEmpty() || !env.isEmpty();
    const bool installed = !chosen && !installedDataDir(exe).isEmpty();
    const bool writable = !chosen && !installed && isWritableDir(exe);
    QString data;
    if (!chosen && !writable) {
        // One folder for QKDriver and qkdriverctl, whatever the application name is (and also
        // before the application object exists): $XDG_DATA_HOME/QKDriver.
        QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.local/share");
        data = base + QStringLiteral("/QKDriver");
        QDir().mkpath(data);
    }
    return resolve(homeOverride, env, exe, writable, installed, data);
}

QString shippedPath(const QString &relative)
{
    const QString own = applicationDir() + relative;
    if (QFileInfo::exists(own))
        return own;
    const QString exe = installDir();
    const QString data = installedDataDir(exe);
    const QString shipped = (data.isEmpty() ? exe : data) + relative;
    if (QFileInfo::exists(shipped))
        return shipped;
    return own;
}

} // namespace AppPaths
