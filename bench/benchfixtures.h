#pragma once
// What the scenarios put into the emulated mice and onto disk before they measure: full macro
// slots, macro files, firmware images. Built from the documented layouts, not by the drivers.

#include "common/qktypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

class FalconMouseFirmware;
class OspreyMouseFirmware;

namespace BenchFixtures {
// Falcon hardware macro form of `nodes` key nodes (at most 1363): length word 4 + 3 × nodes,
// play-mode word 1, then alternating press/release nodes of usage 0x04 (A) with 10 ms delay,
// zero-filled to 4096 bytes. An empty array for nodes outside 1..1363.
QByteArray falconMacroArea(int nodes);
// Fills the 11 single and 3 list macro slots of the mouse memory with macros of `nodes` nodes
// (1363: full slots) at the command set's addresses ((i + 1) × 0x1000 and 0x10000 + j × 0x1000).
void fillFalconMacroSlots(FalconMouseFirmware &firmware, int nodes = 1363);

// An Osprey macro block (1024 bytes): id, second header byte 1, `items` 16-bit items of which
// the last is the 00 00 end word and the others alternate key press / release of usage 0x04
// with 10 ms delay. An empty array for items outside 1..511.
QByteArray ospreyMacroBlock(quint8 id, int items);
// Fills the first `count` macro slots (ids 0x8C, 0x90, …) with full 511-item blocks.
void fillOspreyMacroSlots(OspreyMouseFirmware &firmware, int count);

// `steps` key steps alternating press and release of the A key (virtual key 0x41), 10 ms apart.
QList<MacroNode> keyMacro(int steps);
// Writes a macro file (name, type 1, repeat 1, no ignored delays, the nodes). Returns false
// when it could not be written.
bool writeMacroFile(const QString &path, const QString &name, const QList<MacroNode> &nodes);

// A firmware image of `size` bytes (a fixed pseudo-random pattern) whose last four bytes are
// the version, little-endian. Empty for size < 4.
QByteArray firmwareImage(int size, quint32 version);
// Writes bytes to path atomically, creating the folder. Returns false when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);
} // namespace BenchFixtures
