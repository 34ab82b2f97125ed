#include "profile/keycodetable.h"
#include "profile/usbdrivermanger.h"

#include <QtTest>

namespace {
// A manager that overrides only what must be overridden, to see the base results.
class BareManager : public USBDriverManger
{
public:
    KelvoUSBDriver *SetDriver(KelvoUSBDriver *) override { return nullptr; }
    int OpenDevice() override { return 0; }
    void SetMousePid(USHORT) override {}
};
} // namespace

class TstUsbDriverManger : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keyTable_data();
    void keyTable();
    void keypadRowsAndTableEnds();
    void consumerUsages_data();
    void consumerUsages();
    void dpiStages_data();
    void dpiStages();
    void leftButtonGuard_data();
    void leftButtonGuard();
    void baseResults();
};

void TstUsbDriverManger::keyTable_data()
{
    QTest::addColumn<int>("vk");
    QTest::addColumn<int>("hid");   // HID usage of vk
    QTest::addColumn<int>("backVk"); // virtual key of that usage (first match)
    QTest::newRow("escape") << 0x1B << 0x29 << 0x1B;
    QTest::newRow("A") << 0x41 << 0x04 << 0x41;
    QTest::newRow("0") << 0x30 << 0x27 << 0x30;
    QTest::newRow("F12") << 0x7B << 0x45 << 0x7B;
    QTest::newRow("enter, keypad row never reached") << 0x0D << 0x28 << 0x0D;
    QTest::newRow("left mouse button") << 0x01 << 0xF0 << 0xA3;  // reverse gives right Ctrl
    QTest::newRow("right mouse button") << 0x02 << 0xF1 << 0xA1; // reverse gives right Shift
    QTest::newRow("middle mouse button") << 0x04 << 0xF2 << 0x04;
    QTest::newRow("right ctrl") << 0xA3 << 0xF0 << 0xA3;
    QTest::newRow("numpad 0") << 0x60 << 0x62 << 0x60;
    QTest::newRow("menu key") << 0x5D << 0x65 << 0x5D;
    QTest::newRow("unknown key") << 0xFF << 0x00 << 0x00;
    QTest::newRow("zero") << 0x00 << 0x00 << 0x00;
}

void TstUsbDriverManger::keyTable()
{
    QFETCH(int, vk);
    QFETCH(int, hid);
    QFETCH(int, backVk);
    QCOMPARE(int(KeyCodeTable::hidFromVirtualKey(vk)), hid);
    QCOMPARE(KeyCodeTable::virtualKeyFromHid(hid), backVk);
}

void TstUsbDriverManger::keypadRowsAndTableEnds()
{
    // Keypad Enter (58:0D) is shadowed for the key but still found by its usage.
    QCOMPARE(KeyCodeTable::pairs()[0].hid, BYTE(0x29));
    QCOMPARE(KeyCodeTable::pairs()[KeyCodeTable::kSize - 1].hid, BYTE(0xF2));
    QCOMPARE(KeyCodeTable::virtualKeyFromHid(0x58), 0x0D);
    QCOMPARE(KeyCodeTable::virtualKeyFromHid(0x53), 0x90);
}

void TstUsbDriverManger::consumerUsages_data()
{
    QTest::addColumn<int>("changeType");
    QTest::addColumn<int>("usage");
    QTest::newRow("mute") << 35 << 0x00E2;
    QTest::newRow("play/pause") << 36 << 0x00CD;
    QTest::newRow("volume up") << 37 << 0x00E9;
    QTest::newRow("volume down") << 38 << 0x00EA;
    QTest::newRow("media player") << 39 << 0x0183;
    QTest::newRow("multimedia carries its own usage") << 34 << 0;
    QTest::newRow("key") << 29 << 0;
}

void TstUsbDriverManger::consumerUsages()
{
    QFETCH(int, changeType);
    QFETCH(int, usage);
    QCOMPARE(int(consumerUsageOfChangeType(changeType)), usage);
}

void TstUsbDriverManger::dpiStages_data()
{
    QTest::addColumn<QList<DWORD>>("list");
    QTest::addColumn<int>("max");
    QTest::addColumn<QList<DWORD>>("stages");
    QTest::newRow("a zero is skipped") << QList<DWORD>{800, 1600, 0, 3200} << 8 << QList<DWORD>{800, 1600, 3200};
    QTest::newRow("first five of six") << QList<DWORD>{1, 0, 2, 3, 4, 5, 6} << 5 << QList<DWORD>{1, 2, 3, 4, 5};
    QTest::newRow("all eight") << QList<DWORD>{1, 2, 3, 4, 5, 6, 7, 8} << 8 << QList<DWORD>{1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("capped at seven") << QList<DWORD>{1, 2, 3, 4, 5, 6, 7, 8} << 7 << QList<DWORD>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("empty") << QList<DWORD>{} << 8 << QList<DWORD>{};
    QTest::newRow("leading zero") << QList<DWORD>{0, 800} << 8 << QList<DWORD>{800};
    QTest::newRow("only zeros") << QList<DWORD>{0, 0, 0} << 8 << QList<DWORD>{};
}

void TstUsbDriverManger::dpiStages()
{
    QFETCH(QList<DWORD>, list);
    QFETCH(int, max);
    QFETCH(QList<DWORD>, stages);
    QCOMPARE(activeDpiStages(list, max), stages);
}

void TstUsbDriverManger::leftButtonGuard_data()
{
    QTest::addColumn<QList<int>>("leftButtons");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("changeType");
    QTest::addColumn<bool>("refused");
    QTest::newRow("only left button to a key") << QList<int>{4} << 4 << 29 << true;
    QTest::newRow("only left button disabled") << QList<int>{4} << 4 << 41 << true;
    QTest::newRow("only left button restored to factory") << QList<int>{4} << 4 << 32 << false;
    QTest::newRow("only left button set to left again") << QList<int>{4} << 4 << 48 << true;
    QTest::newRow("only left button, unsupported type") << QList<int>{4} << 4 << 53 << true;
    QTest::newRow("moved left click, the new one reassigned") << QList<int>{7} << 7 << 29 << true;
    QTest::newRow("moved left click, restoring that button's factory") << QList<int>{7} << 7 << 32 << true;
    QTest::newRow("two left buttons") << QList<int>{4, 7} << 4 << 29 << false;
    QTest::newRow("another button") << QList<int>{4} << 6 << 29 << false;
    QTest::newRow("no left button at all") << QList<int>{} << 4 << 29 << false;
}

void TstUsbDriverManger::leftButtonGuard()
{
    QFETCH(QList<int>, leftButtons);
    QFETCH(int, button);
    QFETCH(int, changeType);
    QFETCH(bool, refused);
    QCOMPARE(USBDriverManger::leftButtonGuardRefuses(leftButtons, button, changeType), refused);
}

void TstUsbDriverManger::baseResults()
{
    BareManager m;
    int i = 0;
    QVector<int> values;
    BYTE b = 0;
    LightColorParam light;
    QImage image;
    USHORT pid = 0;
    DWORD version = 0;
    QVERIFY(m.SelectProfile(1));
    QVERIFY(m.GetCurrentProfileIndex(i));
    QVERIFY(m.GetUsbReportRate(i, 1));
    QVERIFY(m.SetUsbReportRate(3, 1));
    QVERIFY(m.GetCPIStageMatrix(values, 1));
    QCOMPARE(values.size(), 8);
    QVERIFY(m.SetCPIListValue({800}, 1));
    QVERIFY(m.GetListMacroPosition(b, 1));
    QVERIFY(m.GetLightParameter(light, 1));
    QVERIFY(m.SetChangeButtonToKey(5, 0x41, 0, 29, 1));
    QVERIFY(m.WriteSingleMacro(5, "x.json"));
    QVERIFY(m.GetPictureFromMouse(0, image));
    QVERIFY(m.GetOLEDScreenParameter(values, 1));
    QCOMPARE(values.size(), 13);
    QVERIFY(m.GetMousePid(pid));
    QVERIFY(m.CompareMouseAndLocalFileData(i));
    QVERIFY(m.GetVersion(version));
    QVERIFY(m.LoadConfigFileByNumber(2));
    QVERIFY(!m.LoadOnlyMouseConfigFileByNumber(2));
    QVERIFY(m.GetBatteryPower(i));
    QCOMPARE(m.GetCurrentPictureIndex(), 0);
    QCOMPARE(m.GetOLEDScreenLightIntensity(), 1);
    QCOMPARE(m.GetExtraSetting(), 1);
    // No receiver: the receiver commands are not supported and hand nothing back.
    i = -1;
    QCOMPARE(m.EnterPairingMode(), ReceiverAnswer::NotSupported);
    QCOMPARE(m.SetPairingAddress(0x1234), ReceiverAnswer::NotSupported);
    QCOMPARE(m.ResetReceiverPairing(), ReceiverAnswer::NotSupported);
    QCOMPARE(m.GetReceiverWorkMode(i), ReceiverAnswer::NotSupported);
    QCOMPARE(i, -1);
}

QTEST_GUILESS_MAIN(TstUsbDriverManger)
#include "tst_usbdrivermanger.moc"
