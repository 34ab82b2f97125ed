#pragma once
// A Falcon-family mouse on the virtual bus, cable side: the firmware model behind the vendor
// interface (report 0xBA), and the ISP boot loader it turns into on a restart request. One USB
// device that re-enumerates, as the real one does:
//
//   mouse mode        the product's interfaces (mouse + vendor interface with report 0xBA)
//   "BA A8" request   → re-enumerates as the boot loader (V:0x3000, product string "<Model> Boot")
//   ISP "run" (AB)    → re-enumerates as the mouse, its firmware version taken from the image
//
// Connections opened before a re-enumeration fail afterwards.

#include "sim/falconmousefirmware.h"
#include "sim/ispbootloaderfirmware.h"
#include "sim/persistentdevice.h"
#include "sim/virtualhiddevice.h"

#include <memory>

class FalconMouseDevice : public VirtualHidDevice, public PersistentDevice
{
public:
    QByteArray saveState() const override;
    bool restoreState(const QByteArray &state) override;

    enum class Mode { Mouse, BootLoader };

    // cableProductId: 0x4130, 0x4137, 0x4138, 0x4139, 0x413A, 0x413B or 0x4132.
    explicit FalconMouseDevice(USHORT cableProductId, Mode startIn = Mode::Mouse);

    FalconMouseFirmware &firmware() { return m_firmware; }
    IspBootLoaderFirmware &bootLoader() { return *m_boot; }
    Mode mode() const;
    int restarts() const;  // restart requests honoured
    int runs() const;      // times the boot loader started an application

protected:
    int onOutputReport(int index, const QByteArray &report) override;
    int onGetInputReport(int index, BYTE reportId, int length, QByteArray *report) override;
    int onReadInputReport(int index, int maxLength, QByteArray *report) override;

private:
    void enterBootLoader();
    void leaveBootLoader(const QByteArray &image);

    FalconMouseFirmware m_firmware;
    std::unique_ptr<IspBootLoaderFirmware> m_boot;
    Mode m_mode;
    int m_restarts = 0;
    int m_runs = 0;
};
