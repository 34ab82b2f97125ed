#include "sim/falconmousedevice.h"

#include "device/watcher/producttable.h"
#include "sim/stubhiddevice.h"

#include <QMutexLocker>

namespace {
QString bootProductString(USHORT cableProductId)
{
    return StubHidDevice::displayName(ProductTable::mouseTypeOf(cableProductId)) + QStringLiteral(" Boot");
}
constexpr int kVendorInterface = 1;
} // namespace

FalconMouseDevice::FalconMouseDevice(USHORT cableProductId, Mode startIn)
    : VirtualHidDevice(startIn == Mode::Mouse
                           ? StubHidDevice::productInterfaces(cableProductId)
                           : StubHidDevice::falconBootInterfaces(bootProductString(cableProductId))),
      m_firmware(cableProductId),
      m_boot(std::make_unique<IspBootLoaderFirmware>(cableProductId, bootProductString(cableProductId))),
      m_mode(startIn)
{
    // Both handlers run inside a transfer, with the device lock held.
    m_firmware.setRestartHandler([this] { enterBootLoader(); });
    m_boot->setRunHandler([this](const QByteArray &image) { leaveBootLoader(image); });
}

FalconMouseDevice::Mode FalconMouseDevice::mode() const
{
    QMutexLocker lock(&mutex());
    return m_mode;
}

int FalconMouseDevice::restarts() const
{
    QMutexLocker lock(&mutex());
    return m_restarts;
}

int FalconMouseDevice::runs() const
{
    QMutexLocker lock(&mutex());
    return m_runs;
}

void FalconMouseDevice::enterBootLoader()
{
    ++m_restarts;
    m_mode = Mode::BootLoader;
    const USHORT pid = m_firmware.productId();
    m_boot = std::make_unique<IspBootLoaderFirmware>(pid, bootProductString(pid));
    m_boot->setRunHandler([this](const QByteArray &image) { leaveBootLoader(image); });
    reenumerate(StubHidDevice::falconBootInterfaces(bootProductString(pid)));
}

void FalconMouseDevice::leaveBootLoader(const QByteArray &image)
{
    ++m_runs;
    m_mode = Mode::Mouse;
    if (image.size() >= 4) {
        const int n = image.size();
        m_firmware.setFirmwareVersion(quint32(quint8(image.at(n - 4)))
                                      | (quint32(quint8(image.at(n - 3))) << 8)
                                      | (quint32(quint8(image.at(n - 2))) << 16)
                                      | (quint32(quint8(image.at(n - 1))) << 24));
    }
    reenumerate(StubHidDevice::productInterfaces(m_firmware.productId()));
}

int FalconMouseDevice::onOutputReport(int index, const QByteArray &report)
{
    if (m_mode == Mode::BootLoader) {
        // Keep the boot loader alive through the call: a "run" packet replaces it.
        IspBootLoaderFirmware *boot = m_boot.get();
        if (index == 0 && boot->writeOutputReport(report))
            return report.size();
        if (boot->vanished())
            vanish(); // the boot loader dropped off the bus
        return -1;
    }
    if (index != kVendorInterface)
        return -1;
    return m_firmware.writeOutputReport(report) ? report.size() : -1;
}

int FalconMouseDevice::onGetInputReport(int index, BYTE reportId, int length, QByteArray *report)
{
    if (m_mode != Mode::Mouse || index != kVendorInterface || reportId != FalconMouseFirmware::kReportId)
        return -1;
    const QByteArray in = m_firmware.readInputReport();
    if (in.isEmpty())
        return -1;
    *report = in.left(length);
    return report->size();
}

int FalconMouseDevice::onReadInputReport(int index, int maxLength, QByteArray *report)
{
    if (m_mode != Mode::BootLoader || index != 0)
        return 0;
    const QByteArray in = m_boot->readInputReport();
    if (in.isEmpty())
        return m_boot->vanished() ? -1 : 0;
    *report = in.left(maxLength);
    return report->size();
}

QByteArray FalconMouseDevice::saveState() const
{
    return m_firmware.saveState();
}

bool FalconMouseDevice::restoreState(const QByteArray &state)
{
    return m_firmware.restoreState(state);
}
