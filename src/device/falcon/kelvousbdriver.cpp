#include "device/falcon/kelvousbdriver.h"

KelvoUSBDriver::KelvoUSBDriver(QObject *parent) : QObject(parent) {}

KelvoUSBDriver::~KelvoUSBDriver() = default;

// The base result is success: a manager may call an operation its model does not have.
int KelvoUSBDriver::UnInitDevice() { return 1; }
int KelvoUSBDriver::SetVidPid(int, int) { return 1; }
int KelvoUSBDriver::WriteMacroList(const QList<QByteArray> &) { return 1; }
int KelvoUSBDriver::WriteDataBlock(const BYTE *) { return 1; }
int KelvoUSBDriver::ReadDataBlock(BYTE *) { return 1; }
int KelvoUSBDriver::GetProfileData(BYTE *) { return 1; }
int KelvoUSBDriver::SetProfileData(const BYTE *) { return 1; }
int KelvoUSBDriver::SetCurrentProfile(int) { return 1; }
int KelvoUSBDriver::GetCurrentProfile(BYTE *) { return 1; }
int KelvoUSBDriver::GetFirmwareVersion(DWORD *) { return 1; }
int KelvoUSBDriver::ReservedOperation() { return 1; }
int KelvoUSBDriver::SendCommandA7() { return 1; }
int KelvoUSBDriver::SendCommandA8() { return 1; }
int KelvoUSBDriver::GetCommandA9Value(USHORT *) { return 1; }
int KelvoUSBDriver::GetPowerState(DWORD *) { return 1; }
int KelvoUSBDriver::SetCommandABValue(BYTE) { return 1; }
int KelvoUSBDriver::ReadProfileBlock(BYTE *, int, int) { return 1; }
int KelvoUSBDriver::WriteProfileBlock(const BYTE *, int, int) { return 1; }
int KelvoUSBDriver::ReadProfileBytes(BYTE *, int, int, int) { return 1; }
int KelvoUSBDriver::WriteProfileBytes(const BYTE *, int, int, int) { return 1; }
int KelvoUSBDriver::GetButtonEntry(int, BYTE *, int) { return 1; }
int KelvoUSBDriver::SetButtonEntry(int, const BYTE *, int) { return 1; }
int KelvoUSBDriver::GetSettingsWordA(DWORD *, int) { return 1; }
int KelvoUSBDriver::SetSettingsWordA(DWORD, int) { return 1; }
int KelvoUSBDriver::GetSettingsWordB(DWORD *, int) { return 1; }
int KelvoUSBDriver::SetSettingsWordB(DWORD, int) { return 1; }
int KelvoUSBDriver::GetDpiStageBlock(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetDpiStageBlock(const BYTE *, int, int) { return 1; }
int KelvoUSBDriver::GetDpiLedRateLightIntensity(BYTE *, BYTE *, BYTE *, BYTE *, int) { return 1; }
int KelvoUSBDriver::SetDpiLedRateLightIntensity(BYTE, BYTE, BYTE, BYTE, int) { return 1; }
int KelvoUSBDriver::GetDpiLedRateLightIntensityByte0(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetDpiLedRateLightIntensityByte0(BYTE, int) { return 1; }
int KelvoUSBDriver::GetDpiLedRateLightIntensityByte1(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetDpiLedRateLightIntensityByte1(BYTE, int) { return 1; }
int KelvoUSBDriver::GetDpiLedRateLightIntensityByte2(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetDpiLedRateLightIntensityByte2(BYTE, int) { return 1; }
int KelvoUSBDriver::GetDpiLedRateLightIntensityByte3(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetDpiLedRateLightIntensityByte3(BYTE, int) { return 1; }
int KelvoUSBDriver::GetSettingsWordD(DWORD *, int) { return 1; }
int KelvoUSBDriver::SetSettingsWordD(DWORD, int) { return 1; }
int KelvoUSBDriver::GetSettingsWordDByte0(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetSettingsWordDByte0(BYTE, int) { return 1; }
int KelvoUSBDriver::SetSettingsWordGXY(BYTE, BYTE, int) { return 1; }
int KelvoUSBDriver::GetSettingsWordDByte1(BYTE *, int) { return 1; }
int KelvoUSBDriver::SetSettingsWordDByte1(BYTE, int) { return 1; }
int KelvoUSBDriver::GetLedColor(DWORD *, int, int) { return 1; }
int KelvoUSBDriver::SetLedColor(DWORD, int) { return 1; }
int KelvoUSBDriver::SetLedColorMatrixAll(const DWORD *, int, int) { return 1; }
int KelvoUSBDriver::QuickPowerState(USHORT *) { return 1; }
int KelvoUSBDriver::SetWiredWirelessString(const QString &, const QString &) { return 1; }
