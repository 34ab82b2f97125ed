#pragma once
// The Osprey family's key table: the Falcon family's 107 pairs of (HID usage, virtual-key code)
// without right Ctrl (F0:A3), right Shift (F1:A1), right Alt (E6:A5), right Windows (E7:5C) and
// the menu key (65:5D), and with E3:5C after E3:5B, so both Windows keys give usage 0xE3 and
// the usages F0, F1, F2 stand for the left, right and middle mouse button. 103 pairs; both
// lookups take the first match from the front.

#include "common/qktypes.h"

namespace OspreyKeyTable {
constexpr int kSize = 103;
// HID usage of a virtual-key code; 0 when the table has none.
BYTE hidFromVirtualKey(int virtualKey);
// Virtual-key code of a HID usage; 0 when the table has none.
int virtualKeyFromHid(int hidUsage);
// Number of pairs (kSize) and pair i in table order (i in 0..kSize-1; {0, 0} outside).
int size();
void pairAt(int i, BYTE &hid, BYTE &vk);
} // namespace OspreyKeyTable
