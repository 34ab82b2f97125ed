#include "device/watcher/deviceaccess.h"

#include "catalog/modelcatalog.h"
#include "common/texttable.h"
#include "support/filetree.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

namespace {
HidrawNodes::Node node(const QString &name, USHORT vendor, USHORT product, int error)
{
    HidrawNodes::Node n;
    n.name = name;
    n.devicePath = "/dev/" + name;
    n.bus = 3;
    n.vendorId = vendor;
    n.productId = product;
    n.openError = error;
    return n;
}

// (vendor, product) of every rule line of a rule file.
QList<QPair<int, int>> ruledIds(const QString &rules)
{
    static const QRegularExpression line(
        R"re(^SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess"$)re");
    QList<QPair<int, int>> ids;
    for (const QString &l : rules.split('\n')) {
        if (l.isEmpty() || l.startsWith('#'))
            continue;
        const auto m = line.match(l);
        if (!m.hasMatch())
            return {{-1, -1}}; // a line that is neither a comment nor a rule
        ids.append({m.captured(1).toInt(nullptr, 16), m.captured(2).toInt(nullptr, 16)});
    }
    return ids;
}
} // namespace

class TstDeviceAccess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { TextTable::set({}); }
    void rulesNameEveryCatalogId_data();
    void rulesNameEveryCatalogId();
    void blocked_data();
    void blocked();
    void fix_data();
    void fix();
    void fixSentencesFromTextTable();
};

void TstDeviceAccess::rulesNameEveryCatalogId_data()
{
    QTest::addColumn<int>("vendor");
    QTest::newRow("placeholder") << 0xF00D;
    QTest::newRow("another maker") << 0x1A2B;
}

void TstDeviceAccess::rulesNameEveryCatalogId()
{
    QFETCH(int, vendor);
    const auto ids = ruledIds(DeviceAccess::udevRules(USHORT(vendor)));
    QList<QPair<int, int>> expected;
    for (const Catalog::Model &m : Catalog::models()) {
        expected.append({vendor, m.cableId});
        if (m.hasReceiver())
            expected.append({vendor, m.receiverId});
    }
    expected.append({vendor, 0x3000});  // Falcon-family boot loader
    expected.append({0x0603, 0x1022});  // Osprey-family boot loader
    QCOMPARE(ids, expected);
}

void TstDeviceAccess::blocked_data()
{
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("what");
    QTest::newRow("receiver, no permission") << 0xF00D << 0x1804 << EACCES << "Falcon, receiver";
    QTest::newRow("cable, not permitted") << 0xF00D << 0x4122 << EPERM << "Osprey, cable";
    QTest::newRow("falcon loader") << 0xF00D << 0x3000 << EACCES << "Falcon-family boot loader";
    QTest::newRow("osprey loader") << 0x0603 << 0x1022 << EACCES << "Osprey-family boot loader";
    QTest::newRow("opens") << 0xF00D << 0x4130 << 0 << "";
    QTest::newRow("gone meanwhile") << 0xF00D << 0x4130 << ENOENT << "";
    QTest::newRow("other maker's mouse") << 0x046D << 0x4130 << EACCES << "";
    QTest::newRow("loader id of our vendor") << 0xF00D << 0x1022 << EACCES << "";
    QTest::newRow("unknown product") << 0xF00D << 0x4131 << EACCES << "";
}

void TstDeviceAccess::blocked()
{
    QFETCH(int, vendor);
    QFETCH(int, product);
    QFETCH(int, error);
    QFETCH(QString, what);
    const auto nodes = QList<HidrawNodes::Node>{node("hidraw0", 0x1111, 0x2222, EACCES),
                                                node("hidraw4", USHORT(vendor), USHORT(product), error)};
    const auto blocked = DeviceAccess::blockedDevices(nodes, 0xF00D);
    QCOMPARE(blocked.size(), what.isEmpty() ? 0 : 1);
    if (!what.isEmpty()) {
        QCOMPARE(blocked.first().what, what);
        QCOMPARE(blocked.first().node.name, QString("hidraw4"));
    }
}

void TstDeviceAccess::fix_data()
{
    // Which rule files the system holds (location -> vendor id of the rules, 0: a file without
    // our lines), and whether the fix installs the rule or only reloads it.
    QTest::addColumn<QString>("etcRules");
    QTest::addColumn<QString>("libRules");
    QTest::addColumn<bool>("installs");
    const QString ours = DeviceAccess::udevRules(0xF00D);
    const QString stale = DeviceAccess::udevRules(0x1A2B);
    QTest::newRow("no rule anywhere") << "" << "" << true;
    QTest::newRow("packaged rule") << "" << ours << false;
    QTest::newRow("own copy in /etc") << ours << "" << false;
    QTest::newRow("packaged rule for another vendor") << "" << stale << true;
    QTest::newRow("stale copy in /etc hides the packaged one") << stale << ours << true;
    QTest::newRow("empty file") << "" << "# nothing\n" << true;
}

void TstDeviceAccess::fix()
{
    QFETCH(QString, etcRules);
    QFETCH(QString, libRules);
    QFETCH(bool, installs);
    QTemporaryDir root;
    if (!etcRules.isEmpty())
        QVERIFY(writeFile(root.path() + "/etc/udev/rules.d/70-qkdriver.rules", etcRules.toUtf8()));
    if (!libRules.isEmpty())
        QVERIFY(writeFile(root.path() + "/usr/lib/udev/rules.d/70-qkdriver.rules", libRules.toUtf8()));

    QVERIFY(DeviceAccess::accessFix({}, root.path()).isEmpty());
    const QList<DeviceAccess::Blocked> blocked{{node("hidraw3", 0xF00D, 0x1804, EACCES), "Falcon, receiver"},
                                               {node("hidraw5", 0x0603, 0x1022, EACCES), "Osprey-family boot loader"}};
    const QStringList lines = DeviceAccess::accessFix(blocked, root.path());
    QVERIFY(lines.contains("  /dev/hidraw3 (Falcon, receiver, f00d:1804)"));
    QVERIFY(lines.contains("  /dev/hidraw5 (Osprey-family boot loader, 0603:1022)"));
    QCOMPARE(lines.contains("  qkdriverctl udev-rules | sudo tee /etc/udev/rules.d/70-qkdriver.rules"), installs);
    QCOMPARE(lines.last(), QString("  sudo udevadm trigger --subsystem-match=hidraw --action=add"));
}

void TstDeviceAccess::fixSentencesFromTextTable()
{
    QStringList table;
    for (int i = 0; i < 404; ++i)
        table << QString("text %1").arg(i);
    TextTable::set(table);
    QTemporaryDir root;
    const QList<DeviceAccess::Blocked> blocked{{node("hidraw3", 0xF00D, 0x4130, EACCES), "Falcon, cable"}};
    QStringList lines = DeviceAccess::accessFix(blocked, root.path());
    QCOMPARE(lines.at(0), QString("text 401"));
    QCOMPARE(lines.at(2), QString("text 402"));
    QVERIFY(writeFile(root.path() + "/lib/udev/rules.d/70-qkdriver.rules", DeviceAccess::udevRules(0xF00D).toUtf8()));
    lines = DeviceAccess::accessFix(blocked, root.path());
    QCOMPARE(lines.at(2), QString("text 403"));
}

QTEST_GUILESS_MAIN(TstDeviceAccess)
#include "tst_deviceaccess.moc"
