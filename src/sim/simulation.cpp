#include "simulation.h"

#include "mousetype.h"
#include "producttable.h"
#include "falconmousedevice.h"
#include "falconreceiverdevice.h"
#include "ospreymousedevice.h"
#include "stubhiddevice.h"

#include <QDebug>

namespace {
std::unique_ptr<VirtualHidBus> g_bus;

QStringList splitNames(const QString &text)
{
    QStringList out;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = part.trimmed().toLower();
        if (!name.isEmpty())
            out.append(name);
    }
    return out;
}
} // namespace

namespace Simulation {

std::optional<QStringList> requestedDevices(const QStringList &arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a.startsWith(QLatin1String("--simulate=")))
            return splitNames(a.mid(int(qstrlen("--simulate="))));
        if (a == QLatin1String("--simulate")) {
            const QString next = arguments.value(i + 1);
            if (next.isEmpty() || next.startsWith(QLatin1Char('-')))
                return QStringList();
            return splitNames(next);
        }
    }
    if (qEnvironmentVariableIsSet("QKDRIVER_SIMULATE"))
        return splitNames(qEnvironmentVariable("QKDRIVER_SIMULATE"));
    return std::nullopt;
}

QStringList deviceNames()
{
    QStringList names;
    for (const ProductTable::Product &p : ProductTable::products()) {
        const QString model = MouseType::modelName(p.mouseType);
        if (p.link == ProductTable::Link::Receiver) {
            names << model + QStringLiteral("-receiver");
        } else {
            names << model << model + QStringLiteral("-boot");
        }
    }
    return names;
}

std::shared_ptr<VirtualHidDevice> createDevice(const QString &name)
{
    for (const ProductTable::Product &p : ProductTable::products()) {
        const QString model = MouseType::modelName(p.mouseType);
        const bool receiver = p.link == ProductTable::Link::Receiver;
        const bool falcon = p.driver == ProductTable::Driver::Falcon;
        if (receiver && name == model + QStringLiteral("-receiver"))
            return FalconReceiverDevice::withPartnerMouse(p.productId);
        if (!receiver && name == model) {
            if (falcon)
                return std::make_shared<FalconMouseDevice>(p.productId);
            return std::make_shared<OspreyMouseDevice>(p.productId);
        }
        if (!receiver && name == model + QStringLiteral("-boot")) {
            if (falcon)
                return std::make_shared<FalconMouseDevice>(p.productId, FalconMouseDevice::Mode::BootLoader);
            return StubHidDevice::loader(p.productId);
        }
    }
    return nullptr;
}

bool install(const QStringList &names, QString *error)
{
    auto bus = std::make_unique<VirtualHidBus>();
    for (const QString &name : names) {
        auto device = createDevice(name);
        if (!device) {
            if (error)
                *error = QStringLiteral("Unknown device \"%1\" for --simulate; known: %2")
                             .arg(name, deviceNames().join(QStringLiteral(", ")));
            return false;
        }
        bus->plug(std::move(device));
    }
    HidBackend::install(bus.get());
    g_bus = std::move(bus); // the previous bus (if any) goes only after the new one is in place
    qDebug() << "Simulated HID devices:" << names;
    return true;
}

void uninstall()
{
    if (g_bus && HidBackend::installed() == g_bus.get())
        HidBackend::install(nullptr);
    g_bus.reset();
}

VirtualHidBus *bus()
{
    return g_bus.get();
}

} // namespace Simulation
