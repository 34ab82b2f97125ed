#include "common/devicelock.h"

#include "common/apppaths.h"

#include <QDir>
#include <QFileInfo>

QString DeviceLock::guiProcessName()
{
    return QStringLiteral("QKDriver");
}

bool DeviceLock::isGuiProcessName(const QString &name)
{
    // Windows names the process with its ".exe".
    return QFileInfo(name).completeBaseName().compare(guiProcessName(), Qt::CaseInsensitive) == 0
        && !name.isEmpty();
}

QString DeviceLock::lockPath()
{
    return AppPaths::applicationDir() + QStringLiteral("/qkdriver.lock");
}

DeviceLock::DeviceLock() = default;

DeviceLock::~DeviceLock() = default;

DeviceLock::Outcome DeviceLock::acquire(int waitMs)
{
    release();
    QDir().mkpath(AppPaths::applicationDir());
    m_lock = std::make_unique<QLockFile>(lockPath());
    // No age limit: a firmware update holds the lock far longer than QLockFile's default 30 s.
    // A lock is stale only when its process is gone.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Outcome::Taken;
    if (m_lock->error() != QLockFile::LockFailedError)
        return failed();
    m_lock->getLockInfo(&m_holderPid, nullptr, &m_holderName);
    if (waitMs <= 0 || heldByGui())
        return Outcome::Held;
    if (m_lock->tryLock(waitMs))
        return Outcome::Taken;
    if (m_lock->error() != QLockFile::LockFailedError)
        return failed();
    m_lock->getLockInfo(&m_holderPid, nullptr, &m_holderName);
    return Outcome::Held;
}

DeviceLock::Outcome DeviceLock::failed()
{
    m_lock.reset();
    return Outcome::Unavailable;
}

void DeviceLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
    m_holderPid = 0;
    m_holderName.clear();
}
