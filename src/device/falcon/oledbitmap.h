#pragma once
// The OLED picture of the Falcon-family mice with a screen: 64 x 48 pixels, one bit each, held
// in the mouse as 384 bytes in 6 bands of 8 rows. Byte band * 64 + x holds column x of the
// band; bit k of it is row band * 8 + k. A set bit is a lit pixel.
//
// On the host side a picture is a 64 x 48 one-bit QImage with the leftmost pixel in the low bit
// of each byte (QImage::Format_MonoLSB). A pixel lights when its colour is light (grey level
// 128 or more), whichever palette index that colour has: pictures drawn white on black light
// their strokes, and a 1-bit file that lists black first lights the same pixels as one that
// lists white first.

#include "common/qktypes.h"

#include <QImage>

namespace OledBitmap {
constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kBytes = 384;

// Fills out[0..383] from a 64 x 48 one-bit image: the device bit is set exactly where the
// pixel's colour is light (under Qt's usual table, index 0 white, where the pixel bit is 0). A
// Format_Mono image (leftmost pixel in the high bit) is read the same way. Returns false,
// writing nothing, when out is null, n is not 384, or the image is not a 64 x 48 one-bit
// image (its byte count then is not 384, or it has other dimensions).
bool toDevice(const QImage &image, BYTE *out, int n);

// Builds the 64 x 48 Format_MonoLSB picture of 384 device bytes: lit pixels come out white
// (colour index 0), dark ones black (index 1), so toDevice() gives the same bytes back.
// Returns false, leaving image unchanged, when bytes is null or n is not 384.
bool fromDevice(QImage *image, const BYTE *bytes, int n);
} // namespace OledBitmap
