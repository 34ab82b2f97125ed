#include "profile/usbdrivermanger.h"

USHORT consumerUsageOfChangeType(int changeType)
{
    switch (changeType) {
    case MouseButtonChangeToMute: return 0x00E2;
    case MouseButtonChangeToPlayPause: return 0x00CD;
    case MouseButtonChangeToVolumeUp: return 0x00E9;
    case MouseButtonChangeToVolumeDown: return 0x00EA;
    case MouseButtonChangeToMediaPlayer: return 0x0183;
    default: return 0;
    }
}

QList<DWORD> activeDpiStages(const QList<DWORD> &list, int maxStages)
{
    QList<DWORD> out;
    for (DWORD v : list) {
        if (out.size() >= maxStages)
            break;
        if (v != 0)
            out << v;
    }
    return out;
}

USBDriverManger::USBDriverManger(QObject *parent) : QObject(parent) {}
USBDriverManger::~USBDriverManger() = default;

void USBDriverManger::UnInitDevice() {}
bool USBDriverManger::SelectProfile(int) { return true; }
bool USBDriverManger::GetCurrentProfileIndex(int &) { return true; }
bool USBDriverManger::GetUsbReportRate(int &, int) { return true; }
bool USBDriverManger::SetUsbReportRate(int, int) { return true; }
bool USBDriverManger::GetSilentHeight(int &, int) { return true; }
bool USBDriverManger::SetSilentHeight(int, int) { return true; }
bool USBDriverManger::GetCPIStageMatrix(QVector<int> &values, int)
{
    values.resize(8);
    return true;
}
bool USBDriverManger::SetDPIStageMatrix(DWORD, int, int) { return true; }
bool USBDriverManger::SetCPIListValue(const QList<DWORD> &, int) { return true; }
bool USBDriverManger::GetListMacroPosition(BYTE &, int) { return true; }
bool USBDriverManger::SetListMacroPosition(BYTE, int) { return true; }
bool USBDriverManger::SetLightParameter(int, int, int, const QList<COLORREF> &, int) { return true; }
bool USBDriverManger::GetLightParameter(LightColorParam &, int) { return true; }
bool USBDriverManger::SetMouseColor(bool, const QList<COLORREF> &, int) { return true; }
bool USBDriverManger::SetMouseLightMode(bool, int, int) { return true; }
bool USBDriverManger::SetMouseContinueLightDegree(bool, int, int) { return true; }
bool USBDriverManger::SetMouseBreathSpeed(bool, int, int) { return true; }
bool USBDriverManger::SetChangeButtonToKey(int, int, int, int, int) { return true; }
bool USBDriverManger::WriteSingleMacro(int, const QString &) { return true; }
bool USBDriverManger::WriteListMacro(const QStringList &) { return true; }
bool USBDriverManger::SetChangeButtonToMacro(int, int, int) { return true; }
bool USBDriverManger::writeImageToMouse(int, const QString &, int, int) { return true; }
bool USBDriverManger::GetPictureFromMouse(int, QImage &) { return true; }
bool USBDriverManger::SetPictureSettingByte(int, int) { return true; }
bool USBDriverManger::GetOLEDScreenParameter(QVector<int> &values, int)
{
    values.resize(13);
    return true;
}
bool USBDriverManger::GetMousePid(USHORT &) { return true; }
ReceiverAnswer USBDriverManger::EnterPairingMode() { return ReceiverAnswer::NotSupported; }
ReceiverAnswer USBDriverManger::SetPairingAddress(DWORD) { return ReceiverAnswer::NotSupported; }
ReceiverAnswer USBDriverManger::ResetReceiverPairing() { return ReceiverAnswer::NotSupported; }
ReceiverAnswer USBDriverManger::GetReceiverWorkMode(int &) { return ReceiverAnswer::NotSupported; }
bool USBDriverManger::SetOLEDScreenParameter(int) { return true; }
bool USBDriverManger::SetOLEDScreenLightIntensity(int) { return true; }
void USBDriverManger::SetMouseName(const QString &) {}
bool USBDriverManger::CompareMouseAndLocalFileData(int &) { return true; }
bool USBDriverManger::GetProfileData() { return true; }
bool USBDriverManger::SetProfileData() { return true; }
bool USBDriverManger::GetVersion(DWORD &) { return true; }
bool USBDriverManger::SetCurrentConfigNumber(int) { return true; }
bool USBDriverManger::LoadConfigFileByNumber(int) { return true; }
bool USBDriverManger::LoadOnlyMouseConfigFileByNumber(int) { return false; }
void USBDriverManger::SaveConfigFileByConfigureNumber(int) {}
bool USBDriverManger::WriteProfileIntoMouse() { return true; }
bool USBDriverManger::GetBatteryPower(int &) { return true; }
int USBDriverManger::GetCurrentPictureIndex() { return 0; }
void USBDriverManger::TurnOldTxtFileToNewJsonFile() {}
void USBDriverManger::TurnNewFileToOldFile() {}
void USBDriverManger::removeOldTxtFile() {}
int USBDriverManger::GetOLEDScreenLightIntensity() { return 1; }
int USBDriverManger::GetExtraSetting() { return 1; }
void USBDriverManger::checkAllMouseButtonIsOriginalMouseButton() {}

bool USBDriverManger::leftButtonGuardRefuses(const QList<int> &leftClickButtons, int button,
                                            int changeType)
{
    if (leftClickButtons.size() != 1 || leftClickButtons.first() != button)
        return false;
    // Change type 32 restores the factory function, and button 4's factory function is left
    // click: restoring it keeps the left click.
    if (changeType == MouseButtonChangeToMacro && button == kFirstButton)
        return false;
    return true;
}
