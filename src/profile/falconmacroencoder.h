#pragma once
// Turns the steps of a macro file into the Falcon family's hardware macro form (one 4096-byte
// slot, 16-bit values little-endian):
//
//   0   length in bytes, 4 + 3 n
//   2   play mode: 0xFFFE for macro type 2, 0xFFFF for type 4, else the repeat count
//   4   n nodes of 3 bytes: a 16-bit word (bit 0 = 1 for a press, 0 for a release; bits 1..15
//       the delay after the node in ms) and the HID usage
//
// A cursor move takes two nodes: [delay word, 0xF7], then the position: first byte
// (X bits 8..11) * 16 + (-Y bits 8..11), second byte X bits 0..7, third byte (-Y) bits 0..7,
// X and -Y as 12-bit two's complement.

#include "common/qktypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

class FalconMacroEncoder
{
public:
    static constexpr int kSlotSize = 4096;
    static constexpr int kMaxNodes = 1363;
    static constexpr int kMaxDelayMs = 0x7FFF;   // 15 bits of a node word
    static constexpr int kMaxMove = 0x7FF;       // 11 bits of |X| and |Y|
    static constexpr BYTE kMoveUsage = 0xF7;

    struct Result
    {
        bool ok = false;
        QByteArray slot;     // kSlotSize bytes when ok
        int nodes = 0;       // hardware nodes written
        QString error;       // why the macro was refused, for the log
    };

    // Encodes the steps. Key steps (value type 3) become one node each, their key code mapped
    // through the key table; position steps (value type 6) two nodes; other steps are skipped.
    // Every delay (0 when ignoreDelayTime is 2) is attached to the node before it; delays are
    // clamped to 0..kMaxDelayMs and movements to +-kMaxMove rather than wrapped. The repeat
    // count is clamped to 0..0xFFFD so that it never reads as an endless play mode.
    // Fails (ok false, error set) for no step, more than kMaxNodes steps or nodes, no node at
    // all, or a key code without a HID usage.
    static Result encode(const QList<MacroNode> &steps, int ignoreDelayTime, int repeatTimes,
                         int macroType);

    // The 32-bit intermediate words of the steps (top byte 0xC0 press, 0xE0 release, 0xA0
    // delay, 0x40 move), leading delays dropped. Exposed for tests.
    static QList<DWORD> intermediateWords(const QList<MacroNode> &steps, int ignoreDelayTime);
};
