#include "app/platform/processes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#ifndef PSAPI_VERSION
#define PSAPI_VERSION 2 // the process services from kernel32, no extra library
#endif
#include <windows.h>
#include <psapi.h>
#else
#include <signal.h>
#include <sys/types.h>
#endif

namespace platform {

namespace {
// Ids that must never reach the system's "end process" call: on Linux 0 would end this
// program's whole process group and -1 every process the caller may signal.
bool endable(qint64 pid)
{
    return pid > 0 && pid != QCoreApplication::applicationPid();
}
} // namespace

bool Processes::isRunning(const QString &name)
{
    const QList<ProcessEntry> entries = list();
    for (const ProcessEntry &e : entries)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QList<ProcessEntry> ProcProcesses::list()
{
    QList<ProcessEntry> result;
    const QStringList ids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &id : ids) {
        bool ok = false;
        const qint64 pid = id.toLongLong(&ok);
        if (!ok || pid <= 0)
            continue;
        const QString dir = QStringLiteral("/proc/") + id;
        QString name = QFileInfo(QFile::symLinkTarget(dir + QStringLiteral("/exe"))).fileName();
        // A deleted executable's link ends in " (deleted)"; that is not part of its name.
        name.remove(QStringLiteral(" (deleted)"));
        if (name.isEmpty()) {
            QFile comm(dir + QStringLiteral("/comm"));
            if (!comm.open(QIODevice::ReadOnly))
                continue; // ended meanwhile
            name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        }
        if (!name.isEmpty())
            result.append({pid, name});
    }
    return result;
}

bool ProcProcesses::end(qint64 pid)
{
    if (!endable(pid))
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid));
    if (!process)
        return false;
    const bool ok = TerminateProcess(process, 1);
    CloseHandle(process);
    return ok;
#else
    return ::kill(pid_t(pid), SIGKILL) == 0;
#endif
}

bool FakeProcesses::end(qint64 pid)
{
    if (!endable(pid))
        return false;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].pid == pid) {
            entries.removeAt(i);
            ended.append(pid);
            return true;
        }
    }
    return false;
}

#ifdef Q_OS_WIN
namespace {
// Enumerates up to 1024 process ids and keeps, for each process that can be opened for query
// and memory-read access, the file name of its main module.
class WindowsProcesses : public ProcProcesses
{
public:
    QList<ProcessEntry> list() override
    {
        QList<ProcessEntry> result;
        DWORD ids[1024];
        DWORD bytes = 0;
        if (!EnumProcesses(ids, sizeof ids, &bytes))
            return result;
        for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
            HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
            if (!process)
                continue;
            wchar_t path[MAX_PATH];
            const DWORD n = GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
            CloseHandle(process);
            if (n == 0)
                continue;
            const QString full = QString::fromWCharArray(path, int(n));
            result.append({qint64(ids[i]), full.mid(full.lastIndexOf(QLatin1Char('\\')) + 1)});
        }
        return result;
    }
};
} // namespace

std::unique_ptr<Processes> Processes::create()
{
    return std::make_unique<WindowsProcesses>();
}
#else
std::unique_ptr<Processes> Processes::create()
{
    return std::make_unique<ProcProcesses>();
}
#endif

} // namespace platform
