#pragma once
// qkdriverctl account register NICKNAME EMAIL | login EMAIL | logout | status
//
// The same account client as the window. Passwords are read from standard input (one line;
// twice for register, the second being the repetition), never from the command line, where
// other users could read them in the process list. Exit codes as CtlApp: 0 success, 1 refused
// or failed, 2 usage error.

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

namespace AccountCommand {

struct Output
{
    QJsonObject result; // the --json document
    QStringList text;   // lines for people
    QString error;      // one line for standard error when the command fails
};

int run(const QStringList &args, QTextStream &in, Output *out);

QString usage();

} // namespace AccountCommand
