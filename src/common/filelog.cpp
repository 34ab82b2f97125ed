#include "common/filelog.h"

#include "common/apppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace {
QRecursiveMutex g_mutex; // a message logged while writing must not deadlock
std::function<QDateTime()> g_clock;
bool g_installed = false;
QtMessageHandler g_previous = nullptr;

QDateTime now()
{
    return g_clock ? g_clock() : QDateTime::currentDateTime();
}

void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    FileLog::write(type, message);
}
} // namespace

namespace FileLog {

QString messageText(QtMsgType type, const QString &message)
{
    switch (type) {
    case QtDebugMsg: return message;
    case QtWarningMsg: return QStringLiteral("Warning: ") + message;
    case QtCriticalMsg: return QStringLiteral("Critical: ") + message;
    case QtFatalMsg: return QStringLiteral("Fatal: ") + message;
    case QtInfoMsg: break;
    }
    return QString();
}

QString filePathFor(const QDateTime &when)
{
    return AppPaths::applicationDir() + QStringLiteral("/Log/")
        + when.toString(QStringLiteral("yyyy_MM_dd_hh")) + QStringLiteral(".txt");
}

bool write(QtMsgType type, const QString &message)
{
    QMutexLocker lock(&g_mutex);
    const QDateTime when = now();
    const QString path = filePathFor(when);
    if (!QFileInfo::exists(path))
        QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QString line = when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + QStringLiteral(": ")
        + messageText(type, message) + QLatin1Char('\n');
    f.write(line.toUtf8());
    return true;
}

void install()
{
    QMutexLocker lock(&g_mutex);
    if (g_installed)
        return;
    g_previous = qInstallMessageHandler(handler);
    g_installed = true;
}

void uninstall()
{
    QMutexLocker lock(&g_mutex);
    if (!g_installed)
        return;
    qInstallMessageHandler(g_previous);
    g_previous = nullptr;
    g_installed = false;
}

bool isInstalled()
{
    QMutexLocker lock(&g_mutex);
    return g_installed;
}

void setClock(std::function<QDateTime()> clock)
{
    QMutexLocker lock(&g_mutex);
    g_clock = std::move(clock);
}

} // namespace FileLog
