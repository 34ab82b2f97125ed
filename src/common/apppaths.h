#pragma once
// The application folder: where logs, settings, configurations and macros live.
//
// Resolution order: an explicit override (--home DIR), the QKDRIVER_HOME environment variable,
// the per-user data location (~/.local/share/QKDriver) for an installed program, the
// executable's folder when it is writable (a portable/unpacked build, as the product always
// worked), otherwise the per-user data location again. An installed program never writes below
// its install prefix, even when it could (run by root, or installed into the user's own
// ~/.local): it is recognised by its shipped data folder (<prefix>/share/qkdriver beside
// <prefix>/bin), which `cmake --install` and the package lay out.
//
// Files shipped with the program (Language/translate.json, Font/) are looked up in the
// application folder first and then in the shipped data folder (beside the executable for a
// build that is not installed), so an installed build still finds them while a user's own copy
// wins.

#include <QString>

namespace AppPaths {
// Absolute path of the application folder, without a trailing slash. Never empty.
QString applicationDir();
// The decision behind applicationDir(), without touching the environment: the first non-empty
// of homeOverride and homeEnv, else dataLocation for an installed program, else exeDir when it
// is writable, else dataLocation.
QString resolve(const QString &homeOverride, const QString &homeEnv, const QString &exeDir,
                bool exeDirWritable, bool installed, const QString &dataLocation);
// Sets (or, with an empty string, clears) the --home override. Takes effect at once.
void setHomeOverride(const QString &dir);
// Scans the arguments for "--home DIR" / "--home=DIR" and applies it; returns the directory
// given, or an empty string when there is none.
QString applyHomeArgument(const QStringList &arguments);
// The executable's folder (QCoreApplication::applicationDirPath(), or the folder of
// /proc/self/exe before one exists).
QString installDir();
// The shipped data folder of a program installed with its executable in exeDir
// (exeDir + "/../share/qkdriver" for the default layout), or an empty string when there is no
// such folder (a build tree, an unpacked portable copy).
QString installedDataDir(const QString &exeDir);
// applicationDir() + relative if that exists, else the shipped data folder (installedDataDir(),
// or installDir() when not installed) + relative, else the first. relative starts with "/"
// (e.g. "/Language/translate.json").
QString shippedPath(const QString &relative);
} // namespace AppPaths
