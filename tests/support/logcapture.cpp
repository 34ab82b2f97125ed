#include "support/logcapture.h"

#include <QMutex>

namespace {
QMutex g_mutex;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;
bool g_silent = true;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&g_mutex);
        g_lines.append(message);
    }
    if (!g_silent && g_previous)
        g_previous(type, context, message);
}
} // namespace

LogCapture::LogCapture()
{
    QMutexLocker lock(&g_mutex);
    g_lines.clear();
    g_silent = qEnvironmentVariableIsEmpty("QK_TEST_VERBOSE");
    g_previous = qInstallMessageHandler(handler);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    QMutexLocker lock(&g_mutex);
    g_lines.clear();
}

QStringList LogCapture::lines() const
{
    QMutexLocker lock(&g_mutex);
    return g_lines;
}

bool LogCapture::contains(const QString &line) const
{
    return count(line) > 0;
}

int LogCapture::count(const QString &line) const
{
    QMutexLocker lock(&g_mutex);
    return int(g_lines.count(line));
}

int LogCapture::countStartingWith(const QString &prefix) const
{
    QMutexLocker lock(&g_mutex);
    int n = 0;
    for (const QString &l : qAsConst(g_lines))
        n += l.startsWith(prefix) ? 1 : 0;
    return n;
}

void LogCapture::clear()
{
    QMutexLocker lock(&g_mutex);
    g_lines.clear();
}
