#include "hid/hidreportdescriptor.h"

#include <QMap>
#include <QVector>

bool HidCollectionFacts::operator==(const HidCollectionFacts &o) const
{
    return usagePage == o.usagePage && usage == o.usage
        && inputReportLength == o.inputReportLength
        && outputReportLength == o.outputReportLength
        && featureReportLength == o.featureReportLength && inputReportId == o.inputReportId
        && outputReportId == o.outputReportId && featureReportId == o.featureReportId;
}

namespace {

// Item tags (HID 1.11, 6.2.2).
enum ItemType { Main = 0, Global = 1, Local = 2, Reserved = 3 };
enum MainTag { Input = 0x8, Output = 0x9, Collection = 0xA, Feature = 0xB, EndCollection = 0xC };
enum GlobalTag { UsagePage = 0x0, ReportSize = 0x7, ReportId = 0x8, ReportCount = 0x9,
                 Push = 0xA, Pop = 0xB };
enum LocalTag { Usage = 0x0 };

constexpr int kMaxPushDepth = 32;
constexpr int kMaxCollectionDepth = 64;
constexpr quint32 kMaxReportSizeBits = 256;
constexpr qint64 kMaxReportBytes = 16384;

struct GlobalState
{
    quint32 usagePage = 0;
    quint32 reportSize = 0;
    quint32 reportCount = 0;
    quint32 reportId = 0;
};

// Bits per report, by (kind, report id), of one top-level collection.
struct CollectionState
{
    HidCollectionFacts facts;
    QMap<int, qint64> bits[3];
    int lastId[3] = {-1, -1, -1};
};

int kindIndex(int tag)
{
    switch (tag) {
    case Input: return 0;
    case Output: return 1;
    default: return 2;
    }
}

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

namespace HidReportDescriptor {

std::optional<QList<HidCollectionFacts>> parse(const QByteArray &descriptor, QString *error)
{
    if (error)
        error->clear();
    const auto *data = reinterpret_cast<const unsigned char *>(descriptor.constData());
    const int n = descriptor.size();
    if (n == 0) {
        fail(error, QStringLiteral("empty descriptor"));
        return std::nullopt;
    }

    GlobalState global;
    QVector<GlobalState> stack;
    QVector<quint32> usages; // local usages since the last main item (extended form)
    int depth = 0;
    QList<CollectionState> collections;

    int pos = 0;
    while (pos < n) {
        const unsigned char prefix = data[pos];
        if (prefix == 0xFE) { // long item: 0xFE, size, tag, data; carries nothing we use
            if (pos + 3 > n) {
                fail(error, QStringLiteral("long item cut off at byte %1").arg(pos));
                return std::nullopt;
            }
            const int size = data[pos + 1];
            if (pos + 3 + size > n) {
                fail(error, QStringLiteral("long item data cut off at byte %1").arg(pos));
                return std::nullopt;
            }
            pos += 3 + size;
            continue;
        }
        const int sizeCode = prefix & 0x3;
        const int size = sizeCode == 3 ? 4 : sizeCode;
        const int type = (prefix >> 2) & 0x3;
        const int tag = prefix >> 4;
        if (pos + 1 + size > n) {
            fail(error, QStringLiteral("item cut off at byte %1").arg(pos));
            return std::nullopt;
        }
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value |= quint32(data[pos + 1 + i]) << (8 * i);
        const int itemStart = pos;
        pos += 1 + size;

        switch (type) {
        case Reserved:
            fail(error, QStringLiteral("reserved item type at byte %1").arg(itemStart));
            return std::nullopt;

        case Global:
            switch (tag) {
            case UsagePage: global.usagePage = value & 0xFFFF; break;
            case ReportSize:
                if (value > kMaxReportSizeBits) {
                    fail(error, QStringLiteral("report size %1 at byte %2").arg(value).arg(itemStart));
                    return std::nullopt;
                }
                global.reportSize = value;
                break;
            case ReportId:
                if (value == 0 || value > 255) {
                    fail(error, QStringLiteral("report id %1 at byte %2").arg(value).arg(itemStart));
                    return std::nullopt;
                }
                global.reportId = value;
                break;
            case ReportCount: global.reportCount = value; break;
            case Push:
                if (stack.size() >= kMaxPushDepth) {
                    fail(error, QStringLiteral("push too deep at byte %1").arg(itemStart));
                    return std::nullopt;
                }
                stack.push_back(global);
                break;
            case Pop:
                if (stack.isEmpty()) {
                    fail(error, QStringLiteral("pop without push at byte %1").arg(itemStart));
                    return std::nullopt;
                }
                global = stack.takeLast();
                break;
            default: break; // logical/physical extents, units: not needed here
            }
            break;

        case Local:
            if (tag == Usage) {
                // A 4-byte usage carries its own page in the high half.
                usages.push_back(size == 4 ? value : ((global.usagePage << 16) | (value & 0xFFFF)));
            }
            break;

        case Main:
            switch (tag) {
            case Collection:
                if (depth >= kMaxCollectionDepth) {
                    fail(error, QStringLiteral("collections nested too deep at byte %1").arg(itemStart));
                    return std::nullopt;
                }
                if (depth == 0) {
                    CollectionState c;
                    const quint32 u = usages.isEmpty() ? (global.usagePage << 16) : usages.first();
                    c.facts.usagePage = USHORT(u >> 16);
                    c.facts.usage = USHORT(u & 0xFFFF);
                    collections.append(c);
                }
                ++depth;
                break;
            case EndCollection:
                if (depth == 0) {
                    fail(error, QStringLiteral("end collection without collection at byte %1").arg(itemStart));
                    return std::nullopt;
                }
                --depth;
                break;
            case Input:
            case Output:
            case Feature: {
                if (depth == 0) {
                    fail(error, QStringLiteral("data item outside a collection at byte %1").arg(itemStart));
                    return std::nullopt;
                }
                CollectionState &c = collections.last();
                const int k = kindIndex(tag);
                const int id = int(global.reportId);
                qint64 &bits = c.bits[k][id];
                bits += qint64(global.reportSize) * qint64(global.reportCount);
                if (bits > kMaxReportBytes * 8) {
                    fail(error, QStringLiteral("report longer than %1 bytes at byte %2")
                                    .arg(kMaxReportBytes).arg(itemStart));
                    return std::nullopt;
                }
                c.lastId[k] = id;
                break;
            }
            default:
                fail(error, QStringLiteral("unknown main item at byte %1").arg(itemStart));
                return std::nullopt;
            }
            usages.clear(); // locals apply to one main item only
            break;
        }
    }

    if (depth != 0) {
        fail(error, QStringLiteral("%1 collection(s) left open").arg(depth));
        return std::nullopt;
    }
    if (collections.isEmpty()) {
        fail(error, QStringLiteral("no collection"));
        return std::nullopt;
    }

    QList<HidCollectionFacts> out;
    for (CollectionState &c : collections) {
        int lengths[3] = {0, 0, 0};
        for (int k = 0; k < 3; ++k) {
            qint64 maxBits = -1;
            for (auto it = c.bits[k].cbegin(); it != c.bits[k].cend(); ++it)
                maxBits = qMax(maxBits, it.value());
            if (maxBits >= 0)
                lengths[k] = int(1 + (maxBits + 7) / 8);
        }
        c.facts.inputReportLength = lengths[0];
        c.facts.outputReportLength = lengths[1];
        c.facts.featureReportLength = lengths[2];
        c.facts.inputReportId = BYTE(qMax(0, c.lastId[0]));
        c.facts.outputReportId = BYTE(qMax(0, c.lastId[1]));
        c.facts.featureReportId = BYTE(qMax(0, c.lastId[2]));
        out.append(c.facts);
    }
    return out;
}

} // namespace HidReportDescriptor
