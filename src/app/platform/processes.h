#pragma once
// The running programs and ending one of them, behind one small interface so the window can ask
// "is the updater running?" on any platform and tests can use a fake.

#include <QList>
#include <QString>

#include <memory>

namespace platform {

struct ProcessEntry
{
    qint64 pid = 0;
    QString name; // the program's file name without folder ("KelvoUpdataOnce.exe", "sh")
};

class Processes
{
public:
    virtual ~Processes() = default;
    // The running processes this user may see. A process that cannot be inspected gives no
    // entry; the list is read at once and never waits on another process.
    virtual QList<ProcessEntry> list() = 0;
    // Ends the process pid at once (it gets no chance to refuse). Returns false for ids that
    // name no single other process (0, negative ids and this process itself) and when the
    // system refuses.
    virtual bool end(qint64 pid) = 0;

    bool isRunning(const QString &name);

    static std::unique_ptr<Processes> create();
};

// Linux: reads /proc. The name is the file name of the process's executable, or its command
// name when the executable link cannot be read.
class ProcProcesses : public Processes
{
public:
    QList<ProcessEntry> list() override;
    bool end(qint64 pid) override;
};

// A fixed list; end() removes the entry and records the id.
class FakeProcesses : public Processes
{
public:
    QList<ProcessEntry> list() override { return entries; }
    bool end(qint64 pid) override;

    QList<ProcessEntry> entries;
    QList<qint64> ended;
};

} // namespace platform
