#include "hid/tracingconnection.h"

#include "hid/hidtrace.h"

TracingConnection::TracingConnection(std::unique_ptr<HidConnection> inner,
                                     const QString &traceFile)
    : m_inner(std::move(inner)), m_file(traceFile)
{
}

void TracingConnection::record(bool out, const char *kind, const QByteArray &bytes,
                               int result) const
{
    HidTrace::append(m_file, out ? QStringLiteral("out") : QStringLiteral("in"), m_inner->path(),
                     QString::fromLatin1(kind), bytes, result);
}

int TracingConnection::writeOutputReport(const QByteArray &report)
{
    const int r = m_inner->writeOutputReport(report);
    record(true, "output", report, r);
    return r;
}

int TracingConnection::readInputReport(QByteArray *report, int maxLength, int timeoutMs)
{
    QByteArray got;
    const int r = m_inner->readInputReport(&got, maxLength, timeoutMs);
    // A read that timed out moved no report; logging it would bury the traffic under polls.
    if (r != 0)
        record(false, "input", r > 0 ? got : QByteArray(), r);
    if (report)
        *report = got;
    return r;
}

int TracingConnection::getInputReport(BYTE reportId, int length, QByteArray *report)
{
    QByteArray got;
    const int r = m_inner->getInputReport(reportId, length, &got);
    record(false, "input", r >= 0 ? got : QByteArray(1, char(reportId)), r);
    if (report)
        *report = got;
    return r;
}

int TracingConnection::setFeatureReport(const QByteArray &report)
{
    const int r = m_inner->setFeatureReport(report);
    record(true, "feature", report, r);
    return r;
}

int TracingConnection::getFeatureReport(BYTE reportId, int length, QByteArray *report)
{
    QByteArray got;
    const int r = m_inner->getFeatureReport(reportId, length, &got);
    record(false, "feature", r >= 0 ? got : QByteArray(1, char(reportId)), r);
    if (report)
        *report = got;
    return r;
}
