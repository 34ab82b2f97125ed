#pragma once
// Every file below a folder (hidden ones included), by path relative to it, with its bytes:
// two folders hold the same files exactly when their trees compare equal.

#include <QByteArray>
#include <QMap>
#include <QString>

using FileTree = QMap<QString, QByteArray>;

FileTree readTree(const QString &folder);
