#pragma once
// The one checked write path for every file the program replaces: configurations, gear files,
// INI files, macros, exports, ".corrupt" copies and the emulators' memory files.
//
// The new content goes to a temporary file beside the target ("<name>.XXXXXX"), is flushed and
// synced, and only then renamed over the target (a file that exists keeps its permissions). A failure at any point (no folder, no space,
// a file-size limit, a failed rename) leaves the previous file byte for byte as it was, removes
// the temporary file and is reported: a write never claims success for bytes that did not reach
// the disk. (QSaveFile is not used: its write() only fills a buffer, and in Qt 5.15 a failing
// final flush inside commit() still renames the truncated file into place.)

#include <QByteArray>
#include <QFileDevice>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace AtomicFile {

struct Failure
{
    QString path;   // the file that was to be written
    QString reason; // what went wrong, for people ("No space left on device", ...)
};

// Replaces path with bytes, creating the parent folder when missing. mode, when given, becomes
// the new file's permissions; otherwise a file that exists keeps its permissions and a new one
// gets the default ones. Returns false when anything fails; *failure (when given) then says
// what, the failure is logged and recorded in every FailureLog of the calling thread.
bool write(const QString &path, const QByteArray &bytes, Failure *failure = nullptr,
           std::optional<QFileDevice::Permissions> mode = std::nullopt);

struct Entry
{
    QString path;
    QByteArray bytes;
    std::optional<QFileDevice::Permissions> mode; // as for write()
};

// Writes several files as one: all of them are first written and synced beside their targets;
// only when every one succeeded are they renamed into place, so a failure (a full disk halfway)
// leaves every target as it was. Renames need no space; only a rename refused by the system
// after all files were staged could leave the files before it replaced. Returns false as
// write() does, naming the first file that failed.
bool writeAll(const QList<Entry> &entries, Failure *failure = nullptr);

// Collects, while it exists, every failed write made on the thread that created it, so that a
// caller several layers above the write (the coordinator around a request) learns that a save
// failed and why. Scopes nest; a failure is recorded in all of them.
class FailureLog
{
public:
    FailureLog();
    ~FailureLog();
    FailureLog(const FailureLog &) = delete;
    FailureLog &operator=(const FailureLog &) = delete;

    const QList<Failure> &failures() const { return m_failures; }
    bool isEmpty() const { return m_failures.isEmpty(); }

private:
    friend void record(const Failure &failure);
    FailureLog *m_outer = nullptr;
    QList<Failure> m_failures;
};

// Records a failure in the calling thread's FailureLog scopes (for writers that fail before
// they reach write(), such as an INI file whose content could not be produced).
void record(const Failure &failure);

// Temporary files that an interrupted write (a killed process) leaves beside a target are
// removed by the next write of that target once they are older than this.
constexpr int kStaleTemporarySeconds = 60;

// Test seam: called with the target path after the temporary file has been written and synced
// and before it is renamed over the target; returning false makes the write fail at that point,
// exactly as a failing rename would. An empty function (the default) lets every write through.
void setCommitHookForTests(std::function<bool(const QString &path)> hook);

} // namespace AtomicFile
