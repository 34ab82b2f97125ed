#include "benchscenarios.h"

#include "benchfixtures.h"
#include "benchrig.h"
#include "session/dcdatahandle.h"
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "sim/ospreymousedevice.h"
#include "sim/ospreymousefirmware.h"
#include "device/watcher/producttable.h"
#include "device/osprey/usbdriver_osprey.h"
#include "device/falcon/usbdriverfalcon.h"
#include "profile/usbdrivermanger.h"

#include <QVector>
#include <functional>
#include <optional>

namespace {
constexpr USHORT kFalconCable = 0x4130;
constexpr USHORT kFalconReceiver = 0x1804;
constexpr USHORT kOsprey = 0x4122;
constexpr USHORT kHeron = 0x4161;
constexpr int kFalconFullMacroNodes = 1363; // 4 + 3 × 1363 = 4093 bytes, the largest macro
constexpr int kFalconTypicalMacroNodes = 66; // 4 + 3 × 66 = 202 bytes, a typical macro
constexpr int kOspreyFullMacroSteps = 510;  // 510 key words + the end word = 511 items
constexpr int kStoredConfig = 2;

BenchResult unavailable(const QString &note)
{
    BenchResult r;
    r.status = BenchResult::Status::Unavailable;
    r.note = note;
    return r;
}

BenchResult measured(bool ok, const BenchFigures &figures, const QString &failNote = QString(),
                     const QString &note = QString())
{
    BenchResult r;
    r.status = ok ? BenchResult::Status::Ok : BenchResult::Status::Failed;
    r.figures = figures;
    r.note = ok ? note : failNote;
    return r;
}

QString familyName(USHORT pid)
{
    const auto choice = DCDataHandle::chooseManager(pid);
    if (!choice)
        return QStringLiteral("unknown");
    switch (choice->family) {
    case DCDataHandle::ManagerChoice::Family::Falcon:
        return QStringLiteral("Falcon");
    case DCDataHandle::ManagerChoice::Family::Osprey:
        return QStringLiteral("Osprey");
    case DCDataHandle::ManagerChoice::Family::Heron:
        break;
    }
    return QStringLiteral("Heron");
}

QString noManager(USHORT pid)
{
    return QStringLiteral("no %1 manager in this build").arg(familyName(pid));
}

// The mouse a scenario plugged in (one of the two is set).
struct Plugged
{
    std::shared_ptr<FalconMouseDevice> falcon; // the cable mouse, or the receiver's mouse
    std::shared_ptr<OspreyMouseDevice> osprey;
};

// Plugs the product in, its macro slots full or empty (a Falcon's filled with macros of
// falconNodes nodes).
Plugged plugProduct(BenchRig &rig, USHORT pid, bool fullMacros, int falconNodes = kFalconFullMacroNodes)
{
    Plugged p;
    if (pid == kFalconCable || pid == kFalconReceiver) {
        p.falcon = rig.makeFalconMouse(kFalconCable);
        if (fullMacros)
            BenchFixtures::fillFalconMacroSlots(p.falcon->firmware(), falconNodes);
        if (pid == kFalconReceiver)
            rig.bus().plug(std::make_shared<FalconReceiverDevice>(kFalconReceiver, p.falcon));
        else
            rig.bus().plug(p.falcon);
    } else {
        p.osprey = std::make_shared<OspreyMouseDevice>(pid);
        if (fullMacros)
            BenchFixtures::fillOspreyMacroSlots(p.osprey->firmware(), OspreyMouseFirmware::kMacroSlots);
        rig.bus().plug(p.osprey);
    }
    return p;
}

// Setup, not measured: checks that the product has a manager, plugs it in and opens it.
// Returns the result to report when that fails, nothing when the scenario can go on.
std::optional<BenchResult> setUp(BenchRig &rig, USHORT pid, bool fullMacros, Plugged *plugged = nullptr)
{
    if (!BenchRig::managerAvailable(pid))
        return unavailable(noManager(pid));
    const Plugged p = plugProduct(rig, pid, fullMacros);
    if (plugged)
        *plugged = p;
    QString why;
    if (!rig.open(pid, &why))
        return measured(false, {}, QStringLiteral("setup: ") + why);
    return std::nullopt;
}

// Measures one request to the coordinator; it fails when it raised the read/write warning.
BenchResult measureRequest(BenchRig &rig, const std::function<void()> &request)
{
    bool ok = false;
    const BenchFigures f = rig.measure(
        [&] {
            request();
            return true;
        },
        &ok);
    return measured(ok, f, QStringLiteral("warning 32"));
}

// Whether one of the mouse's macro slots holds the benchmark's full macro: 510 key words of
// usage 0x04, then the end word.
bool ospreyHoldsFullMacro(const OspreyMouseFirmware &firmware)
{
    for (int i = 0; i < OspreyMouseFirmware::kMacroSlots; ++i) {
        const QByteArray block = firmware.macroSlot(i);
        bool full = block.size() == OspreyMouseFirmware::kBlockSize && block.at(1022) == 0
            && block.at(1023) == 0;
        for (int k = 0; full && k < 510; ++k)
            full = block.at(3 + 2 * k) == 0x04 && block.at(2 + 2 * k) != 0;
        if (full)
            return true;
    }
    return false;
}

// ---- 0: the command set alone ----------------------------------------------------------------

std::unique_ptr<USBDriverFalcon> openFalconDriver(BenchRig &rig, bool receiver,
                                                  std::shared_ptr<FalconMouseDevice> *plugged = nullptr)
{
    auto mouse = rig.makeFalconMouse(kFalconCable);
    if (plugged)
        *plugged = mouse;
    if (receiver)
        rig.bus().plug(std::make_shared<FalconReceiverDevice>(kFalconReceiver, mouse));
    else
        rig.bus().plug(mouse);
    auto driver = std::make_unique<USBDriverFalcon>();
    driver->SetWiredWirelessString(ProductTable::wiredSelector(kFalconCable),
                                   ProductTable::wirelessSelector(kFalconCable));
    driver->setLinkMode(receiver ? 1 : 0);
    if (!driver->FindHIDDevice())
        return nullptr;
    return driver;
}

BenchResult falconProfileImage(BenchRig &rig, bool receiver)
{
    auto driver = openFalconDriver(rig, receiver);
    if (!driver)
        return measured(false, {}, QStringLiteral("the driver did not open"));
    BYTE image[USBDriverFalcon::kProfileImageSize] = {};
    bool ok = false;
    const BenchFigures f = rig.measure(
        [&] { return driver->GetProfileData(image, int(sizeof image)) != 0; }, &ok);
    return measured(ok, f, QStringLiteral("GetProfileData failed"));
}

BenchResult falconMacroWrite(BenchRig &rig)
{
    std::shared_ptr<FalconMouseDevice> mouse;
    auto driver = openFalconDriver(rig, false, &mouse);
    if (!driver)
        return measured(false, {}, QStringLiteral("the driver did not open"));
    const QByteArray area = BenchFixtures::falconMacroArea(kFalconFullMacroNodes);
    bool ok = false;
    const BenchFigures f = rig.measure(
        [&] {
            return driver->WriteMacro(0, false, reinterpret_cast<const BYTE *>(area.constData()),
                                      area.size()) != 0;
        },
        &ok);
    if (ok && mouse->firmware().memory(0x1000, 4093) != area.left(4093))
        return measured(false, f, QStringLiteral("the macro is not in single slot 0"));
    return measured(ok, f, QStringLiteral("WriteMacro failed"), QStringLiteral("4093 bytes"));
}

std::unique_ptr<USBDriver_Osprey> openOspreyDriver(BenchRig &rig, int macroSlotsFull)
{
    auto mouse = std::make_shared<OspreyMouseDevice>(kOsprey);
    BenchFixtures::fillOspreyMacroSlots(mouse->firmware(), macroSlotsFull);
    rig.bus().plug(mouse);
    auto driver = std::make_unique<USBDriver_Osprey>();
    driver->setModelCode(ProductTable::mouseTypeOf(kOsprey));
    driver->SetVidPid(kOsprey, ProductTable::vendorId());
    if (!driver->FindHIDDevice())
        return nullptr;
    return driver;
}

BenchResult ospreyProfileWrite(BenchRig &rig)
{
    auto driver = openOspreyDriver(rig, 0);
    if (!driver)
        return measured(false, {}, QStringLiteral("the driver did not open"));
    BYTE profile[USBDriver_Osprey::kProfileSize] = {};
    if (!driver->GetProfileData(profile)) // the write needs R0 and R1 from a read
        return measured(false, {}, QStringLiteral("setup: GetProfileData failed"));
    bool ok = false;
    const BenchFigures f = rig.measure([&] { return driver->SetProfileData(profile) != 0; }, &ok);
    return measured(ok, f, QStringLiteral("SetProfileData failed"));
}

BenchResult ospreyMacroRead(BenchRig &rig)
{
    auto driver = openOspreyDriver(rig, USBDriver_Osprey::kReadMacroSlots);
    if (!driver)
        return measured(false, {}, QStringLiteral("the driver did not open"));
    QList<QByteArray> macros;
    bool ok = false;
    const BenchFigures f = rig.measure([&] { return driver->ReadMacroList(macros) != 0; }, &ok);
    if (ok && macros.size() != USBDriver_Osprey::kReadMacroSlots)
        return measured(false, f, QStringLiteral("%1 macros read, not 17").arg(macros.size()));
    return measured(ok, f, QStringLiteral("ReadMacroList failed"), QStringLiteral("17 × 511 items"));
}

// ---- 1: open and read the whole profile --------------------------------------------------------

BenchResult openScenario(BenchRig &rig, USHORT pid, bool fullMacros,
                         int falconNodes = kFalconFullMacroNodes)
{
    if (!BenchRig::managerAvailable(pid))
        return unavailable(noManager(pid));
    plugProduct(rig, pid, fullMacros, falconNodes);
    QString why;
    bool ok = false;
    const BenchFigures f = rig.measure([&] { return rig.open(pid, &why); }, &ok);
    return measured(ok, f, why);
}

// ---- 2: one setting change -----------------------------------------------------------------------

// The current stage list with its active stages rotated by one: every value is one the mouse
// already accepted, and the table changes.
QList<DWORD> rotatedStages(USBDriverManger &manager)
{
    QVector<int> values;
    manager.GetCPIStageMatrix(values, DCDataHandle::kProfileIndex);
    QList<DWORD> active;
    for (int v : qAsConst(values)) {
        if (v <= 0)
            break;
        active.append(DWORD(v));
    }
    if (active.size() > 1)
        active.append(active.takeFirst());
    else if (active.size() == 1)
        active[0] = active[0] * 2;
    else
        active = {800, 1600};
    QList<DWORD> list = active;
    while (list.size() < qMax(values.size(), active.size()))
        list.append(0);
    return list;
}

BenchResult dpiChange(BenchRig &rig, USHORT pid)
{
    if (const auto failed = setUp(rig, pid, false))
        return *failed;
    const QList<DWORD> list = rotatedStages(*rig.coordinator().manager());
    return measureRequest(rig, [&] { rig.coordinator().slot_setCPIListValueOnMouse(list); });
}

BenchResult colourChange(BenchRig &rig, USHORT pid)
{
    if (const auto failed = setUp(rig, pid, false))
        return *failed;
    // What the lighting page sends: the selected zone and a one-colour list (red low byte).
    const QList<COLORREF> colours{COLORREF(0x00FF8020)};
    return measureRequest(rig, [&] { rig.coordinator().slot_SetMouseColor(false, colours); });
}

// ---- 3: one macro write ----------------------------------------------------------------------------

BenchResult macroWrite(BenchRig &rig, USHORT pid)
{
    Plugged plugged;
    if (const auto failed = setUp(rig, pid, false, &plugged))
        return *failed;
    const bool falcon = pid == kFalconCable;
    const int steps = falcon ? kFalconFullMacroNodes : kOspreyFullMacroSteps;
    const QString path = rig.homePath() + QStringLiteral("/BenchMacro/full.json");
    if (!BenchFixtures::writeMacroFile(path, QStringLiteral("full"), BenchFixtures::keyMacro(steps)))
        return measured(false, {}, QStringLiteral("setup: macro file not written"));
    bool ok = false;
    const BenchFigures f = rig.measure(
        [&] {
            // Button 5: not the left button, so no guard refuses it.
            rig.coordinator().slot_WriteSingleMacro(5, path);
            return true;
        },
        &ok);
    // The figures count only when the macro really landed in the mouse.
    if (ok && falcon && plugged.falcon->firmware().memory(0x1000, 4) != QByteArray::fromHex("FD0F0100"))
        return measured(false, f, QStringLiteral("the macro is not in single slot 0"));
    if (ok && !falcon && !ospreyHoldsFullMacro(plugged.osprey->firmware()))
        return measured(false, f, QStringLiteral("no macro slot holds the macro"));
    return measured(ok, f, QStringLiteral("warning 32"),
                    falcon ? QStringLiteral("1363 nodes, 4093 bytes") : QStringLiteral("511 items"));
}

// ---- 4: load a stored configuration ----------------------------------------------------------------

BenchResult loadStoredConfig(BenchRig &rig, USHORT pid)
{
    if (const auto failed = setUp(rig, pid, true))
        return *failed;
    // The configuration is what the mouse holds now: every macro slot full.
    rig.coordinator().manager()->SaveConfigFileByConfigureNumber(kStoredConfig);
    return measureRequest(rig, [&] { rig.coordinator().slot_LoadLocalConfigFileAndWriteIntoMouse(kStoredConfig); });
}

// The stored configuration differs from the mouse in one macro slot: after it was saved, a
// 100-step macro went into single slot 0 (button 5). Loading it puts the full macro back.
BenchResult loadConfigOneMacroDiffers(BenchRig &rig)
{
    Plugged plugged;
    if (const auto failed = setUp(rig, kFalconCable, true, &plugged))
        return *failed;
    rig.coordinator().manager()->SaveConfigFileByConfigureNumber(kStoredConfig);
    const QString path = rig.homePath() + QStringLiteral("/BenchMacro/short.json");
    if (!BenchFixtures::writeMacroFile(path, QStringLiteral("short"), BenchFixtures::keyMacro(100)))
        return measured(false, {}, QStringLiteral("setup: macro file not written"));
    rig.coordinator().slot_WriteSingleMacro(5, path);
    const QByteArray full = BenchFixtures::falconMacroArea(kFalconFullMacroNodes).left(4093);
    if (plugged.falcon->firmware().memory(0x1000, 4093) == full)
        return measured(false, {}, QStringLiteral("setup: the short macro did not reach the mouse"));
    BenchResult r = measureRequest(
        rig, [&] { rig.coordinator().slot_LoadLocalConfigFileAndWriteIntoMouse(kStoredConfig); });
    if (r.status == BenchResult::Status::Ok && plugged.falcon->firmware().memory(0x1000, 4093) != full)
        return measured(false, r.figures, QStringLiteral("single slot 0 does not hold the stored macro"));
    return r;
}

// ---- 5: firmware update ------------------------------------------------------------------------------

BenchResult firmwareUpdate(BenchRig &rig, int imageSize)
{
    constexpr quint32 kNewVersion = 0x00000021;
    auto mouse = rig.makeFalconMouse(kFalconCable);
    rig.bus().plug(mouse);
    QString why;
    if (!rig.open(kFalconCable, &why))
        return measured(false, {}, QStringLiteral("setup: ") + why);
    const QString path = rig.homePath() + QStringLiteral("/Update/falcon.bin");
    if (!BenchFixtures::writeFile(path, BenchFixtures::firmwareImage(imageSize, kNewVersion)))
        return measured(false, {}, QStringLiteral("setup: image not written"));
    bool ok = false;
    const BenchFigures f = rig.measure(
        [&] {
            rig.coordinator().slot_UpdateFirmwareKelvo(path, QStringLiteral("falcon"));
            return rig.warnings().contains(8);
        },
        &ok);
    if (ok && (mouse->runs() != 1 || mouse->firmware().firmwareVersion() != kNewVersion))
        return measured(false, f, QStringLiteral("the mouse does not run the new image"));
    return measured(ok, f, QStringLiteral("the update reported failure"),
                    QStringLiteral("%1 bytes").arg(imageSize));
}

// ---- 6: which stored configuration equals the mouse ---------------------------------------------------

BenchResult compareConfigs(BenchRig &rig, USHORT pid)
{
    if (const auto failed = setUp(rig, pid, false))
        return *failed;
    USBDriverManger &manager = *rig.coordinator().manager();
    // Configurations 1..4 hold other DPI tables, 5 the mouse's own: the search has to load and
    // compare all five. Changes go to configuration 5's file meanwhile and it is saved last.
    manager.SetCurrentConfigNumber(5);
    QVector<int> original;
    manager.GetCPIStageMatrix(original, DCDataHandle::kProfileIndex);
    for (int n = 1; n <= 4; ++n) {
        rig.coordinator().slot_setCPIListValueOnMouse(rotatedStages(manager));
        manager.SaveConfigFileByConfigureNumber(n);
    }
    QList<DWORD> back;
    for (int v : qAsConst(original))
        back.append(DWORD(qMax(0, v)));
    rig.coordinator().slot_setCPIListValueOnMouse(back);
    manager.SaveConfigFileByConfigureNumber(5);
    if (rig.warnings().contains(32))
        return measured(false, {}, QStringLiteral("setup: warning 32"));

    const int repeat = rig.options().repeat;
    int found = 0;
    bool ok = false;
    BenchFigures f = rig.measure([&] { return manager.CompareMouseAndLocalFileData(found); }, &ok);
    if (!ok || found != 5)
        return measured(false, f, QStringLiteral("found configuration %1, not 5").arg(found));
    double cpu = f.cpuMs;
    for (int k = 1; k < repeat; ++k) {
        const BenchFigures more = rig.measure([&] { return manager.CompareMouseAndLocalFileData(found); }, &ok);
        cpu += more.cpuMs;
    }
    f.cpuMs = cpu / repeat;
    return measured(true, f, QString(), QStringLiteral("CPU: mean of %1 calls").arg(repeat));
}
} // namespace

QList<BenchScenario> BenchScenarios::all()
{
    using S = BenchScenario;
    QList<BenchScenario> list;
    auto add = [&list](const QString &id, const QString &title, int group,
                       std::function<BenchResult(BenchRig &)> run) {
        list.append(S{id, title, group, std::move(run)});
    };
    add(QStringLiteral("cmdset.falcon.profile-image.wired"),
        QStringLiteral("Falcon command set: profile image read, wired"), 0,
        [](BenchRig &r) { return falconProfileImage(r, false); });
    add(QStringLiteral("cmdset.falcon.profile-image.receiver"),
        QStringLiteral("Falcon command set: profile image read, receiver"), 0,
        [](BenchRig &r) { return falconProfileImage(r, true); });
    add(QStringLiteral("cmdset.falcon.macro-4k"),
        QStringLiteral("Falcon command set: 4 KiB macro write"), 0,
        [](BenchRig &r) { return falconMacroWrite(r); });

    add(QStringLiteral("cmdset.osprey.profile-write"),
        QStringLiteral("Osprey command set: profile write"), 0,
        [](BenchRig &r) { return ospreyProfileWrite(r); });
    add(QStringLiteral("cmdset.osprey.macro-read-17"),
        QStringLiteral("Osprey command set: 17-macro read"), 0,
        [](BenchRig &r) { return ospreyMacroRead(r); });

    add(QStringLiteral("open.falcon.wired.empty"), QStringLiteral("Open: Falcon wired, no macros"), 1,
        [](BenchRig &r) { return openScenario(r, kFalconCable, false); });
    add(QStringLiteral("open.falcon.wired.full"),
        QStringLiteral("Open: Falcon wired, 11 single + 3 list macros"), 1,
        [](BenchRig &r) { return openScenario(r, kFalconCable, true); });
    add(QStringLiteral("open.falcon.wired.typical"),
        QStringLiteral("Open: Falcon wired, 14 macros of 202 bytes"), 1,
        [](BenchRig &r) { return openScenario(r, kFalconCable, true, kFalconTypicalMacroNodes); });
    add(QStringLiteral("open.falcon.receiver.empty"),
        QStringLiteral("Open: Falcon receiver, no macros"), 1,
        [](BenchRig &r) { return openScenario(r, kFalconReceiver, false); });
    add(QStringLiteral("open.falcon.receiver.full"),
        QStringLiteral("Open: Falcon receiver, 11 single + 3 list macros"), 1,
        [](BenchRig &r) { return openScenario(r, kFalconReceiver, true); });
    add(QStringLiteral("open.osprey.empty"), QStringLiteral("Open: Osprey, no macros"), 1,
        [](BenchRig &r) { return openScenario(r, kOsprey, false); });
    add(QStringLiteral("open.osprey.full"), QStringLiteral("Open: Osprey, every macro slot full"), 1,
        [](BenchRig &r) { return openScenario(r, kOsprey, true); });
    add(QStringLiteral("open.heron"), QStringLiteral("Open: Heron"), 1,
        [](BenchRig &r) { return openScenario(r, kHeron, false); });

    add(QStringLiteral("dpi.falcon"), QStringLiteral("DPI list change: Falcon"), 2,
        [](BenchRig &r) { return dpiChange(r, kFalconCable); });
    add(QStringLiteral("dpi.osprey"), QStringLiteral("DPI list change: Osprey"), 2,
        [](BenchRig &r) { return dpiChange(r, kOsprey); });
    add(QStringLiteral("colour.falcon"), QStringLiteral("Lighting colour change: Falcon"), 2,
        [](BenchRig &r) { return colourChange(r, kFalconCable); });
    add(QStringLiteral("colour.osprey"), QStringLiteral("Lighting colour change: Osprey"), 2,
        [](BenchRig &r) { return colourChange(r, kOsprey); });

    add(QStringLiteral("macro.falcon.4k"), QStringLiteral("Macro write: Falcon single slot, 4 KiB"), 3,
        [](BenchRig &r) { return macroWrite(r, kFalconCable); });
    add(QStringLiteral("macro.osprey.511"), QStringLiteral("Macro write: Osprey, 511 items"), 3,
        [](BenchRig &r) { return macroWrite(r, kOsprey); });

    add(QStringLiteral("load-config.falcon.full"),
        QStringLiteral("Load stored configuration: Falcon, full macro slots"), 4,
        [](BenchRig &r) { return loadStoredConfig(r, kFalconCable); });
    add(QStringLiteral("load-config.falcon.one-macro-differs"),
        QStringLiteral("Load stored configuration: Falcon, one macro differs"), 4,
        [](BenchRig &r) { return loadConfigOneMacroDiffers(r); });
    add(QStringLiteral("load-config.osprey.full"),
        QStringLiteral("Load stored configuration: Osprey, full macro slots"), 4,
        [](BenchRig &r) { return loadStoredConfig(r, kOsprey); });

    add(QStringLiteral("firmware.falcon.60k"), QStringLiteral("Firmware update: 60 KiB image"), 5,
        [](BenchRig &r) { return firmwareUpdate(r, 60 * 1024); });
    add(QStringLiteral("firmware.falcon.128k"), QStringLiteral("Firmware update: 128 KiB image"), 5,
        [](BenchRig &r) { return firmwareUpdate(r, 128 * 1024); });

    add(QStringLiteral("compare.falcon.5-configs"),
        QStringLiteral("Find stored configuration: Falcon, 5 stored"), 6,
        [](BenchRig &r) { return compareConfigs(r, kFalconCable); });
    add(QStringLiteral("compare.osprey.5-configs"),
        QStringLiteral("Find stored configuration: Osprey, 5 stored"), 6,
        [](BenchRig &r) { return compareConfigs(r, kOsprey); });
    return list;
}
