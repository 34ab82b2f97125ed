#pragma once
// A device manager whose answers a test sets, recording what the coordinator asks of it. It has
// no driver and no receiver: the receiver commands answer NotSupported (the base).

#include "profile/usbdrivermanger.h"

#include <QStringList>

class FakeManager : public USBDriverManger
{
public:
    struct Script
    {
        bool open = true;
        bool readProfile = true;
        int matchingConfig = 2;      // 0: no stored configuration matches
        DWORD version = 33;
        bool writes = true;          // result of every setter
        int extraSetting = 1;
        QList<int> battery;          // readings handed out in turn; empty or negative = read fails
        bool pageReads = true;       // result of GetLightParameter and GetSilentHeight
        QVector<int> dpi{800, 1600, 3200, 0, 0, 0, 0, 0};
        int rate = 3;
    };

    explicit FakeManager(const Script &script) : m_script(script) {}

    QStringList calls;

    KelvoUSBDriver *SetDriver(KelvoUSBDriver *) override { return nullptr; } // never given one
    int OpenDevice() override
    {
        calls << "OpenDevice";
        return m_script.open ? 1 : 0;
    }
    void UnInitDevice() override { calls << "UnInitDevice"; }
    void SetMousePid(USHORT) override { calls << "SetMousePid"; }
    void SetMouseName(const QString &name) override { calls << "SetMouseName " + name; }
    bool SelectProfile(int p) override { calls << QString("SelectProfile %1").arg(p); return true; }
    bool GetProfileData() override { calls << "GetProfileData"; return m_script.readProfile; }
    bool GetVersion(DWORD &v) override { v = m_script.version; return true; }
    bool CompareMouseAndLocalFileData(int &n) override
    {
        n = m_script.matchingConfig;
        return n != 0;
    }
    bool GetCPIStageMatrix(QVector<int> &values, int) override { values = m_script.dpi; return true; }
    bool GetUsbReportRate(int &rate, int) override { rate = m_script.rate; return true; }
    bool SetCPIListValue(const QList<DWORD> &, int) override { calls << "SetCPIListValue"; return m_script.writes; }
    bool SetUsbReportRate(int rate, int) override { calls << QString("SetUsbReportRate %1").arg(rate); return m_script.writes; }
    bool LoadConfigFileByNumber(int n) override { calls << QString("LoadConfigFileByNumber %1").arg(n); return m_script.writes; }
    void SaveConfigFileByConfigureNumber(int n) override { calls << QString("Save %1").arg(n); }
    bool SetChangeButtonToMacro(int button, int, int) override
    {
        calls << QString("SetChangeButtonToMacro %1").arg(button);
        return m_script.writes;
    }
    bool writeImageToMouse(int, const QString &file, int, int) override
    {
        calls << "writeImageToMouse " + file;
        return m_script.writes;
    }
    bool WriteProfileIntoMouse() override { calls << "WriteProfileIntoMouse"; return m_script.writes; }
    bool GetBatteryPower(int &level) override
    {
        if (m_script.battery.isEmpty())
            return false;
        level = m_script.battery.takeFirst();
        return level >= 0;
    }
    bool GetLightParameter(LightColorParam &, int) override { return m_script.pageReads; }
    bool GetSilentHeight(int &, int) override { return m_script.pageReads; }
    int GetExtraSetting() override { return m_script.extraSetting; }
    void checkAllMouseButtonIsOriginalMouseButton() override
    {
        Q_EMIT sig_CurrentButtonIsOriginalButton(true, 4);
        Q_EMIT sig_CurrentButtonIsOriginalButton(false, 5);
        Q_EMIT sig_TrueMouseValue(5, 29, 0x41, 0);
    }

private:
    Script m_script;
};
