#include "device/watcher/producttable.h"

#include "catalog/modelcatalog.h"

#include <QDebug>

namespace ProductTable {

namespace {
// Built from the model catalog: for each model its cable id, then its receiver id if it has one.
QList<Product> makeTable()
{
    QList<Product> table;
    for (const Catalog::Model &m : Catalog::models()) {
        const Driver driver = m.family == Catalog::Family::Falcon ? Driver::Falcon
                              : m.family == Catalog::Family::Heron ? Driver::Heron
                                                                   : Driver::Osprey;
        const USHORT wired = driver == Driver::Falcon ? m.cableId : USHORT(0);
        const USHORT wireless = driver == Driver::Falcon ? m.receiverId : USHORT(0);
        table.append({m.cableId, Link::Cable, m.code, driver, wired, wireless});
        if (m.hasReceiver())
            table.append({m.receiverId, Link::Receiver, m.code, driver, wired, wireless});
    }
    return table;
}
} // namespace

USHORT vendorId()
{
    const QByteArray text = qgetenv("QKDRIVER_VENDOR_ID").trimmed();
    if (text.isEmpty())
        return kBuildVendorId;
    bool ok = false;
    const uint v = text.toUInt(&ok, 16); // accepts an optional "0x"
    if (!ok || v == 0 || v > 0xFFFF) {
        static bool warned = false;
        if (!warned) {
            warned = true;
            qWarning() << "QKDRIVER_VENDOR_ID is not a 16-bit hexadecimal number:" << text;
        }
        return kBuildVendorId;
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
    return Catalog::bootModelFromProductString(productString);
}

int bootTypeFromReleaseNumber(USHORT releaseNumber)
{
    return Catalog::bootModelFromReleaseNumber(releaseNumber);
}

} // namespace ProductTable
