#include "collect.h"

#include "accountservice.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QUrlQuery>

namespace Collect {

QString hitsFile(const QString &dataDir)
{
    return dataDir + QStringLiteral("/collect/hits.log");
}

static HttpReply answer(int status, const char *text)
{
    HttpReply r;
    r.status = status;
    r.contentType = "text/plain";
    r.body = text;
    return r;
}

HttpReply store(const QString &dataDir, const QByteArray &body)
{
    if (body.isEmpty() || body.size() > kMaxHit)
        return answer(400, "not a hit\n");
    for (const char c : body) // fully form-encoded: printable ASCII, no white space
        if (c <= ' ' || c > '~')
            return answer(400, "not a hit\n");
    const QUrlQuery hit(QString::fromLatin1(body));
    if (hit.queryItemValue(QStringLiteral("v")) != QLatin1String("1") || hit.queryItemValue(QStringLiteral("tid")).isEmpty())
        return answer(400, "not a hit\n");

    const QString path = hitsFile(dataDir);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const QByteArray line = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + ' ' + body + '\n';
    if (!file.open(QIODevice::Append) || file.write(line) != line.size() || !file.flush())
        return answer(500, "hit not stored\n");
    return answer(200, "");
}

} // namespace Collect
