#pragma once
// The Falcon family's 4-byte button entry [type, 0, a, b] and its translation from and to the
// change types of a button assignment request.
//
//   type 0   single key            a = HID usage
//   type 2   key combination       a = modifier bits, b = HID usage
//   type 3   mouse button          a = mask (1 left, 2 right, 4 middle, 8 back, 0x10 forward),
//                                  b = 1 for fire (auto-repeat)
//   type 4   multimedia            a, b = consumer usage high and low byte
//   type 5   macro                 a = macro slot
//   type 7   disabled
//   type 8   DPI function          a = 5 up, 6 down, other codes passed through
//   type 9   extended function     a, b = function high and low byte (1 DPI instant, 3 switch macro)
//   0xFF     no button (all four bytes 0xFF)

#include "common/qktypes.h"

#include <array>
#include <optional>

namespace FalconButtonEntry {
using Entry = std::array<BYTE, 4>;

constexpr Entry kLeftClick{{0x03, 0x00, 0x01, 0x00}};

// The entry for a request. key is the request's virtual-key code or value, modifier the
// dialog's modifier code (0..15). Nothing for a change type the Falcon family does not encode
// here (31, 32, 33, 53, 54, 56 and anything unknown: 32 restores the factory entry, which the
// manager knows), for a modifier outside 0..15, and for a key the key table cannot map where
// the type passes the key through it (29, 30, 34, 40, 42, 43): the mouse must not receive a 0
// usage as if it were a key.
std::optional<Entry> encode(int changeType, int key, int modifier);

// The dialog's modifier code in the mouse's bit order: the two lowest bits swap places
// (Ctrl 1 <-> Shift 2), the others stay. The same function turns the bits back.
BYTE modifierBits(int modifier);

// The special key combinations a button reports as a function code of its own:
// modifier bits 2 with W → 0, = (0xBB) → 4, - (0xBD) → 5, F → 6; bits 8 with L → 1, R → 2,
// D → 3. -1 for anything else.
int FindTheCombinationKeyboardType(int modifierBits, int virtualKey);

// What a button that differs from its factory function reports to the button labels.
struct Report
{
    int changeType = 0;
    int trueValue = 0;
    int modifyValue = 0;
};
// Decodes an entry; listMacroCount is the mouse's list-macro count (0 when it cannot be read),
// which tells a plain left click (count 0) from the list macros (count > 0) on button 4.
// Entry types outside the table report change type 31 with value -1.
Report decode(const Entry &entry, int listMacroCount);
} // namespace FalconButtonEntry
