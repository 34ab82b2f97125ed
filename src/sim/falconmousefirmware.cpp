#include "sim/falconmousefirmware.h"

#include "common/pacer.h"

#include <QDataStream>
#include <QMutexLocker>

namespace {
// Factory profile images as the mice leave the factory: bytes 16..59 are the button table,
// 60..127 the settings block; bytes 8..9 the A9 word and 12..15 the power word.
const char kFactoryKite[] = // KiteC, KiteQ, FalconC, Kite
    "01000000CDCDCDCDD007CDCDC8020000"
    "03001000080006000800050000001E00"
    "03000100000020000300080003000400"
    "03000200FFFFFFFFFFFFFFFF01000000"
    "FFFFFFFF08000D0012001C0030002600"
    "26000400020402043200000007000000"
    "00010203040506070001000000000000"
    "03000000FFFFFF00FFFFFF00FFFFFF00";
const char kFactoryFalcon[] = // FalconQ, Falcon, FalconEU
    "01000000CDCDCDCDD007CDCDD7020000"
    "03000100030004000300020008000500"
    "08000603031010030308080303101003"
    "030808FFFFFFFFFFFFFFFF01010000FF"
    "FFFFFFFF100014001E0025003C008200"
    "40010600030302043200000007000000"
    "00010203040506070001000000000000"
    "030000004B9F60000000FF000000FF00";

quint32 readLe32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | quint8(b.at(at + k));
    return v;
}

void putLe(QByteArray &b, int at, quint32 v, int n)
{
    for (int k = 0; k < n; ++k)
        b[at + k] = char((v >> (8 * k)) & 0xFF);
}

constexpr quint32 kButtonTable = 0x200;
constexpr quint32 kSettingsBlock = 0x480;
constexpr int kButtonLength = 44;
constexpr int kSettingsLength = 68;
} // namespace

FalconMouseFirmware::FalconMouseFirmware(quint16 productId)
    : m_productId(productId), m_memory(int(kMemorySize), '\0')
{
    const QByteArray image = factoryProfile(modelCode());
    for (quint32 p = 0; p < 2; ++p) {
        m_memory.replace(int(p * 0x400 + kButtonTable), kButtonLength, image.mid(16, kButtonLength));
        m_memory.replace(int(p * 0x400 + kSettingsBlock), kSettingsLength, image.mid(60, kSettingsLength));
    }
    putLe(m_memory, 0x0004, productId, 2);
    m_a9 = quint16(readLe32(image, 8) & 0xFFFF);
    m_power = readLe32(image, 12);
    m_reply = QByteArray(1, '\0');
}

QByteArray FalconMouseFirmware::factoryProfile(int modelCode)
{
    switch (modelCode) {
    case 10: case 11: case 14: return QByteArray::fromHex(kFactoryFalcon);
    default: return QByteArray::fromHex(kFactoryKite);
    }
}

int FalconMouseFirmware::modelCode() const
{
    switch (m_productId) {
    case 0x4130: return 11;
    case 0x4137: return 9;
    case 0x4138: return 10;
    case 0x4139: return 7;
    case 0x413A: return 8;
    case 0x413B: return 14;
    case 0x4132: return 12;
    default: return 0;
    }
}

bool FalconMouseFirmware::writeOutputReport(const QByteArray &report)
{
    std::function<void()> restart;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_vanish.exchange())
            return false;
        ++m_counters.outputReports;
        m_counters.bytesOut += report.size();
        if (report.size() < 2 || quint8(report.at(0)) != kReportId)
            return false;
        const quint8 link = quint8(report.at(1));
        if (link == 0xA8) {
            // Restart request: acknowledged, then the mouse leaves for its boot loader.
            ++m_counters.commands;
            m_reply = QByteArray(1, '\1');
            m_busy = 0;
            restart = m_restart;
        } else if (link == 0xFF) {
            execute(report.mid(2, 30));
        } else {
            // A cable mouse does not answer commands addressed elsewhere.
            ++m_counters.commands;
            m_reply = QByteArray(1, '\0');
            m_busy = 0;
        }
    }
    if (restart)
        restart();
    return true;
}

bool FalconMouseFirmware::forwardedCommand(const QByteArray &command)
{
    QMutexLocker lock(&m_mutex);
    if (!m_vanish.exchange())
        return false;
    ++m_counters.outputReports;
    m_counters.bytesOut += command.size();
    execute(command.left(30));
    return true;
}

QByteArray FalconMouseFirmware::readInputReport()
{
    QMutexLocker lock(&m_mutex);
    if (!m_vanish.exchange())
        return QByteArray();
    ++m_counters.inputReports;
    if (m_drop > 0) {
        --m_drop;
        return QByteArray();
    }
    QByteArray report(kReportLength, '\0');
    report[0] = char(kReportId);
    if (m_busy > 0) {
        --m_busy;
        report[1] = 2;
    } else if (m_busyUntilMs > 0 && Pacer::nowMs() < m_busyUntilMs) {
        report[1] = 2;
    } else {
        report.replace(1, qMin(m_reply.size(), kReportLength - 1), m_reply.left(kReportLength - 1));
    }
    m_counters.bytesIn += report.size();
    return report;
}

void FalconMouseFirmware::execute(const QByteArray &cmdIn)
{
    ++m_counters.commands;
    QByteArray cmd = cmdIn;
    cmd.append(QByteArray(qMax(0, 30 - cmd.size()), '\0'));
    m_busy = m_busyNext;
    m_busyNext = 0;
    if (m_refuse > 0) {
        --m_refuse;
        m_reply = QByteArray(1, '\0');
        return;
    }
    const quint8 code = quint8(cmd.at(0));
    QByteArray reply(1, '\1');
    auto fail = [&] { reply = QByteArray(1, '\0'); };
    switch (code) {
    case 0xA1: {
        const int p = quint8(cmd.at(1));
        if (p > 1)
            fail();
        else
            m_activeProfile = p;
        break;
    }
    case 0xA2:
        reply.append(char(m_activeProfile));
        break;
    case 0xA3:
        for (int k = 0; k < 4; ++k)
            reply.append(char((m_version >> (8 * k)) & 0xFF));
        break;
    case 0xA4:
    case 0xA5: {
        const int n = quint8(cmd.at(1));
        const quint32 address = readLe32(cmd, 2);
        const bool inRange = n >= 1 && n <= 24 && address < kMemorySize && n <= int(kMemorySize - address);
        if (!inRange) {
            fail();
            break;
        }
        if (code == 0xA4) {
            // Bytes 1..3 of the reply carry the request's length and low address bytes; the
            // driver must skip them, so they are deliberately not zero.
            reply.append(char(n)).append(cmd.at(2)).append(cmd.at(3));
            reply.append(m_memory.mid(int(address), n));
            ++m_counters.memoryReads;
        } else {
            m_memory.replace(int(address), n, cmd.mid(6, n));
            m_busy += m_writeBusy;
            m_busyUntilMs = m_writeBusyMs > 0 ? Pacer::nowMs() + m_writeBusyMs : 0;
            ++m_counters.memoryWrites;
        }
        break;
    }
    case 0xA7:
    case 0xA8:
        break;
    case 0xA9:
        reply.append(char(m_a9 & 0xFF)).append(char(m_a9 >> 8));
        break;
    case 0xAA:
        for (int k = 0; k < 4; ++k)
            reply.append(char((m_power >> (8 * k)) & 0xFF));
        break;
    case 0xAB:
        m_lastAb = quint8(cmd.at(1));
        break;
    default:
        fail();
        break;
    }
    m_reply = reply;
}

QByteArray FalconMouseFirmware::memory(quint32 address, int length) const
{
    QMutexLocker lock(&m_mutex);
    QByteArray out = address < kMemorySize ? m_memory.mid(int(address), length) : QByteArray();
    out.append(QByteArray(length - out.size(), '\0'));
    return out;
}

void FalconMouseFirmware::setMemory(quint32 address, const QByteArray &bytes)
{
    QMutexLocker lock(&m_mutex);
    if (address >= kMemorySize)
        return;
    const int n = qMin(bytes.size(), int(kMemorySize - address));
    m_memory.replace(int(address), n, bytes.left(n));
}

int FalconMouseFirmware::activeProfile() const { QMutexLocker l(&m_mutex); return m_activeProfile; }
void FalconMouseFirmware::setActiveProfile(int p) { QMutexLocker l(&m_mutex); m_activeProfile = p; }
quint32 FalconMouseFirmware::firmwareVersion() const { QMutexLocker l(&m_mutex); return m_version; }
void FalconMouseFirmware::setFirmwareVersion(quint32 v) { QMutexLocker l(&m_mutex); m_version = v; }
quint16 FalconMouseFirmware::statusWordA9() const { QMutexLocker l(&m_mutex); return m_a9; }
void FalconMouseFirmware::setStatusWordA9(quint16 v) { QMutexLocker l(&m_mutex); m_a9 = v; }
quint32 FalconMouseFirmware::powerWord() const { QMutexLocker l(&m_mutex); return m_power; }
void FalconMouseFirmware::setPowerWord(quint32 v) { QMutexLocker l(&m_mutex); m_power = v; }
int FalconMouseFirmware::lastAbValue() const { QMutexLocker l(&m_mutex); return m_lastAb; }
void FalconMouseFirmware::setBusyPolls(int n) { QMutexLocker l(&m_mutex); m_busyNext = qMax(0, n); }
void FalconMouseFirmware::setWriteBusyPolls(int n) { QMutexLocker l(&m_mutex); m_writeBusy = qMax(0, n); }
void FalconMouseFirmware::setWriteBusyMs(int ms) { QMutexLocker l(&m_mutex); m_writeBusyMs = qMax(0, ms); }
int FalconMouseFirmware::writeBusyMs() const { QMutexLocker l(&m_mutex); return m_writeBusyMs; }
void FalconMouseFirmware::refuseCommands(int n) { QMutexLocker l(&m_mutex); m_refuse = qMax(0, n); }
void FalconMouseFirmware::dropReplies(int n) { QMutexLocker l(&m_mutex); m_drop = qMax(0, n); }
void FalconMouseFirmware::vanishAfter(int n) { QMutexLocker l(&m_mutex); m_vanish.arm(n); }
bool FalconMouseFirmware::vanished() const { QMutexLocker l(&m_mutex); return m_vanish.gone(); }
void FalconMouseFirmware::setVanished(bool gone) { QMutexLocker l(&m_mutex); m_vanish.setGone(gone); }
void FalconMouseFirmware::setRestartHandler(std::function<void()> h) { QMutexLocker l(&m_mutex); m_restart = std::move(h); }
FalconMouseFirmware::Counters FalconMouseFirmware::counters() const { QMutexLocker l(&m_mutex); return m_counters; }
void FalconMouseFirmware::resetCounters() { QMutexLocker l(&m_mutex); m_counters = Counters(); }

QByteArray FalconMouseFirmware::saveState() const
{
    QMutexLocker lock(&m_mutex);
    QByteArray out;
    QDataStream ds(&out, QIODevice::WriteOnly);
    ds << QByteArray("QKFALCON1") << m_productId << m_memory << qint32(m_activeProfile) << m_version
       << m_a9 << m_power;
    return out;
}

bool FalconMouseFirmware::restoreState(const QByteArray &state)
{
    QDataStream ds(state);
    QByteArray magic, memory;
    quint16 pid = 0, a9 = 0;
    qint32 profile = 0;
    quint32 version = 0, power = 0;
    ds >> magic >> pid >> memory >> profile >> version >> a9 >> power;
    if (ds.status() != QDataStream::Ok || magic != "QKFALCON1" || memory.size() != int(kMemorySize))
        return false;
    QMutexLocker lock(&m_mutex);
    if (pid != m_productId)
        return false;
    m_memory = memory;
    m_activeProfile = profile;
    m_version = version;
    m_a9 = a9;
    m_power = power;
    return true;
}
