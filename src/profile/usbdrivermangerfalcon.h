#pragma once
// The device manager of every model that speaks the Falcon command set (model codes 7 to 12
// and 14). It keeps a byte-exact mirror of profile 1 of the mouse (the 128-byte profile image)
// and of the fourteen macro slots, turns the user's requests into that layout, sends the
// changed bytes through USBDriverFalcon and, after every change, saves the mirror as the current
// configuration's JSON file.
//
// Profile image (offsets in the image; bytes 16..59 are the button table at 0x200 of a profile,
// bytes 60..127 the settings block at 0x480):
//
//    0  current profile index          60  report-rate code (8, 4, 2, 1 = 125..1000 Hz)
//    8  A9 value                       64  lift-off value
//   12  raw power word (AA)            68  DPI stage table, 16-bit raw values
//   16  11 button entries (slot 0..10) 82  last stage index (also the mouse's stage count byte)
//   84  current DPI stage              85..87 light mode, breathing speed, brightness
//   88  OLED light intensity           89  list-macro position, 90 list-macro count
//   92  OLED picture number            96..103 picture-setting bytes
//  105  OLED behaviour code, 106 its "screen off" flag   116  three colours (COLORREF each)
//
// Macro slots: 10 belongs to button 4, 0..9 to buttons 5..14; 11..13 are the list macros.
// Single slot i lives at (i + 1) * 0x1000 in the mouse, list macro j (slot 11 + j) at
// 0x10000 + j * 0x1000: the list macros are written, read back, cleared and loaded at that one
// address each, so that a cleared list slot really is empty when the mouse plays it.
//
// Failure rule: an operation that returns false has changed nothing in the mirror or the files
// unless a step before the failing one already reached the mouse; such steps are kept in the
// mirror and saved, so that the mirror and the file always equal the mouse.

#include "profile/falconbuttonentry.h"
#include "profile/usbdrivermanger.h"

#include <QByteArray>
#include <QVector>

#include <array>
#include <memory>
#include <optional>

class JsonHandle;
class USBDriverFalcon;

class UsbDriverMangerFalcon : public USBDriverManger
{
    Q_OBJECT
public:
    static constexpr int kImageSize = 128;
    static constexpr int kMacroSlots = 14;
    static constexpr int kMacroSlotSize = 4096;
    static constexpr int kButtonSlots = 11;
    static constexpr int kFirstListSlot = 11;
    static constexpr int kMaxListMacros = 3;
    // A macro slot's first read: one whole memory chunk, the length word at its start.
    static constexpr int kMacroHeadRead = 24;

    // Image offsets.
    static constexpr int kButtonTable = 16;
    static constexpr int kReportRate = 60;
    static constexpr int kSilentHeight = 64;
    static constexpr int kDpiTable = 68;
    static constexpr int kLastStageIndex = 82;
    static constexpr int kCurrentStage = 84;
    static constexpr int kLightMode = 85;
    static constexpr int kBreathSpeed = 86;
    static constexpr int kLightDegree = 87;
    static constexpr int kOledIntensity = 88;
    static constexpr int kListMacroPosition = 89;
    static constexpr int kListMacroCount = 90;
    static constexpr int kOledPicture = 92;
    static constexpr int kPictureSettings = 96;
    static constexpr int kOledBehaviour = 105;
    static constexpr int kOledScreenOff = 106;
    static constexpr int kColors = 116;

    // The manager of one model: its code decides the DPI encoding, the stage limits and the
    // configuration files (0: no model, every DPI value refused).
    explicit UsbDriverMangerFalcon(int modelCode = 0, QObject *parent = nullptr);
    ~UsbDriverMangerFalcon() override;

    // Takes ownership of driver; returns it when it is a USBDriverFalcon, else deletes it and
    // returns nullptr.
    KelvoUSBDriver *SetDriver(KelvoUSBDriver *driver) override;
    // The driver's open result (0 without a driver).
    int OpenDevice() override;
    void UnInitDevice() override;
    // The products 0x4132, 0x4133, 0x4139, 0x413A, 0x180C and 0x180D have their own button
    // layout and factory functions: installs them in the factory table and the image's button
    // table. Any other id changes nothing.
    void SetMousePid(USHORT pid) override;

    bool SelectProfile(int profile) override;
    bool GetCurrentProfileIndex(int &index) override;
    // Rate index 0..3 (125, 250, 500, 1000 Hz). An unknown code in the mouse fails.
    bool GetUsbReportRate(int &rate, int profile) override;
    bool SetUsbReportRate(int rate, int profile) override;   // index outside 0..3 refused
    bool GetSilentHeight(int &value, int profile) override;  // profiles 0 and 1 only
    bool SetSilentHeight(int value, int profile) override;
    // DPI values of the stages read from the mouse (values resized to 8, 0 = unused stage).
    bool GetCPIStageMatrix(QVector<int> &values, int profile) override;
    // Sets stage (1-based) to value, or removes it for value 0. Refuses values outside the
    // model's range, a stage outside 1..maxStages and removing the last stage.
    bool SetDPIStageMatrix(DWORD value, int stage, int profile) override;
    // Replaces all stages with the non-zero values of the list packed into consecutive stages
    // (a 0 is a disabled row and is skipped): the first five on model codes 7, 8, 9, 12; up to
    // seven on the others. Refuses (nothing sent) a list without a non-zero value, more than
    // seven on the other models and any value outside the model's range. Sends the last stage
    // index, the current stage (min(n - 1, 2) on 7, 8, 9, 12, else min(n - 1, 3)) and the
    // table, stopping at the first failure.
    bool SetCPIListValue(const QList<DWORD> &list, int profile) override;
    bool GetListMacroPosition(BYTE &position, int profile) override;
    bool SetListMacroPosition(BYTE position, int profile) override;
    // Light mode, speed, brightness and colours in turn; stops at the first failure.
    bool SetLightParameter(int mode, int speed, int degree, const QList<COLORREF> &colors,
                           int profile) override;
    // Bytes 15..17 (mode, speed, brightness) and 18..29 (three colours) read from the mouse.
    bool GetLightParameter(LightColorParam &param, int profile) override;
    // Writes three colours (a shorter list keeps the mouse's other colours; an empty one is
    // refused) and mirrors all three. The wheel flag does not apply to this family.
    bool SetMouseColor(bool isWheelLightChange, const QList<COLORREF> &colors, int profile) override;
    bool SetMouseLightMode(bool isWheelLightChange, int mode, int profile) override;
    bool SetMouseContinueLightDegree(bool isWheelLightChange, int degree, int profile) override;
    bool SetMouseBreathSpeed(bool isWheelLightChange, int speed, int profile) override;
    // Button 4..14, a supported change type (see FalconButtonEntry::encode; 32 restores the
    // factory function). Returns false, nothing written, for anything else. Taking away the
    // only left click emits sig_WarningOnlyLeftButton(6) and returns true, nothing written.
    bool SetChangeButtonToKey(int button, int value, int modifier, int changeType, int profile) override;
    // Converts the macro file and writes it into the button's macro slot, then points the
    // button at it. The file is checked before anything is written: a missing or unusable
    // file, no steps, too many steps or nodes, or a key without a HID usage fails.
    bool WriteSingleMacro(int button, const QString &macroFile) override;
    // One path: as WriteSingleMacro(4, path). Two or three: all files are checked first; then
    // button 4 back to left click, the list slots cleared, each file written into list slot
    // 11 + (its first position in the list), the count of successful writes and position 0
    // sent. No path or more than three: false, nothing written.
    bool WriteListMacro(const QStringList &macroFiles) override;
    // The interface's form only answers true; the Falcon form is the overload below.
    bool SetChangeButtonToMacro(int button, int macroSlot, int macroMode) override;
    // Points a button at a macro slot: writes [5, 0, slot, 0] and saves. Button 4..14, slot
    // 0..13.
    bool SetChangeButtonToMacro(int button, int macroSlot, int macroMode, int profile);
    // Stores a flag; no other effect.
    void SetExtraFlag(DWORD flag) { m_flag = flag; }
    DWORD extraFlag() const { return m_flag; }

    // configText "0": factory picture (picture number 7, behaviour 1) and the configuration's
    // picture file deleted. Otherwise the configuration's 64 x 48 picture file written into the
    // picture slot (its light pixels lit, whatever its palette order; a colour file cut at half
    // grey), picture number 8 and behaviour 8. False when a command fails or the picture file
    // cannot be loaded.
    bool writeImageToMouse(int modelCode, const QString &configText, int pictureSlot, int profile) override;
    bool GetPictureFromMouse(int pictureSlot, QImage &image) override;
    bool SetPictureSettingByte(int value, int profile) override;
    // Words D, E, G, H, I as five 32-bit values, then the eight picture-setting bytes.
    bool GetOLEDScreenParameter(QVector<int> &values, int profile) override;
    bool GetMousePid(USHORT &pid) override;
    // Sent only when the driver is in link mode 1 (the receiver); NotSupported otherwise.
    ReceiverAnswer EnterPairingMode() override;
    ReceiverAnswer SetPairingAddress(DWORD address) override;
    ReceiverAnswer ResetReceiverPairing() override;
    ReceiverAnswer GetReceiverWorkMode(int &mode) override;
    bool SetOLEDScreenParameter(int code) override;
    bool SetOLEDScreenLightIntensity(int intensity) override;
    void SetMouseName(const QString &modelFolder) override;
    bool CompareMouseAndLocalFileData(int &configNumber) override;
    bool GetProfileData() override;
    bool SetProfileData() override;
    bool GetVersion(DWORD &version) override;
    bool SetCurrentConfigNumber(int configNumber) override;           // 1..5
    bool LoadConfigFileByNumber(int configNumber) override;           // 0..5
    bool LoadOnlyMouseConfigFileByNumber(int configNumber) override;  // 0..5
    void SaveConfigFileByConfigureNumber(int configNumber) override;  // 0..5, else nothing
    bool WriteProfileIntoMouse() override;
    bool GetBatteryPower(int &level) override;
    int GetCurrentPictureIndex() override;
    void TurnOldTxtFileToNewJsonFile() override;
    void TurnNewFileToOldFile() override;
    void removeOldTxtFile() override;
    int GetOLEDScreenLightIntensity() override;
    void checkAllMouseButtonIsOriginalMouseButton() override;

    // --- pure helpers, public for tests ------------------------------------------------------
    // Battery level of a raw power word: 101, 102, 103 for the top byte 1, 2, >= 3, else the
    // percentage of the low bits.
    static int batteryLevel(DWORD raw);
    // Raw stage value of a DPI value for a model; nothing outside the model's range.
    static std::optional<int> dpiToRaw(int modelCode, DWORD value);
    static int rawToDpi(int modelCode, int raw);
    // Report-rate index 0..3 (125, 250, 500, 1000 Hz) of the mouse's rate code 8, 4, 2, 1; -1
    // for any other code.
    static int rateIndexOfCode(int code);
    // The DPI values of a 16-byte stage table as the mouse keeps it (byte 14: the last stage
    // index), eight entries, 0 past the stages the model's read decodes.
    static QVector<int> decodeStageTable(int modelCode, const BYTE *table);
    static int maxStages(int modelCode);
    // The highest current stage index a DPI write or the configuration compare selects.
    static int stageCap(int modelCode);
    // The slot (0..10) of a button on the usual products or the second layout; -1 outside 4..14.
    static int buttonSlot(int button, bool secondLayout);
    // The macro slot of a button: 4 → 10, 5..14 → 0..9; -1 outside.
    static int macroSlotOfButton(int button);
    // Mouse address of macro slot 0..13.
    static DWORD macroAddress(int slot);

    // --- state, for tests --------------------------------------------------------------------
    QByteArray image() const { return m_image; }
    QByteArray macroSlot(int slot) const { return m_macroSlots.value(slot); }
    int macroSize(int slot) const { return m_macroSizes.value(slot); }
    int currentConfigNumber() const { return m_currentConfig; }
    QString mouseName() const { return m_modelFolder; }
    FalconButtonEntry::Entry factoryEntry(int button) const;
    FalconButtonEntry::Entry currentEntry(int button) const;
    USBDriverFalcon *driver() const { return m_driver.get(); }

private:
    int modelCode() const;
    // NotSupported unless the driver talks to a receiver; else the command's acknowledgement.
    template <typename Command>
    ReceiverAnswer receiverCommand(Command command);
    int slotOf(int button) const { return buttonSlot(button, m_secondLayout); }
    FalconButtonEntry::Entry entryAtSlot(const QByteArray &image, int slot) const;
    void setEntryAtSlot(int slot, const FalconButtonEntry::Entry &entry);
    QList<int> leftClickButtons() const;
    void putByte(int offset, int value) { m_image[offset] = char(value & 0xFF); }
    void putDword(int offset, DWORD value);
    void saveCurrent() { SaveConfigFileByConfigureNumber(m_currentConfig); }
    // Sends one settings byte with a one-byte setter of the command set; on success mirrors it
    // at offset and saves the configuration. False (nothing changed) when the mouse refuses.
    bool sendSettingsByte(int (USBDriverFalcon::*setter)(BYTE, int), int value, int profile,
                          int offset);
    // Reads and encodes a macro file; logs why when it is refused.
    bool convertMacroFile(const QString &path, QByteArray &slot, int &macroType);
    // Zeroes a slot in the mirror and its length word in the mouse (logged, never fails).
    void clearMacroSlot(int slot);
    // Writes a macro (hardware form, its length word first) into slot 0..13, leaving out the
    // chunks the mouse is known to hold already.
    bool writeMacroSlot(int slot, const QByteArray &area);
    bool setListMacroCount(int count, int profile);
    bool writeButtonEntry(int button, const FalconButtonEntry::Entry &entry, int profile);
    // Change type 32: back to the factory entry (list macros and the button's own macro slot
    // cleared first).
    bool restoreFactoryEntry(int button, int profile);
    int listMacroCountFromMouse();
    bool readMacroSlot(int slot, QByteArray &buffer, int &size);
    // The value m_imageProvenAt takes when the mirror has just been read or written whole.
    int imageProof() const;
    // Loads a configuration into scratch buffers.
    void loadConfig(int configNumber, QByteArray &image, QVector<QByteArray> &macros);
    bool sendLoadedConfig(int configNumber, bool withMacros);

    const int m_modelCode;
    std::unique_ptr<USBDriverFalcon> m_driver;
    std::array<FalconButtonEntry::Entry, kButtonSlots> m_factoryTable{};
    std::array<FalconButtonEntry::Entry, kButtonSlots> m_secondFactoryTable{};
    QByteArray m_image;
    QVector<int> m_macroSizes;
    QVector<QByteArray> m_macroSlots;
    // What each macro slot of the mouse holds in its first m_macroProven bytes (read from it or
    // written to it since; the bytes past a newly written macro stay as they were). Kept apart
    // from m_macroSlots, which is what the configuration files take. 0 while a write to the slot
    // is under way or after it failed.
    QVector<QByteArray> m_macroHeld;
    QVector<int> m_macroProven;
    // The driver's failed-write count when the image mirror was last read from the mouse or
    // written whole; -1 before. The mirror proves the mouse's memory while the count stays.
    int m_imageProvenAt = -1;
    std::unique_ptr<JsonHandle> m_json;
    DWORD m_flag = 0;
    QString m_modelFolder = QStringLiteral("falcon");
    bool m_secondLayout = false;
    int m_currentConfig = 1;
};
