#include "device/falcon/oledbitmap.h"
#include "device/falcon/usbdriverfalcon.h"

#include <QtTest>

namespace {
// A 64 x 48 one-bit picture in Qt's usual table (index 0 white, index 1 black), all pixels at
// `fill`, then the listed pixels at index 0 (lit on the mouse).
QImage picture(QImage::Format format, int fill, const QList<QPoint> &lit)
{
    QImage image(64, 48, format);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(uint(fill));
    for (const QPoint &p : lit)
        image.setPixel(p, 0);
    return image;
}

// 384 device bytes, all `fill`, with the listed (offset, value) bytes.
QByteArray device(char fill, const QList<QPair<int, int>> &bytes)
{
    QByteArray b(384, fill);
    for (const auto &e : bytes)
        b[e.first] = char(e.second);
    return b;
}
} // namespace

class TstOledBitmap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toDevice_data();
    void toDevice();
    void toDeviceFollowsTheColours_data();
    void toDeviceFollowsTheColours();
    void toDeviceRefuses_data();
    void toDeviceRefuses();
    void fromDevice_data();
    void fromDevice();
    void fromDeviceRefuses();
    void roundTrip();
    void driverWrappers();
};

void TstOledBitmap::toDevice_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("fill");
    QTest::addColumn<QList<QPoint>>("lit");
    QTest::addColumn<QByteArray>("expected");

    const int lsb = QImage::Format_MonoLSB;
    QTest::newRow("all dark") << lsb << 1 << QList<QPoint>{} << device('\x00', {});
    QTest::newRow("all lit") << lsb << 0 << QList<QPoint>{} << device('\xFF', {});
    QTest::newRow("top-left: band 0 bit 0") << lsb << 1 << QList<QPoint>{{0, 0}}
                                            << device('\x00', {{0, 0x01}});
    QTest::newRow("row 7: band 0 bit 7") << lsb << 1 << QList<QPoint>{{0, 7}}
                                         << device('\x00', {{0, 0x80}});
    QTest::newRow("row 8: band 1 bit 0") << lsb << 1 << QList<QPoint>{{0, 8}}
                                         << device('\x00', {{64, 0x01}});
    QTest::newRow("x 63 row 15: band 1 bit 7") << lsb << 1 << QList<QPoint>{{63, 15}}
                                               << device('\x00', {{127, 0x80}});
    QTest::newRow("row 40: band 5 bit 0") << lsb << 1 << QList<QPoint>{{5, 40}}
                                          << device('\x00', {{325, 0x01}});
    QTest::newRow("bottom-right: band 5 bit 7") << lsb << 1 << QList<QPoint>{{63, 47}}
                                                << device('\x00', {{383, 0x80}});
    QTest::newRow("column 9 rows 0..7: one full byte")
        << lsb << 1
        << QList<QPoint>{{9, 0}, {9, 1}, {9, 2}, {9, 3}, {9, 4}, {9, 5}, {9, 6}, {9, 7}}
        << device('\x00', {{9, 0xFF}});
    QTest::newRow("high-bit-first image reads the same pixels")
        << int(QImage::Format_Mono) << 1 << QList<QPoint>{{1, 0}, {62, 47}}
        << device('\x00', {{1, 0x01}, {382, 0x80}});
}

void TstOledBitmap::toDevice()
{
    QFETCH(int, format);
    QFETCH(int, fill);
    QFETCH(QList<QPoint>, lit);
    QFETCH(QByteArray, expected);
    const QImage image = picture(QImage::Format(format), fill, lit);
    QCOMPARE(image.sizeInBytes(), qsizetype(384));
    QByteArray out(384, char(0x5A));
    QVERIFY(OledBitmap::toDevice(image, reinterpret_cast<BYTE *>(out.data()), 384));
    QCOMPARE(out.toHex(), expected.toHex());
}

// A white pixel lights whichever index the colour table gives white (Qt's BMP reader puts white
// first, other sources need not).
void TstOledBitmap::toDeviceFollowsTheColours_data()
{
    QTest::addColumn<QVector<QRgb>>("table");
    QTest::addColumn<int>("format");
    const QVector<QRgb> whiteFirst{qRgb(255, 255, 255), qRgb(0, 0, 0)};
    const QVector<QRgb> blackFirst{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    QTest::newRow("white first") << whiteFirst << int(QImage::Format_MonoLSB);
    QTest::newRow("black first") << blackFirst << int(QImage::Format_MonoLSB);
    QTest::newRow("black first, high bit first") << blackFirst << int(QImage::Format_Mono);
}

void TstOledBitmap::toDeviceFollowsTheColours()
{
    QFETCH(QVector<QRgb>, table);
    QFETCH(int, format);
    QImage image(64, 48, QImage::Format(format));
    image.setColorTable(table);
    const bool lightAtZero = qGray(table.at(0)) > qGray(table.at(1));
    image.fill(lightAtZero ? 1u : 0u);
    image.setPixel(3, 9, lightAtZero ? 0u : 1u);
    QByteArray out(384, char(0x5A));
    QVERIFY(OledBitmap::toDevice(image, reinterpret_cast<BYTE *>(out.data()), 384));
    QCOMPARE(out.toHex(), device('\x00', {{67, 0x02}}).toHex());
}

void TstOledBitmap::toDeviceRefuses_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("nullOut");
    const QImage good = picture(QImage::Format_MonoLSB, 1, {});
    QTest::newRow("n 383") << good << 383 << false;
    QTest::newRow("n 385") << good << 385 << false;
    QTest::newRow("no buffer") << good << 384 << true;
    QTest::newRow("64 x 48 in colour") << QImage(64, 48, QImage::Format_RGB32) << 384 << false;
    QTest::newRow("64 x 48, eight bits a pixel") << QImage(64, 48, QImage::Format_Indexed8) << 384
                                                  << false;
    // 12 bytes a line times 32 lines is 384 bytes, but it is not the screen's shape.
    QTest::newRow("96 x 32 one-bit (384 bytes)") << QImage(96, 32, QImage::Format_MonoLSB) << 384
                                                  << false;
    QTest::newRow("null image") << QImage() << 384 << false;
}

void TstOledBitmap::toDeviceRefuses()
{
    QFETCH(QImage, image);
    QFETCH(int, n);
    QFETCH(bool, nullOut);
    QByteArray out(384, char(0x5A));
    QVERIFY(!OledBitmap::toDevice(image, nullOut ? nullptr : reinterpret_cast<BYTE *>(out.data()), n));
    QCOMPARE(out, QByteArray(384, char(0x5A)));
}

void TstOledBitmap::fromDevice_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QPoint>>("lit");
    QTest::addColumn<QByteArray>("firstLine"); // the image's first scan line, 8 bytes

    QTest::newRow("all dark") << device('\x00', {}) << QList<QPoint>{}
                              << QByteArray::fromHex("FFFFFFFFFFFFFFFF");
    QTest::newRow("all lit") << device('\xFF', {}) << QList<QPoint>{}
                             << QByteArray::fromHex("0000000000000000");
    QTest::newRow("band 0 bit 0") << device('\x00', {{0, 0x01}}) << QList<QPoint>{{0, 0}}
                                  << QByteArray::fromHex("FEFFFFFFFFFFFFFF");
    QTest::newRow("band 0 bit 7") << device('\x00', {{0, 0x80}}) << QList<QPoint>{{0, 7}}
                                  << QByteArray::fromHex("FFFFFFFFFFFFFFFF");
    QTest::newRow("band 1 bit 0, x 63") << device('\x00', {{127, 0x01}}) << QList<QPoint>{{63, 8}}
                                        << QByteArray::fromHex("FFFFFFFFFFFFFFFF");
    QTest::newRow("band 5 bit 7") << device('\x00', {{383, 0x80}}) << QList<QPoint>{{63, 47}}
                                  << QByteArray::fromHex("FFFFFFFFFFFFFFFF");
    QTest::newRow("x 15 row 0") << device('\x00', {{15, 0x01}}) << QList<QPoint>{{15, 0}}
                                << QByteArray::fromHex("FF7FFFFFFFFFFFFF");
}

void TstOledBitmap::fromDevice()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QPoint>, lit);
    QFETCH(QByteArray, firstLine);
    QImage image;
    QVERIFY(OledBitmap::fromDevice(&image, reinterpret_cast<const BYTE *>(bytes.constData()), 384));
    QCOMPARE(image.format(), QImage::Format_MonoLSB);
    QCOMPARE(image.size(), QSize(64, 48));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(image.constScanLine(0)), 8).toHex(),
             firstLine.toHex());
    const bool allLit = bytes.at(1) == char(0xFF);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool on = allLit || lit.contains(QPoint(x, y));
            QCOMPARE(image.pixel(x, y), on ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
}

void TstOledBitmap::fromDeviceRefuses()
{
    QImage image(3, 3, QImage::Format_RGB32);
    const QByteArray bytes(385, '\0');
    QVERIFY(!OledBitmap::fromDevice(&image, reinterpret_cast<const BYTE *>(bytes.constData()), 383));
    QVERIFY(!OledBitmap::fromDevice(&image, reinterpret_cast<const BYTE *>(bytes.constData()), 385));
    QVERIFY(!OledBitmap::fromDevice(&image, nullptr, 384));
    QVERIFY(!OledBitmap::fromDevice(nullptr, reinterpret_cast<const BYTE *>(bytes.constData()), 384));
    QCOMPARE(image.size(), QSize(3, 3));
}

void TstOledBitmap::roundTrip()
{
    QByteArray bytes(384, '\0');
    quint32 seed = 0x1234567;
    for (char &c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    QImage image;
    QVERIFY(OledBitmap::fromDevice(&image, reinterpret_cast<const BYTE *>(bytes.constData()), 384));
    QByteArray back(384, '\0');
    QVERIFY(OledBitmap::toDevice(image, reinterpret_cast<BYTE *>(back.data()), 384));
    QCOMPARE(back.toHex(), bytes.toHex());
}

void TstOledBitmap::driverWrappers()
{
    const QByteArray bytes = device('\x00', {{200, 0x24}});
    QImage image;
    QCOMPARE(USBDriverFalcon::ByteArrToImage(image, reinterpret_cast<const BYTE *>(bytes.constData()), 384), 1);
    QByteArray back(384, '\0');
    QCOMPARE(USBDriverFalcon::ImageToByteArr(image, reinterpret_cast<BYTE *>(back.data()), 384), 1);
    QCOMPARE(back, bytes);
    QCOMPARE(USBDriverFalcon::ImageToByteArr(image, reinterpret_cast<BYTE *>(back.data()), 100), 0);
    QCOMPARE(USBDriverFalcon::ByteArrToImage(image, reinterpret_cast<const BYTE *>(bytes.constData()), 0), 0);
    QCOMPARE(USBDriverFalcon::ImageToByteArr(QImage(64, 48, QImage::Format_ARGB32), reinterpret_cast<BYTE *>(back.data()), 384), 0);
}

QTEST_GUILESS_MAIN(TstOledBitmap)
#include "tst_oledbitmap.moc"
