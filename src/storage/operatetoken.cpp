#include "storage/operatetoken.h"

#include "storage/storagepaths.h"

#include "common/atomicfile.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kToken = QStringLiteral("/INFO/token");
const QString kEmail = QStringLiteral("/INFO/email");
const QString kNickName = QStringLiteral("/INFO/nickName");
const QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The file holds a credential: before anything of the account is written, it becomes readable
// by its owner only. A new file is created empty with those permissions; an existing one is
// rewritten through AtomicFile with them (the temporary copy gets them before any content), so
// no copy of the token is ever readable by others. Later writes keep the permissions.
bool restrictToOwner(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && (info.permissions() & ~(kOwnerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser)) == 0)
        return true;
    QByteArray bytes;
    if (info.exists()) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        bytes = f.readAll();
    }
    return AtomicFile::write(path, bytes, nullptr, kOwnerOnly);
}
} // namespace

OperateToken::OperateToken(QObject *parent)
    : QObject(parent), m_ini(StoragePaths::systemIniFile())
{
}

QString OperateToken::GetToken() const { return m_ini.valueOr(kToken, QString()); }
QString OperateToken::GetEmail() const { return m_ini.valueOr(kEmail, QString()); }
QString OperateToken::GetNickName() const { return m_ini.valueOr(kNickName, QString()); }
bool OperateToken::SetToken(const QString &token)
{
    return restrictToOwner(m_ini.fileName()) && m_ini.setValue(kToken, token);
}
bool OperateToken::SetEmail(const QString &email)
{
    return restrictToOwner(m_ini.fileName()) && m_ini.setValue(kEmail, email);
}
bool OperateToken::SetNickName(const QString &nickName)
{
    return restrictToOwner(m_ini.fileName()) && m_ini.setValue(kNickName, nickName);
}
