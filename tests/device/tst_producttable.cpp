#include "device/watcher/producttable.h"

#include <QtTest>

class TstProductTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("QKDRIVER_VENDOR_ID"); }
    void cleanup() { qunsetenv("QKDRIVER_VENDOR_ID"); }
    void rows_data();
    void rows();
    void unknownIds_data();
    void unknownIds();
    void vendorOverride_data();
    void vendorOverride();
    void bootFromProductString_data();
    void bootFromProductString();
    void bootFromReleaseNumber_data();
    void bootFromReleaseNumber();
};

void TstProductTable::rows_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("receiver");
    QTest::addColumn<int>("wiredPartner");
    QTest::addColumn<int>("receiverPartner");
    QTest::addColumn<QString>("wired");
    QTest::addColumn<QString>("wireless");

    QTest::newRow("4130 falcon") << 0x4130 << 11 << false << 0 << 0x1804
                                 << "VID_F00D&PID_4130" << "VID_F00D&PID_1804";
    QTest::newRow("1804 falcon rx") << 0x1804 << 11 << true << 0x4130 << 0
                                    << "VID_F00D&PID_4130" << "VID_F00D&PID_1804";
    QTest::newRow("4137 falconc") << 0x4137 << 9 << false << 0 << 0x180A
                                  << "VID_F00D&PID_4137" << "VID_F00D&PID_180a";
    QTest::newRow("180a falconc rx") << 0x180A << 9 << true << 0x4137 << 0
                                     << "VID_F00D&PID_4137" << "VID_F00D&PID_180a";
    QTest::newRow("4138 falconq") << 0x4138 << 10 << false << 0 << 0x180B
                                  << "VID_F00D&PID_4138" << "VID_F00D&PID_180b";
    QTest::newRow("180b falconq rx") << 0x180B << 10 << true << 0x4138 << 0
                                     << "VID_F00D&PID_4138" << "VID_F00D&PID_180b";
    QTest::newRow("4139 kitec") << 0x4139 << 7 << false << 0 << 0x180C
                                << "VID_F00D&PID_4139" << "VID_F00D&PID_180c";
    QTest::newRow("180c kitec rx") << 0x180C << 7 << true << 0x4139 << 0
                                   << "VID_F00D&PID_4139" << "VID_F00D&PID_180c";
    QTest::newRow("413a kiteq") << 0x413A << 8 << false << 0 << 0x180D
                                << "VID_F00D&PID_413a" << "VID_F00D&PID_180d";
    QTest::newRow("180d kiteq rx") << 0x180D << 8 << true << 0x413A << 0
                                   << "VID_F00D&PID_413a" << "VID_F00D&PID_180d";
    QTest::newRow("413b falconeu") << 0x413B << 14 << false << 0 << 0x180F
                                   << "VID_F00D&PID_413b" << "VID_F00D&PID_180f";
    QTest::newRow("180f falconeu rx") << 0x180F << 14 << true << 0x413B << 0
                                      << "VID_F00D&PID_413b" << "VID_F00D&PID_180f";
    QTest::newRow("4132 kite") << 0x4132 << 12 << false << 0 << 0x4133
                               << "VID_F00D&PID_4132" << "VID_F00D&PID_4133";
    QTest::newRow("4133 kite rx") << 0x4133 << 12 << true << 0x4132 << 0
                                  << "VID_F00D&PID_4132" << "VID_F00D&PID_4133";
    QTest::newRow("4118 wrens") << 0x4118 << 6 << false << 0 << 0 << "" << "";
    QTest::newRow("4122 osprey") << 0x4122 << 3 << false << 0 << 0 << "" << "";
    QTest::newRow("4123 swift") << 0x4123 << 2 << false << 0 << 0 << "" << "";
    QTest::newRow("4124 swifts") << 0x4124 << 5 << false << 0 << 0 << "" << "";
    QTest::newRow("4126 wren") << 0x4126 << 4 << false << 0 << 0 << "" << "";
    QTest::newRow("4161 heron") << 0x4161 << 13 << false << 0 << 0 << "" << "";
    QTest::newRow("4162 lark") << 0x4162 << 18 << false << 0 << 0 << "" << "";
}

void TstProductTable::rows()
{
    QFETCH(int, pid);
    QFETCH(int, type);
    QFETCH(bool, receiver);
    QFETCH(int, wiredPartner);
    QFETCH(int, receiverPartner);
    QFETCH(QString, wired);
    QFETCH(QString, wireless);
    QCOMPARE(ProductTable::mouseTypeOf(pid), type);
    QCOMPARE(ProductTable::isReceiverId(pid), receiver);
    QCOMPARE(ProductTable::linkModeOf(pid), receiver ? 1 : 0);
    QCOMPARE(ProductTable::wiredPartner(pid), wiredPartner);
    QCOMPARE(ProductTable::receiverPartner(pid), receiverPartner);
    QCOMPARE(ProductTable::wiredSelector(pid), wired);
    QCOMPARE(ProductTable::wirelessSelector(pid), wireless);
    QVERIFY(ProductTable::find(pid).has_value());
}

void TstProductTable::unknownIds_data()
{
    QTest::addColumn<int>("pid");
    QTest::newRow("0") << 0;
    QTest::newRow("boot loader 3000") << 0x3000;
    QTest::newRow("loader 1022") << 0x1022;
    QTest::newRow("180e") << 0x180E;
    QTest::newRow("negative") << -1;
    QTest::newRow("above 16 bits") << 0x14130;
}

void TstProductTable::unknownIds()
{
    QFETCH(int, pid);
    QCOMPARE(ProductTable::mouseTypeOf(pid), 0);
    QVERIFY(!ProductTable::isReceiverId(pid));
    QCOMPARE(ProductTable::wiredPartner(pid), 0);
    QCOMPARE(ProductTable::receiverPartner(pid), 0);
    QCOMPARE(ProductTable::wiredSelector(pid), QString());
    QVERIFY(!ProductTable::find(pid).has_value());
}

void TstProductTable::vendorOverride_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<QString>("wireless");
    QTest::newRow("unset") << QByteArray() << 0xF00D << "VID_F00D&PID_180a";
    QTest::newRow("lower-case hex") << QByteArray("1a2b") << 0x1A2B << "VID_1A2B&PID_180a";
    QTest::newRow("0x prefix") << QByteArray("0x04D9") << 0x04D9 << "VID_04D9&PID_180a";
    QTest::newRow("blanks around") << QByteArray(" 258a ") << 0x258A << "VID_258A&PID_180a";
    QTest::newRow("not hex") << QByteArray("zz") << 0xF00D << "VID_F00D&PID_180a";
    QTest::newRow("above 16 bits") << QByteArray("10000") << 0xF00D << "VID_F00D&PID_180a";
    QTest::newRow("zero") << QByteArray("0") << 0xF00D << "VID_F00D&PID_180a";
}

void TstProductTable::vendorOverride()
{
    QFETCH(QByteArray, env);
    QFETCH(int, vendor);
    QFETCH(QString, wireless);
    if (!env.isNull())
        qputenv("QKDRIVER_VENDOR_ID", env);
    QCOMPARE(int(ProductTable::vendorId()), vendor);
    QCOMPARE(ProductTable::wirelessSelector(0x4137), wireless);
}

void TstProductTable::bootFromProductString_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("type");
    QTest::newRow("FalconEU") << "FalconEU Boot" << 14;
    QTest::newRow("Kite") << "Kite ISP" << 12;
    QTest::newRow("KiteC still counts as Kite") << "KiteC Boot" << 12;
    QTest::newRow("FalconEU tested before Kite") << "Kite FalconEU" << 14;
    QTest::newRow("plain Falcon") << "Falcon Boot" << 0;
    QTest::newRow("case matters") << "FALCONEU" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TstProductTable::bootFromProductString()
{
    QFETCH(QString, product);
    QFETCH(int, type);
    QCOMPARE(ProductTable::bootTypeFromProductString(product), type);
}

void TstProductTable::bootFromReleaseNumber_data()
{
    QTest::addColumn<int>("bcd");
    QTest::addColumn<int>("type");
    QTest::newRow("4118") << 0x4118 << 6;
    QTest::newRow("4122") << 0x4122 << 3;
    QTest::newRow("4123") << 0x4123 << 2;
    QTest::newRow("4124") << 0x4124 << 5;
    QTest::newRow("4126") << 0x4126 << 4;
    QTest::newRow("4161") << 0x4161 << 13;
    QTest::newRow("4162") << 0x4162 << 18;
    QTest::newRow("falcon id is not a loader model") << 0x4130 << 0;
    QTest::newRow("0100") << 0x0100 << 0;
}

void TstProductTable::bootFromReleaseNumber()
{
    QFETCH(int, bcd);
    QFETCH(int, type);
    QCOMPARE(ProductTable::bootTypeFromReleaseNumber(USHORT(bcd)), type);
}

QTEST_GUILESS_MAIN(TstProductTable)
#include "tst_producttable.moc"
