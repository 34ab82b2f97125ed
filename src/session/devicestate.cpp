#include "session/devicestate.h"

#include "profile/usbdrivermanger_osprey.h"
#include "profile/usbdrivermangerfalcon.h"
#include "session/dcdatahandle.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
constexpr int kStageCount = 7; // the DPI list the pages and the coordinator carry

// Osprey-family image: byte 5 holds the current DPI stage (the "gear").
constexpr int kOspreyCurrentStage = 5;

QList<DWORD> stageList(const QVector<int> &values)
{
    QList<DWORD> list;
    for (int i = 0; i < kStageCount; ++i)
        list << DWORD(qMax(0, values.value(i)));
    return list;
}

int byteAt(const QByteArray &bytes, int offset)
{
    return offset < bytes.size() ? BYTE(bytes.at(offset)) : 0;
}

// The Falcon family's mirror is the 128-byte profile image.
void readFalconMirror(UsbDriverMangerFalcon &m, int model, DeviceState::Mirror &out)
{
    using F = UsbDriverMangerFalcon;
    const QByteArray image = m.image();
    // A profile read from the mouse always carries a report-rate code; a zero image was never read.
    if (image.size() < F::kImageSize || byteAt(image, F::kReportRate) == 0)
        return;
    out.profileRead = true;
    out.reportRate = F::rateIndexOfCode(byteAt(image, F::kReportRate));
    // The stages exactly as the manager's own DPI read decodes them.
    const QVector<int> values = F::decodeStageTable(
        model, reinterpret_cast<const BYTE *>(image.constData()) + F::kDpiTable);
    out.dpiStages = stageList(values);
    out.currentStage = byteAt(image, F::kCurrentStage);
    out.liftOff = byteAt(image, F::kSilentHeight) | (byteAt(image, F::kSilentHeight + 1) << 8);
    LightColorParam light;
    light.logo.mode = BYTE(byteAt(image, F::kLightMode));
    light.logo.speed = BYTE(byteAt(image, F::kBreathSpeed));
    light.logo.degree = BYTE(byteAt(image, F::kLightDegree));
    for (int i = 0; i < 3; ++i) {
        const int at = F::kColors + 4 * i;
        light.logo.setColor(i, makeColorRef(BYTE(byteAt(image, at)), BYTE(byteAt(image, at + 1)),
                                            BYTE(byteAt(image, at + 2))));
    }
    out.light = light;
    for (int slot = 0; slot < F::kMacroSlots; ++slot)
        if (m.macroSize(slot) > 0)
            out.macroSlots << slot;
}

void readOspreyMirror(UsbDriverManger_Osprey &m, DeviceState::Mirror &out)
{
    using O = UsbDriverManger_Osprey;
    // The identity bytes before the image are only non-zero once the profile has been read.
    if (m.profileBlock().left(O::kImageOffset).count('\0') == O::kImageOffset)
        return;
    out.profileRead = true;
    // The family's getters answer from the mirror (no transfer).
    int rate = -1;
    if (m.GetUsbReportRate(rate, DCDataHandle::kProfileIndex))
        out.reportRate = rate;
    QVector<int> values;
    if (m.GetCPIStageMatrix(values, DCDataHandle::kProfileIndex))
        out.dpiStages = stageList(values);
    out.currentStage = byteAt(m.profileImage(), kOspreyCurrentStage);
    int lift = -1;
    if (m.GetSilentHeight(lift, DCDataHandle::kProfileIndex))
        out.liftOff = lift;
    LightColorParam light;
    if (m.GetLightParameter(light, DCDataHandle::kProfileIndex))
        out.light = light;
    for (int slot = 0; slot < O::kMacroSlots; ++slot)
        if (!m.macroRecord(slot).isEmpty())
            out.macroSlots << slot;
}
// The gear document as the page reads it: "GearVariable", and per gear "GearEnable" and
// "GearCurrentValue". A document without gears (no file read yet) gives empty lists.
DeviceState::DpiGears gearsOf(const QJsonObject &doc)
{
    DeviceState::DpiGears out;
    out.relative = doc.value(QStringLiteral("GearVariable")).toInt() != 0;
    const QJsonArray gears = doc.value(QStringLiteral("GearData")).toArray();
    if (gears.isEmpty())
        return out;
    for (int i = 0; i < kStageCount; ++i) {
        const QJsonObject g = gears.at(i).toObject();
        out.enabled << (g.value(QStringLiteral("GearEnable")).toInt(1) != 0);
        out.values << g.value(QStringLiteral("GearCurrentValue")).toInt();
    }
    return out;
}
} // namespace

DeviceState::DeviceState(QObject *parent) : QObject(parent) {}

DeviceState::Mirror DeviceState::readMirror(const DCDataHandle &c)
{
    Mirror out;
    USBDriverManger *m = c.manager();
    if (!m)
        return out;
    out.open = true;
    out.productId = c.currentProductId();
    out.modelCode = c.mouseType();
    out.wireless = c.isWireless();
    out.gears = gearsOf(c.gearObject());
    if (auto *falcon = qobject_cast<UsbDriverMangerFalcon *>(m))
        readFalconMirror(*falcon, out.modelCode, out);
    else if (auto *osprey = qobject_cast<UsbDriverManger_Osprey *>(m))
        readOspreyMirror(*osprey, out);
    const Catalog::Model *row = Catalog::find(out.modelCode);
    if (out.profileRead && row && row->oled)
        out.pictureIndex = m->GetCurrentPictureIndex();
    return out;
}

std::optional<DeviceState::Button> DeviceState::button(int id) const
{
    const auto it = m_buttons.constFind(id);
    if (it == m_buttons.constEnd())
        return std::nullopt;
    return *it;
}

void DeviceState::done(bool altered)
{
    if (altered)
        Q_EMIT changed();
}

void DeviceState::clear()
{
    const bool wasEmpty = !m_open && m_modelCode == 0 && m_productId == 0 && m_firmwareVersion < 0
        && m_battery < 0 && m_configNumber == 0 && m_dpiStages.isEmpty() && m_currentStage < 0
        && m_reportRate < 0 && m_liftOff < 0 && !m_light && m_buttons.isEmpty()
        && m_macroSlots.isEmpty() && m_pictureIndex < 0 && !m_wireless && m_gears == DpiGears();
    m_open = false;
    m_modelCode = 0;
    m_wireless = false;
    m_productId = 0;
    m_firmwareVersion = -1;
    m_battery = -1;
    m_configNumber = 0;
    m_dpiStages.clear();
    m_currentStage = -1;
    m_reportRate = -1;
    m_liftOff = -1;
    m_light.reset();
    m_buttons.clear();
    m_macroSlots.clear();
    m_pictureIndex = -1;
    m_gears = DpiGears();
    done(!wasEmpty);
}

void DeviceState::openRequested(USHORT productId)
{
    clear();
    done(assign(m_productId, productId));
}

void DeviceState::setOpenResult(bool ok, int modelCode, bool wireless)
{
    if (!ok) {
        clear();
        return;
    }
    bool altered = assign(m_open, true);
    altered |= assign(m_modelCode, modelCode);
    altered |= assign(m_wireless, wireless);
    done(altered);
}

void DeviceState::setFirmwareVersion(int version)
{
    done(assign(m_firmwareVersion, version));
}

void DeviceState::setBatteryLevel(int level)
{
    done(assign(m_battery, level));
}

void DeviceState::setConfigNumber(int number)
{
    done(assign(m_configNumber, number));
}

void DeviceState::setDpiStages(const QList<DWORD> &stages)
{
    done(assign(m_dpiStages, stages.mid(0, kStageCount)));
}

void DeviceState::setReportRate(int rate)
{
    done(assign(m_reportRate, rate));
}

void DeviceState::setLight(const LightColorParam &light)
{
    done(assign(m_light, std::optional<LightColorParam>(light)));
}

void DeviceState::setButtonFactory(int button, bool factory)
{
    Button b = m_buttons.value(button);
    b.factory = factory;
    if (factory)
        b.changeType = b.value = b.modifier = 0;
    const bool altered = !m_buttons.contains(button) || m_buttons.value(button) != b;
    m_buttons.insert(button, b);
    done(altered);
}

void DeviceState::setButtonAssignment(int button, int changeType, int value, int modifier)
{
    Button b;
    b.factory = false;
    b.changeType = changeType;
    b.value = value;
    b.modifier = modifier;
    const bool altered = !m_buttons.contains(button) || m_buttons.value(button) != b;
    m_buttons.insert(button, b);
    done(altered);
}

void DeviceState::applyMirror(const Mirror &mirror)
{
    if (!mirror.open) {
        clear();
        return;
    }
    bool altered = assign(m_open, true);
    altered |= assign(m_productId, mirror.productId);
    altered |= assign(m_modelCode, mirror.modelCode);
    altered |= assign(m_wireless, mirror.wireless);
    altered |= assign(m_gears, mirror.gears);
    if (mirror.profileRead) {
        altered |= assign(m_reportRate, mirror.reportRate);
        altered |= assign(m_dpiStages, mirror.dpiStages);
        // The Falcon family's manager moves its mirror's current stage while it looks for a
        // matching configuration, but only a match writes it to the mouse: with no match the
        // mouse's stage is not known.
        const Catalog::Model *row = Catalog::find(mirror.modelCode);
        const bool stageKnown = !(row && row->family == Catalog::Family::Falcon && m_configNumber == 0);
        altered |= assign(m_currentStage, stageKnown ? mirror.currentStage : -1);
        altered |= assign(m_liftOff, mirror.liftOff);
        altered |= assign(m_light, mirror.light);
        altered |= assign(m_macroSlots, mirror.macroSlots);
        altered |= assign(m_pictureIndex, mirror.pictureIndex);
    }
    done(altered);
}
