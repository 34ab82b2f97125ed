#pragma once
// The Falcon family's key table: 107 pairs of (HID usage, Windows virtual-key code). Both
// lookups search from the front and take the first match, so the order matters: right Ctrl and
// right Shift (HID 0xF0, 0xF1) come before the macro mouse buttons that reuse those usages, and
// Enter comes before keypad Enter.

#include "common/qktypes.h"

namespace KeyCodeTable {
struct Pair
{
    BYTE hid;
    BYTE vk;
};
constexpr int kSize = 107;
// The table in its order.
const Pair *pairs();

// HID usage of a virtual-key code; 0 when the table has none.
BYTE hidFromVirtualKey(int virtualKey);
// Virtual-key code of a HID usage; 0 when the table has none.
int virtualKeyFromHid(int hidUsage);
} // namespace KeyCodeTable
