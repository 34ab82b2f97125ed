#pragma once
// The Heron's driver: the Osprey family's command set, except that the Heron does not use the
// profile checksum. Its check always passes and leaves the bytes 476..480 of a profile as they
// are, so a profile write sends back what the last read delivered there.

#include "device/osprey/usbdriver_osprey.h"

class USBDriver_Heron : public USBDriver_Osprey
{
    Q_OBJECT
public:
    explicit USBDriver_Heron(QObject *parent = nullptr);

    // 72: true for any non-null buffer, which it does not change; false for a null buffer.
    bool ProfileChecksum(BYTE *profile) override;
};
