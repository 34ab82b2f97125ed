// The legacy binary configuration file: layout, refusals of damaged files, round trip.
#include "profile/falconlegacyfile.h"
#include "support/temphome.h"

#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray sizes(int slot, int size, int slot2 = -1, int size2 = 0)
{
    QByteArray s(56, '\0');
    s[4 * slot] = char(size & 0xFF);
    s[4 * slot + 1] = char(size >> 8);
    if (slot2 >= 0) {
        s[4 * slot2] = char(size2 & 0xFF);
        s[4 * slot2 + 1] = char(size2 >> 8);
    }
    return s;
}
} // namespace

class TstFalconLegacyFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void invalidSlotIsStoredEmpty();
    void fileRoundTrip();
};

void TstFalconLegacyFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    const QByteArray image(128, char(0x5A));
    QTest::newRow("no macros") << image + QByteArray(56, '\0') << true;
    QTest::newRow("slot 0 and slot 13")
        << image + sizes(0, 7, 13, 10) + hex("07 00 01 00 01 00 04") + hex("0A 00 FE FF 01 00 05 00 00 05") << true;
    QTest::newRow("short header") << image + QByteArray(55, '\0') << false;
    QTest::newRow("size not 4 + 3n") << image + sizes(2, 8) + QByteArray(8, '\0') << false;
    QTest::newRow("size above 4096") << image + sizes(2, 4099) + QByteArray(4099, '\0') << false;
    QTest::newRow("data missing") << image + sizes(1, 7) + hex("07 00 01 00 01 00") << false;
    QTest::newRow("bytes left over") << image + sizes(1, 7) + hex("07 00 01 00 01 00 04 FF") << false;
    QTest::newRow("length word disagrees") << image + sizes(1, 7) + hex("0A 00 01 00 01 00 04") << false;
}

void TstFalconLegacyFile::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    FalconLegacyFile f;
    QCOMPARE(f.fromBytes(bytes), ok);
    if (ok) {
        QCOMPARE(f.image, QByteArray(128, char(0x5A)));
        QCOMPARE(f.toBytes().toHex(' '), bytes.toHex(' '));
    } else {
        QCOMPARE(f.image, QByteArray(128, '\0'));
    }
}

void TstFalconLegacyFile::invalidSlotIsStoredEmpty()
{
    FalconLegacyFile f;
    f.macros[3].replace(0, 4, hex("08 00 01 00")); // 8 is no 4 + 3n
    f.macros[4].replace(0, 7, hex("07 00 02 00 01 00 04"));
    const QByteArray bytes = f.toBytes();
    QCOMPARE(bytes.size(), 128 + 56 + 7);
    QCOMPARE(bytes.mid(128 + 12, 8), hex("00 00 00 00 07 00 00 00"));
    QCOMPARE(bytes.right(7), hex("07 00 02 00 01 00 04"));
}

void TstFalconLegacyFile::fileRoundTrip()
{
    TempHome home;
    FalconLegacyFile f;
    f.image = QByteArray(128, char(0x11));
    f.macros[12].replace(0, 7, hex("07 00 FF FF 01 00 F0"));
    const QString path = home.file("/Config1.txt");
    QVERIFY(f.write(path));
    FalconLegacyFile back;
    QVERIFY(back.read(path));
    QCOMPARE(back.image, f.image);
    QCOMPARE(back.macros[12], f.macros[12]);
    QVERIFY(!back.read(home.file("/missing.txt")));
}

QTEST_GUILESS_MAIN(TstFalconLegacyFile)
#include "tst_falconlegacyfile.moc"
