#include "app/platform/restarter.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {

namespace {
bool valid(const RestartRequest &r)
{
    return r.pid > 0 && !r.program.isEmpty();
}
} // namespace

bool Restarter::restartThisProgram()
{
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return restartAfter({QCoreApplication::applicationPid(), QCoreApplication::applicationFilePath(),
                         arguments});
}

bool ShellRestarter::restartAfter(const RestartRequest &request, qint64 *helperPid)
{
    if (!valid(request))
        return false;
#ifdef Q_OS_WIN
    // Windows: a hidden PowerShell that waits for the process, then starts the program.
    auto quote = [](QString s) { return QLatin1Char('\'') + s.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\''); };
    QStringList args;
    for (const QString &a : request.arguments)
        args << quote(a);
    const QString script =
        QStringLiteral("Wait-Process -Id %1 -ErrorAction SilentlyContinue; Start-Process -FilePath %2%3")
            .arg(request.pid)
            .arg(quote(request.program))
            .arg(args.isEmpty() ? QString() : QStringLiteral(" -ArgumentList ") + args.join(QLatin1Char(',')));
    return QProcess::startDetached(QStringLiteral("powershell"),
                                   {QStringLiteral("-NoProfile"), QStringLiteral("-WindowStyle"),
                                    QStringLiteral("Hidden"), QStringLiteral("-Command"), script},
                                   QString(), helperPid);
#else
    // $0 is the id to wait for, "$@" the program and its arguments.
    QStringList args{QStringLiteral("-c"),
                     QStringLiteral("while kill -0 \"$0\" 2>/dev/null; do sleep 0.1; done; exec \"$@\""),
                     QString::number(request.pid), request.program};
    args += request.arguments;
    return QProcess::startDetached(QStringLiteral("/bin/sh"), args, QString(), helperPid);
#endif
}

bool FakeRestarter::restartAfter(const RestartRequest &request, qint64 *helperPid)
{
    if (!valid(request) || !succeed)
        return false;
    requests.append(request);
    if (helperPid)
        *helperPid = 0;
    return true;
}

std::unique_ptr<Restarter> Restarter::create()
{
    return std::make_unique<ShellRestarter>();
}

} // namespace platform
