#include "sim/ispbootloaderfirmware.h"

#include <QMutexLocker>

namespace {
quint32 le32(const QByteArray &b, int at)
{
    return quint32(quint8(b.at(at))) | (quint32(quint8(b.at(at + 1))) << 8)
        | (quint32(quint8(b.at(at + 2))) << 16) | (quint32(quint8(b.at(at + 3))) << 24);
}

void putLe32(QByteArray &b, int at, quint32 v)
{
    for (int k = 0; k < 4; ++k)
        b[at + k] = char((v >> (8 * k)) & 0xFF);
}
} // namespace

IspBootLoaderFirmware::IspBootLoaderFirmware(quint16 normalProductId, const QString &productString)
    : m_normalPid(normalProductId), m_productString(productString),
      m_flash(int(kFlashSize), char(0xFF)), m_dataFlash(int(kFlashSize - kDataFlashStart), char(0xFF))
{
}

quint16 IspBootLoaderFirmware::checksum(const QByteArray &packet)
{
    quint16 sum = 0;
    for (char c : packet)
        sum = quint16(sum + quint8(c));
    return sum;
}

void IspBootLoaderFirmware::queueReply(const QByteArray &packet, quint32 number, bool corrupt)
{
    QByteArray reply(kReportLength, '\0');
    quint16 sum = checksum(packet);
    if (corrupt)
        sum = quint16(sum ^ 0x5A5A);
    reply[1] = char(sum & 0xFF);
    reply[2] = char(sum >> 8);
    putLe32(reply, 5, number + 1);
    m_pending.append(reply);
}

bool IspBootLoaderFirmware::writeOutputReport(const QByteArray &report)
{
    std::function<void(const QByteArray &)> run;
    QByteArray image;
    {
        QMutexLocker lock(&m_mutex);
        if (m_vanished)
            return false;
        if (report.size() != kReportLength || report.at(0) != 0)
            return false;
        const QByteArray packet = report.mid(1);
        const quint32 command = le32(packet, 0);
        const quint32 number = le32(packet, 4);
        ++m_counters.packets;

        QList<Fault> faults;
        for (int i = m_faults.size() - 1; i >= 0; --i) {
            if (m_faults.at(i).second == number) {
                faults << m_faults.at(i).first;
                m_faults.removeAt(i);
            }
        }
        if (faults.contains(Vanish)) {
            m_vanished = true;
            return false;
        }
        const bool corrupt = faults.contains(WrongChecksum);
        QByteArray data = packet.mid(8);
        if (corrupt)
            data[0] = char(quint8(data.at(0)) ^ 0xFF);

        auto store = [&](const QByteArray &bytes) {
            const quint32 n = qMin<quint32>(quint32(bytes.size()), m_length - qMin(m_length, m_position));
            QByteArray &target = m_toDataFlash ? m_dataFlash : m_flash;
            const quint32 base = m_toDataFlash ? 0 : m_start;
            if (base + m_position + n <= quint32(target.size()))
                target.replace(int(base + m_position), int(n), bytes.left(int(n)));
            m_position += n;
            m_lastChunk = n;
        };

        switch (command) {
        case 0xA4:
            break;
        case 0xA0:
        case 0xC3:
            m_toDataFlash = command == 0xC3;
            m_start = le32(data, 0);
            m_length = qMin<quint32>(le32(data, 4), kFlashSize);
            m_position = 0;
            m_ran = false;
            store(data.mid(8, 48));
            break;
        case 0x00:
            ++m_counters.continuations;
            store(data.left(56));
            break;
        case 0xFF:
            ++m_counters.resends;
            m_position -= qMin(m_position, m_lastChunk);
            m_lastChunk = 0;
            break;
        case 0xAB:
            m_ran = true;
            run = m_run;
            image = m_flash.mid(int(m_start), int(m_length));
            break;
        default:
            break;
        }
        if (command != 0xAB && !faults.contains(NoReply)) {
            if (faults.contains(StaleReply))
                queueReply(packet, number - 2, false);
            queueReply(packet, number, corrupt);
            if (faults.contains(ShortReply))
                m_pending.last().truncate(33);
        }
    }
    if (run)
        run(image);
    return true;
}

QByteArray IspBootLoaderFirmware::readInputReport()
{
    QMutexLocker lock(&m_mutex);
    if (m_vanished || m_pending.isEmpty())
        return QByteArray();
    ++m_counters.replies;
    return m_pending.takeFirst();
}

void IspBootLoaderFirmware::injectFault(Fault fault, quint32 packetNumber)
{
    QMutexLocker lock(&m_mutex);
    m_faults.append({fault, packetNumber});
}

bool IspBootLoaderFirmware::vanished() const { QMutexLocker l(&m_mutex); return m_vanished; }
QByteArray IspBootLoaderFirmware::flash() const { QMutexLocker l(&m_mutex); return m_flash; }
QByteArray IspBootLoaderFirmware::dataFlash() const { QMutexLocker l(&m_mutex); return m_dataFlash; }
quint32 IspBootLoaderFirmware::declaredLength() const { QMutexLocker l(&m_mutex); return m_length; }
bool IspBootLoaderFirmware::ran() const { QMutexLocker l(&m_mutex); return m_ran; }

quint32 IspBootLoaderFirmware::imageVersion() const
{
    QMutexLocker l(&m_mutex);
    if (m_length < 4 || m_start + m_length > kFlashSize)
        return 0;
    return le32(m_flash, int(m_start + m_length - 4));
}

void IspBootLoaderFirmware::setRunHandler(std::function<void(const QByteArray &)> h)
{
    QMutexLocker l(&m_mutex);
    m_run = std::move(h);
}

IspBootLoaderFirmware::Counters IspBootLoaderFirmware::counters() const
{
    QMutexLocker l(&m_mutex);
    return m_counters;
}
