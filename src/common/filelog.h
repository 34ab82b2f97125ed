#pragma once
// The "-d" file log: every Qt message is appended to "<application folder>/Log/yyyy_MM_dd_hh.txt"
// as "yyyy-MM-dd hh:mm:ss: <text>". The file is opened and closed per message, so a new file
// starts every hour and a crash loses nothing already logged.

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <functional>

namespace FileLog {
// Installs the handler (idempotent: installing twice still writes each line once).
void install();
void uninstall();
bool isInstalled();

// The text written for a message: debug as is, "Warning: ", "Critical: ", "Fatal: " prefixes,
// and an empty text for info messages.
QString messageText(QtMsgType type, const QString &message);

// Path of the file that a message logged at `when` goes to.
QString filePathFor(const QDateTime &when);

// Writes one message now (what the handler does). Returns false when the file cannot be opened
// (the message is then dropped).
bool write(QtMsgType type, const QString &message);

// Replaces the clock the handler reads (tests move it across an hour boundary); an empty
// function restores the local system time.
void setClock(std::function<QDateTime()> clock);
} // namespace FileLog
