#include "profile/falconlegacyfile.h"

#include "common/atomicfile.h"

#include <QDebug>
#include <QFile>

namespace {
quint32 readLe32(const QByteArray &b, int off)
{
    auto at = [&b](int i) { return quint32(quint8(b[i])); };
    return at(off) | (at(off + 1) << 8) | (at(off + 2) << 16) | (at(off + 3) << 24);
}

void appendLe32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

bool validSize(quint32 s)
{
    return s >= 4 && s <= quint32(FalconLegacyFile::kSlotSize) && (s - 4) % 3 == 0;
}
} // namespace

FalconLegacyFile::FalconLegacyFile()
    : image(kImageSize, '\0'), macros(kSlots, QByteArray(kSlotSize, '\0'))
{
}

int FalconLegacyFile::slotSize(const QByteArray &slot)
{
    if (slot.size() < 2)
        return 0;
    const quint32 s = quint32(quint8(slot[0])) | (quint32(quint8(slot[1])) << 8);
    return validSize(s) && int(s) <= slot.size() ? int(s) : 0;
}

bool FalconLegacyFile::fromBytes(const QByteArray &bytes)
{
    const int header = kImageSize + 4 * kSlots;
    if (bytes.size() < header)
        return false;
    QVector<QByteArray> parsed(kSlots, QByteArray(kSlotSize, '\0'));
    int pos = header;
    for (int i = 0; i < kSlots; ++i) {
        const quint32 s = readLe32(bytes, kImageSize + 4 * i);
        if (s == 0)
            continue;
        if (!validSize(s) || pos + int(s) > bytes.size())
            return false;
        QByteArray &slot = parsed[i];
        slot.replace(0, int(s), bytes.mid(pos, int(s)));
        // The stored size is what counts; the length word inside must agree with it.
        if (slotSize(slot) != int(s))
            return false;
        pos += int(s);
    }
    if (pos != bytes.size())
        return false;
    image = bytes.left(kImageSize);
    macros = parsed;
    return true;
}

QByteArray FalconLegacyFile::toBytes() const
{
    QByteArray out = image.left(kImageSize);
    out.append(QByteArray(kImageSize - out.size(), '\0'));
    QVector<int> sizes(kSlots, 0);
    for (int i = 0; i < kSlots && i < macros.size(); ++i)
        sizes[i] = slotSize(macros[i]);
    for (int s : sizes)
        appendLe32(out, quint32(s));
    for (int i = 0; i < kSlots; ++i) {
        if (sizes[i] > 0)
            out.append(macros[i].left(sizes[i]));
    }
    return out;
}

bool FalconLegacyFile::read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qDebug() << "open failed" << path;
        return false;
    }
    if (!fromBytes(f.readAll())) {
        qDebug() << "legacy configuration file damaged, kept as it is:" << path;
        return false;
    }
    return true;
}

bool FalconLegacyFile::write(const QString &path) const
{
    return AtomicFile::write(path, toBytes());
}
