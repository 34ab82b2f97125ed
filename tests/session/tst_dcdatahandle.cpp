#include "session/batteryfilter.h"
#include "session/dcdatahandle.h"
#include "session/managerfactory.h"
#include "fakemanager.h"
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "storage/gearhandle.h"
#include "common/pacer.h"
#include "device/watcher/producttable.h"
#include "support/busrig.h"
#include "sim/virtualhidbus.h"
#include "common/mousetype.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

namespace {
// One coordinator on a real worker thread, with a fake manager (or, for the receiver commands,
// the real ones) and a virtual bus.
struct Fixture : public BusRig
{
    QThread thread;
    DCDataHandle *handle = new DCDataHandle;
    FakeManager::Script script;
    FakeManager *manager = nullptr; // the last one built (owned by the coordinator)
    bool realManagers = false;      // the real manager and driver against the bus instead

    Fixture()
    {
        registerQkMetaTypes();
        handle->setManagerFactory([this](const DCDataHandle::ManagerChoice &c) {
            if (realManagers)
                return defaultManagerFactory()(c);
            auto m = std::make_unique<FakeManager>(script);
            manager = m.get();
            return std::unique_ptr<USBDriverManger>(std::move(m));
        });
        handle->moveToThread(&thread);
        thread.start();
    }
    ~Fixture()
    {
        run([this] { delete handle; });
        thread.quit();
        thread.wait();
    }
    template <typename F>
    void run(F f)
    {
        QMetaObject::invokeMethod(handle, f, Qt::BlockingQueuedConnection);
    }
    void open(uint pid)
    {
        run([&] { handle->slot_OpenDevice(pid, ProductTable::vendorId()); });
    }
};

QList<int> ints(const QSignalSpy &spy, int arg = 0)
{
    QList<int> out;
    for (const QList<QVariant> &call : spy)
        out << call.at(arg).toInt();
    return out;
}
} // namespace

class TstDCDataHandle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void batteryFilter_data();
    void batteryFilter();
    void managerChoice_data();
    void managerChoice();
    void defaultVersions_data();
    void defaultVersions();
    void wiredOpenFillsPages();
    void unknownProductAndBootLoader();
    void receiverPairingCheck_data();
    void receiverPairingCheck();
    void noMatchingConfiguration();
    void failedWriteWarnsOnceAndOffersRepair();
    void failedPageRefreshDoesNotWarn();
    void requestsWithoutMouseDoNothing();
    void dpiListSetsGearFlags_data();
    void dpiListSetsGearFlags();
    void batteryRawAndFiltered_data();
    void batteryRawAndFiltered();
    void pairingTimesOutOnce();
    void pairingCompletes();
    void pairingAbandoned();
    void pairingNeedsReceiver();
    void updateAttemptsAndWireless();
    void firmwareUpdateThroughTheCoordinator();
    void firmwareUpdateOfAMouseLeftInItsBootLoader();
};

void TstDCDataHandle::batteryFilter_data()
{
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<QList<int>>("reported");
    QTest::newRow("three agreeing readings") << QList<int>{50, 50, 50} << QList<int>{50};
    QTest::newRow("small changes ignored") << QList<int>{50, 50, 50, 49, 51, 52} << QList<int>{50};
    QTest::newRow("second smallest of five")
        << QList<int>{50, 50, 50, 40, 80, 41, 42, 90} << QList<int>{50, 41};
    QTest::newRow("zeros report no reading each time") << QList<int>{0, 0, 0} << QList<int>{103, 103, 103};
    QTest::newRow("jumping readings never settle") << QList<int>{10, 60, 10, 60} << QList<int>{};
    QTest::newRow("within one settles") << QList<int>{70, 71, 70} << QList<int>{70};
    QTest::newRow("equal reading clears samples")
        << QList<int>{50, 50, 50, 30, 30, 50, 30, 30, 30} << QList<int>{50};
}

void TstDCDataHandle::batteryFilter()
{
    QFETCH(QList<int>, readings);
    QFETCH(QList<int>, reported);
    BatteryFilter f;
    QList<int> out;
    for (int v : readings)
        if (const auto r = f.feed(v))
            out << *r;
    QCOMPARE(out, reported);
}

void TstDCDataHandle::managerChoice_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("family"); // -1 none
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("wireless");
    QTest::newRow("falcon receiver") << 0x1804 << 0 << 11 << true;
    QTest::newRow("falcon cable") << 0x4130 << 0 << 11 << false;
    QTest::newRow("kite receiver") << 0x4133 << 0 << 12 << true;
    QTest::newRow("falconeu cable") << 0x413B << 0 << 14 << false;
    QTest::newRow("wrens") << 0x4118 << 1 << 6 << false;
    QTest::newRow("lark") << 0x4162 << 1 << 18 << false;
    QTest::newRow("heron") << 0x4161 << 2 << 13 << false;
    QTest::newRow("unknown") << 0x1234 << -1 << 0 << false;
}

void TstDCDataHandle::managerChoice()
{
    QFETCH(int, pid);
    QFETCH(int, family);
    QFETCH(int, type);
    QFETCH(bool, wireless);
    const auto c = DCDataHandle::chooseManager(USHORT(pid));
    QCOMPARE(bool(c), family >= 0);
    if (!c)
        return;
    QCOMPARE(int(c->family), family);
    QCOMPARE(c->mouseType, type);
    QCOMPARE(c->wireless, wireless);
}

void TstDCDataHandle::defaultVersions_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("version");
    const QList<QPair<int, int>> rows{{2, 8}, {3, 10}, {4, 4}, {5, 3}, {6, 4}, {7, 5}, {8, 5}, {9, 5},
                                      {10, 5}, {11, 32}, {12, 13}, {13, 2}, {14, 1}, {18, 4}, {0, 1}};
    for (const auto &r : rows)
        QTest::newRow(qPrintable(QString::number(r.first))) << r.first << r.second;
}

void TstDCDataHandle::defaultVersions()
{
    QFETCH(int, type);
    QFETCH(int, version);
    QCOMPARE(DCDataHandle::defaultFirmwareVersion(type), version);
}

void TstDCDataHandle::wiredOpenFillsPages()
{
    Fixture f;
    QSignalSpy result(f.handle, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy config(f.handle, &DCDataHandle::sig_SetCurrentConfigure);
    QSignalSpy dpi(f.handle, &DCDataHandle::sig_SetCurrentCpiListValueOnPage);
    QSignalSpy rate(f.handle, &DCDataHandle::sig_SetCurrentReportRate);
    QSignalSpy buttons(f.handle, &DCDataHandle::sig_CurrentButtonIsOriginalButton);
    QSignalSpy trueValue(f.handle, &DCDataHandle::sig_TrueMouseValue);
    QSignalSpy version(f.handle, &DCDataHandle::sig_VersionNumber);
    f.open(0x4130);
    QCOMPARE(result.size(), 1);
    QCOMPARE(result.first(), (QList<QVariant>{true, 11, false}));
    QCOMPARE(f.manager->calls.mid(0, 5),
             (QStringList{"SetMouseName falcon", "SetMousePid", "OpenDevice", "SelectProfile 1", "GetProfileData"}));
    QCOMPARE(ints(version), QList<int>{33});
    QCOMPARE(ints(config), QList<int>{2});
    QCOMPARE(dpi.size(), 1);
    QCOMPARE(dpi.first().first().value<QList<DWORD>>(), (QList<DWORD>{800, 1600, 3200, 0, 0, 0, 0}));
    QCOMPARE(ints(rate), QList<int>{3});
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(trueValue.first(), (QList<QVariant>{5, 29, 0x41, 0}));
    f.run([&] {
        QCOMPARE(f.handle->currentProductId(), USHORT(0x4130));
        QCOMPARE(f.handle->currentConfigNumber(), 2);
        QCOMPARE(f.handle->gearObject().value("GearVariable").toInt(), 1);
    });
    // The gear file of the matching configuration was created.
    QVERIFY(QFile::exists(f.home.file("/ConfigFiles/MouseFile/falcon/AFile/CPIUIInterfaceFile/2/CpiSetting.json")));
}

void TstDCDataHandle::unknownProductAndBootLoader()
{
    Fixture f;
    QSignalSpy result(f.handle, &DCDataHandle::sig_OpenDeviceResult);
    f.open(0x4130);
    f.open(0x3000); // the boot loader changes nothing
    QCOMPARE(result.size(), 1);
    QCOMPARE(MouseType::current(), 11);
    f.open(0x1234);
    QCOMPARE(result.size(), 2);
    QCOMPARE(result.last(), (QList<QVariant>{false, 0, false}));
    f.run([&] { QVERIFY(!f.handle->manager()); });
    // No mouse is open, so no model is current any more.
    QCOMPARE(MouseType::current(), 0);
}

void TstDCDataHandle::receiverPairingCheck_data()
{
    QTest::addColumn<int>("pairedPid");
    QTest::addColumn<bool>("opens");
    QTest::newRow("its own mouse") << 0x4130 << true;
    QTest::newRow("no mouse") << 0 << true;
    QTest::newRow("another model") << 0x4137 << false;
}

void TstDCDataHandle::receiverPairingCheck()
{
    QFETCH(int, pairedPid);
    QFETCH(bool, opens);
    Fixture f;
    f.realManagers = true;
    auto receiver = std::make_shared<FalconReceiverDevice>(
        0x1804, pairedPid ? std::make_shared<FalconMouseDevice>(USHORT(pairedPid)) : nullptr);
    f.bus.plug(receiver);
    QSignalSpy result(f.handle, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    f.open(0x1804);
    QCOMPARE(result.size(), opens ? 1 : 0);
    QCOMPARE(ints(warnings).contains(44), !opens);
    // A0 81 and A1 81 reach the receiver only when the pairing is rejected.
    QCOMPARE(receiver->firmware().counters().receiverCommands, opens ? 0 : 2);
    f.run([&] {
        QCOMPARE(bool(f.handle->manager()), opens);
        QCOMPARE(f.handle->isWireless(), opens);
    });
}

void TstDCDataHandle::noMatchingConfiguration()
{
    Fixture f;
    f.script.matchingConfig = 0;
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy dpi(f.handle, &DCDataHandle::sig_SetCurrentCpiListValueOnPage);
    f.open(0x4122);
    QCOMPARE(ints(warnings), QList<int>{38});
    QCOMPARE(dpi.size(), 0);
    f.run([&] {
        QCOMPARE(f.handle->gearObject().value("GearVariable").toInt(), 0);
        QCOMPARE(f.handle->gearObject().value("GearData").toArray().size(), 7);
    });
}

void TstDCDataHandle::failedWriteWarnsOnceAndOffersRepair()
{
    Fixture f;
    f.script.writes = false;
    f.script.extraSetting = 4;
    f.open(0x4122);
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy repair(f.handle, &DCDataHandle::sig_ShowUpdateWidget);
    QSignalSpy loadingOn(f.handle, &DCDataHandle::sig_ShowLoadingDialog);
    QSignalSpy loadingOff(f.handle, &DCDataHandle::sig_EndLoadingDialog);
    f.run([&] { f.handle->slot_ChangeUsbReportRate(1); });
    QCOMPARE(ints(warnings), QList<int>{32});
    QCOMPARE(repair.size(), 1);
    QCOMPARE(repair.first(), (QList<QVariant>{true, true, 3, false}));
    QCOMPARE(loadingOn.size(), 1);
    QCOMPARE(loadingOff.size(), 1);
}

void TstDCDataHandle::failedPageRefreshDoesNotWarn()
{
    Fixture f;
    f.script.pageReads = false;
    f.open(0x4122);
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy light(f.handle, &DCDataHandle::sig_SetLightParameterOnPage);
    QSignalSpy loadingOff(f.handle, &DCDataHandle::sig_EndLoadingDialog);
    f.run([&] {
        f.handle->setLightParameterOnPage();
        f.handle->SetSilentHeightOnPage();
    });
    QCOMPARE(ints(warnings), QList<int>{});
    QCOMPARE(light.size(), 0);
    QCOMPARE(loadingOff.size(), 1);
}

void TstDCDataHandle::requestsWithoutMouseDoNothing()
{
    Fixture f;
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy loading(f.handle, &DCDataHandle::sig_ShowLoadingDialog);
    f.run([&] {
        f.handle->slot_ChangeUsbReportRate(1);
        f.handle->slot_setCPIListValueOnMouse({800});
        f.handle->slot_LoadLocalConfigFileAndWriteIntoMouse(3);
        f.handle->slot_ResetConfigToOriginal();
        f.handle->slot_GetBatteryPower();
        f.handle->GetProfileFromMouse();
        f.handle->destroyUselessThings();
    });
    QCOMPARE(warnings.size(), 0);
    QCOMPARE(loading.size(), 0);
}

void TstDCDataHandle::dpiListSetsGearFlags_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<DWORD>>("rows");
    QTest::addColumn<QList<int>>("enabled");
    QTest::newRow("falcon, two rows") << 0x4130 << 11 << QList<DWORD>{800, 1600, 0, 0, 0, 0, 0}
                                      << QList<int>{1, 1, 0, 0, 0, 0, 0};
    QTest::newRow("falcon, disabled rows between") << 0x4130 << 11 << QList<DWORD>{800, 0, 1600, 0, 0, 0, 3200}
                                                   << QList<int>{1, 0, 1, 0, 0, 0, 1};
    // A five-stage mouse keeps the first five enabled rows; the others are not in the mouse.
    QTest::newRow("kitec, six rows") << 0x4139 << 7 << QList<DWORD>{400, 0, 800, 1200, 1600, 2000, 2400}
                                     << QList<int>{1, 0, 1, 1, 1, 1, 0};
}

void TstDCDataHandle::dpiListSetsGearFlags()
{
    QFETCH(int, pid);
    QFETCH(int, model);
    QFETCH(QList<DWORD>, rows);
    QFETCH(QList<int>, enabled);
    Fixture f;
    f.open(uint(pid)); // matches configuration 2
    f.run([&] { f.handle->slot_setCPIListValueOnMouse(rows); });
    QCOMPARE(f.manager->calls.count("SetCPIListValue"), 1);
    GearHandle gear;
    const QJsonArray gears = gear.readGearFile(model, 2).value("GearData").toArray();
    QCOMPARE(gears.size(), 7);
    QList<int> flags;
    for (const QJsonValue &g : gears)
        flags << g.toObject().value("GearEnable").toInt();
    QCOMPARE(flags, enabled);
}

// In a readings column: the battery read fails here / a failed request runs the error path.
constexpr int kReadFails = -1;
constexpr int kErrorPath = -2;

void TstDCDataHandle::batteryRawAndFiltered_data()
{
    QTest::addColumn<int>("receiverPid");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("profileRead"); // false: read once with the version, then failing
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<QList<int>>("reported");
    QTest::newRow("falconq raw") << 0x180B << 5 << true << QList<int>{50, 61} << QList<int>{50, 61};
    QTest::newRow("falconeu raw") << 0x180F << 5 << true << QList<int>{7, 8} << QList<int>{7, 8};
    QTest::newRow("falcon fw 30 raw") << 0x1804 << 30 << true << QList<int>{50, 61} << QList<int>{50, 61};
    QTest::newRow("falcon fw 29 filtered") << 0x1804 << 29 << true << QList<int>{50, 50, 50, 61} << QList<int>{50};
    QTest::newRow("kite filtered") << 0x4133 << 40 << true << QList<int>{0, 0, 0} << QList<int>{103, 103, 103};
    QTest::newRow("read fails") << 0x180A << 5 << true << QList<int>{} << QList<int>{103};
    // The default version 32 a failed read reports is not stored, nor is the last mouse's.
    QTest::newRow("falcon profile unread: filtered") << 0x1804 << 40 << false
        << QList<int>{50, 50, 50, 61} << QList<int>{50};
    // Back to seeking, the last three readings kept: one agreeing reading settles again.
    QTest::newRow("failed read keeps readings") << 0x4133 << 40 << true
        << QList<int>{50, 50, 50, kReadFails, 50} << QList<int>{50, 103, 50};
    QTest::newRow("error path keeps readings") << 0x4133 << 40 << true
        << QList<int>{50, 50, 50, kErrorPath, 50} << QList<int>{50, 50};
}

void TstDCDataHandle::batteryRawAndFiltered()
{
    QFETCH(int, receiverPid);
    QFETCH(int, version);
    QFETCH(bool, profileRead);
    QFETCH(QList<int>, readings);
    QFETCH(QList<int>, reported);
    Fixture f;
    f.bus.plug(FalconReceiverDevice::withPartnerMouse(USHORT(receiverPid)));
    f.script.version = DWORD(version);
    f.script.battery = readings;
    f.script.battery.removeAll(kErrorPath);
    f.open(uint(receiverPid));
    QSignalSpy versions(f.handle, &DCDataHandle::sig_VersionNumber);
    if (!profileRead) {
        f.script.readProfile = false;
        f.open(uint(receiverPid));
        QCOMPARE(ints(versions), QList<int>{32});
        f.run([&] { QCOMPARE(f.handle->firmwareVersion(), DWORD(1)); });
    }
    QSignalSpy battery(f.handle, &DCDataHandle::sig_BatteryPower);
    if (readings.isEmpty())
        readings << kReadFails;
    for (int r : readings)
        f.run([&] { r == kErrorPath ? f.handle->warningReadOrWriteError() : f.handle->slot_GetBatteryPower(); });
    QCOMPARE(ints(battery), reported);
}

void TstDCDataHandle::pairingTimesOutOnce()
{
    Fixture f;
    f.realManagers = true;
    auto receiver = FalconReceiverDevice::withPartnerMouse(0x1804);
    f.bus.plug(receiver);
    f.open(0x1804);
    QSignalSpy started(f.handle, &DCDataHandle::sig_startCode);
    QSignalSpy finished(f.handle, &DCDataHandle::sig_finishCode);
    f.run([&] { f.handle->slot_startCode(); });
    QCOMPARE(started.first().first().toBool(), true);
    QVERIFY(receiver->firmware().pairingMode());
    // The mouse is never switched on: the receiver keeps answering mode 1.
    for (int i = 0; i < 250; ++i)
        f.run([&] { f.handle->slot_codetimerout(); });
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
}

void TstDCDataHandle::pairingCompletes()
{
    Fixture f;
    f.realManagers = true;
    auto receiver = FalconReceiverDevice::withPartnerMouse(0x1804);
    f.bus.plug(receiver);
    f.open(0x1804);
    QSignalSpy finished(f.handle, &DCDataHandle::sig_finishCode);
    f.run([&] { f.handle->slot_startCode(); });
    f.run([&] { f.handle->slot_codetimerout(); });
    QCOMPARE(finished.size(), 0);
    QVERIFY(receiver->switchMouseOn(std::make_shared<FalconMouseDevice>(0x4130)));
    f.run([&] { f.handle->slot_codetimerout(); });
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
    // Its address went to the receiver: a value below 32768.
    QVERIFY(receiver->firmware().radioAddress() < 32768u);
}

void TstDCDataHandle::pairingAbandoned()
{
    Fixture f;
    f.realManagers = true;
    f.bus.plug(FalconReceiverDevice::withPartnerMouse(0x1804));
    f.open(0x1804);
    QSignalSpy finished(f.handle, &DCDataHandle::sig_finishCode);
    QSignalSpy stopped(f.handle, &DCDataHandle::sig_stopTimer);
    f.run([&] { f.handle->slot_startCode(); });
    f.run([&] { f.handle->slot_stopCode(); });
    for (int i = 0; i < 5; ++i)
        f.run([&] { f.handle->slot_codetimerout(); });
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(finished.size(), 0);
}

void TstDCDataHandle::pairingNeedsReceiver()
{
    Fixture f;
    f.open(0x4130);
    QSignalSpy started(f.handle, &DCDataHandle::sig_startCode);
    QSignalSpy timer(f.handle, &DCDataHandle::sig_startTimer);
    f.run([&] { f.handle->slot_startCode(); });
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.first().first().toBool(), false);
    QCOMPARE(timer.size(), 0);
}

void TstDCDataHandle::updateAttemptsAndWireless()
{
    Fixture f;
    f.bus.plug(FalconReceiverDevice::withPartnerMouse(0x1804));
    f.open(0x1804);
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy stopWatcher(f.handle, &DCDataHandle::sig_StopCheckDeviceTimer);
    for (int i = 0; i < 35; ++i)
        f.run([&] { f.handle->slot_UpdateFirmwareKelvo("fw.bin", "falcon"); });
    QCOMPARE(ints(warnings), QVector<int>(35, 40).toList()); // refused over the air, every time
    warnings.clear();
    stopWatcher.clear();
    f.run([&] { f.handle->slot_UpdateFirmwareKelvo("fw.bin", "falcon"); });
    QCOMPARE(ints(warnings), QList<int>{14});
    QCOMPARE(stopWatcher.size(), 0);
}

void TstDCDataHandle::firmwareUpdateThroughTheCoordinator()
{
    Fixture f;
    auto mouse = std::make_shared<FalconMouseDevice>(0x4130);
    f.bus.plug(mouse);
    f.open(0x4130);
    QByteArray image(60 * 1024, '\x5A');
    image.replace(image.size() - 4, 4, QByteArray::fromHex("2A000000")); // version 42
    QVERIFY(f.home.write("/fw.bin", image));

    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy progress(f.handle, &DCDataHandle::sig_ProcessVaule);
    QSignalSpy watcherOn(f.handle, &DCDataHandle::sig_StartCheckDeviceTimer);
    QSignalSpy watcherOff(f.handle, &DCDataHandle::sig_StopCheckDeviceTimer);
    // A removal reported while the update runs (the mouse restarting into its boot loader)
    // must not take the manager away.
    bool removedDuringUpdate = false;
    connect(f.handle, &DCDataHandle::sig_ProcessVaule, f.handle, [&](int percent) {
        if (percent == 40 && !removedDuringUpdate) {
            removedDuringUpdate = true;
            f.handle->destroyUselessThings();
        }
    }, Qt::DirectConnection);
    f.run([&] { f.handle->slot_UpdateFirmwareKelvo(f.home.file("/fw.bin"), "falcon"); });

    QCOMPARE(ints(warnings), (QList<int>{13, 8}));
    QCOMPARE(ints(progress).last(), 100);
    QVERIFY(ints(progress).contains(80));
    QCOMPARE(watcherOff.size(), 1);
    QCOMPARE(watcherOn.size(), 1);
    QVERIFY(removedDuringUpdate);
    f.run([&] {
        QVERIFY(f.handle->manager());
        QVERIFY(!f.handle->updateRunning());
    });
    QCOMPARE(mouse->firmware().firmwareVersion(), quint32(42));
    QCOMPARE(mouse->runs(), 1);
}

void TstDCDataHandle::firmwareUpdateOfAMouseLeftInItsBootLoader()
{
    // An earlier update stopped half way: only the boot loader is there, no mouse to open.
    Fixture f;
    auto mouse = std::make_shared<FalconMouseDevice>(0x4130, FalconMouseDevice::Mode::BootLoader);
    f.bus.plug(mouse);
    QByteArray image(4096, '\x5A');
    image.replace(image.size() - 4, 4, QByteArray::fromHex("2B000000")); // version 43
    QVERIFY(f.home.write("/fw.bin", image));
    QSignalSpy warnings(f.handle, &DCDataHandle::sig_ShowWarningDialog);
    f.run([&] { f.handle->slot_UpdateFirmwareKelvo(f.home.file("/fw.bin"), "falcon"); });
    QCOMPARE(ints(warnings), (QList<int>{13, 8}));
    QCOMPARE(mouse->restarts(), 0); // already in the boot loader: no restart request
    QCOMPARE(mouse->runs(), 1);
    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
    QCOMPARE(mouse->firmware().firmwareVersion(), quint32(43));
}

QTEST_GUILESS_MAIN(TstDCDataHandle)
#include "tst_dcdatahandle.moc"
