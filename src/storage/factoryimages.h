#pragma once
// The factory profile images that a configuration starts from when no usable file exists.
//
// Falcon-family images (_Kelvo dialect) are 128 bytes, Osprey-family and Heron images (_Halden
// dialect) 234 bytes. Models without an image of a dialect get an empty array.

#include <QByteArray>

namespace FactoryImages {

constexpr int kKelvoImageSize = 128;
constexpr int kHaldenImageSize = 234;

// Model codes 7, 8, 9, 12: five stages 1000..5000, stage 2 current, 1000 Hz, three white colours.
// Model codes 10, 11: seven stages 800..16000, stage 3 current. Model code 14: the same image
// with its own seven stages 800..5000 in its own encoding.
// Any other code: an empty array.
QByteArray kelvo(int modelCode);

// Model code 3 is the base image; 2, 4 and 18, 5, and 6 differ from it at a few offsets; 13 at
// the Swift's offsets, its stages 400..2500 in table B codes.
// Any other code: an empty array.
QByteArray halden(int modelCode);

} // namespace FactoryImages
