#pragma once
// A connection that records every transfer of the connection it wraps in the HID trace
// (hidtrace.h) and otherwise passes everything through unchanged.

#include "hid/hidconnection.h"

#include <memory>

class TracingConnection final : public HidConnection
{
public:
    TracingConnection(std::unique_ptr<HidConnection> inner, const QString &traceFile);

    int writeOutputReport(const QByteArray &report) override;
    int readInputReport(QByteArray *report, int maxLength, int timeoutMs) override;
    int getInputReport(BYTE reportId, int length, QByteArray *report) override;
    int setFeatureReport(const QByteArray &report) override;
    int getFeatureReport(BYTE reportId, int length, QByteArray *report) override;
    QString path() const override { return m_inner->path(); }
    QString lastError() const override { return m_inner->lastError(); }

private:
    void record(bool out, const char *kind, const QByteArray &bytes, int result) const;

    std::unique_ptr<HidConnection> m_inner;
    QString m_file;
};
