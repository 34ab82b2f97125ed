// The Falcon profile manager against the mouse emulator: every setter is checked by what lands
// in the emulated mouse's memory (profile 1 at 0x400) and in the configuration file.
#include "sim/falconmousedevice.h"
#include "support/filetree.h"
#include "sim/falconreceiverdevice.h"
#include "support/logcapture.h"
#include "common/mousetype.h"
#include "common/pacer.h"
#include "storage/storagepaths.h"
#include "support/busrig.h"
#include "device/falcon/usbdriverfalcon.h"
#include "profile/usbdrivermangerfalcon.h"
#include "sim/virtualhidbus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

int modelOf(USHORT pid)
{
    switch (pid) {
    case 0x4130: return 11;
    case 0x4137: return 9;
    case 0x4138: return 10;
    case 0x4139: return 7;
    case 0x413A: return 8;
    case 0x413B: return 14;
    case 0x4132: return 12;
    default: return 0;
    }
}

// The configuration file of (model, n) as its image bytes; empty when the file is missing.
QByteArray fileImage(int model, int n)
{
    QFile f(StoragePaths::configJsonPath(model, n));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject data = QJsonDocument::fromJson(f.readAll()).object().value("MouseDataOfGamingMode").toObject();
    QByteArray image(128, '\0');
    for (int i = 0; i < 128; ++i)
        image[i] = char(data.value(QString::number(i)).toInt());
    return image;
}

// The "Macro" bytes of one slot of the configuration file.
QJsonObject fileMacro(int model, int n, int slot)
{
    QFile f(StoragePaths::configJsonPath(model, n));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object().value("MacroDataOfGamingMode").toObject()
        .value(QString::number(slot)).toObject();
}

QJsonObject keyStep(int vk, int state, int delay)
{
    return QJsonObject{{"ValueType", 3}, {"MouseValue", 0}, {"KeyValue", vk}, {"TimeLapse", delay},
                       {"CoordinateX", 0}, {"CoordinateY", 0}, {"State", state}, {"Text", "k"}};
}

QString writeMacroFile(const QString &name, const QJsonArray &steps, int repeat = 1, int type = 0)
{
    const QString path = StoragePaths::macroFolder() + "/" + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    QJsonObject o{{"Name", name}, {"MacroType", type}, {"RepeatTimes", repeat}, {"IgnoreDelayTime", 0},
                  {"MacroLength", steps.size()}, {"Macro", steps}};
    f.write(QJsonDocument(o).toJson());
    return path;
}

// A 64 x 48 one-bit BMP whose palette lists black first (as Windows Paint writes one): bit 1
// where the picture is light, rows bottom-up, leftmost pixel in the high bit.
QByteArray blackFirstBmp(const QImage &picture)
{
    QByteArray bmp;
    QDataStream d(&bmp, QIODevice::WriteOnly);
    d.setByteOrder(QDataStream::LittleEndian);
    d << quint8('B') << quint8('M') << quint32(62 + 384) << quint32(0) << quint32(62) << quint32(40)
      << qint32(64) << qint32(48) << quint16(1) << quint16(1) << quint32(0) << quint32(384)
      << qint32(2835) << qint32(2835) << quint32(2) << quint32(0) << quint32(0) << quint32(0xFFFFFF);
    for (int y = 47; y >= 0; --y) {
        for (int x = 0; x < 64; x += 8) {
            quint8 bits = 0;
            for (int k = 0; k < 8; ++k)
                bits |= qGray(picture.pixel(x + k, y)) >= 128 ? quint8(0x80 >> k) : 0;
            d << bits;
        }
    }
    return bmp;
}

QString selector(USHORT pid)
{
    return QStringLiteral("VID_F00D&PID_%1").arg(pid, 4, 16, QLatin1Char('0'));
}
} // namespace

// A cable mouse on a virtual bus with an open manager, in a temporary home.
class Rig : public BusRig
{
public:
    explicit Rig(USHORT pid = 0x4130, bool readProfile = true)
        : mouse(std::make_shared<FalconMouseDevice>(pid)), model(modelOf(pid)),
          manager(model)
    {
        bus.plug(mouse);
        auto driver = std::make_unique<USBDriverFalcon>();
        driver->setLinkMode(0);
        driver->SetWiredWirelessString(selector(pid), QString());
        manager.SetDriver(driver.release());
        manager.SetMouseName(MouseType::modelName(model));
        manager.SetMousePid(pid);
        open = manager.OpenDevice() != 0;
        if (open && readProfile)
            open = manager.GetProfileData();
    }
    FalconMouseFirmware &fw() { return mouse->firmware(); }
    QByteArray mem(quint32 address, int n) { return fw().memory(address, n); }
    QByteArray file(int n = 1) { return fileImage(model, n); }

    std::shared_ptr<FalconMouseDevice> mouse;
    int model;
    UsbDriverMangerFalcon manager;
    bool open = false;
};

class TstUsbDriverMangerFalcon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void receiverCommands_data();
    void receiverCommands();
    void constructionAndLayout_data();
    void constructionAndLayout();
    void buttonEntries_data();
    void buttonEntries();
    void modifierCodes_data();
    void modifierCodes();
    void refusedAssignments_data();
    void refusedAssignments();
    void onlyLeftButtonIsKept();
    void onlyLeftButtonGuardComesFirst_data();
    void onlyLeftButtonGuardComesFirst();
    void restoreFactoryFunction();
    void reportedValues_data();
    void reportedValues();
    void dpiWrite_data();
    void dpiWrite();
    void dpiRefused_data();
    void dpiRefused();
    void dpiOneStage();
    void reportRate_data();
    void reportRate();
    void liftOffAndLighting();
    void oledSettings();
    void pictureFile_data();
    void pictureFile();
    void pictureRoundTrip();
    void battery_data();
    void battery();
    void singleMacro();
    void listMacro();
    void listMacroRefused_data();
    void listMacroRefused();
    void macroFileRefused_data();
    void macroFileRefused();
    void profileReadTakesMacros();
    void configurationCompare_data();
    void configurationCompare();
    void factoryConfiguration();
    void factoryStagesOfTheFalconEU();
    void loadConfigurationWithMacros();
    void loadConfigurationSendsOnlyDifferences_data();
    void loadConfigurationSendsOnlyDifferences();
    void failedCommandKeepsMirrorAndFile();
    void legacyFilesRoundTrip();
};

void TstUsbDriverMangerFalcon::constructionAndLayout_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("address"); // of the entry in profile 1
    QTest::addColumn<QByteArray>("factory");
    QTest::newRow("usual, button 4") << 0x4130 << 4 << 0x600 << hex("03 00 01 00");
    QTest::newRow("usual, button 13") << 0x4130 << 13 << 0x60C << hex("08 00 05 00");
    QTest::newRow("usual, button 7") << 0x4130 << 7 << 0x614 << hex("03 00 10 00");
    QTest::newRow("usual, button 11") << 0x4130 << 11 << 0x624 << hex("FF FF FF FF");
    QTest::newRow("0x4133, button 4 in slot 4") << 0x4133 << 4 << 0x610 << hex("03 00 01 00");
    QTest::newRow("0x4133, button 7 in slot 0") << 0x4133 << 7 << 0x600 << hex("03 00 10 00");
    QTest::newRow("0x4133, button 9 is key 1") << 0x4133 << 9 << 0x60C << hex("00 00 1E 00");
    QTest::newRow("0x4133, button 10 is key 3") << 0x4133 << 10 << 0x614 << hex("00 00 20 00");
    QTest::newRow("0x4133, button 14") << 0x4133 << 14 << 0x604 << hex("08 00 06 00");
}

void TstUsbDriverMangerFalcon::constructionAndLayout()
{
    QFETCH(int, pid);
    QFETCH(int, button);
    QFETCH(int, address);
    QFETCH(QByteArray, factory);
    UsbDriverMangerFalcon m;
    QCOMPARE(m.currentConfigNumber(), 1);
    QCOMPARE(m.mouseName(), QStringLiteral("falcon"));
    m.SetMousePid(USHORT(pid));
    const auto f = m.factoryEntry(button);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(f.data()), 4).toHex(' '), factory.toHex(' '));
    // The image's button table holds the factory table too.
    QCOMPARE(m.image().mid(16 + (address - 0x600), 4).toHex(' '), factory.toHex(' '));
    QCOMPARE(UsbDriverMangerFalcon::buttonSlot(button, pid == 0x4133) * 4 + 0x600, address);
}

void TstUsbDriverMangerFalcon::buttonEntries_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mod");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("entry");
    // Button 5 of the usual products: slot 1.
    QTest::newRow("29 key A") << 0x4130 << 5 << 29 << 0x41 << 0 << 0x604 << hex("00 00 04 00");
    QTest::newRow("29 key A with Ctrl") << 0x4130 << 5 << 29 << 0x41 << 1 << 0x604 << hex("02 00 02 04");
    QTest::newRow("30 Shift+B") << 0x4130 << 5 << 30 << 0x42 << 2 << 0x604 << hex("02 00 01 05");
    QTest::newRow("34 multimedia") << 0x4130 << 5 << 34 << 0x41 << 0 << 0x604 << hex("04 00 00 04");
    QTest::newRow("35 mute") << 0x4130 << 5 << 35 << 0 << 0 << 0x604 << hex("04 00 00 E2");
    QTest::newRow("36 play") << 0x4130 << 5 << 36 << 0 << 0 << 0x604 << hex("04 00 00 CD");
    QTest::newRow("37 volume up") << 0x4130 << 5 << 37 << 0 << 0 << 0x604 << hex("04 00 00 E9");
    QTest::newRow("38 volume down") << 0x4130 << 5 << 38 << 0 << 0 << 0x604 << hex("04 00 00 EA");
    QTest::newRow("39 media player") << 0x4130 << 5 << 39 << 0 << 0 << 0x604 << hex("04 00 01 83");
    QTest::newRow("40 mouse key") << 0x4130 << 5 << 40 << 0x42 << 0x101 << 0x604 << hex("03 00 05 01");
    QTest::newRow("41 disabled") << 0x4130 << 5 << 41 << 0 << 0 << 0x604 << hex("07 00 00 00");
    QTest::newRow("42 DPI function") << 0x4130 << 5 << 42 << 0x41 << 0 << 0x604 << hex("08 00 04 00");
    QTest::newRow("43 extended") << 0x4130 << 5 << 43 << 0x41 << 0 << 0x604 << hex("09 00 00 04");
    QTest::newRow("44 fire") << 0x4130 << 5 << 44 << 0 << 0 << 0x604 << hex("03 00 01 01");
    QTest::newRow("45 DPI up") << 0x4130 << 5 << 45 << 0 << 0 << 0x604 << hex("08 00 05 00");
    QTest::newRow("46 DPI down") << 0x4130 << 5 << 46 << 0 << 0 << 0x604 << hex("08 00 06 00");
    QTest::newRow("47 DPI instant") << 0x4130 << 5 << 47 << 0 << 0 << 0x604 << hex("09 00 01 00");
    QTest::newRow("48 left") << 0x4130 << 5 << 48 << 0 << 0 << 0x604 << hex("03 00 01 00");
    QTest::newRow("49 right") << 0x4130 << 5 << 49 << 0 << 0 << 0x604 << hex("03 00 02 00");
    QTest::newRow("50 middle") << 0x4130 << 5 << 50 << 0 << 0 << 0x604 << hex("03 00 04 00");
    QTest::newRow("51 forward") << 0x4130 << 5 << 51 << 0 << 0 << 0x604 << hex("03 00 10 00");
    QTest::newRow("52 back") << 0x4130 << 5 << 52 << 0 << 0 << 0x604 << hex("03 00 08 00");
    QTest::newRow("55 switch macro") << 0x4130 << 5 << 55 << 0 << 0 << 0x604 << hex("09 00 03 00");
    QTest::newRow("usual, button 14") << 0x4130 << 14 << 41 << 0 << 0 << 0x610 << hex("07 00 00 00");
    QTest::newRow("usual, button 12") << 0x4130 << 12 << 45 << 0 << 0 << 0x628 << hex("08 00 05 00");
    // The second product row (KiteC): other slots.
    QTest::newRow("second row, button 9 key A") << 0x4139 << 9 << 29 << 0x41 << 0 << 0x60C << hex("00 00 04 00");
    QTest::newRow("second row, button 7 DPI up") << 0x4139 << 7 << 45 << 0 << 0 << 0x600 << hex("08 00 05 00");
    QTest::newRow("second row, button 5 mute") << 0x4139 << 5 << 35 << 0 << 0 << 0x61C << hex("04 00 00 E2");
    QTest::newRow("second row, button 13 Ctrl+A") << 0x4139 << 13 << 30 << 0x41 << 1 << 0x608 << hex("02 00 02 04");
}

void TstUsbDriverMangerFalcon::buttonEntries()
{
    QFETCH(int, pid);
    QFETCH(int, button);
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, mod);
    QFETCH(int, address);
    QFETCH(QByteArray, entry);
    Rig r{USHORT(pid)};
    QVERIFY(r.open);
    QVERIFY(r.manager.SetChangeButtonToKey(button, key, mod, changeType, 1));
    QCOMPARE(r.mem(address, 4).toHex(' '), entry.toHex(' '));
    QCOMPARE(r.file().mid(16 + address - 0x600, 4).toHex(' '), entry.toHex(' '));
    // Nothing else in the button table moved.
    QByteArray table = r.file().mid(16, 44);
    QCOMPARE(table, r.mem(0x600, 44));
}

void TstUsbDriverMangerFalcon::modifierCodes_data()
{
    QTest::addColumn<int>("mod");
    QTest::addColumn<int>("bits");
    const int bits[16] = {0, 2, 1, 3, 4, 6, 5, 7, 8, 10, 9, 11, 12, 14, 13, 15};
    for (int m = 1; m < 16; ++m)
        QTest::newRow(qPrintable(QString::number(m))) << m << bits[m];
}

void TstUsbDriverMangerFalcon::modifierCodes()
{
    QFETCH(int, mod);
    QFETCH(int, bits);
    Rig r;
    QVERIFY(r.manager.SetChangeButtonToKey(6, 0x5A, mod, 30, 1)); // Z
    QCOMPARE(r.mem(0x608, 4), QByteArray("\x02\x00", 2) + char(bits) + char(0x1D));
}

void TstUsbDriverMangerFalcon::refusedAssignments_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mod");
    QTest::newRow("button 3") << 3 << 41 << 0 << 0;
    QTest::newRow("button 15") << 15 << 41 << 0 << 0;
    QTest::newRow("reported type 31") << 5 << 31 << 0 << 0;
    QTest::newRow("reported type 33") << 5 << 33 << 0 << 0;
    QTest::newRow("unused 53") << 5 << 53 << 0 << 0;
    QTest::newRow("profile loop 56") << 5 << 56 << 0 << 0;
    QTest::newRow("unknown 0") << 5 << 0 << 0 << 0;
    QTest::newRow("29 key without usage") << 5 << 29 << 0xFF << 0;
    QTest::newRow("30 key without usage") << 5 << 30 << 0x07 << 1;
    QTest::newRow("34 value the table cannot map") << 5 << 34 << 0xE2 << 0;
    QTest::newRow("40 mask the table cannot map") << 5 << 40 << 0x10 << 0;
    QTest::newRow("42 function the table cannot map") << 5 << 42 << 5 << 0;
    QTest::newRow("43 function the table cannot map") << 5 << 43 << 3 << 0;
    QTest::newRow("modifier 16") << 5 << 30 << 0x41 << 16;
    QTest::newRow("modifier -1") << 5 << 29 << 0x41 << -1;
}

void TstUsbDriverMangerFalcon::refusedAssignments()
{
    QFETCH(int, button);
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, mod);
    Rig r;
    const QByteArray before = r.mem(0x600, 44);
    const int writes = r.fw().counters().memoryWrites;
    QVERIFY(!r.manager.SetChangeButtonToKey(button, key, mod, changeType, 1));
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QCOMPARE(r.mem(0x600, 44), before);
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(11, 1)));
}

void TstUsbDriverMangerFalcon::onlyLeftButtonIsKept()
{
    Rig r;
    QSignalSpy warn(&r.manager, &USBDriverManger::sig_WarningOnlyLeftButton);
    const int writes = r.fw().counters().memoryWrites;
    QVERIFY(r.manager.SetChangeButtonToKey(4, 0x41, 0, 29, 1));
    QCOMPARE(warn.size(), 1);
    QCOMPARE(warn.first().first().toInt(), 6);
    QCOMPARE(r.mem(0x600, 4), hex("03 00 01 00"));
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(11, 1)));

    // A macro on the only left button is refused the same way.
    const QString path = writeMacroFile("a.json", {keyStep(0x41, 0, 1)});
    QVERIFY(r.manager.WriteSingleMacro(4, path));
    QCOMPARE(warn.size(), 2);
    QCOMPARE(r.fw().counters().memoryWrites, writes);

    // With a second left button, button 4 may change.
    QVERIFY(r.manager.SetChangeButtonToKey(5, 0, 0, 48, 1));
    QVERIFY(r.manager.SetChangeButtonToKey(4, 0x41, 0, 29, 1));
    QCOMPARE(warn.size(), 2);
    QCOMPARE(r.mem(0x600, 8), hex("00 00 04 00 03 00 01 00"));
    // Now button 5 is the only left click.
    QVERIFY(r.manager.SetChangeButtonToKey(5, 0, 0, 49, 1));
    QCOMPARE(warn.size(), 3);
    QCOMPARE(r.mem(0x604, 4), hex("03 00 01 00"));
}

void TstUsbDriverMangerFalcon::onlyLeftButtonGuardComesFirst_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mod");
    QTest::newRow("reported type 31") << 31 << 0 << 0;
    QTest::newRow("unused 53") << 53 << 0 << 0;
    QTest::newRow("profile loop 56") << 56 << 0 << 0;
    QTest::newRow("29 key without usage") << 29 << 0xFF << 0;
    QTest::newRow("modifier 16") << 30 << 0x41 << 16;
    QTest::newRow("48 left click again") << 48 << 0 << 0;
}

void TstUsbDriverMangerFalcon::onlyLeftButtonGuardComesFirst()
{
    QFETCH(int, changeType);
    QFETCH(int, key);
    QFETCH(int, mod);
    Rig r;
    QSignalSpy warn(&r.manager, &USBDriverManger::sig_WarningOnlyLeftButton);
    const int writes = r.fw().counters().memoryWrites;
    QVERIFY(r.manager.SetChangeButtonToKey(4, key, mod, changeType, 1));
    QCOMPARE(warn.size(), 1);
    QCOMPARE(warn.first().first().toInt(), 6);
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QCOMPARE(r.mem(0x600, 4), hex("03 00 01 00"));
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(11, 1)));
}

void TstUsbDriverMangerFalcon::restoreFactoryFunction()
{
    Rig r;
    QVERIFY(r.manager.SetChangeButtonToKey(6, 0x41, 0, 29, 1));
    QCOMPARE(r.mem(0x608, 4), hex("00 00 04 00"));
    r.fw().setMemory(0x2000, hex("07 00 01 00 01 00 04")); // button 6's macro slot 1
    QVERIFY(r.manager.SetChangeButtonToKey(6, 0, 0, 32, 1));
    QCOMPARE(r.mem(0x608, 4), hex("03 00 02 00"));
    QCOMPARE(r.mem(0x2000, 2), hex("00 00"));
    QCOMPARE(r.file().mid(24, 4), hex("03 00 02 00"));

    // Button 4 back to left click also takes the list macros away.
    r.fw().setMemory(0x89C, hex("00 02 03 00"));
    r.fw().setMemory(0x10000, hex("07 00"));
    r.fw().setMemory(0x11000, hex("07 00"));
    r.fw().setMemory(0x12000, hex("07 00"));
    QVERIFY(r.manager.SetChangeButtonToKey(4, 0, 0, 32, 1));
    QCOMPARE(r.mem(0x89C, 4), hex("00 00 00 00"));
    QCOMPARE(r.mem(0x10000, 2) + r.mem(0x11000, 2) + r.mem(0x12000, 2), QByteArray(6, '\0'));
    QCOMPARE(r.file().mid(89, 2), hex("00 00"));
}

void TstUsbDriverMangerFalcon::reportedValues_data()
{
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<int>("listCount");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("trueValue");
    QTest::addColumn<int>("modifyValue");
    QTest::newRow("key A") << hex("00 00 04 00") << 0 << 29 << 0x41 << 0;
    QTest::newRow("Ctrl+W special 0") << hex("02 00 02 1A") << 0 << 31 << 0 << 0;
    QTest::newRow("Win+L special 1") << hex("02 00 08 0F") << 0 << 31 << 1 << 0;
    QTest::newRow("Win+R special 2") << hex("02 00 08 15") << 0 << 31 << 2 << 0;
    QTest::newRow("Win+D special 3") << hex("02 00 08 07") << 0 << 31 << 3 << 0;
    QTest::newRow("Ctrl+= special 4") << hex("02 00 02 2E") << 0 << 31 << 4 << 0;
    QTest::newRow("Ctrl+- special 5") << hex("02 00 02 2D") << 0 << 31 << 5 << 0;
    QTest::newRow("Ctrl+F special 6") << hex("02 00 02 09") << 0 << 31 << 6 << 0;
    QTest::newRow("Ctrl+A combination") << hex("02 00 02 04") << 0 << 29 << 0x41 << 1;
    QTest::newRow("Shift+Alt+Z combination") << hex("02 00 05 1D") << 0 << 29 << 0x5A << 6;
    QTest::newRow("Win+W not special") << hex("02 00 08 1A") << 0 << 29 << 0x57 << 8;
    QTest::newRow("fire") << hex("03 00 01 01") << 0 << 31 << 44 << 0;
    QTest::newRow("left, no list macros") << hex("03 00 01 00") << 0 << 31 << 48 << 0;
    QTest::newRow("left with list macros") << hex("03 00 01 00") << 2 << 33 << -1 << 0;
    QTest::newRow("right") << hex("03 00 02 00") << 0 << 31 << 49 << 0;
    QTest::newRow("middle") << hex("03 00 04 00") << 0 << 31 << 50 << 0;
    QTest::newRow("back") << hex("03 00 08 00") << 0 << 31 << 52 << 0;
    QTest::newRow("forward") << hex("03 00 10 00") << 0 << 31 << 51 << 0;
    QTest::newRow("unknown mask") << hex("03 00 20 00") << 0 << 33 << -1 << 0;
    QTest::newRow("media player") << hex("04 00 01 83") << 0 << 31 << 39 << 0;
    QTest::newRow("play") << hex("04 00 00 CD") << 0 << 31 << 36 << 0;
    QTest::newRow("mute") << hex("04 00 00 E2") << 0 << 31 << 35 << 0;
    QTest::newRow("volume up") << hex("04 00 00 E9") << 0 << 31 << 37 << 0;
    QTest::newRow("volume down") << hex("04 00 00 EA") << 0 << 31 << 38 << 0;
    QTest::newRow("other consumer usage") << hex("04 00 00 B5") << 0 << 31 << -1 << 0;
    QTest::newRow("macro") << hex("05 00 03 00") << 0 << 33 << -1 << 0;
    QTest::newRow("disabled") << hex("07 00 00 00") << 0 << 41 << 0 << 0;
    QTest::newRow("DPI up") << hex("08 00 05 00") << 0 << 31 << 45 << 0;
    QTest::newRow("DPI down") << hex("08 00 06 00") << 0 << 31 << 46 << 0;
    QTest::newRow("other DPI function") << hex("08 00 02 00") << 0 << 31 << 42 << 0;
    QTest::newRow("DPI instant") << hex("09 00 01 00") << 0 << 31 << 47 << 0;
    QTest::newRow("switch macro") << hex("09 00 03 00") << 0 << 31 << 55 << 0;
    QTest::newRow("other extended") << hex("09 00 02 00") << 0 << 31 << -1 << 0;
}

void TstUsbDriverMangerFalcon::reportedValues()
{
    QFETCH(QByteArray, entry);
    QFETCH(int, listCount);
    QFETCH(int, changeType);
    QFETCH(int, trueValue);
    QFETCH(int, modifyValue);
    Rig r(0x4139, false); // KiteC: its factory profile equals its factory table
    r.fw().setMemory(0x60C, entry); // button 9, slot 3
    r.fw().setMemory(0x89E, QByteArray(1, char(listCount)));
    QSignalSpy same(&r.manager, &USBDriverManger::sig_CurrentButtonIsOriginalButton);
    QSignalSpy value(&r.manager, &USBDriverManger::sig_TrueMouseValue);
    QVERIFY(r.manager.GetProfileData());
    QCOMPARE(same.size(), 11);
    QList<int> order; // ascending, although the slots of these buttons are not
    for (const QList<QVariant> &args : same)
        order << args.at(1).toInt();
    QCOMPARE(order, (QList<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    QVERIFY(same.contains(QList<QVariant>{false, 9}));
    QList<QVariant> expected{9, changeType, trueValue, modifyValue};
    QVERIFY2(value.contains(expected), qPrintable(QString::number(value.size())));
    // Button 4 holds left click, so it counts as unchanged only without list macros.
    QCOMPARE(same.contains(QList<QVariant>{true, 4}), listCount == 0);
    if (listCount)
        QVERIFY(value.contains(QList<QVariant>{4, 33, -1, 0}));
    QCOMPARE(value.size(), listCount ? 2 : 1);
}

void TstUsbDriverMangerFalcon::dpiWrite_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QList<DWORD>>("list");
    QTest::addColumn<QByteArray>("table"); // as the mouse and the file hold it
    QTest::addColumn<int>("current");
    QTest::addColumn<QVector<int>>("readBack");
    QTest::newRow("model 7, two stages") << 0x4139 << QList<DWORD>{1000, 1500, 0, 0, 0}
        << hex("08 00 0D 00 00 00 00 00 00 00 00 00 00 00 01 00") << 1
        << QVector<int>{1000, 1500, 0, 0, 0, 0, 0, 0};
    QTest::newRow("model 7, five stages") << 0x4139 << QList<DWORD>{400, 800, 1200, 1600, 5000}
        << hex("02 00 06 00 0A 00 0E 00 30 00 00 00 00 00 04 00") << 2
        << QVector<int>{400, 800, 1200, 1600, 5000, 0, 0, 0};
    QTest::newRow("model 8, one stage") << 0x413A << QList<DWORD>{200}
        << hex("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00") << 0
        << QVector<int>{200, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("model 9, three stages") << 0x4137 << QList<DWORD>{800, 1600, 3200}
        << hex("06 00 0E 00 1E 00 00 00 00 00 00 00 00 00 02 00") << 2
        << QVector<int>{800, 1600, 3200, 0, 0, 0, 0, 0};
    QTest::newRow("model 12, four stages") << 0x4132 << QList<DWORD>{1000, 2000, 3000, 4000}
        << hex("08 00 12 00 1C 00 26 00 00 00 00 00 00 00 03 00") << 2
        << QVector<int>{1000, 2000, 3000, 4000, 0, 0, 0, 0};
    QTest::newRow("model 14, both formulas") << 0x413B << QList<DWORD>{800, 5000, 5200, 10000, 0, 700}
        << hex("06 00 30 00 31 00 49 00 05 00 00 00 00 00 04 00") << 3
        << QVector<int>{800, 5000, 5200, 10000, 700, 0, 0, 0};
    // A disabled row (0) does not end the list: the enabled rows fill consecutive stages.
    QTest::newRow("model 11, disabled second row") << 0x4130 << QList<DWORD>{800, 0, 1600, 3200, 0, 0, 0}
        << hex("10 00 20 00 40 00 00 00 00 00 00 00 00 00 02 00") << 2
        << QVector<int>{800, 1600, 3200, 0, 0, 0, 0, 0};
    QTest::newRow("model 7, first five of six") << 0x4139 << QList<DWORD>{400, 800, 0, 1200, 1600, 2000, 2400}
        << hex("02 00 06 00 0A 00 0E 00 12 00 00 00 00 00 04 00") << 2
        << QVector<int>{400, 800, 1200, 1600, 2000, 0, 0, 0};
    QTest::newRow("model 14, seven stages") << 0x413B << QList<DWORD>{200, 400, 600, 800, 1000, 1200, 1400}
        << hex("00 00 02 00 04 00 06 00 08 00 0A 00 0C 00 06 00") << 3
        << QVector<int>{200, 400, 600, 800, 1000, 1200, 1400, 0};
    QTest::newRow("model 11, 50 to 16000") << 0x4130 << QList<DWORD>{50, 16000, 800}
        << hex("01 00 40 01 10 00 00 00 00 00 00 00 00 00 02 00") << 2
        << QVector<int>{50, 16000, 800, 0, 0, 0, 0, 0};
    QTest::newRow("model 10, seven stages") << 0x4138 << QList<DWORD>{200, 400, 800, 1600, 2400, 3200, 5000}
        << hex("04 00 08 00 10 00 20 00 30 00 40 00 64 00 06 00") << 3
        << QVector<int>{200, 400, 800, 1600, 2400, 3200, 5000, 0};
}

void TstUsbDriverMangerFalcon::dpiWrite()
{
    QFETCH(int, pid);
    QFETCH(QList<DWORD>, list);
    QFETCH(QByteArray, table);
    QFETCH(int, current);
    QFETCH(QVector<int>, readBack);
    Rig r{USHORT(pid)};
    QVERIFY(r.open);
    QVERIFY(r.manager.SetCPIListValue(list, 1));
    QCOMPARE(r.mem(0x888, 16).toHex(' '), table.toHex(' '));
    QCOMPARE(int(BYTE(r.mem(0x898, 1)[0])), current);
    QCOMPARE(r.file().mid(68, 16).toHex(' '), table.toHex(' '));
    QCOMPARE(int(BYTE(r.file()[84])), current);
    QVector<int> values;
    QVERIFY(r.manager.GetCPIStageMatrix(values, 1));
    QCOMPARE(values, readBack);
}

void TstUsbDriverMangerFalcon::dpiRefused_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<QList<DWORD>>("list");
    QTest::newRow("no enabled row") << 0x4139 << QList<DWORD>{0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("model 7 below 200") << 0x4139 << QList<DWORD>{800, 100};
    QTest::newRow("model 7 above 5000") << 0x4139 << QList<DWORD>{5100};
    QTest::newRow("model 14 above 10000") << 0x413B << QList<DWORD>{800, 10200};
    QTest::newRow("model 11 below 50") << 0x4130 << QList<DWORD>{40};
    QTest::newRow("model 11 above 16000") << 0x4130 << QList<DWORD>{16050};
    QTest::newRow("model 11 eight stages") << 0x4130 << QList<DWORD>{50, 100, 150, 200, 250, 300, 350, 400};
    QTest::newRow("model 10 above 5000") << 0x4138 << QList<DWORD>{6000};
}

void TstUsbDriverMangerFalcon::dpiRefused()
{
    QFETCH(int, pid);
    QFETCH(QList<DWORD>, list);
    Rig r{USHORT(pid)};
    const QByteArray before = r.mem(0x880, 68);
    const int writes = r.fw().counters().memoryWrites;
    QVERIFY(!r.manager.SetCPIListValue(list, 1));
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QCOMPARE(r.mem(0x880, 68), before);
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(r.model, 1)));
}

void TstUsbDriverMangerFalcon::dpiOneStage()
{
    Rig r(0x4139); // factory: 1000, 1500, 2000, 3000, 5000
    QVector<int> values;
    QVERIFY(r.manager.GetCPIStageMatrix(values, 1));
    QCOMPARE(values, (QVector<int>{1000, 1500, 2000, 3000, 5000, 0, 0, 0}));
    QVERIFY(r.manager.SetDPIStageMatrix(0, 2, 1)); // remove 1500
    QCOMPARE(r.mem(0x888, 16), hex("08 00 12 00 1C 00 30 00 00 00 00 00 00 00 03 00"));
    QVERIFY(r.manager.SetDPIStageMatrix(800, 5, 1)); // a fifth stage again
    QCOMPARE(r.mem(0x888, 16), hex("08 00 12 00 1C 00 30 00 06 00 00 00 00 00 04 00"));
    QCOMPARE(r.file().mid(68, 16), r.mem(0x888, 16));
    QVERIFY(!r.manager.SetDPIStageMatrix(800, 6, 1));
    QVERIFY(!r.manager.SetDPIStageMatrix(6000, 1, 1));
}

void TstUsbDriverMangerFalcon::reportRate_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("word");
    QTest::newRow("125 Hz") << 0 << hex("08 00 00 00");
    QTest::newRow("250 Hz") << 1 << hex("04 00 00 00");
    QTest::newRow("500 Hz") << 2 << hex("02 00 00 00");
    QTest::newRow("1000 Hz") << 3 << hex("01 00 00 00");
}

void TstUsbDriverMangerFalcon::reportRate()
{
    QFETCH(int, index);
    QFETCH(QByteArray, word);
    Rig r;
    r.fw().setMemory(0x880, hex("02 00 00 00"));
    QVERIFY(r.manager.SetUsbReportRate(index, 1));
    QCOMPARE(r.mem(0x880, 4), word);
    QCOMPARE(r.file().mid(60, 4), word);
    int back = -1;
    QVERIFY(r.manager.GetUsbReportRate(back, 1));
    QCOMPARE(back, index);
    QVERIFY(!r.manager.SetUsbReportRate(4, 1));
    QVERIFY(!r.manager.SetUsbReportRate(-1, 1));
    QCOMPARE(r.mem(0x880, 4), word);
    r.fw().setMemory(0x880, hex("03 00 00 00"));
    QVERIFY(!r.manager.GetUsbReportRate(back, 1));
}

void TstUsbDriverMangerFalcon::liftOffAndLighting()
{
    Rig r;
    QVERIFY(r.manager.SetSilentHeight(0x0102, 1));
    QCOMPARE(r.mem(0x884, 4), hex("02 01 00 00"));
    int lift = 0;
    QVERIFY(r.manager.GetSilentHeight(lift, 1));
    QCOMPARE(lift, 0x0102);
    QVERIFY(!r.manager.SetSilentHeight(1, 2));

    QVERIFY(r.manager.SetMouseLightMode(false, 2, 1));
    QVERIFY(r.manager.SetMouseBreathSpeed(false, 5, 1));
    QVERIFY(r.manager.SetMouseContinueLightDegree(false, 9, 1));
    QVERIFY(r.manager.SetMouseColor(false, {makeColorRef(0x11, 0x22, 0x33), makeColorRef(1, 2, 3),
                                            makeColorRef(0xAA, 0xBB, 0xCC)}, 1));
    QCOMPARE(r.mem(0x899, 3), hex("02 05 09"));
    QCOMPARE(r.mem(0x8B8, 12), hex("11 22 33 00 01 02 03 00 AA BB CC 00"));
    QCOMPARE(r.file().mid(85, 3), hex("02 05 09"));
    QCOMPARE(r.file().mid(116, 12), hex("11 22 33 00 01 02 03 00 AA BB CC 00"));
    // One colour keeps the other two.
    QVERIFY(r.manager.SetMouseColor(false, {makeColorRef(0xFF, 0, 0)}, 1));
    QCOMPARE(r.mem(0x8B8, 12), hex("FF 00 00 00 01 02 03 00 AA BB CC 00"));
    QVERIFY(!r.manager.SetMouseColor(false, {}, 1));

    LightColorParam p;
    QVERIFY(r.manager.GetLightParameter(p, 1));
    QCOMPARE(p.toBytes().toHex(' '),
             hex("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 05 09 FF 00 00 00 01 02 03 00 AA BB CC 00").toHex(' '));
}

void TstUsbDriverMangerFalcon::oledSettings()
{
    Rig r;
    QVERIFY(r.manager.SetOLEDScreenLightIntensity(4));
    QCOMPARE(r.mem(0x89C, 1), hex("04"));
    QCOMPARE(r.manager.GetOLEDScreenLightIntensity(), 4);
    QVERIFY(r.manager.SetOLEDScreenParameter(3));
    QCOMPARE(r.mem(0x8AC, 3).mid(1), hex("03 01"));
    QCOMPARE(r.file().mid(105, 2), hex("03 01"));
    QVERIFY(r.manager.SetOLEDScreenParameter(2));
    QCOMPARE(r.mem(0x8AD, 2), hex("02 00"));
    QCOMPARE(r.manager.GetCurrentPictureIndex(), 2);
    QVERIFY(r.manager.SetPictureSettingByte(0x5A, 1));
    QCOMPARE(r.mem(0x8A4, 1), hex("5A"));
    QCOMPARE(r.file()[96], char(0x5A));
    QVector<int> values;
    QVERIFY(r.manager.GetOLEDScreenParameter(values, 1));
    QCOMPARE(values.size(), 13);
    QCOMPARE(values[5], 0x5A);

    // A picture from its configuration file into slot 1, then read back.
    QImage picture(64, 48, QImage::Format_MonoLSB);
    picture.setColorCount(2);
    picture.setColor(0, qRgb(0, 0, 0));
    picture.setColor(1, qRgb(255, 255, 255));
    picture.fill(0);
    picture.setPixel(0, 0, 1); // one white pixel on black: device bit set
    QVERIFY(picture.save(StoragePaths::picturePath(11, 2), "BMP"));
    QVERIFY(r.manager.writeImageToMouse(11, "2", 1, 1));
    QCOMPARE(r.mem(0x23000, 2), hex("01 00"));
    QCOMPARE(r.mem(0x23002, 382), QByteArray(382, '\0'));
    QCOMPARE(r.mem(0x8A0, 1), hex("08"));
    QCOMPARE(r.mem(0x8AD, 1), hex("08"));
    QCOMPARE(r.file()[92], char(8));
    QImage back;
    QVERIFY(r.manager.GetPictureFromMouse(1, back));
    QCOMPARE(back.size(), QSize(64, 48));
    QVERIFY(!r.manager.writeImageToMouse(11, "3", 1, 1)); // no picture file
    QVERIFY(r.manager.writeImageToMouse(11, "0", 1, 1));
    QCOMPARE(r.mem(0x8A0, 1), hex("07"));
    QCOMPARE(r.mem(0x8AD, 2), hex("01 00"));
}

// How a picture file is written: "black first" / "white first" are 1-bit files with that
// palette order, "editor" a colour BMP as the picture editor saves it (white pen on black,
// drawn at 64 x 48, shown at 192 x 144, grabbed and scaled back).
void TstUsbDriverMangerFalcon::pictureFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("black first") << "black first";
    QTest::newRow("white first") << "white first";
    QTest::newRow("editor") << "editor";
}

void TstUsbDriverMangerFalcon::pictureFile()
{
    QFETCH(QString, kind);
    Rig r;
    // White: the pixels (2..9, 5) and (63, 47); everything else black.
    QImage canvas(64, 48, QImage::Format_RGB32);
    canvas.fill(qRgb(0, 0, 0));
    for (int x = 2; x <= 9; ++x)
        canvas.setPixel(x, 5, qRgb(255, 255, 255));
    canvas.setPixel(63, 47, qRgb(255, 255, 255));
    const QString path = StoragePaths::picturePath(11, 2);
    if (kind == "editor")
        QVERIFY(canvas.scaled(192, 144).scaled(64, 48).save(path, "BMP"));
    else if (kind == "white first") // Qt's own one-bit form
        QVERIFY(canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(path, "BMP"));
    else
        QVERIFY(writeFile(path, blackFirstBmp(canvas)));
    QVERIFY(r.manager.writeImageToMouse(11, "2", 1, 1));
    QByteArray expected(384, '\0');
    for (int x = 2; x <= 9; ++x)
        expected[x] = char(0x20); // band 0, bit 5
    expected[383] = char(0x80);   // band 5, column 63, bit 7
    QCOMPARE(r.mem(0x23000, 384).toHex(), expected.toHex());
}

// Mouse → file → mouse gives the mouse's picture back.
void TstUsbDriverMangerFalcon::pictureRoundTrip()
{
    Rig r;
    QByteArray bytes(384, '\0');
    bytes[0] = char(0x01);
    bytes[200] = char(0x24);
    bytes[383] = char(0x80);
    for (int i = 64; i < 128; ++i)
        bytes[i] = char(0xF0);
    r.fw().setMemory(0x23000, bytes);
    QImage fromMouse;
    QVERIFY(r.manager.GetPictureFromMouse(1, fromMouse));
    QVERIFY(fromMouse.save(StoragePaths::picturePath(11, 3), "BMP"));
    QVERIFY(r.manager.writeImageToMouse(11, "3", 2, 1));
    QCOMPARE(r.mem(0x24000, 384).toHex(), bytes.toHex());
}

void TstUsbDriverMangerFalcon::battery_data()
{
    QTest::addColumn<uint>("raw");
    QTest::addColumn<int>("level");
    const struct { uint raw; int level; } rows[] = {
        {0, 0}, {1, 1}, {540, 1}, {541, 2}, {549, 2}, {550, 3}, {557, 3}, {558, 4}, {565, 4},
        {566, 6}, {574, 6}, {575, 7}, {582, 7}, {583, 8}, {591, 8}, {592, 10}, {595, 10},
        {596, 12}, {599, 12}, {600, 14}, {607, 14}, {608, 16}, {610, 16}, {611, 19}, {613, 19},
        {614, 21}, {615, 21}, {616, 23}, {623, 23}, {624, 25}, {625, 25}, {626, 28}, {627, 30},
        {628, 30}, {629, 33}, {630, 33}, {631, 35}, {632, 35}, {633, 37}, {634, 37}, {635, 41},
        {636, 45}, {637, 45}, {638, 51}, {639, 67}, {640, 67}, {641, 71}, {642, 74}, {643, 74},
        {644, 76}, {646, 76}, {647, 78}, {648, 81}, {649, 84}, {650, 84}, {651, 86}, {652, 86},
        {653, 87}, {654, 88}, {655, 88}, {656, 89}, {657, 89}, {658, 90}, {659, 90}, {660, 91},
        {661, 91}, {662, 93}, {663, 94}, {664, 94}, {665, 95}, {666, 96}, {667, 96}, {668, 97},
        {669, 97}, {670, 98}, {671, 98}, {672, 99}, {725, 99}, {726, 100}, {0xFFFFFF, 100},
        {0x01000280, 101}, {0x02000000, 102}, {0x03000000, 103}, {0xFF000001, 103},
    };
    for (const auto &row : rows)
        QTest::newRow(qPrintable(QString::number(row.raw, 16))) << row.raw << row.level;
}

void TstUsbDriverMangerFalcon::battery()
{
    QFETCH(uint, raw);
    QFETCH(int, level);
    QCOMPARE(UsbDriverMangerFalcon::batteryLevel(raw), level);
    if (raw == 641 || raw == 0x02000000) {
        Rig r;
        r.fw().setPowerWord(raw);
        int got = -1;
        QVERIFY(r.manager.GetBatteryPower(got));
        QCOMPARE(got, level);
    }
}

void TstUsbDriverMangerFalcon::singleMacro()
{
    Rig r;
    const QString path = writeMacroFile("m.json", {keyStep(0x41, 0, 50), keyStep(0x41, 1, 30)}, 3);
    QVERIFY(r.manager.WriteSingleMacro(5, path)); // button 5: macro slot 0 at 0x1000
    QCOMPARE(r.mem(0x1000, 10).toHex(' '), hex("0A 00 03 00 65 00 04 3C 00 04").toHex(' '));
    QCOMPARE(r.mem(0x604, 4), hex("05 00 00 00"));
    QCOMPARE(r.file().mid(20, 4), hex("05 00 00 00"));
    const QJsonObject slot = fileMacro(11, 1, 0);
    QCOMPARE(slot.value("MacroSize").toInt(), 10);
    QCOMPARE(slot.value("RepeatTimes").toInt(), 3);
    QCOMPARE(slot.value("Macro").toArray(), (QJsonArray{0x65, 0, 4, 0x3C, 0, 4}));
    // Button 4's macro goes into slot 10 at 0xB000 once another left button exists.
    QVERIFY(r.manager.SetChangeButtonToKey(6, 0, 0, 48, 1));
    QVERIFY(r.manager.WriteSingleMacro(4, path));
    QCOMPARE(r.mem(0xB000, 4), hex("0A 00 03 00"));
    QCOMPARE(r.mem(0x600, 4), hex("05 00 0A 00"));
    QVERIFY(!r.manager.WriteSingleMacro(15, path));
}

void TstUsbDriverMangerFalcon::listMacro()
{
    Rig r;
    QVERIFY(r.manager.SetChangeButtonToKey(5, 0, 0, 48, 1));
    QVERIFY(r.manager.SetChangeButtonToKey(4, 0x41, 0, 29, 1));
    r.fw().setMemory(0x89C, hex("00 01 00 00"));
    const QString a = writeMacroFile("a.json", {keyStep(0x41, 0, 1)});
    const QString b = writeMacroFile("b.json", {keyStep(0x42, 1, 2)}, 2);
    r.fw().setMemory(0x12000, hex("07 00 01 00 01 00 04")); // a third list macro left over
    QVERIFY(r.manager.WriteListMacro({a, b}));
    QCOMPARE(r.mem(0x600, 4), hex("03 00 01 00")); // left button restored
    QCOMPARE(r.mem(0x89D, 2), hex("00 02"));        // position 0, count 2
    QCOMPARE(r.mem(0x10000, 7), hex("07 00 01 00 03 00 04"));
    QCOMPARE(r.mem(0x11000, 7), hex("07 00 02 00 04 00 05"));
    QCOMPARE(r.mem(0x12000, 2), hex("00 00"));
    QCOMPARE(r.file().mid(89, 2), hex("00 02"));
    QCOMPARE(r.file().mid(16, 4), hex("03 00 01 00"));
    QCOMPARE(fileMacro(11, 1, 11).value("MacroSize").toInt(), 7);
    QCOMPARE(fileMacro(11, 1, 12).value("Macro").toArray(), (QJsonArray{4, 0, 5}));
    QVERIFY(fileMacro(11, 1, 13).isEmpty());
    // The button now reports the list macros.
    QSignalSpy value(&r.manager, &USBDriverManger::sig_TrueMouseValue);
    r.manager.checkAllMouseButtonIsOriginalMouseButton();
    QVERIFY(value.contains(QList<QVariant>{4, 33, -1, 0}));
}

void TstUsbDriverMangerFalcon::listMacroRefused_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("oneBroken");
    QTest::newRow("none") << 0 << false;
    QTest::newRow("four") << 4 << false;
    QTest::newRow("second of two broken") << 2 << true;
    QTest::newRow("third of three broken") << 3 << true;
}

void TstUsbDriverMangerFalcon::listMacroRefused()
{
    QFETCH(int, files);
    QFETCH(bool, oneBroken);
    Rig r;
    QStringList paths;
    for (int i = 0; i < files; ++i)
        paths << writeMacroFile(QString("f%1.json").arg(i), {keyStep(oneBroken && i == files - 1 ? 0xFF : 0x41, 0, 1)});
    const int writes = r.fw().counters().memoryWrites;
    QVERIFY(!r.manager.WriteListMacro(paths));
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(11, 1)));
}

void TstUsbDriverMangerFalcon::macroFileRefused_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file
    QTest::addColumn<QString>("log");
    QTest::newRow("missing") << QByteArray() << "macro file missing:";
    QTest::newRow("unparsable") << QByteArray("{\"Macro\": [") << "macro file without steps:";
    QTest::newRow("empty list") << QByteArray("{\"Macro\": []}") << "macro file without steps:";
    QTest::newRow("Macro is an object") << QByteArray("{\"Macro\": {\"ValueType\": 3}}") << "macro file without steps:";
    QJsonArray many;
    for (int i = 0; i < 1364; ++i)
        many << keyStep(0x41, i % 2, 1);
    QTest::newRow("1364 steps") << QJsonDocument(QJsonObject{{"Macro", many}}).toJson() << "StandardToHardware = 0x0";
    QTest::newRow("key without usage")
        << QJsonDocument(QJsonObject{{"Macro", QJsonArray{keyStep(0x41, 0, 1), keyStep(0x07, 0, 1)}}}).toJson()
        << "StandardToHardware = 0x0";
}

void TstUsbDriverMangerFalcon::macroFileRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, log);
    Rig r;
    const QString path = StoragePaths::macroFolder() + "/bad.json";
    if (!content.isEmpty())
        QVERIFY(r.home.write(path.mid(r.home.path().size()), content));
    LogCapture capture;
    const int writes = r.fw().counters().memoryWrites;
    QVERIFY(!r.manager.WriteSingleMacro(5, path));
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QVERIFY(capture.countStartingWith(log) > 0);
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(11, 1)));
    QCOMPARE(r.mem(0x604, 4), hex("03 00 04 00"));
}

void TstUsbDriverMangerFalcon::profileReadTakesMacros()
{
    Rig r(0x4130, false);
    r.fw().setMemory(0x3000, hex("0A 00 02 00 01 00 04 00 00 04 EE EE")); // slot 2
    r.fw().setMemory(0x4000, hex("FF FF"));                               // slot 3: erased
    r.fw().setMemory(0x11000, hex("07 00 01 00 01 00 05"));              // list slot 12
    QVERIFY(r.manager.GetProfileData());
    QCOMPARE(r.manager.macroSize(2), 10);
    QCOMPARE(r.manager.macroSlot(2).left(12), hex("0A 00 02 00 01 00 04 00 00 04 00 00"));
    QCOMPARE(r.manager.macroSize(3), 0);
    QCOMPARE(r.manager.macroSize(12), 7);
    QCOMPARE(r.manager.image().mid(16), r.mem(0x600, 44) + r.mem(0x880, 68));
    r.manager.SaveConfigFileByConfigureNumber(2);
    QCOMPARE(fileMacro(11, 2, 2).value("Macro").toArray(), (QJsonArray{1, 0, 4, 0, 0, 4}));
    QVERIFY(fileMacro(11, 2, 3).isEmpty());
}

void TstUsbDriverMangerFalcon::configurationCompare_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("matches");
    QTest::newRow("current stage, byte 84") << 84 << true;
    QTest::newRow("status byte 8") << 8 << true;
    QTest::newRow("first button byte 16") << 16 << false;
    QTest::newRow("report rate byte 60") << 60 << false;
    QTest::newRow("DPI byte 70") << 70 << false;
    QTest::newRow("light mode byte 85") << 85 << false;
    QTest::newRow("last compared byte 123") << 123 << false;
    QTest::newRow("colour byte 124, not compared") << 124 << true;
}

void TstUsbDriverMangerFalcon::configurationCompare()
{
    QFETCH(int, offset);
    QFETCH(bool, matches);
    Rig r(0x4139); // KiteC: current stage capped at 3 by the compare
    // Configurations 1..4 hold something else, 5 the mouse.
    for (int n = 1; n <= 5; ++n) {
        QVERIFY(r.manager.SetCurrentConfigNumber(n));
        QVERIFY(r.manager.SetMouseLightMode(false, n, 1)); // saves configuration n
    }
    QVERIFY(!r.manager.SetCurrentConfigNumber(6));
    r.fw().setMemory(0x898, hex("00")); // current stage 0
    // The mouse differs from configuration 5 in one byte.
    const quint32 address = offset < 16 ? 0 : (offset < 60 ? 0x600 + offset - 16 : 0x880 + offset - 60);
    if (offset >= 16) {
        const char old = r.mem(address, 1)[0];
        r.fw().setMemory(address, QByteArray(1, char(old ^ 0x80)));
    } else {
        r.fw().setStatusWordA9(0x1234);
    }
    QVERIFY(r.manager.GetProfileData());
    int n = 0;
    LogCapture capture;
    QCOMPARE(r.manager.CompareMouseAndLocalFileData(n), matches);
    if (matches) {
        QCOMPARE(n, 5);
        QCOMPARE(r.manager.currentConfigNumber(), 5);
        // Current stage min(last stage index 4, 3).
        QCOMPARE(r.mem(0x898, 1), hex("03"));
        QCOMPARE(r.manager.image()[84], char(3));
    } else {
        QVERIFY(capture.contains("didnt find  the config"));
        QCOMPARE(r.manager.currentConfigNumber(), 5);
        // Each configuration that differs sets the mirror's current stage to min(4, 3); the
        // mouse keeps its own.
        QCOMPARE(r.manager.image()[84], char(3));
        QCOMPARE(r.mem(0x898, 1), hex("00"));
    }
}

void TstUsbDriverMangerFalcon::factoryConfiguration()
{
    Rig r;
    QVERIFY(r.manager.SetChangeButtonToKey(5, 0x41, 0, 29, 1));
    QVERIFY(r.manager.SetCPIListValue({400, 800}, 1));
    QVERIFY(r.manager.LoadConfigFileByNumber(0));
    // The factory image of model 11.
    QCOMPARE(r.mem(0x600, 44).toHex(' '),
             hex("03 00 01 00 03 00 04 00 03 00 02 00 08 00 05 00 08 00 06 03 03 10 10 03 03 08 08 03 "
                 "03 10 10 03 03 08 08 FF FF FF FF FF FF FF FF 01").toHex(' '));
    QCOMPARE(r.mem(0x880, 68).toHex(' '),
             hex("01 00 00 FF FF FF FF FF 10 00 14 00 1E 00 25 00 3C 00 82 00 40 01 06 00 03 03 02 04 "
                 "32 00 00 00 07 00 00 00 00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00 03 00 00 00 "
                 "4B 9F 60 00 00 00 FF 00 00 00 FF 00").toHex(' '));
    QCOMPARE(r.manager.image().mid(16), r.mem(0x600, 44) + r.mem(0x880, 68));
    QVERIFY(!r.manager.LoadConfigFileByNumber(6));
    QVERIFY(!r.manager.LoadConfigFileByNumber(-1));
}

void TstUsbDriverMangerFalcon::factoryStagesOfTheFalconEU()
{
    // The FalconEU's factory stages 800 ... 5000 in its own encoding.
    Rig eu(0x413B);
    QVERIFY(eu.manager.LoadConfigFileByNumber(0));
    QCOMPARE(eu.mem(0x888, 16).toHex(' '), hex("06 00 08 00 0D 00 12 00 1C 00 26 00 30 00 06 00").toHex(' '));
    QVector<int> values;
    QVERIFY(eu.manager.GetCPIStageMatrix(values, 1));
    QCOMPARE(values, (QVector<int>{800, 1000, 1500, 2000, 3000, 4000, 5000, 0}));
}

void TstUsbDriverMangerFalcon::loadConfigurationWithMacros()
{
    Rig r;
    const QString path = writeMacroFile("m.json", {keyStep(0x41, 0, 1)});
    QVERIFY(r.manager.WriteSingleMacro(5, path));
    QVERIFY(r.manager.SetChangeButtonToKey(6, 0, 0, 48, 1));
    QVERIFY(r.manager.WriteListMacro({path, path})); // same file twice: one list slot
    r.manager.SaveConfigFileByConfigureNumber(3);
    // Wipe the mouse's macros, read it again (what the manager knows of the mouse comes from
    // its reads and writes), then load configuration 3 back.
    r.fw().setMemory(0x1000, QByteArray(8, '\0'));
    r.fw().setMemory(0x10000, QByteArray(8, '\0'));
    r.fw().setMemory(0x604, hex("03 00 04 00"));
    QVERIFY(r.manager.GetProfileData());
    QVERIFY(r.manager.LoadConfigFileByNumber(3));
    QCOMPARE(r.mem(0x1000, 7), hex("07 00 01 00 03 00 04"));
    QCOMPARE(r.mem(0x10000, 7), hex("07 00 01 00 03 00 04"));
    QCOMPARE(r.mem(0x604, 4), hex("05 00 00 00"));
    QCOMPARE(r.mem(0x89E, 1), hex("02"));

    // Only the profile: the macros stay as the mouse has them.
    r.fw().setMemory(0x1000, QByteArray(8, '\0'));
    QVERIFY(r.manager.LoadOnlyMouseConfigFileByNumber(3));
    QCOMPARE(r.mem(0x1000, 8), QByteArray(8, '\0'));
    QCOMPARE(r.mem(0x604, 4), hex("05 00 00 00"));
}

void TstUsbDriverMangerFalcon::loadConfigurationSendsOnlyDifferences_data()
{
    // Configuration 3 holds a 20-step macro in single slot 0 (64 bytes at 0x1000: chunks at
    // 0x1000, 0x1018, 0x1030). Then the mouse is changed through the manager, and configuration
    // 3 loaded back. The chunk holding the DPI/LED word (0x898) is always sent.
    QTest::addColumn<int>("changedStep"); // the step whose key becomes B (-1: none)
    QTest::addColumn<bool>("shortMacro"); // a 1-step macro written over the slot instead
    QTest::addColumn<bool>("failedWrite"); // a memory write failed meanwhile
    QTest::addColumn<int>("writes");
    QTest::newRow("mouse equals the configuration: the DPI/LED chunk") << -1 << false << false << 1;
    QTest::newRow("step 10 differs: its chunk at 0x1018") << 10 << false << false << 2;
    QTest::newRow("a short macro over it: the first chunk") << -1 << true << false << 2;
    QTest::newRow("after a failed write: the whole image, one macro chunk") << 10 << false << true << 6;
}

void TstUsbDriverMangerFalcon::loadConfigurationSendsOnlyDifferences()
{
    QFETCH(int, changedStep);
    QFETCH(bool, shortMacro);
    QFETCH(bool, failedWrite);
    QFETCH(int, writes);
    Rig r;
    QJsonArray steps;
    for (int i = 0; i < 20; ++i)
        steps.append(keyStep(0x41, i % 2, 5));
    QVERIFY(r.manager.WriteSingleMacro(5, writeMacroFile("a.json", steps)));
    r.manager.SaveConfigFileByConfigureNumber(3);
    const QByteArray stored = r.mem(0x1000, 64);
    if (changedStep >= 0) {
        steps[changedStep] = keyStep(0x42, changedStep % 2, 5);
        QVERIFY(r.manager.WriteSingleMacro(5, writeMacroFile("b.json", steps)));
    }
    if (shortMacro)
        QVERIFY(r.manager.WriteSingleMacro(5, writeMacroFile("c.json", {keyStep(0x41, 0, 1)})));
    QCOMPARE(r.mem(0x1000, 64) != stored, changedStep >= 0 || shortMacro);
    if (failedWrite) {
        r.fw().vanishAfter(0); // the report rate's write is lost
        QVERIFY(!r.manager.SetUsbReportRate(2, 1));
        r.fw().vanishAfter(-1);
        r.fw().setVanished(false);
    }
    r.fw().resetCounters();
    QVERIFY(r.manager.LoadConfigFileByNumber(3));
    QCOMPARE(r.fw().counters().memoryWrites, writes);
    QCOMPARE(r.mem(0x1000, 64), stored);
    QCOMPARE(r.manager.image().mid(16), r.mem(0x600, 44) + r.mem(0x880, 68));
}

void TstUsbDriverMangerFalcon::failedCommandKeepsMirrorAndFile()
{
    Rig r;
    QVERIFY(r.manager.SetUsbReportRate(2, 1));
    const QByteArray file = r.file();
    const QByteArray mirror = r.manager.image();
    r.fw().setVanished(true);
    QVERIFY(!r.manager.SetUsbReportRate(0, 1));
    QVERIFY(!r.manager.SetCPIListValue({800, 1600}, 1));
    QVERIFY(!r.manager.SetChangeButtonToKey(5, 0x41, 0, 29, 1));
    QVERIFY(!r.manager.SetMouseLightMode(false, 1, 1));
    QVERIFY(!r.manager.SetMouseColor(false, {1, 2, 3}, 1));
    QVERIFY(!r.manager.LoadConfigFileByNumber(1));
    QCOMPARE(r.manager.image(), mirror);
    QCOMPARE(r.file(), file);
}

void TstUsbDriverMangerFalcon::legacyFilesRoundTrip()
{
    Rig r;
    // A legacy file: image (bytes i), macro slot 0 with one node, slot 12 with two.
    QByteArray legacy;
    for (int i = 0; i < 128; ++i)
        legacy.append(char(i));
    QByteArray sizes(56, '\0');
    sizes[0] = 7;
    sizes[48] = 10;
    legacy += sizes + hex("07 00 01 00 01 00 04") + hex("0A 00 FF FF 01 00 05 00 00 05");
    const QString one = StoragePaths::legacyConfigPath(11, 1);
    const QString zero = StoragePaths::legacyConfigPath(11, 0);
    const QString broken = StoragePaths::legacyConfigPath(11, 2);
    QFile f(one);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(legacy);
    f.close();
    QFile z(zero);
    QVERIFY(z.open(QIODevice::WriteOnly));
    z.close();
    QFile b(broken);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write(legacy.left(150));
    b.close();

    r.manager.TurnOldTxtFileToNewJsonFile();
    QVERIFY(!QFile::exists(one));
    QVERIFY(!QFile::exists(zero));
    QVERIFY(QFile::exists(broken)); // a damaged file is kept
    QCOMPARE(fileImage(11, 1), legacy.left(128));
    QCOMPARE(fileMacro(11, 1, 0).value("Macro").toArray(), (QJsonArray{1, 0, 4}));
    QCOMPARE(fileMacro(11, 1, 12).value("RepeatTimes").toInt(), 0xFFFF);

    r.manager.TurnNewFileToOldFile();
    QFile back(one);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll().toHex(' '), legacy.toHex(' '));
    r.manager.removeOldTxtFile();
    QVERIFY(!QFile::exists(one));
    QVERIFY(!QFile::exists(broken));
}

void TstUsbDriverMangerFalcon::receiverCommands_data()
{
    QTest::addColumn<bool>("throughReceiver");
    QTest::newRow("cable: not supported, nothing sent") << false;
    QTest::newRow("receiver") << true;
}

void TstUsbDriverMangerFalcon::receiverCommands()
{
    QFETCH(bool, throughReceiver);
    BusRig rig;
    auto receiver = FalconReceiverDevice::withPartnerMouse(0x1804);
    auto cable = std::make_shared<FalconMouseDevice>(0x4130);
    rig.bus.plug(receiver);
    rig.bus.plug(cable);
    auto driver = std::make_unique<USBDriverFalcon>();
    driver->setLinkMode(throughReceiver ? 1 : 0);
    driver->SetWiredWirelessString(selector(0x4130), selector(0x1804));
    UsbDriverMangerFalcon manager;
    manager.SetDriver(driver.release());
    QVERIFY(manager.OpenDevice());
    const int cableReports = cable->firmware().counters().outputReports;

    const ReceiverAnswer answer = throughReceiver ? ReceiverAnswer::Acknowledged : ReceiverAnswer::NotSupported;
    int mode = -1;
    QCOMPARE(manager.EnterPairingMode(), answer);
    QCOMPARE(manager.SetPairingAddress(0x12345678), answer);
    QCOMPARE(manager.GetReceiverWorkMode(mode), answer);
    QCOMPARE(mode, throughReceiver ? 1 : -1); // 1: the receiver waits for a mouse
    QCOMPARE(receiver->firmware().pairingMode(), throughReceiver);
    QCOMPARE(receiver->firmware().radioAddress(), throughReceiver ? 0x12345678u : 0u);
    if (throughReceiver) {
        QVERIFY(receiver->switchMouseOn(std::make_shared<FalconMouseDevice>(0x4130)));
        QCOMPARE(manager.GetReceiverWorkMode(mode), answer);
        QCOMPARE(mode, 0);
    }
    QCOMPARE(manager.ResetReceiverPairing(), answer);
    QCOMPARE(receiver->firmware().counters().receiverCommands, throughReceiver ? 5 : 0);
    QCOMPARE(cable->firmware().counters().outputReports, cableReports);
}

QTEST_GUILESS_MAIN(TstUsbDriverMangerFalcon)
#include "tst_usbdrivermangerfalcon.moc"
