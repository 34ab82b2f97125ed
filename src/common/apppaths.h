#pragma once
// The application folder: where logs, settings, configurations and macros live.
//
// Resolution order: an explicit override (--home DIR), the QKDRIVER_HOME environment variable,
// the executable's folder when it is writable (a portable/unpacked build, as the product always
// worked), otherwise the per-user data location (an installed build under /usr must not lose its
// logs and settings because /usr/bin is read-only).
//
// Files shipped with the program (Language/translate.json, Font/) are looked up in the
// application folder first and then beside the executable, so an installed build still finds
// them while a user's own copy wins.

#include <QString>

namespace AppPaths {
// Absolute path of the application folder, without a trailing slash. Never empty.
QString applicationDir();
// The decision behind applicationDir(), without touching the environment: the first non-empty
// of homeOverride and homeEnv, else exeDir when it is writable, else dataLocation.
QString resolve(const QString &homeOverride, const QString &homeEnv, const QString &exeDir,
                bool exeDirWritable, const QString &dataLocation);
// Sets (or, with an empty string, clears) the --home override. Takes effect at once.
void setHomeOverride(const QString &dir);
// Scans the arguments for "--home DIR" / "--home=DIR" and applies it; returns the directory
// given, or an empty string when there is none.
QString applyHomeArgument(const QStringList &arguments);
// The executable's folder (QCoreApplication::applicationDirPath(), or "." before one exists).
QString installDir();
// applicationDir() + relative if that exists, else installDir() + relative, else the first.
// relative starts with "/" (e.g. "/Language/translate.json").
QString shippedPath(const QString &relative);
} // namespace AppPaths
