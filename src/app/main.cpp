#include "common/apppaths.h"
#include "common/filelog.h"
#include "app/mainwindow.h"
#include "common/qktypes.h"
#include "app/qtsingleapplication.h"
#include "hid/hidapibackend.h"
#include "sim/simulation.h"
#include "app/startup.h"
#include "common/devicelock.h"
#include "common/pacer.h"

#include <QDebug>
#include <QStringList>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    AppPaths::applyHomeArgument(arguments);
    if (Startup::wantsFileLog(arguments))
        FileLog::install();
    Pacer::applyPacingSetting(arguments);

    QtSingleApplication app(QStringLiteral("Osprey"), argc, argv);
    if (app.isRunning()) {
        app.sendMessage(QStringLiteral("Osprey"), 5000);
        return -1;
    }
    // The mouse of this application folder is this window's for as long as it runs; a
    // qkdriverctl command that is busy with it now is given time to finish. Without the lock
    // file (unwritable folder) the window runs all the same.
    DeviceLock deviceLock;
    if (deviceLock.acquire(DeviceLock::kDefaultWaitMs) != DeviceLock::Outcome::Taken)
        qDebug() << "DeviceLock not taken:" << DeviceLock::lockPath() << deviceLock.holderPid();

    static HidapiBackend hidapi;
    HidBackend::setSystemBackend(&hidapi);
    // --simulate MODEL[,MODEL] / QKDRIVER_SIMULATE: emulated devices instead of the system's;
    // they keep their memory in the application folder between runs, like real mice.
    if (const auto simulated = Simulation::requestedDevices(arguments)) {
        Simulation::setStateFolder(AppPaths::applicationDir() + QStringLiteral("/Simulator"));
        QString error;
        if (!Simulation::install(*simulated, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        QObject::connect(&app, &QCoreApplication::aboutToQuit, [] { Simulation::saveState(); });
    }

    registerQkMetaTypes();
    Startup::loadFonts(AppPaths::shippedPath(QStringLiteral("/Font")));
    Startup::loadSysLanguage();
    QCoreApplication::setApplicationName(QStringLiteral("QKDriver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QKDRIVER_VERSION));

    MainWindow window;
    Startup::applyStyleSheet(&window);
    window.show();

    QObject::connect(&window, &MainWindow::QuitTheApplication, &app, &QCoreApplication::quit);
    QObject::connect(&app, &QtSingleApplication::messageReceived, &window,
                     &MainWindow::slotMessageReceived);
    return app.exec();
}
