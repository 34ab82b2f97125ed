#pragma once
// The factory profile images that a configuration starts from when no usable file exists.
//
// Falcon-family images (_Kelvo dialect) are 128 bytes, Osprey-family and Heron images (_Halden
// dialect) 234 bytes. Which image a model starts from is a column of its catalog row; models
// without an image of a dialect get an empty array.

#include <QByteArray>

namespace FactoryImages {

constexpr int kKelvoImageSize = 128;
constexpr int kHaldenImageSize = 234;

// The images there are, named by the mice that share them.
enum class Image {
    None,
    KelvoKite,     // five stages 1000..5000, stage 2 current, 1000 Hz, three white colours
    KelvoFalcon,   // seven stages 800..16000 in codes of 50, stage 3 current
    KelvoFalconEU, // the Falcon image with seven stages 800..5000 in the FalconEU's encoding
    HaldenOsprey,  // the base image of the Halden dialect
    HaldenSwift,
    HaldenHeron,   // the Swift's offsets, its stages 400..2500 in table B codes
    HaldenWren,
    HaldenSwiftS,
    HaldenWrenS,
};

// The bytes of an image; empty for None.
QByteArray image(Image which);

// The _Kelvo image of a model code: its row's image when the model speaks the Falcon command
// set (models 7, 8, 9, 12: KelvoKite; 10, 11: KelvoFalcon; 14: KelvoFalconEU). Any other code:
// an empty array.
QByteArray kelvo(int modelCode);

// The _Halden image of a model code: its row's image for the Osprey family and the Heron (3:
// the base image; 2, 4 and 18, 5, 6 and 13 differ from it at a few offsets). Any other code:
// an empty array.
QByteArray halden(int modelCode);

} // namespace FactoryImages
