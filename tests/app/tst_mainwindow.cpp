#include "app/mainwindow.h"
#include "sim/simulation.h"
#include "support/temphome.h"
#include "sim/falconmousedevice.h"
#include "sim/virtualhidbus.h"

#include <QtTest>

class TstMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Simulation::uninstall(); }
    void showsWhatTheWatcherReports();
    void firmwareVersionIsUnsigned();
    void reportSlotTexts_data();
    void reportSlotTexts();
};

void TstMainWindow::showsWhatTheWatcherReports()
{
    TempHome home;
    QVERIFY(Simulation::install({QStringLiteral("kite-receiver")}));
    MainWindow w;
    // The watcher ticks once a second on its own thread.
    QTRY_COMPARE_WITH_TIMEOUT(w.deviceEvents(), QStringList{"found 0x4133 kite receiver"}, 10000);
    // The mouse behind the receiver is opened and what it holds is shown.
    QTRY_VERIFY_WITH_TIMEOUT(w.deviceSummary().contains("DPI 1000 · 1500 · 2000 · 3000 · 5000,  1000 Hz"), 10000);
    QVERIFY(w.deviceSummary().startsWith("kite by 2.4 GHz receiver, firmware "));
    Simulation::bus()->unplugAll();
    QTRY_COMPARE_WITH_TIMEOUT(w.deviceEvents(),
                              (QStringList{"found 0x4133 kite receiver", "lost 0x4133 kite receiver"}),
                              10000);
}

void TstMainWindow::firmwareVersionIsUnsigned()
{
    TempHome home;
    QVERIFY(Simulation::install({QStringLiteral("falcon")}));
    auto mouse = std::dynamic_pointer_cast<FalconMouseDevice>(Simulation::bus()->devices().first());
    QVERIFY(mouse);
    mouse->firmware().setFirmwareVersion(0x80000039); // top bit set: no sign
    MainWindow w;
    QTRY_VERIFY_WITH_TIMEOUT(w.deviceSummary().contains("falcon by cable, firmware 2147483705"), 10000);
}

void TstMainWindow::reportSlotTexts_data()
{
    QTest::addColumn<int>("bootType");
    QTest::addColumn<bool>("found");
    QTest::addColumn<uint>("pid");
    QTest::addColumn<QString>("event");
    QTest::newRow("cable") << 0 << true << 0x4138u << "found 0x4138 falconq";
    QTest::newRow("receiver lost") << 0 << false << 0x180Au << "lost 0x180a falconc receiver";
    QTest::newRow("boot loader") << 14 << true << 0x3000u << "found 0x3000 falconeu boot loader";
    QTest::newRow("osprey loader") << 13 << true << 0x1022u << "found 0x1022 heron boot loader";
    QTest::newRow("unplaced boot loader") << 0 << true << 0x3000u << "found 0x3000 falcon-family boot loader";
    QTest::newRow("unplaced osprey loader") << 0 << true << 0x1022u << "found 0x1022 osprey-family boot loader";
}

void TstMainWindow::reportSlotTexts()
{
    QFETCH(int, bootType);
    QFETCH(bool, found);
    QFETCH(uint, pid);
    QFETCH(QString, event);
    TempHome home;
    QVERIFY(Simulation::install({}));
    MainWindow w;
    w.slot_SetKelvoMouseBooltDescriptor(bootType);
    w.slot_WarningDeviceNotInsert(found, pid, 0xF00D);
    QCOMPARE(w.deviceEvents(), QStringList{event});
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
