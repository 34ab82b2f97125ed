#include "storage/operatetoken.h"

#include "storage/storagepaths.h"

namespace {
const QString kToken = QStringLiteral("/INFO/token");
const QString kEmail = QStringLiteral("/INFO/email");
const QString kNickName = QStringLiteral("/INFO/nickName");
} // namespace

OperateToken::OperateToken(QObject *parent)
    : QObject(parent), m_ini(StoragePaths::systemIniFile())
{
}

QString OperateToken::GetToken() const { return m_ini.valueOr(kToken, QString()); }
QString OperateToken::GetEmail() const { return m_ini.valueOr(kEmail, QString()); }
QString OperateToken::GetNickName() const { return m_ini.valueOr(kNickName, QString()); }
bool OperateToken::SetToken(const QString &token) { return m_ini.setValue(kToken, token); }
bool OperateToken::SetEmail(const QString &email) { return m_ini.setValue(kEmail, email); }
bool OperateToken::SetNickName(const QString &nickName)
{
    return m_ini.setValue(kNickName, nickName);
}
