#pragma once
// Keys as the mouse stores them: Windows virtual-key codes. A key pressed on this computer is
// turned into that code through one table, so a key recorded on Linux gives the same code (and
// the same file) as on Windows. The button dialog and the macro editor use it, with the names
// they show for a code and for a modifier set.

#include <QString>
#include <Qt>

class QKeyEvent;

namespace KeyMap {

// Modifier code bits: Ctrl 1, Shift 2, Alt 4, Win 8.
enum Modifier { Ctrl = 1, Shift = 2, Alt = 4, Win = 8 };

// The virtual-key code of a key, 0 when it has none. On Windows the native virtual key is the
// answer. Elsewhere: keypad keys by what Qt says they sent (digits with Num Lock on, Home,
// arrows, ... with it off); letters and digits by Qt's key (they follow the keyboard layout, as
// Windows' codes do); modifiers and symbol keys by the native scan code (X11 key code: evdev code
// + 8), which tells left from right and the key whatever Shift made of it; everything else by
// Qt's key, then by the scan code. Modifier keys give their sided codes (0xA0-0xA5, 0x5B, 0x5C).
int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
               quint32 nativeVirtualKey);
int virtualKey(const QKeyEvent &event);

// Shift, Ctrl, Alt from either side as the generic codes 0x10, 0x11, 0x12; other codes unchanged.
int withoutSide(int virtualKey);

// The name the dialogs show for a code ("ESCAPE", "F1", "A", "Enter", ...); empty for a code
// without a name.
QString keyName(int virtualKey);
// "CTRL + ALT" and so on for a modifier code 1..15; empty for 0 or a code outside 1..15.
QString modifierName(int code);

} // namespace KeyMap
