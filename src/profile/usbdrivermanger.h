#pragma once
// The device manager: the one object through which the coordinator reads and changes what is
// stored in the attached mouse. It speaks in user terms (button, change type, DPI list, colour
// list, macro file path, profile number); a concrete manager turns them into its model's memory
// layout, sends them through its command set, keeps a mirror of the mouse's profile and writes
// that mirror to the current configuration's JSON file after every successful change.
//
// Every operation a manager does not override answers with the base result documented below
// (mostly true), so pages behave as if a feature that a model lacks had succeeded.

#include "common/buttonchange.h"
#include "common/qktypes.h"
#include "common/warning.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class KelvoUSBDriver;

// The answer to a receiver command (wireless pairing of a Falcon-family mouse with its 2.4 GHz
// receiver).
enum class ReceiverAnswer : int {
    NotSupported, // the manager has no receiver open (cable, Osprey family): nothing was sent
    Refused,      // sent, not acknowledged
    Acknowledged,
};

// Consumer-control usage of the fixed multimedia change types 35..39; 0 for any other type.
USHORT consumerUsageOfChangeType(int changeType);

// The DPI stage list as the pages send it: seven values by row, 0 for a disabled row. Returns
// the non-zero values in order, packed together (at most maxStages of them).
QList<DWORD> activeDpiStages(const QList<DWORD> &list, int maxStages = 8);

class USBDriverManger : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFirstButton = 4;
    static constexpr int kLastButton = 14;
    static constexpr int kOnlyLeftButtonWarning = toInt(Warning::OnlyLeftButton);

    explicit USBDriverManger(QObject *parent = nullptr);
    ~USBDriverManger() override;

    // Takes ownership of the command set; returns it cast to the manager's own command-set class,
    // or nullptr when it is of another class (the manager then owns nothing).
    virtual KelvoUSBDriver *SetDriver(KelvoUSBDriver *driver) = 0;
    // Opens the device through the command set; its result (nonzero = open).
    virtual int OpenDevice() = 0;
    virtual void UnInitDevice();
    // Adapts the button layout to the product id.
    virtual void SetMousePid(USHORT pid) = 0;

    virtual bool SelectProfile(int profile);                          // base true
    virtual bool GetCurrentProfileIndex(int &index);                  // base true
    // Rate index 0 = 125 Hz, 1 = 250 Hz, 2 = 500 Hz, 3 = 1000 Hz.
    virtual bool GetUsbReportRate(int &rate, int profile);            // base true
    virtual bool SetUsbReportRate(int rate, int profile);             // base true
    virtual bool GetSilentHeight(int &value, int profile);            // base true
    virtual bool SetSilentHeight(int value, int profile);             // base true
    // Up to eight DPI values in stage order, 0 for unused stages (values is resized to 8).
    virtual bool GetCPIStageMatrix(QVector<int> &values, int profile); // base true
    // Sets or (value 0) removes the 1-based stage.
    virtual bool SetDPIStageMatrix(DWORD value, int stage, int profile); // base true
    virtual bool SetCPIListValue(const QList<DWORD> &list, int profile); // base true
    virtual bool GetListMacroPosition(BYTE &position, int profile);   // base true
    virtual bool SetListMacroPosition(BYTE position, int profile);    // base true
    virtual bool SetLightParameter(int mode, int speed, int degree, const QList<COLORREF> &colors,
                                   int profile);                      // base true
    virtual bool GetLightParameter(LightColorParam &param, int profile); // base true
    virtual bool SetMouseColor(bool isWheelLightChange, const QList<COLORREF> &colors, int profile);
    virtual bool SetMouseLightMode(bool isWheelLightChange, int mode, int profile);
    virtual bool SetMouseContinueLightDegree(bool isWheelLightChange, int degree, int profile);
    virtual bool SetMouseBreathSpeed(bool isWheelLightChange, int speed, int profile);
    // value: virtual-key code or usage; modifier: the dialog's modifier code (Ctrl 1, Shift 2,
    // Alt 4, Win 8); changeType: ButtonChangeType. An unsupported change type fails.
    virtual bool SetChangeButtonToKey(int button, int value, int modifier, int changeType, int profile);
    virtual bool WriteSingleMacro(int button, const QString &macroFile);
    virtual bool WriteListMacro(const QStringList &macroFiles);
    virtual bool SetChangeButtonToMacro(int button, int macroSlot, int macroMode);
    virtual bool writeImageToMouse(int modelCode, const QString &pictureFile, int pictureSlot, int profile);
    virtual bool GetPictureFromMouse(int pictureSlot, QImage &image);
    virtual bool SetPictureSettingByte(int value, int profile);
    // Thirteen values (values is resized to 13).
    virtual bool GetOLEDScreenParameter(QVector<int> &values, int profile);
    // The product id of the mouse (through a receiver: of the paired mouse).
    virtual bool GetMousePid(USHORT &pid);
    virtual bool SetOLEDScreenParameter(int code);
    virtual bool SetOLEDScreenLightIntensity(int intensity);
    virtual void SetMouseName(const QString &modelFolder);           // base no-op
    // Finds the stored configuration (1..5) equal to the mouse; false when none is.
    virtual bool CompareMouseAndLocalFileData(int &configNumber);
    virtual bool GetProfileData();
    virtual bool SetProfileData();
    virtual bool GetVersion(DWORD &version);
    virtual bool SetCurrentConfigNumber(int configNumber);
    virtual bool LoadConfigFileByNumber(int configNumber);
    virtual bool LoadOnlyMouseConfigFileByNumber(int configNumber);  // base false
    virtual void SaveConfigFileByConfigureNumber(int configNumber);  // base no-op
    virtual bool WriteProfileIntoMouse();
    // 0..100 percent, or 101, 102, 103 for the non-percentage states.
    virtual bool GetBatteryPower(int &level);
    virtual int GetCurrentPictureIndex();                            // base 0
    virtual void TurnOldTxtFileToNewJsonFile();                      // base no-op
    virtual void TurnNewFileToOldFile();                             // base no-op
    virtual void removeOldTxtFile();                                 // base no-op
    virtual int GetOLEDScreenLightIntensity();                       // base 1
    // Consecutive failed profile reads; the coordinator offers a repair at 4 or more.
    virtual int GetExtraSetting();                                   // base 1
    virtual void checkAllMouseButtonIsOriginalMouseButton();         // base no-op

    // Receiver commands. Only a Falcon-family manager whose device is open through its receiver
    // sends them; every other one (the base) answers NotSupported and sends nothing.
    virtual ReceiverAnswer EnterPairingMode();                       // A0 81
    // A1 8F with the radio address, low byte first.
    virtual ReceiverAnswer SetPairingAddress(DWORD address);
    // A1 81 (after EnterPairingMode): drops the receiver's pairing.
    virtual ReceiverAnswer ResetReceiverPairing();
    // A7: mode receives the receiver's work mode when acknowledged (0 once pairing finished).
    virtual ReceiverAnswer GetReceiverWorkMode(int &mode);

    // The left-button guard: buttons lists every button (4..14) that holds plain left click
    // now. Returns true when the request must be refused because it is aimed at the only left
    // click, whatever its change type (left click again included); the one exception is change
    // type 32 on button 4, which restores button 4's factory left click. Managers ask this
    // before any other check of the request.
    static bool leftButtonGuardRefuses(const QList<int> &leftClickButtons, int button, int changeType);

Q_SIGNALS:
    void sig_CurrentButtonIsOriginalButton(bool state, int button);
    void sig_WarningOnlyLeftButton(int warning);
    void sig_KelvoMouseUpdateResult(bool result);
    void sig_TrueMouseValue(int currentButton, int changeType, int trueValue, int modifyValue);
    void sig_ShowUpdateWidget(bool isChangeable, bool isLocalUpdateState, int mouseType, bool isUpdateNow);
};
