#pragma once
// The Heron's device manager: the Osprey family's manager with the Heron's DPI codes (its
// catalog row's, whatever model code a caller names) and default DPI gear 2.

#include "profile/usbdrivermanger_osprey.h"

class UsbDriverManger_Heron : public UsbDriverManger_Osprey
{
    Q_OBJECT
public:
    explicit UsbDriverManger_Heron(int modelCode = 0, QObject *parent = nullptr);

    // The Heron's codec (table B by the low byte); 0 for a code the table lacks.
    int buildDPIValue(BYTE low, BYTE high) override;
    // The Heron's codec (table B, high byte 0); false for a value without a code.
    bool SetCPIStageMatrix(int modelCode, DWORD dpi, BYTE &low, BYTE &high) override;
    // 2.
    int returnDefaultDPIGear() override;
};
