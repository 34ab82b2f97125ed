#pragma once
// ConfigBundle: the export file of one model's five stored configurations and the user's macro
// files, and its import.
//
//   {"format": "qkdriver-configurations", "version": 1, "model": "<model folder name>",
//    "configurations": {"1": <configuration file>, ... "5": ...},
//    "macros": {"<file name>.json": <macro file>, ...}}
//
// An import is all or nothing: the whole file is checked first, exactly as the profile reader
// and the macro reader will read each part, and then every file is written as one
// (AtomicFile::writeAll), so a refused or failed import leaves every stored file as it was.

#include "common/atomicfile.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace ConfigBundle {

// An export larger than this is refused before it is read (five configurations with full macro
// slots and a generous macro library stay far below it).
constexpr qint64 kMaxBundleSize = 64 * 1024 * 1024;

struct Contents
{
    QString model;                         // model folder name the bundle is for
    QMap<int, QJsonObject> configurations; // configuration number 1..5 -> configuration file
    QMap<QString, QJsonObject> macros;     // macro file name -> macro file
    QStringList skippedMacros;             // export only: macro files whose names cannot travel
};

// The stored configurations of modelCode and the macro folder's files, as export writes them.
// Unreadable files are left out; macro files whose names import would refuse are listed in
// skippedMacros instead.
Contents collect(int modelCode);
// Writes contents as an export file. False, with *failure, when it cannot be written.
bool save(const QString &file, const Contents &contents, AtomicFile::Failure *failure);

// Reads and checks an export file for the model modelCode (its folder name must be the
// bundle's "model"). Returns nothing, with *error saying what is wrong, when the file cannot be
// read, is too large, is not an export, is for another model or holds anything the readers
// would not take whole.
std::optional<Contents> load(const QString &file, int modelCode, QString *error);
// Writes checked contents into the application folder as one. False, with *failure, when a file
// cannot be written; nothing is changed then.
bool store(const Contents &contents, int modelCode, AtomicFile::Failure *failure);

// Empty when configuration is a whole, valid configuration file of modelCode (the complete
// profile image of the model's size with bytes 0..255, macro slots within the model's limits);
// otherwise what is wrong.
QString configurationProblem(const QJsonObject &configuration, int modelCode);
// Empty when macro is a macro file the macro reader takes as it is; otherwise what is wrong.
QString macroProblem(const QJsonObject &macro);
// Whether name is a macro file name that export produces and import accepts: a plain file
// name ending in ".json", at most 255 bytes in UTF-8, without path separators, characters that
// a file name cannot hold on Windows, control, format (bidi) or unpaired surrogate characters,
// and not starting with "." or ending in a space or "." before ".json".
bool isValidMacroName(const QString &name);
// name for messages: UTF-8 bytes outside letters, digits and " .-_+()[]" percent-encoded, so that
// a NUL, a control or a bidi character shows as what it is.
QString printableName(const QString &name);

} // namespace ConfigBundle
