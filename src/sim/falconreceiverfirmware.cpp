#include "sim/falconreceiverfirmware.h"

#include "sim/falconmousefirmware.h"

#include <QMutexLocker>

FalconReceiverFirmware::FalconReceiverFirmware(quint16 productId)
    : m_productId(productId), m_reply(1, '\0')
{
}

void FalconReceiverFirmware::pairWith(FalconMouseFirmware *mouse)
{
    QMutexLocker lock(&m_mutex);
    m_mouse = mouse;
}

FalconMouseFirmware *FalconReceiverFirmware::pairedMouse() const
{
    QMutexLocker lock(&m_mutex);
    return m_mouse;
}

bool FalconReceiverFirmware::switchMouseOn(FalconMouseFirmware *mouse)
{
    QMutexLocker lock(&m_mutex);
    if (!m_waiting || !m_addressSet || !mouse)
        return false;
    m_mouse = mouse;
    m_waiting = false;
    return true;
}

int FalconReceiverFirmware::workMode() const
{
    QMutexLocker lock(&m_mutex);
    return m_waiting ? 1 : 0;
}

bool FalconReceiverFirmware::pairingMode() const
{
    QMutexLocker lock(&m_mutex);
    return m_waiting;
}

quint32 FalconReceiverFirmware::radioAddress() const
{
    QMutexLocker lock(&m_mutex);
    return m_address;
}

bool FalconReceiverFirmware::writeOutputReport(const QByteArray &reportIn)
{
    QMutexLocker lock(&m_mutex);
    if (!m_vanish.exchange())
        return false;
    ++m_counters.outputReports;
    if (reportIn.size() < 2 || quint8(reportIn.at(0)) != 0xBA)
        return false;
    QByteArray report = reportIn;
    report.append(QByteArray(qMax(0, kReportLength - report.size()), '\0'));
    const quint8 first = quint8(report.at(1));
    if (first == 0xA5) {
        ++m_counters.forwarded;
        m_lastForwarded = true;
        // A mouse out of reach ignores the command; the reply read then reports status 0.
        if (m_mouse)
            m_mouse->forwardedCommand(report.mid(2, 30));
        return true;
    }
    m_lastForwarded = false;
    ++m_counters.receiverCommands;
    if (m_refuse > 0) {
        --m_refuse;
        m_reply = QByteArray::fromHex("0000");
        return true;
    }
    const quint8 second = quint8(report.at(2));
    switch (first) {
    case 0xA0:
        if (second == 0x81) {
            m_waiting = true;
            m_addressSet = false;
            m_reply = QByteArray::fromHex("0100");
        } else {
            m_reply = QByteArray::fromHex("0000");
        }
        break;
    case 0xA1:
        if (second == 0x8F) {
            m_address = quint32(quint8(report.at(3))) | (quint32(quint8(report.at(4))) << 8)
                | (quint32(quint8(report.at(5))) << 16) | (quint32(quint8(report.at(6))) << 24);
            m_addressSet = true;
        }
        m_reply = QByteArray::fromHex("0100");
        break;
    case 0xA7:
        m_reply = QByteArray(1, '\1');
        m_reply.append(char(m_waiting ? 1 : 0));
        break;
    default:
        m_reply = QByteArray::fromHex("0000");
        break;
    }
    return true;
}

QByteArray FalconReceiverFirmware::readInputReport()
{
    FalconMouseFirmware *mouse = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_vanish.exchange())
            return QByteArray();
        ++m_counters.inputReports;
        if (!m_lastForwarded) {
            QByteArray report(kReportLength, '\0');
            report[0] = char(0xBA);
            report.replace(1, m_reply.size(), m_reply);
            return report;
        }
        mouse = m_mouse;
    }
    // A forwarded command: the paired mouse's reply, or "not accepted" when no mouse answers.
    QByteArray report = mouse ? mouse->readInputReport() : QByteArray();
    if (report.isEmpty()) {
        report = QByteArray(kReportLength, '\0');
        report[0] = char(0xBA);
    }
    return report;
}

void FalconReceiverFirmware::vanishAfter(int n) { QMutexLocker l(&m_mutex); m_vanish.arm(n); }
void FalconReceiverFirmware::setVanished(bool gone) { QMutexLocker l(&m_mutex); m_vanish.setGone(gone); }
bool FalconReceiverFirmware::vanished() const { QMutexLocker l(&m_mutex); return m_vanish.gone(); }
void FalconReceiverFirmware::refuseCommands(int n) { QMutexLocker l(&m_mutex); m_refuse = qMax(0, n); }
FalconReceiverFirmware::Counters FalconReceiverFirmware::counters() const { QMutexLocker l(&m_mutex); return m_counters; }
