#pragma once
// The abstract driver. A device manager holds one driver object and calls only these virtual
// operations; each model family overrides the ones its command set has. Every operation returns
// an int, nonzero for success. Except FindHIDDevice, the base does nothing and returns 1, so a
// manager calling an operation its model lacks sees success.
//
// The operations are declared in the order of the driver's operation table (positions 11 to 61
// after QObject's own); the comment before each gives the position and the family that
// implements it. Profile arguments (p) are 0 or 1 for the Falcon family.

#include "common/qktypes.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class KelvoUSBDriver : public QObject
{
    Q_OBJECT
public:
    explicit KelvoUSBDriver(QObject *parent = nullptr);
    ~KelvoUSBDriver() override;

    // 11: open the device. Returns nonzero when it is open.
    virtual int FindHIDDevice() = 0;
    // 12: close the device.
    virtual int UnInitDevice();
    // 13: the ids the Osprey family looks for at open.
    virtual int SetVidPid(int pid, int vid);

    // 14 to 18: block transfers of the Osprey family.
    // 14: build the macro area from the list (one entry per macro, in the command set's block
    // form) and write one block per macro.
    virtual int WriteMacroList(const QList<QByteArray> &macros);
    // 15 / 16: one 1024-byte data block.
    virtual int WriteDataBlock(const BYTE *block);
    virtual int ReadDataBlock(BYTE *block);
    // 17 / 18: the whole 476-byte profile.
    virtual int GetProfileData(BYTE *profile);
    virtual int SetProfileData(const BYTE *profile);

    // 19 to 60: commands and memory accessors of the Falcon family.
    virtual int SetCurrentProfile(int profile);                         // 19
    virtual int GetCurrentProfile(BYTE *profile);                       // 20
    virtual int GetFirmwareVersion(DWORD *version);                     // 21
    virtual int ReservedOperation();                                    // 22, unused
    virtual int SendCommandA7();                                        // 23
    virtual int SendCommandA8();                                        // 24
    virtual int GetCommandA9Value(USHORT *value);                       // 25
    virtual int GetPowerState(DWORD *value);                            // 26
    virtual int SetCommandABValue(BYTE value);                          // 27
    virtual int ReadProfileBlock(BYTE *out, int n, int p);              // 28
    virtual int WriteProfileBlock(const BYTE *data, int n, int p);      // 29
    virtual int ReadProfileBytes(BYTE *out, int n, int p, int offset);  // 30
    virtual int WriteProfileBytes(const BYTE *data, int n, int p, int offset); // 31
    virtual int GetButtonEntry(int button, BYTE *entry, int p);         // 32
    virtual int SetButtonEntry(int button, const BYTE *entry, int p);   // 33
    virtual int GetSettingsWordA(DWORD *value, int p);                  // 34
    virtual int SetSettingsWordA(DWORD value, int p);                   // 35
    virtual int GetSettingsWordB(DWORD *value, int p);                  // 36
    virtual int SetSettingsWordB(DWORD value, int p);                   // 37
    virtual int GetDpiStageBlock(BYTE *out, int p);                     // 38
    virtual int SetDpiStageBlock(const BYTE *data, int n, int p);       // 39
    virtual int GetDpiLedRateLightIntensity(BYTE *b0, BYTE *b1, BYTE *b2, BYTE *b3, int p); // 40
    virtual int SetDpiLedRateLightIntensity(BYTE b0, BYTE b1, BYTE b2, BYTE b3, int p);     // 41
    virtual int GetDpiLedRateLightIntensityByte0(BYTE *out, int p);     // 42
    virtual int SetDpiLedRateLightIntensityByte0(BYTE value, int p);    // 43
    virtual int GetDpiLedRateLightIntensityByte1(BYTE *out, int p);     // 44
    virtual int SetDpiLedRateLightIntensityByte1(BYTE value, int p);    // 45
    virtual int GetDpiLedRateLightIntensityByte2(BYTE *out, int p);     // 46
    virtual int SetDpiLedRateLightIntensityByte2(BYTE value, int p);    // 47
    virtual int GetDpiLedRateLightIntensityByte3(BYTE *out, int p);     // 48
    virtual int SetDpiLedRateLightIntensityByte3(BYTE value, int p);    // 49
    virtual int GetSettingsWordD(DWORD *value, int p);                  // 50
    virtual int SetSettingsWordD(DWORD value, int p);                   // 51
    virtual int GetSettingsWordDByte0(BYTE *out, int p);                // 52
    virtual int SetSettingsWordDByte0(BYTE value, int p);               // 53
    virtual int SetSettingsWordGXY(BYTE x, BYTE y, int p);              // 54
    virtual int GetSettingsWordDByte1(BYTE *out, int p);                // 55
    virtual int SetSettingsWordDByte1(BYTE value, int p);               // 56
    virtual int GetLedColor(DWORD *value, int k, int p);                // 57
    virtual int SetLedColor(DWORD value, int k);                        // 58
    virtual int SetLedColorMatrixAll(const DWORD *table, int entries, int p); // 59
    virtual int QuickPowerState(USHORT *value);                         // 60

    // 61: the interface selectors used for link mode 0 (cable) and 1 (receiver). The base
    // discards both.
    virtual int SetWiredWirelessString(const QString &wired, const QString &wireless);
};
