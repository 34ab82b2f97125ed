#include "session/dcdatahandle.h"

#include "catalog/modelcatalog.h"

#include "device/firmware/fwupdate.h"
#include "common/atomicfile.h"

#include "storage/gearhandle.h"
#include "storage/jsonhandle.h"
#include "common/mousetype.h"
#include "common/pacer.h"
#include "device/watcher/producttable.h"
#include "storage/storagepaths.h"
#include "device/falcon/usbdriverfalcon.h"
#include "profile/usbdrivermanger.h"
#include "profile/usbdrivermanger_osprey.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTime>
#include <QTimer>
#include <QVector>

namespace {
const QString kCategory = QStringLiteral("操作事件");

// Reports the files that could not be written (or removed) during a request. When the mouse
// took the change (operationOk), the failed save is this request's failure and raises the
// read/write warning; otherwise the caller's own error path raises it.
void reportSaveFailures(DCDataHandle *self, const QList<AtomicFile::Failure> &failures, bool operationOk)
{
    QStringList reported; // one report per file and reason, however often it was tried
    for (const AtomicFile::Failure &f : failures) {
        const QString key = f.path + QLatin1Char('\n') + f.reason;
        if (reported.contains(key))
            continue;
        reported << key;
        qWarning() << "DCDataHandle save failed" << f.path << f.reason;
        Q_EMIT self->sig_SaveFailed(f.path, f.reason);
    }
    if (!failures.isEmpty() && operationOk)
        Q_EMIT self->sig_ShowWarningDialog(32);
}

// Runs one manager request inside the loading indication. Returns the manager's verdict (the
// mouse half); a file that could not be saved meanwhile is reported apart (reportSaveFailures).
template <typename Op>
bool loading(DCDataHandle *self, Op op)
{
    Q_EMIT self->sig_ShowLoadingDialog();
    AtomicFile::FailureLog saves;
    const bool ok = op();
    reportSaveFailures(self, saves.failures(), ok);
    Q_EMIT self->sig_EndLoadingDialog();
    return ok;
}
} // namespace

DCDataHandle::DCDataHandle(QObject *parent)
    : QObject(parent), m_timer(new QTimer(this)), m_gear(std::make_unique<GearHandle>()),
      m_json(std::make_unique<JsonHandle>())
{
    connect(m_timer, &QTimer::timeout, this, &DCDataHandle::slot_codetimerout);
    connect(this, &DCDataHandle::sig_startTimer, m_timer, QOverload<int>::of(&QTimer::start));
    connect(this, &DCDataHandle::sig_stopTimer, m_timer, &QTimer::stop);
}

DCDataHandle::~DCDataHandle()
{
    releaseObject();
}

std::optional<DCDataHandle::ManagerChoice> DCDataHandle::chooseManager(USHORT productId)
{
    const Catalog::ProductMatch match = Catalog::byProductId(productId);
    if (!match.model)
        return std::nullopt;
    ManagerChoice c;
    c.mouseType = match.model->code;
    switch (match.model->family) {
    case Catalog::Family::Falcon:
        c.family = ManagerChoice::Family::Falcon;
        c.wireless = match.link == Catalog::Link::Receiver;
        c.wiredSelector = ProductTable::wiredSelector(productId);
        c.wirelessSelector = ProductTable::wirelessSelector(productId);
        break;
    case Catalog::Family::Osprey:
        c.family = ManagerChoice::Family::Osprey;
        break;
    case Catalog::Family::Heron:
        c.family = ManagerChoice::Family::Heron;
        break;
    }
    return c;
}

int DCDataHandle::defaultFirmwareVersion(int mouseType)
{
    const Catalog::Model *model = Catalog::find(mouseType);
    return model ? model->defaultFirmware : 1;
}

QList<DWORD> DCDataHandle::storedDpiRows(int mouseType, QList<DWORD> rows)
{
    // The mouse packs the enabled rows into its stages and keeps as many as it has stages; a
    // row beyond those is not in the mouse and must not be marked enabled.
    const Catalog::Model *model = Catalog::find(mouseType);
    const int stages = model ? model->maxStages : 7;
    int kept = 0;
    for (DWORD &value : rows) {
        if (value != 0 && ++kept > stages)
            value = 0;
    }
    return rows;
}

QString DCDataHandle::modelFolder() const
{
    return MouseType::modelName(m_mouseType);
}

void DCDataHandle::sendEvent(const QString &action, const QString &second)
{
    const QString label = second.isEmpty() ? action : action + QLatin1Char('_') + second;
    Q_EMIT sig_SendOperationEventMessageToGA(kCategory, action, label, QString());
}

// ---- open and close ------------------------------------------------------------------------

void DCDataHandle::slot_OpenDevice(uint Pid, uint Vid)
{
    Q_UNUSED(Vid)
    if (Pid == ProductTable::kFalconBootProductId)
        return;
    m_wireless = false;
    m_mouseType = 0;
    MouseType::setCurrent(m_mouseType);
    // The version belongs to the mouse being opened: a previous mouse's must not decide how
    // this one's battery is read when its profile cannot be read.
    m_firmwareVersion = 1;
    releaseObject();
    ++m_openCount;
    qDebug() << QStringLiteral("openDevice Pid 0x%1").arg(Pid, 0, 16);
    qDebug() << "openDevice Count" << m_openCount;

    const auto choice = chooseManager(USHORT(Pid));
    if (!choice || !m_managerFactory) {
        Q_EMIT sig_OpenDeviceResult(false, m_mouseType, m_wireless);
        return;
    }
    USBDriverFalcon *receiverDriver = nullptr;
    m_manager = m_managerFactory(*choice, &receiverDriver);
    if (!m_manager) {
        Q_EMIT sig_OpenDeviceResult(false, m_mouseType, m_wireless);
        return;
    }
    m_wireless = choice->wireless;
    m_receiverDriver = choice->wireless ? receiverDriver : nullptr;
    m_mouseType = choice->mouseType;
    MouseType::setCurrent(m_mouseType);

    m_manager->SetMouseName(modelFolder());
    m_manager->SetMousePid(USHORT(Pid));
    qDebug() << "openDevice" << modelFolder();

    const QString link = m_wireless ? QStringLiteral("Wireless") : QStringLiteral("Wired");
    if (!m_manager->OpenDevice()) {
        sendEvent(QStringLiteral("OpenDeviceFailed"), link + QLatin1Char('_') + modelFolder());
        Q_EMIT sig_OpenDeviceResult(false, m_mouseType, m_wireless);
        releaseObject(); // nothing stays half open
        m_wireless = false;
        return;
    }
    m_manager->SelectProfile(kProfileIndex);
    if (m_wireless && !receiverPairingCheck(USHORT(Pid))) {
        releaseObject();
        m_wireless = false;
        return;
    }
    connectSignal();
    m_productId = USHORT(Pid);
    Q_EMIT sig_OpenDeviceResult(true, m_mouseType, m_wireless);
    sendEvent(QStringLiteral("OpenDevice"), link + QLatin1Char('_') + modelFolder());
    GetProfileFromMouse();
}

void DCDataHandle::slot_OpenDeviceAgain()
{
    slot_OpenDevice(m_productId, ProductTable::vendorId());
}

bool DCDataHandle::receiverPairingCheck(USHORT receiverId)
{
    const int expected = ProductTable::wiredPartner(receiverId);
    USHORT paired = 0;
    m_manager->GetMousePid(paired);
    if (paired == expected || paired == 0)
        return true;
    // Paired with a mouse of another model: reset the receiver's pairing and tell the user.
    if (m_receiverDriver) {
        const BYTE enter[2] = {0xA0, 0x81};
        if (m_receiverDriver->SendCommandDONGLE(enter, 2))
            qDebug() << "1——++";
        const BYTE reset[2] = {0xA1, 0x81};
        if (m_receiverDriver->SendCommandDONGLE(reset, 2))
            qDebug() << "2-++";
    }
    Q_EMIT sig_ShowWarningDialog(44);
    sendEvent(QStringLiteral("接收器与鼠标不匹配"), modelFolder());
    return false;
}

void DCDataHandle::connectSignal()
{
    if (!m_manager || !m_managerConnections.isEmpty())
        return;
    USBDriverManger *m = m_manager.get();
    m_managerConnections << connect(m, &USBDriverManger::sig_CurrentButtonIsOriginalButton, this,
                                    &DCDataHandle::sig_CurrentButtonIsOriginalButton);
    m_managerConnections << connect(m, &USBDriverManger::sig_WarningOnlyLeftButton, this,
                                    &DCDataHandle::sig_ShowWarningDialog);
    m_managerConnections << connect(m, &USBDriverManger::sig_TrueMouseValue, this,
                                    &DCDataHandle::sig_TrueMouseValue);
    m_managerConnections << connect(m, &USBDriverManger::sig_KelvoMouseUpdateResult, this,
                                    &DCDataHandle::slot_FirmwareUpdateResult);
}

void DCDataHandle::destroyUselessThings()
{
    Q_EMIT sig_RemoveReloadWidget();
    qDebug() << "DCDataHandle::destroyUselessThings()";
    if (m_updateRunning)
        return; // the mouse is only restarting into its boot loader
    releaseObject();
    m_productId = 0;
    qDebug() << "DCDataHandle::destroyUselessThings() End";
}

void DCDataHandle::releaseObject()
{
    for (const QMetaObject::Connection &c : qAsConst(m_managerConnections))
        disconnect(c);
    m_managerConnections.clear();
    if (m_manager)
        m_manager->UnInitDevice();
    m_receiverDriver = nullptr;
    m_manager.reset();
}

// ---- reading the profile and filling the pages ------------------------------------------------

void DCDataHandle::setCPIValueOnPage()
{
    if (!m_manager)
        return;
    QVector<int> values;
    if (!m_manager->GetCPIStageMatrix(values, kProfileIndex)) {
        qDebug() << "DCDataHandle setDPIValueOnPage false";
        warningReadOrWriteError();
        return;
    }
    QList<DWORD> list;
    for (int i = 0; i < 7; ++i)
        list << DWORD(qMax(0, values.value(i)));
    qDebug() << "DCDataHandle setDPIValueOnPage";
    Q_EMIT sig_SetCurrentCpiListValueOnPage(list);
}

void DCDataHandle::setUsbReportRateOnPage()
{
    if (!m_manager)
        return;
    int rate = 0;
    if (!m_manager->GetUsbReportRate(rate, kProfileIndex)) {
        warningReadOrWriteError();
        return;
    }
    Q_EMIT sig_SetCurrentReportRate(rate);
}

void DCDataHandle::setLightParameterOnPage()
{
    if (!m_manager)
        return;
    // No error path: a refresh runs right after a request that has already warned.
    LightColorParam param;
    if (loading(this, [&] { return m_manager->GetLightParameter(param, kProfileIndex); }))
        Q_EMIT sig_SetLightParameterOnPage(param);
}

void DCDataHandle::setMouseButtonOnPage()
{
    if (!m_manager)
        return;
    loading(this, [&] {
        m_manager->checkAllMouseButtonIsOriginalMouseButton();
        return true;
    });
}

void DCDataHandle::SetSilentHeightOnPage()
{
    if (!m_manager)
        return;
    int value = 0;
    m_manager->GetSilentHeight(value, kProfileIndex); // no error path, as for the lighting
}

void DCDataHandle::slotSetMouseSilentHeigh(int value)
{
    if (!m_manager)
        return;
    if (!loading(this, [&] { return setSilentHeight(value); }))
        warningReadOrWriteError();
}

bool DCDataHandle::setSilentHeight(int value)
{
    auto *osprey = qobject_cast<UsbDriverManger_Osprey *>(m_manager.get());
    if (!osprey)
        return m_manager->SetSilentHeight(value, kProfileIndex); // written at its address
    // The Osprey family's manager (the Heron's too) only stores the byte: the request writes
    // the profile and saves the configuration, and a value the mouse did not take is taken back
    // so that it does not ride along with the next write.
    int before = 0;
    osprey->GetSilentHeight(before, kProfileIndex);
    if (!osprey->SetSilentHeight(value, kProfileIndex))
        return false;
    if (!osprey->WriteProfileIntoMouse()) {
        osprey->SetSilentHeight(before, kProfileIndex);
        return false;
    }
    osprey->SaveConfigFileByConfigureNumber(osprey->currentConfigNumber());
    return true;
}

void DCDataHandle::refreshPages()
{
    setCPIValueOnPage();
    setUsbReportRateOnPage();
    setLightParameterOnPage();
    setMouseButtonOnPage();
}

void DCDataHandle::loadGearForConfig(int configNumber, bool found)
{
    m_gearObject = found ? m_gear->loadGearObject(m_mouseType, configNumber)
                         : m_gear->createDefaultGearObject(m_mouseType);
}

void DCDataHandle::slot_GetProfileFromMouse()
{
    GetProfileFromMouse();
}

void DCDataHandle::GetProfileFromMouse()
{
    if (!m_manager)
        return;
    Q_EMIT sig_ShowLoadingDialog();
    qDebug() << "GetProfileFromMouse";
    if (m_manager->GetProfileData()) {
        DWORD version = 0;
        m_manager->GetVersion(version);
        m_firmwareVersion = version;
        Q_EMIT sig_VersionNumber(int(version));
        qDebug() << "GetProfileFromMouse GetFwVersion" << version;
        m_manager->TurnOldTxtFileToNewJsonFile();
        int number = 0;
        if (m_manager->CompareMouseAndLocalFileData(number) && number >= 1 && number <= 5) {
            // The stored configuration the mouse equals becomes the current one, so that later
            // changes land in its files.
            m_configNumber = number;
            Q_EMIT sig_SetCurrentConfigure(number);
            loadGearForConfig(number, true);
            refreshPages();
        } else {
            loadGearForConfig(m_configNumber, false);
            Q_EMIT sig_ShowWarningDialog(38);
        }
    } else {
        warningReadOrWriteError();
        // Only shown: the stored version keeps deciding how the battery level is read.
        Q_EMIT sig_VersionNumber(defaultFirmwareVersion(m_mouseType));
        qDebug() << "slot_GetProfileFromMouse failed";
    }
    m_battery.reset();
    sendEvent(QStringLiteral("ReadProfile"), modelFolder());
    Q_EMIT sig_EndLoadingDialog();
}

// ---- requests ------------------------------------------------------------------------------------

void DCDataHandle::slot_setCPIListValueOnMouse(QList<DWORD> dwordList)
{
    if (!m_manager)
        return;
    const bool ok = loading(this, [&] {
        if (!m_manager->SetCPIListValue(dwordList, kProfileIndex))
            return false;
        m_gear->setGearEnableFromDpiList(m_mouseType, m_configNumber, m_gearObject,
                                         storedDpiRows(m_mouseType, dwordList));
        return true;
    });
    qDebug() << (ok ? "slot_setDPIValueOnMouse is True" : "slot_setDPIValueOnMouse is False");
    sendEvent(QStringLiteral("SetDPI"), modelFolder());
    if (!ok)
        warningReadOrWriteError();
}

void DCDataHandle::slot_ChangeUsbReportRate(int value)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetReportRate"), modelFolder());
    if (!loading(this, [&] { return m_manager->SetUsbReportRate(value, kProfileIndex); }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_SetMouseColor(bool isWheelLightChange, QList<COLORREF> colorList)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetLightColor"), modelFolder());
    if (!loading(this, [&] { return m_manager->SetMouseColor(isWheelLightChange, colorList, kProfileIndex); }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_setMouseLightMode(bool isWheelLightChange, int mode)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetLightMode"), modelFolder());
    if (!loading(this, [&] { return m_manager->SetMouseLightMode(isWheelLightChange, mode, kProfileIndex); }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_MouseContinueLightDegree(bool isWheelLightChange, int degree)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetLightBrightness"), modelFolder());
    if (!loading(this, [&] {
            return m_manager->SetMouseContinueLightDegree(isWheelLightChange, degree, kProfileIndex);
        }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_MouseBreathSpeed(bool isWheelLightChange, int speed)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetLightSpeed"), modelFolder());
    if (!loading(this, [&] { return m_manager->SetMouseBreathSpeed(isWheelLightChange, speed, kProfileIndex); }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_ChangeButtonToKey(int button, uint vkCode, int modifyKey, int changeType)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetButton"), modelFolder());
    if (!loading(this, [&] {
            return m_manager->SetChangeButtonToKey(button, int(vkCode), modifyKey, changeType, kProfileIndex);
        })) {
        qDebug() << "slot_ChangeButtonToKey failed";
        warningReadOrWriteError();
    }
}

void DCDataHandle::slot_ChangeButtonToMacro(int macroType, int button, uint address)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetButtonMacro"), modelFolder());
    loading(this, [&] { return m_manager->SetChangeButtonToMacro(button, int(address), macroType); });
}

void DCDataHandle::slot_WriteSingleMacro(int button, QString path)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("WriteMacro"), modelFolder());
    const bool ok = loading(this, [&] { return m_manager->WriteSingleMacro(button, path); });
    qDebug() << (ok ? "slot_WriteSingleMacro True" : "slot_WriteSingleMacro False");
    if (!ok)
        warningReadOrWriteError();
}

void DCDataHandle::slot_WriteListMacro(QStringList macroList)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("WriteListMacro"), modelFolder());
    if (loading(this, [&] { return m_manager->WriteListMacro(macroList); }))
        Q_EMIT sig_ShowWarningDialog(37);
}

void DCDataHandle::loadProfile(int number, bool onlyMouse)
{
    m_configNumber = number;
    qDebug() << "slot_LoadLocalConfigFileAndWriteIntoMouse m_configNumber" << number;
    loadGearForConfig(number, true);
    const bool ok = loading(this, [&] {
        m_manager->SetCurrentConfigNumber(number);
        return onlyMouse ? m_manager->LoadOnlyMouseConfigFileByNumber(number)
                         : m_manager->LoadConfigFileByNumber(number);
    });
    sendEvent(QStringLiteral("LoadConfig"), modelFolder());
    if (!ok) {
        warningReadOrWriteError();
        return;
    }
    refreshPages();
    // The models with a screen show the configuration's own picture when the mouse asks for it.
    const Catalog::Model *model = Catalog::find(m_mouseType);
    if (model && model->oled && m_manager->GetCurrentPictureIndex() == 8) {
        loading(this, [&] {
            return m_manager->writeImageToMouse(m_mouseType, QString::number(number), 0, kProfileIndex);
        });
    }
}

void DCDataHandle::slot_LoadLocalConfigFileAndWriteIntoMouse(int number)
{
    if (m_manager)
        loadProfile(number, false);
}

void DCDataHandle::slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse(int number)
{
    if (m_manager)
        loadProfile(number, true);
}

void DCDataHandle::slot_SaveProfileToConfig1()
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SaveConfig"), modelFolder());
    loading(this, [&] {
        m_manager->SaveConfigFileByConfigureNumber(1);
        return m_manager->WriteProfileIntoMouse();
    });
    refreshPages();
}

void DCDataHandle::slot_ResetConfigToOriginal()
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("FactoryReset"), modelFolder());
    Q_EMIT sig_ShowLoadingDialog();
    if (!m_manager->LoadConfigFileByNumber(0)) {
        warningReadOrWriteError();
        Q_EMIT sig_EndLoadingDialog();
        return;
    }
    // Every configuration becomes the factory one. The file that goes is the DPI page's view
    // of configuration i (its gear flags): the configuration file just saved is what the
    // mouse now holds, and a stale gear file would bring back rows the factory stages do not
    // have. On the next open the mouse matches configuration 1 and the gears are the defaults.
    // A gear file that cannot be removed is reported.
    QList<AtomicFile::Failure> notRemoved;
    AtomicFile::FailureLog saves;
    for (int i = 1; i <= 5; ++i) {
        m_manager->SaveConfigFileByConfigureNumber(i);
        m_gearObject = m_gear->createDefaultGearObject(m_mouseType);
        const QString path = StoragePaths::cpiSettingFile(m_mouseType, i);
        qDebug() << "slot_ResetConfigToOriginal" << path;
        QFile file(path);
        if (QFileInfo(path).isDir())
            notRemoved.append({path, QStringLiteral("a folder is in the way")});
        else if (file.exists() && !file.remove())
            notRemoved.append({path, QStringLiteral("cannot be removed: %1").arg(file.errorString())});
    }
    reportSaveFailures(this, saves.failures() + notRemoved, true);
    if (m_mouseType == MouseType::Osprey) {
        loading(this, [&] { return m_manager->writeImageToMouse(m_mouseType, QStringLiteral("0"), 0, kProfileIndex); });
    }
    refreshPages();
    Q_EMIT sig_EndLoadingDialog();
}

void DCDataHandle::slot_WriteImageToMouse(QString configNumber)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("WritePicture"), modelFolder());
    loading(this, [&] { return m_manager->writeImageToMouse(m_mouseType, configNumber, 0, kProfileIndex); });
}

void DCDataHandle::slot_OLEDScreenpParameter(int behaviour)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetScreenMode"), modelFolder());
    if (!loading(this, [&] { return m_manager->SetOLEDScreenParameter(behaviour); }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_SetOLEDScreenLightIntensity(int intensity)
{
    if (!m_manager)
        return;
    sendEvent(QStringLiteral("SetScreenBrightness"), modelFolder());
    if (!loading(this, [&] { return m_manager->SetOLEDScreenLightIntensity(intensity); }))
        warningReadOrWriteError();
}

void DCDataHandle::slot_TurnNewFileToOldFile()
{
    qDebug() << "slot_TurnNewFileToOldFile Start";
    if (m_manager)
        m_manager->TurnNewFileToOldFile();
    Q_EMIT sig_StartToUploadFile();
    qDebug() << "slot_TurnNewFileToOldFile End";
}

void DCDataHandle::slot_removeOldTxtFile()
{
    if (m_manager)
        m_manager->removeOldTxtFile();
}

void DCDataHandle::warningReadOrWriteError()
{
    m_battery.seek();
    Q_EMIT sig_ShowWarningDialog(32);
    if (m_manager && m_manager->GetExtraSetting() >= 4)
        Q_EMIT sig_ShowUpdateWidget(true, true, m_mouseType, false);
    sendEvent(QStringLiteral("ReadWriteError"), modelFolder());
}

// ---- battery -----------------------------------------------------------------------------------

void DCDataHandle::slot_GetBatteryPower()
{
    if (!m_manager || !m_wireless)
        return;
    int level = 0;
    if (!m_manager->GetBatteryPower(level)) {
        Q_EMIT sig_BatteryPower(DWORD(BatteryFilter::kNoReading));
        m_battery.seek();
        return;
    }
    // These models report a level that is already steady.
    const Catalog::Model *model = Catalog::find(m_mouseType);
    const Catalog::Battery kind = model ? model->battery : Catalog::Battery::Filtered;
    const bool raw = kind == Catalog::Battery::Raw
        || (kind == Catalog::Battery::RawFromFirmware30 && m_firmwareVersion >= 30);
    if (raw) {
        Q_EMIT sig_BatteryPower(DWORD(level));
        return;
    }
    if (const auto v = m_battery.feed(level))
        Q_EMIT sig_BatteryPower(DWORD(*v));
}

// ---- wireless pairing ----------------------------------------------------------------------------

void DCDataHandle::slot_startCode()
{
    m_ticks = 0;
    if (!m_receiverDriver) {
        Q_EMIT sig_startCode(false);
        return;
    }
    const BYTE enter[2] = {0xA0, 0x81};
    if (!m_receiverDriver->SendCommandDONGLE(enter, 2)) {
        Q_EMIT sig_startCode(false);
        return;
    }
    qDebug() << "进入对码模式";
    QRandomGenerator rng(quint32(QTime(0, 0).secsTo(QTime::currentTime())));
    const quint32 address = rng.bounded(32768u);
    qDebug() << "addr:" << QString::number(address, 16);
    const BYTE setAddress[6] = {0xA1, 0x8F, BYTE(address & 0xFF), BYTE((address >> 8) & 0xFF),
                                BYTE((address >> 16) & 0xFF), BYTE((address >> 24) & 0xFF)};
    if (!m_receiverDriver->SendCommandDONGLE(setAddress, 6)) {
        Q_EMIT sig_startCode(false);
        return;
    }
    qDebug() << "写RF成功";
    m_pairing = true;
    Q_EMIT sig_startTimer(100);
    Q_EMIT sig_startCode(true);
}

void DCDataHandle::slot_stopCode()
{
    m_pairing = false;
    Q_EMIT sig_stopTimer();
    qDebug() << "停止对码";
}

void DCDataHandle::slot_codetimerout()
{
    if (!m_pairing)
        return; // a tick that was already queued when pairing ended
    ++m_ticks;
    auto fail = [this] {
        m_pairing = false;
        Q_EMIT sig_stopTimer();
        qDebug() << "对码失败";
        sendEvent(QStringLiteral("对码失败"), modelFolder());
        Q_EMIT sig_finishCode(false);
    };
    if (m_ticks >= kPairingTicks) {
        fail();
        return;
    }
    BYTE reply[2] = {0, 0};
    const BYTE workMode[2] = {0xA7, 0x00};
    if (!m_receiverDriver || !m_receiverDriver->SendCommandDONGLE(workMode, 2, reply)) {
        qDebug() << "readWorkModel failed";
        fail();
        return;
    }
    if (reply[1] != 0)
        return;
    m_pairing = false;
    Q_EMIT sig_stopTimer();
    qDebug() << "对码完成";
    sendEvent(QStringLiteral("对码成功"), modelFolder());
    Q_EMIT sig_finishCode(true);
}

// ---- firmware update -----------------------------------------------------------------------------

void DCDataHandle::slot_FirmwareUpdateResult(bool ok)
{
    qDebug() << "FirmWareUpdateResult" << ok;
    Pacer::sleepMs(500);
    Q_EMIT sig_closeUpdatingWidget();
    if (ok) {
        qDebug() << "firmWareUpdateResult TRUE";
        Q_EMIT sig_ShowWarningDialog(8);
        Q_EMIT sig_CloseUpdateMouseDialog();
    } else {
        qDebug() << "firmWareUpdateResult FALSE";
        Q_EMIT sig_ShowWarningDialog(7);
    }
    sendEvent(ok ? QStringLiteral("FirmwareUpdated") : QStringLiteral("FirmwareUpdateFailed"), modelFolder());
    Q_EMIT sig_StartCheckDeviceTimer();
    Pacer::sleepMs(100);
}

void DCDataHandle::slot_UpdateFirmwareKelvo(QString path, QString mouseType)
{
    m_updateRunning = true;
    qDebug() << "slot_UpdateFirmwareKelvo" << mouseType << path;
    ++m_updateAttempts;
    qDebug() << "UpdateTimes" << m_updateAttempts;
    if (m_updateAttempts > kMaxUpdateAttempts) {
        Q_EMIT sig_ShowWarningDialog(14);
        m_updateRunning = false;
        return;
    }
    Q_EMIT sig_StopCheckDeviceTimer();
    if (m_wireless) {
        // Firmware only goes over the cable.
        Q_EMIT sig_StartCheckDeviceTimer();
        Q_EMIT sig_CloseUpdateMouseDialog();
        Q_EMIT sig_ShowWarningDialog(40);
        m_updateRunning = false;
        return;
    }
    Q_EMIT sig_ShowWarningDialog(13);
    runFirmwareUpdate(path);
    m_updateRunning = false;
}

void DCDataHandle::onUpdatePercent(uint percent)
{
    qDebug() << "updateFirmwareFalcon percent" << percent;
    Q_EMIT sig_ProcessVaule(int(percent));
}

void DCDataHandle::runFirmwareUpdate(const QString &path)
{
    m_updater.reset();
    m_updater = m_updaterFactory ? m_updaterFactory() : std::make_unique<FwUpdate>();
    QString mouseSelector, bootSelector;
    if (!FwUpdate::selectorsForModel(m_mouseType, &mouseSelector, &bootSelector) && !m_manager) {
        // No mouse is open: one left in its boot loader is updated there (the boot loader has
        // the same product id for the whole family, and no restart request is needed).
        bootSelector = ProductTable::selector(ProductTable::vendorId(), ProductTable::kFalconBootProductId);
    }
    m_updater->setSelectors(mouseSelector, bootSelector);
    connect(m_updater.get(), &FwUpdate::sigPercent, this, &DCDataHandle::onUpdatePercent);
    connect(m_updater.get(), &FwUpdate::sigUpdateResult, this, &DCDataHandle::slot_FirmwareUpdateResult);
    // Blocks this thread for the whole update; the watcher is stopped meanwhile.
    m_updater->slotUpdate(path);
}
