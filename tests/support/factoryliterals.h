#pragma once
// The factory images as the hardware documentation prints them: offset, then sixteen bytes.
// Tests compare the stored images with these rows, never with the images themselves.

#include <QByteArray>

// Models 7, 8, 9, 12.
inline const char *const kKiteHex =
    "01 00 00 00 CD CD CD CD D0 07 CD CD C8 02 00 00 "  // 0
    "03 00 10 00 08 00 06 00 08 00 05 00 00 00 1E 00 "  // 16
    "03 00 01 00 00 00 20 00 03 00 08 00 03 00 04 00 "  // 32
    "03 00 02 00 FF FF FF FF FF FF FF FF 01 00 00 00 "  // 48
    "FF FF FF FF 08 00 0D 00 12 00 1C 00 30 00 26 00 "  // 64
    "26 00 04 00 02 04 02 04 32 00 00 00 07 00 00 00 "  // 80
    "00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00 "  // 96
    "03 00 00 00 FF FF FF 00 FF FF FF 00 FF FF FF 00 ";  // 112

// Models 10, 11, 14.
inline const char *const kFalconHex =
    "01 00 00 00 CD CD CD CD D0 07 CD CD D7 02 00 00 "  // 0
    "03 00 01 00 03 00 04 00 03 00 02 00 08 00 05 00 "  // 16
    "08 00 06 03 03 10 10 03 03 08 08 03 03 10 10 03 "  // 32
    "03 08 08 FF FF FF FF FF FF FF FF 01 01 00 00 FF "  // 48
    "FF FF FF FF 10 00 14 00 1E 00 25 00 3C 00 82 00 "  // 64
    "40 01 06 00 03 03 02 04 32 00 00 00 07 00 00 00 "  // 80
    "00 01 02 03 04 05 06 07 00 01 00 00 00 00 00 00 "  // 96
    "03 00 00 00 4B 9F 60 00 00 00 FF 00 00 00 FF 00 ";  // 112

// Model 3; the other Osprey-family groups differ at the offsets listed below (offset = hex).
inline const char *const kOspreyHex =
    "03 80 80 00 00 03 07 03 00 04 00 01 5A 02 83 09 "  // 0
    "0A 83 09 00 00 FF 00 08 09 09 05 08 05 08 09 09 "  // 16
    "05 08 01 09 09 09 09 00 00 FF 00 09 02 05 08 05 "  // 32
    "03 01 08 09 08 01 09 1E 09 1E 10 14 1E 28 3C A0 "  // 48
    "40 00 00 00 00 00 00 00 01 00 10 14 1E 28 3C A0 "  // 64
    "40 00 00 00 00 00 00 00 01 00 01 00 F0 00 01 00 "  // 80
    "F1 00 01 00 F2 00 01 00 F3 00 01 00 F4 00 07 00 "  // 96
    "01 00 07 00 02 00 11 00 00 00 00 00 21 00 08 00 "  // 112
    "03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "  // 128
    "00 00 04 00 01 00 04 00 02 00 FF 00 00 FF 60 00 "  // 144
    "FF FF 00 00 FF 00 00 FF FF 00 00 FF FF 00 FF 10 "  // 160
    "55 AA FF 00 00 00 FF 00 00 00 FF FF FF 00 FF 00 "  // 176
    "FF 00 FF FF FF FF FF 10 55 AA FF 00 00 00 FF 00 "  // 192
    "00 00 FF FF FF 00 FF 00 FF 00 FF FF FF FF FF FF "  // 208
    "FF FF 00 00 00 00 00 00 00 02 ";  // 224

// The bytes of hex rows like the ones above.
inline QByteArray literalBytes(const char *hexRows)
{
    return QByteArray::fromHex(QByteArray(hexRows).replace(' ', ""));
}

// Model 14 against models 10 and 11: its stages 800, 1000, 1500, 2000, 3000, 4000, 5000.
inline const char *const kFalconEuDiff =
    "68 = 06, 70 = 08, 72 = 0D, 74 = 12, 76 = 1C, 78 = 26, 80 = 30, 81 = 00";

// Model 13: the Swift's offsets, stages 400, 800, 1200, 2000, 2500 in table B codes.
inline const char *const kHeronDiff =
    "6 = 05, 7 = 02, 58 = 09, 59 = 12, 60 = 1B, 61 = 2E, 62 = 39, 63 = 00, 64 = 00, 72 = 00, "
    "74 = 09, 75 = 12, 76 = 1B, 77 = 2E, 78 = 39, 79 = 00, 80 = 00, 88 = 00, 124 = 00, 126 = "
    "00, 128 = 00";

// Model 2.
inline const char *const kSwiftDiff =
    "6 = 05, 7 = 02, 58 = 12, 59 = 1B, 60 = 28, 61 = 43, 62 = 8C, 63 = 00, 64 = 00, 72 = 00, "
    "74 = 12, 75 = 1B, 76 = 28, 77 = 43, 78 = 8C, 79 = 00, 80 = 00, 88 = 00, 124 = 00, 126 = "
    "00, 128 = 00";

// Models 4 and 18.
inline const char *const kWrenDiff =
    "7 = 02, 14 = 85, 15 = 05, 18 = 04, 23 = 00, 25 = 00, 29 = 03, 30 = 01, 31 = 08, 32 = 03, "
    "44 = 00, 51 = 03, 58 = 09, 59 = 12, 60 = 1B, 61 = 24, 62 = 2E, 63 = 37, 64 = 45, 72 = "
    "00, 74 = 09, 75 = 12, 76 = 1B, 77 = 24, 78 = 2E, 79 = 37, 80 = 45, 88 = 00, 112 = 03, "
    "124 = 00, 126 = 00, 128 = 00";

// Model 5.
inline const char *const kSwiftSDiff =
    "6 = 05, 7 = 02, 16 = 00, 23 = 00, 25 = 00, 29 = 03, 30 = 01, 31 = 08, 32 = 03, 44 = 00, "
    "51 = 01, 58 = 0C, 60 = 18, 61 = 20, 62 = 28, 63 = 00, 64 = 00, 72 = 00, 74 = 0C, 76 = "
    "18, 77 = 20, 78 = 28, 79 = 00, 80 = 00, 88 = 00, 124 = 00, 126 = 00, 128 = 00";

// Model 6.
inline const char *const kWrenSDiff =
    "7 = 02, 14 = 85, 15 = 05, 18 = 04, 23 = 00, 25 = 00, 29 = 03, 30 = 01, 31 = 08, 32 = 03, "
    "44 = 00, 51 = 03, 58 = 08, 59 = 10, 60 = 18, 61 = 20, 62 = 28, 63 = 30, 64 = 3C, 72 = "
    "00, 74 = 08, 75 = 10, 76 = 18, 77 = 20, 78 = 28, 79 = 30, 80 = 3C, 88 = 00, 112 = 03, "
    "124 = 00, 126 = 00, 128 = 00";
