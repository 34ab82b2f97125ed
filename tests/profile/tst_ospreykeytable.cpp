// The Osprey family's key and DPI code tables.
#include "profile/keycodetable.h"
#include "catalog/ospreydpicodes.h"
#include "profile/ospreykeytable.h"

#include <QtTest>

class TstOspreyKeyTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void virtualKeyToUsage_data();
    void virtualKeyToUsage();
    void usageToVirtualKey_data();
    void usageToVirtualKey();
    void tableShape();
    void dpiTables_data();
    void dpiTables();
};

void TstOspreyKeyTable::virtualKeyToUsage_data()
{
    QTest::addColumn<int>("vk");
    QTest::addColumn<int>("hid");
    QTest::newRow("A") << 0x41 << 0x04;
    QTest::newRow("Enter") << 0x0D << 0x28;
    QTest::newRow("left Windows") << 0x5B << 0xE3;
    QTest::newRow("right Windows shares E3") << 0x5C << 0xE3;
    QTest::newRow("right Ctrl dropped") << 0xA3 << 0x00;
    QTest::newRow("right Shift dropped") << 0xA1 << 0x00;
    QTest::newRow("right Alt dropped") << 0xA5 << 0x00;
    QTest::newRow("menu key dropped") << 0x5D << 0x00;
    QTest::newRow("left button") << 0x01 << 0xF0;
    QTest::newRow("right button") << 0x02 << 0xF1;
    QTest::newRow("middle button") << 0x04 << 0xF2;
    QTest::newRow("left Ctrl") << 0xA2 << 0xE0;
    QTest::newRow("unknown") << 0xFF << 0x00;
}

void TstOspreyKeyTable::virtualKeyToUsage()
{
    QFETCH(int, vk);
    QFETCH(int, hid);
    QCOMPARE(int(OspreyKeyTable::hidFromVirtualKey(vk)), hid);
}

void TstOspreyKeyTable::usageToVirtualKey_data()
{
    QTest::addColumn<int>("hid");
    QTest::addColumn<int>("vk");
    QTest::newRow("E3 is the left Windows key") << 0xE3 << 0x5B;
    QTest::newRow("F0 is the left button here") << 0xF0 << 0x01;
    QTest::newRow("F1 is the right button here") << 0xF1 << 0x02;
    QTest::newRow("keypad Enter") << 0x58 << 0x0D;
    QTest::newRow("E7 dropped") << 0xE7 << 0x00;
    QTest::newRow("65 dropped") << 0x65 << 0x00;
    QTest::newRow("F3 unknown") << 0xF3 << 0x00;
}

void TstOspreyKeyTable::usageToVirtualKey()
{
    QFETCH(int, hid);
    QFETCH(int, vk);
    QCOMPARE(OspreyKeyTable::virtualKeyFromHid(hid), vk);
}

void TstOspreyKeyTable::tableShape()
{
    QCOMPARE(OspreyKeyTable::size(), 103);
    BYTE hid = 0;
    BYTE vk = 0;
    int windows = -1;
    for (int i = 0; i < OspreyKeyTable::size(); ++i) {
        OspreyKeyTable::pairAt(i, hid, vk);
        if (hid == 0xE3 && vk == 0x5B)
            windows = i;
    }
    QVERIFY(windows > 0);
    OspreyKeyTable::pairAt(windows + 1, hid, vk);
    QCOMPARE(int(hid), 0xE3);
    QCOMPARE(int(vk), 0x5C);
    OspreyKeyTable::pairAt(0, hid, vk);
    QCOMPARE(int(hid), 0x29);
    QCOMPARE(int(vk), 0x1B);
    OspreyKeyTable::pairAt(102, hid, vk);
    QCOMPARE(int(hid), 0xF2);
    QCOMPARE(int(vk), 0x04);
    OspreyKeyTable::pairAt(103, hid, vk);
    QCOMPARE(int(hid), 0);
}

void TstOspreyKeyTable::dpiTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("code"); // -1: no code
    QTest::newRow("A 200") << "A" << 200 << 4;
    QTest::newRow("A 4100") << "A" << 4100 << 92;
    QTest::newRow("A 4200 has none") << "A" << 4200 << -1;
    QTest::newRow("A 4300") << "A" << 4300 << 97;
    QTest::newRow("A 4900") << "A" << 4900 << 111;
    QTest::newRow("A 6200") << "A" << 6200 << 140;
    QTest::newRow("A 6300") << "A" << 6300 << -1;
    QTest::newRow("A 150") << "A" << 150 << -1;
    QTest::newRow("B 200") << "B" << 200 << 4;
    QTest::newRow("B 1000") << "B" << 1000 << 23;
    QTest::newRow("B 3300") << "B" << 3300 << 77;
    QTest::newRow("B 3400") << "B" << 3400 << 78;
    QTest::newRow("B 6200") << "B" << 6200 << 145;
    QTest::newRow("B 6300") << "B" << 6300 << -1;
    QTest::newRow("B 1050") << "B" << 1050 << -1;
    QTest::newRow("B 100") << "B" << 100 << -1;
}

void TstOspreyKeyTable::dpiTables()
{
    QFETCH(QString, table);
    QFETCH(int, dpi);
    QFETCH(int, code);
    BYTE out = 0xEE;
    const bool found = table == "A" ? OspreyDpiCodes::encodeTableA(dpi, out)
                                    : OspreyDpiCodes::encodeTableB(dpi, out);
    QCOMPARE(found, code >= 0);
    QCOMPARE(int(out), code >= 0 ? code : 0xEE);
    if (code >= 0) {
        const int back = table == "A" ? OspreyDpiCodes::decodeTableA(code)
                                      : OspreyDpiCodes::decodeTableB(code);
        QCOMPARE(back, dpi);
    }
}

QTEST_GUILESS_MAIN(TstOspreyKeyTable)
#include "tst_ospreykeytable.moc"
