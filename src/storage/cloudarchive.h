#pragma once
// CloudArchive: the zipped folders that the cloud sync uploads and downloads (a model's
// configuration folder, the macro library).
//
// Packing is JlCompress::compressDir, recursive. Unpacking never trusts the archive: every entry
// is checked before anything is written (no absolute name, no "..", no drive letter, no
// backslash, no symbolic link, nothing that resolves outside the target), the archive is
// extracted into a staging folder next to the target, and only a complete extraction replaces
// the target; a refused, broken or empty archive leaves the target as it was.

#include <QByteArray>
#include <QString>

namespace CloudArchive {

// Zips folder (recursively) into zipPath, replacing an older zip there. False when the folder
// does not exist or the zip cannot be written.
bool compressFolder(const QString &folder, const QString &zipPath);

enum class Unpacked {
    Replaced,    // the target now holds exactly the archive's files
    Unsafe,      // an entry would land outside the target or is a link: nothing written
    Broken,      // not a readable zip, or an entry failed to extract: target untouched
    Empty,       // the archive holds no file: target untouched
    SwapFailed,  // extraction succeeded but the target could not be replaced: target untouched
};

// Replaces the folder target by the contents of zipPath (see above). The staging folder is
// target + "1"; a leftover from an interrupted run is removed first.
Unpacked replaceFolder(const QString &zipPath, const QString &target);

// Writes the downloaded bytes to target + ".zip" (replacing an older file there), replaces the
// folder from it as above, and removes the zip again.
Unpacked replaceFolderFromBytes(const QByteArray &zipBytes, const QString &target);

// Whether an entry name stays inside the folder it is extracted into.
bool isSafeEntryName(const QString &name);

} // namespace CloudArchive
