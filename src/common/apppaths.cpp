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
    return clean(QStringLiteral("."));
}

QString resolve(const QString &homeOverride, const QString &homeEnv, const QString &exeDir,
                bool exeDirWritable, const QString &dataLocation)
{
    if (!homeOverride.isEmpty())
        return clean(homeOverride);
    if (!homeEnv.isEmpty())
        return clean(homeEnv);
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
    const bool writable = homeOverride.isEmpty() && env.isEmpty() && isWritableDir(exe);
    QString data;
    if (homeOverride.isEmpty() && env.isEmpty() && !writable) {
        data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        if (data.isEmpty())
            data = QDir::homePath() + QStringLiteral("/.local/share/QKDriver");
        QDir().mkpath(data);
    }
    return resolve(homeOverride, env, exe, writable, data);
}

QString shippedPath(const QString &relative)
{
    const QString own = applicationDir() + relative;
    if (QFileInfo::exists(own))
        return own;
    const QString shipped = installDir() + relative;
    if (QFileInfo::exists(shipped))
        return shipped;
    return own;
}

} // namespace AppPaths
