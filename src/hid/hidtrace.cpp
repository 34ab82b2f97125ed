#include "hid/hidtrace.h"

#include "common/pacer.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>

namespace {
QMutex g_traceMutex;
}

namespace HidTrace {

QString fileName()
{
    return qEnvironmentVariable("QKDRIVER_HID_TRACE");
}

bool append(const QString &file, const QString &direction, const QString &path,
            const QString &kind, const QByteArray &bytes, int result)
{
    QJsonObject line;
    line.insert(QStringLiteral("time"),
                QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    line.insert(QStringLiteral("clock_ms"), double(Pacer::nowMs()));
    line.insert(QStringLiteral("dir"), direction);
    line.insert(QStringLiteral("path"), path);
    line.insert(QStringLiteral("kind"), kind);
    line.insert(QStringLiteral("bytes"), QString::fromLatin1(bytes.toHex()));
    line.insert(QStringLiteral("result"), result);
    QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact);
    text.append('\n');

    // Appending (not replacing) a log: one open per line so that concurrent threads and a
    // crash never leave half a line behind another.
    QMutexLocker lock(&g_traceMutex);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return f.write(text) == text.size();
}

} // namespace HidTrace
