#include "session/devicesession.h"

#include "common/mousetype.h"
#include "device/watcher/checkdevice.h"
#include "device/watcher/producttable.h"
#include "profile/macrofilecheck.h"
#include "profile/usbdrivermanger.h"
#include "session/managerfactory.h"
#include "storage/cloudarchive.h"
#include "storage/picturefile.h"
#include "storage/storagepaths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace {
// Warnings that say a request did not reach the mouse.
bool isFailure(Warning w)
{
    switch (w) {
    case Warning::ReadOrWriteFailed:
    case Warning::OnlyLeftButton:
    case Warning::ReceiverPairedWithOtherMouse:
    case Warning::FirmwareUpdateFailed:
    case Warning::TooManyUpdateAttempts:
    case Warning::UpdateRefusedThroughReceiver:
        return true;
    default:
        return false;
    }
}

// How many finished outcomes are kept for wait() when nobody takes them.
constexpr quint64 kKeptOutcomes = 64;
} // namespace

DeviceSession::DeviceSession(DCDataHandle::ManagerFactory factory, QObject *parent) : QObject(parent)
{
    registerQkMetaTypes();
    m_coordinator = new DCDataHandle;
    m_coordinator->setManagerFactory(factory ? std::move(factory) : defaultManagerFactory());
    m_coordinator->moveToThread(&m_coordinatorThread);
    m_coordinatorThread.setObjectName(QStringLiteral("DCDataHandle"));

    m_watcher = new CheckDevice;
    m_watcher->stopTheTimer(); // started explicitly by start()
    m_watcher->moveToThread(&m_watcherThread);
    m_watcherThread.setObjectName(QStringLiteral("CheckDevice"));

    DCDataHandle *c = m_coordinator;
    connect(this, &DeviceSession::sig_OpenDevice, c, &DCDataHandle::slot_OpenDevice);
    connect(this, &DeviceSession::sig_DissMissAllThings, c, &DCDataHandle::destroyUselessThings);

    connect(c, &DCDataHandle::sig_StartCheckDeviceTimer, m_watcher, &CheckDevice::startTheTimer);
    connect(c, &DCDataHandle::sig_StopCheckDeviceTimer, m_watcher, &CheckDevice::stopTheTimer);
    connect(m_watcher, &CheckDevice::sigFound, this, &DeviceSession::onFound);
    connect(c, &DCDataHandle::sig_finishCode, this, &DeviceSession::pairingFinished);
    connect(c, &DCDataHandle::sig_ProcessVaule, this, &DeviceSession::firmwareProgress);
    wireState();

    m_coordinatorThread.start(QThread::InheritPriority);
    m_watcherThread.start(QThread::InheritPriority);
}

DeviceSession::~DeviceSession()
{
    QMetaObject::invokeMethod(m_watcher, [w = m_watcher] {
        w->stopTheTimer();
        delete w;
    }, Qt::BlockingQueuedConnection);
    QMetaObject::invokeMethod(m_coordinator, [c = m_coordinator] { delete c; },
                              Qt::BlockingQueuedConnection);
    m_watcherThread.quit();
    m_coordinatorThread.quit();
    m_watcherThread.wait();
    m_coordinatorThread.wait();
}

void DeviceSession::setWatchInterval(int ms)
{
    QMetaObject::invokeMethod(m_watcher, [w = m_watcher, ms] { w->setTickInterval(ms); },
                              Qt::BlockingQueuedConnection);
}

void DeviceSession::start()
{
    QMetaObject::invokeMethod(m_watcher, &CheckDevice::startTheTimer, Qt::QueuedConnection);
}

void DeviceSession::onFound(bool found, uint pid, uint vid)
{
    if (found) {
        if (m_autoOpen)
            Q_EMIT sig_OpenDevice(pid, vid);
        Q_EMIT deviceFound(pid, vid);
    } else {
        if (m_autoOpen)
            Q_EMIT sig_DissMissAllThings();
        Q_EMIT deviceLost(pid, vid);
    }
}

// ---- state ---------------------------------------------------------------------------------

void DeviceSession::wireState()
{
    DCDataHandle *c = m_coordinator;
    DeviceState *s = &m_state;
    // Results of the coordinator, queued into this thread.
    connect(c, &DCDataHandle::sig_OpenDeviceResult, s, &DeviceState::setOpenResult);
    connect(c, &DCDataHandle::sig_VersionNumber, s, &DeviceState::setFirmwareVersion);
    connect(c, &DCDataHandle::sig_BatteryPower, s, [s](DWORD level) { s->setBatteryLevel(int(level)); });
    connect(c, &DCDataHandle::sig_SetCurrentConfigure, s, &DeviceState::setConfigNumber);
    connect(c, &DCDataHandle::sig_SetCurrentCpiListValueOnPage, s, &DeviceState::setDpiStages);
    connect(c, &DCDataHandle::sig_SetCurrentReportRate, s, &DeviceState::setReportRate);
    connect(c, &DCDataHandle::sig_SetLightParameterOnPage, s, &DeviceState::setLight);
    connect(c, &DCDataHandle::sig_CurrentButtonIsOriginalButton, s,
            [s](bool factory, int button) { s->setButtonFactory(button, factory); });
    connect(c, &DCDataHandle::sig_TrueMouseValue, s, &DeviceState::setButtonAssignment);
    // Every open (whichever way it was asked for) starts from an empty state.
    connect(this, &DeviceSession::sig_OpenDevice, s, [s](uint pid, uint) { s->openRequested(USHORT(pid)); });
    // After an open, a request of the pages or a teardown, the manager's mirror is read once
    // more in the coordinator's thread (these run there, inside the coordinator's slot).
    connect(c, &DCDataHandle::sig_OpenDeviceResult, c, [this] { scheduleMirror(); }, Qt::DirectConnection);
    connect(c, &DCDataHandle::sig_EndLoadingDialog, c, [this] { scheduleMirror(); }, Qt::DirectConnection);
    connect(c, &DCDataHandle::sig_RemoveReloadWidget, c, [this] { scheduleMirror(); }, Qt::DirectConnection);
    // A warning may end an open without a result (a receiver paired with another mouse).
    connect(c, &DCDataHandle::sig_ShowWarningDialog, c, [this] { scheduleMirror(); }, Qt::DirectConnection);
    // Analytics events go to the installed sink in this thread.
    connect(c, &DCDataHandle::sig_SendOperationEventMessageToGA, this,
            [this](const QString &category, const QString &action, const QString &label, const QString &screen) {
                if (m_sink)
                    m_sink->send(AnalyticsEvent{category, action, label, screen});
            });
}

void DeviceSession::scheduleMirror()
{
    if (m_mirrorPending)
        return;
    m_mirrorPending = true;
    QMetaObject::invokeMethod(m_coordinator, [this] {
        if (!m_mirrorPending)
            return; // a request read it already
        m_mirrorPending = false;
        const DeviceState::Mirror mirror = DeviceState::readMirror(*m_coordinator);
        QMetaObject::invokeMethod(&m_state, [this, mirror] { m_state.applyMirror(mirror); }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}

// ---- requests ------------------------------------------------------------------------------

DeviceSession::RequestId DeviceSession::post(Verdict verdict, Call call, bool refreshButtons, StateUpdate update)
{
    const RequestId id = ++m_lastRequest;
    QMetaObject::invokeMethod(m_coordinator, [this, id, verdict, call = std::move(call), refreshButtons,
                                              update = std::move(update)] {
        const RequestOutcome outcome = runRequest(verdict, call);
        if (outcome.ok && refreshButtons)
            m_coordinator->setMouseButtonOnPage(); // reports every button's assignment again
        m_mirrorPending = false;
        const DeviceState::Mirror mirror = DeviceState::readMirror(*m_coordinator);
        QMetaObject::invokeMethod(this, [this, id, outcome, mirror, update] {
            finishRequest(id, outcome, update, mirror);
        }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
    return id;
}

RequestOutcome DeviceSession::runRequest(Verdict verdict, const Call &call)
{
    DCDataHandle *c = m_coordinator;
    RequestOutcome o;
    o.known = true;
    const bool hadManager = c->manager() != nullptr;
    bool opened = false;
    bool pairing = false;
    std::optional<DWORD> battery;
    bool quietFailure = false;
    // Taps on the coordinator's own signals while the slot runs (same thread: direct calls).
    const QList<QMetaObject::Connection> taps{
        connect(c, &DCDataHandle::sig_ShowWarningDialog, [&o](int w) {
            if (const auto warning = warningFromInt(w))
                o.warnings << *warning;
        }),
        connect(c, &DCDataHandle::sig_OpenDeviceResult, [&opened](bool ok, int, bool) { opened = ok; }),
        connect(c, &DCDataHandle::sig_startCode, [&pairing](bool ok) { pairing = ok; }),
        connect(c, &DCDataHandle::sig_BatteryPower, [&battery](DWORD level) { battery = level; }),
        connect(c, &DCDataHandle::sig_RequestFailedQuietly, [&quietFailure](const QString &) { quietFailure = true; }),
        connect(c, &DCDataHandle::sig_SaveFailed, [&o](const QString &path, const QString &reason) {
            const QString line = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
            if (!o.saveFailures.contains(line))
                o.saveFailures << line;
        }),
    };
    m_running = &o;
    call(c);
    m_running = nullptr;
    for (const QMetaObject::Connection &t : taps)
        disconnect(t);
    const bool failed = quietFailure || std::any_of(o.warnings.cbegin(), o.warnings.cend(), [&o](Warning w) {
        return isFailure(w) && !(w == Warning::ReadOrWriteFailed && !o.saveFailures.isEmpty());
    });
    switch (verdict) {
    case Verdict::Write: o.ok = hadManager && !failed; break;
    case Verdict::Always: o.ok = true; break;
    case Verdict::Open: o.ok = opened; break;
    case Verdict::PairingStart: o.ok = pairing; break;
    case Verdict::Firmware: o.ok = o.warnings.contains(Warning::FirmwareUpdateSucceeded); break;
    case Verdict::ListMacro: o.ok = o.warnings.contains(Warning::MacroListWritten); break;
    case Verdict::Battery:
        o.value = battery ? int(*battery) : -1;
        o.ok = battery && *battery != DWORD(DeviceState::kNoBatteryReading);
        break;
    case Verdict::Read: o.ok = hadManager && o.ok; break;
    }
    return o;
}

void DeviceSession::finishRequest(RequestId id, const RequestOutcome &outcome, const StateUpdate &update,
                                  const DeviceState::Mirror &mirror)
{
    if (update)
        update(m_state, outcome); // first: the configuration number decides what the mirror tells
    m_state.applyMirror(mirror);
    m_outcomes.insert(id, outcome);
    if (id > kKeptOutcomes)
        m_outcomes.remove(id - kKeptOutcomes);
    Q_EMIT requestFinished(id, outcome);
}

RequestOutcome DeviceSession::wait(RequestId id)
{
    if (!m_outcomes.contains(id)) {
        runOnCoordinator([] {}); // every request queued before this one has run
        QCoreApplication::sendPostedEvents(); // their signals and outcomes arrive here
    }
    return m_outcomes.take(id);
}

void DeviceSession::settle()
{
    RequestId seen = 0;
    do {
        seen = m_lastRequest;
        runOnCoordinator([] {});
        QCoreApplication::sendPostedEvents();
    } while (seen != m_lastRequest);
}

DeviceSession::RequestId DeviceSession::openDevice(uint productId)
{
    m_state.openRequested(USHORT(productId));
    const uint vendor = ProductTable::vendorId();
    return post(Verdict::Open, [productId, vendor](DCDataHandle *c) { c->slot_OpenDevice(productId, vendor); });
}

DeviceSession::RequestId DeviceSession::closeDevice()
{
    return post(Verdict::Always, [](DCDataHandle *c) { c->destroyUselessThings(); });
}

DeviceSession::RequestId DeviceSession::refreshProfile()
{
    return post(Verdict::Write, [](DCDataHandle *c) { c->slot_GetProfileFromMouse(); }, true);
}

DeviceSession::RequestId DeviceSession::setDpiStages(const QList<DWORD> &stages)
{
    return post(Verdict::Write, [stages](DCDataHandle *c) { c->slot_setCPIListValueOnMouse(stages); });
}

DeviceSession::RequestId DeviceSession::setReportRate(int rateIndex)
{
    return post(Verdict::Write, [rateIndex](DCDataHandle *c) { c->slot_ChangeUsbReportRate(rateIndex); });
}

DeviceSession::RequestId DeviceSession::setLightColors(LightTarget zone, const QList<COLORREF> &colors)
{
    const bool wheel = zone == LightTarget::Wheel;
    return post(Verdict::Write, [wheel, colors](DCDataHandle *c) { c->slot_SetMouseColor(wheel, colors); });
}

DeviceSession::RequestId DeviceSession::setLightMode(LightTarget zone, int mode)
{
    const bool wheel = zone == LightTarget::Wheel;
    return post(Verdict::Write, [wheel, mode](DCDataHandle *c) { c->slot_setMouseLightMode(wheel, mode); });
}

DeviceSession::RequestId DeviceSession::setLightBrightness(LightTarget zone, int degree)
{
    const bool wheel = zone == LightTarget::Wheel;
    return post(Verdict::Write, [wheel, degree](DCDataHandle *c) { c->slot_MouseContinueLightDegree(wheel, degree); });
}

DeviceSession::RequestId DeviceSession::setBreathingSpeed(LightTarget zone, int speed)
{
    const bool wheel = zone == LightTarget::Wheel;
    return post(Verdict::Write, [wheel, speed](DCDataHandle *c) { c->slot_MouseBreathSpeed(wheel, speed); });
}

DeviceSession::RequestId DeviceSession::setButton(int button, uint value, int modifier, int changeType,
                                                 bool reportButtons)
{
    return post(Verdict::Write, [=](DCDataHandle *c) { c->slot_ChangeButtonToKey(button, value, modifier, changeType); },
                reportButtons);
}

DeviceSession::RequestId DeviceSession::setButtonMacroSlot(int button, uint address, int macroType)
{
    return post(Verdict::Write,
                [=](DCDataHandle *c) { c->slot_ChangeButtonToMacro(macroType, button, address); }, true);
}

DeviceSession::RequestId DeviceSession::writeMacro(int button, const QString &macroFile, bool reportButtons)
{
    return post(Verdict::Write, [=](DCDataHandle *c) { c->slot_WriteSingleMacro(button, macroFile); }, reportButtons);
}

DeviceSession::RequestId DeviceSession::writeMacroList(const QStringList &macroFiles)
{
    return post(Verdict::ListMacro, [=](DCDataHandle *c) { c->slot_WriteListMacro(macroFiles); }, true);
}

DeviceSession::RequestId DeviceSession::setLiftOff(int value)
{
    return post(Verdict::Write, [value](DCDataHandle *c) { c->slotSetMouseSilentHeigh(value); });
}

DeviceSession::RequestId DeviceSession::writePicture(const QString &configNumber)
{
    return post(Verdict::Write, [configNumber](DCDataHandle *c) { c->slot_WriteImageToMouse(configNumber); });
}

bool DeviceSession::storePicture(int configNumber, const QImage &picture, QString *problem)
{
    const Catalog::Model *model = m_state.isOpen() ? m_state.model() : nullptr;
    if (!model || !model->oled) {
        if (problem)
            *problem = QStringLiteral("no mouse with a screen is open");
        return false;
    }
    if (configNumber >= 1 && configNumber <= 5)
        qDebug() << "saveDrawImage filePathName" << StoragePaths::picturePath(m_state.modelCode(), configNumber);
    AtomicFile::Failure failure;
    if (PictureFile::save(m_state.modelCode(), configNumber, picture, &failure))
        return true;
    if (problem)
        *problem = failure.path.isEmpty() ? failure.reason
                                          : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(failure.path), failure.reason);
    return false;
}

DeviceSession::RequestId DeviceSession::setScreenBehaviour(int behaviour)
{
    return post(Verdict::Write, [behaviour](DCDataHandle *c) { c->slot_OLEDScreenpParameter(behaviour); });
}

DeviceSession::RequestId DeviceSession::setScreenBrightness(int intensity)
{
    return post(Verdict::Write, [intensity](DCDataHandle *c) { c->slot_SetOLEDScreenLightIntensity(intensity); });
}

DeviceSession::RequestId DeviceSession::loadConfiguration(int number)
{
    return post(Verdict::Write, [number](DCDataHandle *c) { c->slot_LoadLocalConfigFileAndWriteIntoMouse(number); },
                false, [number](DeviceState &s, const RequestOutcome &o) {
                    if (o.ok)
                        s.setConfigNumber(number);
                });
}

DeviceSession::RequestId DeviceSession::loadConfigurationMouseOnly(int number)
{
    return post(Verdict::Write,
                [number](DCDataHandle *c) { c->slot_LoadOnlyLocalMouseConfigFileAndWriteIntoMouse(number); }, false,
                [number](DeviceState &s, const RequestOutcome &o) {
                    if (o.ok)
                        s.setConfigNumber(number);
                });
}

DeviceSession::RequestId DeviceSession::saveToConfiguration1()
{
    return post(Verdict::Write, [](DCDataHandle *c) { c->slot_SaveProfileToConfig1(); }, false,
                [](DeviceState &s, const RequestOutcome &o) {
                    if (o.ok)
                        s.setConfigNumber(1);
                });
}

DeviceSession::RequestId DeviceSession::factoryReset()
{
    return post(Verdict::Write, [](DCDataHandle *c) { c->slot_ResetConfigToOriginal(); });
}

DeviceSession::RequestId DeviceSession::readBattery()
{
    return post(Verdict::Battery, [](DCDataHandle *c) { c->slot_GetBatteryPower(); });
}

DeviceSession::RequestId DeviceSession::startPairing()
{
    return post(Verdict::PairingStart, [](DCDataHandle *c) { c->slot_startCode(); });
}

DeviceSession::RequestId DeviceSession::stopPairing()
{
    return post(Verdict::Always, [](DCDataHandle *c) { c->slot_stopCode(); });
}

DeviceSession::RequestId DeviceSession::updateFirmware(const QString &imagePath, const QString &model)
{
    return post(Verdict::Firmware, [this, imagePath, model](DCDataHandle *c) {
        const bool wasOpen = c->manager() != nullptr;
        c->slot_UpdateFirmwareKelvo(imagePath, model.isEmpty() ? MouseType::modelName(c->mouseType()) : model);
        // The mouse restarted with its new firmware under the same product id, so the watcher
        // reports nothing and the open manager's connection is stale: open it again, which
        // also reads the new version and the profile.
        if (wasOpen && m_running && m_running->warnings.contains(Warning::FirmwareUpdateSucceeded))
            c->slot_OpenDeviceAgain();
    });
}

DeviceSession::RequestId DeviceSession::reportSettings()
{
    return post(Verdict::Write, [](DCDataHandle *c) {
        c->setCPIValueOnPage();
        c->setUsbReportRateOnPage();
        c->setLightParameterOnPage();
        c->setMouseButtonOnPage();
    });
}

DeviceSession::RequestId DeviceSession::postRead(Read read)
{
    return post(Verdict::Read, [this, read = std::move(read)](DCDataHandle *c) {
        if (c->manager() && m_running)
            m_running->ok = read(*c->manager(), *m_running);
    });
}

DeviceSession::RequestId DeviceSession::readBatteryNow()
{
    return postRead([](USBDriverManger &m, RequestOutcome &o) { return m.GetBatteryPower(o.value); });
}

DeviceSession::RequestId DeviceSession::readLiftOff()
{
    return postRead([](USBDriverManger &m, RequestOutcome &o) {
        int value = 0;
        const bool ok = m.GetSilentHeight(value, DCDataHandle::kProfileIndex);
        o.value = value;
        return ok;
    });
}

DeviceSession::RequestId DeviceSession::readScreenParameters()
{
    return postRead([](USBDriverManger &m, RequestOutcome &o) {
        QVector<int> values;
        if (!m.GetOLEDScreenParameter(values, DCDataHandle::kProfileIndex))
            return false;
        o.values = values.toList();
        return true;
    });
}

std::optional<QString> DeviceSession::macroFileProblem(const QString &path, int modelCode)
{
    return MacroFileCheck::problem(path, modelCode);
}

DeviceSession::RequestId DeviceSession::setDpiRowValue(int row, int value)
{
    return post(Verdict::Read, [this, row, value](DCDataHandle *c) {
        if (c->manager() && m_running)
            m_running->ok = c->setGearCurrentValue(row, value);
    });
}

QList<QPair<QString, QList<DeviceSession::MacroFile>>> DeviceSession::macroLibrary()
{
    QList<QPair<QString, QList<MacroFile>>> out;
    const QDir root(StoragePaths::macroFolder());
    for (const QString &title : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        QList<MacroFile> files;
        const QDir folder(root.filePath(title));
        for (const QFileInfo &info : folder.entryInfoList(QDir::Files, QDir::Name)) {
            const JsonHandle::MacroContents contents = JsonHandle::readMacroFile(info.filePath());
            MacroFile f;
            f.path = info.filePath();
            // The editor names files by their creation time; the user's name is inside
            // (a file without one reads as "ErrorName").
            f.name = contents.name.isEmpty() || contents.name == QLatin1String("ErrorName") ? info.completeBaseName()
                                                                                            : contents.name;
            f.macroType = contents.macroType;
            files << f;
        }
        out << qMakePair(title, files);
    }
    return out;
}

QList<JsonHandle::StoredMacro> DeviceSession::storedMacros() const
{
    if (!m_state.isOpen() || m_state.configNumber() == 0)
        return {};
    return JsonHandle::storedMacros(m_state.modelCode(), m_state.configNumber());
}

// ---- the macro library ----------------------------------------------------------------------

namespace {
// Whether path names a file below the macro folder (after resolving "..", links and the like).
bool inMacroLibrary(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QString root = QFileInfo(StoragePaths::macroFolder()).canonicalFilePath();
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (root.isEmpty() || folder.isEmpty() || info.fileName().isEmpty())
        return false;
    return folder == root || folder.startsWith(root + QLatin1Char('/'));
}
} // namespace

QStringList DeviceSession::macroGroups()
{
    StoragePaths::customMacroFolder();
    return QDir(StoragePaths::macroFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QString DeviceSession::cloudLocalFolder() const
{
    const int code = m_state.modelCode();
    return code == 0 ? QString() : StoragePaths::mouseLocalFolder(code);
}

QString DeviceSession::cloudModelName() const
{
    const int code = m_state.modelCode();
    return code == 0 ? QString() : StoragePaths::modelFolderName(code);
}

QString DeviceSession::cloudMacroFolder()
{
    return StoragePaths::macroFolder();
}

bool DeviceSession::restoreCloudFolder(const QString &folderName, const QByteArray &zipBytes)
{
    QString target;
    if (folderName == QLatin1String("/LocalFile"))
        target = cloudLocalFolder();
    else if (folderName == QLatin1String("/MacroFiles"))
        target = StoragePaths::dataRoot() + folderName;
    if (target.isEmpty())
        return false;
    qDebug() << "saveFile" << target;
    return CloudArchive::replaceFolderFromBytes(zipBytes, target) == CloudArchive::Unpacked::Replaced;
}

QString DeviceSession::editorMacroFolder()
{
    return StoragePaths::customMacroFolder();
}

QList<DeviceSession::MacroEntry> DeviceSession::macroEntries(const QString &folder)
{
    QList<MacroEntry> out;
    JsonHandle json;
    const QDir dir(folder);
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name))
        out << MacroEntry{json.getName(info.filePath()), info.filePath()};
    return out;
}

DeviceSession::MacroDocument DeviceSession::readMacro(const QString &path)
{
    return JsonHandle::readMacroFile(path);
}

QString DeviceSession::createMacro(const QString &folder, const QString &name)
{
    QDateTime at = QDateTime::currentDateTime();
    QString path;
    for (int tries = 0; tries < 1000; ++tries, at = at.addMSecs(1)) {
        path = QDir(folder).filePath(at.toString(QStringLiteral("yyyyMMddhhmmsszzz")) + QStringLiteral(".json"));
        if (!QFileInfo::exists(path))
            break;
        path.clear();
    }
    if (path.isEmpty() || !inMacroLibrary(path))
        return {};
    JsonHandle json;
    return json.setName(path, name) ? path : QString();
}

bool DeviceSession::saveMacroEvents(const QString &path, const QList<MacroNode> &nodes, int repeatTimes,
                                    int macroLength, int macroType)
{
    if (!inMacroLibrary(path))
        return false;
    JsonHandle json;
    return json.setMacroEvents(path, nodes, repeatTimes, macroLength, macroType);
}

bool DeviceSession::renameMacro(const QString &path, const QString &name)
{
    JsonHandle json;
    return inMacroLibrary(path) && json.setName(path, name);
}

bool DeviceSession::setMacroType(const QString &path, int macroType)
{
    JsonHandle json;
    return inMacroLibrary(path) && json.setMacroType(path, macroType);
}

bool DeviceSession::setMacroRepeatTimes(const QString &path, int repeatTimes)
{
    JsonHandle json;
    return inMacroLibrary(path) && json.setRepeatTimes(path, repeatTimes);
}

bool DeviceSession::setMacroIgnoreDelayTime(const QString &path, int ignoreDelayTime)
{
    JsonHandle json;
    return inMacroLibrary(path) && json.setIgnoreDelayTime(path, ignoreDelayTime);
}

bool DeviceSession::deleteMacro(const QString &path)
{
    return inMacroLibrary(path) && QFileInfo(path).isFile() && QFile::remove(path);
}
