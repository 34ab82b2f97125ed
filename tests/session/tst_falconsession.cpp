// End to end: a Falcon-family mouse on the virtual bus, by cable and through its receiver,
// opened by the device session with the real manager and driver; the pages' signals carry what
// the emulated mouse holds, and a factory reset rewrites the mouse and every stored
// configuration and drops the DPI page's gear files.
#include "session/devicesession.h"
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "storage/gearhandle.h"
#include "storage/jsonhandle.h"
#include "common/pacer.h"
#include "storage/storagepaths.h"
#include "support/busrig.h"
#include "profile/usbdrivermanger.h"
#include "sim/virtualhidbus.h"
#include "support/filesizelimit.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A KiteC profile (model code 7): its factory image with button 9 disabled, 500 Hz, three DPI
// stages 800, 1600, 2400, light mode 2 / speed 5 / brightness 9 and three colours.
QByteArray changedKiteCImage()
{
    QByteArray image = hex(
        "01 00 00 00 CD CD CD CD D0 07 CD CD C8 02 00 00"
        "03 00 10 00 08 00 06 00 08 00 05 00 07 00 00 00"
        "03 00 01 00 00 00 20 00 03 00 08 00 03 00 04 00"
        "03 00 02 00 FF FF FF FF FF FF FF FF 02 00 00 00"
        "FF FF FF FF 06 00 0E 00 16 00 00 00 00 00 00 00"
        "00 00 02 00 02 02 05 09 32 00 00 00 07 00 00 00"
        "00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00"
        "03 00 00 00 11 22 33 00 44 55 66 00 77 88 99 00");
    return image;
}

void loadIntoMouse(FalconMouseFirmware &fw, const QByteArray &image)
{
    fw.setMemory(0x600, image.mid(16, 44));
    fw.setMemory(0x880, image.mid(60, 68));
}
} // namespace

class TstFalconSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensAndFillsThePages_data();
    void opensAndFillsThePages();
    void factoryResetRewritesTheMouse();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
};

void TstFalconSession::opensAndFillsThePages_data()
{
    QTest::addColumn<bool>("wireless");
    QTest::newRow("cable") << false;
    QTest::newRow("receiver") << true;
}

void TstFalconSession::opensAndFillsThePages()
{
    QFETCH(bool, wireless);
    BusRig rig;

    // Configuration 1 holds what the mouse holds, so the session finds it.
    const QByteArray image = changedKiteCImage();
    JsonHandle json;
    QVERIFY(json.saveMouseData_Kelvo(image, 7, 1));

    std::shared_ptr<FalconMouseDevice> mouse;
    std::shared_ptr<FalconReceiverDevice> receiver;
    if (wireless) {
        receiver = FalconReceiverDevice::withPartnerMouse(0x180C);
        mouse = receiver->pairedMouse();
    } else {
        mouse = std::make_shared<FalconMouseDevice>(0x4139);
    }
    QVERIFY(mouse);
    loadIntoMouse(mouse->firmware(), image);

    DeviceSession session; // the real managers
    DCDataHandle *c = session.coordinator();
    QSignalSpy opened(c, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy config(c, &DCDataHandle::sig_SetCurrentConfigure);
    QSignalSpy dpi(c, &DCDataHandle::sig_SetCurrentCpiListValueOnPage);
    QSignalSpy rate(c, &DCDataHandle::sig_SetCurrentReportRate);
    QSignalSpy light(c, &DCDataHandle::sig_SetLightParameterOnPage);
    QSignalSpy same(c, &DCDataHandle::sig_CurrentButtonIsOriginalButton);
    QSignalSpy value(c, &DCDataHandle::sig_TrueMouseValue);
    QSignalSpy warning(c, &DCDataHandle::sig_ShowWarningDialog);
    session.setWatchInterval(10);
    session.start();
    if (wireless)
        rig.bus.plug(receiver);
    else
        rig.bus.plug(mouse);

    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(opened.first(), (QList<QVariant>{true, 7, wireless}));
    QTRY_COMPARE(config.size(), 1);
    QCOMPARE(config.first().first().toInt(), 1);
    QTRY_VERIFY(!dpi.isEmpty());
    const auto stages = dpi.last().first().value<QList<DWORD>>();
    QVERIFY(stages.size() >= 3);
    QCOMPARE(stages.mid(0, 4), (QList<DWORD>{800, 1600, 2400, 0}));
    QTRY_VERIFY(!rate.isEmpty());
    QCOMPARE(rate.last().first().toInt(), 2);
    QTRY_VERIFY(!light.isEmpty());
    const auto param = light.last().first().value<LightColorParam>();
    QCOMPARE(param.toBytes().mid(15).toHex(' '), hex("02 05 09 11 22 33 00 44 55 66 00 77 88 99 00").toHex(' '));
    QTRY_VERIFY(value.contains(QList<QVariant>{9, 41, 0, 0}));
    QVERIFY(same.contains(QList<QVariant>{false, 9}));
    QVERIFY(same.contains(QList<QVariant>{true, 4}));
    QVERIFY(!warning.contains(QList<QVariant>{38}));
    // The compare set the mouse's current stage to min(last stage index 2, 3).
    QCOMPARE(mouse->firmware().memory(0x898, 1), hex("02"));

    // A request from the page lands in the mouse and in configuration 1.
    session.setReportRate(0);
    QTRY_COMPARE(mouse->firmware().memory(0x880, 4), hex("08 00 00 00"));
    QByteArray stored(128, '\0');
    QTRY_VERIFY((json.getMouseData_Kelvo(stored, 7, 1), stored.mid(60, 4) == hex("08 00 00 00")));
}

void TstFalconSession::factoryResetRewritesTheMouse()
{
    BusRig rig;
    auto mouse = std::make_shared<FalconMouseDevice>(0x4139);
    loadIntoMouse(mouse->firmware(), changedKiteCImage());

    DeviceSession session;
    DCDataHandle *c = session.coordinator();
    QSignalSpy opened(c, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy loadingEnd(c, &DCDataHandle::sig_EndLoadingDialog);
    session.setWatchInterval(10);
    session.start();
    rig.bus.plug(mouse);
    QTRY_COMPARE(opened.size(), 1);
    QTRY_VERIFY(loadingEnd.size() >= 1);
    // Store something in every configuration first, with gears 2 to 7 switched off.
    GearHandle gear;
    for (int n = 1; n <= 5; ++n) {
        session.runOnCoordinator([&] { c->manager()->SaveConfigFileByConfigureNumber(n); });
        QJsonObject gears = gear.createDefaultGearObject(7);
        QVERIFY(gear.setGearEnableFromDpiList(7, n, gears, {800, 0, 0, 0, 0, 0, 0}));
    }

    const int before = loadingEnd.size();
    session.factoryReset();
    QTRY_VERIFY(loadingEnd.size() > before);
    session.runOnCoordinator([] {}); // the reset has finished in the coordinator's thread
    // The KiteC factory profile is back in the mouse and in every configuration; the stale
    // gear files are gone.
    const QByteArray buttons = hex("03 00 10 00 08 00 06 00 08 00 05 00 00 00 1E 00 03 00 01 00 00 00 20 00 "
                                   "03 00 08 00 03 00 04 00 03 00 02 00 FF FF FF FF FF FF FF FF");
    const QByteArray settings = hex("01 00 00 00 FF FF FF FF 08 00 0D 00 12 00 1C 00 30 00 26 00 26 00 04 00 02 04 02 04 "
                                    "32 00 00 00 07 00 00 00 00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00 03 00 00 00 "
                                    "FF FF FF 00 FF FF FF 00 FF FF FF 00");
    QCOMPARE(mouse->firmware().memory(0x600, 44).toHex(' '), buttons.toHex(' '));
    QCOMPARE(mouse->firmware().memory(0x880, 68).toHex(' '), settings.toHex(' '));
    JsonHandle json;
    for (int n = 1; n <= 5; ++n) {
        QByteArray stored;
        QVERIFY(json.getMouseData_Kelvo(stored, 7, n));
        QCOMPARE(stored.mid(16, 44).toHex(' '), buttons.toHex(' '));
        QCOMPARE(stored.mid(60, 68).toHex(' '), settings.toHex(' '));
        QVERIFY2(!QFile::exists(StoragePaths::cpiSettingFile(7, n)), qPrintable(QString::number(n)));
    }

    // Opened again, the mouse equals configuration 1 and the page shows the five factory
    // stages on the default gears.
    QSignalSpy config(c, &DCDataHandle::sig_SetCurrentConfigure);
    QSignalSpy dpi(c, &DCDataHandle::sig_SetCurrentCpiListValueOnPage);
    QSignalSpy warning(c, &DCDataHandle::sig_ShowWarningDialog);
    session.runOnCoordinator([&] { c->slot_OpenDeviceAgain(); });
    QCOMPARE(config.size(), 1);
    QCOMPARE(config.first().first().toInt(), 1);
    QVERIFY(!warning.contains(QList<QVariant>{38}));
    QCOMPARE(dpi.last().first().value<QList<DWORD>>(), (QList<DWORD>{1000, 1500, 2000, 3000, 5000, 0, 0}));
    QList<int> enabled;
    for (const QJsonValue &g : gear.readGearFile(7, 1).value("GearData").toArray())
        enabled << g.toObject().value("GearEnable").toInt();
    QCOMPARE(enabled, (QList<int>{1, 1, 1, 1, 1, 1, 1}));
}

void TstFalconSession::failedSaveIsReported_data()
{
    QTest::addColumn<bool>("fullDisk"); // else a folder stands where the file belongs
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << true << "File too large";
    QTest::newRow("folder in the way") << false << "a folder is in the way";
}

void TstFalconSession::failedSaveIsReported()
{
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);
    BusRig rig;
    auto mouse = std::make_shared<FalconMouseDevice>(0x4139);
    const QByteArray image = changedKiteCImage();
    loadIntoMouse(mouse->firmware(), image);
    JsonHandle json;
    QVERIFY(json.saveMouseData_Kelvo(image, 7, 1));
    const QString path = StoragePaths::configJsonPath(7, 1);
    if (!fullDisk)
        QVERIFY(QFile::remove(path) && QDir().mkpath(path));
    const QByteArray before = rig.home.read(path.mid(rig.home.path().size()));

    DeviceSession session;
    DCDataHandle *c = session.coordinator();
    QSignalSpy opened(c, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy loadingEnd(c, &DCDataHandle::sig_EndLoadingDialog);
    QSignalSpy warning(c, &DCDataHandle::sig_ShowWarningDialog);
    QSignalSpy saveFailed(c, &DCDataHandle::sig_SaveFailed);
    session.setWatchInterval(10);
    session.start();
    rig.bus.plug(mouse);
    QTRY_COMPARE(opened.size(), 1);
    QTRY_VERIFY(loadingEnd.size() >= 1);
    session.runOnCoordinator([] {});
    warning.clear();
    {
        std::unique_ptr<FileSizeLimit> full(fullDisk ? new FileSizeLimit(64) : nullptr);
        session.setReportRate(0);
        session.runOnCoordinator([] {});
        QTRY_COMPARE(saveFailed.size(), 1);
    }
    // The mouse took the change; the file half failed, said where and why, and the file is as
    // it was.
    QCOMPARE(mouse->firmware().memory(0x880, 4), hex("08 00 00 00"));
    QCOMPARE(saveFailed.first(), (QList<QVariant>{path, reason}));
    QTRY_COMPARE(warning.size(), 1);
    QCOMPARE(warning.first().first().toInt(), 32);
    QCOMPARE(rig.home.read(path.mid(rig.home.path().size())), before);
}

QTEST_GUILESS_MAIN(TstFalconSession)
#include "tst_falconsession.moc"
