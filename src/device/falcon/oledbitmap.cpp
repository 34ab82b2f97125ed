#include "device/falcon/oledbitmap.h"

#include <cstring>

namespace OledBitmap {

bool toDevice(const QImage &image, BYTE *out, int n)
{
    if (!out || n != kBytes || image.width() != kWidth || image.height() != kHeight
        || image.sizeInBytes() != kBytes)
        return false;
    QImage lsb = image;
    if (image.format() == QImage::Format_Mono)
        lsb = image.convertToFormat(QImage::Format_MonoLSB); // same indices, bit order swapped
    else if (image.format() != QImage::Format_MonoLSB)
        return false;

    // Which of the two indices is light comes from the colour table, not from the index: Qt's
    // own conversions put white at 0, a 1-bit BMP may list black first. Without a table the
    // index is taken as Qt's default one (0 black, 1 white).
    bool light[2] = {false, true};
    for (int index = 0; index < 2 && index < lsb.colorCount(); ++index)
        light[index] = qGray(lsb.color(index)) >= 128;

    BYTE bytes[kBytes] = {};
    for (int y = 0; y < kHeight; ++y) {
        const uchar *line = lsb.constScanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const int index = (line[x / 8] >> (x % 8)) & 1;
            if (light[index])
                bytes[(y / 8) * kWidth + x] |= BYTE(1u << (y % 8));
        }
    }
    std::memcpy(out, bytes, kBytes);
    return true;
}

bool fromDevice(QImage *image, const BYTE *bytes, int n)
{
    if (!image || !bytes || n != kBytes)
        return false;
    // The image bit is the device bit here, under the default table (0 black, 1 white) ...
    QImage raw(kWidth, kHeight, QImage::Format_MonoLSB);
    raw.fill(0);
    for (int y = 0; y < kHeight; ++y) {
        uchar *line = raw.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            if ((bytes[(y / 8) * kWidth + x] >> (y % 8)) & 1)
                line[x / 8] |= uchar(1u << (x % 8));
        }
    }
    // ... and going through full colour and back gives Qt's usual one-bit form, lit pixels
    // white at index 0, which is what toDevice() and the picture files expect.
    *image = raw.convertToFormat(QImage::Format_RGB32)
                 .convertToFormat(QImage::Format_MonoLSB, Qt::ThresholdDither);
    return true;
}

} // namespace OledBitmap
