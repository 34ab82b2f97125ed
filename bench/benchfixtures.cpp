#include "benchfixtures.h"

#include "sim/falconmousefirmware.h"
#include "storage/jsonhandle.h"
#include "sim/ospreymousefirmware.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
constexpr int kFalconMaxNodes = 1363;
constexpr int kFalconSlotSize = 4096;
constexpr int kOspreyMaxItems = 511;
constexpr quint8 kUsageA = 0x04;
constexpr int kDelayMs = 10;
} // namespace

QByteArray BenchFixtures::falconMacroArea(int nodes)
{
    if (nodes < 1 || nodes > kFalconMaxNodes)
        return QByteArray();
    QByteArray area(kFalconSlotSize, '\0');
    const int length = 4 + 3 * nodes;
    area[0] = char(length & 0xFF);
    area[1] = char(length >> 8);
    area[2] = 1; // played once
    area[3] = 0;
    for (int n = 0; n < nodes; ++n) {
        const bool press = n % 2 == 0;
        const int word = (kDelayMs << 1) | (press ? 1 : 0);
        area[4 + 3 * n] = char(word & 0xFF);
        area[5 + 3 * n] = char(word >> 8);
        area[6 + 3 * n] = char(kUsageA);
    }
    return area;
}

void BenchFixtures::fillFalconMacroSlots(FalconMouseFirmware &firmware, int nodes)
{
    const QByteArray full = falconMacroArea(nodes);
    for (quint32 i = 0; i <= 10; ++i)
        firmware.setMemory((i + 1) * 0x1000, full);
    for (quint32 j = 0; j < 3; ++j)
        firmware.setMemory(0x10000 + j * 0x1000, full);
}

QByteArray BenchFixtures::ospreyMacroBlock(quint8 id, int items)
{
    if (items < 1 || items > kOspreyMaxItems)
        return QByteArray();
    QByteArray block(OspreyMouseFirmware::kBlockSize, '\0');
    block[0] = char(id);
    block[1] = 1;
    for (int k = 0; k < items - 1; ++k) {
        const bool press = k % 2 == 0;
        block[2 + 2 * k] = char(press ? kDelayMs : kDelayMs + 128);
        block[3 + 2 * k] = char(kUsageA);
    }
    // the end word 00 00 is already there
    return block;
}

void BenchFixtures::fillOspreyMacroSlots(OspreyMouseFirmware &firmware, int count)
{
    for (int i = 0; i < qMin(count, int(OspreyMouseFirmware::kMacroSlots)); ++i)
        firmware.setMacroSlot(i, ospreyMacroBlock(quint8(0x8C + 4 * i), kOspreyMaxItems));
}

QList<MacroNode> BenchFixtures::keyMacro(int steps)
{
    QList<MacroNode> nodes;
    for (int k = 0; k < steps; ++k) {
        MacroNode n;
        n.valueType = 3;
        n.keyValue = 0x41;
        n.mouseValue = 0;
        n.coordinateX = 0;
        n.coordinateY = 0;
        n.state = k % 2 == 0 ? 0 : 1;
        n.timeLapse = kDelayMs;
        n.text = QStringLiteral("A");
        nodes.append(n);
    }
    return nodes;
}

bool BenchFixtures::writeMacroFile(const QString &path, const QString &name,
                                   const QList<MacroNode> &nodes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    JsonHandle json;
    return json.setName(path, name) && json.setMacroType(path, 1) && json.setRepeatTimes(path, 1)
        && json.setIgnoreDelayTime(path, 0) && json.setMacroLength(path, nodes.size())
        && json.setMacroArray(path, json.TurnMacroNodeListToJsonArray(nodes));
}

QByteArray BenchFixtures::firmwareImage(int size, quint32 version)
{
    if (size < 4)
        return QByteArray();
    QByteArray image(size, '\0');
    quint32 x = 0x2545F491u; // xorshift: varied bytes, the same on every run
    for (int i = 0; i < size - 4; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[i] = char(x & 0xFF);
    }
    for (int k = 0; k < 4; ++k)
        image[size - 4 + k] = char((version >> (8 * k)) & 0xFF);
    return image;
}

bool BenchFixtures::writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
