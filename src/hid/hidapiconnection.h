#pragma once
// One interface opened through hidapi.

#include "hid/hidconnection.h"

struct hid_device_;

class HidapiConnection final : public HidConnection
{
public:
    // numberedInput: whether the interface's input reports carry a report id (hidraw then
    // delivers it in byte 0); for unnumbered interfaces the id 0 is put in front of each report.
    HidapiConnection(hid_device_ *device, const QString &path, bool numberedInput = true);
    ~HidapiConnection() override;
    HidapiConnection(const HidapiConnection &) = delete;
    HidapiConnection &operator=(const HidapiConnection &) = delete;

    int writeOutputReport(const QByteArray &report) override;
    int readInputReport(QByteArray *report, int maxLength, int timeoutMs) override;
    int getInputReport(BYTE reportId, int length, QByteArray *report) override;
    int setFeatureReport(const QByteArray &report) override;
    int getFeatureReport(BYTE reportId, int length, QByteArray *report) override;
    QString path() const override { return m_path; }
    QString lastError() const override { return m_lastError; }

private:
    int finish(int result);

    hid_device_ *m_device;
    QString m_path;
    bool m_numberedInput;
    QString m_lastError;
};
