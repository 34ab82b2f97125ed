// The coordinator with the real Osprey-family and Heron managers, drivers and emulators.

#include "session/devicesession.h"
#include "sim/ospreymousedevice.h"
#include "common/pacer.h"
#include "storage/storagepaths.h"
#include "support/busrig.h"
#include "sim/virtualhidbus.h"
#include "profile/usbdrivermanger.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

class TstOspreySession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openFillsPagesFromTheMouse_data();
    void openFillsPagesFromTheMouse();
    void factoryResetRewritesMouseAndConfigurations();
    void liftOffAloneReachesTheMouse_data();
    void liftOffAloneReachesTheMouse();
};

void TstOspreySession::openFillsPagesFromTheMouse_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<DWORD>>("dpi");
    QTest::newRow("osprey") << 0x4122 << 3 << QList<DWORD>{800, 1000, 1500, 2000, 3000, 8000, 16000};
    QTest::newRow("wren") << 0x4126 << 4 << QList<DWORD>{};
    QTest::newRow("heron") << 0x4161 << 13 << QList<DWORD>{};
}

void TstOspreySession::openFillsPagesFromTheMouse()
{
    QFETCH(int, pid);
    QFETCH(int, type);
    QFETCH(QList<DWORD>, dpi);
    BusRig rig;
    auto mouse = std::make_shared<OspreyMouseDevice>(USHORT(pid));
    // A setting only the mouse knows: report-rate index 1.
    QByteArray settings = mouse->firmware().settings();
    settings[0] = 1;
    mouse->firmware().setSettings(settings);
    rig.bus.plug(mouse);

    DeviceSession session;
    session.setAutoOpen(false);
    DCDataHandle *c = session.coordinator();
    QSignalSpy opened(c, &DCDataHandle::sig_OpenDeviceResult);
    QSignalSpy dpiSpy(c, &DCDataHandle::sig_SetCurrentCpiListValueOnPage);
    QSignalSpy rate(c, &DCDataHandle::sig_SetCurrentReportRate);
    QSignalSpy light(c, &DCDataHandle::sig_SetLightParameterOnPage);
    QSignalSpy buttons(c, &DCDataHandle::sig_CurrentButtonIsOriginalButton);
    QSignalSpy warnings(c, &DCDataHandle::sig_ShowWarningDialog);
    Q_EMIT session.sig_OpenDevice(uint(pid), 0);
    session.runOnCoordinator([] {});
    QTRY_COMPARE(opened.size(), 1);
    QCOMPARE(opened.first(), (QList<QVariant>{true, type, false}));
    // The mouse differs from the factory image, so no stored configuration matches it.
    QTRY_COMPARE(warnings.size(), 1);
    QCOMPARE(warnings.first().first().toInt(), 38);
    QCOMPARE(rate.size(), 0);

    // Storing it as configuration 1 and re-reading fills every page from the mouse.
    session.saveToConfiguration1();
    session.runOnCoordinator([] {});
    QTRY_VERIFY(rate.size() >= 1);
    QCOMPARE(rate.last().first().toInt(), 1);
    QTRY_VERIFY(dpiSpy.size() >= 1);
    if (!dpi.isEmpty())
        QCOMPARE(dpiSpy.last().first().value<QList<DWORD>>(), dpi);
    QVERIFY(light.size() >= 1);
    QVERIFY(buttons.size() >= 5);
}

void TstOspreySession::factoryResetRewritesMouseAndConfigurations()
{
    BusRig rig;
    auto mouse = std::make_shared<OspreyMouseDevice>(0x4122);
    rig.bus.plug(mouse);
    DeviceSession session;
    session.setAutoOpen(false);
    Q_EMIT session.sig_OpenDevice(0x4122, 0);
    session.setReportRate(0);
    session.runOnCoordinator([] {});
    QCOMPARE(mouse->firmware().settings().at(0), char(0));
    QVERIFY(QFile::exists(StoragePaths::configJsonPath(3, 1)));

    session.factoryReset();
    session.runOnCoordinator([] {});
    QCOMPARE(mouse->firmware().settings(), OspreyMouseFirmware::factorySettings(3));
    for (int n = 1; n <= 5; ++n) {
        QVERIFY2(QFile::exists(StoragePaths::configJsonPath(3, n)), qPrintable(QString::number(n)));
        QVERIFY2(!QFile::exists(StoragePaths::cpiSettingFile(3, n)), qPrintable(QString::number(n)));
    }
}

void TstOspreySession::liftOffAloneReachesTheMouse_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("type");
    QTest::newRow("osprey") << 0x4122 << 3;
    QTest::newRow("heron") << 0x4161 << 13;
    QTest::newRow("lark") << 0x4162 << 18;
}

void TstOspreySession::liftOffAloneReachesTheMouse()
{
    QFETCH(int, pid);
    QFETCH(int, type);
    BusRig rig;
    auto mouse = std::make_shared<OspreyMouseDevice>(USHORT(pid));
    rig.bus.plug(mouse);
    DeviceSession session;
    session.setAutoOpen(false);
    DCDataHandle *c = session.coordinator();
    Q_EMIT session.sig_OpenDevice(uint(pid), 0);
    session.runOnCoordinator([] {});
    QVERIFY(c->manager());
    QSignalSpy warnings(c, &DCDataHandle::sig_ShowWarningDialog);
    QVERIFY(mouse->firmware().settings().at(1) != 7);

    session.runOnCoordinator([c] { c->slotSetMouseSilentHeigh(7); });
    QCOMPARE(int(mouse->firmware().settings().at(1)), 7);
    QFile file(StoragePaths::configJsonPath(type, 1));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(file.readAll()).object().value("MouseDataOfGamingMode").toObject()
                 .value("1").toInt(), 7);
    QCOMPARE(warnings.size(), 0);

    // A value the mouse does not take is not kept for the next write.
    mouse->firmware().setVanished(true);
    session.runOnCoordinator([c] { c->slotSetMouseSilentHeigh(9); });
    QCOMPARE(warnings.size(), 1);
    mouse->firmware().setVanished(false);
    int lift = 0;
    session.runOnCoordinator([&] { c->manager()->GetSilentHeight(lift, 1); });
    QCOMPARE(lift, 7);
    QCOMPARE(int(mouse->firmware().settings().at(1)), 7);
}

QTEST_GUILESS_MAIN(TstOspreySession)
#include "tst_ospreysession.moc"
