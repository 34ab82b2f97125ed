#include "support/temphome.h"

#include "common/apppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempHome::TempHome() : m_hadEnv(qEnvironmentVariableIsSet("QKDRIVER_HOME"))
{
    m_previousEnv = qgetenv("QKDRIVER_HOME");
    qputenv("QKDRIVER_HOME", m_dir.path().toLocal8Bit());
    AppPaths::setHomeOverride(m_dir.path());
}

TempHome::~TempHome()
{
    AppPaths::setHomeOverride(QString());
    if (m_hadEnv)
        qputenv("QKDRIVER_HOME", m_previousEnv);
    else
        qunsetenv("QKDRIVER_HOME");
}

bool TempHome::write(const QString &relative, const QByteArray &bytes) const
{
    const QString p = file(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray TempHome::read(const QString &relative) const
{
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
