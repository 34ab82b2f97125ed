#pragma once
// Names of keys, modifiers, media functions and mouse buttons as the command-line tool reads and
// prints them ("a", "f5", "enter", "ctrl+shift", "volume-up", "left").

#include <QString>
#include <optional>

namespace KeyNames {
// Windows virtual-key code of a key name (case-insensitive); nothing for an unknown name.
std::optional<int> virtualKey(const QString &name);
// The name of a virtual-key code; "vk-0x.." for one without a name.
QString keyName(int virtualKey);
// Modifier code (Ctrl 1, Shift 2, Alt 4, Win 8) of "ctrl+alt" style text; nothing when a part is
// not a modifier.
std::optional<int> modifiers(const QString &text);
QString modifierNames(int code);
// All accepted key names, for error messages.
QString acceptedKeys();
} // namespace KeyNames
