#include "session/dcdatahandle.h"

#include "common/warning.h"
#include "catalog/modelcatalog.h"

#include "common/atomicfile.h"

#include "storage/gearhandle.h"
#include "storage/jsonhandle.h"
#include "common/mousetype.h"
#include "device/watcher/producttable.h"
#include "storage/storagepaths.h"
#include "profile/usbdrivermanger.h"
#include "profile/usbdrivermanger_osprey.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
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
        Q_EMIT self->sig_ShowWarningDialog(toInt(Warning::ReadOrWriteFailed));
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
    : QObject(parent), m_pairing(new PairingRun(this)), m_update(new FirmwareUpdateRun(this)),
      m_gear(std::make_unique<GearHandle>()), m_json(std::make_unique<JsonHandle>())
{
    // The runs' signals are this object's own, emitted as the run emits them (the runs are
    // children: always on this object's thread).
    auto forward = [this](auto *run, auto signal, auto ownSignal) {
        connect(run, signal, this, ownSignal, Qt::DirectConnection);
    };
    auto event = [this](const QString &action) { sendEvent(action, modelFolder()); };
    forward(m_pairing, &PairingRun::timeout, &DCDataHandle::slot_codetimerout);
    forward(m_pairing, &PairingRun::startTimer, &DCDataHandle::sig_startTimer);
    forward(m_pairing, &PairingRun::stopTimer, &DCDataHandle::sig_stopTimer);
    forward(m_pairing, &PairingRun::started, &DCDataHandle::sig_startCode);
    forward(m_pairing, &PairingRun::finished, &DCDataHandle::sig_finishCode);
    connect(m_pairing, &PairingRun::outcome, this, event, Qt::DirectConnection);
    forward(m_update, &FirmwareUpdateRun::warning, &DCDataHandle::sig_ShowWarningDialog);
    forward(m_update, &FirmwareUpdateRun::percent, &DCDataHandle::sig_ProcessVaule);
    forward(m_update, &FirmwareUpdateRun::closeUpdatingWidget, &DCDataHandle::sig_closeUpdatingWidget);
    forward(m_update, &FirmwareUpdateRun::closeUpdateMouseDialog, &DCDataHandle::sig_CloseUpdateMouseDialog);
    forward(m_update, &FirmwareUpdateRun::startCheckDeviceTimer, &DCDataHandle::sig_StartCheckDeviceTimer);
    forward(m_update, &FirmwareUpdateRun::stopCheckDeviceTimer, &DCDataHandle::sig_StopCheckDeviceTimer);
    connect(m_update, &FirmwareUpdateRun::outcome, this, event, Qt::DirectConnection);
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
    m_manager = m_managerFactory(*choice);
    if (!m_manager) {
        Q_EMIT sig_OpenDeviceResult(false, m_mouseType, m_wireless);
        return;
    }
    m_wireless = choice->wireless;
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
    if (m_manager->EnterPairingMode() == ReceiverAnswer::Acknowledged)
        qDebug() << "1——++";
    if (m_manager->ResetReceiverPairing() == ReceiverAnswer::Acknowledged)
        qDebug() << "2-++";
    Q_EMIT sig_ShowWarningDialog(toInt(Warning::ReceiverPairedWithOtherMouse));
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
    if (m_update->running())
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
    // No error path: a refresh runs right after a request that has already warned.
    LightColorParam param;
    if (request(QString(), [&] { return m_manager->GetLightParameter(param, kProfileIndex); },
                OnFailure::Quiet, EventAt::None))
        Q_EMIT sig_SetLightParameterOnPage(param);
}

void DCDataHandle::setMouseButtonOnPage()
{
    request(QString(), [&] {
        m_manager->checkAllMouseButtonIsOriginalMouseButton();
        return true;
    }, OnFailure::Quiet, EventAt::None);
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
    request(QString(), [&] { return setSilentHeight(value); }, OnFailure::Warn, EventAt::None);
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

bool DCDataHandle::setGearCurrentValue(int gear, int value)
{
    if (gear < 0 || gear >= GearHandle::kGearCount)
        return false;
    return m_gear->setGearCurrentValue(m_mouseType, m_configNumber, m_gearObject, gear, value);
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
            Q_EMIT sig_ShowWarningDialog(toInt(Warning::NoConfigurationMatches));
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

bool DCDataHandle::request(const QString &action, const std::function<bool()> &op,
                           OnFailure onFailure, EventAt eventAt)
{
    if (!m_manager)
        return false;
    if (eventAt == EventAt::First)
        sendEvent(action, modelFolder());
    const bool ok = loading(this, op);
    if (eventAt == EventAt::Last)
        sendEvent(action, modelFolder());
    if (!ok && onFailure == OnFailure::Warn)
        warningReadOrWriteError();
    else if (!ok && !action.isEmpty()) // page refreshes have no action: they are not requests
        Q_EMIT sig_RequestFailedQuietly(action);
    return ok;
}

void DCDataHandle::slot_setCPIListValueOnMouse(QList<DWORD> dwordList)
{
    request(QStringLiteral("SetDPI"), [&] {
        const bool ok = m_manager->SetCPIListValue(dwordList, kProfileIndex);
        if (ok)
            m_gear->setGearEnableFromDpiList(m_mouseType, m_configNumber, m_gearObject,
                                             storedDpiRows(m_mouseType, dwordList));
        qDebug() << (ok ? "slot_setDPIValueOnMouse is True" : "slot_setDPIValueOnMouse is False");
        return ok;
    }, OnFailure::Warn, EventAt::Last);
}

void DCDataHandle::slot_ChangeUsbReportRate(int value)
{
    request(QStringLiteral("SetReportRate"), [&] { return m_manager->SetUsbReportRate(value, kProfileIndex); });
}

void DCDataHandle::slot_SetMouseColor(bool isWheelLightChange, QList<COLORREF> colorList)
{
    request(QStringLiteral("SetLightColor"),
            [&] { return m_manager->SetMouseColor(isWheelLightChange, colorList, kProfileIndex); });
}

void DCDataHandle::slot_setMouseLightMode(bool isWheelLightChange, int mode)
{
    request(QStringLiteral("SetLightMode"),
            [&] { return m_manager->SetMouseLightMode(isWheelLightChange, mode, kProfileIndex); });
}

void DCDataHandle::slot_MouseContinueLightDegree(bool isWheelLightChange, int degree)
{
    request(QStringLiteral("SetLightBrightness"), [&] {
        return m_manager->SetMouseContinueLightDegree(isWheelLightChange, degree, kProfileIndex);
    });
}

void DCDataHandle::slot_MouseBreathSpeed(bool isWheelLightChange, int speed)
{
    request(QStringLiteral("SetLightSpeed"),
            [&] { return m_manager->SetMouseBreathSpeed(isWheelLightChange, speed, kProfileIndex); });
}

void DCDataHandle::slot_ChangeButtonToKey(int button, uint vkCode, int modifyKey, int changeType)
{
    request(QStringLiteral("SetButton"), [&] {
        const bool ok = m_manager->SetChangeButtonToKey(button, int(vkCode), modifyKey, changeType, kProfileIndex);
        if (!ok)
            qDebug() << "slot_ChangeButtonToKey failed";
        return ok;
    });
}

void DCDataHandle::slot_ChangeButtonToMacro(int macroType, int button, uint address)
{
    request(QStringLiteral("SetButtonMacro"),
            [&] { return m_manager->SetChangeButtonToMacro(button, int(address), macroType); },
            OnFailure::Quiet);
}

void DCDataHandle::slot_WriteSingleMacro(int button, QString path)
{
    request(QStringLiteral("WriteMacro"), [&] {
        const bool ok = m_manager->WriteSingleMacro(button, path);
        qDebug() << (ok ? "slot_WriteSingleMacro True" : "slot_WriteSingleMacro False");
        return ok;
    });
}

void DCDataHandle::slot_WriteListMacro(QStringList macroList)
{
    if (request(QStringLiteral("WriteListMacro"), [&] { return m_manager->WriteListMacro(macroList); },
                OnFailure::Quiet))
        Q_EMIT sig_ShowWarningDialog(toInt(Warning::MacroListWritten));
}

void DCDataHandle::loadProfile(int number, bool onlyMouse)
{
    m_configNumber = number;
    qDebug() << "slot_LoadLocalConfigFileAndWriteIntoMouse m_configNumber" << number;
    loadGearForConfig(number, true);
    const bool ok = request(QStringLiteral("LoadConfig"), [&] {
        m_manager->SetCurrentConfigNumber(number);
        return onlyMouse ? m_manager->LoadOnlyMouseConfigFileByNumber(number)
                         : m_manager->LoadConfigFileByNumber(number);
    }, OnFailure::Warn, EventAt::Last);
    if (!ok)
        return;
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
    request(QStringLiteral("SaveConfig"), [&] {
        m_manager->SaveConfigFileByConfigureNumber(1);
        return m_manager->WriteProfileIntoMouse();
    }, OnFailure::Quiet);
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
    request(QStringLiteral("WritePicture"),
            [&] { return m_manager->writeImageToMouse(m_mouseType, configNumber, 0, kProfileIndex); },
            OnFailure::Quiet);
}

void DCDataHandle::slot_OLEDScreenpParameter(int behaviour)
{
    request(QStringLiteral("SetScreenMode"), [&] { return m_manager->SetOLEDScreenParameter(behaviour); });
}

void DCDataHandle::slot_SetOLEDScreenLightIntensity(int intensity)
{
    request(QStringLiteral("SetScreenBrightness"),
            [&] { return m_manager->SetOLEDScreenLightIntensity(intensity); });
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
    Q_EMIT sig_ShowWarningDialog(toInt(Warning::ReadOrWriteFailed));
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
    m_pairing->start(m_manager.get());
}

void DCDataHandle::slot_stopCode()
{
    m_pairing->stop();
}

void DCDataHandle::slot_codetimerout()
{
    m_pairing->tick(m_manager.get());
}

// ---- firmware update -----------------------------------------------------------------------------

void DCDataHandle::slot_FirmwareUpdateResult(bool ok)
{
    m_update->finish(ok);
}

void DCDataHandle::slot_UpdateFirmwareKelvo(QString path, QString mouseType)
{
    qDebug() << "slot_UpdateFirmwareKelvo" << mouseType << path;
    m_update->run(path, m_mouseType, m_wireless, m_manager != nullptr);
}
