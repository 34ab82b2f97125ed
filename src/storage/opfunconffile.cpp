#include "storage/opfunconffile.h"

#include "storage/storagepaths.h"

#include <QRegularExpression>
#include <QStringList>

namespace {
const QString kMidKey = QStringLiteral("/SET/Mid_key");
const QString kMidWheel = QStringLiteral("/SET/Mid_wheel");
const QString kSideUpkey = QStringLiteral("/SET/Side_upkey");
const QString kSideDownkey = QStringLiteral("/SET/Side_downkey");
const QString kSideWheel = QStringLiteral("/SET/Side_wheel");

QString escaped(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return text;
}
} // namespace

OpFunConfFile::OpFunConfFile(QObject *parent)
    : QObject(parent), m_ini(StoragePaths::systemIniFile())
{
}

QString OpFunConfFile::assignmentJson(const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('-'));
    if (parts.size() != 3)
        return QString();
    static const QRegularExpression integer(QStringLiteral("^[0-9]{1,9}$"));
    if (!integer.match(parts.at(1)).hasMatch())
        return QString();
    return QStringLiteral("{\"name\":\"%1\",\"index\":%2,\"tag\":\"%3\"}")
        .arg(escaped(parts.at(0)), QString::number(parts.at(1).toInt()), escaped(parts.at(2)));
}

QString OpFunConfFile::get(const QString &key) const
{
    return assignmentJson(m_ini.valueOr(key, QString()));
}

QString OpFunConfFile::GetMidKeyVal() const { return get(kMidKey); }
QString OpFunConfFile::GetMidWheelVal() const { return get(kMidWheel); }
QString OpFunConfFile::GetSideDownkeyVal() const { return get(kSideDownkey); }
QString OpFunConfFile::GetSideUpkeyVal() const { return get(kSideUpkey); }
QString OpFunConfFile::GetSideWheel() const { return get(kSideWheel); }

bool OpFunConfFile::SetMidKeyVal(const QString &text) { return m_ini.setValue(kMidKey, text); }
bool OpFunConfFile::SetMidWheelVal(const QString &text) { return m_ini.setValue(kMidWheel, text); }
bool OpFunConfFile::SetSideDownkeyVal(const QString &text)
{
    return m_ini.setValue(kSideDownkey, text);
}
bool OpFunConfFile::SetSideUpkeyVal(const QString &text) { return m_ini.setValue(kSideUpkey, text); }
bool OpFunConfFile::SetSideWheel(const QString &text) { return m_ini.setValue(kSideWheel, text); }

bool OpFunConfFile::SetDefault()
{
    bool ok = true;
    for (const QString &key : {kMidKey, kMidWheel, kSideUpkey, kSideDownkey, kSideWheel})
        ok = m_ini.setValue(key, QString()) && ok;
    return ok;
}
