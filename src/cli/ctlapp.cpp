#include "cli/ctlapp.h"
#include "cli/accountcommand.h"
#include "cli/cloudcommand.h"
#include "cli/updatecommand.h"

#include "common/apppaths.h"
#include "session/devicesession.h"
#include "catalog/modelcatalog.h"
#include "sim/falconreceiverdevice.h"
#include "hid/hidbackend.h"
#include "cli/keynames.h"
#include "common/mousetype.h"
#include "common/pacer.h"
#include "device/watcher/producttable.h"
#include "device/watcher/deviceaccess.h"
#include "sim/simulation.h"
#include "common/dpirange.h"
#include "device/firmware/fwupdate.h"
#include "common/atomicfile.h"
#include "common/buttonchange.h"
#include "storage/configbundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <csignal>
#include <unistd.h>

namespace {
const char *const kRates[] = {"125", "250", "500", "1000"};
constexpr int kFirstButton = 4; // buttons 1 to 3 keep left, right and middle click
const char *const kLightModes[] = {"off", "steady", "breathing", "apm-breathing", "spectrum", "intrigue"};

QString hex4(uint v) { return QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0')); }

// The decoded assignment of a button, in words and as JSON.
QJsonObject describeAssignment(int changeType, int value, int modifier)
{
    QJsonObject o{{"changeType", changeType}, {"value", value}, {"modifier", modifier}};
    QString text;
    switch (changeType) {
    case MouseButtonChangeToKey:
    case MouseButtonChangeToCombinationKey:
        text = modifier ? KeyNames::modifierNames(modifier) + QLatin1Char('+') + KeyNames::keyName(value)
                        : KeyNames::keyName(value);
        break;
    case MouseButtonChangeToMacroReport: text = QStringLiteral("macro"); break;
    case MouseButtonChangeToMultimedia: text = QStringLiteral("media usage 0x%1").arg(value, 4, 16, QLatin1Char('0')); break;
    case MouseButtonChangeToMute: text = QStringLiteral("mute"); break;
    case MouseButtonChangeToPlayPause: text = QStringLiteral("play-pause"); break;
    case MouseButtonChangeToVolumeUp: text = QStringLiteral("volume-up"); break;
    case MouseButtonChangeToVolumeDown: text = QStringLiteral("volume-down"); break;
    case MouseButtonChangeToMediaPlayer: text = QStringLiteral("media-player"); break;
    case MouseButtonChangeToMouseKey: text = QStringLiteral("mouse buttons 0x%1").arg(value, 2, 16, QLatin1Char('0')); break;
    case MouseButtonChangeToForbidden: text = QStringLiteral("disabled"); break;
    case MouseButtonChangeToDpiFunction: text = QStringLiteral("dpi function %1").arg(value); break;
    case MouseButtonChangeToExtendedFunction: text = QStringLiteral("function 0x%1").arg(value, 4, 16, QLatin1Char('0')); break;
    case MouseButtonChangeToFireKey: text = QStringLiteral("fire"); break;
    case MouseButtonChangeToDpiUp: text = QStringLiteral("dpi up"); break;
    case MouseButtonChangeToDpiDown: text = QStringLiteral("dpi down"); break;
    case MouseButtonChangeToDpiInstant: text = QStringLiteral("dpi instant"); break;
    case MouseButtonChangeToLeftKey: text = QStringLiteral("left"); break;
    case MouseButtonChangeToRightKey: text = QStringLiteral("right"); break;
    case MouseButtonChangeToMiddleKey: text = QStringLiteral("middle"); break;
    case MouseButtonChangeToForwardKey: text = QStringLiteral("forward"); break;
    case MouseButtonChangeToBackKey: text = QStringLiteral("back"); break;
    case MouseButtonChangeToSwitchMacroKey: text = QStringLiteral("switch macro"); break;
    case MouseButtonChangeToProfileLoop: text = QStringLiteral("profile loop"); break;
    case MouseButtonChangeToFunction:
        text = value >= 34 ? describeAssignment(value, 0, 0).value("text").toString()
             : value >= 0  ? QStringLiteral("special combination %1").arg(value)
                           : QStringLiteral("unknown");
        break;
    default: text = QStringLiteral("change type %1").arg(changeType); break;
    }
    o.insert("text", text);
    return o;
}

QJsonObject zoneJson(const LightZone &z)
{
    const COLORREF c = z.color(0);
    return QJsonObject{{"mode", z.mode < 6 ? QString::fromLatin1(kLightModes[z.mode]) : QString::number(z.mode)},
                       {"speed", z.speed},
                       {"brightness", z.degree},
                       {"color", QStringLiteral("%1%2%3")
                                     .arg(colorRefRed(c), 2, 16, QLatin1Char('0'))
                                     .arg(colorRefGreen(c), 2, 16, QLatin1Char('0'))
                                     .arg(colorRefBlue(c), 2, 16, QLatin1Char('0'))}};
}

// What the model catalog says about a model code; false for a code without a model.
bool speaksFalconCommandSet(int mouseType)
{
    const Catalog::Model *model = Catalog::find(mouseType);
    return model && model->family == Catalog::Family::Falcon;
}

bool hasLogoZoneOnly(int mouseType)
{
    const Catalog::Model *model = Catalog::find(mouseType);
    return model && model->lightZones == Catalog::LightZones::One;
}

// Plain decimal digits only: no sign, no blanks, no "0x" (QString::toInt takes all of those).
std::optional<int> parseInt(const QString &text, int min, int max)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int v = text.toInt();
    if (v < min || v > max)
        return std::nullopt;
    return v;
}

// Exactly six hexadecimal digits.
std::optional<uint> parseRgb(const QString &text)
{
    if (text.size() != 6)
        return std::nullopt;
    for (const QChar c : text)
        if (!std::isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x'))
            return std::nullopt;
    return text.toUInt(nullptr, 16);
}

// The model name of a boot loader. The Falcon family's loader names its model in the product
// string ("FalconQ Boot"); the watcher's mapping knows only FalconEU and Kite and calls every
// other loader model 0, whose folder name is "osprey". An unrecognised loader is named by its
// family here, never as another model.
QString bootLoaderModel(const HidDeviceInfo &info)
{
    if (info.productId == ProductTable::kFalconBootProductId) {
        for (const QString &word : info.productString.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            for (const Catalog::Model &m : Catalog::models())
                if (m.family == Catalog::Family::Falcon
                    && word.compare(QLatin1String(m.name), Qt::CaseInsensitive) == 0)
                    return QString::fromLatin1(m.name);
        const int type = ProductTable::bootTypeFromProductString(info.productString);
        return type ? MouseType::modelName(type) : QStringLiteral("falcon-family");
    }
    const int type = ProductTable::bootTypeFromReleaseNumber(info.releaseNumber);
    return type ? MouseType::modelName(type) : QStringLiteral("osprey-family");
}

// Why a firmware image is refused, or nothing. Nothing is sent for a refused image.
std::optional<QString> firmwareImageProblem(const QString &path)
{
    switch (FwUpdate::readImageFile(path, FwUpdate::Target::ApplicationImage, nullptr)) {
    case FwUpdate::ImageCheck::Ok: return std::nullopt;
    case FwUpdate::ImageCheck::HexFile: return QStringLiteral("is a hex file; only raw binary images are written");
    case FwUpdate::ImageCheck::Unreadable:
        return QFileInfo(path).exists() ? QStringLiteral("cannot be read") : QStringLiteral("does not exist");
    case FwUpdate::ImageCheck::TooBig:
        return QStringLiteral("is larger than %1 bytes, the room for an image").arg(FwUpdate::kMaxImageSize);
    case FwUpdate::ImageCheck::Empty: return QStringLiteral("is empty");
    case FwUpdate::ImageCheck::ShortRead: return QStringLiteral("could not be read whole");
    }
    return QStringLiteral("cannot be used");
}

int lockWaitMs()
{
    const auto v = parseInt(qEnvironmentVariable("QKDRIVER_LOCK_WAIT_MS"), 0, 600000);
    return v ? *v : DeviceLock::kDefaultWaitMs;
}

volatile std::sig_atomic_t g_interrupted = 0;
void onSigint(int) { g_interrupted = 1; }
} // namespace

CtlApp::CtlApp(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}

CtlApp::~CtlApp()
{
    m_session.reset();
    if (m_simulated)
        Simulation::uninstall();
}

QString CtlApp::usage()
{
    return QStringLiteral(
        "usage: qkdriverctl [--simulate MODEL[,MODEL]] [--home DIR] [--json] COMMAND ...\n"
        "commands:\n"
        "  list                                   supported devices present\n"
        "  info                                   model, connection, firmware, battery, configuration\n"
        "  show                                   the whole current profile\n"
        "  set dpi 800,1600,3200                  DPI stages (up to 7; 0 ends the list)\n"
        "  set rate 125|250|500|1000              report rate in Hz\n"
        "  set light MODE [--zone wheel|logo] [--color RRGGBB] [--speed N] [--brightness N]\n"
        "                                         MODE: off, steady, breathing, apm-breathing, spectrum, intrigue\n"
        "  set button N key KEY | combo MOD+KEY | media mute|play-pause|volume-up|volume-down|media-player\n"
        "               | mouse left|right|middle|forward|back | dpi up|down|instant | fire | macro FILE\n"
        "               | disable | default\n"
        "  macro write FILE [--button N]          write a macro file to a button (default 5)\n"
        "  config load N | config save | config reset\n"
        "  export FILE | import FILE              all five stored configurations and the macros\n"
        "  pair                                   pair the mouse with its receiver\n"
        "  firmware update FILE                   write a firmware image (cable only, or to a mouse left\n"
        "                                         in its boot loader)\n"
        "  watch                                  print device and battery events until interrupted\n"
        "  udev-rules                             the udev rule that lets the signed-in user open the devices\n")
        + AccountCommand::usage()
        + CloudCommand::usage()
        + UpdateCommand::usage()
        + QStringLiteral("options: --version prints the version\n"
                         "exit codes: 0 success, 1 device or operation failure, 2 usage error, 3 no supported device");
}

int CtlApp::usageError(const QString &message)
{
    m_err << "qkdriverctl: " << message << Qt::endl;
    m_result = QJsonObject{{"ok", false}, {"error", message}};
    return Usage;
}

int CtlApp::failure(const QString &message)
{
    m_err << "qkdriverctl: " << message << Qt::endl;
    m_result.insert("ok", false);
    m_result.insert("error", message);
    return Failure;
}

int CtlApp::run(const QStringList &argsIn)
{
    QStringList args;
    for (int i = 0; i < argsIn.size(); ++i) {
        const QString &a = argsIn.at(i);
        const bool home = a == QLatin1String("--home") || a.startsWith(QLatin1String("--home="));
        const bool simulate = a == QLatin1String("--simulate") || a.startsWith(QLatin1String("--simulate="));
        if (a == QLatin1String("--json")) {
            m_json = true;
        } else if (home || simulate) {
            const QString name = a.section(QLatin1Char('='), 0, 0);
            QString value;
            if (a.contains(QLatin1Char('='))) {
                value = a.section(QLatin1Char('='), 1);
            } else {
                if (i + 1 >= argsIn.size())
                    return usageError(name + QStringLiteral(" needs a value"));
                value = argsIn.at(++i);
            }
            if (home) {
                // An empty folder would quietly mean "the default folder" instead.
                if (value.isEmpty())
                    return usageError(QStringLiteral("--home needs a folder"));
                AppPaths::setHomeOverride(value);
            } else {
                m_simulate = value; // empty: no simulated device at all
                m_simulateGiven = true;
            }
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            m_out << usage() << Qt::endl;
            return Ok;
        } else if (a == QLatin1String("--version")) {
            m_out << "qkdriverctl " << QStringLiteral(QKDRIVER_VERSION) << Qt::endl;
            return Ok;
        } else {
            args << a;
        }
    }
    if (!m_simulateGiven && qEnvironmentVariableIsSet("QKDRIVER_SIMULATE")) {
        m_simulate = qEnvironmentVariable("QKDRIVER_SIMULATE");
        m_simulateGiven = true;
    }
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given (try --help)"));

    int code = Ok;
    const QString command = args.takeFirst();
    const bool takesNoArgument = command == QLatin1String("list") || command == QLatin1String("info")
        || command == QLatin1String("show") || command == QLatin1String("pair") || command == QLatin1String("watch")
        || command == QLatin1String("udev-rules");
    if (takesNoArgument && !args.isEmpty())
        code = usageError(QStringLiteral("%1 takes no argument (\"%2\" is one too many)").arg(command, args.first()));
    else if (command == QLatin1String("list"))
        code = cmdList();
    else if (command == QLatin1String("info"))
        code = cmdInfo();
    else if (command == QLatin1String("show"))
        code = cmdShow();
    else if (command == QLatin1String("set"))
        code = cmdSet(args);
    else if (command == QLatin1String("macro"))
        code = cmdMacro(args);
    else if (command == QLatin1String("config"))
        code = cmdConfig(args);
    else if (command == QLatin1String("export"))
        code = cmdExport(args);
    else if (command == QLatin1String("import"))
        code = cmdImport(args);
    else if (command == QLatin1String("pair"))
        code = cmdPair();
    else if (command == QLatin1String("firmware"))
        code = cmdFirmware(args);
    else if (command == QLatin1String("watch"))
        code = cmdWatch();
    else if (command == QLatin1String("udev-rules"))
        code = cmdUdevRules();
    else if (command == QLatin1String("account"))
        code = cmdAccount(args);
    else if (command == QLatin1String("cloud"))
        code = cmdCloud(args);
    else if (command == QLatin1String("update"))
        code = cmdUpdate(args);
    else
        code = usageError(QStringLiteral("unknown command \"%1\"; commands: list, info, show, set, macro, config, export, import, pair, firmware, watch, udev-rules, account, cloud, update").arg(command));

    // The mouse half of the command is done (its line is printed), the file half is not.
    if (code == Ok && !m_saveFailures.isEmpty())
        code = failure(QStringLiteral("the mouse took the change, but it could not be saved: %1")
                           .arg(m_saveFailures.join(QStringLiteral("; "))));
    if (!m_result.contains("ok"))
        m_result.insert("ok", code == Ok);
    if (m_json)
        m_out << QJsonDocument(m_result).toJson(QJsonDocument::Indented);
    else
        for (const QString &line : qAsConst(m_text))
            m_out << line << Qt::endl;
    m_out.flush();
    return code;
}

// ---- devices -----------------------------------------------------------------------------------

QList<CtlApp::Found> CtlApp::presentDevices() const
{
    QList<HidDeviceInfo> all;
    HidBackend::current().enumerate(&all);
    QList<Found> out;
    QList<uint> seen;
    const USHORT vendor = ProductTable::vendorId();
    for (const HidDeviceInfo &i : all) {
        if (seen.contains(i.productId))
            continue;
        Found f;
        f.productId = i.productId;
        if (i.vendorId == vendor && ProductTable::find(i.productId)) {
            const int type = ProductTable::mouseTypeOf(i.productId);
            f.model = MouseType::modelName(type);
            f.link = ProductTable::isReceiverId(i.productId) ? QStringLiteral("receiver") : QStringLiteral("cable");
        } else if ((i.vendorId == vendor && i.productId == ProductTable::kFalconBootProductId)
                   || (i.vendorId == ProductTable::kLoaderVendorId && i.productId == ProductTable::kLoaderProductId)) {
            f.model = bootLoaderModel(i);
            f.link = QStringLiteral("boot loader");
        } else {
            continue;
        }
        seen << i.productId;
        out << f;
    }
    return out;
}

int CtlApp::prepareDevices(bool listOnly)
{
    if (m_devicesReady)
        return Ok;
    // Listing real devices only enumerates them; everything else drives the mouse, and a
    // simulated mouse also rewrites its memory file on exit.
    if (!listOnly || m_simulateGiven) {
        switch (m_lock.acquire(lockWaitMs())) {
        case DeviceLock::Outcome::Taken:
            break;
        case DeviceLock::Outcome::Unavailable:
            // No lock file possible (folder missing or not writable): nothing can be stored
            // there either, so there is nothing for two commands to overwrite.
            qDebug() << "qkdriverctl: running without the device lock" << DeviceLock::lockPath();
            break;
        case DeviceLock::Outcome::Held:
            if (m_lock.heldByGui())
                return failure(QStringLiteral("QKDriver (process %1) is using the mouse of %2; close it first")
                                   .arg(m_lock.holderPid()).arg(AppPaths::applicationDir()));
            return failure(QStringLiteral("the mouse of %1 is busy: %2 (process %3) is still using it; try again when it has finished")
                               .arg(AppPaths::applicationDir(),
                                    m_lock.holderName().isEmpty() ? QStringLiteral("another program") : m_lock.holderName())
                               .arg(m_lock.holderPid()));
        }
    }
    if (m_simulateGiven) {
        // Simulated mice keep their memory in the home folder; no real waiting on them.
        Simulation::setStateFolder(AppPaths::applicationDir() + QStringLiteral("/Simulator"));
        QString error;
        const QStringList names = m_simulate.split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (!Simulation::install(names, &error))
            return usageError(error);
        m_simulated = true;
        static VirtualClock clock; // lives for the process
        Pacer::install(&clock);
        // The simulated user switches the mouse on as soon as a receiver waits for one.
        for (const auto &device : Simulation::bus()->devices())
            if (auto receiver = std::dynamic_pointer_cast<FalconReceiverDevice>(device))
                receiver->setAutoSwitchOn(true);
    }
    m_devicesReady = true;
    return Ok;
}

void CtlApp::startSession()
{
    m_session = std::make_unique<DeviceSession>();
    m_session->setAutoOpen(false);
    connect(m_session.get(), &DeviceSession::firmwareProgress, this, [this](int p) { m_progress << p; });
    connect(m_session.get(), &DeviceSession::pairingFinished, this, [this](bool ok) { m_paired = ok; });
}

int CtlApp::openDevice(bool needProfile)
{
    if (m_session)
        return m_opened.value_or(false) ? Ok : Failure;
    if (const int rc = prepareDevices())
        return rc;
    startSession();

    const QList<Found> devices = presentDevices();
    const Found *target = nullptr;
    for (const Found &f : devices)
        if (f.link != QLatin1String("boot loader")) {
            target = &f;
            break;
        }
    // The access scan reads every supported node: only a failure needs it.
    if (!target) {
        const QStringList fix = DeviceAccess::systemAccessFix();
        if (!fix.isEmpty())
            return failure(fix.join(QLatin1Char('\n')));
        m_err << "qkdriverctl: no supported mouse or receiver is connected" << Qt::endl;
        m_result = QJsonObject{{"ok", false}, {"error", "no supported device"}};
        return NoDevice;
    }
    m_opened = request(m_session->openDevice(target->productId));
    if (!*m_opened) {
        const QStringList fix = DeviceAccess::systemAccessFix();
        return failure(QStringLiteral("could not open %1 (%2)").arg(target->model, hex4(target->productId))
                       + (fix.isEmpty() ? QString() : QLatin1Char('\n') + fix.join(QLatin1Char('\n'))));
    }
    m_readFailed = m_warnings.contains(Warning::ReadOrWriteFailed);
    if (m_session->state().configNumber() == 0 && !m_readFailed) {
        // No stored configuration equals the mouse (a damaged or deleted file, or another
        // program changed the mouse): the coordinator then leaves the pages as they were, so
        // take the settings from what it read out of the mouse.
        request(m_session->reportSettings());
        m_readFailed = m_warnings.contains(Warning::ReadOrWriteFailed);
    }
    // Changes are made on top of what was read; without it they would write stale settings.
    if (m_readFailed && needProfile)
        return failure(QStringLiteral("the profile could not be read from the %1 (the exchange with the mouse failed); nothing was changed")
                           .arg(modelOfOpenDevice()));
    return Ok;
}

bool CtlApp::request(quint64 id, bool exchangesCount)
{
    const RequestOutcome outcome = m_session->wait(id);
    m_warnings = outcome.warnings;
    for (const QString &line : outcome.saveFailures)
        if (!m_saveFailures.contains(line))
            m_saveFailures << line;
    // A change the mouse took but that could not be saved is reported at the end of the
    // command (run()).
    if (exchangesCount && m_warnings.contains(Warning::ReadOrWriteFailed) && outcome.saveFailures.isEmpty())
        return false;
    return outcome.ok;
}

int CtlApp::modelCode() const
{
    return m_session ? m_session->state().modelCode() : 0;
}

QString CtlApp::modelOfOpenDevice() const
{
    return MouseType::modelName(modelCode());
}

// ---- commands ----------------------------------------------------------------------------------

int CtlApp::cmdList()
{
    if (const int rc = prepareDevices(true))
        return rc;
    QList<Found> devices = presentDevices();
    const QList<DeviceAccess::Blocked> blocked = DeviceAccess::systemBlockedDevices();
    // A node hidapi did not list is named from the product table alone.
    for (const DeviceAccess::Blocked &b : blocked) {
        bool listed = false;
        for (const Found &f : qAsConst(devices))
            listed = listed || f.productId == b.node.productId;
        if (listed)
            continue;
        Found f;
        f.productId = b.node.productId;
        if (ProductTable::find(b.node.productId)) {
            f.model = MouseType::modelName(ProductTable::mouseTypeOf(b.node.productId));
            f.link = ProductTable::isReceiverId(b.node.productId) ? QStringLiteral("receiver") : QStringLiteral("cable");
        } else {
            f.model = b.node.productId == ProductTable::kFalconBootProductId ? QStringLiteral("falcon-family")
                                                                            : QStringLiteral("osprey-family");
            f.link = QStringLiteral("boot loader");
        }
        devices << f;
    }
    QJsonArray list;
    int usable = 0;
    for (const Found &f : qAsConst(devices)) {
        QString node;
        for (const DeviceAccess::Blocked &b : blocked)
            if (b.node.productId == f.productId)
                node = b.node.devicePath;
        QJsonObject o{{"productId", hex4(f.productId)}, {"model", f.model}, {"link", f.link},
                      {"access", node.isEmpty() ? "ok" : "denied"}};
        if (!node.isEmpty())
            o.insert("node", node);
        list.append(o);
        usable += node.isEmpty() ? 1 : 0;
        m_text << QStringLiteral("%1  %2  %3").arg(hex4(f.productId), f.model.leftJustified(9), f.link)
                      + (node.isEmpty() ? QString() : QStringLiteral("  no access (%1)").arg(node));
    }
    m_result.insert("devices", list);
    if (devices.isEmpty()) {
        m_text << QStringLiteral("no supported device");
        return NoDevice;
    }
    if (!blocked.isEmpty()) {
        const QStringList fix = DeviceAccess::accessFix(blocked);
        m_result.insert("accessFix", QJsonArray::fromStringList(fix));
        m_text << QString() << fix;
    }
    // Listed but none of them can be opened: nothing the other commands could use.
    return usable ? Ok : Failure;
}

int CtlApp::cmdUdevRules()
{
    const QString rules = DeviceAccess::udevRules(ProductTable::vendorId());
    m_result.insert("file", DeviceAccess::rulesFileName());
    m_result.insert("rules", rules);
    m_text << rules.split(QLatin1Char('\n'));
    if (!m_text.isEmpty() && m_text.last().isEmpty())
        m_text.removeLast(); // each line is printed with its own end of line
    return Ok;
}

int CtlApp::cmdInfo()
{
    if (const int rc = openDevice(false))
        return rc;
    const DeviceState &st = m_session->state();
    const quint32 version = quint32(st.firmwareVersion()); // a 32-bit word; the top bit is no sign
    QJsonObject info{{"model", modelOfOpenDevice()},
                     {"productId", hex4(st.productId())},
                     {"connection", st.isWireless() ? "receiver" : "cable"},
                     // The version comes with the profile; a failed read reports only a default.
                     {"firmwareVersion", m_readFailed ? QJsonValue() : QJsonValue(qint64(version))},
                     {"configuration", st.configNumber()}};
    m_text << QStringLiteral("model          %1").arg(modelOfOpenDevice())
           << QStringLiteral("product id     %1").arg(hex4(st.productId()))
           << QStringLiteral("connection     %1").arg(st.isWireless() ? "2.4 GHz receiver" : "cable")
           << QStringLiteral("firmware       %1").arg(m_readFailed ? QStringLiteral("unknown (the profile could not be read)") : QString::number(version))
           << QStringLiteral("configuration  %1").arg(st.configNumber() ? QString::number(st.configNumber()) : QStringLiteral("none matches"));
    if (st.isWireless()) {
        const RequestOutcome battery = m_session->wait(m_session->readBatteryNow());
        const int level = battery.ok ? battery.value : -1;
        info.insert("battery", level);
        m_text << QStringLiteral("battery        %1").arg(battery.ok && level <= 100 ? QString::number(level) + QLatin1Char('%') : QStringLiteral("unknown"));
    }
    m_result.insert("device", info);
    return Ok;
}

int CtlApp::cmdShow()
{
    if (const int rc = openDevice())
        return rc;
    const DeviceState &st = m_session->state();
    QJsonArray dpi;
    QStringList dpiText;
    for (DWORD v : st.dpiStages()) {
        if (v == 0)
            continue;
        dpi.append(int(v));
        dpiText << QString::number(v);
    }
    const int lift = m_session->wait(m_session->readLiftOff()).value;
    const Catalog::Model *model = st.model();
    std::optional<RequestOutcome> oled;
    if (model && model->oled)
        if (RequestOutcome o = m_session->wait(m_session->readScreenParameters()); o.ok)
            oled = o;
    const int config = st.configNumber();
    const int rate = st.reportRate();
    QJsonObject profile{{"model", modelOfOpenDevice()},
                        {"configuration", config},
                        {"matchesStoredConfiguration", config != 0},
                        {"dpi", dpi},
                        {"reportRate", rate >= 0 && rate < 4 ? QString::fromLatin1(kRates[rate]).toInt() : -1},
                        {"liftOff", lift}};
    m_text << (config ? QStringLiteral("model        %1 (configuration %2)").arg(modelOfOpenDevice()).arg(config)
                      : QStringLiteral("model        %1 (the mouse matches no stored configuration; showing what it holds)")
                            .arg(modelOfOpenDevice()))
           << QStringLiteral("dpi          %1").arg(dpiText.join(QStringLiteral(", ")))
           << QStringLiteral("report rate  %1 Hz").arg(rate >= 0 && rate < 4 ? kRates[rate] : "?")
           << QStringLiteral("lift-off     %1").arg(lift);
    if (const auto lighting = st.light()) {
        QJsonObject light{{"logo", zoneJson(lighting->logo)}};
        if (!hasLogoZoneOnly(st.modelCode()))
            light.insert("wheel", zoneJson(lighting->wheel));
        profile.insert("light", light);
        for (const QString &zone : light.keys()) {
            const QJsonObject z = light.value(zone).toObject();
            m_text << QStringLiteral("light %1 %2 color %3 speed %4 brightness %5")
                          .arg(zone.leftJustified(6), z.value("mode").toString(), z.value("color").toString())
                          .arg(z.value("speed").toInt())
                          .arg(z.value("brightness").toInt());
        }
    }
    QJsonObject buttons;
    const QMap<int, DeviceState::Button> assigned = st.buttons();
    for (auto it = assigned.constBegin(); it != assigned.constEnd(); ++it) {
        QJsonObject o{{"text", "default"}, {"default", true}};
        if (!it->factory) {
            o = describeAssignment(it->changeType, it->value, it->modifier);
            o.insert("default", false);
        }
        buttons.insert(QString::number(it.key()), o);
        m_text << QStringLiteral("button %1%2").arg(QString::number(it.key()).leftJustified(6), o.value("text").toString());
    }
    profile.insert("buttons", buttons);
    // Macros: the current configuration's file mirrors the mouse's macro slots. When no
    // configuration matches the mouse, no file tells what its slots hold.
    QJsonObject macros;
    for (const JsonHandle::StoredMacro &m : m_session->storedMacros()) {
        macros.insert(m.slot, QJsonObject{{"bytes", m.bytes}, {"repeat", m.repeat}});
        m_text << QStringLiteral("macro slot %1 %2 bytes, repeat %3").arg(m.slot.leftJustified(3)).arg(m.bytes).arg(m.repeat);
    }
    profile.insert("macros", macros);
    if (oled)
        profile.insert("oled", QJsonArray::fromVariantList([&] {
            QVariantList l;
            for (int v : qAsConst(oled->values))
                l << v;
            return l;
        }()));
    m_result.insert("profile", profile);
    return Ok;
}

int CtlApp::cmdSet(const QStringList &args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("set what? dpi, rate, light or button"));
    const QString what = args.first();
    const QStringList rest = args.mid(1);
    if (what == QLatin1String("dpi"))
        return setDpi(rest);
    if (what == QLatin1String("rate"))
        return setRate(rest);
    if (what == QLatin1String("light"))
        return setLight(rest);
    if (what == QLatin1String("button"))
        return setButton(rest);
    return usageError(QStringLiteral("cannot set \"%1\"; accepted: dpi, rate, light, button").arg(what));
}

int CtlApp::setDpi(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("set dpi takes one list, e.g. 800,1600,3200"));
    QList<DWORD> list;
    for (const QString &part : args.first().split(QLatin1Char(','))) {
        const auto v = parseInt(part, 50, 26000);
        if (!v)
            return usageError(QStringLiteral("\"%1\" is not a DPI value (whole numbers 50 to 26000)").arg(part));
        list << DWORD(*v);
    }
    if (list.size() > 7)
        return usageError(QStringLiteral("at most 7 DPI stages"));
    if (const int rc = openDevice())
        return rc;
    const Catalog::Model *model = m_session->state().model();
    const int stages = model ? model->maxStages : 7;
    if (list.size() > stages)
        return usageError(QStringLiteral("the %1 has at most %2 DPI stages").arg(modelOfOpenDevice()).arg(stages));
    const DpiRange range = Catalog::dpiRangeOf(modelCode());
    for (DWORD v : qAsConst(list))
        if (!range.accepts(int(v)))
            return usageError(QStringLiteral("%1 DPI is not possible on the %2; accepted: %3")
                                  .arg(v).arg(modelOfOpenDevice(), range.describe()));
    while (list.size() < 7)
        list << 0;
    if (!request(m_session->setDpiStages(list)))
        return failure(QStringLiteral("the mouse did not take the DPI stages"));
    m_text << QStringLiteral("dpi set");
    return Ok;
}

int CtlApp::setRate(const QStringList &args)
{
    int index = -1;
    for (int i = 0; i < 4 && args.size() == 1; ++i)
        if (args.first() == QLatin1String(kRates[i]))
            index = i;
    if (index < 0)
        return usageError(QStringLiteral("report rate must be 125, 250, 500 or 1000"));
    if (const int rc = openDevice())
        return rc;
    if (!request(m_session->setReportRate(index)))
        return failure(QStringLiteral("the mouse did not take the report rate"));
    m_text << QStringLiteral("report rate set to %1 Hz").arg(kRates[index]);
    return Ok;
}

int CtlApp::setLight(const QStringList &argsIn)
{
    QStringList args = argsIn;
    if (args.isEmpty())
        return usageError(QStringLiteral("set light needs a mode: off, steady, breathing, apm-breathing, spectrum, intrigue"));
    int mode = -1;
    for (int i = 0; i < 6; ++i)
        if (args.first() == QLatin1String(kLightModes[i]))
            mode = i;
    if (mode < 0)
        return usageError(QStringLiteral("unknown light mode \"%1\"; accepted: off, steady, breathing, apm-breathing, spectrum, intrigue").arg(args.first()));
    args.removeFirst();
    bool wheel = false;
    using Zone = DeviceSession::LightTarget;
    std::optional<COLORREF> color;
    std::optional<int> speed, brightness;
    for (int i = 0; i < args.size(); i += 2) {
        const QString key = args.at(i);
        const QString value = args.value(i + 1);
        if (i + 1 >= args.size())
            return usageError(key + QStringLiteral(" needs a value"));
        if (key == QLatin1String("--zone")) {
            if (value != QLatin1String("wheel") && value != QLatin1String("logo"))
                return usageError(QStringLiteral("zone must be wheel or logo"));
            wheel = value == QLatin1String("wheel");
        } else if (key == QLatin1String("--color")) {
            const auto rgb = parseRgb(value);
            if (!rgb)
                return usageError(QStringLiteral("\"%1\" is not a colour; use six hex digits RRGGBB").arg(value));
            color = makeColorRef(BYTE(*rgb >> 16), BYTE(*rgb >> 8), BYTE(*rgb));
        } else if (key == QLatin1String("--speed")) {
            speed = parseInt(value, 0, 9);
            if (!speed)
                return usageError(QStringLiteral("speed must be 0 to 9"));
        } else if (key == QLatin1String("--brightness")) {
            brightness = parseInt(value, 0, 9);
            if (!brightness)
                return usageError(QStringLiteral("brightness must be 0 to 9"));
        } else {
            return usageError(QStringLiteral("unknown option \"%1\" for set light").arg(key));
        }
    }
    if (const int rc = openDevice())
        return rc;
    if (wheel && hasLogoZoneOnly(m_session->state().modelCode()))
        return usageError(QStringLiteral("this model has no wheel light zone"));
    const Zone zone = wheel ? Zone::Wheel : Zone::Logo;
    bool ok = request(m_session->setLightMode(zone, mode));
    if (ok && color)
        ok = request(m_session->setLightColors(zone, QList<COLORREF>{*color}));
    if (ok && speed)
        ok = request(m_session->setBreathingSpeed(zone, *speed));
    if (ok && brightness)
        ok = request(m_session->setLightBrightness(zone, *brightness));
    if (!ok)
        return failure(QStringLiteral("the mouse did not take the light setting"));
    m_text << QStringLiteral("light set");
    return Ok;
}

int CtlApp::setButton(const QStringList &args)
{
    if (args.size() < 2)
        return usageError(QStringLiteral("set button N KIND [VALUE]"));
    const auto button = parseInt(args.at(0), kFirstButton, 17);
    if (!button)
        return usageError(QStringLiteral("\"%1\" is not a button number (4 to 17)").arg(args.at(0)));
    const QString kind = args.at(1);
    const QString value = args.value(2);
    int changeType = -1, key = 0, modifier = 0;
    QString macroFile;
    static const QMap<QString, int> media{{"mute", 35}, {"play-pause", 36}, {"volume-up", 37},
                                          {"volume-down", 38}, {"media-player", 39}};
    static const QMap<QString, int> mouse{{"left", 48}, {"right", 49}, {"middle", 50}, {"forward", 51}, {"back", 52}};
    static const QMap<QString, int> dpi{{"up", 45}, {"down", 46}, {"instant", 47}};
    if (kind == QLatin1String("key")) {
        const auto vk = KeyNames::virtualKey(value);
        if (!vk)
            return usageError(QStringLiteral("unknown key \"%1\"; accepted: %2").arg(value, KeyNames::acceptedKeys()));
        changeType = MouseButtonChangeToKey;
        key = *vk;
    } else if (kind == QLatin1String("combo")) {
        const int plus = value.lastIndexOf(QLatin1Char('+'));
        const auto mods = plus > 0 ? KeyNames::modifiers(value.left(plus)) : std::nullopt;
        const auto vk = plus > 0 ? KeyNames::virtualKey(value.mid(plus + 1)) : std::nullopt;
        if (!mods || !vk || *mods == 0)
            return usageError(QStringLiteral("\"%1\" is not a combination; use MODIFIERS+KEY, e.g. ctrl+shift+a").arg(value));
        changeType = MouseButtonChangeToCombinationKey;
        key = *vk;
        modifier = *mods;
    } else if (kind == QLatin1String("media") && media.contains(value)) {
        changeType = media.value(value);
    } else if (kind == QLatin1String("mouse") && mouse.contains(value)) {
        changeType = mouse.value(value);
    } else if (kind == QLatin1String("dpi") && dpi.contains(value)) {
        changeType = dpi.value(value);
    } else if (kind == QLatin1String("fire")) {
        changeType = MouseButtonChangeToFireKey;
    } else if (kind == QLatin1String("disable")) {
        changeType = MouseButtonChangeToForbidden;
    } else if (kind == QLatin1String("default")) {
        changeType = MouseButtonChangeToMacro; // restores the factory function
    } else if (kind == QLatin1String("macro")) {
        if (const auto problem = DeviceSession::macroFileProblem(value, MouseType::None))
            return usageError(QStringLiteral("macro file \"%1\" %2").arg(value, *problem));
        macroFile = QFileInfo(value).absoluteFilePath();
    } else {
        return usageError(QStringLiteral("unknown assignment \"%1 %2\"; accepted: key, combo, media, mouse, dpi, fire, macro, disable, default").arg(kind, value));
    }
    const bool bare = changeType == MouseButtonChangeToFireKey || changeType == MouseButtonChangeToForbidden
        || changeType == MouseButtonChangeToMacro;
    if (args.size() > (bare ? 2 : 3))
        return usageError(QStringLiteral("set button N %1 takes %2 (\"%3\" is one too many)")
                              .arg(kind, bare ? QStringLiteral("no value") : QStringLiteral("one value"),
                                   args.at(bare ? 2 : 3)));
    if (const int rc = openDevice())
        return rc;
    // The buttons the state holds for this mouse are the ones it has.
    const QList<int> buttons = m_session->state().buttons().keys();
    if (!buttons.isEmpty() && !buttons.contains(*button)) {
        QStringList have;
        for (int b : buttons)
            have << QString::number(b);
        return usageError(QStringLiteral("the %1 has no button %2; its buttons: %3")
                              .arg(modelOfOpenDevice()).arg(*button).arg(have.join(QStringLiteral(", "))));
    }
    if (!macroFile.isEmpty())
        if (const auto problem = DeviceSession::macroFileProblem(macroFile, modelCode()))
            return usageError(QStringLiteral("macro file \"%1\" %2").arg(value, *problem));
    // The command ends after the change: no button read-back.
    const bool ok = request(macroFile.isEmpty() ? m_session->setButton(*button, uint(key), modifier, changeType, false)
                                                : m_session->writeMacro(*button, macroFile, false));
    if (m_warnings.contains(Warning::OnlyLeftButton))
        return failure(QStringLiteral("button %1 is the only left button; assign left click to another button first").arg(*button));
    if (!ok)
        return failure(QStringLiteral("the mouse did not take the assignment of button %1").arg(*button));
    m_text << QStringLiteral("button %1 set").arg(*button);
    return Ok;
}

int CtlApp::cmdMacro(const QStringList &args)
{
    if (args.size() < 2 || args.first() != QLatin1String("write"))
        return usageError(QStringLiteral("macro write FILE [--button N]"));
    QStringList rest{QStringLiteral("5"), QStringLiteral("macro"), args.at(1)};
    if (args.size() == 4 && args.at(2) == QLatin1String("--button"))
        rest[0] = args.at(3);
    else if (args.size() != 2)
        return usageError(QStringLiteral("macro write FILE [--button N]"));
    return setButton(rest);
}

int CtlApp::cmdConfig(const QStringList &args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("config load N | config save | config reset"));
    const QString what = args.first();
    if (what == QLatin1String("load")) {
        const auto n = parseInt(args.value(1), 1, 5);
        if (!n || args.size() != 2)
            return usageError(QStringLiteral("config load takes a configuration number 1 to 5"));
        if (const int rc = openDevice(false)) // a whole stored image: nothing stale
            return rc;
        if (!request(m_session->loadConfiguration(*n)))
            return failure(QStringLiteral("configuration %1 could not be written into the mouse").arg(*n));
        m_text << QStringLiteral("configuration %1 loaded").arg(*n);
        m_result.insert("configuration", *n);
        return Ok;
    }
    if (what == QLatin1String("save") || what == QLatin1String("reset")) {
        if (args.size() != 1)
            return usageError(QStringLiteral("config %1 takes no argument").arg(what));
        if (const int rc = openDevice(what == QLatin1String("save")))
            return rc;
        const bool save = what == QLatin1String("save");
        const bool ok = request(save ? m_session->saveToConfiguration1() : m_session->factoryReset(), true);
        if (!ok)
            return failure(save ? QStringLiteral("the profile could not be saved") : QStringLiteral("the factory reset failed"));
        m_text << (save ? QStringLiteral("profile saved as configuration 1") : QStringLiteral("factory settings restored"));
        return Ok;
    }
    return usageError(QStringLiteral("unknown config command \"%1\"; accepted: load, save, reset").arg(what));
}

int CtlApp::cmdExport(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("export FILE"));
    if (const int rc = openDevice())
        return rc;
    const ConfigBundle::Contents contents = ConfigBundle::collect(modelCode());
    for (const QString &name : contents.skippedMacros)
        m_err << "qkdriverctl: macro file \"" << ConfigBundle::printableName(name)
              << "\" left out: its name cannot be imported" << Qt::endl;
    AtomicFile::Failure notWritten;
    if (!ConfigBundle::save(args.first(), contents, &notWritten))
        return failure(QStringLiteral("cannot write \"%1\": %2").arg(notWritten.path, notWritten.reason));
    m_text << QStringLiteral("exported %1 configurations and %2 macros of %3 to %4")
                  .arg(contents.configurations.size()).arg(contents.macros.size()).arg(modelOfOpenDevice(), args.first());
    m_result.insert("configurations", contents.configurations.size());
    m_result.insert("macros", contents.macros.size());
    return Ok;
}

int CtlApp::cmdImport(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("import FILE"));
    if (!QFileInfo(args.first()).isFile())
        return usageError(QStringLiteral("cannot read \"%1\"").arg(args.first()));
    if (const int rc = openDevice())
        return rc;
    // Everything is checked before anything is written, and then written as one.
    QString problem;
    const std::optional<ConfigBundle::Contents> contents =
        ConfigBundle::load(args.first(), modelCode(), &problem);
    if (!contents)
        return usageError(problem);
    AtomicFile::Failure notWritten;
    if (!ConfigBundle::store(*contents, modelCode(), &notWritten))
        return failure(QStringLiteral("nothing imported, cannot write %1: %2")
                           .arg(QDir::toNativeSeparators(notWritten.path), notWritten.reason));
    m_text << QStringLiteral("imported %1 configurations and %2 macros")
                  .arg(contents->configurations.size()).arg(contents->macros.size());
    m_result.insert("configurations", contents->configurations.size());
    m_result.insert("macros", contents->macros.size());
    return Ok;
}

int CtlApp::cmdPair()
{
    if (const int rc = openDevice(false))
        return rc;
    if (!m_session->state().isWireless())
        return usageError(QStringLiteral("pairing needs the mouse's receiver; this mouse is on the cable"));
    if (!request(m_session->startPairing()))
        return failure(QStringLiteral("the receiver did not enter pairing mode"));
    m_err << "Switch the mouse off and on again, then press its left, middle and right buttons together..." << Qt::endl;
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_session.get(), &DeviceSession::pairingFinished, &loop, &QEventLoop::quit);
    guard.start(25000);
    if (!m_paired)
        loop.exec();
    if (!m_paired.value_or(false))
        return failure(QStringLiteral("pairing did not complete"));
    m_text << QStringLiteral("paired");
    return Ok;
}

int CtlApp::cmdFirmware(const QStringList &args)
{
    if (args.size() != 2 || args.first() != QLatin1String("update"))
        return usageError(QStringLiteral("firmware update FILE"));
    const QString path = args.at(1);
    if (const auto problem = firmwareImageProblem(path))
        return usageError(QStringLiteral("firmware image \"%1\" %2").arg(path, *problem));
    const QString image = QFileInfo(path).absoluteFilePath();
    if (const int rc = prepareDevices())
        return rc;
    // A mouse left in its boot loader (an update that did not finish) has no mouse side to
    // open; the image goes straight to the boot loader, without a restart request.
    const QList<Found> devices = presentDevices();
    const bool mouse = std::any_of(devices.begin(), devices.end(),
                                   [](const Found &f) { return f.link != QLatin1String("boot loader"); });
    if (!mouse && !devices.isEmpty()) {
        for (const Found &f : devices)
            if (f.productId == ProductTable::kFalconBootProductId)
                return updateBootLoader(f, image);
        return usageError(QStringLiteral("the %1 boot loader takes its firmware from the model's own updater")
                              .arg(devices.first().model));
    }
    if (const int rc = openDevice(false))
        return rc;
    if (!speaksFalconCommandSet(m_session->state().modelCode()))
        return usageError(QStringLiteral("%1 firmware is updated with its own updater").arg(modelOfOpenDevice()));
    return runFirmwareUpdate(image, modelOfOpenDevice());
}

int CtlApp::updateBootLoader(const Found &loader, const QString &imagePath)
{
    startSession();
    if (!m_json)
        m_err << "The " << loader.model << " waits in its boot loader; writing the image to it." << Qt::endl;
    return runFirmwareUpdate(imagePath, loader.model);
}

int CtlApp::runFirmwareUpdate(const QString &imagePath, const QString &model)
{
    const bool tty = isatty(STDERR_FILENO) && !m_json;
    int shown = -1;
    const QMetaObject::Connection shownProgress = connect(m_session.get(), &DeviceSession::firmwareProgress, this, [&](int p) {
        if (p == shown)
            return;
        shown = p;
        if (tty)
            m_err << "\r[" << QString(p / 5, QLatin1Char('#')).leftJustified(20, QLatin1Char('.')) << "] " << p << "%" << Qt::flush;
        else if (!m_json)
            m_err << p << "%" << Qt::endl;
    });
    const bool updated = request(m_session->updateFirmware(imagePath, model));
    disconnect(shownProgress);
    if (tty)
        m_err << Qt::endl;
    m_result.insert("progress", QJsonArray::fromVariantList([&] {
        QVariantList l;
        for (int p : qAsConst(m_progress))
            l << p;
        return l;
    }()));
    if (m_warnings.contains(Warning::UpdateRefusedThroughReceiver))
        return failure(QStringLiteral("firmware can only be updated over the cable"));
    if (!updated)
        return failure(QStringLiteral("the firmware update failed"));
    m_text << QStringLiteral("firmware updated");
    return Ok;
}

int CtlApp::cmdWatch()
{
    if (const int rc = prepareDevices())
        return rc;
    m_session = std::make_unique<DeviceSession>();
    m_session->setAutoOpen(true);
    auto print = [this](const QJsonObject &event) {
        if (m_json)
            m_out << QJsonDocument(event).toJson(QJsonDocument::Compact) << Qt::endl;
        else
            m_out << event.value("event").toString() << " " << event.value("detail").toString() << Qt::endl;
    };
    connect(m_session.get(), &DeviceSession::deviceFound, this, [=](uint pid, uint) {
        print(QJsonObject{{"event", "found"}, {"detail", hex4(pid) + QLatin1Char(' ') + MouseType::modelName(ProductTable::mouseTypeOf(int(pid)))}});
    });
    connect(m_session.get(), &DeviceSession::deviceLost, this, [=](uint pid, uint) {
        print(QJsonObject{{"event", "lost"}, {"detail", hex4(pid)}});
    });
    // Every level the mouse reports (an unsteady reading reports none).
    connect(m_session.get(), &DeviceSession::requestFinished, this, [=](quint64, const RequestOutcome &o) {
        if (o.value >= 0)
            print(QJsonObject{{"event", "battery"}, {"detail", o.value <= 100 ? QString::number(o.value) + QLatin1Char('%') : QStringLiteral("unknown")}});
    });
    QTimer battery;
    connect(&battery, &QTimer::timeout, m_session.get(), [this] { m_session->readBattery(); });
    battery.start(3000);
    std::signal(SIGINT, onSigint);
    std::signal(SIGTERM, onSigint);
    QTimer poll;
    QEventLoop loop;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (g_interrupted)
            loop.quit();
    });
    poll.start(100);
    m_session->start();
    loop.exec();
    m_result.insert("ok", true);
    m_json = false; // the events were the output
    return Ok;
}

// ---- cloud sync ----------------------------------------------------------------------------------

int CtlApp::cmdCloud(const QStringList &args)
{
    AccountCommand::Output output;
    if (!CloudCommand::argumentsValid(args))
        return usageError(QString::fromLatin1(CloudCommand::kUsageLine));
    if (const int rc = openDevice())
        return rc;
    return takeOutput(CloudCommand::run(args, modelCode(), &output), output);
}

// ---- version check -------------------------------------------------------------------------------

int CtlApp::cmdUpdate(const QStringList &args)
{
    AccountCommand::Output output;
    if (!UpdateCommand::argumentsValid(args))
        return usageError(QString::fromLatin1(UpdateCommand::kUsageLine));
    if (const int rc = prepareDevices())
        return rc;
    // Without a mouse only the program is checked; a mouse this user may not open is reported
    // by openDevice() with its fix.
    const QList<Found> devices = presentDevices();
    const bool mousePresent = std::any_of(devices.begin(), devices.end(),
                                          [](const Found &f) { return f.link != QLatin1String("boot loader"); });
    UpdateCommand::Mouse mouse;
    if (mousePresent || !DeviceAccess::systemBlockedDevices().isEmpty()) {
        if (const int rc = openDevice())
            return rc;
        if (m_readFailed)
            return failure(QStringLiteral("the mouse's firmware version could not be read"));
        mouse = {true, modelCode(), m_session->state().firmwareVersion()};
    }
    return takeOutput(UpdateCommand::run(args, mouse, &output), output);
}

// ---- account -----------------------------------------------------------------------------------

int CtlApp::cmdAccount(const QStringList &args)
{
    QTextStream in(stdin);
    AccountCommand::Output output;
    return takeOutput(AccountCommand::run(args, in, &output), output);
}

int CtlApp::takeOutput(int code, const AccountCommand::Output &output)
{
    if (code != Ok)
        m_err << "qkdriverctl: " << output.error << Qt::endl;
    m_result = output.result;
    m_text = output.text;
    return code;
}
