#include "sim/simulation.h"

#include "common/mousetype.h"
#include "device/watcher/producttable.h"
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "sim/ospreymousedevice.h"
#include "sim/stubhiddevice.h"
#include "common/atomicfile.h"

#include "sim/persistentdevice.h"

#include <QDebug>
#include <QDir>
#include <QFile>

namespace {
std::unique_ptr<VirtualHidBus> g_bus;
QString g_stateFolder;
QList<QPair<QString, std::shared_ptr<VirtualHidDevice>>> g_named; // the installed devices by name

QString stateFile(const QString &name)
{
    return g_stateFolder + QLatin1Char('/') + name + QStringLiteral(".state");
}

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
    QList<QPair<QString, std::shared_ptr<VirtualHidDevice>>> named;
    for (const QString &name : names) {
        auto device = createDevice(name);
        if (!device) {
            if (error)
                *error = QStringLiteral("Unknown device \"%1\" for --simulate; known: %2")
                             .arg(name, deviceNames().join(QStringLiteral(", ")));
            return false;
        }
        auto *persistent = dynamic_cast<PersistentDevice *>(device.get());
        if (persistent && !g_stateFolder.isEmpty()) {
            QFile f(stateFile(name));
            if (f.open(QIODevice::ReadOnly) && !persistent->restoreState(f.readAll()))
                qWarning() << "Simulated device state ignored (unreadable):" << f.fileName();
        }
        named.append({name, device});
        bus->plug(std::move(device));
    }
    saveState(); // the devices being replaced keep what they had
    HidBackend::install(bus.get());
    g_bus = std::move(bus); // the previous bus (if any) goes only after the new one is in place
    g_named = named;
    qDebug() << "Simulated HID devices:" << names;
    return true;
}

void uninstall()
{
    saveState();
    if (g_bus && HidBackend::installed() == g_bus.get())
        HidBackend::install(nullptr);
    g_named.clear();
    g_bus.reset();
}

void setStateFolder(const QString &dir)
{
    g_stateFolder = dir;
}

QString stateFolder()
{
    return g_stateFolder;
}

bool saveState()
{
    if (g_stateFolder.isEmpty())
        return true;
    bool ok = QDir().mkpath(g_stateFolder);
    for (const auto &entry : qAsConst(g_named)) {
        const auto *persistent = dynamic_cast<const PersistentDevice *>(entry.second.get());
        if (!persistent)
            continue;
        const QByteArray state = persistent->saveState();
        if (state.isEmpty())
            continue;
        if (!AtomicFile::write(stateFile(entry.first), state)) {
            qWarning() << "Simulated device state not saved:" << stateFile(entry.first);
            ok = false;
        }
    }
    return ok;
}

VirtualHidBus *bus()
{
    return g_bus.get();
}

} // namespace Simulation
