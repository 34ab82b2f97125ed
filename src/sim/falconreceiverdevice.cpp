#include "sim/falconreceiverdevice.h"

#include "device/watcher/producttable.h"
#include "sim/stubhiddevice.h"

#include <QMutexLocker>

namespace {
constexpr int kVendorInterface = 1;
}

FalconReceiverDevice::FalconReceiverDevice(USHORT receiverProductId,
                                           std::shared_ptr<FalconMouseDevice> pairedMouse)
    : VirtualHidDevice(StubHidDevice::productInterfaces(receiverProductId)),
      m_firmware(receiverProductId), m_mouse(std::move(pairedMouse))
{
    if (m_mouse)
        m_firmware.pairWith(&m_mouse->firmware());
}

std::shared_ptr<FalconReceiverDevice> FalconReceiverDevice::withPartnerMouse(USHORT receiverProductId)
{
    const int cable = ProductTable::wiredPartner(receiverProductId);
    auto mouse = cable ? std::make_shared<FalconMouseDevice>(USHORT(cable)) : nullptr;
    return std::make_shared<FalconReceiverDevice>(receiverProductId, std::move(mouse));
}

std::shared_ptr<FalconMouseDevice> FalconReceiverDevice::pairedMouse() const
{
    QMutexLocker lock(&mutex());
    return m_mouse;
}

bool FalconReceiverDevice::switchMouseOn(std::shared_ptr<FalconMouseDevice> mouse)
{
    QMutexLocker lock(&mutex());
    if (!mouse || !m_firmware.switchMouseOn(&mouse->firmware()))
        return false;
    m_mouse = std::move(mouse);
    return true;
}

void FalconReceiverDevice::setAutoSwitchOn(bool on)
{
    QMutexLocker lock(&mutex());
    m_autoSwitchOn = on;
}

int FalconReceiverDevice::onOutputReport(int index, const QByteArray &report)
{
    if (index != kVendorInterface)
        return -1;
    if (!m_firmware.writeOutputReport(report))
        return -1;
    if (m_autoSwitchOn && m_mouse && m_firmware.pairingMode())
        m_firmware.switchMouseOn(&m_mouse->firmware());
    return report.size();
}

int FalconReceiverDevice::onGetInputReport(int index, BYTE reportId, int length, QByteArray *report)
{
    if (index != kVendorInterface || reportId != 0xBA)
        return -1;
    const QByteArray in = m_firmware.readInputReport();
    if (in.isEmpty())
        return -1;
    *report = in.left(length);
    return report->size();
}

// The receiver itself keeps nothing worth keeping; its mouse does.
QByteArray FalconReceiverDevice::saveState() const
{
    const auto mouse = pairedMouse();
    return mouse ? mouse->saveState() : QByteArray();
}

bool FalconReceiverDevice::restoreState(const QByteArray &state)
{
    const auto mouse = pairedMouse();
    return mouse && mouse->restoreState(state);
}
