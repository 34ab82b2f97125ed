#pragma once
// Runs the built qkdriverctl against an account server, with the test's application folder:
// arguments, standard input, exit code and both outputs.

#include <QByteArray>
#include <QString>
#include <QStringList>

class TempHome;

struct CtlRun
{
    int code = -1; // -1: it crashed or did not end within the time limit
    QString out;
    QString err;
};

CtlRun runCtl(const TempHome &home, const QString &serverUrl, const QStringList &args,
              const QByteArray &input = QByteArray());
