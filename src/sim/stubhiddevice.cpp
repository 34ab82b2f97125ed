#include "sim/stubhiddevice.h"

#include "common/mousetype.h"
#include "device/watcher/producttable.h"

namespace {
HidDeviceInfo base(USHORT vendor, USHORT product, USHORT release, const QString &name)
{
    HidDeviceInfo i;
    i.vendorId = vendor;
    i.productId = product;
    i.releaseNumber = release;
    i.productString = name;
    return i;
}

HidDeviceInfo mouseInterface(HidDeviceInfo i)
{
    i.usagePage = 0x0001;
    i.usage = 0x0002;
    i.interfaceNumber = 0;
    i.inputReportLength = 8;
    i.inputReportId = 1;
    return i;
}
} // namespace

StubHidDevice::StubHidDevice(const QList<HidDeviceInfo> &interfaces)
    : VirtualHidDevice(interfaces)
{
}

QString StubHidDevice::displayName(int mouseType)
{
    switch (mouseType) {
    case MouseType::Swift: return QStringLiteral("Swift");
    case MouseType::Osprey: return QStringLiteral("Osprey");
    case MouseType::Wren: return QStringLiteral("Wren");
    case MouseType::SwiftS: return QStringLiteral("SwiftS");
    case MouseType::WrenS: return QStringLiteral("WrenS");
    case MouseType::KiteC: return QStringLiteral("KiteC");
    case MouseType::KiteQ: return QStringLiteral("KiteQ");
    case MouseType::FalconC: return QStringLiteral("FalconC");
    case MouseType::FalconQ: return QStringLiteral("FalconQ");
    case MouseType::Falcon: return QStringLiteral("Falcon");
    case MouseType::Kite: return QStringLiteral("Kite");
    case MouseType::Heron: return QStringLiteral("Heron");
    case MouseType::FalconEU: return QStringLiteral("FalconEU");
    case MouseType::Lark: return QStringLiteral("Lark");
    default: return QString();
    }
}

QList<HidDeviceInfo> StubHidDevice::productInterfaces(int productId)
{
    const auto p = ProductTable::find(productId);
    if (!p)
        return {};
    QString name = displayName(p->mouseType);
    if (p->link == ProductTable::Link::Receiver)
        name += QStringLiteral(" Receiver");
    const HidDeviceInfo b = base(ProductTable::vendorId(), USHORT(productId), 0x0100, name);

    QList<HidDeviceInfo> out{mouseInterface(b)};
    if (p->driver == ProductTable::Driver::Falcon) {
        HidDeviceInfo v = b;
        v.usagePage = 0xFF00;
        v.usage = 0x0001;
        v.interfaceNumber = 1;
        v.inputReportLength = 32;
        v.outputReportLength = 32;
        v.inputReportId = 0xBA;
        v.outputReportId = 0xBA;
        out.append(v);
    } else {
        HidDeviceInfo command = b;
        command.usagePage = 0xFF00;
        command.usage = 0x0001;
        command.interfaceNumber = 1;
        command.featureReportLength = 6;
        command.featureReportId = 5;
        HidDeviceInfo data = command;
        data.usage = 0x0002;
        data.featureReportLength = 1032;
        data.featureReportId = 6;
        out << command << data;
    }
    return out;
}

QList<HidDeviceInfo> StubHidDevice::falconBootInterfaces(const QString &productString)
{
    HidDeviceInfo i = base(ProductTable::vendorId(), ProductTable::kFalconBootProductId, 0x0100,
                           productString);
    i.usagePage = 0xFF00;
    i.usage = 0x0001;
    i.interfaceNumber = 0;
    i.inputReportLength = 65;
    i.outputReportLength = 65;
    return {i};
}

QList<HidDeviceInfo> StubHidDevice::loaderInterfaces(USHORT normalProductId)
{
    HidDeviceInfo i = base(ProductTable::kLoaderVendorId, ProductTable::kLoaderProductId,
                           normalProductId, QStringLiteral("ISP Loader"));
    i.usagePage = 0xFF00;
    i.usage = 0x0001;
    i.interfaceNumber = 0;
    i.inputReportLength = 65;
    i.outputReportLength = 65;
    return {i};
}

std::shared_ptr<StubHidDevice> StubHidDevice::forProductId(int productId)
{
    const QList<HidDeviceInfo> interfaces = productInterfaces(productId);
    if (interfaces.isEmpty())
        return nullptr;
    return std::make_shared<StubHidDevice>(interfaces);
}

std::shared_ptr<StubHidDevice> StubHidDevice::falconBootLoader(const QString &productString)
{
    return std::make_shared<StubHidDevice>(falconBootInterfaces(productString));
}

std::shared_ptr<StubHidDevice> StubHidDevice::loader(USHORT normalProductId)
{
    return std::make_shared<StubHidDevice>(loaderInterfaces(normalProductId));
}
