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
#include "app/renderpages.h"
#include "session/devicesession.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <QDebug>
#include <QStringList>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // --render-pages DIR draws the views into DIR and ends; it runs in a folder of its own so
    // that neither the user's files nor a running QKDriver are touched.
    const QString renderDir = RenderPages::requestedDir(arguments);
    std::unique_ptr<QTemporaryDir> renderHome;
    if (!renderDir.isEmpty()) {
        renderHome = std::make_unique<QTemporaryDir>();
        if (!arguments.contains(QStringLiteral("--home")))
            qputenv("QKDRIVER_HOME", renderHome->path().toLocal8Bit());
        if (!Simulation::requestedDevices(arguments))
            arguments << QStringLiteral("--simulate") << QStringLiteral("falcon,osprey,wren");
    }
    AppPaths::applyHomeArgument(arguments);
    const bool fileLog = Startup::wantsFileLog(arguments);
    if (fileLog)
        FileLog::install();
    // The protocol's debug lines go to the log file with -d; without it the terminal shows only
    // warnings (QT_LOGGING_RULES, e.g. "default.debug=true", still turns them on).
    else
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false\ndefault.info=false"));
    Pacer::applyPacingSetting(arguments);

    std::unique_ptr<QApplication> app;
    QtSingleApplication *single = nullptr;
    if (renderDir.isEmpty()) {
        single = new QtSingleApplication(QStringLiteral("Osprey"), argc, argv);
        app.reset(single);
        if (single->isRunning()) {
            single->sendMessage(QStringLiteral("Osprey"), 5000);
            return -1;
        }
    } else {
        app = std::make_unique<QApplication>(argc, argv);
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
        QObject::connect(app.get(), &QCoreApplication::aboutToQuit, [] { Simulation::saveState(); });
    }

    registerQkMetaTypes();
    Startup::loadFonts(AppPaths::shippedPath(QStringLiteral("/Font")));
    Startup::loadSysLanguage();
    QCoreApplication::setApplicationName(QStringLiteral("QKDriver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QKDRIVER_VERSION));

    DeviceSession session;
    MainWindow::Services services;
    services.tray = renderDir.isEmpty();
    MainWindow window(session, std::move(services));
    Startup::applyStyleSheet(&window);

    if (!renderDir.isEmpty()) {
        QString error;
        QList<uint> productIds;
        if (VirtualHidBus *bus = Simulation::bus())
            for (const auto &device : bus->devices())
                if (!device->interfaces().isEmpty())
                    productIds << device->interfaces().first().productId;
        const QStringList written = RenderPages::run(window, renderDir, productIds, &error);
        for (const QString &name : written)
            std::printf("%s/%s.png\n", qPrintable(renderDir), qPrintable(name));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    window.show();
    session.start();

    QObject::connect(&window, &MainWindow::QuitTheApplication, app.get(), &QCoreApplication::quit);
    QObject::connect(single, &QtSingleApplication::messageReceived, &window,
                     &MainWindow::slotMessageReceived);
    return app->exec();
}
