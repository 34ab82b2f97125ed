#include "device/osprey/usbdriver_osprey.h"

#include "catalog/modelcatalog.h"

#include "hid/hidbackend.h"
#include "hid/hidenumeration.h"
#include "common/mousetype.h"
#include "common/pacer.h"

#include <QDebug>
#include <cstring>

namespace {
void logLine(const QString &text)
{
    qDebug().noquote() << text;
}
} // namespace

void USBDriver_Osprey::ChannelRecord::close()
{
    readHandle.reset();
    readWriteHandle.reset();
}

USBDriver_Osprey::USBDriver_Osprey(QObject *parent)
    : KelvoUSBDriver(parent), m_profileCache(kProfileCacheSize, '\0'),
      m_macroArea(kMacroSlots, QByteArray(kBlockSize, '\0'))
{
    for (int n = 0; n < kMacroSlots; ++n)
        m_macroSlotIds << macroSlotId(n);
}

USBDriver_Osprey::~USBDriver_Osprey()
{
    CloseHandles();
}

int USBDriver_Osprey::SetVidPid(int pid, int vid)
{
    m_productId = pid;
    m_vendorId = vid;
    return 1;
}

int USBDriver_Osprey::UnInitDevice()
{
    return CloseHandles();
}

int USBDriver_Osprey::CloseHandles()
{
    m_command.close();
    m_data.close();
    return 1;
}

int USBDriver_Osprey::GetDeviceVersion()
{
    return m_version;
}

int USBDriver_Osprey::FindHIDDevice()
{
    CloseHandles();
    HidBackend &backend = HidBackend::current();
    bool opened = false;
    HidEnumeration::run(
        backend, QStringLiteral("USBDriver_Osprey FindHIDDevice INVALID_HANDLE_VALUE"),
        [&](const HidDeviceInfo &info) {
            qDebug() << "name:" << info.productString;
            logLine(QString::asprintf("Attributes: %x %x %x %x", info.vendorId, info.productId,
                                      m_vendorId, m_productId));
            if (info.vendorId != m_vendorId || info.productId != m_productId)
                return true;

            qDebug() << "Usage:" << info.usage << "UsagePage:" << info.usagePage;
            qDebug() << "Feature report:" << info.featureReportId
                     << "FeatureReportByteLength:" << info.featureReportLength;
            qDebug() << "NumberInputValueCaps" << (info.inputReportLength > 0 ? 1 : 0)
                     << "InputReportByteLength:" << info.inputReportLength;
            qDebug() << "NumberOutputValueCaps" << (info.outputReportLength > 0 ? 1 : 0)
                     << "OutputReportByteLength:" << info.outputReportLength;
            if (info.featureReportLength == 0) {
                logLine(QStringLiteral("NumberFeatureValueCaps == 0"));
                return true;
            }
            if (info.usage != 1 && info.usagePage != 0xFF00) {
                logLine(QStringLiteral("Usage  UsagePage  error"));
                return true;
            }
            if (info.usage == 1 && info.usagePage == 0xFF00) {
                logLine(QString::asprintf("out Usage: %x, UsagePage: %x", info.usage,
                                          info.usagePage));
                logLine(QString::asprintf("out  report id:%x count:%x", info.featureReportId,
                                          info.featureReportLength - 1));
            }

            std::unique_ptr<HidConnection> readHandle = backend.open(info.path);
            std::unique_ptr<HidConnection> readWriteHandle = backend.open(info.path);
            if (!readHandle || !readWriteHandle) {
                qDebug() << "USBDriver_Osprey: cannot open" << info.path;
                return true; // both close as they go out of scope
            }
            ChannelRecord *ch = nullptr;
            if (info.featureReportLength == kDataReportLength)
                ch = &m_data;
            else if (info.featureReportLength == kCommandReportLength)
                ch = &m_command;
            if (!ch)
                return true;
            ch->readHandle = std::move(readHandle);
            ch->readWriteHandle = std::move(readWriteHandle);
            ch->reportId = info.featureReportId;
            ch->reportLength = USHORT(info.featureReportLength);
            ch->productString = info.productString;
            if (isOpen()) {
                m_version = info.releaseNumber;
                opened = true;
                return false;
            }
            return true;
        });
    if (!opened)
        CloseHandles(); // one channel alone is no use; do not keep it open
    return opened ? 1 : 0;
}

QByteArray USBDriver_Osprey::frame(const ChannelRecord &ch, const BYTE *data, int n) const
{
    QByteArray buffer(ch.reportLength, '\0');
    buffer[0] = char(ch.reportId & 0xFF);
    if (n > 0)
        std::memcpy(buffer.data() + 1, data, size_t(n));
    return buffer;
}

int USBDriver_Osprey::SetFeatureReport(Channel channel, const BYTE *data, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readWriteHandle || ch.reportLength < 1 || (!data && n > 0) || n < 0
        || n > ch.reportLength - 1) {
        logLine(QStringLiteral("HidD_SetFeature fail: ") + QString::number(-1));
        return 0;
    }
    const QByteArray report = frame(ch, data, n);
    const int r = ch.readWriteHandle->setFeatureReport(report);
    if (r != report.size()) {
        logLine(QStringLiteral("HidD_SetFeature fail: ") + QString::number(r));
        return 0;
    }
    return 1;
}

int USBDriver_Osprey::GetFeatureReport(Channel channel, BYTE *out, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readHandle || !out || n < 0 || n > ch.reportLength) {
        logLine(QString::asprintf("HidD_GetFeature Failed, Error Code %d\n", -1));
        return 0;
    }
    QByteArray report;
    const int r = ch.readHandle->getFeatureReport(BYTE(ch.reportId), ch.reportLength, &report);
    // A short report would hand zeros over as data: treat it as the failure it is.
    if (r != ch.reportLength || report.size() != ch.reportLength
        || BYTE(report.at(0)) != BYTE(ch.reportId)) {
        logLine(QString::asprintf("HidD_GetFeature Failed, Error Code %d\n", r));
        return 0;
    }
    std::memcpy(out, report.constData(), size_t(n));
    return 1;
}

int USBDriver_Osprey::SendFeatureReport(Channel channel, const BYTE *data, int n)
{
    Pacer::sleepMs(100);
    return SetFeatureReport(channel, data, n);
}

int USBDriver_Osprey::FetchFeatureReport(Channel channel, BYTE *out, int n)
{
    Pacer::sleepMs(100);
    return GetFeatureReport(channel, out, n);
}

int USBDriver_Osprey::WriteOutputReport(Channel channel, const BYTE *data, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readWriteHandle || ch.reportLength < 1 || (!data && n > 0) || n < 0
        || n > ch.reportLength - 1) {
        logLine(QString::asprintf("WriteFile Failed, Error Code %d\n", -1));
        return 0;
    }
    const QByteArray report = frame(ch, data, n);
    const int r = ch.readWriteHandle->writeOutputReport(report);
    if (r != report.size()) {
        logLine(QString::asprintf("WriteFile Failed, Error Code %d\n", r));
        return 0;
    }
    return 1;
}

int USBDriver_Osprey::ReadInputReport(Channel channel, BYTE *out, int n)
{
    const ChannelRecord &ch = record(channel);
    if (!ch.readHandle || !out || n < 0 || n > ch.reportLength) {
        logLine(QString::asprintf("HidD_GetInputReport Failed, Error Code %d\n", -1));
        return 0;
    }
    QByteArray report;
    // The Windows read blocked until a report came; a bounded wait keeps a silent or removed
    // device from hanging the coordinator.
    const int r = ch.readHandle->readInputReport(&report, ch.reportLength, kInputReadTimeoutMs);
    if (r <= 0) {
        logLine(QString::asprintf("HidD_GetInputReport Failed, Error Code %d\n", r));
        return 0;
    }
    QByteArray padded = report.left(ch.reportLength);
    padded.append(QByteArray(ch.reportLength - padded.size(), '\0'));
    std::memcpy(out, padded.constData(), size_t(n));
    return 1;
}

// ---- command set ---------------------------------------------------------------------------

namespace {
constexpr BYTE kReplyReportId = 6;
constexpr int kReplyHeader = 8;
constexpr int kChecksumFirst = 1;
constexpr int kChecksumLast = 241;
constexpr int kSettingsFirst = 242;
constexpr int kSettingsLast = 475;
constexpr int kR0 = 476;
constexpr int kR1 = 477;
constexpr int kTrailer = 479;
constexpr int kFrameHeader = 7;
constexpr int kProfileFrameBytes = 504;
constexpr int kProfileFrameLength = 512;

// Odd offsets count once, even offsets three times.
qint32 weightedSum(const BYTE *p, int from, int to)
{
    qint32 odd = 0;
    qint32 even = 0;
    for (int i = from; i <= to; ++i) {
        if (i % 2)
            odd += p[i];
        else
            even += p[i];
    }
    return odd + 3 * even;
}
} // namespace

void USBDriver_Osprey::checksumPair(int modelCode, BYTE &low, BYTE &high)
{
    if (const Catalog::Model *m = Catalog::find(modelCode)) {
        low = m->checksumLow;
        high = m->checksumHigh;
        return;
    }
    // The two spare codes have constants of their own but no model.
    switch (modelCode) {
    case MouseType::Spare15: low = 0x26; high = 0x79; break;
    case MouseType::Spare16: low = 0xAB; high = 0x77; break;
    default: low = 0x4A; high = 0x79; break;
    }
}

bool USBDriver_Osprey::checksumEnforced() const
{
    const Catalog::Model *row = Catalog::find(modelCode());
    return !row || row->checksumEnforced;
}

bool USBDriver_Osprey::ProfileChecksum(BYTE *p)
{
    if (!p)
        return false;
    const int model = modelCode();
    qint32 e = weightedSum(p, kChecksumFirst, kChecksumLast);
    e += m_r0 == 0 ? qint32(m_r1) : -qint32(m_r1);
    BYTE low = BYTE(e & 0xFF);
    const Catalog::Model *row = Catalog::find(model);
    if (row && row->checksumLeavesOutByte19)
        low = BYTE(low - p[19]);
    low = BYTE(low - p[13]);
    const BYTE high = BYTE((e >> 8) & 0xFF);
    logLine(QString::asprintf("crcNumber VALUE %x %x %x", p[13], low, high));
    BYTE wantLow = 0;
    BYTE wantHigh = 0;
    checksumPair(model, wantLow, wantHigh);
    if (low != wantLow || high != wantHigh)
        return false;
    p[kR0] = m_r0;
    p[kR1] = m_r1;
    p[kR0 + 2] = 0;
    const qint32 t = weightedSum(p, kSettingsFirst, kSettingsLast);
    p[kTrailer] = BYTE(t & 0xFF);
    p[kTrailer + 1] = BYTE((t >> 8) & 0xFF);
    logLine(QString::asprintf("ccrNumber %x %x", p[kTrailer], p[kTrailer + 1]));
    return true;
}

int USBDriver_Osprey::request(const QByteArray &command, int echo, QByteArray &reply)
{
    if (!SendFeatureReport(Channel::Command, reinterpret_cast<const BYTE *>(command.constData()),
                           command.size()))
        return 0;
    reply = QByteArray(kDataReportLength, '\0');
    if (!FetchFeatureReport(Channel::Data, reinterpret_cast<BYTE *>(reply.data()), reply.size()))
        return 0;
    if (BYTE(reply.at(0)) != kReplyReportId || reply.at(1) != command.at(0)) {
        qDebug() << "USBDriver_Osprey: reply header refused" << reply.left(4).toHex(' ');
        return 0;
    }
    for (int k = 1; k <= echo && k < command.size(); ++k) {
        if (reply.at(1 + k) != command.at(k)) {
            qDebug() << "USBDriver_Osprey: reply header refused" << reply.left(4).toHex(' ');
            return 0;
        }
    }
    return 1;
}

int USBDriver_Osprey::GetStatus(BYTE &status, int index)
{
    return awaitStatus(status, index, 0);
}

int USBDriver_Osprey::awaitStatus(BYTE &status, int index, int settleMs)
{
    const bool described = Pacer::pollPacing() == PollPacing::Described;
    // Described pacing: the settle wait, then up to four passes 100 ms apart. Adaptive pacing:
    // the first pass at once, then waits of 25, 50 and 100 ms, for as long as the described
    // waits up to its last pass (settle + 3 x 100 ms) allow; a busy mouse is asked no later.
    if (described)
        Pacer::sleepMs(settleMs);
    logLine(QStringLiteral("GetStatus"));
    if (index < 1 || index > 3)
        return 0;
    const int budget = qMax(0, settleMs) + 3 * kStatusPassMs;
    int waited = 0;
    const BYTE command[] = {0x82};
    for (int pass = 1; described ? pass <= 4 : (pass == 1 || waited < budget); ++pass) {
        if (!described && pass > 1) {
            const int wait = qMin(qMin(kStatusPassMs, 25 << qMin(pass - 2, 2)), budget - waited);
            Pacer::sleepMs(wait);
            waited += wait;
        }
        if (!SendFeatureReport(Channel::Command, command, 1))
            return 0;
        BYTE reply[8] = {};
        if (!FetchFeatureReport(Channel::Data, reply, 8))
            return 0;
        if (reply[0] != kReplyReportId || reply[1] != 0x82)
            return 0;
        if (pass == 1 && reply[7] == 1)
            return 0;
        status = reply[index + 1];
        if (status == 0)
            return 1;
        if (described)
            Pacer::sleepMs(kStatusPassMs);
    }
    return 0;
}

int USBDriver_Osprey::GetProfileData(BYTE *profile)
{
    if (!profile)
        return 0;
    Pacer::sleepMs(50);
    QByteArray reply;
    const QByteArray command = QByteArray::fromHex("8300");
    const bool sent = SendFeatureReport(Channel::Command,
                                        reinterpret_cast<const BYTE *>(command.constData()), 2);
    qDebug() << "GetProfileData len:" << m_data.reportLength << 1;
    if (!sent)
        return 0;
    reply = QByteArray(kDataReportLength, '\0');
    if (!FetchFeatureReport(Channel::Data, reinterpret_cast<BYTE *>(reply.data()), reply.size()))
        return 0;
    if (BYTE(reply.at(0)) != kReplyReportId || BYTE(reply.at(1)) != 0x83 || reply.at(2) != 0) {
        qDebug() << "USBDriver_Osprey: reply header refused" << reply.left(4).toHex(' ');
        return 0;
    }
    m_profileCache = reply.mid(kReplyHeader, kProfileCacheSize);
    m_r0 = BYTE(m_profileCache.at(kR0));
    m_r1 = BYTE(m_profileCache.at(kR1));
    std::memcpy(profile, m_profileCache.constData(), size_t(kProfileSize));
    logLine(QStringLiteral("SetProfileData+++++"));
    // The check runs on a copy: a read must not change what it reports.
    QByteArray check = m_profileCache;
    const bool ok = ProfileChecksum(reinterpret_cast<BYTE *>(check.data()));
    return (ok || !checksumEnforced()) ? 1 : 0;
}

int USBDriver_Osprey::SetProfileData(const BYTE *profile)
{
    if (!profile)
        return 0;
    std::memcpy(m_profileCache.data(), profile, size_t(kProfileSize));
    logLine(QStringLiteral("SetProfileData+++++"));
    if (!ProfileChecksum(reinterpret_cast<BYTE *>(m_profileCache.data())) && checksumEnforced())
        return 0;
    QByteArray frameBytes(kProfileFrameLength, '\0');
    const char header[] = {0x03, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
    std::memcpy(frameBytes.data(), header, sizeof(header));
    std::memcpy(frameBytes.data() + kFrameHeader, m_profileCache.constData(),
                size_t(kProfileFrameBytes));
    if (SendFeatureReport(Channel::Data, reinterpret_cast<const BYTE *>(frameBytes.constData()),
                          frameBytes.size())) {
        BYTE status = 0xFF;
        if (awaitStatus(status, 1, 100))
            return 1;
    }
    Pacer::sleepMs(50);
    return 0;
}

int USBDriver_Osprey::sendBlock(BYTE code, BYTE argument, const QByteArray &block)
{
    QByteArray frameBytes(kFrameHeader + kBlockSize, '\0');
    frameBytes[0] = char(code);
    frameBytes[1] = char(argument);
    frameBytes[2] = 0x00; // length 0x0400, little-endian
    frameBytes[3] = 0x04;
    std::memcpy(frameBytes.data() + kFrameHeader, block.constData(),
                size_t(qMin(block.size(), kBlockSize)));
    return SendFeatureReport(Channel::Data, reinterpret_cast<const BYTE *>(frameBytes.constData()),
                             frameBytes.size());
}

int USBDriver_Osprey::WriteDataBlock(const BYTE *block)
{
    if (!block)
        return 0;
    const QByteArray data(reinterpret_cast<const char *>(block), kBlockSize);
    if (sendBlock(0x05, 0x80, data)) {
        BYTE status = 0xFF;
        if (awaitStatus(status, 3, 100))
            return 1;
    }
    Pacer::sleepMs(50);
    return 0;
}

int USBDriver_Osprey::ReadDataBlock(BYTE *block)
{
    if (!block)
        return 0;
    QByteArray reply;
    if (!request(QByteArray::fromHex("8580"), 1, reply))
        return 0;
    std::memcpy(block, reply.constData() + kReplyHeader, size_t(kBlockSize));
    return 1;
}

bool USBDriver_Osprey::validBlockForm(const QByteArray &macro)
{
    return macro.size() >= 2 && macro.size() % 2 == 0 && macro.size() <= kBlockSize;
}

QByteArray USBDriver_Osprey::parseMacroBlock(const QByteArray &block)
{
    if (block.size() < 2 || (block.at(0) == 0 && block.at(1) == 0))
        return QByteArray();
    int end = 2;
    while (end + 1 < block.size() && (block.at(end) != 0 || block.at(end + 1) != 0))
        end += 2;
    return block.left(end);
}

int USBDriver_Osprey::WriteMacroList(const QList<QByteArray> &macros)
{
    if (macros.size() > kMacroSlots)
        return 0;
    for (const QByteArray &m : macros)
        if (!validBlockForm(m))
            return 0;
    for (QByteArray &block : m_macroArea)
        block.fill('\0');
    m_macroCount = 0;
    for (const QByteArray &m : macros) {
        std::memcpy(m_macroArea[m_macroCount].data(), m.constData(), size_t(m.size()));
        ++m_macroCount;
    }
    for (int n = 0; n < m_macroCount; ++n) {
        if (!sendBlock(0x04, BYTE(m_macroSlotIds.at(n)), m_macroArea.at(n)))
            return 0;
        BYTE status = 0xFF;
        if (!awaitStatus(status, 2, 50))
            return 0;
    }
    return 1;
}

int USBDriver_Osprey::ReadMacro(int slotId, QByteArray &macro)
{
    if (slotId < 0 || slotId > 0xFF)
        return 0;
    QByteArray command(3, '\0');
    command[0] = char(0x84);
    command[1] = char(slotId);
    QByteArray reply;
    if (!request(command, 2, reply))
        return 0;
    const QByteArray parsed = parseMacroBlock(reply.mid(kReplyHeader, kBlockSize));
    if (parsed.isEmpty())
        return 0;
    BYTE status = 0xFF;
    if (!awaitStatus(status, 2, 50))
        return 0;
    macro = parsed;
    return 1;
}

int USBDriver_Osprey::ReadMacroList(QList<QByteArray> &macros)
{
    for (int n = 0; n < kReadMacroSlots; ++n) {
        QByteArray command(3, '\0');
        command[0] = char(0x84);
        command[1] = char(m_macroSlotIds.at(n));
        QByteArray reply;
        if (!request(command, 2, reply))
            return 0;
        const QByteArray parsed = parseMacroBlock(reply.mid(kReplyHeader, kBlockSize));
        if (!parsed.isEmpty())
            macros << parsed;
        BYTE status = 0xFF;
        if (!awaitStatus(status, 2, 50))
            return 0;
    }
    return 1;
}

int USBDriver_Osprey::SetMacroStruct(const QByteArray &macro, int slotId)
{
    if (!validBlockForm(macro) || (macro.size() - 2) / 2 > kMaxMacroItems || slotId < 0
        || slotId > 0xFF)
        return 0;
    for (int i = 2; i + 1 < macro.size(); i += 2)
        logLine(QString::asprintf("item: %x %x", BYTE(macro.at(i)), BYTE(macro.at(i + 1))));
    qDebug() << "SetMacroStruct"
             << "MacroItemLength" << macro.size();
    QByteArray block(kBlockSize, '\0');
    std::memcpy(block.data(), macro.constData(), size_t(macro.size()));
    if (sendBlock(0x04, BYTE(slotId), block)) {
        BYTE status = 0xFF;
        if (awaitStatus(status, 2, 100))
            return 1;
    }
    Pacer::sleepMs(50);
    return 0;
}
