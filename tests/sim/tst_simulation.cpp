#include "sim/simulation.h"

#include <QtTest>

class TstSimulation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("QKDRIVER_SIMULATE"); qunsetenv("QKDRIVER_VENDOR_ID"); }
    void cleanup() { init(); Simulation::uninstall(); }
    void requested_data();
    void requested();
    void devices_data();
    void devices();
    void installPlugsAndUninstallRestores();
    void unknownNameInstallsNothing();
};

void TstSimulation::requested_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("env"); // "-" for unset
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("nothing") << QStringList{"QKDriver"} << "-" << false << QStringList();
    QTest::newRow("separate value") << QStringList{"QKDriver", "--simulate", "falcon"} << "-"
                                    << true << QStringList{"falcon"};
    QTest::newRow("equals, list, case and blanks")
        << QStringList{"QKDriver", "--simulate= Falcon-Receiver ,osprey,,"} << "-" << true
        << QStringList{"falcon-receiver", "osprey"};
    QTest::newRow("no value before another option")
        << QStringList{"QKDriver", "--simulate", "-d"} << "-" << true << QStringList();
    QTest::newRow("no value at the end") << QStringList{"QKDriver", "--simulate"} << "-" << true
                                         << QStringList();
    QTest::newRow("environment") << QStringList{"QKDriver"} << "heron,kite-boot" << true
                                 << QStringList{"heron", "kite-boot"};
    QTest::newRow("argument wins over environment")
        << QStringList{"QKDriver", "--simulate=lark"} << "heron" << true << QStringList{"lark"};
    QTest::newRow("empty environment") << QStringList{"QKDriver"} << "" << true << QStringList();
}

void TstSimulation::requested()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, env);
    QFETCH(bool, asked);
    QFETCH(QStringList, names);
    if (env != QLatin1String("-"))
        qputenv("QKDRIVER_SIMULATE", env.toUtf8());
    const auto got = Simulation::requestedDevices(arguments);
    QCOMPARE(got.has_value(), asked);
    if (got)
        QCOMPARE(*got, names);
}

void TstSimulation::devices_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("vid");
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("bcd");
    QTest::addColumn<QString>("productContains");
    QTest::addColumn<int>("vendorInterfaces"); // interfaces on usage page 0xFF00
    QTest::newRow("falcon") << "falcon" << 0xF00D << 0x4130 << 0x0100 << "Falcon" << 1;
    QTest::newRow("falcon receiver") << "falcon-receiver" << 0xF00D << 0x1804 << 0x0100
                                     << "Receiver" << 1;
    QTest::newRow("kite receiver") << "kite-receiver" << 0xF00D << 0x4133 << 0x0100 << "Kite" << 1;
    QTest::newRow("falconeu") << "falconeu" << 0xF00D << 0x413B << 0x0100 << "FalconEU" << 1;
    QTest::newRow("osprey: two channels") << "osprey" << 0xF00D << 0x4122 << 0x0100 << "Osprey"
                                          << 2;
    QTest::newRow("heron") << "heron" << 0xF00D << 0x4161 << 0x0100 << "Heron" << 2;
    QTest::newRow("falconeu boot loader") << "falconeu-boot" << 0xF00D << 0x3000 << 0x0100
                                          << "FalconEU" << 1;
    QTest::newRow("kitec boot loader") << "kitec-boot" << 0xF00D << 0x3000 << 0x0100 << "Kite"
                                       << 1;
    QTest::newRow("wren loader carries the mouse id") << "wren-boot" << 0x0603 << 0x1022
                                                      << 0x4126 << "" << 1;
}

void TstSimulation::devices()
{
    QFETCH(QString, name);
    QFETCH(int, vid);
    QFETCH(int, pid);
    QFETCH(int, bcd);
    QFETCH(QString, productContains);
    QFETCH(int, vendorInterfaces);
    QVERIFY(Simulation::deviceNames().contains(name));
    const auto d = Simulation::createDevice(name);
    QVERIFY(d);
    const QList<HidDeviceInfo> ifs = d->interfaces();
    QVERIFY(!ifs.isEmpty());
    int vendor = 0;
    for (const HidDeviceInfo &i : ifs) {
        QCOMPARE(int(i.vendorId), vid);
        QCOMPARE(int(i.productId), pid);
        QCOMPARE(int(i.releaseNumber), bcd);
        QVERIFY(i.productString.contains(productContains));
        vendor += i.usagePage == 0xFF00 ? 1 : 0;
    }
    QCOMPARE(vendor, vendorInterfaces);
}

void TstSimulation::installPlugsAndUninstallRestores()
{
    QVERIFY(!HidBackend::installed());
    QString error;
    QVERIFY(Simulation::install({"falcon-receiver", "osprey"}, &error));
    QVERIFY(error.isEmpty());
    QVERIFY(Simulation::bus());
    QCOMPARE(HidBackend::installed(), static_cast<HidBackend *>(Simulation::bus()));
    QList<HidDeviceInfo> list;
    QVERIFY(HidBackend::current().enumerate(&list));
    QList<int> pids;
    for (const HidDeviceInfo &i : list) {
        if (!pids.contains(i.productId))
            pids << i.productId;
    }
    QCOMPARE(pids, (QList<int>{0x1804, 0x4122}));
    Simulation::uninstall();
    QVERIFY(!HidBackend::installed());
    QVERIFY(!Simulation::bus());
}

void TstSimulation::unknownNameInstallsNothing()
{
    QString error;
    QVERIFY(!Simulation::install({"falcon", "falcon-reciever"}, &error));
    QVERIFY(error.contains(QStringLiteral("\"falcon-reciever\"")));
    QVERIFY(error.contains(QStringLiteral("falcon-receiver")));
    QVERIFY(!HidBackend::installed());
    QVERIFY(!Simulation::createDevice(QStringLiteral("osprey-receiver")));
    QVERIFY(!Simulation::createDevice(QString()));
}

QTEST_GUILESS_MAIN(TstSimulation)
#include "tst_simulation.moc"
