#include "profile/usbdrivermangerfalcon.h"

#include "catalog/modelcatalog.h"
#include "profile/falconlegacyfile.h"
#include "profile/falconmacroencoder.h"
#include "storage/jsonhandle.h"
#include "storage/storagepaths.h"
#include "device/falcon/usbdriverfalcon.h"

#include <QDebug>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstring>

using FalconButtonEntry::Entry;

namespace {
constexpr Entry kNoButton{{0xFF, 0xFF, 0xFF, 0xFF}};

constexpr std::array<Entry, UsbDriverMangerFalcon::kButtonSlots> kUsualFactory{{
    {{0x03, 0x00, 0x01, 0x00}}, {{0x03, 0x00, 0x04, 0x00}}, {{0x03, 0x00, 0x02, 0x00}},
    {{0x08, 0x00, 0x05, 0x00}}, {{0x08, 0x00, 0x06, 0x00}}, {{0x03, 0x00, 0x10, 0x00}},
    {{0x03, 0x00, 0x08, 0x00}}, {{0x03, 0x00, 0x10, 0x00}}, {{0x03, 0x00, 0x08, 0x00}},
    kNoButton, kNoButton,
}};

constexpr std::array<Entry, UsbDriverMangerFalcon::kButtonSlots> kSecondFactory{{
    {{0x03, 0x00, 0x10, 0x00}}, {{0x08, 0x00, 0x06, 0x00}}, {{0x08, 0x00, 0x05, 0x00}},
    {{0x00, 0x00, 0x1E, 0x00}}, {{0x03, 0x00, 0x01, 0x00}}, {{0x00, 0x00, 0x20, 0x00}},
    {{0x03, 0x00, 0x08, 0x00}}, {{0x03, 0x00, 0x04, 0x00}}, {{0x03, 0x00, 0x02, 0x00}},
    kNoButton, kNoButton,
}};

// Buttons in the order 4, 5, 6, 13, 14, 7, 8, 9, 10, 11, 12 and their slots.
constexpr int kButtonOrder[UsbDriverMangerFalcon::kButtonSlots] = {4, 5, 6, 13, 14, 7, 8, 9, 10, 11, 12};
constexpr int kUsualSlots[UsbDriverMangerFalcon::kButtonSlots] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr int kSecondSlots[UsbDriverMangerFalcon::kButtonSlots] = {4, 7, 8, 2, 1, 0, 6, 3, 5, 9, 10};

// The Kite's button memory order belongs to the model, whichever link its id names.
bool hasSecondLayout(USHORT pid)
{
    const Catalog::ProductMatch match = Catalog::byProductId(pid);
    return match.model && match.model->secondButtonLayout;
}

// The row of a Falcon-family model code; nullptr for any other code.
const Catalog::Model *falconRow(int model)
{
    const Catalog::Model *row = Catalog::find(model);
    return row && row->family == Catalog::Family::Falcon ? row : nullptr;
}

// What a code without a Falcon-family row gets: seven stages read as codes of 50, current
// stage up to index 3, no value accepted.
constexpr int kOtherMaxStages = 7;
constexpr int kOtherStageCap = 3;
constexpr int kOtherReadLastStage = 6;
constexpr int kOtherListRows = 8;

bool validProfile(int profile) { return profile == 0 || profile == 1; }

// The profile the program writes; the list-macro count and word C live in its copy.
constexpr int kWrittenProfile = 1;

DWORD le32(const QByteArray &b, int off)
{
    auto at = [&b](int i) { return DWORD(BYTE(b[i])); };
    return at(off) | (at(off + 1) << 8) | (at(off + 2) << 16) | (at(off + 3) << 24);
}

int lengthWord(const QByteArray &slot)
{
    return BYTE(slot[0]) | (BYTE(slot[1]) << 8);
}

// Battery table: (highest raw value, percent), first matching range.
struct BatteryStep
{
    DWORD upTo;
    int percent;
};
constexpr BatteryStep kBattery[] = {
    {0, 0},     {540, 1},   {549, 2},   {557, 3},   {565, 4},   {574, 6},   {582, 7},
    {591, 8},   {595, 10},  {599, 12},  {607, 14},  {610, 16},  {613, 19},  {615, 21},
    {623, 23},  {625, 25},  {626, 28},  {628, 30},  {630, 33},  {632, 35},  {634, 37},
    {635, 41},  {637, 45},  {638, 51},  {640, 67},  {641, 71},  {643, 74},  {646, 76},
    {647, 78},  {648, 81},  {650, 84},  {652, 86},  {653, 87},  {655, 88},  {657, 89},
    {659, 90},  {661, 91},  {662, 93},  {664, 94},  {665, 95},  {667, 96},  {669, 97},
    {671, 98},  {725, 99},
};
} // namespace

UsbDriverMangerFalcon::UsbDriverMangerFalcon(int modelCode, QObject *parent)
    : USBDriverManger(parent),
      m_modelCode(modelCode),
      m_factoryTable(kUsualFactory),
      m_secondFactoryTable(kUsualFactory),
      m_image(kImageSize, '\0'),
      m_macroSizes(kMacroSlots, 0),
      m_macroSlots(kMacroSlots, QByteArray(kMacroSlotSize, '\0')),
      m_macroHeld(kMacroSlots, QByteArray(kMacroSlotSize, '\0')),
      m_macroProven(kMacroSlots, 0),
      m_json(std::make_unique<JsonHandle>())
{
    for (int s = 0; s < kButtonSlots; ++s)
        setEntryAtSlot(s, m_factoryTable[size_t(s)]);
}

UsbDriverMangerFalcon::~UsbDriverMangerFalcon() = default;

// ---- helpers ------------------------------------------------------------------------------

int UsbDriverMangerFalcon::modelCode() const { return m_modelCode; }

int UsbDriverMangerFalcon::buttonSlot(int button, bool secondLayout)
{
    for (int i = 0; i < kButtonSlots; ++i) {
        if (kButtonOrder[i] == button)
            return secondLayout ? kSecondSlots[i] : kUsualSlots[i];
    }
    return -1;
}

int UsbDriverMangerFalcon::macroSlotOfButton(int button)
{
    if (button == 4)
        return 10;
    if (button >= 5 && button <= 14)
        return button - 5;
    return -1;
}

DWORD UsbDriverMangerFalcon::macroAddress(int slot)
{
    if (slot < kFirstListSlot)
        return DWORD(slot + 1) * 0x1000;
    return 0x10000 + DWORD(slot - kFirstListSlot) * 0x1000;
}

Entry UsbDriverMangerFalcon::entryAtSlot(const QByteArray &image, int slot) const
{
    Entry e{};
    for (int i = 0; i < 4; ++i)
        e[size_t(i)] = BYTE(image[kButtonTable + 4 * slot + i]);
    return e;
}

void UsbDriverMangerFalcon::setEntryAtSlot(int slot, const Entry &entry)
{
    for (int i = 0; i < 4; ++i)
        m_image[kButtonTable + 4 * slot + i] = char(entry[size_t(i)]);
}

Entry UsbDriverMangerFalcon::factoryEntry(int button) const
{
    const int slot = slotOf(button);
    return slot < 0 ? kNoButton : m_factoryTable[size_t(slot)];
}

Entry UsbDriverMangerFalcon::currentEntry(int button) const
{
    const int slot = slotOf(button);
    return slot < 0 ? kNoButton : entryAtSlot(m_image, slot);
}

QList<int> UsbDriverMangerFalcon::leftClickButtons() const
{
    QList<int> out;
    for (int button = kFirstButton; button <= kLastButton; ++button) {
        if (currentEntry(button) == FalconButtonEntry::kLeftClick)
            out << button;
    }
    return out;
}

void UsbDriverMangerFalcon::putDword(int offset, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        m_image[offset + i] = char((value >> (8 * i)) & 0xFF);
}

// ---- driver and device --------------------------------------------------------------------

KelvoUSBDriver *UsbDriverMangerFalcon::SetDriver(KelvoUSBDriver *driver)
{
    auto *falcon = qobject_cast<USBDriverFalcon *>(driver);
    if (!falcon) {
        delete driver;
        m_driver.reset();
        return nullptr;
    }
    m_driver.reset(falcon);
    return falcon;
}

int UsbDriverMangerFalcon::OpenDevice()
{
    return m_driver ? m_driver->FindHIDDevice() : 0;
}

void UsbDriverMangerFalcon::UnInitDevice()
{
    if (m_driver)
        m_driver->UnInitDevice();
}

void UsbDriverMangerFalcon::SetMousePid(USHORT pid)
{
    if (!hasSecondLayout(pid))
        return;
    m_secondLayout = true;
    m_factoryTable = kSecondFactory;
    for (int s = 0; s < kButtonSlots; ++s)
        setEntryAtSlot(s, m_factoryTable[size_t(s)]);
}

void UsbDriverMangerFalcon::SetMouseName(const QString &modelFolder) { m_modelFolder = modelFolder; }

bool UsbDriverMangerFalcon::SelectProfile(int profile)
{
    return m_driver && m_driver->SetCurrentProfile(profile);
}

bool UsbDriverMangerFalcon::GetCurrentProfileIndex(int &index)
{
    BYTE p = 0;
    if (!m_driver || !m_driver->GetCurrentProfile(&p))
        return false;
    index = p;
    return true;
}

bool UsbDriverMangerFalcon::GetVersion(DWORD &version)
{
    return m_driver && m_driver->GetFirmwareVersion(&version);
}

bool UsbDriverMangerFalcon::GetMousePid(USHORT &pid)
{
    BYTE low = 0, high = 0;
    if (!m_driver || !m_driver->GetMousePid(&low, &high))
        return false;
    pid = USHORT(high * 256 + low);
    return true;
}

// ---- receiver commands -----------------------------------------------------------------------

template <typename Command>
ReceiverAnswer UsbDriverMangerFalcon::receiverCommand(Command command)
{
    if (!m_driver || m_driver->linkMode() != 1)
        return ReceiverAnswer::NotSupported;
    return command(*m_driver) ? ReceiverAnswer::Acknowledged : ReceiverAnswer::Refused;
}

ReceiverAnswer UsbDriverMangerFalcon::EnterPairingMode()
{
    return receiverCommand([](USBDriverFalcon &d) { return d.EnterPairingMode(); });
}

ReceiverAnswer UsbDriverMangerFalcon::SetPairingAddress(DWORD address)
{
    return receiverCommand([address](USBDriverFalcon &d) { return d.SetPairingAddress(address); });
}

ReceiverAnswer UsbDriverMangerFalcon::ResetReceiverPairing()
{
    return receiverCommand([](USBDriverFalcon &d) { return d.ResetPairing(); });
}

ReceiverAnswer UsbDriverMangerFalcon::GetReceiverWorkMode(int &mode)
{
    return receiverCommand([&mode](USBDriverFalcon &d) {
        BYTE value = 0;
        if (!d.GetWorkMode(&value))
            return 0;
        mode = value;
        return 1;
    });
}

// ---- report rate, lift-off ----------------------------------------------------------------

bool UsbDriverMangerFalcon::GetUsbReportRate(int &rate, int profile)
{
    DWORD word = 0;
    if (!m_driver || !m_driver->GetSettingsWordA(&word, profile))
        return false;
    const int index = rateIndexOfCode(int(word & 0xFF));
    if (index < 0) {
        qDebug() << "GetUsbReportRate unknown code" << (word & 0xFF);
        return false;
    }
    rate = index;
    return true;
}

int UsbDriverMangerFalcon::rateIndexOfCode(int code)
{
    switch (code) {
    case 1: return 3;
    case 2: return 2;
    case 4: return 1;
    case 8: return 0;
    default: return -1;
    }
}

bool UsbDriverMangerFalcon::SetUsbReportRate(int rate, int profile)
{
    static constexpr DWORD kCodes[4] = {8, 4, 2, 1};
    if (rate < 0 || rate > 3 || !m_driver)
        return false;
    if (!m_driver->SetSettingsWordA(kCodes[rate], profile))
        return false;
    putDword(kReportRate, kCodes[rate]);
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::GetSilentHeight(int &value, int profile)
{
    DWORD word = 0;
    if (!validProfile(profile) || !m_driver || !m_driver->GetSettingsWordB(&word, profile))
        return false;
    value = int(word);
    return true;
}

bool UsbDriverMangerFalcon::SetSilentHeight(int value, int profile)
{
    if (!validProfile(profile) || !m_driver || !m_driver->SetSettingsWordB(DWORD(value), profile))
        return false;
    putDword(kSilentHeight, DWORD(value));
    saveCurrent();
    return true;
}

// ---- DPI ----------------------------------------------------------------------------------

int UsbDriverMangerFalcon::maxStages(int model)
{
    // The mouse keeps its stage count in byte 14 of the 16-byte stage table, so an eighth
    // stage would be overwritten by it: seven stages at most.
    const Catalog::Model *row = falconRow(model);
    return row ? row->maxStages : kOtherMaxStages;
}

int UsbDriverMangerFalcon::stageCap(int model)
{
    const Catalog::Model *row = falconRow(model);
    return row ? row->currentStageCap : kOtherStageCap;
}

std::optional<int> UsbDriverMangerFalcon::dpiToRaw(int model, DWORD value)
{
    const Catalog::Model *row = falconRow(model);
    if (!row || value > DWORD(row->dpi.maximum))
        return std::nullopt;
    const auto code = Catalog::encodeDpi(*row, int(value));
    if (!code)
        return std::nullopt;
    return code->first;
}

int UsbDriverMangerFalcon::rawToDpi(int model, int raw)
{
    const Catalog::Model *row = falconRow(model);
    return row ? Catalog::decodeDpi(*row, raw) : raw * 50;
}

bool UsbDriverMangerFalcon::GetCPIStageMatrix(QVector<int> &values, int profile)
{
    BYTE block[16] = {};
    if (!m_driver || !m_driver->GetDpiStageBlock(block, profile))
        return false;
    values = decodeStageTable(modelCode(), block);
    return true;
}

QVector<int> UsbDriverMangerFalcon::decodeStageTable(int model, const BYTE *table)
{
    QVector<int> values(8, 0);
    const Catalog::Model *row = falconRow(model);
    int last = row ? row->readLastStage : kOtherReadLastStage;
    if (row && row->readStopsAtStageCount)
        last = std::min<int>(table[14], last);
    for (int i = 0; i <= last; ++i)
        values[i] = rawToDpi(model, table[2 * i] | (table[2 * i + 1] << 8));
    return values;
}

bool UsbDriverMangerFalcon::SetCPIListValue(const QList<DWORD> &list, int profile)
{
    const int model = modelCode();
    // A disabled row does not end the list: the enabled values go into consecutive stages.
    // The five-stage models take the first five of them.
    const Catalog::Model *row = falconRow(model);
    const QList<DWORD> stages = activeDpiStages(list, row ? row->listRowsTaken : kOtherListRows);
    const int n = stages.size();
    if (!m_driver || n == 0 || n > maxStages(model)) {
        qDebug() << "SetCPIListValue refused: stages" << n;
        return false;
    }
    QByteArray table(16, '\0');
    for (int i = 0; i < n; ++i) {
        const auto raw = dpiToRaw(model, stages[i]);
        if (!raw) {
            qDebug() << "SetCPIListValue refused: DPI" << stages[i] << "out of range for model" << model;
            return false;
        }
        table[2 * i] = char(*raw & 0xFF);
        table[2 * i + 1] = char((*raw >> 8) & 0xFF);
    }
    const int current = std::min(n - 1, stageCap(model));
    if (!m_driver->SetSettingsWordCByte2(BYTE(n - 1)))
        return false;
    putByte(kLastStageIndex, n - 1);
    if (!m_driver->SetDpiLedRateLightIntensityByte0(BYTE(current), profile)) {
        saveCurrent();
        return false;
    }
    putByte(kCurrentStage, current);
    if (!m_driver->SetDpiStageBlock(reinterpret_cast<const BYTE *>(table.constData()), 16, profile)) {
        saveCurrent();
        return false;
    }
    // The mouse keeps the last stage index in table byte 14 (and 0 in byte 15): so does the
    // mirror, which must equal the mouse for the configuration compare.
    table[14] = char(n - 1);
    table[15] = 0;
    m_image.replace(kDpiTable, 16, table);
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::SetDPIStageMatrix(DWORD value, int stage, int profile)
{
    const int model = modelCode();
    if (!m_driver || stage < 1 || stage > maxStages(model))
        return false;
    std::optional<int> raw;
    if (value != 0) {
        raw = dpiToRaw(model, value);
        if (!raw)
            return false;
    }
    BYTE block[16] = {};
    if (!m_driver->GetDpiStageBlock(block, profile))
        return false;
    QVector<int> raws;
    const int count = std::min<int>(block[14] + 1, maxStages(model));
    for (int i = 0; i < maxStages(model); ++i)
        raws << (block[2 * i] | (block[2 * i + 1] << 8));
    raws.resize(count);
    if (!raw) {
        if (stage > count || count == 1)
            return false;
        raws.remove(stage - 1);
    } else {
        if (stage > count) {
            for (int i = count; i < stage; ++i)
                raws << (block[2 * i] | (block[2 * i + 1] << 8));
        }
        raws[stage - 1] = *raw;
    }
    const int n = raws.size();
    QByteArray table(16, '\0');
    for (int i = 0; i < n; ++i) {
        table[2 * i] = char(raws[i] & 0xFF);
        table[2 * i + 1] = char((raws[i] >> 8) & 0xFF);
    }
    if (n != count) {
        if (!m_driver->SetSettingsWordCByte2(BYTE(n - 1)))
            return false;
        putByte(kLastStageIndex, n - 1);
    }
    if (!m_driver->SetDpiStageBlock(reinterpret_cast<const BYTE *>(table.constData()), 16, profile)) {
        if (n != count)
            saveCurrent();
        return false;
    }
    table[14] = char(n - 1);
    table[15] = 0;
    m_image.replace(kDpiTable, 16, table);
    saveCurrent();
    return true;
}

// ---- list macro position and count --------------------------------------------------------

bool UsbDriverMangerFalcon::GetListMacroPosition(BYTE &position, int profile)
{
    return m_driver && m_driver->GetSettingsWordDByte1(&position, profile);
}

bool UsbDriverMangerFalcon::SetListMacroPosition(BYTE position, int profile)
{
    return sendSettingsByte(&USBDriverFalcon::SetSettingsWordDByte1, position, profile, kListMacroPosition);
}

bool UsbDriverMangerFalcon::setListMacroCount(int count, int profile)
{
    if (!m_driver || !m_driver->SetSettingsWordDByte2(BYTE(count), profile))
        return false;
    putByte(kListMacroCount, count);
    return true;
}

int UsbDriverMangerFalcon::listMacroCountFromMouse()
{
    // Only this program sets the count: while the mirror proves profile 1 it knows it.
    if (m_driver && m_imageProvenAt >= 0 && m_imageProvenAt == m_driver->failedWrites())
        return BYTE(m_image[kListMacroCount]);
    DWORD word = 0;
    if (!m_driver || !m_driver->ReadSettingsWordD(&word, kWrittenProfile))
        return 0;
    return int((word >> 16) & 0xFF);
}

// ---- lighting -----------------------------------------------------------------------------

bool UsbDriverMangerFalcon::sendSettingsByte(int (USBDriverFalcon::*setter)(BYTE, int), int value,
                                             int profile, int offset)
{
    if (!m_driver || !((*m_driver).*setter)(BYTE(value), profile))
        return false;
    putByte(offset, value);
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::SetMouseLightMode(bool, int mode, int profile)
{
    return sendSettingsByte(&USBDriverFalcon::SetDpiLedRateLightIntensityByte1, mode, profile, kLightMode);
}

bool UsbDriverMangerFalcon::SetMouseBreathSpeed(bool, int speed, int profile)
{
    return sendSettingsByte(&USBDriverFalcon::SetDpiLedRateLightIntensityByte2, speed, profile, kBreathSpeed);
}

bool UsbDriverMangerFalcon::SetMouseContinueLightDegree(bool, int degree, int profile)
{
    return sendSettingsByte(&USBDriverFalcon::SetDpiLedRateLightIntensityByte3, degree, profile, kLightDegree);
}

bool UsbDriverMangerFalcon::SetMouseColor(bool, const QList<COLORREF> &colors, int profile)
{
    if (!m_driver || colors.isEmpty())
        return false;
    DWORD table[3];
    for (int i = 0; i < 3; ++i)
        table[i] = i < colors.size() ? colors[i] : le32(m_image, kColors + 4 * i);
    if (!m_driver->SetLedColorMatrixAll(table, 3, profile))
        return false;
    // All three colours reach the mouse, so all three go into the mirror: a mirror holding only
    // the first would no longer match the mouse in the configuration compare.
    for (int i = 0; i < 3; ++i)
        putDword(kColors + 4 * i, table[i]);
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::SetLightParameter(int mode, int speed, int degree,
                                              const QList<COLORREF> &colors, int profile)
{
    return SetMouseLightMode(false, mode, profile) && SetMouseBreathSpeed(false, speed, profile)
        && SetMouseContinueLightDegree(false, degree, profile)
        && (colors.isEmpty() || SetMouseColor(false, colors, profile));
}

bool UsbDriverMangerFalcon::GetLightParameter(LightColorParam &param, int profile)
{
    BYTE b0 = 0, b1 = 0, b2 = 0, b3 = 0;
    DWORD colors[3] = {};
    if (!m_driver || !m_driver->GetDpiLedRateLightIntensity(&b0, &b1, &b2, &b3, profile)
        || !m_driver->GetLedColorMatrixAll(colors, 3, profile))
        return false;
    LightColorParam p;
    p.logo.mode = b1;
    p.logo.speed = b2;
    p.logo.degree = b3;
    for (int i = 0; i < 3; ++i)
        p.logo.setColor(i, colors[i]);
    param = p;
    return true;
}

// ---- buttons ------------------------------------------------------------------------------

bool UsbDriverMangerFalcon::writeButtonEntry(int button, const Entry &entry, int profile)
{
    const int slot = slotOf(button);
    if (slot < 0 || !m_driver)
        return false;
    if (!m_driver->WriteProfileBytes(entry.data(), 4, profile, 0x200 + 4 * slot))
        return false;
    setEntryAtSlot(slot, entry);
    return true;
}

void UsbDriverMangerFalcon::clearMacroSlot(int slot)
{
    m_macroSizes[slot] = 0;
    m_macroSlots[slot].fill('\0');
    const int known = m_macroProven[slot];
    m_macroProven[slot] = 0;
    const BYTE zero[2] = {0, 0};
    if (m_driver && m_driver->WriteEEPROM(macroAddress(slot), 2, zero)) {
        qDebug() << "ClearSingleMacroData ok";
        m_macroHeld[slot][0] = 0;
        m_macroHeld[slot][1] = 0;
        m_macroProven[slot] = std::max(known, 2);
    } else {
        qDebug() << "ClearSingleMacroData failed";
    }
}

bool UsbDriverMangerFalcon::writeMacroSlot(int slot, const QByteArray &area)
{
    const bool list = slot >= kFirstListSlot;
    const int index = list ? slot - kFirstListSlot : slot;
    const int known = m_macroProven[slot];
    // Until every chunk is confirmed nothing of the slot is known.
    m_macroProven[slot] = 0;
    if (!m_driver->WriteMacro(index, list, reinterpret_cast<const BYTE *>(area.constData()), area.size(),
                              reinterpret_cast<const BYTE *>(m_macroHeld[slot].constData()), known))
        return false;
    // The bytes past the new macro are still those the mouse held before.
    const int total = lengthWord(area);
    m_macroHeld[slot].replace(0, total, area.left(total));
    m_macroProven[slot] = std::max(known, total);
    return true;
}

bool UsbDriverMangerFalcon::restoreFactoryEntry(int button, int profile)
{
    const Entry factory = factoryEntry(button);
    if (factory[0] == 0x03 && factory[2] == 0x01) {
        // The left button also plays the list macros: take them away with it.
        if (!setListMacroCount(0, profile))
            return false;
        if (!m_driver->SetSettingsWordDByte1(0, profile)) {
            saveCurrent();
            return false;
        }
        putByte(kListMacroPosition, 0);
        for (int slot = kFirstListSlot; slot < kMacroSlots; ++slot)
            clearMacroSlot(slot);
    }
    clearMacroSlot(macroSlotOfButton(button));
    if (!writeButtonEntry(button, factory, profile)) {
        saveCurrent();
        return false;
    }
    return true;
}

bool UsbDriverMangerFalcon::SetChangeButtonToKey(int button, int value, int modifier,
                                                 int changeType, int profile)
{
    // The guard comes first, whatever the change type: even a request that would be refused
    // for its own reasons tells the user why the only left button stays as it is.
    if (leftButtonGuardRefuses(leftClickButtons(), button, changeType)) {
        Q_EMIT sig_WarningOnlyLeftButton(kOnlyLeftButtonWarning);
        return true;
    }
    if (!m_driver || slotOf(button) < 0 || !validProfile(profile)) {
        qDebug() << "SetChangeButtonToKey refused: button" << button << "profile" << profile;
        return false;
    }
    std::optional<Entry> entry;
    if (changeType != MouseButtonChangeToMacro) {
        entry = FalconButtonEntry::encode(changeType, value, modifier);
        if (!entry) {
            qDebug() << "SetChangeButtonToKey refused: change type" << changeType << "value" << value
                     << "modifier" << modifier;
            return false;
        }
    }
    const bool ok = entry ? writeButtonEntry(button, *entry, profile) : restoreFactoryEntry(button, profile);
    if (!ok)
        return false;
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::SetChangeButtonToMacro(int, int, int) { return true; }

bool UsbDriverMangerFalcon::SetChangeButtonToMacro(int button, int macroSlot, int, int profile)
{
    if (macroSlot < 0 || macroSlot >= kMacroSlots)
        return false;
    const Entry entry{{0x05, 0x00, BYTE(macroSlot), 0x00}};
    if (!writeButtonEntry(button, entry, profile))
        return false;
    saveCurrent();
    return true;
}

void UsbDriverMangerFalcon::checkAllMouseButtonIsOriginalMouseButton()
{
    std::optional<int> listCount; // read from the mouse once, when needed
    auto count = [&] {
        if (!listCount)
            listCount = listMacroCountFromMouse();
        return *listCount;
    };
    // Buttons in ascending order, whatever slots they use.
    for (int button = kFirstButton; button <= kLastButton; ++button) {
        const Entry current = currentEntry(button);
        if (current == factoryEntry(button) && (button != kFirstButton || count() == 0)) {
            Q_EMIT sig_CurrentButtonIsOriginalButton(true, button);
            continue;
        }
        Q_EMIT sig_CurrentButtonIsOriginalButton(false, button);
        const bool needsCount = current[0] == 0x03 && current[2] == 0x01 && current[3] != 1;
        const auto report = FalconButtonEntry::decode(current, needsCount ? count() : 0);
        Q_EMIT sig_TrueMouseValue(button, report.changeType, report.trueValue, report.modifyValue);
    }
}

// ---- macros -------------------------------------------------------------------------------

bool UsbDriverMangerFalcon::convertMacroFile(const QString &path, QByteArray &slot, int &macroType)
{
    if (!QFile::exists(path)) {
        qDebug() << "macro file missing:" << path;
        return false;
    }
    const QList<MacroNode> nodes = m_json->getMacroNodeList(path);
    if (nodes.isEmpty()) {
        qDebug() << "macro file without steps:" << path;
        return false;
    }
    macroType = m_json->getMacroType(path);
    const auto result = FalconMacroEncoder::encode(nodes, m_json->getIgnoreDelayTime(path),
                                                   m_json->getRepeatTimes(path), macroType);
    if (!result.ok) {
        qDebug().noquote() << QStringLiteral("StandardToHardware = 0x%1").arg(result.nodes, 0, 16);
        qDebug() << "macro refused:" << result.error << path;
        return false;
    }
    slot = result.slot;
    return true;
}

bool UsbDriverMangerFalcon::WriteSingleMacro(int button, const QString &macroFile)
{
    const int slot = macroSlotOfButton(button);
    if (!m_driver || slot < 0)
        return false;
    const QList<int> left = leftClickButtons();
    if (left.size() == 1 && left.first() == button) {
        Q_EMIT sig_WarningOnlyLeftButton(kOnlyLeftButtonWarning);
        return true;
    }
    QByteArray buffer;
    int macroType = 0;
    if (!convertMacroFile(macroFile, buffer, macroType))
        return false;
    if (!writeMacroSlot(slot, buffer))
        return false;
    m_macroSlots[slot] = buffer;
    m_macroSizes[slot] = lengthWord(buffer);
    if (!SetChangeButtonToMacro(button, slot, macroType, kWrittenProfile)) {
        saveCurrent();
        return false;
    }
    return true;
}

bool UsbDriverMangerFalcon::WriteListMacro(const QStringList &macroFiles)
{
    if (macroFiles.size() == 1)
        return WriteSingleMacro(kFirstButton, macroFiles.first());
    if (!m_driver || macroFiles.isEmpty() || macroFiles.size() > kMaxListMacros) {
        qDebug() << "WriteListMacro refused:" << macroFiles.size() << "files";
        return false;
    }
    // Every file is checked before anything changes in the mouse.
    QVector<QByteArray> buffers;
    for (const QString &path : macroFiles) {
        QByteArray buffer;
        int macroType = 0;
        if (!convertMacroFile(path, buffer, macroType))
            return false;
        buffers << buffer;
    }
    if (!restoreFactoryEntry(kFirstButton, kWrittenProfile))
        return false;
    for (int slot = kFirstListSlot; slot < kMacroSlots; ++slot)
        clearMacroSlot(slot);
    int written = 0;
    for (int i = 0; i < macroFiles.size(); ++i) {
        const int j = int(macroFiles.indexOf(macroFiles[i]));
        const QByteArray &buffer = buffers[j];
        if (writeMacroSlot(kFirstListSlot + j, buffer)) {
            m_macroSlots[kFirstListSlot + j] = buffer;
            m_macroSizes[kFirstListSlot + j] = lengthWord(buffer);
            ++written;
        }
    }
    bool ok = setListMacroCount(written, kWrittenProfile);
    if (ok && m_driver->SetSettingsWordDByte1(0, kWrittenProfile))
        putByte(kListMacroPosition, 0);
    else
        ok = false;
    saveCurrent();
    return ok;
}

// ---- OLED ---------------------------------------------------------------------------------

bool UsbDriverMangerFalcon::SetOLEDScreenParameter(int code)
{
    const BYTE flag = code == 3 ? 1 : 0;
    if (!m_driver || !m_driver->SetSettingsWordGXY(BYTE(code), flag, kWrittenProfile))
        return false;
    putByte(kOledBehaviour, code);
    putByte(kOledScreenOff, flag);
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::SetOLEDScreenLightIntensity(int intensity)
{
    return sendSettingsByte(&USBDriverFalcon::SetSettingsWordDByte0, intensity, kWrittenProfile, kOledIntensity);
}

int UsbDriverMangerFalcon::GetOLEDScreenLightIntensity() { return BYTE(m_image[kOledIntensity]); }
int UsbDriverMangerFalcon::GetCurrentPictureIndex() { return BYTE(m_image[kOledBehaviour]); }

bool UsbDriverMangerFalcon::SetPictureSettingByte(int value, int profile)
{
    if (!m_driver || !m_driver->SetSettingsDoubleWordFByte(0, BYTE(value), profile))
        return false;
    putByte(kPictureSettings, value);
    saveCurrent();
    return true;
}

bool UsbDriverMangerFalcon::GetOLEDScreenParameter(QVector<int> &values, int profile)
{
    DWORD d = 0, e = 0, g = 0, h = 0, i = 0;
    BYTE f[8] = {};
    if (!m_driver || !m_driver->ReadSettingsWordD(&d, profile) || !m_driver->GetSettingsWordE(&e)
        || !m_driver->GetSettingsWordG(&g, profile) || !m_driver->GetSettingsWordH(&h, profile)
        || !m_driver->GetSettingsWordI(&i, profile) || !m_driver->GetSettingsDoubleWordF(f, profile))
        return false;
    values = {int(d), int(e), int(g), int(h), int(i)};
    for (BYTE b : f)
        values << b;
    return true;
}

bool UsbDriverMangerFalcon::GetPictureFromMouse(int pictureSlot, QImage &image)
{
    BYTE bytes[USBDriverFalcon::kPictureSize] = {};
    if (!m_driver || pictureSlot < 0 || !m_driver->ReadPicture(pictureSlot, bytes))
        return false;
    return USBDriverFalcon::ByteArrToImage(image, bytes, USBDriverFalcon::kPictureSize) != 0;
}

bool UsbDriverMangerFalcon::writeImageToMouse(int model, const QString &configText, int pictureSlot,
                                              int)
{
    if (!m_driver)
        return false;
    if (configText == QLatin1String("0")) {
        // Back to the factory picture: picture number 7, behaviour 1.
        if (!m_driver->SetSettingsWordE(7))
            return false;
        if (!SetOLEDScreenParameter(1))
            return false;
        putDword(kOledPicture, 7);
        if (!SetOLEDScreenParameter(1))
            return false;
        saveCurrent();
        QFile::remove(StoragePaths::picturePath(model, m_currentConfig));
        return true;
    }
    bool numberOk = false;
    const int number = configText.toInt(&numberOk);
    if (!numberOk || number < 1 || number > 5 || pictureSlot < 0)
        return false;
    QImage picture(StoragePaths::picturePath(model, number));
    if (picture.isNull() || picture.size() != QSize(64, 48)) {
        qDebug() << "writeImageToMouse: no 64 x 48 picture for configuration" << number;
        return false;
    }
    // A colour picture (the editor saves one) becomes black and white at half grey, without
    // dithering; a one-bit file keeps its pixels and palette. Light pixels light on the screen.
    picture = picture.convertToFormat(QImage::Format_MonoLSB, Qt::ThresholdDither);
    BYTE bytes[USBDriverFalcon::kPictureSize] = {};
    if (!USBDriverFalcon::ImageToByteArr(picture, bytes, USBDriverFalcon::kPictureSize))
        return false;
    // Every step's result counts: a picture that did not reach the mouse is no success.
    if (!m_driver->WritePicture(pictureSlot, bytes) || !m_driver->SetSettingsWordE(8))
        return false;
    putDword(kOledPicture, 8);
    if (!SetOLEDScreenParameter(8)) {
        saveCurrent();
        return false;
    }
    return true;
}

// ---- battery ------------------------------------------------------------------------------

int UsbDriverMangerFalcon::batteryLevel(DWORD raw)
{
    const DWORD state = raw >> 24;
    if (state == 1)
        return 101;
    if (state == 2)
        return 102;
    if (state >= 3)
        return 103;
    for (const BatteryStep &step : kBattery) {
        if (raw <= step.upTo)
            return step.percent;
    }
    return 100;
}

bool UsbDriverMangerFalcon::GetBatteryPower(int &level)
{
    DWORD raw = 0;
    if (!m_driver || !m_driver->GetPowerState(&raw))
        return false;
    level = batteryLevel(raw);
    return true;
}

// ---- whole profile ------------------------------------------------------------------------

int UsbDriverMangerFalcon::imageProof() const
{
    // The mirror proves only profile 1, the profile whose memory the image writes go to.
    return m_driver && m_driver->currentProfile() == 1 ? m_driver->failedWrites() : -1;
}

bool UsbDriverMangerFalcon::readMacroSlot(int slot, QByteArray &buffer, int &size)
{
    buffer = QByteArray(kMacroSlotSize, '\0');
    size = 0;
    // The first read fetches a whole chunk: the length word and the macro's first bytes. Only
    // the used bytes past it are read after; the rest of the slot is never looked at.
    BYTE head[kMacroHeadRead] = {};
    if (!m_driver->ReadEEPROM(macroAddress(slot), kMacroHeadRead, head))
        return false;
    const int length = head[0] | (head[1] << 8);
    // Only a valid hardware form is a macro; an erased or never written slot is empty.
    if (length < 4 || length > kMacroSlotSize || (length - 4) % 3 != 0)
        return true;
    BYTE *bytes = reinterpret_cast<BYTE *>(buffer.data());
    std::memcpy(bytes, head, size_t(qMin(length, kMacroHeadRead)));
    if (length > kMacroHeadRead
        && !m_driver->ReadEEPROM(macroAddress(slot) + kMacroHeadRead, length - kMacroHeadRead,
                                 bytes + kMacroHeadRead))
        return false;
    size = length;
    return true;
}

bool UsbDriverMangerFalcon::GetProfileData()
{
    if (!m_driver)
        return false;
    QByteArray image = m_image;
    if (!m_driver->GetProfileData(reinterpret_cast<BYTE *>(image.data()), kImageSize))
        return false;
    QVector<QByteArray> macros(kMacroSlots);
    QVector<int> sizes(kMacroSlots, 0);
    for (int slot = 0; slot < kMacroSlots; ++slot) {
        if (!readMacroSlot(slot, macros[slot], sizes[slot])) {
            qDebug() << "GetProfileData: macro slot" << slot << "could not be read";
            return false;
        }
    }
    m_image = image;
    m_macroSlots = macros;
    m_macroSizes = sizes;
    m_macroHeld = macros;
    m_macroProven = sizes;
    m_imageProvenAt = imageProof();
    checkAllMouseButtonIsOriginalMouseButton();
    return true;
}

bool UsbDriverMangerFalcon::SetProfileData()
{
    return m_driver && m_driver->SetProfileData(reinterpret_cast<const BYTE *>(m_image.constData()), kImageSize);
}

bool UsbDriverMangerFalcon::WriteProfileIntoMouse() { return SetProfileData(); }

// ---- configuration files ------------------------------------------------------------------

bool UsbDriverMangerFalcon::SetCurrentConfigNumber(int configNumber)
{
    if (configNumber < 1 || configNumber > 5)
        return false;
    m_currentConfig = configNumber;
    return true;
}

void UsbDriverMangerFalcon::SaveConfigFileByConfigureNumber(int configNumber)
{
    if (configNumber < 0 || configNumber > 5)
        return;
    const int model = modelCode();
    m_json->saveMouseData_Kelvo(m_image, model, configNumber);
    for (int slot = 0; slot < kMacroSlots; ++slot)
        m_json->saveMacroData_Kelvo(m_macroSlots[slot], slot, model, configNumber);
    checkAllMouseButtonIsOriginalMouseButton();
    BYTE profile = 1;
    if (m_driver && m_driver->GetCurrentProfile(&profile) && profile == 0)
        m_driver->SetCurrentProfile(1);
}

void UsbDriverMangerFalcon::loadConfig(int configNumber, QByteArray &image, QVector<QByteArray> &macros)
{
    const int model = modelCode();
    image = QByteArray(kImageSize, '\0');
    m_json->getMouseData_Kelvo(image, model, configNumber);
    macros = QVector<QByteArray>(kMacroSlots);
    for (int slot = 0; slot < kMacroSlots; ++slot) {
        m_json->getMacroData_Kelvo(macros[slot], model, configNumber, slot);
        if (macros[slot].size() != kMacroSlotSize)
            macros[slot] = QByteArray(kMacroSlotSize, '\0');
    }
}

bool UsbDriverMangerFalcon::sendLoadedConfig(int configNumber, bool withMacros)
{
    if (!m_driver || configNumber < 0 || configNumber > 5)
        return false;
    QByteArray image;
    QVector<QByteArray> macros;
    loadConfig(configNumber, image, macros);
    // Only what differs from the mouse is sent, where the mirror proves what the mouse holds:
    // the image while no write failed since it was read or written whole, a macro slot as far
    // as it was read or written.
    const bool imageProven = m_imageProvenAt >= 0 && m_imageProvenAt == m_driver->failedWrites();
    if (!m_driver->SetProfileData(reinterpret_cast<const BYTE *>(image.constData()), kImageSize,
                                  imageProven ? reinterpret_cast<const BYTE *>(m_image.constData())
                                              : nullptr))
        return false;
    m_image = image;
    m_imageProvenAt = imageProof();
    bool ok = true;
    for (int slot = 0; slot < kMacroSlots; ++slot) {
        const int size = FalconLegacyFile::slotSize(macros[slot]);
        if (withMacros && ok) {
            if (size > 0) {
                ok = writeMacroSlot(slot, macros[slot]);
            } else if (m_macroSizes[slot] > 0) {
                // The configuration has no macro here: empty the slot the mouse still holds.
                clearMacroSlot(slot);
            }
            if (!ok)
                break;
        }
        m_macroSlots[slot] = size > 0 ? macros[slot] : QByteArray(kMacroSlotSize, '\0');
        m_macroSizes[slot] = size;
    }
    checkAllMouseButtonIsOriginalMouseButton();
    return ok;
}

bool UsbDriverMangerFalcon::LoadConfigFileByNumber(int configNumber)
{
    return sendLoadedConfig(configNumber, true);
}

bool UsbDriverMangerFalcon::LoadOnlyMouseConfigFileByNumber(int configNumber)
{
    return sendLoadedConfig(configNumber, false);
}

bool UsbDriverMangerFalcon::CompareMouseAndLocalFileData(int &configNumber)
{
    const int model = modelCode();
    const Catalog::Model *row = falconRow(model);
    const int cap = row ? row->compareStageCap : kOtherStageCap;
    for (int n = 1; n <= 5; ++n) {
        QByteArray stored(kImageSize, '\0');
        m_json->getMouseData_Kelvo(stored, model, n);
        // The current stage never counts.
        stored[kCurrentStage] = m_image[kCurrentStage];
        if (stored.mid(16, 108) != m_image.mid(16, 108)) {
            // Not this one: the mirror's current stage becomes the capped last stage, as the
            // mouse's does when a configuration matches.
            putByte(kCurrentStage, std::min<int>(BYTE(m_image[kLastStageIndex]), cap));
            continue;
        }
        m_currentConfig = n;
        configNumber = n;
        const int stage = std::min<int>(BYTE(m_image[kLastStageIndex]), cap);
        if (m_driver && m_driver->SetDpiLedRateLightIntensityByte0(BYTE(stage), kWrittenProfile))
            putByte(kCurrentStage, stage);
        return true;
    }
    qDebug() << "didnt find  the config";
    return false;
}

// ---- legacy binary files ------------------------------------------------------------------

void UsbDriverMangerFalcon::TurnOldTxtFileToNewJsonFile()
{
    const int model = modelCode();
    if (!QFile::exists(StoragePaths::legacyConfigPath(model, 1)))
        return;
    QFile::remove(StoragePaths::legacyConfigPath(model, 0));
    for (int n = 1; n <= 5; ++n) {
        const QString path = StoragePaths::legacyConfigPath(model, n);
        if (!QFile::exists(path))
            continue;
        FalconLegacyFile file;
        if (!file.read(path))
            continue; // kept: a damaged file is not turned into a damaged configuration
        bool saved = m_json->saveMouseData_Kelvo(file.image, model, n);
        for (int slot = 0; slot < kMacroSlots; ++slot)
            saved = m_json->saveMacroData_Kelvo(file.macros[slot], slot, model, n) && saved;
        // Only a file whose contents reached the JSON configuration is deleted.
        if (saved)
            QFile::remove(path);
        else
            qDebug() << "TurnOldTxtFileToNewJsonFile: configuration" << n << "not saved, kept" << path;
    }
}

void UsbDriverMangerFalcon::TurnNewFileToOldFile()
{
    for (int n = 1; n <= 5; ++n) {
        FalconLegacyFile file;
        QVector<QByteArray> macros;
        loadConfig(n, file.image, macros);
        file.macros = macros;
        if (!file.write(StoragePaths::legacyConfigPath(modelCode(), n)))
            qDebug() << "TurnNewFileToOldFile: configuration" << n << "not written";
    }
}

void UsbDriverMangerFalcon::removeOldTxtFile()
{
    for (int n = 1; n <= 5; ++n)
        QFile::remove(StoragePaths::legacyConfigPath(modelCode(), n));
}
