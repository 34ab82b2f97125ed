#include "profile/falconbuttonentry.h"

#include "profile/keycodetable.h"
#include "profile/usbdrivermanger.h"

namespace FalconButtonEntry {

BYTE modifierBits(int modifier)
{
    const int m = modifier & 0xFF;
    return BYTE((m & ~0x03) | ((m & 0x01) << 1) | ((m & 0x02) >> 1));
}

std::optional<Entry> encode(int changeType, int key, int modifier)
{
    const bool usesModifierCode = changeType == MouseButtonChangeToKey || changeType == MouseButtonChangeToCombinationKey;
    if (usesModifierCode && (modifier < 0 || modifier > 15))
        return std::nullopt;
    const BYTE hid = KeyCodeTable::hidFromVirtualKey(key);
    auto needsKey = [hid](const Entry &e) -> std::optional<Entry> {
        if (hid == 0)
            return std::nullopt;
        return e;
    };
    switch (changeType) {
    case MouseButtonChangeToKey:
        if (modifier == 0)
            return needsKey({{0x00, 0x00, hid, 0x00}});
        return needsKey({{0x02, 0x00, modifierBits(modifier), hid}});
    case MouseButtonChangeToCombinationKey:
        return needsKey({{0x02, 0x00, modifierBits(modifier), hid}});
    case MouseButtonChangeToMultimedia:
        // The key value goes through the key table, so the high byte is always 0.
        return needsKey({{0x04, 0x00, 0x00, hid}});
    case MouseButtonChangeToMute: return Entry{{0x04, 0x00, 0x00, 0xE2}};
    case MouseButtonChangeToPlayPause: return Entry{{0x04, 0x00, 0x00, 0xCD}};
    case MouseButtonChangeToVolumeUp: return Entry{{0x04, 0x00, 0x00, 0xE9}};
    case MouseButtonChangeToVolumeDown: return Entry{{0x04, 0x00, 0x00, 0xEA}};
    case MouseButtonChangeToMediaPlayer: return Entry{{0x04, 0x00, 0x01, 0x83}};
    case MouseButtonChangeToMouseKey:
        return needsKey({{0x03, 0x00, hid, BYTE(modifier & 0xFF)}});
    case MouseButtonChangeToForbidden: return Entry{{0x07, 0x00, 0x00, 0x00}};
    case MouseButtonChangeToDpiFunction: return needsKey({{0x08, 0x00, hid, 0x00}});
    case MouseButtonChangeToExtendedFunction: return needsKey({{0x09, 0x00, 0x00, hid}});
    case MouseButtonChangeToFireKey: return Entry{{0x03, 0x00, 0x01, 0x01}};
    case MouseButtonChangeToDpiUp: return Entry{{0x08, 0x00, 0x05, 0x00}};
    case MouseButtonChangeToDpiDown: return Entry{{0x08, 0x00, 0x06, 0x00}};
    case MouseButtonChangeToDpiInstant: return Entry{{0x09, 0x00, 0x01, 0x00}};
    case MouseButtonChangeToLeftKey: return Entry{{0x03, 0x00, 0x01, 0x00}};
    case MouseButtonChangeToRightKey: return Entry{{0x03, 0x00, 0x02, 0x00}};
    case MouseButtonChangeToMiddleKey: return Entry{{0x03, 0x00, 0x04, 0x00}};
    case MouseButtonChangeToForwardKey: return Entry{{0x03, 0x00, 0x10, 0x00}};
    case MouseButtonChangeToBackKey: return Entry{{0x03, 0x00, 0x08, 0x00}};
    case MouseButtonChangeToSwitchMacroKey: return Entry{{0x09, 0x00, 0x03, 0x00}};
    default: return std::nullopt;
    }
}

int FindTheCombinationKeyboardType(int modifierBits, int virtualKey)
{
    if (modifierBits == 2) {
        switch (virtualKey) {
        case 'W': return 0;
        case 0xBB: return 4;
        case 0xBD: return 5;
        case 'F': return 6;
        default: return -1;
        }
    }
    if (modifierBits == 8) {
        switch (virtualKey) {
        case 'L': return 1;
        case 'R': return 2;
        case 'D': return 3;
        default: return -1;
        }
    }
    return -1;
}

Report decode(const Entry &e, int listMacroCount)
{
    const BYTE a = e[2];
    const BYTE b = e[3];
    switch (e[0]) {
    case 0x00:
        return {MouseButtonChangeToKey, KeyCodeTable::virtualKeyFromHid(a), 0};
    case 0x02: {
        const int vk = KeyCodeTable::virtualKeyFromHid(b);
        const int special = FindTheCombinationKeyboardType(a, vk);
        if (special >= 0)
            return {MouseButtonChangeToFunction, special, 0};
        return {MouseButtonChangeToKey, vk, modifierBits(a)};
    }
    case 0x03: {
        int value = -1;
        switch (a) {
        case 0x01:
            if (b == 1)
                value = MouseButtonChangeToFireKey;
            else if (listMacroCount == 0)
                value = MouseButtonChangeToLeftKey;
            break;
        case 0x02: value = MouseButtonChangeToRightKey; break;
        case 0x04: value = MouseButtonChangeToMiddleKey; break;
        case 0x08: value = MouseButtonChangeToBackKey; break;
        case 0x10: value = MouseButtonChangeToForwardKey; break;
        default: break;
        }
        // -1: the left button plays the list macros (or a mask without a report value).
        return {value == -1 ? int(MouseButtonChangeToMacroReport) : int(MouseButtonChangeToFunction),
                value, 0};
    }
    case 0x04: {
        int value = -1;
        switch (b) {
        case 0x83: value = MouseButtonChangeToMediaPlayer; break;
        case 0xCD: value = MouseButtonChangeToPlayPause; break;
        case 0xE2: value = MouseButtonChangeToMute; break;
        case 0xE9: value = MouseButtonChangeToVolumeUp; break;
        case 0xEA: value = MouseButtonChangeToVolumeDown; break;
        default: break;
        }
        return {MouseButtonChangeToFunction, value, 0};
    }
    case 0x05:
        return {MouseButtonChangeToMacroReport, -1, 0};
    case 0x07:
        return {MouseButtonChangeToForbidden, 0, 0};
    case 0x08:
        return {MouseButtonChangeToFunction,
                a == 5 ? int(MouseButtonChangeToDpiUp)
                       : a == 6 ? int(MouseButtonChangeToDpiDown) : int(MouseButtonChangeToDpiFunction),
                0};
    case 0x09:
        return {MouseButtonChangeToFunction,
                a == 1 ? int(MouseButtonChangeToDpiInstant)
                       : a == 3 ? int(MouseButtonChangeToSwitchMacroKey) : -1,
                0};
    default:
        return {MouseButtonChangeToFunction, -1, 0};
    }
}

} // namespace FalconButtonEntry
