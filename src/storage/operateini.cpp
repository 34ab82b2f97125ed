#include "storage/operateini.h"

#include <QDebug>
#include <QSettings>
#include <QStringList>

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
    m_settings->setValue(key, text);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        qWarning() << "OperateIni" << "write failed" << m_settings->fileName()
                   << int(m_settings->status());
        return false;
    }
    return true;
}
