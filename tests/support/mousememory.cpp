#include "support/mousememory.h"

#include "catalog/modelcatalog.h"
#include "profile/usbdrivermangerfalcon.h"
#include "sim/falconmousedevice.h"
#include "sim/ospreymousedevice.h"

namespace {
constexpr int kFalconRate = 0x880;      // report-rate code
constexpr int kFalconDpiTable = 0x888;  // 16-byte stage table
constexpr int kOspreyDpiLow = 58;       // settings block: seven low code bytes, then seven high
constexpr int kOspreyDpiHigh = 66;
constexpr int kOspreyRate = 0;
} // namespace

MouseMemory::MouseMemory(std::shared_ptr<VirtualHidDevice> device, int modelCode)
    : m_device(std::move(device)), m_model(modelCode)
{
}

QByteArray MouseMemory::bytes(int at, int length) const
{
    if (auto *falcon = dynamic_cast<FalconMouseDevice *>(m_device.get()))
        return falcon->firmware().memory(quint32(at), length);
    if (auto *osprey = dynamic_cast<OspreyMouseDevice *>(m_device.get()))
        return osprey->firmware().settings().mid(at, length);
    return {};
}

QByteArray MouseMemory::macroBlock(int address) const
{
    constexpr int kFirstMacroAddress = 0x8C;
    auto *osprey = dynamic_cast<OspreyMouseDevice *>(m_device.get());
    if (!osprey || address < kFirstMacroAddress || (address - kFirstMacroAddress) % 4 != 0)
        return {};
    return osprey->firmware().macroSlot((address - kFirstMacroAddress) / 4);
}

QList<int> MouseMemory::dpiStages() const
{
    QList<int> out;
    if (dynamic_cast<FalconMouseDevice *>(m_device.get())) {
        const QByteArray table = bytes(kFalconDpiTable, 16);
        const QVector<int> values = UsbDriverMangerFalcon::decodeStageTable(
            m_model, reinterpret_cast<const BYTE *>(table.constData()));
        const int count = BYTE(table.at(14)) + 1; // the mouse's last stage index
        for (int i = 0; i < count && i < values.size(); ++i)
            out << values.at(i);
        return out;
    }
    const Catalog::Model *model = Catalog::find(m_model);
    for (int i = 0; i < 7 && model; ++i)
        out << Catalog::decodeDpi(*model, BYTE(bytes(kOspreyDpiLow + i, 1).at(0)),
                                  BYTE(bytes(kOspreyDpiHigh + i, 1).at(0)));
    return out;
}

int MouseMemory::reportRate() const
{
    if (dynamic_cast<FalconMouseDevice *>(m_device.get()))
        return UsbDriverMangerFalcon::rateIndexOfCode(BYTE(bytes(kFalconRate, 1).at(0)));
    return BYTE(bytes(kOspreyRate, 1).at(0));
}
