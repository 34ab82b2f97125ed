#include "profile/ospreykeytable.h"

#include "profile/keycodetable.h"

#include <QVector>

namespace {
struct Pair
{
    BYTE hid;
    BYTE vk;
};

const QVector<Pair> &table()
{
    static const QVector<Pair> pairs = [] {
        QVector<Pair> out;
        const KeyCodeTable::Pair *base = KeyCodeTable::pairs();
        for (int i = 0; i < KeyCodeTable::kSize; ++i) {
            const KeyCodeTable::Pair p = base[i];
            const bool dropped = (p.hid == 0xF0 && p.vk == 0xA3) || (p.hid == 0xF1 && p.vk == 0xA1)
                                 || (p.hid == 0xE6 && p.vk == 0xA5)
                                 || (p.hid == 0xE7 && p.vk == 0x5C)
                                 || (p.hid == 0x65 && p.vk == 0x5D);
            if (dropped)
                continue;
            out.append({p.hid, p.vk});
            if (p.hid == 0xE3 && p.vk == 0x5B)
                out.append({0xE3, 0x5C});
        }
        return out;
    }();
    return pairs;
}
} // namespace

namespace OspreyKeyTable {

BYTE hidFromVirtualKey(int virtualKey)
{
    for (const Pair &p : table())
        if (p.vk == virtualKey)
            return p.hid;
    return 0;
}

int virtualKeyFromHid(int hidUsage)
{
    for (const Pair &p : table())
        if (p.hid == hidUsage)
            return p.vk;
    return 0;
}

int size()
{
    return table().size();
}

void pairAt(int i, BYTE &hid, BYTE &vk)
{
    if (i < 0 || i >= table().size()) {
        hid = 0;
        vk = 0;
        return;
    }
    hid = table().at(i).hid;
    vk = table().at(i).vk;
}

} // namespace OspreyKeyTable
