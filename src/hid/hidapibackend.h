#pragma once
// The system's HID devices through hidapi (hidraw on Linux). Usage page, usage, report lengths
// and report ids come from each interface's report descriptor (sysfs "report_descriptor" of the
// hidraw node on Linux), one HidDeviceInfo per top-level collection. When the descriptor cannot
// be read or is rejected, the interface is still listed with hidapi's usage page and usage and
// no report lengths, and the reason is logged once per path.

#include "hid/hidbackend.h"

#include <QMutex>
#include <QSet>

class HidapiBackend final : public HidBackend
{
public:
    HidapiBackend();
    ~HidapiBackend() override;

    bool enumerate(QList<HidDeviceInfo> *out) override;

    // The report descriptor of a hidraw node ("/dev/hidrawN"), read from sysfs; empty when
    // there is none to read.
    static QByteArray readSysfsDescriptor(const QString &devicePath);

protected:
    std::unique_ptr<HidConnection> openPath(const QString &path) override;

private:
    QMutex m_mutex; // hidapi's enumeration and open are not reentrant
    bool m_initialised = false;
    QSet<QString> m_reported; // paths whose descriptor problem was logged already
};
