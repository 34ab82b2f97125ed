#pragma once
// The binary configuration files of earlier versions of the program (Falcon family):
//
//   128 bytes    the profile image
//   14 x 4       the size of each macro slot's hardware form, little-endian (0 = empty)
//   ...          for each slot of non-zero size s, in slot order, its first s bytes
//
// Reading checks the layout strictly: a file that is short, holds a size that is no valid
// hardware form (s = 4 + 3 n, at most 4096) or has bytes left over is refused, so that a
// damaged file is never converted into a damaged configuration.

#include <QByteArray>
#include <QString>
#include <QVector>

class FalconLegacyFile
{
public:
    static constexpr int kImageSize = 128;
    static constexpr int kSlots = 14;
    static constexpr int kSlotSize = 4096;

    QByteArray image;           // kImageSize bytes
    QVector<QByteArray> macros;  // kSlots buffers of kSlotSize bytes (hardware form, zero padded)

    FalconLegacyFile();

    // The size of a slot buffer as stored: its length word when that is a valid hardware form
    // (4 + 3 n, at most 4096), else 0.
    static int slotSize(const QByteArray &slot);

    // Parses a file's bytes; false (this unchanged) when the layout does not hold.
    bool fromBytes(const QByteArray &bytes);
    // The file's bytes. A slot without a valid hardware form is stored with size 0.
    QByteArray toBytes() const;

    // Reads / writes (atomically) the file at path. False when it cannot be read or parsed /
    // written.
    bool read(const QString &path);
    bool write(const QString &path) const;
};
