#pragma once
// A Falcon-family 2.4 GHz receiver on the virtual bus, with the mouse it talks to over the air.
// The mouse is not on the bus itself (it is not plugged in by cable); commands with link byte
// A5 reach its firmware through the receiver.

#include "sim/falconmousedevice.h"
#include "sim/falconreceiverfirmware.h"
#include "sim/persistentdevice.h"
#include "sim/virtualhiddevice.h"

#include <memory>

class FalconReceiverDevice : public VirtualHidDevice, public PersistentDevice
{
public:
    QByteArray saveState() const override;
    bool restoreState(const QByteArray &state) override;

    // receiverProductId: 0x1804, 0x180A, 0x180B, 0x180C, 0x180D, 0x180F or 0x4133.
    // pairedMouse: the mouse paired at the factory (nullptr: none); kept alive by the receiver.
    FalconReceiverDevice(USHORT receiverProductId, std::shared_ptr<FalconMouseDevice> pairedMouse);

    // A receiver paired with a new mouse of its own model (its wired partner id).
    static std::shared_ptr<FalconReceiverDevice> withPartnerMouse(USHORT receiverProductId);

    FalconReceiverFirmware &firmware() { return m_firmware; }
    std::shared_ptr<FalconMouseDevice> pairedMouse() const;

    // The user switches a mouse on: completes a pairing in progress (see the firmware model).
    bool switchMouseOn(std::shared_ptr<FalconMouseDevice> mouse);
    // A simulated user who switches the receiver's mouse on as soon as the receiver waits for
    // one (the demonstration mode); off by default.
    void setAutoSwitchOn(bool on);

protected:
    int onOutputReport(int index, const QByteArray &report) override;
    int onGetInputReport(int index, BYTE reportId, int length, QByteArray *report) override;

private:
    FalconReceiverFirmware m_firmware;
    std::shared_ptr<FalconMouseDevice> m_mouse;
    bool m_autoSwitchOn = false;
};
