#include "support/ctlrun.h"
#include "support/temphome.h"

#include <QProcess>

CtlRun runCtl(const TempHome &home, const QString &serverUrl, const QStringList &args, const QByteArray &input)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QKDRIVER_HOME", home.path());
    env.insert("QKDRIVER_SERVER_URL", serverUrl);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QKDRIVERCTL_BIN), args);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    CtlRun r;
    if (!p.waitForFinished(90000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
