#pragma once
// File primitives shared by the JSON, gear and INI stores.
//
// Files are replaced atomically: the new content goes to a temporary file beside the target,
// which is then renamed over it (QSaveFile). A failure at any point leaves the previous file as
// it was, so a crash, a full disk or a power loss never costs the user a configuration.

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <optional>

namespace StorageIo {

// JSON files larger than this are refused unread (no configuration, gear or macro file comes
// near it; a bigger one is damaged or not ours).
constexpr qint64 kMaxJsonFileSize = 16 * 1024 * 1024;

enum class ReadStatus {
    Ok,         // parsed (for readJsonObject: and the document is an object)
    Missing,    // no such file
    Empty,      // the file exists and holds no bytes
    Unreadable, // cannot be opened, too large, does not parse, or is not of the expected kind
};

struct JsonRead
{
    ReadStatus status = ReadStatus::Missing;
    QJsonDocument document;
};
struct JsonObjectRead
{
    ReadStatus status = ReadStatus::Missing;
    QJsonObject object; // empty unless status is Ok
};

// Reads and parses a whole JSON file. Never fails loudly: the status says what was found.
JsonRead readJson(const QString &path);
// As readJson, but a document that is not an object counts as Unreadable.
JsonObjectRead readJsonObject(const QString &path);

// Replaces path with bytes atomically through AtomicFile::write, creating the parent folder when
// missing. Returns false (and logs and records the failure) when the folder, the temporary
// file, the write, its flush or sync, or the final rename fails; the old file is then untouched
// and no temporary file is left behind.
bool writeFileAtomically(const QString &path, const QByteArray &bytes);
// writeFileAtomically with the object serialised as compact JSON.
bool writeJsonObject(const QString &path, const QJsonObject &object);

// How many copies of unreadable versions of one file are kept: path + ".corrupt" is the newest,
// path + ".corrupt.1" the one before, up to ".corrupt.<kCorruptGenerations - 1>".
constexpr int kCorruptGenerations = 5;
// The name of copy generation (0 = newest) of path.
QString corruptCopyName(const QString &path, int generation);

// Keeps a copy of an unreadable file as path + ".corrupt" before the file is overwritten, with
// the original's permissions, and logs it. Older copies move to ".corrupt.1", ".corrupt.2", ...
// (a copy equal to the newest one is not made twice). Returns false when the copy could not be
// made; the failure is recorded like a failed write (AtomicFile::FailureLog).
bool keepCorruptCopy(const QString &path);

// Strict JSON number readers: a value counts only when it is a JSON number holding a whole
// value inside the range; strings, booleans, objects, arrays and fractions do not.
std::optional<int> intInRange(const QJsonValue &value, int low, int high);
// intInRange over the whole int range, or fallback.
int intOr(const QJsonValue &value, int fallback);

// Test seam: called with the target path after the temporary file has been written and before
// it is renamed over the target; returning false makes the write fail at that point, exactly
// as a failing rename would. An empty function (the default) lets every write through.
void setCommitHookForTests(std::function<bool(const QString &path)> hook);

} // namespace StorageIo
