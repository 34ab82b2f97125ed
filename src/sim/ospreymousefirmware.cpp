#include "sim/ospreymousefirmware.h"

#include <QDataStream>
#include <QMutexLocker>
#include <QPair>

namespace {
// Settings bytes of the Osprey as it leaves the factory; the other models differ at a few offsets.
const char kOspreySettings[] =
    "0380800000030703000400015A028309"
    "0A83090000FF00080909050805080909"
    "0508010909090900 00FF000902050805"
    "03010809080109 1E091E10141E283CA0"
    "40000000000000000100 10141E283CA0"
    "40000000000000000100 0100F0000100"
    "F1000100F2000100F3000100F4000700"
    "01000700020011000000000021000800"
    "03000000000000000000000000000000"
    "00000400010004000200FF0000FF6000"
    "FFFF0000FF0000FFFF0000FFFF00FF10"
    "55AAFF000000FF000000FFFFFF00FF00"
    "FF00FFFFFFFFFF1055AAFF000000FF00"
    "0000FFFFFF00FF00FF00FFFFFFFFFFFF"
    "FFFF0000000000000002";

struct Diff
{
    int offset;
    quint8 value;
};

const Diff kSwiftHeron[] = {{6, 0x05}, {7, 0x02}, {58, 0x12}, {59, 0x1B}, {60, 0x28}, {61, 0x43},
                            {62, 0x8C}, {63, 0x00}, {64, 0x00}, {72, 0x00}, {74, 0x12}, {75, 0x1B},
                            {76, 0x28}, {77, 0x43}, {78, 0x8C}, {79, 0x00}, {80, 0x00}, {88, 0x00},
                            {124, 0x00}, {126, 0x00}, {128, 0x00}};
const Diff kWrenLark[] = {{7, 0x02}, {14, 0x85}, {15, 0x05}, {18, 0x04}, {23, 0x00}, {25, 0x00},
                          {29, 0x03}, {30, 0x01}, {31, 0x08}, {32, 0x03}, {44, 0x00}, {51, 0x03},
                          {58, 0x09}, {59, 0x12}, {60, 0x1B}, {61, 0x24}, {62, 0x2E}, {63, 0x37},
                          {64, 0x45}, {72, 0x00}, {74, 0x09}, {75, 0x12}, {76, 0x1B}, {77, 0x24},
                          {78, 0x2E}, {79, 0x37}, {80, 0x45}, {88, 0x00}, {112, 0x03}, {124, 0x00},
                          {126, 0x00}, {128, 0x00}};
const Diff kSwiftS[] = {{6, 0x05}, {7, 0x02}, {16, 0x00}, {23, 0x00}, {25, 0x00}, {29, 0x03},
                        {30, 0x01}, {31, 0x08}, {32, 0x03}, {44, 0x00}, {51, 0x01}, {58, 0x0C},
                        {60, 0x18}, {61, 0x20}, {62, 0x28}, {63, 0x00}, {64, 0x00}, {72, 0x00},
                        {74, 0x0C}, {76, 0x18}, {77, 0x20}, {78, 0x28}, {79, 0x00}, {80, 0x00},
                        {88, 0x00}, {124, 0x00}, {126, 0x00}, {128, 0x00}};
const Diff kWrenS[] = {{7, 0x02}, {14, 0x85}, {15, 0x05}, {18, 0x04}, {23, 0x00}, {25, 0x00},
                       {29, 0x03}, {30, 0x01}, {31, 0x08}, {32, 0x03}, {44, 0x00}, {51, 0x03},
                       {58, 0x08}, {59, 0x10}, {60, 0x18}, {61, 0x20}, {62, 0x28}, {63, 0x30},
                       {64, 0x3C}, {72, 0x00}, {74, 0x08}, {75, 0x10}, {76, 0x18}, {77, 0x20},
                       {78, 0x28}, {79, 0x30}, {80, 0x3C}, {88, 0x00}, {112, 0x03}, {124, 0x00},
                       {126, 0x00}, {128, 0x00}};

template <size_t N>
void apply(QByteArray &bytes, const Diff (&diffs)[N])
{
    for (const Diff &d : diffs)
        bytes[d.offset] = char(d.value);
}

// Weighted sum used by both checksums: odd offsets count once, even offsets three times.
qint32 weightedSum(const QByteArray &p, int from, int to)
{
    qint32 odd = 0, even = 0;
    for (int i = from; i <= to; ++i)
        (i % 2 ? odd : even) += quint8(p.at(i));
    return odd + 3 * even;
}

constexpr int kSettingsOffset = 242;
constexpr int kSettingsLength = 234;
} // namespace

int OspreyMouseFirmware::modelCodeOf(quint16 productId)
{
    switch (productId) {
    case 0x4118: return 6;
    case 0x4122: return 3;
    case 0x4123: return 2;
    case 0x4124: return 5;
    case 0x4126: return 4;
    case 0x4161: return 13;
    case 0x4162: return 18;
    default: return 0;
    }
}

QPair<quint8, quint8> OspreyMouseFirmware::checksumPair(int modelCode)
{
    switch (modelCode) {
    case 2: return {0xE7, 0x7A};
    case 3: return {0x02, 0x7C};
    case 4: case 18: return {0xD6, 0x79};
    case 5: return {0xB7, 0x77};
    case 15: return {0x26, 0x79};
    case 16: return {0xAB, 0x77};
    default: return {0x4A, 0x79};
    }
}

QByteArray OspreyMouseFirmware::factorySettings(int modelCode)
{
    QByteArray s = QByteArray::fromHex(QByteArray(kOspreySettings).replace(' ', ""));
    switch (modelCode) {
    case 2: case 13: apply(s, kSwiftHeron); break;
    case 4: case 18: apply(s, kWrenLark); break;
    case 5: apply(s, kSwiftS); break;
    case 6: apply(s, kWrenS); break;
    default: break;
    }
    return s;
}

OspreyMouseFirmware::OspreyMouseFirmware(quint16 productId)
    : m_productId(productId), m_model(modelCodeOf(productId)), m_profile(kProfileSize, '\0'),
      m_data(kBlockSize, '\0'), m_reply(kDataReportLength, '\0')
{
    for (QByteArray &slot : m_macros)
        slot = QByteArray(kBlockSize, '\0');
    m_reply[0] = char(kDataReportId);
    m_profile.replace(kSettingsOffset, kSettingsLength, factorySettings(m_model));
    // A little per-unit data after the trailer, which the host must carry over unchanged.
    for (int i = 481; i < 504; ++i)
        m_profile[i] = char(0x30 + i % 16);
    m_profile[476] = 0;
    m_profile[477] = 7;
    rebuildIdentity();
    fixTrailer();
}

void OspreyMouseFirmware::rebuildIdentity()
{
    // Identity bytes: a fixed pattern, then adjusted (never at 13 or 19, which the check
    // subtracts) until the weighted sum gives the model's pair.
    QByteArray &p = m_profile;
    p[0] = char(m_model);
    for (int i = 1; i < kSettingsOffset; ++i)
        p[i] = char((i * 37 + m_model) & 0x3F);
    const auto pair = checksumPair(m_model);
    const quint8 r0 = quint8(p.at(476)), r1 = quint8(p.at(477));
    quint8 sub = quint8(p.at(13));
    if (m_model == 3)
        sub = quint8(sub + quint8(p.at(19)));
    const qint32 target = qint32(pair.second) * 256 + quint8(pair.first + sub);
    auto current = [&] { return weightedSum(p, 1, 241) + (r0 == 0 ? r1 : -qint32(r1)); };
    for (int i = 241; i >= 1 && current() != target; --i) {
        if (i == 13 || i == 19)
            continue;
        const int weight = (i % 2) ? 1 : 3;
        const qint32 delta = target - current();
        qint32 steps = delta / weight;
        if (steps == 0)
            continue; // a remainder below 3 is left for an odd offset
        const int v = qBound(0, quint8(p.at(i)) + steps, 255);
        p[i] = char(v);
    }
    Q_ASSERT(current() == target);
}

void OspreyMouseFirmware::fixTrailer()
{
    m_profile[478] = 0;
    const qint32 t = weightedSum(m_profile, kSettingsOffset, 475);
    m_profile[479] = char(t & 0xFF);
    m_profile[480] = char((t >> 8) & 0xFF);
}

bool OspreyMouseFirmware::trailerValid(const QByteArray &p) const
{
    const qint32 t = weightedSum(p, kSettingsOffset, 475);
    return quint8(p.at(476)) == quint8(m_profile.at(476)) && quint8(p.at(477)) == quint8(m_profile.at(477))
        && p.at(478) == 0 && quint8(p.at(479)) == (t & 0xFF) && quint8(p.at(480)) == ((t >> 8) & 0xFF);
}

int OspreyMouseFirmware::slotIndexOf(quint8 slotId)
{
    if (slotId < 0x8C || slotId > 0xE8 || (slotId - 0x8C) % 4 != 0)
        return -1;
    return (slotId - 0x8C) / 4;
}

bool OspreyMouseFirmware::setFeature(Channel channel, const QByteArray &report)
{
    QMutexLocker lock(&m_mutex);
    if (!m_vanish.exchange())
        return false;
    ++m_counters.setReports;
    m_counters.bytesOut += report.size();
    if (channel == CommandChannel) {
        if (report.size() != kCommandReportLength || quint8(report.at(0)) != kCommandReportId)
            return false;
        const quint8 code = quint8(report.at(1));
        QByteArray reply(kDataReportLength, '\0');
        reply[0] = char(kDataReportId);
        reply[1] = char(code);
        switch (code) {
        case 0x82:
            ++m_counters.statusRequests;
            for (int k = 0; k < 3; ++k)
                reply[2 + k] = char(m_status[k]);
            reply[7] = m_errorFlag ? 1 : 0;
            m_errorFlag = false;
            if (m_busyPolls > 0 && --m_busyPolls == 0) {
                for (quint8 &s : m_status)
                    if (s == 1)
                        s = 0;
            }
            break;
        case 0x83:
            reply[2] = report.at(2);
            reply.replace(8, kProfileSize, m_profile);
            break;
        case 0x84: {
            reply[2] = report.at(2);
            reply[3] = report.at(3);
            const int slot = slotIndexOf(quint8(report.at(2)));
            if (slot < 0)
                m_errorFlag = true;
            else
                reply.replace(8, kBlockSize, m_macros[slot]);
            break;
        }
        case 0x85:
            reply[2] = report.at(2);
            reply.replace(8, kBlockSize, m_data);
            break;
        default:
            m_errorFlag = true;
            reply[1] = 0;
            break;
        }
        m_reply = reply;
        return true;
    }

    if (report.size() != kDataReportLength || quint8(report.at(0)) != kDataReportId)
        return false;
    const quint8 code = quint8(report.at(1));
    const quint16 length = quint16(quint8(report.at(3)) | (quint8(report.at(4)) << 8));
    const QByteArray payload = report.mid(8);
    int which = -1;
    bool ok = false;
    switch (code) {
    case 0x03: {
        which = 0;
        QByteArray incoming = m_profile;
        incoming.replace(0, 504, payload.left(504));
        ok = length == 0x0200 && (m_model == 13 || trailerValid(incoming));
        if (ok) {
            m_profile = incoming;
            ++m_counters.profileWrites;
        } else {
            ++m_counters.profileWritesRefused;
        }
        break;
    }
    case 0x04: {
        which = 1;
        const int slot = slotIndexOf(quint8(report.at(2)));
        ok = length == 0x0400 && slot >= 0;
        if (ok) {
            m_macros[slot] = payload.left(kBlockSize);
            ++m_counters.macroWrites;
        }
        break;
    }
    case 0x05:
        which = 2;
        ok = length == 0x0400 && quint8(report.at(2)) == 0x80;
        if (ok)
            m_data = payload.left(kBlockSize);
        break;
    default:
        m_errorFlag = true;
        return true;
    }
    // 0 done, 1 still working (busy knob), 2 refused.
    m_status[which] = ok ? (m_busyNext > 0 ? 1 : 0) : 2;
    m_busyPolls = ok ? m_busyNext : 0;
    m_busyNext = 0;
    return true;
}

QByteArray OspreyMouseFirmware::getFeature(Channel channel, int length)
{
    QMutexLocker lock(&m_mutex);
    if (!m_vanish.exchange())
        return QByteArray();
    ++m_counters.getReports;
    QByteArray out;
    if (channel == CommandChannel) {
        out = QByteArray(kCommandReportLength, '\0');
        out[0] = char(kCommandReportId);
    } else {
        out = m_reply;
    }
    out = out.left(qMax(0, length));
    m_counters.bytesIn += out.size();
    return out;
}

QByteArray OspreyMouseFirmware::profile() const { QMutexLocker l(&m_mutex); return m_profile; }
QByteArray OspreyMouseFirmware::settings() const { QMutexLocker l(&m_mutex); return m_profile.mid(kSettingsOffset, kSettingsLength); }

void OspreyMouseFirmware::setSettings(const QByteArray &bytes)
{
    QMutexLocker l(&m_mutex);
    m_profile.replace(kSettingsOffset, kSettingsLength, bytes.left(kSettingsLength).leftJustified(kSettingsLength, '\0'));
    fixTrailer();
}

void OspreyMouseFirmware::setRememberedBytes(quint8 r0, quint8 r1)
{
    QMutexLocker l(&m_mutex);
    m_profile[476] = char(r0);
    m_profile[477] = char(r1);
    rebuildIdentity();
    fixTrailer();
}

QByteArray OspreyMouseFirmware::macroSlot(int i) const
{
    QMutexLocker l(&m_mutex);
    return (i >= 0 && i < kMacroSlots) ? m_macros[i] : QByteArray();
}

void OspreyMouseFirmware::setMacroSlot(int i, const QByteArray &block)
{
    QMutexLocker l(&m_mutex);
    if (i >= 0 && i < kMacroSlots)
        m_macros[i] = block.left(kBlockSize).leftJustified(kBlockSize, '\0');
}

QByteArray OspreyMouseFirmware::dataBlock() const { QMutexLocker l(&m_mutex); return m_data; }
void OspreyMouseFirmware::setDataBlock(const QByteArray &b) { QMutexLocker l(&m_mutex); m_data = b.left(kBlockSize).leftJustified(kBlockSize, '\0'); }
void OspreyMouseFirmware::setBusyStatusPolls(int n) { QMutexLocker l(&m_mutex); m_busyNext = qMax(0, n); }
void OspreyMouseFirmware::failNextStatusPass() { QMutexLocker l(&m_mutex); m_errorFlag = true; }
void OspreyMouseFirmware::corruptChecksum() { QMutexLocker l(&m_mutex); m_profile[1] = char(quint8(m_profile.at(1)) ^ 0x01); }
void OspreyMouseFirmware::vanishAfter(int n) { QMutexLocker l(&m_mutex); m_vanish.arm(n); }
void OspreyMouseFirmware::setVanished(bool gone) { QMutexLocker l(&m_mutex); m_vanish.setGone(gone); }
bool OspreyMouseFirmware::vanished() const { QMutexLocker l(&m_mutex); return m_vanish.gone(); }
OspreyMouseFirmware::Counters OspreyMouseFirmware::counters() const { QMutexLocker l(&m_mutex); return m_counters; }
void OspreyMouseFirmware::resetCounters() { QMutexLocker l(&m_mutex); m_counters = Counters(); }

QByteArray OspreyMouseFirmware::saveState() const
{
    QMutexLocker lock(&m_mutex);
    QByteArray out;
    QDataStream ds(&out, QIODevice::WriteOnly);
    ds << QByteArray("QKOSPREY1") << m_productId << m_version << m_profile << m_data;
    for (const QByteArray &slot : m_macros)
        ds << slot;
    return out;
}

bool OspreyMouseFirmware::restoreState(const QByteArray &state)
{
    QDataStream ds(state);
    QByteArray magic, profile, data;
    quint16 pid = 0, version = 0;
    ds >> magic >> pid >> version >> profile >> data;
    QByteArray macros[kMacroSlots];
    for (QByteArray &slot : macros)
        ds >> slot;
    if (ds.status() != QDataStream::Ok || magic != "QKOSPREY1" || profile.size() != kProfileSize
        || data.size() != kBlockSize)
        return false;
    for (const QByteArray &slot : macros)
        if (slot.size() != kBlockSize)
            return false;
    QMutexLocker lock(&m_mutex);
    if (pid != m_productId)
        return false;
    m_version = version;
    m_profile = profile;
    m_data = data;
    for (int i = 0; i < kMacroSlots; ++i)
        m_macros[i] = macros[i];
    return true;
}
