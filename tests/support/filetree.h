#pragma once
// Files for tests. readTree: every file below a folder (hidden ones included), by path relative to it, with its bytes:
// two folders hold the same files exactly when their trees compare equal.

#include <QByteArray>
#include <QMap>
#include <QString>

using FileTree = QMap<QString, QByteArray>;

FileTree readTree(const QString &folder);

// Writes bytes to path (replacing it), creating its folders; false when that fails.
bool writeFile(const QString &path, const QByteArray &bytes);
