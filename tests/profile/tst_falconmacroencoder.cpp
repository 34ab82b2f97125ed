// The hardware macro form of recorded macros, against literal bytes.
#include "profile/falconmacroencoder.h"

#include <QtTest>
#include <climits>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

MacroNode key(int vk, int state, int delay)
{
    MacroNode n;
    n.valueType = 3;
    n.keyValue = vk;
    n.state = state;
    n.timeLapse = delay;
    n.coordinateX = 0;
    n.coordinateY = 0;
    return n;
}

MacroNode move(int x, int y, int delay)
{
    MacroNode n;
    n.valueType = 6;
    n.keyValue = 0;
    n.state = 0;
    n.timeLapse = delay;
    n.coordinateX = x;
    n.coordinateY = y;
    return n;
}

MacroNode other(int type)
{
    MacroNode n = key(0x41, 0, 99);
    n.valueType = type;
    return n;
}
} // namespace

Q_DECLARE_METATYPE(QList<MacroNode>)

class TstFalconMacroEncoder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void encode_data();
    void encode();
    void refused_data();
    void refused();
    void nodeLimit();
    void intermediateWords();
};

void TstFalconMacroEncoder::encode_data()
{
    QTest::addColumn<QList<MacroNode>>("steps");
    QTest::addColumn<int>("ignoreDelay");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("macroType");
    QTest::addColumn<QByteArray>("expected"); // length word .. last node

    const QList<MacroNode> recorded = {key(0x41, 0, 50), key(0x41, 1, 30), move(-5, -3, 10),
                                       key(0x01, 0, 0), key(0x01, 1, 20)};
    QTest::newRow("recorded: keys, a move left and up, mouse button")
        << recorded << 0 << 3 << 0
        << hex("16 00 03 00  65 00 04  3C 00 04  14 00 F7  F0 FB 03  01 00 F0  28 00 F0");
    QTest::newRow("delays ignored")
        << recorded << 2 << 3 << 0
        << hex("16 00 03 00  01 00 04  00 00 04  00 00 F7  F0 FB 03  01 00 F0  00 00 F0");
    QTest::newRow("endless type 2") << QList<MacroNode>{key(0x42, 0, 1)} << 0 << 7 << 2
                                    << hex("07 00 FE FF  03 00 05");
    QTest::newRow("endless type 4") << QList<MacroNode>{key(0x42, 1, 1)} << 0 << 7 << 4
                                    << hex("07 00 FF FF  02 00 05");
    QTest::newRow("move right and down")
        << QList<MacroNode>{move(300, 200, 0)} << 0 << 1 << 0 << hex("0A 00 01 00  00 00 F7  1F 2C 38");
    QTest::newRow("move right and up")
        << QList<MacroNode>{move(300, -200, 0)} << 0 << 1 << 0 << hex("0A 00 01 00  00 00 F7  10 2C C8");
    QTest::newRow("move clamped to 2047")
        << QList<MacroNode>{move(-5000, 5000, 0)} << 0 << 1 << 0 << hex("0A 00 01 00  00 00 F7  88 01 01");
    // |INT_MIN| does not fit an int: it clamps like any other far move, not into other bits.
    QTest::newRow("INT_MIN move clamped to 2047")
        << QList<MacroNode>{move(INT_MIN, INT_MAX, 0)} << 0 << 1 << 0 << hex("0A 00 01 00  00 00 F7  88 01 01");
    QTest::newRow("INT_MIN + 1 move clamped to 2047")
        << QList<MacroNode>{move(INT_MIN + 1, INT_MAX, 0)} << 0 << 1 << 0 << hex("0A 00 01 00  00 00 F7  88 01 01");
    QTest::newRow("INT_MIN vertical move clamped to 2047")
        << QList<MacroNode>{move(0, INT_MIN, 0)} << 0 << 1 << 0 << hex("0A 00 01 00  00 00 F7  07 00 FF");
    QTest::newRow("delay clamped to 15 bits")
        << QList<MacroNode>{key(0x41, 0, 40000)} << 0 << 1 << 0 << hex("07 00 01 00  FF FF 04");
    QTest::newRow("negative delay is 0")
        << QList<MacroNode>{key(0x41, 1, -5)} << 0 << 1 << 0 << hex("07 00 01 00  00 00 04");
    QTest::newRow("other step types skipped")
        << QList<MacroNode>{other(5), key(0x0D, 0, 2), other(0)} << 0 << 1 << 0
        << hex("07 00 01 00  05 00 28");
    QTest::newRow("right and middle button")
        << QList<MacroNode>{key(0x02, 0, 1), key(0x04, 1, 1)} << 0 << 0 << 0
        << hex("0A 00 00 00  03 00 F1  02 00 F2");
    QTest::newRow("repeat kept below the endless words")
        << QList<MacroNode>{key(0x41, 0, 0)} << 0 << 0x10000 << 0 << hex("07 00 FD FF  01 00 04");
}

void TstFalconMacroEncoder::encode()
{
    QFETCH(QList<MacroNode>, steps);
    QFETCH(int, ignoreDelay);
    QFETCH(int, repeat);
    QFETCH(int, macroType);
    QFETCH(QByteArray, expected);
    const auto r = FalconMacroEncoder::encode(steps, ignoreDelay, repeat, macroType);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.slot.size(), 4096);
    QCOMPARE(r.slot.left(expected.size()).toHex(' '), expected.toHex(' '));
    QCOMPARE(r.slot.mid(expected.size()), QByteArray(4096 - expected.size(), '\0'));
    QCOMPARE(r.nodes, (expected.size() - 4) / 3);
}

void TstFalconMacroEncoder::refused_data()
{
    QTest::addColumn<QList<MacroNode>>("steps");
    QTest::newRow("no steps") << QList<MacroNode>{};
    QTest::newRow("key without HID usage") << QList<MacroNode>{key(0x41, 0, 1), key(0xFF, 0, 1)};
    QTest::newRow("only skipped step types") << QList<MacroNode>{other(5), other(1)};
    QTest::newRow("more than 1363 steps") << QList<MacroNode>(QVector<MacroNode>(1364, key(0x41, 0, 1)).toList());
    QTest::newRow("moves that need more than 1363 nodes")
        << QList<MacroNode>(QVector<MacroNode>(682, move(1, 1, 1)).toList());
}

void TstFalconMacroEncoder::refused()
{
    QFETCH(QList<MacroNode>, steps);
    const auto r = FalconMacroEncoder::encode(steps, 0, 1, 0);
    QVERIFY(!r.ok);
    QVERIFY(!r.error.isEmpty());
    QVERIFY(r.slot.isEmpty());
}

void TstFalconMacroEncoder::nodeLimit()
{
    const QList<MacroNode> steps = QVector<MacroNode>(1363, key(0x41, 0, 1)).toList();
    const auto r = FalconMacroEncoder::encode(steps, 0, 1, 0);
    QVERIFY(r.ok);
    QCOMPARE(r.nodes, 1363);
    // 4 + 3 * 1363 = 4093 = 0x0FFD
    QCOMPARE(r.slot.left(2), hex("FD 0F"));
    QCOMPARE(r.slot.mid(4090, 6), hex("03 00 04 00 00 00"));
}

void TstFalconMacroEncoder::intermediateWords()
{
    const QList<DWORD> words = FalconMacroEncoder::intermediateWords(
        {key(0x41, 0, 50), move(-5, -3, 10), key(0x41, 1, 7)}, 0);
    QCOMPARE(words, (QList<DWORD>{0xC0000041, 0xA0000032, 0x40803805, 0xA000000A, 0xE0000041, 0xA0000007}));
}

QTEST_GUILESS_MAIN(TstFalconMacroEncoder)
#include "tst_falconmacroencoder.moc"
