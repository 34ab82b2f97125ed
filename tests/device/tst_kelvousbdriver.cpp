#include "device/falcon/kelvousbdriver.h"

#include <QtTest>

namespace {
// The smallest concrete driver: only the pure operation.
class BareDriver : public KelvoUSBDriver
{
public:
    int FindHIDDevice() override { return 0; }
};
} // namespace

class TstKelvoUsbDriver : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void operationsSucceedByDefault();
};

void TstKelvoUsbDriver::operationsSucceedByDefault()
{
    BareDriver d;
    KelvoUSBDriver &k = d;
    BYTE b[1476] = {};
    DWORD w[64] = {};
    USHORT s = 7;
    QCOMPARE(k.FindHIDDevice(), 0);
    const QList<int> results{
        k.UnInitDevice(), k.SetVidPid(0x4122, 0xF00D), k.WriteMacroList({QByteArray("m")}),
        k.WriteDataBlock(b), k.ReadDataBlock(b), k.GetProfileData(b), k.SetProfileData(b),
        k.SetCurrentProfile(1), k.GetCurrentProfile(b), k.GetFirmwareVersion(w),
        k.ReservedOperation(), k.SendCommandA7(), k.SendCommandA8(), k.GetCommandA9Value(&s),
        k.GetPowerState(w), k.SetCommandABValue(1), k.ReadProfileBlock(b, 32, 0),
        k.WriteProfileBlock(b, 32, 0), k.ReadProfileBytes(b, 4, 0, 0),
        k.WriteProfileBytes(b, 4, 0, 0), k.GetButtonEntry(1, b, 0), k.SetButtonEntry(1, b, 0),
        k.GetSettingsWordA(w, 0), k.SetSettingsWordA(1, 0), k.GetSettingsWordB(w, 0),
        k.SetSettingsWordB(1, 0), k.GetDpiStageBlock(b, 0), k.SetDpiStageBlock(b, 16, 0),
        k.GetDpiLedRateLightIntensity(b, b, b, b, 0), k.SetDpiLedRateLightIntensity(1, 2, 3, 4, 0),
        k.GetDpiLedRateLightIntensityByte0(b, 0), k.SetDpiLedRateLightIntensityByte0(1, 0),
        k.GetDpiLedRateLightIntensityByte1(b, 0), k.SetDpiLedRateLightIntensityByte1(1, 0),
        k.GetDpiLedRateLightIntensityByte2(b, 0), k.SetDpiLedRateLightIntensityByte2(1, 0),
        k.GetDpiLedRateLightIntensityByte3(b, 0), k.SetDpiLedRateLightIntensityByte3(1, 0),
        k.GetSettingsWordD(w, 0), k.SetSettingsWordD(1, 0), k.GetSettingsWordDByte0(b, 0),
        k.SetSettingsWordDByte0(1, 0), k.SetSettingsWordGXY(1, 2, 0),
        k.GetSettingsWordDByte1(b, 0), k.SetSettingsWordDByte1(1, 0), k.GetLedColor(w, 0, 0),
        k.SetLedColor(1, 0), k.SetLedColorMatrixAll(w, 4, 0), k.QuickPowerState(&s),
        k.SetWiredWirelessString(QStringLiteral("VID_F00D&PID_4130"),
                                 QStringLiteral("VID_F00D&PID_1804"))};
    QCOMPARE(results.size(), 50); // operations 12 to 61
    QCOMPARE(results, QList<int>(QVector<int>(50, 1).toList()));
    // The base touches nothing it is handed.
    QCOMPARE(int(b[0]), 0);
    QCOMPARE(int(w[0]), 0);
    QCOMPARE(int(s), 7);
}

QTEST_GUILESS_MAIN(TstKelvoUsbDriver)
#include "tst_kelvousbdriver.moc"
