#pragma once
// The device manager of the Osprey family (Swift, Osprey, Wren, SwiftS, WrenS, Lark). It keeps
// the 476-byte profile block as last read from the mouse and edits the 234-byte profile image
// that sits at bytes 242..475 of it; bytes 0..241 go back to the mouse as they were read. After
// every change the whole profile is written through USBDriver_Osprey and the current
// configuration is saved in the _Halden dialect.
//
// Image layout (offsets in the 234 bytes; every byte not listed is carried unchanged):
//    0 report-rate index        1 lift-off value        5 DPI gear (current stage)
//    8 list-macro position      9 extra byte            11 OLED behaviour   12 OLED intensity
//   14/15 main light mode code and degree   17/18 wheel light mode code and degree
//   20..22 main colour RGB (23, 25 cleared on change)   26 main breathing speed
//   29, 30 = 03 01 with light mode 3       39..41 wheel colour RGB (42, 44 cleared on change)
//   45 wheel breathing speed   58..64 / 66..72 DPI codes low / high, copies at 74..80 / 82..88
//   90.. four-byte button entries [type, b1, b2, b3]
//
// Macros: sixteen slots (eighteen on the Lark), each a record [repeat high, repeat low, macro
// words...] that travels to the mouse as a macro block whose slot id is the macro address
// (140..184 for slots 0..11, 208..220 for the list macro slots 12..15, on the Lark 188 and 192
// for slots 16 and 17). A macro word is [first, second]: a key step [delay (+128 for a
// release), HID usage], [00 01][high low] extra delay in hundreds of ms, [00 02][X, -Y] a
// movement, [00 03][high low] a delay in ms after it, [00 00] the end.
//
// Used from the coordinator's thread only.

#include "profile/usbdrivermanger.h"

#include <QByteArray>
#include <QVector>
#include <memory>

class JsonHandle;
class USBDriver_Osprey;
namespace Catalog {
struct Model;
}

class UsbDriverManger_Osprey : public USBDriverManger
{
    Q_OBJECT
public:
    static constexpr int kImageSize = 234;
    static constexpr int kBlockSize = 476;
    static constexpr int kImageOffset = 242; // of the image inside the block
    // The macro map every model uses: slots 0..11 at ids 140..184, the list slots 12..15 at
    // 208..220. The Lark adds slots 16 and 17 at ids 188 and 192 for its buttons 9 and 10 (the
    // mouse has 24 macro ids, 140..232; these two are used by nothing else).
    static constexpr int kMacroSlots = 16;
    static constexpr int kLarkMacroSlots = 18;
    static constexpr int kStages = 7;
    static constexpr int kMaxMacroWords = 511;

    // The manager of one model: its code decides the DPI codes, the buttons, the factory image
    // and the configuration files (0: no model, table A and the usual buttons).
    explicit UsbDriverManger_Osprey(int modelCode = 0, QObject *parent = nullptr);
    ~UsbDriverManger_Osprey() override;

    // Takes the driver when it is a USBDriver_Osprey (or a subclass) and returns it; returns
    // nullptr and leaves the object with the caller otherwise.
    KelvoUSBDriver *SetDriver(KelvoUSBDriver *driver) override;
    // Opens the device; the open flag that every write needs follows the result.
    int OpenDevice() override;
    void UnInitDevice() override;
    // Remembers the product id and hands it to the driver (with the maker's vendor id).
    void SetMousePid(USHORT pid) override;

    bool GetUsbReportRate(int &rate, int profile) override;
    // Rate index 0..3; any other value fails with nothing changed.
    bool SetUsbReportRate(int rate, int profile) override;
    bool GetSilentHeight(int &value, int profile) override;
    // Stores the byte only (no write); false for a value outside 0..255.
    bool SetSilentHeight(int value, int profile) override;
    // Seven decoded stages, then 0 (values has 8 entries).
    bool GetCPIStageMatrix(QVector<int> &values, int profile) override;
    // Sets (or with 0 removes, moving later stages up) the 1-based stage 1..7.
    bool SetDPIStageMatrix(DWORD value, int stage, int profile) override;
    // Stage i takes value i of the list (the first seven), 0 leaving the stage unused (codes
    // 00 00). Fails with nothing written when a non-zero value has no code on the model or
    // when no value among the first seven is non-zero.
    bool SetCPIListValue(const QList<DWORD> &list, int profile) override;
    bool GetListMacroPosition(BYTE &position, int profile) override;
    // Stores the byte only (no write).
    bool SetListMacroPosition(BYTE position, int profile) override;
    // The main light in one write: mode, breathing speed, degree and the first colour.
    bool SetLightParameter(int mode, int speed, int degree, const QList<COLORREF> &colors,
                           int profile) override;
    bool GetLightParameter(LightColorParam &param, int profile) override;
    // Fails with nothing changed for an empty colour list.
    bool SetMouseColor(bool isWheelLightChange, const QList<COLORREF> &colors, int profile) override;
    // Mode 0..5; any other fails with nothing changed.
    bool SetMouseLightMode(bool isWheelLightChange, int mode, int profile) override;
    bool SetMouseContinueLightDegree(bool isWheelLightChange, int degree, int profile) override;
    bool SetMouseBreathSpeed(bool isWheelLightChange, int speed, int profile) override;
    // Fails with nothing changed for a change type the family has no entry for (31, 33, 40, 42,
    // 43), for a key without a HID usage, and for a button the model does not have. Refusing to
    // take away the only left click emits sig_WarningOnlyLeftButton(6) and answers true.
    bool SetChangeButtonToKey(int button, int value, int modifier, int changeType, int profile) override;
    // Fails with nothing changed for an unusable macro file, one longer than 511 words, or a
    // button without a macro slot.
    bool WriteSingleMacro(int button, const QString &macroFile) override;
    // One to four macro files into the list macro slots, button 4 pointed at them.
    bool WriteListMacro(const QStringList &macroFiles) override;
    // Entry [09, macroMode, 00, macro address of the button].
    bool SetChangeButtonToMacro(int button, int macroSlot, int macroMode) override;
    bool GetMousePid(USHORT &pid) override;
    // Behaviour 2 → code 4, 3 → 0, 8 → 7, any other → 1.
    bool SetOLEDScreenParameter(int code) override;
    // 0..255; any other fails.
    bool SetOLEDScreenLightIntensity(int intensity) override;
    void SetMouseName(const QString &modelFolder) override;
    bool CompareMouseAndLocalFileData(int &configNumber) override;
    // Reads the profile and the macro slots (sixteen, eighteen on the Lark). A failed profile
    // read counts toward GetExtraSetting; a success resets that count.
    bool GetProfileData() override;
    bool SetProfileData() override;
    bool GetVersion(DWORD &version) override;
    // 1..5; any other fails.
    bool SetCurrentConfigNumber(int configNumber) override;
    // Configuration → image and macros → mouse. On failure the image and macros are as before.
    bool LoadConfigFileByNumber(int configNumber) override;
    bool LoadOnlyMouseConfigFileByNumber(int configNumber) override;
    // Image and the macro slots (sixteen, eighteen on the Lark) into configuration configNumber.
    void SaveConfigFileByConfigureNumber(int configNumber) override;
    bool WriteProfileIntoMouse() override;
    int GetCurrentPictureIndex() override;
    void TurnOldTxtFileToNewJsonFile() override;
    void TurnNewFileToOldFile() override;
    void removeOldTxtFile() override;
    int GetOLEDScreenLightIntensity() override;
    int GetExtraSetting() override;
    void checkAllMouseButtonIsOriginalMouseButton() override;

    // ---- the family's own operations, in their order ----
    void SetExtraValue(DWORD value);
    int GetExtraByte();
    bool SetExtraByte(BYTE value);
    bool SetExtraString(const QString &text);
    // DPI of a stored (low, high) pair on the manager's model; 0 for a code the table lacks.
    virtual int buildDPIValue(BYTE low, BYTE high);
    // The (low, high) pair of a DPI value on model modelCode; false when there is none (a
    // table value without a code, or a value beyond the 16-bit code range).
    virtual bool SetCPIStageMatrix(int modelCode, DWORD dpi, BYTE &low, BYTE &high);
    virtual int returnDefaultDPIGear();
    // Light mode 0..5 ↔ code 128, 129, 130, 132, 131, 133; -1 for anything else.
    static int lightModeToCode(int mode);
    static int codeToLightMode(int code);

    // ---- state, for the coordinator and tests ----
    const QByteArray &profileImage() const { return m_image; }
    const QByteArray &profileBlock() const { return m_block; }
    // Slot 0..17 as its record; empty when the slot holds no macro.
    QByteArray macroRecord(int slot) const;
    int currentConfigNumber() const { return m_configNumber; }
    bool isDeviceOpen() const { return m_open; }
    DWORD extraValue() const { return m_extraValue; }
    USBDriver_Osprey *driver() const { return m_driver.get(); }

    // The image offset of a button's entry on a model; -1 when the model has no such button.
    static int buttonOffset(int button, int modelCode);
    // The factory entry of a button on a model; empty when the model has no such button.
    static QByteArray factoryEntry(int button, int modelCode);
    // getButtonMacroAddress: 4 → 140, 5 → 148, 6 → 144, 7 → 156, 8 → 152, 9 → 188, 10 → 192,
    // 11 → 164, 12 → 160, 13 → 168, 14 → 172, 15 → 176, 16 → 180, 17 → 184; 0 otherwise.
    static int getButtonMacroAddress(int button);
    // getMulitpulMacroAddress: list macro n (0..3) → 208, 212, 216, 220; 0 otherwise.
    static int getMulitpulMacroAddress(int n);
    // The macro slot of an address; -1 for an address without a slot.
    static int macroSlotOfAddress(int address);
    // The macro address of slot 0..17.
    static int macroAddressOfSlot(int slot);
    // The slots the manager's model uses: 18 on the Lark, 16 on the others.
    int macroSlotCount() const;
    // defineLocalMacro: the macro words of a node list (the [00 00] end included). Empty when
    // a key step's key has no HID usage in this family's table (right Ctrl, right Shift, right
    // Alt, Menu, ...): such a macro is refused whole, the key named in the log.
    static QByteArray defineLocalMacro(const QList<MacroNode> &nodes, int ignoreDelayTime);

protected:
    int modelCode() const;
    // The catalog row of an Osprey-family or Heron code; a row without a model (table A, the
    // usual layout) for any other code.
    static const Catalog::Model &rowOf(int modelCode);
    static bool hasLarkLayout(int modelCode);
    // The stage pair of a DPI value through a row's codec; false when it has none.
    static bool encodeStage(const Catalog::Model &row, DWORD dpi, BYTE &low, BYTE &high);
    // Writes the image into the mouse and saves the current configuration; the result of the
    // write ("WriteProfileIntoMouseAndSaveConfigFile ok" / "... failed").
    bool WriteProfileIntoMouseAndSaveConfigFile();
    // Applies a change to the image and macros, then writes and saves; on a failed write both
    // return to what they were.
    template <typename Change>
    bool change(Change &&apply);
    bool writeMacroSlot(int slot);
    QByteArray entry(int offset) const;
    void setEntry(int offset, const QByteArray &entry);
    QList<int> leftClickButtons() const;
    QList<int> modelButtons() const;
    void clearCorrespondingMacro(int button);
    // Record of a macro file; empty when the file is unusable or too long.
    QByteArray macroRecordOfFile(const QString &path, int *macroType);
    bool loadConfig(int configNumber, bool withMacros);

    const int m_modelCode;
    std::unique_ptr<USBDriver_Osprey> m_driver;
    std::unique_ptr<JsonHandle> m_json;
    QByteArray m_block;
    QByteArray m_image;
    QVector<QByteArray> m_macros;
    int m_configNumber = 1;
    int m_failedReads = 0;
    bool m_open = false;
    USHORT m_pid = 0;
    DWORD m_extraValue = 0;
    QString m_mouseName;
};
