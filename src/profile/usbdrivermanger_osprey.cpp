#include "profile/usbdrivermanger_osprey.h"

#include "catalog/modelcatalog.h"
#include "storage/highestfunction.h"
#include "storage/jsonhandle.h"
#include "profile/ospreykeytable.h"
#include "device/watcher/producttable.h"
#include "storage/storageio.h"
#include "storage/storagepaths.h"
#include "device/osprey/usbdriver_osprey.h"

#include <QDebug>
#include <QFile>
#include <QJsonObject>

#include <limits>

namespace {
// Image offsets.
constexpr int kReportRate = 0;
constexpr int kSilentHeight = 1;
constexpr int kDpiGear = 5;
constexpr int kListMacroPosition = 8;
constexpr int kExtraByte = 9;
constexpr int kOledBehaviour = 11;
constexpr int kOledIntensity = 12;
constexpr int kMainMode = 14;
constexpr int kMainDegree = 15;
constexpr int kWheelMode = 17;
constexpr int kWheelDegree = 18;
constexpr int kMainColor = 20;
constexpr int kMainSpeed = 26;
constexpr int kModeThreeMark = 29;
constexpr int kWheelColor = 39;
constexpr int kWheelSpeed = 45;
constexpr int kDpiLow = 58;
constexpr int kDpiHigh = 66;
constexpr int kDpiLowCopy = 74;
constexpr int kDpiHighCopy = 82;
constexpr int kButton4 = 90;
constexpr int kLarkButton16 = 138;

const QByteArray kLeftClick("\x01\x00\xF0\x00", 4);
const QByteArray kListMacroEntry("\x11\x01\x00\x00", 4);
const QByteArray kProfileLoop("\x08\x00\x03\x00", 4);
const QByteArray kEmptyRecord("\x00\x00", 2);

QByteArray entryOf(BYTE a, BYTE b, BYTE c, BYTE d)
{
    QByteArray e(4, '\0');
    e[0] = char(a);
    e[1] = char(b);
    e[2] = char(c);
    e[3] = char(d);
    return e;
}

bool isEmptyRecord(const QByteArray &record)
{
    return record.size() < 4 || (record.at(2) == 0 && record.at(3) == 0);
}

// Clamped in 64 bits, so that a negated INT_MIN coordinate is a large positive value.
BYTE signedByte(qint64 v)
{
    return BYTE(qint8(qBound<qint64>(-128, v, 127)));
}

void appendWord(QByteArray &words, int first, int second)
{
    words.append(char(BYTE(first)));
    words.append(char(BYTE(second)));
}

void appendBigEndian(QByteArray &words, int value)
{
    value = qBound(0, value, 0xFFFF);
    appendWord(words, value >> 8, value & 0xFF);
}

// The Osprey family's table of special key combinations reported as code 0..6.
int specialCombination(BYTE modifier, BYTE usage)
{
    if (modifier == 1) {
        switch (usage) {
        case 0x1A: return 0; // W
        case 0x2E: return 4; // =
        case 0x2D: return 5; // -
        case 0x09: return 6; // F
        default: return -1;
        }
    }
    if (modifier == 8) {
        switch (usage) {
        case 0x0F: return 1; // L
        case 0x15: return 2; // R
        case 0x07: return 3; // D
        default: return -1;
        }
    }
    return -1;
}

// A key code for the log: the name of the keys this family's table leaves out, and the code.
QString keyLabel(int virtualKey)
{
    QString name;
    switch (virtualKey) {
    case 0xA1: name = QStringLiteral("right Shift "); break;
    case 0xA3: name = QStringLiteral("right Ctrl "); break;
    case 0xA5: name = QStringLiteral("right Alt "); break;
    case 0x5D: name = QStringLiteral("Menu "); break;
    default: break;
    }
    return name + QStringLiteral("(virtual key 0x%1)")
                      .arg(QString::number(virtualKey, 16).toUpper().rightJustified(2, QLatin1Char('0')));
}

int consumerChangeType(int usage)
{
    for (int t = MouseButtonChangeToMute; t <= MouseButtonChangeToMediaPlayer; ++t)
        if (consumerUsageOfChangeType(t) == usage)
            return t;
    return MouseButtonChangeToMultimedia;
}
} // namespace

UsbDriverManger_Osprey::UsbDriverManger_Osprey(int modelCode, QObject *parent)
    : USBDriverManger(parent), m_modelCode(modelCode), m_json(std::make_unique<JsonHandle>()),
      m_block(kBlockSize, '\0'), m_macros(kLarkMacroSlots)
{
    m_json->createAOriginalMouseDataFile_Halden(m_image, m_modelCode);
    m_block.replace(kImageOffset, kImageSize, m_image);
}

UsbDriverManger_Osprey::~UsbDriverManger_Osprey() = default;

int UsbDriverManger_Osprey::modelCode() const
{
    return m_modelCode;
}

const Catalog::Model &UsbDriverManger_Osprey::rowOf(int modelCode)
{
    // A code without a row of this family keeps table A, one byte.
    static const Catalog::Model kNoRow;
    const Catalog::Model *row = Catalog::find(modelCode);
    return row && row->family != Catalog::Family::Falcon ? *row : kNoRow;
}

bool UsbDriverManger_Osprey::hasLarkLayout(int modelCode)
{
    return rowOf(modelCode).layout == Catalog::ButtonLayout::Lark;
}

KelvoUSBDriver *UsbDriverManger_Osprey::SetDriver(KelvoUSBDriver *driver)
{
    auto *osprey = qobject_cast<USBDriver_Osprey *>(driver);
    if (!osprey)
        return nullptr;
    if (m_driver.get() != osprey)
        m_driver.reset(osprey);
    // The driver speaks for the manager's mouse: its profile checksum is that model's.
    if (m_modelCode > 0)
        osprey->setModelCode(m_modelCode);
    return osprey;
}

int UsbDriverManger_Osprey::OpenDevice()
{
    const int result = m_driver ? m_driver->FindHIDDevice() : 0;
    m_open = result != 0;
    return result;
}

void UsbDriverManger_Osprey::UnInitDevice()
{
    if (m_driver)
        m_driver->UnInitDevice();
    m_open = false;
}

void UsbDriverManger_Osprey::SetMousePid(USHORT pid)
{
    m_pid = pid;
    if (m_driver)
        m_driver->SetVidPid(pid, ProductTable::vendorId());
}

bool UsbDriverManger_Osprey::GetMousePid(USHORT &pid)
{
    pid = m_pid;
    return true;
}

void UsbDriverManger_Osprey::SetMouseName(const QString &modelFolder)
{
    m_mouseName = modelFolder;
}

// ---- writing -----------------------------------------------------------------------------

bool UsbDriverManger_Osprey::SetProfileData()
{
    if (hasLarkLayout(modelCode()))
        setEntry(kLarkButton16, kProfileLoop);
    if (!m_open || !m_driver) {
        qDebug() << "SetProfileData" << "device not open";
        return false;
    }
    m_block.replace(kImageOffset, kImageSize, m_image);
    return m_driver->SetProfileData(reinterpret_cast<const BYTE *>(m_block.constData())) != 0;
}

bool UsbDriverManger_Osprey::WriteProfileIntoMouse()
{
    return SetProfileData();
}

bool UsbDriverManger_Osprey::WriteProfileIntoMouseAndSaveConfigFile()
{
    if (!WriteProfileIntoMouse()) {
        qDebug() << "WriteProfileIntoMouseAndSaveConfigFile failed";
        return false;
    }
    SaveConfigFileByConfigureNumber(m_configNumber);
    qDebug() << "WriteProfileIntoMouseAndSaveConfigFile ok";
    return true;
}

template <typename Change>
bool UsbDriverManger_Osprey::change(Change &&apply)
{
    const QByteArray image = m_image;
    const QVector<QByteArray> macros = m_macros;
    if (apply() && WriteProfileIntoMouseAndSaveConfigFile())
        return true;
    // A change the mouse did not take must not ride along with the next one.
    m_image = image;
    m_macros = macros;
    m_block.replace(kImageOffset, kImageSize, m_image);
    return false;
}

QByteArray UsbDriverManger_Osprey::entry(int offset) const
{
    return m_image.mid(offset, 4);
}

void UsbDriverManger_Osprey::setEntry(int offset, const QByteArray &e)
{
    m_image.replace(offset, 4, e);
}

// ---- simple settings ---------------------------------------------------------------------

bool UsbDriverManger_Osprey::GetUsbReportRate(int &rate, int)
{
    rate = BYTE(m_image.at(kReportRate));
    return true;
}

bool UsbDriverManger_Osprey::SetUsbReportRate(int rate, int)
{
    if (rate < 0 || rate > 3)
        return false;
    return change([&] {
        m_image[kReportRate] = char(rate);
        return true;
    });
}

bool UsbDriverManger_Osprey::GetSilentHeight(int &value, int)
{
    value = BYTE(m_image.at(kSilentHeight));
    return true;
}

bool UsbDriverManger_Osprey::SetSilentHeight(int value, int)
{
    if (value < 0 || value > 255)
        return false;
    m_image[kSilentHeight] = char(value);
    return true;
}

bool UsbDriverManger_Osprey::GetListMacroPosition(BYTE &position, int)
{
    position = BYTE(m_image.at(kListMacroPosition));
    return true;
}

bool UsbDriverManger_Osprey::SetListMacroPosition(BYTE position, int)
{
    m_image[kListMacroPosition] = char(position);
    return true;
}

bool UsbDriverManger_Osprey::SetOLEDScreenParameter(int code)
{
    BYTE value = 1;
    switch (code) {
    case 2: value = 4; break;
    case 3: value = 0; break;
    case 8: value = 7; break;
    default: break;
    }
    return change([&] {
        m_image[kOledBehaviour] = char(value);
        return true;
    });
}

int UsbDriverManger_Osprey::GetCurrentPictureIndex()
{
    switch (BYTE(m_image.at(kOledBehaviour))) {
    case 0: return 3;
    case 4: return 2;
    case 7: return 8;
    default: return 1;
    }
}

bool UsbDriverManger_Osprey::SetOLEDScreenLightIntensity(int intensity)
{
    if (intensity < 0 || intensity > 255)
        return false;
    return change([&] {
        m_image[kOledIntensity] = char(intensity);
        return true;
    });
}

int UsbDriverManger_Osprey::GetOLEDScreenLightIntensity()
{
    return BYTE(m_image.at(kOledIntensity));
}

int UsbDriverManger_Osprey::GetExtraSetting()
{
    return m_failedReads;
}

bool UsbDriverManger_Osprey::GetVersion(DWORD &version)
{
    if (!m_driver)
        return false;
    version = DWORD(m_driver->GetDeviceVersion());
    return true;
}

bool UsbDriverManger_Osprey::SetCurrentConfigNumber(int configNumber)
{
    if (configNumber < 1 || configNumber > 5)
        return false;
    m_configNumber = configNumber;
    return true;
}

void UsbDriverManger_Osprey::SetExtraValue(DWORD value)
{
    m_extraValue = value;
}

int UsbDriverManger_Osprey::GetExtraByte()
{
    return BYTE(m_image.at(kExtraByte));
}

bool UsbDriverManger_Osprey::SetExtraByte(BYTE value)
{
    return change([&] {
        m_image[kExtraByte] = char(value);
        return true;
    });
}

bool UsbDriverManger_Osprey::SetExtraString(const QString &)
{
    return true;
}

// ---- DPI -----------------------------------------------------------------------------------

int UsbDriverManger_Osprey::buildDPIValue(BYTE low, BYTE high)
{
    return Catalog::decodeDpi(rowOf(modelCode()), low, high);
}

bool UsbDriverManger_Osprey::SetCPIStageMatrix(int model, DWORD dpi, BYTE &low, BYTE &high)
{
    return encodeStage(rowOf(model), dpi, low, high);
}

bool UsbDriverManger_Osprey::encodeStage(const Catalog::Model &row, DWORD dpi, BYTE &low, BYTE &high)
{
    if (dpi > DWORD(std::numeric_limits<int>::max()))
        return false;
    const auto code = Catalog::encodeDpi(row, int(dpi));
    if (!code)
        return false;
    low = BYTE(code->first);
    high = BYTE(code->second);
    return true;
}

int UsbDriverManger_Osprey::returnDefaultDPIGear()
{
    return 3;
}

bool UsbDriverManger_Osprey::GetCPIStageMatrix(QVector<int> &values, int)
{
    values.fill(0, 8);
    for (int i = 0; i < kStages; ++i)
        values[i] = buildDPIValue(BYTE(m_image.at(kDpiLow + i)), BYTE(m_image.at(kDpiHigh + i)));
    return true;
}

bool UsbDriverManger_Osprey::SetCPIListValue(const QList<DWORD> &list, int)
{
    // The mouse keeps its stages by position: a disabled row stays in its place as code 0.
    // A list without any stage would leave the mouse without a DPI value: refused.
    if (activeDpiStages(list.mid(0, kStages), kStages).isEmpty()) {
        qDebug() << "SetCPIListValue" << "no stage in" << list;
        return false;
    }
    QByteArray low(kStages, '\0');
    QByteArray high(kStages, '\0');
    for (int i = 0; i < qMin(list.size(), kStages); ++i) {
        BYTE lo = 0;
        BYTE hi = 0;
        if (list.at(i) != 0 && !SetCPIStageMatrix(modelCode(), list.at(i), lo, hi)) {
            qDebug() << "SetCPIListValue" << "no code for" << list.at(i);
            return false;
        }
        low[i] = char(lo);
        high[i] = char(hi);
    }
    return change([&] {
        m_image.replace(kDpiLow, kStages, low);
        m_image.replace(kDpiLowCopy, kStages, low);
        m_image.replace(kDpiHigh, kStages, high);
        m_image.replace(kDpiHighCopy, kStages, high);
        return true;
    });
}

bool UsbDriverManger_Osprey::SetDPIStageMatrix(DWORD value, int stage, int)
{
    if (stage < 1 || stage > kStages)
        return false;
    const int i = stage - 1;
    QByteArray low = m_image.mid(kDpiLow, kStages);
    QByteArray high = m_image.mid(kDpiHigh, kStages);
    if (value == 0) {
        low.remove(i, 1);
        low.append('\0');
        high.remove(i, 1);
        high.append('\0');
    } else {
        BYTE lo = 0;
        BYTE hi = 0;
        if (!SetCPIStageMatrix(modelCode(), value, lo, hi))
            return false;
        low[i] = char(lo);
        high[i] = char(hi);
    }
    return change([&] {
        m_image.replace(kDpiLow, kStages, low);
        m_image.replace(kDpiLowCopy, kStages, low);
        m_image.replace(kDpiHigh, kStages, high);
        m_image.replace(kDpiHighCopy, kStages, high);
        return true;
    });
}

// ---- light ---------------------------------------------------------------------------------

int UsbDriverManger_Osprey::lightModeToCode(int mode)
{
    switch (mode) {
    case 0: return 128;
    case 1: return 129;
    case 2: return 130;
    case 3: return 132;
    case 4: return 131;
    case 5: return 133;
    default: return -1;
    }
}

int UsbDriverManger_Osprey::codeToLightMode(int code)
{
    for (int mode = 0; mode <= 5; ++mode)
        if (lightModeToCode(mode) == code)
            return mode;
    return -1;
}

bool UsbDriverManger_Osprey::SetMouseColor(bool isWheel, const QList<COLORREF> &colors, int)
{
    if (colors.isEmpty())
        return false;
    const COLORREF c = colors.first();
    const int at = isWheel ? kWheelColor : kMainColor;
    return change([&] {
        m_image[at] = char(colorRefRed(c));
        m_image[at + 1] = char(colorRefGreen(c));
        m_image[at + 2] = char(colorRefBlue(c));
        m_image[at + 3] = 0;
        m_image[at + 5] = 0;
        return true;
    });
}

bool UsbDriverManger_Osprey::SetMouseLightMode(bool isWheel, int mode, int)
{
    const int code = lightModeToCode(mode);
    if (code < 0)
        return false;
    return change([&] {
        m_image[isWheel ? kWheelMode : kMainMode] = char(code);
        if (mode == 2)
            m_image[kWheelColor + 5] = 0;
        if (mode == 3) {
            m_image[kModeThreeMark] = 0x03;
            m_image[kModeThreeMark + 1] = 0x01;
        }
        return true;
    });
}

bool UsbDriverManger_Osprey::SetMouseContinueLightDegree(bool isWheel, int degree, int)
{
    if (degree < 0 || degree > 255)
        return false;
    return change([&] {
        m_image[isWheel ? kWheelDegree : kMainDegree] = char(degree);
        return true;
    });
}

bool UsbDriverManger_Osprey::SetMouseBreathSpeed(bool isWheel, int speed, int)
{
    if (speed < 0 || speed > 255)
        return false;
    return change([&] {
        m_image[isWheel ? kWheelSpeed : kMainSpeed] = char(speed);
        return true;
    });
}

bool UsbDriverManger_Osprey::SetLightParameter(int mode, int speed, int degree,
                                               const QList<COLORREF> &colors, int)
{
    const int code = lightModeToCode(mode);
    if (code < 0 || speed < 0 || speed > 255 || degree < 0 || degree > 255)
        return false;
    return change([&] {
        m_image[kMainMode] = char(code);
        m_image[kMainSpeed] = char(speed);
        m_image[kMainDegree] = char(degree);
        if (mode == 2)
            m_image[kWheelColor + 5] = 0;
        if (mode == 3) {
            m_image[kModeThreeMark] = 0x03;
            m_image[kModeThreeMark + 1] = 0x01;
        }
        if (!colors.isEmpty()) {
            const COLORREF c = colors.first();
            m_image[kMainColor] = char(colorRefRed(c));
            m_image[kMainColor + 1] = char(colorRefGreen(c));
            m_image[kMainColor + 2] = char(colorRefBlue(c));
            m_image[kMainColor + 3] = 0;
            m_image[kMainColor + 5] = 0;
        }
        return true;
    });
}

bool UsbDriverManger_Osprey::GetLightParameter(LightColorParam &param, int)
{
    auto image = [this](int at) { return BYTE(m_image.at(at)); };
    param = LightColorParam();
    param.wheel.mode = BYTE(qMax(0, codeToLightMode(image(kWheelMode))));
    param.wheel.speed = image(kWheelSpeed);
    param.wheel.degree = image(kWheelDegree);
    param.wheel.setColor(0, makeColorRef(image(kWheelColor), image(kWheelColor + 1),
                                         image(kWheelColor + 2)));
    param.logo.mode = BYTE(qMax(0, codeToLightMode(image(kMainMode))));
    param.logo.speed = image(kMainSpeed);
    param.logo.degree = image(kMainDegree);
    param.logo.setColor(0, makeColorRef(image(kMainColor), image(kMainColor + 1),
                                        image(kMainColor + 2)));
    return true;
}

// ---- buttons -------------------------------------------------------------------------------

int UsbDriverManger_Osprey::buttonOffset(int button, int model)
{
    // Which buttons the model has is its row's; where their entries sit is this command set's
    // layout, which the Lark rearranges.
    const Catalog::Model &row = rowOf(model);
    if (row.code != 0 && !row.buttons.contains(button))
        return -1;
    if (hasLarkLayout(model)) {
        switch (button) {
        case 9: return 114; // the place of button 14, which the Lark has not
        case 10: return 118;
        case 15: return 142;
        case 16: return 138;
        default: break;
        }
    }
    switch (button) {
    case 4: return 90;
    case 6: return 94;
    case 5: return 98;
    case 8: return 102;
    case 7: return 106;
    case 13: return 110;
    case 14: return 114;
    case 15: return 118;
    case 16: return 122;
    case 17: return 126;
    case 11: return 146;
    case 12: return 150;
    default: return -1;
    }
}

QByteArray UsbDriverManger_Osprey::factoryEntry(int button, int model)
{
    if (buttonOffset(button, model) < 0)
        return QByteArray();
    const Catalog::ButtonLayout layout = rowOf(model).layout;
    if (layout == Catalog::ButtonLayout::Lark) {
        switch (button) {
        case 9: return entryOf(0x11, 0, 0, 0);
        case 10: return entryOf(0, 0, 0x5C, 0);
        case 15: return entryOf(0x03, 0, 0xEA, 0);
        case 16: return entryOf(0x03, 0, 0xE9, 0);
        default: break;
        }
    }
    switch (button) {
    case 4: return entryOf(0x01, 0, 0xF0, 0);
    case 6: return entryOf(0x01, 0, 0xF1, 0);
    case 5: return entryOf(0x01, 0, 0xF2, 0);
    case 8: return entryOf(0x01, 0, 0xF3, 0);
    case 7: return entryOf(0x01, 0, 0xF4, 0);
    case 13: {
        // The Wren-shaped mice (the Lark is one) leave the factory with another button 13.
        const bool wrenLike = layout == Catalog::ButtonLayout::Wren
                              || layout == Catalog::ButtonLayout::Lark;
        return entryOf(0x07, 0, wrenLike ? 0x03 : 0x01, 0);
    }
    case 14: return entryOf(0x07, 0, 0x02, 0);
    case 17: return entryOf(0x08, 0, 0x03, 0);
    case 11: return entryOf(0x04, 0, 0x01, 0);
    case 12: return entryOf(0x04, 0, 0x02, 0);
    case 15: return entryOf(0x11, 0, 0, 0);
    case 16: return entryOf(0, 0, 0x21, 0);
    default: return QByteArray();
    }
}

int UsbDriverManger_Osprey::getButtonMacroAddress(int button)
{
    switch (button) {
    case 4: return 140;
    case 5: return 148;
    case 6: return 144;
    case 7: return 156;
    case 8: return 152;
    case 9: return 188;
    case 10: return 192;
    case 11: return 164;
    case 12: return 160;
    case 13: return 168;
    case 14: return 172;
    case 15: return 176;
    case 16: return 180;
    case 17: return 184;
    default: return 0;
    }
}

int UsbDriverManger_Osprey::getMulitpulMacroAddress(int n)
{
    return (n >= 0 && n < 4) ? 208 + 4 * n : 0;
}

int UsbDriverManger_Osprey::macroSlotOfAddress(int address)
{
    if (address >= 140 && address <= 184 && address % 4 == 0)
        return (address - 140) / 4;
    if (address >= 208 && address <= 220 && address % 4 == 0)
        return 12 + (address - 208) / 4;
    if (address == 188 || address == 192)
        return 16 + (address - 188) / 4;
    return -1;
}

int UsbDriverManger_Osprey::macroAddressOfSlot(int slot)
{
    if (slot >= 0 && slot < 12)
        return 140 + 4 * slot;
    if (slot >= 12 && slot < kMacroSlots)
        return 208 + 4 * (slot - 12);
    if (slot >= kMacroSlots && slot < kLarkMacroSlots)
        return 188 + 4 * (slot - kMacroSlots);
    return 0;
}

int UsbDriverManger_Osprey::macroSlotCount() const
{
    return hasLarkLayout(modelCode()) ? kLarkMacroSlots : kMacroSlots;
}

QList<int> UsbDriverManger_Osprey::modelButtons() const
{
    QList<int> buttons;
    for (int b = 4; b <= 17; ++b)
        if (buttonOffset(b, modelCode()) >= 0)
            buttons << b;
    return buttons;
}

QList<int> UsbDriverManger_Osprey::leftClickButtons() const
{
    QList<int> left;
    for (int b : modelButtons())
        if (entry(buttonOffset(b, modelCode())) == kLeftClick)
            left << b;
    return left;
}

void UsbDriverManger_Osprey::clearCorrespondingMacro(int button)
{
    if (button == 4 && entry(kButton4) == kListMacroEntry) {
        for (int slot = 12; slot < kMacroSlots; ++slot)
            m_macros[slot].clear();
        return;
    }
    const int slot = macroSlotOfAddress(getButtonMacroAddress(button));
    if (slot >= 0)
        m_macros[slot].clear();
}

bool UsbDriverManger_Osprey::SetChangeButtonToKey(int button, int value, int modifier,
                                                  int changeType, int)
{
    const int model = modelCode();
    const int offset = buttonOffset(button, model);
    if (offset >= 0 && entry(offset) == kLeftClick && changeType == MouseButtonChangeToMacro && button == 4)
        return true; // button 4 already holds its factory left click
    // The guard comes first, whatever the change type: even a request that would be refused
    // for its own reasons tells the user why the only left button stays as it is.
    if (leftButtonGuardRefuses(leftClickButtons(), button, changeType)) {
        qDebug() << "CheckIsLeftButton is LeftKey";
        qDebug() << "You Only Have One Left Key";
        emit sig_WarningOnlyLeftButton(kOnlyLeftButtonWarning);
        return true;
    }
    if (offset < 0) {
        qDebug() << "SetChangeButtonToKey" << "no button" << button << "on model" << model;
        return false;
    }
    QByteArray newEntry;
    switch (changeType) {
    case MouseButtonChangeToKey:
    case MouseButtonChangeToCombinationKey: {
        const BYTE usage = OspreyKeyTable::hidFromVirtualKey(value);
        if (usage == 0 || modifier < 0 || modifier > 0xFF)
            return false;
        newEntry = entryOf(0, BYTE(modifier), usage, 0);
        break;
    }
    case MouseButtonChangeToMacro:
        newEntry = factoryEntry(button, model);
        break;
    case MouseButtonChangeToMultimedia:
    case MouseButtonChangeToMute:
    case MouseButtonChangeToPlayPause:
    case MouseButtonChangeToVolumeUp:
    case MouseButtonChangeToVolumeDown:
    case MouseButtonChangeToMediaPlayer: {
        int usage = consumerUsageOfChangeType(changeType);
        if (changeType == MouseButtonChangeToMultimedia)
            usage = value > 0xFF ? value : (value & 0xFF) | ((modifier & 0xFF) << 8);
        if (usage <= 0 || usage > 0xFFFF)
            return false;
        newEntry = entryOf(0x03, 0, BYTE(usage & 0xFF), BYTE(usage >> 8));
        break;
    }
    case MouseButtonChangeToForbidden: newEntry = entryOf(0, 0, 0, 0); break;
    case MouseButtonChangeToFireKey: newEntry = entryOf(0x0A, 0xF0, 0x10, 0x02); break;
    case MouseButtonChangeToDpiUp: newEntry = entryOf(0x07, 0, 0x01, 0); break;
    case MouseButtonChangeToDpiDown: newEntry = entryOf(0x07, 0, 0x02, 0); break;
    case MouseButtonChangeToDpiInstant: newEntry = entryOf(0x07, 0, 0x04, 0x0A); break;
    case MouseButtonChangeToLeftKey: newEntry = entryOf(0x01, 0, 0xF0, 0); break;
    case MouseButtonChangeToRightKey: newEntry = entryOf(0x01, 0, 0xF1, 0); break;
    case MouseButtonChangeToMiddleKey: newEntry = entryOf(0x01, 0, 0xF2, 0); break;
    case MouseButtonChangeToForwardKey: newEntry = entryOf(0x01, 0, 0xF4, 0); break;
    case MouseButtonChangeToBackKey: newEntry = entryOf(0x01, 0, 0xF3, 0); break;
    case MouseButtonChangeToSwitchMacroKey: newEntry = entryOf(0x10, 0, 0x03, 0); break;
    case MouseButtonChangeToProfileLoop: newEntry = kProfileLoop; break;
    default:
        qDebug() << "SetChangeButtonToKey" << "change type not supported" << changeType;
        return false;
    }

    return change([&] {
        clearCorrespondingMacro(button);
        setEntry(offset, newEntry);
        return true;
    });
}

bool UsbDriverManger_Osprey::SetChangeButtonToMacro(int button, int, int macroMode)
{
    const int offset = buttonOffset(button, modelCode());
    const int address = getButtonMacroAddress(button);
    if (offset < 0 || address == 0)
        return false;
    return change([&] {
        setEntry(offset, entryOf(0x09, BYTE(macroMode), 0, BYTE(address)));
        return true;
    });
}

void UsbDriverManger_Osprey::checkAllMouseButtonIsOriginalMouseButton()
{
    const int model = modelCode();
    for (int button : modelButtons()) {
        const QByteArray e = entry(buttonOffset(button, model));
        if (e == factoryEntry(button, model)) {
            emit sig_CurrentButtonIsOriginalButton(true, button);
        } else {
            emit sig_CurrentButtonIsOriginalButton(false, button);
            const BYTE type = BYTE(e.at(0));
            const BYTE b1 = BYTE(e.at(1));
            const BYTE b2 = BYTE(e.at(2));
            const BYTE b3 = BYTE(e.at(3));
            int changeType = -1;
            int trueValue = 0;
            int modifyValue = 0;
            if (e == entryOf(0, 0, 0, 0)) {
                changeType = MouseButtonChangeToForbidden;
                trueValue = -1;
            } else if (type == 0x00) {
                const int special = specialCombination(b1, b2);
                if (special >= 0) {
                    changeType = MouseButtonChangeToFunction;
                    trueValue = special;
                } else if (b2 != 0) {
                    changeType = MouseButtonChangeToKey;
                    trueValue = OspreyKeyTable::virtualKeyFromHid(b2);
                    modifyValue = b1;
                }
            } else if (type == 0x01) {
                changeType = MouseButtonChangeToFunction;
                switch (b2) {
                case 0xF0: trueValue = MouseButtonChangeToLeftKey; break;
                case 0xF1: trueValue = MouseButtonChangeToRightKey; break;
                case 0xF2: trueValue = MouseButtonChangeToMiddleKey; break;
                case 0xF3: trueValue = MouseButtonChangeToBackKey; break;
                case 0xF4: trueValue = MouseButtonChangeToForwardKey; break;
                default: changeType = -1; break;
                }
            } else if (type == 0x03) {
                changeType = MouseButtonChangeToFunction;
                modifyValue = b2 | (b3 << 8);
                trueValue = consumerChangeType(modifyValue);
            } else if (type == 0x09 || type == 0x11) {
                changeType = MouseButtonChangeToMacroReport;
            } else {
                changeType = MouseButtonChangeToFunction;
                if (e == entryOf(0x07, 0, 0x01, 0))
                    trueValue = MouseButtonChangeToDpiUp;
                else if (e == entryOf(0x07, 0, 0x02, 0))
                    trueValue = MouseButtonChangeToDpiDown;
                else if (e == kProfileLoop)
                    trueValue = MouseButtonChangeToProfileLoop;
                else if (e == entryOf(0x10, 0, 0x03, 0))
                    trueValue = MouseButtonChangeToSwitchMacroKey;
                else if (e == entryOf(0x0A, 0xF0, 0x10, 0x02))
                    trueValue = MouseButtonChangeToFireKey;
                else if (e == entryOf(0x07, 0, 0x04, 0x0A))
                    trueValue = MouseButtonChangeToDpiInstant;
                else
                    changeType = -1;
            }
            if (changeType >= 0)
                emit sig_TrueMouseValue(button, changeType, trueValue, modifyValue);
        }
        int functionCode = 0;
        QString path;
        if (HighestFunction::lookup(button, functionCode, path)) {
            qDebug() << "ButtonChanged" << button;
            emit sig_CurrentButtonIsOriginalButton(false, button);
        }
    }
}

// ---- macros --------------------------------------------------------------------------------

QByteArray UsbDriverManger_Osprey::macroRecord(int slot) const
{
    return (slot >= 0 && slot < kLarkMacroSlots) ? m_macros.at(slot) : QByteArray();
}

QByteArray UsbDriverManger_Osprey::defineLocalMacro(const QList<MacroNode> &nodes,
                                                   int ignoreDelayTime)
{
    const bool ignoreDelays = ignoreDelayTime == 2;
    QByteArray words;
    for (const MacroNode &node : nodes) {
        if (node.valueType == 3) {
            const BYTE usage = OspreyKeyTable::hidFromVirtualKey(node.keyValue);
            if (usage == 0) {
                // Dropping the step would send a different macro (a press without its
                // release, say): the whole macro is refused.
                qDebug().noquote() << "defineLocalMacro: this mouse has no key"
                                   << keyLabel(node.keyValue) << "- macro refused";
                return QByteArray();
            }
            const int d = (node.timeLapse <= 0 || ignoreDelays) ? 1 : node.timeLapse;
            const int release = node.state == 1 ? 128 : 0;
            if (d < 128) {
                appendWord(words, d + release, usage);
            } else {
                const int rest = d % 100 == 0 ? 1 : d % 100;
                appendWord(words, rest + release, usage);
                appendWord(words, 0x00, 0x01);
                appendBigEndian(words, d / 100);
            }
        } else if (node.valueType == 6) {
            if (node.coordinateX == 0 && node.coordinateY == 0)
                continue;
            appendWord(words, 0x00, 0x02);
            appendWord(words, signedByte(node.coordinateX), signedByte(-qint64(node.coordinateY)));
            if (!ignoreDelays && node.timeLapse >= 1) {
                appendWord(words, 0x00, 0x03);
                appendBigEndian(words, node.timeLapse);
            }
        }
    }
    appendWord(words, 0x00, 0x00);
    return words;
}

QByteArray UsbDriverManger_Osprey::macroRecordOfFile(const QString &path, int *macroType)
{
    const QList<MacroNode> nodes = m_json->getMacroNodeList(path);
    if (nodes.isEmpty()) {
        qDebug() << "WriteSingleMacro" << "no macro in" << path;
        return QByteArray();
    }
    const int type = m_json->getMacroType(path);
    const QByteArray words = defineLocalMacro(nodes, m_json->getIgnoreDelayTime(path));
    if (words.size() / 2 > kMaxMacroWords || words.size() < 4) {
        qDebug() << "WriteSingleMacro" << "macro does not fit:" << words.size() / 2 << "words";
        return QByteArray();
    }
    int repeat = 0;
    if (type == 2)
        repeat = 0xFFFE;
    else if (type == 4)
        repeat = 0xFFFF;
    else // 0 would make the block look empty to the mouse; FFFE/FFFF mean endless
        repeat = qBound(1, m_json->getRepeatTimes(path), 0xFFFD);
    QByteArray record;
    appendBigEndian(record, repeat);
    record += words;
    if (macroType)
        *macroType = type;
    return record;
}

bool UsbDriverManger_Osprey::writeMacroSlot(int slot)
{
    if (!m_open || !m_driver)
        return false;
    const QByteArray record = m_macros.at(slot);
    return m_driver->SetMacroStruct(isEmptyRecord(record) ? kEmptyRecord : record,
                                    macroAddressOfSlot(slot))
        != 0;
}

bool UsbDriverManger_Osprey::WriteSingleMacro(int button, const QString &macroFile)
{
    const int offset = buttonOffset(button, modelCode());
    const int address = getButtonMacroAddress(button);
    const int slot = macroSlotOfAddress(address);
    if (offset < 0 || slot < 0) {
        qDebug() << "WriteSingleMacro" << "no macro slot for button" << button;
        return false;
    }
    int macroType = 0;
    const QByteArray record = macroRecordOfFile(macroFile, &macroType);
    if (record.isEmpty())
        return false;
    if (leftButtonGuardRefuses(leftClickButtons(), button, MouseButtonChangeToMacro)) {
        qDebug() << "You Only Have One Left Key";
        emit sig_WarningOnlyLeftButton(kOnlyLeftButtonWarning);
        return true;
    }
    return change([&] {
        clearCorrespondingMacro(button);
        m_macros[slot] = record;
        if (m_open && !writeMacroSlot(slot))
            return false;
        setEntry(offset, entryOf(0x09, BYTE(macroType), 0, BYTE(address)));
        return true;
    });
}

bool UsbDriverManger_Osprey::WriteListMacro(const QStringList &macroFiles)
{
    if (macroFiles.isEmpty() || macroFiles.size() > 4)
        return false;
    QVector<QByteArray> records;
    for (const QString &path : macroFiles) {
        const QByteArray record = macroRecordOfFile(path, nullptr);
        if (record.isEmpty())
            return false;
        records << record;
    }
    if (leftButtonGuardRefuses(leftClickButtons(), 4, MouseButtonChangeToMacro)) {
        emit sig_WarningOnlyLeftButton(kOnlyLeftButtonWarning);
        return true;
    }
    return change([&] {
        clearCorrespondingMacro(4);
        for (int n = 0; n < 4; ++n) {
            const int slot = macroSlotOfAddress(getMulitpulMacroAddress(n));
            m_macros[slot] = n < records.size() ? records.at(n) : QByteArray();
            if (m_open && !writeMacroSlot(slot))
                return false;
        }
        setEntry(kButton4, kListMacroEntry);
        return true;
    });
}

// ---- reading and configurations -----------------------------------------------------------

bool UsbDriverManger_Osprey::GetProfileData()
{
    QByteArray block(kBlockSize, '\0');
    if (!m_driver || !m_driver->GetProfileData(reinterpret_cast<BYTE *>(block.data()))) {
        ++m_failedReads;
        qDebug() << "Failure";
        return false;
    }
    m_failedReads = 0;
    m_block = block;
    m_image = block.mid(kImageOffset, kImageSize);
    for (int slot = 0; slot < macroSlotCount(); ++slot) {
        QByteArray record;
        if (m_driver->ReadMacro(macroAddressOfSlot(slot), record)) {
            m_macros[slot] = record;
        } else {
            qDebug() << "Error Macro Number" << slot;
            m_macros[slot].clear();
        }
    }
    qDebug() << "Succseed";
    return true;
}

void UsbDriverManger_Osprey::SaveConfigFileByConfigureNumber(int configNumber)
{
    if (configNumber < 0 || configNumber > 5)
        return;
    // Image and the macro slots in one atomic write (the per-member savers of JsonHandle would
    // rewrite the file seventeen times); every other member of the file is kept.
    const QString path = StoragePaths::configJsonPath(modelCode(), configNumber);
    const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(path);
    if (read.status == StorageIo::ReadStatus::Unreadable && !StorageIo::keepCorruptCopy(path)) {
        qWarning() << "SaveConfigFileByConfigureNumber" << "not written" << path;
        return;
    }
    QJsonObject document = read.object;
    document.insert(QStringLiteral("MouseDataOfGamingMode"),
                    m_json->turnMouseDataJsonObject_Halden(m_image));
    QJsonObject slotObjects = document.value(QStringLiteral("MacroDataOfGamingMode")).toObject();
    for (int slot = 0; slot < macroSlotCount(); ++slot) {
        const QByteArray record = m_macros.at(slot);
        slotObjects.insert(QString::number(slot), m_json->turnMacroDataToJsonObject_Halden(
                                                isEmptyRecord(record) ? kEmptyRecord : record));
    }
    document.insert(QStringLiteral("MacroDataOfGamingMode"), slotObjects);
    StorageIo::writeJsonObject(path, document);
}

bool UsbDriverManger_Osprey::loadConfig(int configNumber, bool withMacros)
{
    // 0 is the factory configuration (the factory reset loads it), 1..5 the user's.
    if (configNumber < 0 || configNumber > 5)
        return false;
    const int model = modelCode();
    const QByteArray image = m_image;
    const QVector<QByteArray> macros = m_macros;
    QByteArray loaded;
    m_json->getMouseData_Halden(loaded, model, configNumber);
    m_image = loaded;
    bool ok = m_open;
    if (ok && withMacros) {
        for (int slot = 0; slot < macroSlotCount() && ok; ++slot) {
            QByteArray record;
            m_json->getMacroData_Halden(record, model, configNumber, slot);
            m_macros[slot] = isEmptyRecord(record) ? QByteArray() : record;
            ok = writeMacroSlot(slot);
        }
    }
    if (ok)
        ok = WriteProfileIntoMouse();
    if (!ok) {
        m_image = image;
        m_macros = macros;
        m_block.replace(kImageOffset, kImageSize, m_image);
        return false;
    }
    // Later changes never go into the factory copy.
    m_configNumber = configNumber == 0 ? 1 : configNumber;
    return true;
}

bool UsbDriverManger_Osprey::LoadConfigFileByNumber(int configNumber)
{
    return loadConfig(configNumber, true);
}

bool UsbDriverManger_Osprey::LoadOnlyMouseConfigFileByNumber(int configNumber)
{
    return loadConfig(configNumber, false);
}

bool UsbDriverManger_Osprey::CompareMouseAndLocalFileData(int &configNumber)
{
    const int model = modelCode();
    for (int n = 1; n <= 5; ++n) {
        QByteArray scratch;
        m_json->getMouseData_Halden(scratch, model, n);
        // Bytes 1..10 (rate aside: lift-off, DPI gear, list-macro position, ...) never count.
        if (scratch.size() != kImageSize || scratch.at(0) != m_image.at(0)
            || scratch.mid(11) != m_image.mid(11))
            continue;
        m_configNumber = n;
        configNumber = n;
        const int gear = returnDefaultDPIGear();
        if (BYTE(m_image.at(kDpiGear)) != gear) {
            m_image[kDpiGear] = char(gear);
            WriteProfileIntoMouse();
        }
        return true;
    }
    qDebug() << "didnt find  the config";
    return false;
}

// ---- legacy binary files ------------------------------------------------------------------
//
// Earlier versions kept a configuration as the 234-byte image followed by sixteen macro
// records, each introduced by FF FF: the repeat value (high, low) and the macro words up to the
// [00 00] word, or 00 00 alone for an empty slot. The Lark's slots 16 and 17 have no place in
// that format: they stay in the JSON files only.

namespace {
// Parses the records after the image. Stops at the first place that is not a record start;
// the slots not reached stay empty.
QVector<QByteArray> parseLegacyRecords(const QByteArray &data, int from, int slotCount)
{
    QVector<QByteArray> records(slotCount);
    if ((data.size() - from) % 2)
        qDebug() << "sumByte error";
    int pos = from;
    for (int slot = 0; slot < slotCount; ++slot) {
        if (pos + 4 > data.size() || BYTE(data.at(pos)) != 0xFF || BYTE(data.at(pos + 1)) != 0xFF)
            break;
        qDebug() << "Find start of Positon" << pos;
        const int start = pos + 2;
        if (data.at(start) == 0 && data.at(start + 1) == 0) {
            pos = start + 2;
            qDebug() << "Find The End of Macro At Position" << pos;
            continue;
        }
        int end = start + 2;
        while (end + 1 < data.size() && (data.at(end) != 0 || data.at(end + 1) != 0))
            end += 2;
        end = qMin(end + 2, data.size());
        qDebug() << "Find The End of Macro At Position" << end;
        records[slot] = data.mid(start, end - start);
        pos = end;
    }
    return records;
}
} // namespace

void UsbDriverManger_Osprey::TurnOldTxtFileToNewJsonFile()
{
    const int model = modelCode();
    if (!QFile::exists(StoragePaths::legacyConfigPath(model, 1)))
        return;
    QFile::remove(StoragePaths::legacyConfigPath(model, 0));
    for (int n = 1; n <= 5; ++n) {
        const QString path = StoragePaths::legacyConfigPath(model, n);
        if (!QFile::exists(path))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            qDebug() << "open failed" << path;
            continue;
        }
        const QByteArray data = file.readAll();
        file.close();
        if (data.size() < kImageSize) {
            // Not a configuration this program wrote: keep it rather than lose it.
            qDebug() << "TurnOldTxtFileToNewJsonFile" << "too short, kept" << path;
            continue;
        }
        const QVector<QByteArray> records = parseLegacyRecords(data, kImageSize, kMacroSlots);
        bool saved = m_json->saveMouseData_Halden(data.left(kImageSize), model, n);
        for (int slot = 0; slot < kMacroSlots && saved; ++slot) {
            const QByteArray &record = records.at(slot);
            saved = m_json->saveMacroData_Halden(isEmptyRecord(record) ? kEmptyRecord : record,
                                                 slot, model, n);
        }
        // The binary file goes only once its content is safe in the JSON file.
        if (saved)
            QFile::remove(path);
    }
}

void UsbDriverManger_Osprey::TurnNewFileToOldFile()
{
    const int model = modelCode();
    for (int n = 1; n <= 5; ++n) {
        QByteArray image;
        m_json->getMouseData_Halden(image, model, n);
        QByteArray out = image.left(kImageSize).leftJustified(kImageSize, '\0');
        for (int slot = 0; slot < kMacroSlots; ++slot) {
            QByteArray record;
            m_json->getMacroData_Halden(record, model, n, slot);
            out.append("\xFF\xFF", 2);
            if (isEmptyRecord(record)) {
                out.append(kEmptyRecord);
                continue;
            }
            // Whole words, ending with the [00 00] word.
            if (record.size() % 2)
                record.chop(1);
            if (record.size() < 4 || !record.endsWith(QByteArray(2, '\0')))
                record.append(QByteArray(2, '\0'));
            out.append(record);
        }
        StorageIo::writeFileAtomically(StoragePaths::legacyConfigPath(model, n), out);
    }
}

void UsbDriverManger_Osprey::removeOldTxtFile()
{
    const int model = modelCode();
    for (int n = 1; n <= 5; ++n)
        QFile::remove(StoragePaths::legacyConfigPath(model, n));
}
