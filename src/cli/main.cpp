#include "cli/ctlapp.h"
#include "common/pacer.h"
#include "hid/hidapibackend.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QKDriver"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Debug lines of the core stay out of the tool's output unless asked for.
    if (!qEnvironmentVariableIsSet("QKDRIVER_DEBUG"))
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fprintf(stderr, "%s\n", qPrintable(msg));
        });
    Pacer::applyPacingSetting(QStringList()); // QKDRIVER_PACING=described
    static HidapiBackend hidapi;
    HidBackend::setSystemBackend(&hidapi);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    int code = 0;
    {
        CtlApp ctl(out, err);
        code = ctl.run(arguments);
    }
    return code;
}
