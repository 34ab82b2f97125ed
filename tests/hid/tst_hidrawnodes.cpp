#include "hid/hidrawnodes.h"
#include "support/filetree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <unistd.h>

class TstHidrawNodes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parseUevent_data();
    void parseUevent();
    void scanFakeSystem();
    void openOutcome();
};

void TstHidrawNodes::parseUevent_data()
{
    QTest::addColumn<QByteArray>("uevent");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("bus");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<QString>("name");
    QTest::newRow("usb receiver")
        << QByteArray("DRIVER=hid-generic\nHID_ID=0003:0000F00D:00001804\nHID_NAME=Maker 2.4G Receiver\n"
                      "HID_PHYS=usb-0000:00:14.0-1/input1\nMODALIAS=hid:b0003g0001v0000F00Dp00001804\n")
        << true << 3 << 0xF00D << 0x1804 << "Maker 2.4G Receiver";
    QTest::newRow("lower-case digits, no name") << QByteArray("HID_ID=0003:0000f00d:0000413a\n")
                                                << true << 3 << 0xF00D << 0x413A << "";
    QTest::newRow("bluetooth") << QByteArray("HID_NAME=Pad\nHID_ID=0005:0000054C:000009CC")
                               << true << 5 << 0x054C << 0x09CC << "Pad";
    QTest::newRow("no HID_ID") << QByteArray("DRIVER=hid-generic\nHID_NAME=x\n") << false << 0 << 0 << 0 << "";
    QTest::newRow("two fields") << QByteArray("HID_ID=0003:0000F00D\n") << false << 0 << 0 << 0 << "";
    QTest::newRow("not hexadecimal") << QByteArray("HID_ID=0003:0000F00D:0000XYZW\n") << false << 0 << 0 << 0 << "";
    QTest::newRow("wider than 16 bits") << QByteArray("HID_ID=0003:0001F00D:00004130\n") << false << 0 << 0 << 0 << "";
    QTest::newRow("empty") << QByteArray() << false << 0 << 0 << 0 << "";
}

void TstHidrawNodes::parseUevent()
{
    QFETCH(QByteArray, uevent);
    QFETCH(bool, ok);
    HidrawNodes::Node node;
    QCOMPARE(HidrawNodes::parseUevent(uevent, &node), ok);
    if (!ok)
        return;
    QTEST(int(node.bus), "bus");
    QTEST(int(node.vendorId), "vendor");
    QTEST(int(node.productId), "product");
    QTEST(node.productName, "name");
}

void TstHidrawNodes::scanFakeSystem()
{
    QTemporaryDir root;
    const QString sys = root.path() + "/sys";
    QVERIFY(writeFile(sys + "/class/hidraw/hidraw10/device/uevent", "HID_ID=0003:0000F00D:00004130\n"));
    QVERIFY(writeFile(sys + "/class/hidraw/hidraw2/device/uevent", "HID_ID=0003:00000603:00001022\n"));
    QVERIFY(writeFile(sys + "/class/hidraw/hidraw1/device/uevent", "DRIVER=hid-generic\n")); // no id
    QVERIFY(QDir().mkpath(sys + "/class/hidraw/hidraw3"));                                // no uevent
    QVERIFY(writeFile(sys + "/class/hidraw/input7/device/uevent", "HID_ID=0003:0000F00D:00004131\n"));

    QStringList opened;
    const auto nodes = HidrawNodes::scan(sys, "/fake/dev", [&](const QString &path) {
        opened << path;
        return path.endsWith("hidraw10") ? EACCES : 0;
    });
    opened.sort();
    QCOMPARE(opened, (QStringList{"/fake/dev/hidraw10", "/fake/dev/hidraw2"}));
    QCOMPARE(nodes.size(), 2);
    QCOMPARE(nodes.at(0).name, QString("hidraw2"));
    QCOMPARE(nodes.at(0).vendorId, USHORT(0x0603));
    QCOMPARE(nodes.at(0).openError, 0);
    QCOMPARE(nodes.at(1).devicePath, QString("/fake/dev/hidraw10"));
    QCOMPARE(nodes.at(1).productId, USHORT(0x4130));
    QCOMPARE(nodes.at(1).openError, EACCES);
    QVERIFY(HidrawNodes::scan(root.path() + "/nothing", "/dev").isEmpty());
}

void TstHidrawNodes::openOutcome()
{
    QTemporaryDir dev;
    QCOMPARE(HidrawNodes::openForReadWrite(dev.path() + "/hidraw0"), ENOENT);
    QVERIFY(writeFile(dev.path() + "/hidraw1", ""));
    QCOMPARE(HidrawNodes::openForReadWrite(dev.path() + "/hidraw1"), 0);
    QVERIFY(HidrawNodes::isPermissionError(EACCES));
    QVERIFY(!HidrawNodes::isPermissionError(ENOENT));
    if (::geteuid() == 0)
        QSKIP("root opens a node whatever its mode");
    QVERIFY(QFile::setPermissions(dev.path() + "/hidraw1", QFile::ReadOwner));
    QCOMPARE(HidrawNodes::openForReadWrite(dev.path() + "/hidraw1"), EACCES);
}

QTEST_GUILESS_MAIN(TstHidrawNodes)
#include "tst_hidrawnodes.moc"
