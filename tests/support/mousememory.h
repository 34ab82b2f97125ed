#pragma once
// What a simulated mouse holds, read from its emulator's memory and decoded with the managers'
// own rules, for tests of the pages: the DPI stages, the report rate and raw profile bytes.

#include "sim/virtualhiddevice.h"

#include <QByteArray>
#include <QList>
#include <memory>

class MouseMemory
{
public:
    // device: a FalconMouseDevice or an OspreyMouseDevice; modelCode: its model.
    MouseMemory(std::shared_ptr<VirtualHidDevice> device, int modelCode);

    // The stages as the mouse keeps them: the Falcon family its packed table (up to its stage
    // count), the Osprey family its seven positions (0 = unused).
    QList<int> dpiStages() const;
    // Rate index 0..3 (125, 250, 500, 1000 Hz).
    int reportRate() const;
    // Falcon family: bytes at a memory address; Osprey family: bytes at an offset of the 234-byte
    // settings block.
    QByteArray bytes(int at, int length) const;
    // Osprey family: the 1024-byte macro block of a button's macro address (0x8C, 0x90, ...);
    // empty for another family or an address without a block.
    QByteArray macroBlock(int address) const;

private:
    std::shared_ptr<VirtualHidDevice> m_device;
    int m_model;
};
