// Keys pressed on this computer become the Windows virtual-key codes the mouse stores, one table
// for every key source; the names the dialogs show for codes and modifier sets.

#include "ui/keys/keymap.h"

#include <QtTest>

class TstKeyMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void virtualKey_data();
    void virtualKey();
    void names_data();
    void names();
};

void TstKeyMap::virtualKey_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<uint>("scan"); // X11 key code; 0: not known (offscreen, tests)
    QTest::addColumn<int>("vk");
    QTest::newRow("letter") << int(Qt::Key_A) << false << 38u << 0x41;
    QTest::newRow("letter on another layout") << int(Qt::Key_Z) << false << 29u << 0x5A;
    QTest::newRow("digit") << int(Qt::Key_0) << false << 19u << 0x30;
    QTest::newRow("left ctrl") << int(Qt::Key_Control) << false << 37u << 0xA2;
    QTest::newRow("right ctrl") << int(Qt::Key_Control) << false << 105u << 0xA3;
    QTest::newRow("ctrl, side unknown") << int(Qt::Key_Control) << false << 0u << 0xA2;
    QTest::newRow("right shift") << int(Qt::Key_Shift) << false << 62u << 0xA1;
    QTest::newRow("right alt") << int(Qt::Key_AltGr) << false << 108u << 0xA5;
    QTest::newRow("right win") << int(Qt::Key_Meta) << false << 134u << 0x5C;
    QTest::newRow("shifted 1") << int(Qt::Key_Exclam) << false << 10u << 0x31;
    QTest::newRow("shifted 1, no scan") << int(Qt::Key_Exclam) << false << 0u << 0x31;
    QTest::newRow("shifted comma") << int(Qt::Key_Less) << false << 59u << 0xBC;
    QTest::newRow("key left of Z") << int(Qt::Key_Less) << false << 94u << 0xE2;
    QTest::newRow("symbol of a layout") << int(Qt::Key_Odiaeresis) << false << 47u << 0xBA;
    QTest::newRow("enter") << int(Qt::Key_Return) << false << 36u << 0x0D;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << true << 104u << 0x0D;
    QTest::newRow("keypad 5") << int(Qt::Key_5) << true << 84u << 0x65;
    QTest::newRow("keypad 7, num lock off") << int(Qt::Key_Home) << true << 79u << 0x24;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << true << 86u << 0x6B;
    QTest::newRow("main plus") << int(Qt::Key_Plus) << false << 21u << 0xBB;
    QTest::newRow("f12") << int(Qt::Key_F12) << false << 96u << 0x7B;
    QTest::newRow("tab") << int(Qt::Key_Tab) << false << 23u << 0x09;
    QTest::newRow("unknown key") << int(Qt::Key_LaunchMail) << false << 0u << 0;
}

void TstKeyMap::virtualKey()
{
    QFETCH(int, qtKey);
    QFETCH(bool, keypad);
    QFETCH(uint, scan);
    QFETCH(int, vk);
    QCOMPARE(KeyMap::virtualKey(qtKey, keypad ? Qt::KeypadModifier : Qt::NoModifier, scan, 0), vk);
}

void TstKeyMap::names_data()
{
    QTest::addColumn<int>("vk");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<QString>("keyName");
    QTest::addColumn<QString>("modifierName");
    QTest::newRow("enter replaces return") << 13 << 5 << "Enter" << "CTRL + ALT";
    QTest::newRow("keypad") << 96 << 13 << "NUMPAD0" << "CTRL + ALT + WIN";
    QTest::newRow("alt win keeps its space") << 222 << 12 << "'\"" << " ALT + WIN";
    QTest::newRow("no name") << 0x5D << 0 << "" << "";
    QTest::newRow("out of range") << 123 << 16 << "F12" << "";
}

void TstKeyMap::names()
{
    QFETCH(int, vk);
    QFETCH(int, modifier);
    QFETCH(QString, keyName);
    QFETCH(QString, modifierName);
    QCOMPARE(KeyMap::keyName(vk), keyName);
    QCOMPARE(KeyMap::modifierName(modifier), modifierName);
    QCOMPARE(KeyMap::withoutSide(0xA3), 0x11);
}

QTEST_GUILESS_MAIN(TstKeyMap)
#include "tst_keymap.moc"
