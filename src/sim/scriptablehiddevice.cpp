#include "sim/scriptablehiddevice.h"

ScriptableHidDevice::ScriptableHidDevice(const QList<HidDeviceInfo> &interfaces)
    : VirtualHidDevice(interfaces)
{
}

void ScriptableHidDevice::queueInputReport(int index, const QByteArray &report)
{
    QMutexLocker lock(&mutex());
    m_input[index].queue.enqueue(report);
}

void ScriptableHidDevice::setStandingInputReport(int index, const QByteArray &report)
{
    QMutexLocker lock(&mutex());
    m_input[index].standing = report;
    m_input[index].hasStanding = true;
}

void ScriptableHidDevice::queueFeatureReport(int index, const QByteArray &report)
{
    QMutexLocker lock(&mutex());
    m_feature[index].queue.enqueue(report);
}

void ScriptableHidDevice::setStandingFeatureReport(int index, const QByteArray &report)
{
    QMutexLocker lock(&mutex());
    m_feature[index].standing = report;
    m_feature[index].hasStanding = true;
}

void ScriptableHidDevice::setRefuseWrites(int index, bool refuse)
{
    QMutexLocker lock(&mutex());
    m_refuse[index] = refuse;
}

void ScriptableHidDevice::setReaction(Reaction reaction)
{
    QMutexLocker lock(&mutex());
    m_reaction = std::move(reaction);
}

QList<ScriptableHidDevice::Sent> ScriptableHidDevice::sent() const
{
    QMutexLocker lock(&mutex());
    return m_sent;
}

QList<QByteArray> ScriptableHidDevice::sentReports(int index) const
{
    QMutexLocker lock(&mutex());
    QList<QByteArray> out;
    for (const Sent &s : m_sent) {
        if (s.index == index)
            out.append(s.report);
    }
    return out;
}

int ScriptableHidDevice::inputRequests() const
{
    QMutexLocker lock(&mutex());
    return m_inputRequests;
}

int ScriptableHidDevice::featureRequests() const
{
    QMutexLocker lock(&mutex());
    return m_featureRequests;
}

void ScriptableHidDevice::clearLog()
{
    QMutexLocker lock(&mutex());
    m_sent.clear();
    m_inputRequests = 0;
    m_featureRequests = 0;
}

bool ScriptableHidDevice::next(Replies &replies, QByteArray *reply)
{
    if (!replies.queue.isEmpty()) {
        *reply = replies.queue.dequeue();
        return true;
    }
    if (replies.hasStanding) {
        *reply = replies.standing;
        return true;
    }
    return false;
}

int ScriptableHidDevice::received(int index, Transfer kind, const QByteArray &report)
{
    const Sent s{index, kind, report};
    m_sent.append(s);
    if (m_refuse.value(index, false))
        return -1;
    if (m_reaction)
        m_reaction(*this, s);
    return report.size();
}

int ScriptableHidDevice::onOutputReport(int index, const QByteArray &report)
{
    return received(index, Transfer::OutputReport, report);
}

int ScriptableHidDevice::onSetFeatureReport(int index, const QByteArray &report)
{
    return received(index, Transfer::SetFeature, report);
}

int ScriptableHidDevice::onReadInputReport(int index, int, QByteArray *report)
{
    ++m_inputRequests;
    QByteArray reply;
    if (!next(m_input[index], &reply))
        return 0; // nothing to send
    if (reply.isNull())
        return -1;
    *report = reply;
    return reply.size();
}

int ScriptableHidDevice::onGetInputReport(int index, BYTE, int, QByteArray *report)
{
    ++m_inputRequests;
    QByteArray reply;
    if (!next(m_input[index], &reply) || reply.isNull())
        return -1;
    *report = reply;
    return reply.size();
}

int ScriptableHidDevice::onGetFeatureReport(int index, BYTE, int, QByteArray *report)
{
    ++m_featureRequests;
    QByteArray reply;
    if (!next(m_feature[index], &reply) || reply.isNull())
        return -1;
    *report = reply;
    return reply.size();
}
