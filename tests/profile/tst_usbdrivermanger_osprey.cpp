// The Osprey-family manager against the firmware model on the virtual bus: what lands in the
// mouse's profile and macro slots, and what lands in the configuration files.
#include "storage/jsonhandle.h"
#include "support/logcapture.h"
#include "common/mousetype.h"
#include "profile/ospreykeytable.h"
#include "sim/ospreymousedevice.h"
#include "common/pacer.h"
#include "storage/storagepaths.h"
#include "support/busrig.h"
#include "device/osprey/usbdriver_heron.h"
#include "device/osprey/usbdriver_osprey.h"
#include "profile/usbdrivermanger_heron.h"
#include "profile/usbdrivermanger_osprey.h"
#include "sim/virtualhidbus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>
#include <climits>
#include <memory>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

int pidOf(int model)
{
    switch (model) {
    case 2: return 0x4123;
    case 3: return 0x4122;
    case 4: return 0x4126;
    case 5: return 0x4124;
    case 6: return 0x4118;
    case 13: return 0x4161;
    case 18: return 0x4162;
    default: return 0;
    }
}

// Firmware macro slot index of a macro address.
int fwSlot(int address) { return (address - 0x8C) / 4; }

struct Step
{
    int valueType;
    int key;
    int lapse;
    int x;
    int y;
    int state;
};

QJsonObject node(const Step &s)
{
    return QJsonObject{{"ValueType", s.valueType}, {"MouseValue", 0},     {"KeyValue", s.key},
                       {"TimeLapse", s.lapse},     {"CoordinateX", s.x},  {"CoordinateY", s.y},
                       {"State", s.state},         {"Text", QString("step")}};
}

QList<MacroNode> nodes(const QList<Step> &steps)
{
    QList<MacroNode> out;
    for (const Step &s : steps) {
        MacroNode n;
        n.valueType = s.valueType;
        n.keyValue = s.key;
        n.timeLapse = s.lapse;
        n.coordinateX = s.x;
        n.coordinateY = s.y;
        n.state = s.state;
        out << n;
    }
    return out;
}
} // namespace

Q_DECLARE_METATYPE(QList<Step>)

// A mouse of the given model on a bus, a manager with its driver, opened and read.
class ManagerFixture : public BusRig
{
public:
    explicit ManagerFixture(int model)
        : device(std::make_shared<OspreyMouseDevice>(USHORT(pidOf(model)))),
          model(model)
    {
        bus.plug(device);
        if (model == MouseType::Heron) {
            manager = std::make_unique<UsbDriverManger_Heron>(model);
            manager->SetDriver(new USBDriver_Heron);
        } else {
            manager = std::make_unique<UsbDriverManger_Osprey>(model);
            manager->SetDriver(new USBDriver_Osprey);
        }
        manager->SetMousePid(USHORT(pidOf(model)));
    }
    bool openAndRead()
    {
        const bool ok = manager->OpenDevice() == 1 && manager->GetProfileData();
        fw().resetCounters();
        pacing.clock().reset();
        return ok;
    }
    OspreyMouseFirmware &fw() { return device->firmware(); }
    QByteArray settings() { return fw().settings(); }
    QString macroFile(const QString &name, const QList<Step> &steps, int type = 1, int repeat = 3,
                      int ignore = 0)
    {
        QJsonArray macro;
        for (const Step &s : steps)
            macro.append(node(s));
        const QJsonObject o{{"Name", name},      {"MacroType", type},       {"RepeatTimes", repeat},
                            {"IgnoreDelayTime", ignore}, {"MacroLength", steps.size()},
                            {"Macro", macro}};
        const QString relative = "/" + name + ".json";
        home.write(relative, QJsonDocument(o).toJson());
        return home.file(relative);
    }
    QJsonObject config(int n)
    {
        QFile f(StoragePaths::configJsonPath(model, n));
        if (!f.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    std::shared_ptr<OspreyMouseDevice> device;
    const int model;
    std::unique_ptr<UsbDriverManger_Osprey> manager;
};

class TstUsbDriverMangerOsprey : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The timings asserted here are those of the described pacing.
    void initTestCase() { Pacer::setPollPacing(PollPacing::Described); }
    void cleanupTestCase() { Pacer::setPollPacing(PollPacing::Adaptive); }
    void init() { registerQkMetaTypes(); }
    void setDriverTakesOnlyItsFamily();
    void readTakesImageAndMacros();
    void dpiListLandsInBothCopies_data();
    void dpiListLandsInBothCopies();
    void dpiDecoding_data();
    void dpiDecoding();
    void factoryStagesOfTheOsprey();
    void singleStageSetAndRemove();
    void unlistedBytesSurviveAWrite();
    void buttonEntries_data();
    void buttonEntries();
    void unsupportedButtonRequestsWriteNothing_data();
    void unsupportedButtonRequestsWriteNothing();
    void onlyLeftButtonIsGuarded();
    void onlyLeftButtonGuardComesFirst_data();
    void onlyLeftButtonGuardComesFirst();
    void buttonReport();
    void lightSettings_data();
    void lightSettings();
    void lightParameterRecord();
    void simpleSettings();
    void macroWords_data();
    void macroWords();
    void singleMacroLandsInTheMouse();
    void oversizedMacroIsRefused();
    void larkButtons9And10HaveTheirOwnSlots();
    void listMacroFillsSlots12To15();
    void setterSavesTheCurrentConfiguration();
    void failedWriteChangesNothing();
    void compareIgnoresBytes1To10();
    void compareFindsNothing();
    void corruptConfigurationReadsAsFactory();
    void loadConfigurationWritesMouse();
    void failedReadsAreCounted();
    void heronDifferences();
    void legacyBinaryFiles();
};

void TstUsbDriverMangerOsprey::setDriverTakesOnlyItsFamily()
{
    UsbDriverManger_Osprey manager;
    KelvoUSBDriver *heron = new USBDriver_Heron;
    QCOMPARE(manager.SetDriver(heron), heron); // now owned by the manager
    QCOMPARE(static_cast<KelvoUSBDriver *>(manager.driver()), heron);
    QCOMPARE(manager.OpenDevice(), 0);         // no device on the real backend's ids
    QVERIFY(!manager.isDeviceOpen());
    QVERIFY(!manager.SetProfileData());        // never writes while closed
}

void TstUsbDriverMangerOsprey::readTakesImageAndMacros()
{
    ManagerFixture f(MouseType::Wren);
    f.fw().setMacroSlot(fwSlot(144), hex("0002 3204 B204 0000"));
    f.fw().setMacroSlot(fwSlot(212), hex("FFFF 0A05"));
    QVERIFY(f.openAndRead());
    QCOMPARE(f.manager->profileImage(), f.settings());
    QCOMPARE(f.manager->profileBlock(), f.fw().profile().left(476));
    QCOMPARE(f.manager->macroRecord(1), hex("00023204B204"));
    QCOMPARE(f.manager->macroRecord(13), hex("FFFF0A05"));
    QCOMPARE(f.manager->macroRecord(0), QByteArray());
    QCOMPARE(f.manager->GetExtraSetting(), 0);
}

void TstUsbDriverMangerOsprey::dpiListLandsInBothCopies_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<DWORD>>("list");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("low");  // image 58..64 (and 74..80)
    QTest::addColumn<QByteArray>("high"); // image 66..72 (and 82..88)
    QTest::addColumn<QList<int>>("readBack");
    QTest::newRow("wren 1000 is code 23")
        << 4 << QList<DWORD>{1000, 6200, 200} << true << hex("17 91 04 00000000")
        << hex("00000000000000") << QList<int>{1000, 6200, 200, 0, 0, 0, 0, 0};
    QTest::newRow("osprey 16000 is 40 01")
        << 3 << QList<DWORD>{16000, 800, 50} << true << hex("40 10 01 00000000")
        << hex("01 00 00 00000000") << QList<int>{16000, 800, 50, 0, 0, 0, 0, 0};
    QTest::newRow("swifts truncates to 50") << 5 << QList<DWORD>{1025} << true
                                            << hex("14000000000000") << hex("00000000000000")
                                            << QList<int>{1000, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("swift 4900 is code 111")
        << 2 << QList<DWORD>{4900, 4100, 4300} << true << hex("6F 5C 61 00000000")
        << hex("00000000000000") << QList<int>{4900, 4100, 4300, 0, 0, 0, 0, 0};
    QTest::newRow("swift 4200 has no code") << 2 << QList<DWORD>{800, 4200} << false
                                            << QByteArray() << QByteArray() << QList<int>();
    QTest::newRow("wren 250 has no code") << 4 << QList<DWORD>{250} << false << QByteArray()
                                          << QByteArray() << QList<int>();
    QTest::newRow("wren 6300 beyond the table") << 4 << QList<DWORD>{6300} << false
                                                << QByteArray() << QByteArray() << QList<int>();
    QTest::newRow("osprey 20 has code 0") << 3 << QList<DWORD>{20} << false << QByteArray()
                                          << QByteArray() << QList<int>();
    QTest::newRow("no stage at all") << 3 << QList<DWORD>{0, 0, 0, 0, 0, 0, 0, 800} << false
                                     << QByteArray() << QByteArray() << QList<int>();
    QTest::newRow("eight values keep seven")
        << 6 << QList<DWORD>{100, 200, 300, 400, 500, 600, 700, 800} << true
        << hex("02 04 06 08 0A 0C 0E") << hex("00000000000000")
        << QList<int>{100, 200, 300, 400, 500, 600, 700, 0};
    // A disabled row keeps its place as an unused stage (code 00 00).
    QTest::newRow("a 0 keeps its place") << 3 << QList<DWORD>{400, 0, 800, 0, 0, 0, 0} << true
                                         << hex("08001000000000") << hex("00000000000000")
                                         << QList<int>{400, 0, 800, 0, 0, 0, 0, 0};
    QTest::newRow("wren, table B around a 0") << 4 << QList<DWORD>{1000, 0, 6200, 0, 0, 0, 400}
                                              << true << hex("17009100000009") << hex("00000000000000")
                                              << QList<int>{1000, 0, 6200, 0, 0, 0, 400, 0};
}

void TstUsbDriverMangerOsprey::dpiListLandsInBothCopies()
{
    QFETCH(int, model);
    QFETCH(QList<DWORD>, list);
    QFETCH(bool, ok);
    QFETCH(QByteArray, low);
    QFETCH(QByteArray, high);
    QFETCH(QList<int>, readBack);
    ManagerFixture f(model);
    QVERIFY(f.openAndRead());
    const QByteArray before = f.settings();
    QCOMPARE(f.manager->SetCPIListValue(list, 0), ok);
    if (!ok) {
        QCOMPARE(f.fw().counters().setReports, 0);
        QCOMPARE(f.settings(), before);
        QCOMPARE(f.manager->profileImage(), before);
        return;
    }
    QCOMPARE(f.fw().counters().profileWrites, 1);
    QCOMPARE(f.settings().mid(58, 7), low);
    QCOMPARE(f.settings().mid(74, 7), low);
    QCOMPARE(f.settings().mid(66, 7), high);
    QCOMPARE(f.settings().mid(82, 7), high);
    QVector<int> values;
    QVERIFY(f.manager->GetCPIStageMatrix(values, 0));
    QCOMPARE(values.toList(), readBack);
    // One profile write: send, 100 ms, one status pass.
    QCOMPARE(f.pacing.clock().sleptMs(), qint64(400));
}

void TstUsbDriverMangerOsprey::dpiDecoding_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("dpi");
    QTest::newRow("wren 23") << 4 << 23 << 0 << 1000;
    QTest::newRow("lark 145") << 18 << 145 << 0 << 6200;
    QTest::newRow("lark 4") << 18 << 4 << 0 << 200;
    QTest::newRow("wren 5 not in table") << 4 << 5 << 0 << 0;
    QTest::newRow("osprey 40 01") << 3 << 0x40 << 1 << 16000;
    QTest::newRow("wrens 3C") << 6 << 0x3C << 0 << 3000;
    QTest::newRow("swift 111") << 2 << 111 << 0 << 4900;
    QTest::newRow("swift 140") << 2 << 140 << 0 << 6200;
    QTest::newRow("swift 95 not in table") << 2 << 95 << 0 << 0;
    QTest::newRow("other model uses table A") << 0 << 4 << 7 << 200;
}

void TstUsbDriverMangerOsprey::dpiDecoding()
{
    QFETCH(int, model);
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(int, dpi);
    UsbDriverManger_Osprey manager(model);
    QCOMPARE(manager.buildDPIValue(BYTE(low), BYTE(high)), dpi);
}

void TstUsbDriverMangerOsprey::factoryStagesOfTheOsprey()
{
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    QVector<int> values;
    QVERIFY(f.manager->GetCPIStageMatrix(values, 0));
    QCOMPARE(values.toList(), (QList<int>{800, 1000, 1500, 2000, 3000, 8000, 16000, 0}));
    int rate = -1;
    QVERIFY(f.manager->GetUsbReportRate(rate, 0));
    QCOMPARE(rate, 3);
}

void TstUsbDriverMangerOsprey::singleStageSetAndRemove()
{
    ManagerFixture f(MouseType::Wren);
    QVERIFY(f.openAndRead());
    QCOMPARE(f.settings().mid(58, 7), hex("09121B242E3745"));
    QVERIFY(f.manager->SetDPIStageMatrix(1000, 2, 0));
    QCOMPARE(f.settings().mid(58, 7), hex("09171B242E3745"));
    QVERIFY(f.manager->SetDPIStageMatrix(0, 1, 0));
    QCOMPARE(f.settings().mid(58, 7), hex("171B242E374500"));
    QCOMPARE(f.settings().mid(74, 7), hex("171B242E374500"));
    QVERIFY(!f.manager->SetDPIStageMatrix(1000, 8, 0));
    QVERIFY(!f.manager->SetDPIStageMatrix(4250, 1, 0));
    QCOMPARE(f.fw().counters().profileWrites, 2);
}

void TstUsbDriverMangerOsprey::unlistedBytesSurviveAWrite()
{
    ManagerFixture f(MouseType::Osprey);
    QByteArray odd = OspreyMouseFirmware::factorySettings(3);
    // Bytes the manager has no name for.
    odd[2] = char(0x5A);
    odd[160] = char(0xA5);
    odd[233] = char(0x3C);
    f.fw().setSettings(odd);
    QVERIFY(f.openAndRead());
    const QByteArray identity = f.fw().profile().left(242);
    QVERIFY(f.manager->SetUsbReportRate(1, 0));
    QByteArray expected = odd;
    expected[0] = char(0x01);
    QCOMPARE(f.settings(), expected);
    QCOMPARE(f.fw().profile().left(242), identity);
    QCOMPARE(f.fw().profile().mid(481, 4), hex("31323334"));
}

void TstUsbDriverMangerOsprey::buttonEntries_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("entry");
    QTest::newRow("key A on right") << 3 << 6 << 0x41 << 0 << 29 << 94 << hex("00000400");
    QTest::newRow("ctrl+shift+F5 on middle") << 3 << 5 << 0x74 << 3 << 30 << 98 << hex("0003 3E00");
    QTest::newRow("right windows key is E3") << 3 << 8 << 0x5C << 0 << 29 << 102 << hex("0000E300");
    QTest::newRow("volume up") << 4 << 7 << 0 << 0 << 37 << 106 << hex("0300E900");
    QTest::newRow("media player") << 4 << 7 << 0 << 0 << 39 << 106 << hex("03008301");
    QTest::newRow("usage in key") << 4 << 7 << 0x0223 << 0 << 34 << 106 << hex("03002302");
    QTest::newRow("usage low/high") << 4 << 7 << 0x24 << 0x02 << 34 << 106 << hex("03002402");
    QTest::newRow("fire key") << 3 << 8 << 0 << 0 << 44 << 102 << hex("0AF01002");
    QTest::newRow("dpi up") << 3 << 13 << 0 << 0 << 45 << 110 << hex("07000100");
    QTest::newRow("dpi down") << 3 << 13 << 0 << 0 << 46 << 110 << hex("07000200");
    QTest::newRow("dpi instant") << 3 << 14 << 0 << 0 << 47 << 114 << hex("0700040A");
    QTest::newRow("forward") << 3 << 6 << 0 << 0 << 51 << 94 << hex("0100F400");
    QTest::newRow("back") << 3 << 6 << 0 << 0 << 52 << 94 << hex("0100F300");
    QTest::newRow("middle") << 3 << 6 << 0 << 0 << 50 << 94 << hex("0100F200");
    QTest::newRow("disabled") << 3 << 11 << 0 << 0 << 41 << 146 << hex("00000000");
    QTest::newRow("switch macro") << 3 << 17 << 0 << 0 << 55 << 126 << hex("10000300");
    QTest::newRow("profile loop") << 3 << 12 << 0 << 0 << 56 << 150 << hex("08000300");
    QTest::newRow("lark button 9 at 114") << 18 << 9 << 0x41 << 0 << 29 << 114 << hex("00000400");
    QTest::newRow("lark button 10 at 118") << 18 << 10 << 0 << 0 << 41 << 118 << hex("00000000");
    QTest::newRow("lark button 15 at 142") << 18 << 15 << 0 << 0 << 45 << 142 << hex("07000100");
}

void TstUsbDriverMangerOsprey::buttonEntries()
{
    QFETCH(int, model);
    QFETCH(int, button);
    QFETCH(int, value);
    QFETCH(int, modifier);
    QFETCH(int, changeType);
    QFETCH(int, offset);
    QFETCH(QByteArray, entry);
    ManagerFixture f(model);
    QVERIFY(f.openAndRead());
    const QByteArray before = f.settings().mid(offset, 4);
    QVERIFY(f.manager->SetChangeButtonToKey(button, value, modifier, changeType, 0));
    QCOMPARE(f.settings().mid(offset, 4), entry);
    QCOMPARE(f.fw().counters().profileWrites, 1);
    // Change type 32 puts the factory entry back (for the Lark's button 10: 00 00 5C 00).
    QVERIFY(f.manager->SetChangeButtonToKey(button, 0, 0, 32, 0));
    const QByteArray factory = UsbDriverManger_Osprey::factoryEntry(button, model);
    QCOMPARE(f.settings().mid(offset, 4), factory);
    if (model != 18)
        QCOMPARE(factory, before);
}

void TstUsbDriverMangerOsprey::unsupportedButtonRequestsWriteNothing_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("changeType");
    QTest::newRow("function report") << 3 << 6 << 0 << 31;
    QTest::newRow("macro report") << 3 << 6 << 0 << 33;
    QTest::newRow("mouse key mask") << 3 << 6 << 1 << 40;
    QTest::newRow("dpi function") << 3 << 6 << 1 << 42;
    QTest::newRow("extended function") << 3 << 6 << 1 << 43;
    QTest::newRow("unused 53") << 3 << 6 << 0 << 53;
    QTest::newRow("key without usage") << 3 << 6 << 0xFF << 29;
    QTest::newRow("right ctrl has no usage here") << 3 << 6 << 0xA3 << 29;
    QTest::newRow("button 9 on the osprey") << 3 << 9 << 0x41 << 29;
    QTest::newRow("button 14 on the lark") << 18 << 14 << 0x41 << 29;
    QTest::newRow("button 3") << 3 << 3 << 0x41 << 29;
}

void TstUsbDriverMangerOsprey::unsupportedButtonRequestsWriteNothing()
{
    QFETCH(int, model);
    QFETCH(int, button);
    QFETCH(int, value);
    QFETCH(int, changeType);
    ManagerFixture f(model);
    f.fw().setMacroSlot(fwSlot(144), hex("00013204"));
    QVERIFY(f.openAndRead());
    const QByteArray image = f.manager->profileImage();
    QVERIFY(!f.manager->SetChangeButtonToKey(button, value, 0, changeType, 0));
    QCOMPARE(f.fw().counters().setReports, 0);
    QCOMPARE(f.manager->profileImage(), image);
    QCOMPARE(f.manager->macroRecord(1), hex("00013204")); // button 6's macro kept
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(model, 1)));
}

void TstUsbDriverMangerOsprey::onlyLeftButtonIsGuarded()
{
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    QSignalSpy warning(f.manager.get(), &USBDriverManger::sig_WarningOnlyLeftButton);
    LogCapture logs;
    QVERIFY(f.manager->SetChangeButtonToKey(4, 0x41, 0, 29, 0));
    QCOMPARE(warning.count(), 1);
    QCOMPARE(warning.first().first().toInt(), 6);
    QVERIFY(logs.contains("You Only Have One Left Key"));
    QCOMPARE(f.fw().counters().setReports, 0);
    QCOMPARE(f.settings().mid(90, 4), hex("0100F000"));
    // Restoring button 4 while it is left click changes nothing at all.
    QVERIFY(f.manager->SetChangeButtonToKey(4, 0, 0, 32, 0));
    QCOMPARE(f.fw().counters().setReports, 0);
    // With a second left button, button 4 may go.
    QVERIFY(f.manager->SetChangeButtonToKey(6, 0, 0, 48, 0));
    QVERIFY(f.manager->SetChangeButtonToKey(4, 0x41, 0, 29, 0));
    QCOMPARE(f.settings().mid(90, 4), hex("00000400"));
    // Now button 6 is the only left click: a macro on it is refused as well.
    const QString file = f.macroFile("m", {{3, 0x41, 10, 0, 0, 0}});
    QVERIFY(f.manager->WriteSingleMacro(6, file));
    QCOMPARE(warning.count(), 2);
    QCOMPARE(f.settings().mid(94, 4), hex("0100F000"));
}

void TstUsbDriverMangerOsprey::onlyLeftButtonGuardComesFirst_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("changeType");
    QTest::newRow("function report") << 0 << 31;
    QTest::newRow("mouse key mask") << 1 << 40;
    QTest::newRow("unused 53") << 0 << 53;
    QTest::newRow("key without usage") << 0xFF << 29;
    QTest::newRow("left click again") << 0 << 48;
}

void TstUsbDriverMangerOsprey::onlyLeftButtonGuardComesFirst()
{
    QFETCH(int, value);
    QFETCH(int, changeType);
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    QSignalSpy warning(f.manager.get(), &USBDriverManger::sig_WarningOnlyLeftButton);
    QVERIFY(f.manager->SetChangeButtonToKey(4, value, 0, changeType, 0));
    QCOMPARE(warning.count(), 1);
    QCOMPARE(warning.first().first().toInt(), 6);
    QCOMPARE(f.fw().counters().setReports, 0);
    QCOMPARE(f.settings().mid(90, 4), hex("0100F000"));
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(3, 1)));
}

void TstUsbDriverMangerOsprey::buttonReport()
{
    ManagerFixture f(MouseType::Osprey);
    QByteArray s = OspreyMouseFirmware::factorySettings(3);
    s.replace(94, 4, hex("00011A00"));  // 6: ctrl+W, special code 0
    s.replace(98, 4, hex("00080F00"));  // 5: win+L, special code 1
    s.replace(102, 4, hex("00020400")); // 8: shift+A
    s.replace(106, 4, hex("00000000")); // 7: disabled
    s.replace(110, 4, hex("0300E900")); // 13: volume up
    s.replace(114, 4, hex("0100F100")); // 14: right button
    s.replace(118, 4, hex("09010090")); // 15: a macro
    s.replace(122, 4, hex("0700040A")); // 16: DPI instant
    s.replace(146, 4, hex("03002302")); // 11: another consumer usage
    f.fw().setSettings(s);
    QVERIFY(f.openAndRead());
    QSignalSpy original(f.manager.get(), &USBDriverManger::sig_CurrentButtonIsOriginalButton);
    QSignalSpy value(f.manager.get(), &USBDriverManger::sig_TrueMouseValue);
    f.manager->checkAllMouseButtonIsOriginalMouseButton();
    QStringList states;
    for (const auto &args : original)
        states << QString("%1:%2").arg(args.at(1).toInt()).arg(args.at(0).toBool() ? "t" : "f");
    QCOMPARE(states, (QStringList{"4:t", "5:f", "6:f", "7:f", "8:f", "11:f", "12:t", "13:f",
                                  "14:f", "15:f", "16:f", "17:t"}));
    QStringList values;
    for (const auto &args : value)
        values << QString("%1:%2,%3,%4")
                      .arg(args.at(0).toInt())
                      .arg(args.at(1).toInt())
                      .arg(args.at(2).toInt())
                      .arg(args.at(3).toInt());
    QCOMPARE(values, (QStringList{"5:31,1,0", "6:31,0,0", "7:41,-1,0", "8:29,65,2",
                                  "11:31,34,547", "13:31,37,233", "14:31,49,0", "15:33,0,0",
                                  "16:31,47,0"}));
}

void TstUsbDriverMangerOsprey::lightSettings_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("wheel");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("offsets");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("wheel colour") << "color" << true << int(makeColorRef(0x11, 0x22, 0x33)) << true
                                  << QList<int>{39, 40, 41, 42, 44} << hex("1122330000");
    QTest::newRow("main colour") << "color" << false << int(makeColorRef(0xAA, 0xBB, 0xCC)) << true
                                 << QList<int>{20, 21, 22, 23, 25} << hex("AABBCC0000");
    QTest::newRow("main mode 4") << "mode" << false << 4 << true << QList<int>{14, 29, 30, 44}
                                 << hex("83 0809 02");
    QTest::newRow("main mode 3 marks 29") << "mode" << false << 3 << true
                                          << QList<int>{14, 29, 30} << hex("84 0301");
    QTest::newRow("wheel mode 2 clears 44") << "mode" << true << 2 << true << QList<int>{17, 44}
                                            << hex("8200");
    QTest::newRow("wheel mode 5") << "mode" << true << 5 << true << QList<int>{17} << hex("85");
    QTest::newRow("mode 6 refused") << "mode" << true << 6 << false << QList<int>{} << QByteArray();
    QTest::newRow("wheel degree") << "degree" << true << 7 << true << QList<int>{18} << hex("07");
    QTest::newRow("main degree") << "degree" << false << 9 << true << QList<int>{15} << hex("09");
    QTest::newRow("wheel speed") << "speed" << true << 3 << true << QList<int>{45} << hex("03");
    QTest::newRow("main speed") << "speed" << false << 4 << true << QList<int>{26} << hex("04");
    QTest::newRow("degree 256 refused") << "degree" << false << 256 << false << QList<int>{}
                                        << QByteArray();
}

void TstUsbDriverMangerOsprey::lightSettings()
{
    QFETCH(QString, operation);
    QFETCH(bool, wheel);
    QFETCH(int, value);
    QFETCH(bool, ok);
    QFETCH(QList<int>, offsets);
    QFETCH(QByteArray, bytes);
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    bool result = false;
    if (operation == "color")
        result = f.manager->SetMouseColor(wheel, {COLORREF(value)}, 0);
    else if (operation == "mode")
        result = f.manager->SetMouseLightMode(wheel, value, 0);
    else if (operation == "degree")
        result = f.manager->SetMouseContinueLightDegree(wheel, value, 0);
    else
        result = f.manager->SetMouseBreathSpeed(wheel, value, 0);
    QCOMPARE(result, ok);
    QCOMPARE(f.fw().counters().profileWrites, ok ? 1 : 0);
    const QByteArray s = f.settings();
    for (int i = 0; i < offsets.size(); ++i)
        QCOMPARE(int(BYTE(s.at(offsets.at(i)))), int(BYTE(bytes.at(i))));
}

void TstUsbDriverMangerOsprey::lightParameterRecord()
{
    ManagerFixture f(MouseType::Wren);
    QVERIFY(f.openAndRead());
    QVERIFY(f.manager->SetMouseColor(true, {makeColorRef(1, 2, 3)}, 0));
    QVERIFY(f.manager->SetMouseColor(false, {makeColorRef(4, 5, 6)}, 0));
    QVERIFY(f.manager->SetMouseBreathSpeed(true, 7, 0));
    LightColorParam param;
    QVERIFY(f.manager->GetLightParameter(param, 0));
    // Wren factory: main mode code 85 (mode 5), speed 5, degree 5; wheel code 83 (mode 4),
    // degree 4.
    QCOMPARE(param.toBytes(), hex("04 07 04 01020300 0000000000000000"
                                  "05 05 05 04050600 0000000000000000"));
}

void TstUsbDriverMangerOsprey::simpleSettings()
{
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    QVERIFY(!f.manager->SetUsbReportRate(4, 0));
    QVERIFY(f.manager->SetUsbReportRate(0, 0));
    QCOMPARE(f.settings().at(0), char(0));
    // Lift-off and list-macro position are stored only.
    QVERIFY(f.manager->SetSilentHeight(2, 0));
    QVERIFY(f.manager->SetListMacroPosition(9, 0));
    QCOMPARE(f.fw().counters().profileWrites, 1);
    int height = 0;
    BYTE position = 0;
    QVERIFY(f.manager->GetSilentHeight(height, 0));
    QVERIFY(f.manager->GetListMacroPosition(position, 0));
    QCOMPARE(height, 2);
    QCOMPARE(int(position), 9);
    QVERIFY(f.manager->SetOLEDScreenParameter(8));
    QCOMPARE(f.settings().at(11), char(7));
    QCOMPARE(f.manager->GetCurrentPictureIndex(), 8);
    QVERIFY(f.manager->SetOLEDScreenParameter(5));
    QCOMPARE(f.settings().at(11), char(1));
    QVERIFY(f.manager->SetOLEDScreenLightIntensity(0x33));
    QCOMPARE(f.manager->GetOLEDScreenLightIntensity(), 0x33);
    QVERIFY(f.manager->SetExtraByte(0x42));
    QCOMPARE(f.settings().at(9), char(0x42));
    QCOMPARE(f.manager->GetExtraByte(), 0x42);
    // The write carried the stored lift-off byte too.
    QCOMPARE(f.settings().at(1), char(2));
    QCOMPARE(f.manager->returnDefaultDPIGear(), 3);
    DWORD version = 0;
    QVERIFY(f.manager->GetVersion(version));
    QCOMPARE(version, DWORD(0x0100));
}

void TstUsbDriverMangerOsprey::macroWords_data()
{
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<int>("ignore");
    QTest::addColumn<QByteArray>("words");
    QTest::newRow("250 ms key step gives three words")
        << QList<Step>{{3, 0x41, 250, 0, 0, 0}} << 0 << hex("3204 0001 0002 0000");
    QTest::newRow("press and release")
        << QList<Step>{{3, 0x41, 20, 0, 0, 0}, {3, 0x41, 127, 0, 0, 1}} << 0
        << hex("1404 FF04 0000");
    QTest::newRow("delay 0 becomes 1") << QList<Step>{{3, 0x42, 0, 0, 0, 0}} << 0
                                       << hex("0105 0000");
    QTest::newRow("ignored delays are 1") << QList<Step>{{3, 0x42, 900, 0, 0, 1}} << 2
                                          << hex("8105 0000");
    QTest::newRow("200 ms release") << QList<Step>{{3, 0x0D, 200, 0, 0, 1}} << 0
                                    << hex("8128 0001 0002 0000");
    QTest::newRow("long delay") << QList<Step>{{3, 0x20, 70000, 0, 0, 0}} << 0
                                << hex("012C 0001 02BC 0000");
    QTest::newRow("mouse buttons") << QList<Step>{{3, 0x01, 5, 0, 0, 0}, {3, 0x04, 5, 0, 0, 1}}
                                   << 0 << hex("05F0 85F2 0000");
    QTest::newRow("movement with delay") << QList<Step>{{6, 0, 300, 5, 3, 0}} << 0
                                         << hex("0002 05FD 0003 012C 0000");
    QTest::newRow("movement clamps") << QList<Step>{{6, 0, 0, -300, -200, 0}} << 0
                                     << hex("0002 807F 0000");
    // Y is negated on the way: -INT_MIN is taken in a wider type and clamps to 127.
    QTest::newRow("movement INT_MIN clamps") << QList<Step>{{6, 0, 0, INT_MIN, INT_MIN, 0}} << 0
                                             << hex("0002 807F 0000");
    QTest::newRow("movement INT_MIN + 1 clamps") << QList<Step>{{6, 0, 0, INT_MIN + 1, INT_MIN + 1, 0}} << 0
                                                 << hex("0002 807F 0000");
    QTest::newRow("movement without delay when ignored") << QList<Step>{{6, 0, 9, 1, 1, 0}} << 2
                                                         << hex("0002 01FF 0000");
    QTest::newRow("no movement") << QList<Step>{{6, 0, 9, 0, 0, 0}} << 0 << hex("0000");
    QTest::newRow("other value types skipped")
        << QList<Step>{{1, 0x41, 9, 0, 0, 0}, {3, 0x41, 9, 0, 0, 0}} << 0 << hex("0904 0000");
    // A key the family cannot send refuses the whole macro (no words at all).
    QTest::newRow("unknown key") << QList<Step>{{3, 0x41, 9, 0, 0, 0}, {3, 0xFF, 9, 0, 0, 0}} << 0
                                 << QByteArray();
    QTest::newRow("right ctrl") << QList<Step>{{3, 0xA3, 9, 0, 0, 0}, {3, 0x41, 9, 0, 0, 0}} << 0
                                << QByteArray();
    QTest::newRow("right shift") << QList<Step>{{3, 0x41, 9, 0, 0, 0}, {3, 0xA1, 9, 0, 0, 1}} << 0
                                 << QByteArray();
    QTest::newRow("right alt") << QList<Step>{{3, 0xA5, 9, 0, 0, 1}} << 0 << QByteArray();
    QTest::newRow("menu") << QList<Step>{{6, 0, 9, 1, 1, 0}, {3, 0x5D, 9, 0, 0, 0}} << 0
                          << QByteArray();
}

void TstUsbDriverMangerOsprey::macroWords()
{
    QFETCH(QList<Step>, steps);
    QFETCH(int, ignore);
    QFETCH(QByteArray, words);
    QCOMPARE(UsbDriverManger_Osprey::defineLocalMacro(nodes(steps), ignore), words);
}

void TstUsbDriverMangerOsprey::singleMacroLandsInTheMouse()
{
    ManagerFixture f(MouseType::Wren);
    QVERIFY(f.openAndRead());
    const QString file = f.macroFile("m1", {{3, 0x41, 250, 0, 0, 0}, {3, 0x41, 10, 0, 0, 1}}, 1, 3);
    QVERIFY(f.manager->WriteSingleMacro(6, file));
    // Button 6 → address 144 (0x90), slot 1.
    QCOMPARE(f.fw().macroSlot(fwSlot(144)),
             hex("0003 3204 0001 0002 8A04 0000") + QByteArray(1012, '\0'));
    QCOMPARE(f.settings().mid(94, 4), hex("09010090"));
    QCOMPARE(f.manager->macroRecord(1), hex("0003 3204 0001 0002 8A04 0000"));
    const QJsonObject slot = f.config(1).value("MacroDataOfGamingMode").toObject().value("1").toObject();
    QCOMPARE(slot.value("RepeatTimes").toInt(), 3);
    QCOMPARE(slot.value("Macro").toArray().size(), 10);
    QCOMPARE(f.config(1).value("MouseDataOfGamingMode").toObject().value("94").toInt(), 9);

    // An endless macro on the middle button (address 148).
    const QString endless = f.macroFile("m2", {{3, 0x42, 5, 0, 0, 0}}, 2, 0);
    QVERIFY(f.manager->WriteSingleMacro(5, endless));
    QCOMPARE(f.fw().macroSlot(fwSlot(148)).left(6), hex("FFFE 0505 0000"));
    QCOMPARE(f.settings().mid(98, 4), hex("09020094"));
    // Repeat 0 would read back as an empty block: it goes as 1.
    const QString zero = f.macroFile("m3", {{3, 0x42, 5, 0, 0, 0}}, 1, 0);
    QVERIFY(f.manager->WriteSingleMacro(8, zero));
    QCOMPARE(f.fw().macroSlot(fwSlot(152)).left(4), hex("0001 0505"));

    // A new key on button 6 clears its macro slot.
    QVERIFY(f.manager->SetChangeButtonToKey(6, 0x43, 0, 29, 0));
    QCOMPARE(f.manager->macroRecord(1), QByteArray());
    QVERIFY(f.config(1).value("MacroDataOfGamingMode").toObject().value("1").toObject()
                .value("Macro").toArray().isEmpty());
}

void TstUsbDriverMangerOsprey::oversizedMacroIsRefused()
{
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    // A right Ctrl step has no usage here: refused before anything is written, key named.
    {
        LogCapture logs;
        const QString rightCtrl = f.macroFile("rctrl", {{3, 0xA3, 5, 0, 0, 0}, {3, 0xA3, 5, 0, 0, 1}});
        QVERIFY(!f.manager->WriteSingleMacro(7, rightCtrl));
        QVERIFY(!f.manager->WriteListMacro({rightCtrl}));
        QCOMPARE(f.fw().counters().setReports, 0);
        QCOMPARE(logs.count("defineLocalMacro: this mouse has no key right Ctrl (virtual key 0xA3) - macro refused"), 2);
    }
    QList<Step> steps;
    for (int i = 0; i < 510; ++i)
        steps << Step{3, 0x41, 5, 0, 0, i % 2};
    const QString fits = f.macroFile("fits", steps); // 510 words and the end word
    steps << Step{3, 0x41, 5, 0, 0, 0};
    const QString tooLong = f.macroFile("long", steps);
    QVERIFY(!f.manager->WriteSingleMacro(7, tooLong));
    QCOMPARE(f.fw().counters().setReports, 0);
    QVERIFY(f.manager->WriteSingleMacro(7, fits));
    QCOMPARE(f.fw().macroSlot(fwSlot(156)).mid(1020, 4), hex("85040000"));
    // A file whose "Macro" is no array is no macro.
    f.home.write("/bad.json", R"({"Macro": {"0": 1}, "MacroType": 1})");
    QVERIFY(!f.manager->WriteSingleMacro(7, f.home.file("/bad.json")));
    QVERIFY(!f.manager->WriteSingleMacro(7, f.home.file("/missing.json")));
}

void TstUsbDriverMangerOsprey::larkButtons9And10HaveTheirOwnSlots()
{
    ManagerFixture f(MouseType::Lark);
    f.fw().setMacroSlot(fwSlot(140), hex("0001 0404 0000"));
    f.fw().setMacroSlot(fwSlot(188), hex("0002 0505 0000"));
    QVERIFY(f.openAndRead());
    QCOMPARE(f.manager->macroRecord(16), hex("0002 0505")); // id 188 is read as slot 16
    const QString a = f.macroFile("a", {{3, 0x41, 5, 0, 0, 0}}, 1, 1);
    const QString b = f.macroFile("b", {{3, 0x42, 5, 0, 0, 0}}, 1, 2);
    QVERIFY(f.manager->WriteSingleMacro(9, a));
    QVERIFY(f.manager->WriteSingleMacro(10, b));
    QCOMPARE(f.fw().macroSlot(fwSlot(188)).left(8), hex("0001 0504 0000 0000"));
    QCOMPARE(f.fw().macroSlot(fwSlot(192)).left(8), hex("0002 0505 0000 0000"));
    QCOMPARE(f.settings().mid(114, 8), hex("090100BC 090100C0"));
    QCOMPARE(f.fw().macroSlot(fwSlot(140)).left(6), hex("0001 0404 0000")); // button 4's kept
    const QJsonObject stored = f.config(1).value("MacroDataOfGamingMode").toObject();
    QCOMPARE(stored.value("16").toObject().value("Macro").toArray().size(), 4);
    QCOMPARE(stored.value("17").toObject().value("RepeatTimes").toInt(), 2);
    // The Lark has no button 14: its place (114) is button 9's.
    QVERIFY(!f.manager->WriteSingleMacro(14, a));
    QCOMPARE(f.settings().mid(114, 4), hex("090100BC"));
}

void TstUsbDriverMangerOsprey::listMacroFillsSlots12To15()
{
    ManagerFixture f(MouseType::Osprey);
    f.fw().setMacroSlot(fwSlot(216), hex("0001 0404"));
    QVERIFY(f.openAndRead());
    QCOMPARE(f.manager->macroRecord(14), hex("00010404"));
    const QString a = f.macroFile("a", {{3, 0x41, 5, 0, 0, 0}}, 1, 1);
    const QString b = f.macroFile("b", {{3, 0x42, 5, 0, 0, 0}}, 1, 2);
    QVERIFY(f.manager->WriteListMacro({a, b}));
    QCOMPARE(f.fw().macroSlot(fwSlot(208)).left(6), hex("0001 0504 0000"));
    QCOMPARE(f.fw().macroSlot(fwSlot(212)).left(6), hex("0002 0505 0000"));
    QCOMPARE(f.fw().macroSlot(fwSlot(216)), QByteArray(1024, '\0'));
    QCOMPARE(f.fw().macroSlot(fwSlot(220)), QByteArray(1024, '\0'));
    QCOMPARE(f.settings().mid(90, 4), hex("11010000"));
    QVERIFY(!f.manager->WriteListMacro({a, b, a, b, a}));
    QVERIFY(!f.manager->WriteListMacro({}));
    // Restoring button 4 clears the four list slots.
    QVERIFY(f.manager->SetChangeButtonToKey(4, 0, 0, 32, 0));
    QCOMPARE(f.settings().mid(90, 4), hex("0100F000"));
    QCOMPARE(f.manager->macroRecord(12), QByteArray());
    QCOMPARE(f.manager->macroRecord(13), QByteArray());
}

void TstUsbDriverMangerOsprey::setterSavesTheCurrentConfiguration()
{
    ManagerFixture f(MouseType::SwiftS);
    QVERIFY(f.openAndRead());
    QVERIFY(f.manager->SetCurrentConfigNumber(3));
    QVERIFY(!f.manager->SetCurrentConfigNumber(6));
    QVERIFY(f.manager->SetUsbReportRate(2, 0));
    const QJsonObject image = f.config(3).value("MouseDataOfGamingMode").toObject();
    QCOMPARE(image.size(), 234);
    QCOMPARE(image.value("0").toInt(), 2);
    QCOMPARE(image.value("58").toInt(), 0x0C);
    QCOMPARE(f.config(3).value("MacroDataOfGamingMode").toObject().size(), 16);
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(5, 1)));

    // Other members of the file stay; an unreadable file is kept aside before it is replaced.
    const QString path = StoragePaths::configJsonPath(5, 2);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"Other": 7, "MacroDataOfGamingMode": {"20": {"RepeatTimes": 1}}})");
    file.close();
    QVERIFY(f.manager->SetCurrentConfigNumber(2));
    QVERIFY(f.manager->SetUsbReportRate(1, 0));
    QCOMPARE(f.config(2).value("Other").toInt(), 7);
    QVERIFY(f.config(2).value("MacroDataOfGamingMode").toObject().contains("20"));
    QCOMPARE(f.config(2).value("MouseDataOfGamingMode").toObject().value("0").toInt(), 1);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{broken");
    file.close();
    QVERIFY(f.manager->SetUsbReportRate(0, 0));
    QCOMPARE(f.home.read("/ConfigFiles/MouseFile/swifts/AFile/ConfigJsonFile/Config2.json.corrupt"),
             QByteArray("{broken"));
    QCOMPARE(f.config(2).value("MouseDataOfGamingMode").toObject().value("0").toInt(), 0);
}

void TstUsbDriverMangerOsprey::failedWriteChangesNothing()
{
    ManagerFixture f(MouseType::Osprey);
    f.fw().setMacroSlot(fwSlot(144), hex("00013204"));
    QVERIFY(f.openAndRead());
    const QByteArray image = f.manager->profileImage();
    f.fw().setBusyStatusPolls(10); // the mouse never confirms
    LogCapture logs;
    QVERIFY(!f.manager->SetChangeButtonToKey(6, 0x41, 0, 29, 0));
    QVERIFY(logs.contains("WriteProfileIntoMouseAndSaveConfigFile failed"));
    QCOMPARE(f.manager->profileImage(), image);
    QCOMPARE(f.manager->macroRecord(1), hex("00013204"));
    QVERIFY(!QFile::exists(StoragePaths::configJsonPath(3, 1)));
    // The next change does not carry the failed one along.
    QVERIFY(f.manager->SetUsbReportRate(1, 0));
    QCOMPARE(f.settings().mid(94, 4), hex("0100F100"));
    // Nothing is written while the device is closed.
    f.manager->UnInitDevice();
    f.fw().resetCounters();
    QVERIFY(!f.manager->SetUsbReportRate(2, 0));
    QCOMPARE(f.fw().counters().setReports, 0);
}

void TstUsbDriverMangerOsprey::compareIgnoresBytes1To10()
{
    ManagerFixture f(MouseType::Osprey);
    QVERIFY(f.openAndRead());
    JsonHandle json;
    QByteArray other = f.manager->profileImage();
    other[0] = char(0x01); // byte 0 counts
    QVERIFY(json.saveMouseData_Halden(other, 3, 1));
    QByteArray same = f.manager->profileImage();
    for (int i = 1; i <= 10; ++i)
        same[i] = char(0xEE); // bytes 1..10 never count
    QVERIFY(json.saveMouseData_Halden(same, 3, 2));
    QByteArray later = f.manager->profileImage();
    QVERIFY(json.saveMouseData_Halden(later, 3, 3));
    int number = 0;
    QVERIFY(f.manager->CompareMouseAndLocalFileData(number));
    QCOMPARE(number, 2);
    QCOMPARE(f.manager->currentConfigNumber(), 2);
    // The Osprey factory gear is 3 already: nothing to write.
    QCOMPARE(f.fw().counters().setReports, 0);

    // A gear other than the default is put back to it.
    QByteArray s = f.settings();
    s[5] = char(6);
    f.fw().setSettings(s);
    QVERIFY(f.manager->GetProfileData());
    f.fw().resetCounters();
    QVERIFY(f.manager->CompareMouseAndLocalFileData(number));
    QCOMPARE(number, 2);
    QCOMPARE(f.fw().counters().profileWrites, 1);
    QCOMPARE(f.settings().at(5), char(3));
}

void TstUsbDriverMangerOsprey::compareFindsNothing()
{
    ManagerFixture f(MouseType::Osprey);
    QByteArray s = OspreyMouseFirmware::factorySettings(3);
    s[200] = char(0x12);
    f.fw().setSettings(s);
    QVERIFY(f.openAndRead());
    LogCapture logs;
    int number = 0;
    // No files: every configuration reads as the factory image, which differs at 200.
    QVERIFY(!f.manager->CompareMouseAndLocalFileData(number));
    QVERIFY(logs.contains("didnt find  the config"));
    QCOMPARE(f.manager->currentConfigNumber(), 1);
}

void TstUsbDriverMangerOsprey::corruptConfigurationReadsAsFactory()
{
    ManagerFixture f(MouseType::Wren);
    QVERIFY(f.openAndRead());
    QVERIFY(f.manager->SetUsbReportRate(0, 0)); // the mouse now differs from the factory
    const QString path = StoragePaths::configJsonPath(4, 1);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\"MouseDataOfGamingMode\": [1, 2");
    file.close();
    int number = 0;
    // Configuration 1 reads as the factory image (rate 3): no match with rate 0 anywhere.
    QVERIFY(!f.manager->CompareMouseAndLocalFileData(number));
    // Loading it puts the factory image into the mouse.
    QVERIFY(f.manager->LoadOnlyMouseConfigFileByNumber(1));
    QCOMPARE(f.settings(), OspreyMouseFirmware::factorySettings(4));
}

void TstUsbDriverMangerOsprey::loadConfigurationWritesMouse()
{
    ManagerFixture f(MouseType::Osprey);
    f.fw().setMacroSlot(fwSlot(148), hex("0001 0404"));
    QVERIFY(f.openAndRead());
    JsonHandle json;
    QByteArray image = f.manager->profileImage();
    image[0] = char(0x02);
    image.replace(94, 4, hex("09010090"));
    QVERIFY(json.saveMouseData_Halden(image, 3, 4));
    QVERIFY(json.saveMacroData_Halden(hex("0005 0A04 0000"), 1, 3, 4));
    f.fw().resetCounters();
    QVERIFY(f.manager->LoadConfigFileByNumber(4));
    QCOMPARE(f.manager->currentConfigNumber(), 4);
    QCOMPARE(f.settings().at(0), char(0x02));
    QCOMPARE(f.settings().mid(94, 4), hex("09010090"));
    QCOMPARE(f.fw().macroSlot(fwSlot(144)).left(6), hex("0005 0A04 0000"));
    // Slots without a macro in the file are cleared in the mouse.
    QCOMPARE(f.fw().macroSlot(fwSlot(148)), QByteArray(1024, '\0'));
    QCOMPARE(f.fw().counters().macroWrites, 16);
    QVERIFY(!f.manager->LoadConfigFileByNumber(-1));
    QVERIFY(!f.manager->LoadConfigFileByNumber(6));
    // Configuration 0 is the factory one: it goes into the mouse, and later changes still go
    // to a user configuration, never into the factory copy.
    QVERIFY(f.manager->LoadConfigFileByNumber(0));
    QCOMPARE(f.settings(), OspreyMouseFirmware::factorySettings(3));
    QCOMPARE(f.manager->currentConfigNumber(), 1);
    QVERIFY(f.manager->LoadConfigFileByNumber(4));

    // A load the mouse refuses leaves the mirror as it was.
    const QByteArray before = f.manager->profileImage();
    image[0] = char(0x00);
    QVERIFY(json.saveMouseData_Halden(image, 3, 5));
    f.fw().setVanished(true);
    QVERIFY(!f.manager->LoadOnlyMouseConfigFileByNumber(5));
    QCOMPARE(f.manager->profileImage(), before);
    QCOMPARE(f.manager->currentConfigNumber(), 4);
}

void TstUsbDriverMangerOsprey::failedReadsAreCounted()
{
    ManagerFixture f(MouseType::Wren);
    QVERIFY(f.manager->OpenDevice());
    f.fw().corruptChecksum();
    LogCapture logs;
    for (int i = 1; i <= 4; ++i) {
        QVERIFY(!f.manager->GetProfileData());
        QCOMPARE(f.manager->GetExtraSetting(), i);
    }
    QCOMPARE(logs.count("Failure"), 4);
    // A read that works resets the count.
    f.fw().setRememberedBytes(0, 7);
    QVERIFY(f.manager->GetProfileData());
    QCOMPARE(f.manager->GetExtraSetting(), 0);
    QVERIFY(logs.contains("Succseed"));
    // Empty macro slots are reported one by one.
    QCOMPARE(logs.countStartingWith("Error Macro Number"), 16);
}

void TstUsbDriverMangerOsprey::heronDifferences()
{
    ManagerFixture f(MouseType::Heron);
    QVERIFY(f.openAndRead());
    QCOMPARE(f.manager->returnDefaultDPIGear(), 2);
    QVector<int> values;
    QVERIFY(f.manager->GetCPIStageMatrix(values, 0));
    // The Heron's factory codes 12 1B 28 43 8C read through table B: 28 and 43 are not in it.
    QCOMPARE(values.toList(), (QList<int>{800, 1200, 0, 0, 6000, 0, 0, 0}));
    const QByteArray tail = f.fw().profile().mid(476, 5);
    QVERIFY(f.manager->SetCPIListValue({1000, 3000}, 0));
    QCOMPARE(f.settings().mid(58, 3), hex("174500"));
    QCOMPARE(f.fw().profile().mid(476, 5), tail); // the Heron's trailer is not recomputed
    BYTE low = 0;
    BYTE high = 9;
    QVERIFY(f.manager->SetCPIStageMatrix(MouseType::Osprey, 1000, low, high));
    QCOMPARE(int(low), 23);
    QCOMPARE(int(high), 0);
    int number = 0;
    QVERIFY(f.manager->CompareMouseAndLocalFileData(number)); // just saved as configuration 1
    QCOMPARE(number, 1);
    QCOMPARE(f.settings().at(5), char(2));
    // The factory configuration holds the Heron's own stages in table B codes.
    QVERIFY(f.manager->LoadConfigFileByNumber(0));
    QCOMPARE(f.settings().mid(58, 7), hex("09121B2E390000"));
    QCOMPARE(f.settings().mid(74, 7), hex("09121B2E390000"));
    QVERIFY(f.manager->GetCPIStageMatrix(values, 0));
    QCOMPARE(values.toList(), (QList<int>{400, 800, 1200, 2000, 2500, 0, 0, 0}));
}

void TstUsbDriverMangerOsprey::legacyBinaryFiles()
{
    ManagerFixture f(MouseType::Wren);
    QByteArray image = OspreyMouseFirmware::factorySettings(4);
    image[0] = char(0x01);
    QByteArray file = image;
    file += hex("FFFF 0003 3204 8A04 0000"); // slot 0
    file += hex("FFFF 0000");                // slot 1 empty
    file += hex("FFFF FFFF 0A05 0000");      // slot 2, endless: FF FF inside the record
    for (int i = 3; i < 16; ++i)
        file += hex("FFFF 0000");
    QVERIFY(f.home.write("/ConfigFiles/MouseFile/wren/AFile/Config1.txt", file));
    QVERIFY(f.home.write("/ConfigFiles/MouseFile/wren/OriginalFile/Config0.txt", "x"));
    QVERIFY(f.home.write("/ConfigFiles/MouseFile/wren/AFile/Config3.txt", "short"));
    f.manager->TurnOldTxtFileToNewJsonFile();
    QVERIFY(!QFile::exists(f.home.file("/ConfigFiles/MouseFile/wren/AFile/Config1.txt")));
    QVERIFY(!QFile::exists(f.home.file("/ConfigFiles/MouseFile/wren/OriginalFile/Config0.txt")));
    QVERIFY(QFile::exists(f.home.file("/ConfigFiles/MouseFile/wren/AFile/Config3.txt")));
    JsonHandle json;
    QByteArray read;
    QVERIFY(json.getMouseData_Halden(read, 4, 1));
    QCOMPARE(read, image);
    QByteArray record;
    QVERIFY(json.getMacroData_Halden(record, 4, 1, 0));
    QCOMPARE(record, hex("0003 3204 8A04 0000"));
    QVERIFY(json.getMacroData_Halden(record, 4, 1, 2));
    QCOMPARE(record, hex("FFFF 0A05 0000"));

    // And back: the same bytes.
    f.manager->TurnNewFileToOldFile();
    QCOMPARE(f.home.read("/ConfigFiles/MouseFile/wren/AFile/Config1.txt"), file);
    QByteArray factoryFile = OspreyMouseFirmware::factorySettings(4);
    for (int i = 0; i < 16; ++i)
        factoryFile += hex("FFFF 0000");
    QCOMPARE(f.home.read("/ConfigFiles/MouseFile/wren/AFile/Config2.txt"), factoryFile);
    f.manager->removeOldTxtFile();
    for (int n = 1; n <= 5; ++n)
        QVERIFY(!QFile::exists(f.home.file(QString("/ConfigFiles/MouseFile/wren/AFile/Config%1.txt").arg(n))));
}

QTEST_GUILESS_MAIN(TstUsbDriverMangerOsprey)
#include "tst_usbdrivermanger_osprey.moc"
