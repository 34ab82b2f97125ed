#include "profile/falconmacroencoder.h"

#include "profile/keycodetable.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr DWORD kPress = 0xC0;
constexpr DWORD kRelease = 0xE0;
constexpr DWORD kDelay = 0xA0;
constexpr DWORD kMove = 0x40;

DWORD delayWord(const MacroNode &node, int ignoreDelayTime)
{
    const int ms = ignoreDelayTime == 2 ? 0 : std::clamp(node.timeLapse, 0, FalconMacroEncoder::kMaxDelayMs);
    return (kDelay << 24) | DWORD(ms);
}

// |v| clamped to the 11 bits of a move; taken in 64 bits, where |INT_MIN| exists.
int moveMagnitude(int v)
{
    return int(std::min<qint64>(std::abs(qint64(v)), FalconMacroEncoder::kMaxMove));
}

DWORD moveWord(const MacroNode &node)
{
    const int x = moveMagnitude(node.coordinateX);
    const int y = moveMagnitude(node.coordinateY);
    DWORD w = (kMove << 24) | DWORD(x) | (DWORD(y) << 12);
    if (node.coordinateX < 0)
        w |= 1u << 11;
    if (node.coordinateY < 0)
        w |= 1u << 23;
    return w;
}

void putWord(QByteArray &slot, int offset, int value)
{
    slot[offset] = char(value & 0xFF);
    slot[offset + 1] = char((value >> 8) & 0xFF);
}
} // namespace

QList<DWORD> FalconMacroEncoder::intermediateWords(const QList<MacroNode> &steps, int ignoreDelayTime)
{
    QList<DWORD> words;
    for (const MacroNode &node : steps) {
        if (node.valueType == 3) {
            const DWORD type = node.state == 1 ? kRelease : kPress;
            words << ((type << 24) | DWORD(node.keyValue & 0xFF));
            words << delayWord(node, ignoreDelayTime);
        } else if (node.valueType == 6) {
            words << moveWord(node);
            words << delayWord(node, ignoreDelayTime);
        }
    }
    // A delay before the first key or move has no node to belong to.
    while (!words.isEmpty() && (words.first() >> 24) == kDelay)
        words.removeFirst();
    return words;
}

FalconMacroEncoder::Result FalconMacroEncoder::encode(const QList<MacroNode> &steps,
                                                      int ignoreDelayTime, int repeatTimes,
                                                      int macroType)
{
    Result r;
    if (steps.isEmpty()) {
        r.error = QStringLiteral("no macro steps");
        return r;
    }
    if (steps.size() > kMaxNodes) {
        r.error = QStringLiteral("%1 steps, at most %2 fit").arg(steps.size()).arg(kMaxNodes);
        return r;
    }
    QByteArray slot(kSlotSize, '\0');
    int n = 0;
    int lastNodeWithDelay = -1; // node that a following delay belongs to
    for (DWORD w : intermediateWords(steps, ignoreDelayTime)) {
        const DWORD kind = w >> 24;
        if (kind == kPress || kind == kRelease) {
            const BYTE hid = KeyCodeTable::hidFromVirtualKey(int(w & 0xFF));
            if (hid == 0) {
                r.error = QStringLiteral("key 0x%1 has no HID usage").arg(w & 0xFF, 0, 16);
                return r;
            }
            if (n + 1 > kMaxNodes) {
                r.error = QStringLiteral("more than %1 nodes").arg(kMaxNodes);
                return r;
            }
            putWord(slot, 4 + 3 * n, kind == kPress ? 1 : 0);
            slot[6 + 3 * n] = char(hid);
            lastNodeWithDelay = n;
            ++n;
        } else if (kind == kMove) {
            if (n + 2 > kMaxNodes) {
                r.error = QStringLiteral("more than %1 nodes").arg(kMaxNodes);
                return r;
            }
            const int absX = int(w & 0x7FF);
            const int absY = int((w >> 12) & 0x7FF);
            const int x = (w & (1u << 11)) ? -absX : absX;
            const int y = (w & (1u << 23)) ? -absY : absY;
            const int x12 = x & 0xFFF;
            const int negY12 = (-y) & 0xFFF;
            // First node: the movement marker, carrying the delay.
            putWord(slot, 4 + 3 * n, 0);
            slot[6 + 3 * n] = char(kMoveUsage);
            lastNodeWithDelay = n;
            ++n;
            // Second node: the position.
            slot[4 + 3 * n] = char(((x12 >> 8) << 4) | (negY12 >> 8));
            slot[5 + 3 * n] = char(x12 & 0xFF);
            slot[6 + 3 * n] = char(negY12 & 0xFF);
            ++n;
        } else if (kind == kDelay && lastNodeWithDelay >= 0) {
            const int off = 4 + 3 * lastNodeWithDelay;
            const int word = (BYTE(slot[off]) | (BYTE(slot[off + 1]) << 8)) & 1;
            putWord(slot, off, word | (int(w & 0x7FFF) << 1));
        }
    }
    if (n == 0) {
        r.error = QStringLiteral("no key or movement step");
        return r;
    }
    putWord(slot, 0, 4 + 3 * n);
    int play = std::clamp(repeatTimes, 0, 0xFFFD);
    if (macroType == 2)
        play = 0xFFFE;
    else if (macroType == 4)
        play = 0xFFFF;
    putWord(slot, 2, play);
    r.ok = true;
    r.slot = slot;
    r.nodes = n;
    return r;
}
