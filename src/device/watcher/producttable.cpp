#include "device/watcher/producttable.h"

#include "common/mousetype.h"

#include <QDebug>

namespace ProductTable {

namespace {
using MT = MouseType::Code;

QList<Product> makeTable()
{
    const Link C = Link::Cable;
    const Link R = Link::Receiver;
    return {
        {0x4130, C, MT::Falcon, Driver::Falcon, 0x4130, 0x1804},
        {0x1804, R, MT::Falcon, Driver::Falcon, 0x4130, 0x1804},
        {0x4137, C, MT::FalconC, Driver::Falcon, 0x4137, 0x180A},
        {0x180A, R, MT::FalconC, Driver::Falcon, 0x4137, 0x180A},
        {0x4138, C, MT::FalconQ, Driver::Falcon, 0x4138, 0x180B},
        {0x180B, R, MT::FalconQ, Driver::Falcon, 0x4138, 0x180B},
        {0x4139, C, MT::KiteC, Driver::Falcon, 0x4139, 0x180C},
        {0x180C, R, MT::KiteC, Driver::Falcon, 0x4139, 0x180C},
        {0x413A, C, MT::KiteQ, Driver::Falcon, 0x413A, 0x180D},
        {0x180D, R, MT::KiteQ, Driver::Falcon, 0x413A, 0x180D},
        {0x413B, C, MT::FalconEU, Driver::Falcon, 0x413B, 0x180F},
        {0x180F, R, MT::FalconEU, Driver::Falcon, 0x413B, 0x180F},
        {0x4132, C, MT::Kite, Driver::Falcon, 0x4132, 0x4133},
        {0x4133, R, MT::Kite, Driver::Falcon, 0x4132, 0x4133},
        {0x4118, C, MT::WrenS, Driver::Osprey, 0, 0},
        {0x4122, C, MT::Osprey, Driver::Osprey, 0, 0},
        {0x4123, C, MT::Swift, Driver::Osprey, 0, 0},
        {0x4124, C, MT::SwiftS, Driver::Osprey, 0, 0},
        {0x4126, C, MT::Wren, Driver::Osprey, 0, 0},
        {0x4161, C, MT::Heron, Driver::Heron, 0, 0},
        {0x4162, C, MT::Lark, Driver::Osprey, 0, 0},
    };
}
} // namespace

USHORT vendorId()
{
    const QByteArray text = qgetenv("QKDRIVER_VENDOR_ID").trimmed();
    if (text.isEmpty())
        return kPlaceholderVendorId;
    bool ok = false;
    const uint v = text.toUInt(&ok, 16); // accepts an optional "0x"
    if (!ok || v == 0 || v > 0xFFFF) {
        static bool warned = false;
        if (!warned) {
            warned = true;
            qWarning() << "QKDRIVER_VENDOR_ID is not a 16-bit hexadecimal number:" << text;
        }
        return kPlaceholderVendorId;
    }
    return USHORT(v);
}

const QList<Product> &products()
{
    static const QList<Product> table = makeTable();
    return table;
}

std::optional<Product> find(int productId)
{
    for (const Product &p : products()) {
        if (p.productId == productId)
            return p;
    }
    return std::nullopt;
}

int mouseTypeOf(int productId)
{
    const auto p = find(productId);
    return p ? p->mouseType : 0;
}

bool isReceiverId(int productId)
{
    const auto p = find(productId);
    return p && p->link == Link::Receiver;
}

int wiredPartner(int receiverId)
{
    const auto p = find(receiverId);
    return p && p->link == Link::Receiver ? p->wiredId : 0;
}

int receiverPartner(int cableId)
{
    const auto p = find(cableId);
    return p && p->link == Link::Cable && p->driver == Driver::Falcon ? p->wirelessId : 0;
}

int linkModeOf(int productId)
{
    return isReceiverId(productId) ? 1 : 0;
}

QString selector(USHORT vendor, USHORT product)
{
    return QStringLiteral("VID_%1&PID_%2")
        .arg(QString::number(vendor, 16).toUpper().rightJustified(4, QLatin1Char('0')),
             QString::number(product, 16).toLower().rightJustified(4, QLatin1Char('0')));
}

QString wiredSelector(int productId)
{
    const auto p = find(productId);
    return p && p->wiredId ? selector(vendorId(), p->wiredId) : QString();
}

QString wirelessSelector(int productId)
{
    const auto p = find(productId);
    return p && p->wirelessId ? selector(vendorId(), p->wirelessId) : QString();
}

int bootTypeFromProductString(const QString &productString)
{
    if (productString.contains(QLatin1String("FalconEU")))
        return MT::FalconEU;
    if (productString.contains(QLatin1String("Kite")))
        return MT::Kite;
    return MT::None;
}

int bootTypeFromReleaseNumber(USHORT releaseNumber)
{
    switch (releaseNumber) {
    case 0x4118: return MT::WrenS;
    case 0x4122: return MT::Osprey;
    case 0x4123: return MT::Swift;
    case 0x4124: return MT::SwiftS;
    case 0x4126: return MT::Wren;
    case 0x4161: return MT::Heron;
    case 0x4162: return MT::Lark;
    default: return MT::None;
    }
}

} // namespace ProductTable
