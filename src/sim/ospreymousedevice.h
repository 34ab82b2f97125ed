#pragma once
// An Osprey-family mouse or Heron on the virtual bus: interface 1 is the command channel
// (feature report 5, 6 bytes), interface 2 the data channel (feature report 6, 1032 bytes);
// both lead to one firmware model.

#include "sim/ospreymousefirmware.h"
#include "sim/persistentdevice.h"
#include "sim/virtualhiddevice.h"

class OspreyMouseDevice : public VirtualHidDevice, public PersistentDevice
{
public:
    QByteArray saveState() const override;
    bool restoreState(const QByteArray &state) override;

    // productId: 0x4118, 0x4122, 0x4123, 0x4124, 0x4126, 0x4161 or 0x4162.
    explicit OspreyMouseDevice(USHORT productId);

    OspreyMouseFirmware &firmware() { return m_firmware; }

protected:
    int onSetFeatureReport(int index, const QByteArray &report) override;
    int onGetFeatureReport(int index, BYTE reportId, int length, QByteArray *report) override;

private:
    OspreyMouseFirmware m_firmware;
};
