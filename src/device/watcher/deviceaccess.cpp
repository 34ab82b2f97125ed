#include "device/watcher/deviceaccess.h"

#include "catalog/modelcatalog.h"
#include "common/texttable.h"
#include "device/watcher/producttable.h"
#include "hid/hidbackend.h"

#include <QFile>

namespace DeviceAccess {

namespace {
QString hex4(USHORT v) { return QStringLiteral("%1").arg(v, 4, 16, QLatin1Char('0')); }

// One rule line; accessFix() looks for exactly this text in an installed file.
QString ruleLine(USHORT vendor, USHORT product)
{
    return QStringLiteral("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\"")
        .arg(hex4(vendor), hex4(product));
}

// A sentence of the text table, or its English wording when no table is loaded (qkdriverctl).
QString sentence(int number, const char *english)
{
    const QString text = TextTable::text(number);
    return text.isEmpty() ? QString::fromUtf8(english) : text;
}
} // namespace

QString rulesFileName()
{
    return QStringLiteral("70-qkdriver.rules");
}

QList<SupportedId> supportedIds(USHORT vendorId)
{
    QList<SupportedId> ids;
    auto add = [&](USHORT vendor, USHORT product, const QString &what) {
        for (const SupportedId &id : qAsConst(ids))
            if (id.vendorId == vendor && id.productId == product)
                return;
        ids.append({vendor, product, what});
    };
    bool falconLoader = false;
    bool ospreyLoader = false;
    for (const Catalog::Model &m : Catalog::models()) {
        const QString name = QString::fromUtf8(m.displayName);
        add(vendorId, m.cableId, name + QStringLiteral(", cable"));
        if (m.hasReceiver())
            add(vendorId, m.receiverId, name + QStringLiteral(", receiver"));
        (m.bootLoader == Catalog::BootLoader::Falcon ? falconLoader : ospreyLoader) = true;
    }
    if (falconLoader)
        add(vendorId, ProductTable::kFalconBootProductId, QStringLiteral("Falcon-family boot loader"));
    if (ospreyLoader)
        add(ProductTable::kLoaderVendorId, ProductTable::kLoaderProductId,
            QStringLiteral("Osprey-family boot loader"));
    return ids;
}

QString udevRules(USHORT vendorId)
{
    QString text = QStringLiteral(
        "# QKDriver: lets the user signed in at this computer open the mice, receivers and boot\n"
        "# loaders that QKDriver and qkdriverctl configure (their hidraw nodes).\n"
        "# Written by \"qkdriverctl udev-rules\" for vendor id %1. Installed by hand:\n"
        "#   qkdriverctl udev-rules | sudo tee /etc/udev/rules.d/%2\n"
        "#   sudo udevadm control --reload-rules\n"
        "# then plug the device in again.\n")
        .arg(hex4(vendorId), rulesFileName());
    for (const SupportedId &id : supportedIds(vendorId))
        text += QStringLiteral("\n# %1\n%2\n").arg(id.what, ruleLine(id.vendorId, id.productId));
    return text;
}

QList<Blocked> blockedDevices(const QList<HidrawNodes::Node> &nodes, USHORT vendorId)
{
    const QList<SupportedId> ids = supportedIds(vendorId);
    QList<Blocked> blocked;
    for (const HidrawNodes::Node &node : nodes) {
        if (!HidrawNodes::isPermissionError(node.openError))
            continue;
        for (const SupportedId &id : ids)
            if (id.vendorId == node.vendorId && id.productId == node.productId) {
                blocked.append({node, id.what});
                break;
            }
    }
    return blocked;
}

QStringList rulesLocations(const QString &root)
{
    // /etc overrides a packaged file of the same name; /lib is /usr/lib on a merged-/usr system.
    QStringList out;
    for (const char *dir : {"/etc/udev/rules.d/", "/usr/lib/udev/rules.d/", "/lib/udev/rules.d/"})
        out << root + QLatin1String(dir) + rulesFileName();
    return out;
}

QStringList accessFix(const QList<Blocked> &blocked, const QString &root)
{
    if (blocked.isEmpty())
        return {};
    QStringList lines;
    lines << sentence(401, "The mouse is connected, but this user may not open it:");
    for (const Blocked &b : blocked)
        lines << QStringLiteral("  %1 (%2, %3:%4)")
                     .arg(b.node.devicePath, b.what, hex4(b.node.vendorId), hex4(b.node.productId));

    // The rule in force is the first file found: one in /etc hides the packaged one.
    bool namesAll = false;
    for (const QString &path : rulesLocations(root)) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString rules = QString::fromUtf8(f.readAll());
        namesAll = true;
        for (const Blocked &b : blocked)
            namesAll = namesAll && rules.contains(ruleLine(b.node.vendorId, b.node.productId));
        break;
    }
    if (namesAll) {
        lines << sentence(403, "The device rule is installed. Reload it and plug the mouse in again; "
                               "it gives access to the user signed in at the computer itself, not "
                               "to a remote session:");
    } else {
        lines << sentence(402, "Install the device rule, reload the rules and plug the mouse in again:");
        lines << QStringLiteral("  qkdriverctl udev-rules | sudo tee /etc/udev/rules.d/%1").arg(rulesFileName());
    }
    lines << QStringLiteral("  sudo udevadm control --reload-rules")
          << QStringLiteral("  sudo udevadm trigger --subsystem-match=hidraw --action=add");
    return lines;
}

QList<Blocked> systemBlockedDevices()
{
    // Devices of an installed backend (the emulators' virtual bus) have no nodes to open.
    if (HidBackend::installed())
        return {};
    // Only the nodes of supported devices are opened, never a keyboard's or anyone else's.
    const USHORT vendor = ProductTable::vendorId();
    const QList<SupportedId> ids = supportedIds(vendor);
    QList<HidrawNodes::Node> nodes = HidrawNodes::scan(QStringLiteral("/sys"), QStringLiteral("/dev"), {});
    for (HidrawNodes::Node &node : nodes)
        for (const SupportedId &id : ids)
            if (id.vendorId == node.vendorId && id.productId == node.productId)
                node.openError = HidrawNodes::openForReadWrite(node.devicePath);
    return blockedDevices(nodes, vendor);
}

QStringList systemAccessFix()
{
    return accessFix(systemBlockedDevices());
}

} // namespace DeviceAccess
