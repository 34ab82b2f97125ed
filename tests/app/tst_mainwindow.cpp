// The real main window over a device session on the virtual bus: what the watcher reports is
// handed to the window as the watcher would (the watcher itself is tested on its own), and the
// virtual clock stands in for the minute of the insertion guard.
#include "app/mainwindow.h"
#include "app/renderpages.h"
#include "common/pacer.h"
#include "common/warning.h"
#include "device/watcher/producttable.h"
#include "sim/falconmousedevice.h"
#include "support/pagerig.h"
#include "support/serverrig.h"
#include "net/update/filedownloader.h"
#include "ui/pages/supportwidget.h"
#include "ui/dialogs/needdevicedialog.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {
struct Window
{
    Window() : w(rig.session(), services()) { w.show(); }
    static MainWindow::Services services()
    {
        MainWindow::Services s;
        s.pointer = std::make_unique<platform::UnavailablePointerSettings>(QStringLiteral("test"));
        s.restarter = std::make_unique<platform::FakeRestarter>();
        s.tray = false;
        return s;
    }
    // The watcher's reports.
    void arrive(const QString &name)
    {
        w.slot_WarningDeviceNotInsert(true, PageRig::productIdOf(name), ProductTable::vendorId());
        rig.settle();
    }
    void leave(const QString &name)
    {
        w.slot_WarningDeviceNotInsert(false, PageRig::productIdOf(name), ProductTable::vendorId());
        rig.settle();
    }
    int warning() const { return w.warningDialog() ? w.warningDialog()->warningType() : -1; }
    bool needDevice() const { return w.needDeviceDialog()->isVisible(); }

    PageRig rig;
    MainWindow w;
};
} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void arrivalAndRemoval();
    void batteryFollowsTheState_data();
    void batteryFollowsTheState();
    void insertionsAreLimitedPerMinute();
    void softwareVersionAnswer_data();
    void softwareVersionAnswer();
    void cloudTabNeedsALogin();
    void firmwareUpdateOpensTheMouseAgain();
    void firmwareCheckAnswer_data();
    void firmwareCheckAnswer();
    void newerFirmwareFromTheServerUpdatesTheMouse();
    void versionChecksAskTheServer();
    void rendersEveryView();
};

void TstMainWindow::arrivalAndRemoval()
{
    Window f;
    QVERIFY(f.needDevice());
    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    f.arrive(QStringLiteral("falcon"));
    QVERIFY(!f.needDevice());
    QCOMPARE(f.w.logoImage(), QStringLiteral(":/picture/falcon/picture/FALCON/logo_kelvo.png"));
    QCOMPARE(f.w.connectionIcon(), QStringLiteral(":/picture/picture/Falcon/wire.png"));
    QCOMPARE(f.w.currentPage(), int(MainWindow::MainPage));
    QVERIFY(!f.w.findChild<QWidget *>("BatteryIconLabel")->isVisible());

    f.rig.bus().unplugAll();
    f.leave(QStringLiteral("falcon"));
    QVERIFY(f.needDevice());
    QVERIFY(!f.rig.state().isOpen());
    NeedDeviceDialog *d = f.w.needDeviceDialog();
    auto *timer = d->findChild<QTimer *>();
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 3800);
    QVERIFY(!d->repairOffered());
    d->slot_TimeOut(); // the 3800 ms have passed
    QVERIFY(d->repairOffered());
    QSignalSpy repair(d, &NeedDeviceDialog::sig_ShowUpdateWidget);
    QTest::mouseClick(d->findChild<QPushButton *>("FirmwareRepairPushButton"), Qt::LeftButton);
    QCOMPARE(repair.size(), 1);

    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    f.arrive(QStringLiteral("falcon"));
    QVERIFY(!f.needDevice());
    QVERIFY(!timer->isActive());
    QVERIFY(!d->repairOffered());
}

void TstMainWindow::batteryFollowsTheState_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "top_icon_battery0.png" << "";
    QTest::newRow("1") << 1 << "top_icon_battery.png" << "1%";
    QTest::newRow("20") << 20 << "top_icon_battery.png" << "20%";
    QTest::newRow("21") << 21 << "top_icon_battery2.png" << "21%";
    QTest::newRow("60") << 60 << "top_icon_battery3.png" << "60%";
    QTest::newRow("80") << 80 << "top_icon_battery4.png" << "80%";
    QTest::newRow("81") << 81 << "top_icon_battery5.png" << "81%";
    QTest::newRow("100") << 100 << "top_icon_battery5.png" << "100%";
    QTest::newRow("charging") << 101 << "top_icon_charging.png" << "";
    QTest::newRow("charged") << 102 << "top_icon_charging_full.png" << "";
    QTest::newRow("no reading") << 103 << "top_icon_battery0.png" << "";
}

void TstMainWindow::batteryFollowsTheState()
{
    QFETCH(int, level);
    QFETCH(QString, icon);
    QFETCH(QString, text);
    Window f;
    QVERIFY(f.rig.plug(QStringLiteral("falcon-receiver")));
    f.arrive(QStringLiteral("falcon-receiver"));
    QVERIFY(f.rig.state().isOpen());
    QCOMPARE(f.w.connectionIcon(), QStringLiteral(":/picture/picture/Falcon/wireless.png"));
    QVERIFY(f.w.findChild<QWidget *>("BatteryIconLabel")->isVisible());
    f.rig.session().stateObject()->setBatteryLevel(level);
    QCOMPARE(f.w.batteryIcon(), ":/picture/picture/" + icon);
    QCOMPARE(f.w.batteryText(), text);
}

void TstMainWindow::insertionsAreLimitedPerMinute()
{
    Window f;
    const QString mouse = QStringLiteral("falcon");
    for (int i = 1; i <= 5; ++i) {
        QVERIFY(f.rig.plug(mouse));
        f.arrive(mouse);
        QVERIFY2(f.rig.state().isOpen(), qPrintable(QString::number(i)));
        f.rig.bus().unplugAll();
        f.leave(mouse);
        f.rig.clock().advanceMs(5000);
    }
    QVERIFY(f.rig.plug(mouse));
    f.arrive(mouse); // the sixth within the minute
    QVERIFY(!f.rig.state().isOpen());
    QVERIFY(f.needDevice());
    QCOMPARE(f.warning(), toInt(Warning::TooManyInsertions));
    f.rig.bus().unplugAll();
    f.leave(mouse);

    f.rig.clock().advanceMs(60 * 1000); // a quiet minute later
    QVERIFY(f.rig.plug(mouse));
    f.arrive(mouse);
    QVERIFY(f.rig.state().isOpen());
    QVERIFY(!f.needDevice());
}

void TstMainWindow::softwareVersionAnswer_data()
{
    QTest::addColumn<bool>("manual");
    QTest::addColumn<int>("notRemind");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("warning");
    const int none = -1;
    QTest::newRow("newer") << false << 0 << 0 << "1.1" << toInt(Warning::NewerProgramVersion);
    QTest::newRow("one more zero is newer") << false << 0 << 0 << "1.00" << toInt(Warning::NewerProgramVersion);
    QTest::newRow("same") << false << 0 << 0 << "1.0" << none;
    QTest::newRow("empty answer") << false << 0 << 0 << "" << none;
    QTest::newRow("not reminded") << false << 1 << 0 << "1.1" << none;
    QTest::newRow("manual ignores not-remind") << true << 1 << 0 << "1.1" << toInt(Warning::NewerProgramVersionOnRequest);
    QTest::newRow("manual same") << true << 0 << 0 << "1.0" << toInt(Warning::ProgramUpToDate);
    QTest::newRow("manual server error") << true << 0 << 10001 << "" << toInt(Warning::ServerMessage);
    QTest::newRow("automatic server error") << false << 0 << 10001 << "" << none;
}

void TstMainWindow::softwareVersionAnswer()
{
    QFETCH(bool, manual);
    QFETCH(int, notRemind);
    QFETCH(int, code);
    QFETCH(QString, server);
    QFETCH(int, warning);
    Window f;
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    QSettings(f.rig.home().file("/NoLongerRemind.ini"), QSettings::IniFormat).setValue("NotRemind", notRemind);
    f.w.setManualCheck(manual);
    f.w.slot_LastSoftWareVersionRet(code, QStringLiteral("server says no"), server, QStringLiteral("http://x/qk.deb"), {});
    QCOMPARE(f.warning(), warning);
}

void TstMainWindow::cloudTabNeedsALogin()
{
    Window f;
    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    f.arrive(QStringLiteral("falcon"));
    QTest::mouseClick(f.w.findChild<QPushButton *>("LightSettingButton"), Qt::LeftButton);
    QCOMPARE(f.w.currentPage(), int(MainWindow::LightingPage));
    QTest::mouseClick(f.w.findChild<QPushButton *>("CloudSyncButton"), Qt::LeftButton);
    QCOMPARE(f.w.currentPage(), int(MainWindow::LightingPage));
    QCOMPARE(f.warning(), toInt(Warning::LoginNeeded));
    f.w.setLoggedIn(QStringLiteral("somebodywithalongname"));
    QCOMPARE(f.w.findChild<QLabel *>("UserNameLabel")->text(), QStringLiteral("somebod..."));
    QTest::mouseClick(f.w.findChild<QPushButton *>("CloudSyncButton"), Qt::LeftButton);
    QCOMPARE(f.w.currentPage(), int(MainWindow::CloudPage));
}

void TstMainWindow::firmwareUpdateOpensTheMouseAgain()
{
    Window f;
    auto mouse = f.rig.plug<FalconMouseDevice>(QStringLiteral("falcon"));
    QVERIFY(mouse);
    f.arrive(QStringLiteral("falcon"));
    QVERIFY(f.rig.state().firmwareVersion() != 42);
    QByteArray image(60 * 1024, '\x5A');
    image.replace(image.size() - 4, 4, QByteArray::fromHex("2A000000")); // version 42
    QVERIFY(f.rig.home().write("/fw.bin", image));

    QSignalSpy finished(&f.w, &MainWindow::firmwareUpdateFinished);
    f.w.updateFirmwareFrom(f.rig.home().file("/fw.bin"));
    f.rig.settle();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(f.warning(), toInt(Warning::FirmwareUpdateSucceeded));
    // Open again on its new firmware: the new version is shown and the next change reaches it.
    QVERIFY(f.rig.state().isOpen());
    QCOMPARE(f.rig.state().firmwareVersion(), 42);
    QVERIFY(f.rig.wait(f.rig.session().setReportRate(1)).ok);
    QVERIFY(!f.needDevice());
}

void TstMainWindow::firmwareCheckAnswer_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("versionDelta"); // the server's version minus the mouse's
    QTest::addColumn<int>("warning");
    QTest::newRow("same version") << 0 << 0 << toInt(Warning::FirmwareUpToDate);
    QTest::newRow("newer") << 0 << 1 << toInt(Warning::NewerFirmwareOnSupportPage);
    QTest::newRow("server code") << 10013 << 1 << toInt(Warning::NetworkError);
}

void TstMainWindow::firmwareCheckAnswer()
{
    QFETCH(int, code);
    QFETCH(int, versionDelta);
    QFETCH(int, warning);
    Window f;
    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    f.arrive(QStringLiteral("falcon"));
    const int mine = f.rig.state().firmwareVersion();
    f.w.supportPage()->slot_LastVersionRet(code, "no such release", QString::number(mine + versionDelta),
                                           "http://127.0.0.1:9/files/x", "2026-12-01");
    QCOMPARE(f.warning(), warning);
    QCOMPARE(f.w.supportPage()->pendingDownload().isEmpty(), warning != toInt(Warning::NewerFirmwareOnSupportPage));
}

void TstMainWindow::newerFirmwareFromTheServerUpdatesTheMouse()
{
    Window f;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    f.arrive(QStringLiteral("falcon"));
    QByteArray image(60 * 1024, '\x5A');
    image.replace(image.size() - 4, 4, QByteArray::fromHex("2A000000")); // version 42
    QVERIFY(f.rig.home().write("/release.bin", image));
    QVERIFY(server.publish("firmware", "falcon", "42", "2026-12-01", f.rig.home().file("/release.bin")));
    // The server's answer (as the version checker hands it on), then the user confirms.
    const QString address = server.baseUrl() + "/files/" + QDir(server.dataDir() + "/files").entryList(QDir::Files).value(0);
    f.w.supportPage()->slot_LastVersionRet(0, "ok", "42", address, "2026-12-01");
    QCOMPARE(f.warning(), toInt(Warning::NewerFirmwareOnSupportPage));
    QSignalSpy finished(&f.w, &MainWindow::firmwareUpdateFinished);
    QTest::mouseClick(f.w.warningDialog()->findChild<QPushButton *>("OkButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(f.w.updateDialog(), 10000); // downloaded: the update dialog offers it
    QCOMPARE(f.w.updateDialog()->selectedMouseType(), 11);
    QTest::mouseClick(f.w.updateDialog()->findChild<QPushButton *>("updateFirmwareButton"), Qt::LeftButton);
    f.rig.settle();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(f.rig.state().firmwareVersion(), 42);
    QCOMPARE(f.rig.home().read("/Update/Clouds/falcon/Nuc123.bin"), image);
}

void TstMainWindow::versionChecksAskTheServer()
{
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    qputenv("QKDRIVER_SERVER_URL", server.baseUrl().toUtf8());
    Window f;
    qunsetenv("QKDRIVER_SERVER_URL");
    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    f.arrive(QStringLiteral("falcon"));
    QVERIFY(f.rig.home().write("/release.bin", QByteArray(4096, 'x')));
    const QString mine = QString::number(f.rig.state().firmwareVersion());
    QVERIFY(server.publish("firmware", "falcon", mine, "2026-12-01", f.rig.home().file("/release.bin")));
    QVERIFY(server.publish("software", "qk", "9.9", "2026-12-01", f.rig.home().file("/release.bin")));
    f.w.on_SupportButton_clicked();
    QTest::mouseClick(f.w.supportPage()->findChild<QPushButton *>("CheckUpdateButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.warning(), toInt(Warning::FirmwareUpToDate), 10000); // "falcon-firmware"
    QTest::mouseClick(f.w.supportPage()->findChild<QPushButton *>("CheckSoftwareUpdateButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(f.warning(), toInt(Warning::NewerProgramVersionOnRequest), 10000); // "qk-software"
}

void TstMainWindow::rendersEveryView()
{
    Window f;
    QVERIFY(f.rig.plug(QStringLiteral("falcon")));
    QVERIFY(f.rig.plug(QStringLiteral("osprey")));
    QTemporaryDir dir;
    QString error;
    const QStringList written = RenderPages::run(f.w, dir.path(), {PageRig::productIdOf("falcon"), PageRig::productIdOf("osprey")}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(written, (QStringList{"need-device", "main", "lighting", "macro", "support", "pairing", "cloud", "warning",
                                   "update-dialog", "button-dialog", "oled", "account", "main-osprey",
                                   "lighting-osprey"}));
    for (const QString &name : written)
        QVERIFY(!QImage(dir.filePath(name + ".png")).isNull());
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
