#pragma once
// An emulated device whose memory can outlive the process: the demonstration mode keeps each
// simulated mouse's state in the application folder, so settings written in one run are there
// in the next, as on a real mouse.

#include <QByteArray>

class PersistentDevice
{
public:
    virtual ~PersistentDevice() = default;
    // The device's memory and settings as an opaque blob.
    virtual QByteArray saveState() const = 0;
    // Restores a blob of saveState(); false (device unchanged) when it is not one.
    virtual bool restoreState(const QByteArray &state) = 0;
};
