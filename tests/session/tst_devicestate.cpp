// The device state and the request API end to end: simulated mice on the virtual bus, the real
// managers and drivers. The state must equal what the emulated mouse holds, follow a request
// once it has landed in the mouse, and be empty again after removal.
#include "sim/falconmousedevice.h"
#include "sim/falconreceiverdevice.h"
#include "sim/ospreymousedevice.h"
#include "support/sessionrig.h"

#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// The Falcon-family mouse behind a name (the receiver's paired mouse for "-receiver").
std::shared_ptr<FalconMouseDevice> falconMouse(SessionRig &rig, const QString &name)
{
    if (name.endsWith(QLatin1String("-receiver"))) {
        auto receiver = rig.plug<FalconReceiverDevice>(name);
        return receiver ? receiver->pairedMouse() : nullptr;
    }
    return rig.plug<FalconMouseDevice>(name);
}

// Settings block at 0x880 (report-rate code, lift-off word, DPI table, last stage index, current
// stage, light mode / speed / brightness) and the three colours at 0x8B8.
void loadFalconSettings(FalconMouseFirmware &fw)
{
    fw.setMemory(0x880, hex("02 00 00 00 03 00 00 00 06 00 0E 00 16 00 00 00 00 00 00 00 00 00 02 00 01 02 05 09"));
    fw.setMemory(0x8B8, hex("11 22 33 00 44 55 66 00 77 88 99 00"));
}

// Settings bytes: rate index 1, lift-off 7, current stage 2, main light mode code 130 (mode 2)
// with brightness 9, colour 11 22 33 and breathing speed 5.
void loadOspreySettings(OspreyMouseFirmware &fw)
{
    QByteArray s = fw.settings();
    s[0] = 1;
    s[1] = 7;
    s[5] = 2;
    s[14] = char(130);
    s[15] = 9;
    s.replace(20, 3, hex("11 22 33"));
    s[26] = 5;
    fw.setSettings(s);
}

class RecordingSink : public AnalyticsSink
{
public:
    void send(const AnalyticsEvent &event) override { events << event; }
    QList<AnalyticsEvent> events;
};
} // namespace

class TstDeviceState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void openFillsTheState_data();
    void openFillsTheState();
    void requestLandsAndStateFollows_data();
    void requestLandsAndStateFollows();
    void removalClearsTheState_data();
    void removalClearsTheState();
    void receiverOfAnotherMouseLeavesItEmpty();
    void directReadsAnswerFromTheMouse_data();
    void directReadsAnswerFromTheMouse();
};

void TstDeviceState::openFillsTheState_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("productId");
    QTest::addColumn<bool>("wireless");
    QTest::addColumn<QList<DWORD>>("dpi");
    QTest::addColumn<int>("stage");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("lift");
    QTest::addColumn<QByteArray>("logo");
    QTest::addColumn<QString>("openEvent");
    QTest::addColumn<int>("firmware"); // the emulators' factory versions
    QTest::addColumn<int>("picture");  // OLED models: the screen behaviour byte (0x8AD) is 8
    const QByteArray falconLogo = hex("02 05 09 11 22 33 00 44 55 66 00 77 88 99 00");
    // Falcon family: the mouse holds stage 1 and no configuration matches; the manager's mirror
    // then says stage 2 (the compare's capped last stage) although the mouse was not told, so
    // the state must not claim either (-1).
    QTest::newRow("kitec cable") << "kitec" << 7 << 0x4139 << false << QList<DWORD>{800, 1600, 2400, 0, 0, 0, 0}
                                 << -1 << 2 << 3 << falconLogo << "OpenDevice_Wired_kitec" << 1 << -1;
    QTest::newRow("kitec receiver") << "kitec-receiver" << 7 << 0x180C << true
                                    << QList<DWORD>{800, 1600, 2400, 0, 0, 0, 0} << -1 << 2 << 3 << falconLogo
                                    << "OpenDevice_Wireless_kitec" << 1 << -1;
    QTest::newRow("falcon (screen)") << "falcon" << 11 << 0x4130 << false << QList<DWORD>{300, 700, 1100, 0, 0, 0, 0}
                                     << -1 << 2 << 3 << falconLogo << "OpenDevice_Wired_falcon" << 1 << 8;
    QTest::newRow("osprey") << "osprey" << 3 << 0x4122 << false
                            << QList<DWORD>{800, 1000, 1500, 2000, 3000, 8000, 16000} << 2 << 1 << 7
                            << hex("02 05 09 11 22 33 00 00 00 00 00 00 00 00 00") << "OpenDevice_Wired_osprey" << 0x100 << -1;
}

void TstDeviceState::openFillsTheState()
{
    QFETCH(QString, name);
    QFETCH(int, model);
    QFETCH(int, productId);
    QFETCH(bool, wireless);
    QFETCH(QList<DWORD>, dpi);
    QFETCH(int, stage);
    QFETCH(int, rate);
    QFETCH(int, lift);
    QFETCH(QByteArray, logo);
    QFETCH(QString, openEvent);
    QFETCH(int, firmware);
    QFETCH(int, picture);
    SessionRig rig;
    std::function<int()> stageInMouse;
    if (name == QLatin1String("osprey")) {
        auto mouse = rig.plug<OspreyMouseDevice>(name);
        QVERIFY(mouse);
        loadOspreySettings(mouse->firmware());
        stageInMouse = [mouse] { return int(mouse->firmware().settings().at(5)); };
    } else {
        auto mouse = falconMouse(rig, name);
        QVERIFY(mouse);
        loadFalconSettings(mouse->firmware());
        mouse->firmware().setMemory(0x8AD, hex("08"));
        stageInMouse = [mouse] { return int(mouse->firmware().memory(0x898, 1).at(0)); };
    }
    RecordingSink sink;
    rig.session().setAnalyticsSink(&sink);
    QSignalSpy changed(rig.session().stateObject(), &DeviceState::changed);

    const RequestOutcome outcome = rig.open(name);
    QVERIFY(outcome.known);
    QVERIFY(outcome.ok);
    // No stored configuration equals the mouse: the pages are not filled, the state still is.
    QCOMPARE(outcome.warnings, QList<Warning>{Warning::NoConfigurationMatches});
    const DeviceState &s = rig.state();
    QVERIFY(s.isOpen());
    QCOMPARE(s.modelCode(), model);
    QCOMPARE(s.model(), Catalog::find(model));
    QCOMPARE(s.isWireless(), wireless);
    QCOMPARE(s.link(), wireless ? Catalog::Link::Receiver : Catalog::Link::Cable);
    QCOMPARE(int(s.productId()), productId);
    QCOMPARE(s.firmwareVersion(), firmware);
    QCOMPARE(s.configNumber(), 0);
    QCOMPARE(s.dpiStages(), dpi);
    QCOMPARE(s.currentStage(), stage);
    if (stage >= 0)
        QCOMPARE(stageInMouse(), stage);
    else
        QCOMPARE(stageInMouse(), 1);
    QCOMPARE(s.reportRate(), rate);
    QCOMPARE(s.liftOff(), lift);
    QVERIFY(s.light());
    QCOMPARE(s.light()->toBytes().mid(15).toHex(' '), logo.toHex(' '));
    QVERIFY(!s.hasMacros());
    QCOMPARE(s.pictureIndex(), picture);
    QVERIFY(!changed.isEmpty());
    QVERIFY(sink.events.contains(AnalyticsEvent{QStringLiteral("操作事件"), QStringLiteral("OpenDevice"), openEvent, QString()}));
}

void TstDeviceState::requestLandsAndStateFollows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("address"); // Falcon: memory address; Osprey: settings offset
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::newRow("kitec rate") << "kitec" << "rate" << QVariant(0) << 0x880 << hex("08 00 00 00") << true;
    QTest::newRow("kitec dpi") << "kitec" << "dpi" << QVariant::fromValue(QList<DWORD>{1000, 2000, 0})
                               << 0x888 << hex("08 00 12 00") << true;
    QTest::newRow("kitec lift-off") << "kitec" << "lift" << QVariant(5) << 0x884 << hex("05 00 00 00") << true;
    QTest::newRow("osprey rate") << "osprey" << "rate" << QVariant(3) << 0 << hex("03") << true;
    QTest::newRow("osprey lift-off") << "osprey" << "lift" << QVariant(9) << 1 << hex("09") << true;
    QTest::newRow("osprey dpi") << "osprey" << "dpi" << QVariant::fromValue(QList<DWORD>{1000, 2000, 0})
                                << 0 << QByteArray() << true;
    // Button 6 of the Falcon to the key A.
    QTest::newRow("falcon button") << "falcon" << "button" << QVariant(6) << 0x608 << hex("00 00 04 00") << true;
    // Refused: the outcome says so and the state keeps the mouse's value.
    QTest::newRow("osprey rate 9") << "osprey" << "rate" << QVariant(9) << 0 << QByteArray() << false;
    QTest::newRow("kitec dpi out of range") << "kitec" << "dpi" << QVariant::fromValue(QList<DWORD>{100, 0})
                                            << 0x888 << QByteArray() << false;
    QTest::newRow("falcon only left button") << "falcon" << "button" << QVariant(4) << 0x600 << QByteArray() << false;
}

void TstDeviceState::requestLandsAndStateFollows()
{
    QFETCH(QString, name);
    QFETCH(QString, request);
    QFETCH(QVariant, value);
    QFETCH(int, address);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    SessionRig rig;
    const bool osprey = name == QLatin1String("osprey");
    auto falcon = osprey ? nullptr : rig.plug<FalconMouseDevice>(name);
    auto ospreyMouse = osprey ? rig.plug<OspreyMouseDevice>(name) : nullptr;
    QVERIFY(rig.open(name).ok);
    const DeviceState &s = rig.state();

    const int rateBefore = s.reportRate();
    const QList<DWORD> dpiBefore = s.dpiStages();
    DeviceSession::RequestId id = 0;
    if (request == QLatin1String("rate"))
        id = rig.session().setReportRate(value.toInt());
    else if (request == QLatin1String("lift"))
        id = rig.session().setLiftOff(value.toInt());
    else if (request == QLatin1String("button"))
        id = rig.session().setButton(value.toInt(), 0x41, 0, 29); // the key A
    else
        id = rig.session().setDpiStages(value.value<QList<DWORD>>());
    const RequestOutcome outcome = rig.wait(id);
    QCOMPARE(outcome.ok, ok);
    if (!ok) {
        const Warning expected = request == QLatin1String("button") ? Warning::OnlyLeftButton : Warning::ReadOrWriteFailed;
        QCOMPARE(outcome.warnings, QList<Warning>{expected});
        QCOMPARE(s.reportRate(), rateBefore);
        QCOMPARE(s.dpiStages(), dpiBefore);
        QVERIFY(s.button(value.toInt()).value_or(DeviceState::Button()).factory);
        return;
    }
    QCOMPARE(outcome.warnings, QList<Warning>{});

    if (!bytes.isEmpty()) {
        const QByteArray memory = osprey ? ospreyMouse->firmware().settings().mid(address, bytes.size())
                                         : falcon->firmware().memory(DWORD(address), bytes.size());
        QCOMPARE(memory.toHex(' '), bytes.toHex(' '));
    }
    if (request == QLatin1String("rate")) {
        QCOMPARE(s.reportRate(), value.toInt());
    } else if (request == QLatin1String("lift")) {
        QCOMPARE(s.liftOff(), value.toInt());
    } else if (request == QLatin1String("button")) {
        QVERIFY(s.button(value.toInt()));
        QVERIFY(!s.button(value.toInt())->factory);
        QVERIFY(s.button(5) && s.button(5)->factory);
    } else {
        QCOMPARE(s.dpiStages().mid(0, 3), (QList<DWORD>{1000, 2000, 0}));
        if (osprey) // the mouse holds the new stages where its factory stages were
            QVERIFY(ospreyMouse->firmware().settings().mid(58, 7) != OspreyMouseFirmware::factorySettings(3).mid(58, 7));
    }
}

void TstDeviceState::removalClearsTheState_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("watched"); // the presence path; else the request API
    QTest::newRow("kitec unplugged") << "kitec" << true;
    QTest::newRow("osprey unplugged") << "osprey" << true;
    QTest::newRow("kitec closed") << "kitec" << false;
}

void TstDeviceState::removalClearsTheState()
{
    QFETCH(QString, name);
    QFETCH(bool, watched);
    SessionRig rig;
    const DeviceState &s = rig.state();
    if (watched)
        rig.startWatching();
    auto device = rig.plug(name);
    QVERIFY(device);
    if (watched)
        QTRY_VERIFY(s.isOpen() && s.reportRate() >= 0);
    else
        QVERIFY(rig.open(name).ok);
    QVERIFY(!s.dpiStages().isEmpty());

    if (watched) {
        QVERIFY(rig.bus().unplug(device.get()));
        QTRY_VERIFY(!s.isOpen());
    } else {
        QVERIFY(rig.wait(rig.session().closeDevice()).ok);
        QVERIFY(!s.isOpen());
    }
    QCOMPARE(s.modelCode(), 0);
    QCOMPARE(int(s.productId()), 0);
    QVERIFY(s.dpiStages().isEmpty());
    QCOMPARE(s.reportRate(), -1);
    QVERIFY(!s.light());
    QVERIFY(s.buttons().isEmpty());

    // Opening what is not there leaves it empty too.
    if (!watched)
        QVERIFY(rig.bus().unplug(device.get()));
    const RequestOutcome failed = rig.open(name);
    QVERIFY(failed.known);
    QVERIFY(!failed.ok);
    QVERIFY(!s.isOpen());
    QCOMPARE(int(s.productId()), 0);
    QVERIFY(s.dpiStages().isEmpty());
}

void TstDeviceState::receiverOfAnotherMouseLeavesItEmpty()
{
    SessionRig rig;
    rig.startWatching();
    QSignalSpy warnings(rig.coordinator(), &DCDataHandle::sig_ShowWarningDialog);
    // A KiteC receiver paired with a FalconC (0x4137) mouse: the open ends with warning 44 and no result.
    rig.bus().plug(std::make_shared<FalconReceiverDevice>(0x180C, std::make_shared<FalconMouseDevice>(0x4137)));
    QTRY_VERIFY(warnings.contains(QList<QVariant>{44}));
    rig.session().runOnCoordinator([] {});
    QTRY_COMPARE(int(rig.state().productId()), 0);
    QVERIFY(!rig.state().isOpen());
}

void TstDeviceState::directReadsAnswerFromTheMouse_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("read");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");
    QTest::addColumn<QList<int>>("values");
    QTest::newRow("kitec lift-off") << "kitec" << "lift" << true << 3 << QList<int>();
    QTest::newRow("osprey lift-off") << "osprey" << "lift" << true << 7 << QList<int>();
    // Raw 600 lies in the step up to 607: 14 %, not smoothed.
    QTest::newRow("kitec battery") << "kitec-receiver" << "battery" << true << 14 << QList<int>();
    // Words D, E, G, H, I of profile 1, then the eight bytes of double word F.
    QTest::newRow("falcon screen") << "falcon" << "screen" << true << -1
                                   << QList<int>{1, 2, 3, 4, 5, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17};
    QTest::newRow("lift-off, nothing open") << "" << "lift" << false << -1 << QList<int>();
}

void TstDeviceState::directReadsAnswerFromTheMouse()
{
    QFETCH(QString, name);
    QFETCH(QString, read);
    QFETCH(bool, ok);
    QFETCH(int, value);
    QFETCH(QList<int>, values);
    SessionRig rig;
    if (name == QLatin1String("osprey")) {
        auto mouse = rig.plug<OspreyMouseDevice>(name);
        QVERIFY(mouse);
        loadOspreySettings(mouse->firmware());
    } else if (!name.isEmpty()) {
        auto mouse = falconMouse(rig, name);
        QVERIFY(mouse);
        loadFalconSettings(mouse->firmware());
        mouse->firmware().setMemory(0x89C, hex("01 00 00 00 02 00 00 00 10 11 12 13 14 15 16 17 03 00 00 00 04 00 00 00 05 00 00 00"));
        mouse->firmware().setPowerWord(600);
    }
    if (!name.isEmpty())
        QVERIFY(rig.open(name).ok);
    DeviceSession &session = rig.session();
    const RequestOutcome o = rig.wait(read == QLatin1String("lift")      ? session.readLiftOff()
                                      : read == QLatin1String("battery") ? session.readBatteryNow()
                                                                         : session.readScreenParameters());
    QVERIFY(o.known);
    QCOMPARE(o.ok, ok);
    QCOMPARE(o.value, value);
    QCOMPARE(o.values, values);
}

QTEST_GUILESS_MAIN(TstDeviceState)
#include "tst_devicestate.moc"
