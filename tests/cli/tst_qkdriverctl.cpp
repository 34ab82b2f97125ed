// End-to-end: the built qkdriverctl against simulated devices, each test in a fresh home.

#include "support/temphome.h"
#include "support/filesizelimit.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

namespace {
struct Result
{
    int code = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

QProcessEnvironment ctlEnvironment(const TempHome &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QKDRIVER_SIMULATE");
    env.remove("QKDRIVER_LOCK_WAIT_MS");
    env.insert("QKDRIVER_HOME", home.path());
    return env;
}

Result finish(QProcess &p)
{
    Result r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

Result ctl(const TempHome &home, const QStringList &args, const QProcessEnvironment &env = {})
{
    QProcess p;
    p.setProcessEnvironment(env.isEmpty() ? ctlEnvironment(home) : env);
    p.start(QKDRIVERCTL_BIN, args);
    return finish(p);
}

QJsonValue at(const Result &r, const QString &path) // "profile/dpi"
{
    QJsonValue v = r.json();
    for (const QString &key : path.split('/'))
        v = v.toObject().value(key);
    return v;
}
} // namespace

class TstQkdriverctl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void badInput_data();
    void badInput();
    void inputFileErrors_data();
    void inputFileErrors();
    void listDevices_data();
    void listDevices();
    void noDevice();
    void udevRules_data();
    void udevRules();
    void setThenShow_data();
    void setThenShow();
    void showWithoutMatchingConfiguration_data();
    void showWithoutMatchingConfiguration();
    void unreadableProfileIsNamed();
    void concurrentCommandsKeepEveryChange();
    void busyMouseIsRefused();
    void exportResetImport_data();
    void exportResetImport();
    void importRefusesForeignModel();
    void exportLeavesOutNamesImportRefuses();
    void importIsCheckedWholeAndAtomic_data();
    void importIsCheckedWholeAndAtomic();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void pairAndFirmware();
    void macroShowsInItsSlot();
    void watchReportsUntilInterrupted();
};

void TstQkdriverctl::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message"); // part of the one-line error
    const QStringList sim{"--simulate", "falcon"};
    QTest::newRow("no command") << QStringList{} << "no command";
    QTest::newRow("unknown command") << sim + QStringList{"fly"} << "unknown command \"fly\"";
    QTest::newRow("dpi not a number") << sim + QStringList{"set", "dpi", "12x"} << "\"12x\" is not a DPI value";
    QTest::newRow("dpi too high") << sim + QStringList{"set", "dpi", "800,99999"} << "\"99999\" is not a DPI value";
    QTest::newRow("outside the falcon's range") << sim + QStringList{"set", "dpi", "800,16050"} << "16050 DPI is not possible on the falcon; accepted: 50 to 16000 in steps of 50";
    QTest::newRow("off the falcon's step") << sim + QStringList{"set", "dpi", "825"} << "825 DPI is not possible";
    QTest::newRow("outside the kite's range") << QStringList{"--simulate", "kite", "set", "dpi", "5100"} << "accepted: 200 to 5000 in steps of 100";
    QTest::newRow("too many stages") << sim + QStringList{"set", "dpi", "100,200,300,400,500,600,700,800"} << "at most 7 DPI stages";
    QTest::newRow("rate") << sim + QStringList{"set", "rate", "333"} << "125, 250, 500 or 1000";
    QTest::newRow("light mode") << sim + QStringList{"set", "light", "disco"} << "unknown light mode";
    QTest::newRow("colour not hex") << sim + QStringList{"set", "light", "steady", "--color", "ZZ0000"} << "not a colour";
    QTest::newRow("colour too short") << sim + QStringList{"set", "light", "steady", "--color", "FFF"} << "not a colour";
    QTest::newRow("speed") << sim + QStringList{"set", "light", "breathing", "--speed", "10"} << "speed must be 0 to 9";
    QTest::newRow("button number") << sim + QStringList{"set", "button", "99", "key", "a"} << "not a button number";
    QTest::newRow("unknown key") << sim + QStringList{"set", "button", "5", "key", "hyper"} << "unknown key \"hyper\"";
    QTest::newRow("combo without modifier") << sim + QStringList{"set", "button", "5", "combo", "a"} << "not a combination";
    QTest::newRow("missing macro file") << sim + QStringList{"set", "button", "5", "macro", "/no/such.json"} << "does not exist";
    QTest::newRow("config number") << sim + QStringList{"config", "load", "6"} << "1 to 5";
    QTest::newRow("import missing") << sim + QStringList{"import", "/no/such/export.json"} << "cannot read";
    QTest::newRow("firmware missing") << sim + QStringList{"firmware", "update", "/no/fw.bin"} << "does not exist";
    QTest::newRow("unknown simulated device") << QStringList{"--simulate", "toaster", "list"} << "Unknown device \"toaster\"";
    // Numbers and colours are plain digits; surplus words and what the model lacks are refused.
    for (const QString colour : {"+12345", "0x1234", " 12345"})
        QTest::newRow(qPrintable("colour " + colour)) << sim + QStringList{"set", "light", "steady", "--color", colour} << "not a colour";
    QTest::newRow("dpi with a sign") << sim + QStringList{"set", "dpi", "+800"} << "\"+800\" is not a DPI value";
    QTest::newRow("dpi with a blank") << sim + QStringList{"set", "dpi", "800, 1600"} << "\" 1600\" is not a DPI value";
    QTest::newRow("config number with a blank") << sim + QStringList{"config", "load", " 1"} << "1 to 5";
    QTest::newRow("empty home") << QStringList{"--home", "", "--simulate", "falcon", "list"} << "--home needs a folder";
    for (const QString command : {"list", "info", "show", "udev-rules"})
        QTest::newRow(qPrintable(command + " x")) << sim + QStringList{command, "x"} << command + " takes no argument";
    QTest::newRow("key with a surplus word") << sim + QStringList{"set", "button", "6", "key", "a", "b"} << "\"b\" is one too many";
    QTest::newRow("button the falcon lacks") << sim + QStringList{"set", "button", "17", "key", "a"} << "the falcon has no button 17";
    QTest::newRow("more stages than the kite has") << QStringList{"--simulate", "kite", "set", "dpi", "200,300,400,500,600,700"}
                                                   << "the kite has at most 5 DPI stages";
}

void TstQkdriverctl::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TempHome home;
    const Result r = ctl(home, args);
    QCOMPARE(r.code, 2);
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(message.toUtf8()), lines.first().constData());
    // Nothing reached the mouse: no configuration was written (opening the mouse may create
    // the DPI page's own gear file, which is not a setting).
    QDirIterator it(home.file("/ConfigFiles"), {"Config*.json"}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
    // And the simulated mouse still holds its factory memory.
    if (args.contains("falcon") && home.read("/Simulator/falcon.state").size() > 0) {
        const Result show = ctl(home, {"--simulate", "falcon", "--json", "show"});
        const QJsonArray dpi = show.json().value("profile").toObject().value("dpi").toArray();
        QCOMPARE(dpi.size(), 7); // the factory stages, untouched
        QCOMPARE(dpi.first().toInt(), 800);
    }
}

void TstQkdriverctl::inputFileErrors_data()
{
    QTest::addColumn<QString>("command"); // device and what is written
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("garbage macro") << "falcon macro" << "/m.json" << QByteArray("{not json") << "is not JSON";
    QTest::newRow("empty macro") << "falcon macro" << "/m.json" << QByteArray() << "is empty";
    QTest::newRow("macro steps not a list") << "falcon macro" << "/m.json" << QByteArray(R"({"Macro":{"not":"an array"}})")
                                            << "is not a macro (no \"Macro\" list of steps)";
    QTest::newRow("macro without a step") << "falcon macro" << "/m.json" << QByteArray(R"({"Macro":[]})")
                                          << "holds no key or mouse-movement step";
    QTest::newRow("macro key without a code") << "falcon macro" << "/m.json" << QByteArray(R"({"Macro":[{"ValueType":3,"KeyValue":255}]})")
                                              << "cannot be written to this mouse (key 0xff has no";
    QTest::newRow("macro key the osprey lacks") << "osprey macro" << "/m.json" << QByteArray(R"({"Macro":[{"ValueType":3,"KeyValue":165}]})")
                                                << "cannot be written to this mouse (key 0xa5 has no code on it)";
    QTest::newRow("empty image") << "falcon firmware" << "/fw.bin" << QByteArray() << "is empty";
    QTest::newRow("oversized image") << "falcon firmware" << "/fw.bin" << QByteArray(0x20001, 'x') << "is larger than 131072 bytes";
    QTest::newRow("hex image") << "falcon firmware" << "/fw.hex" << QByteArray(":00000001FF") << "is a hex file";
}

void TstQkdriverctl::inputFileErrors()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    TempHome home;
    QVERIFY(home.write(file, content));
    const QStringList sim{"--simulate", command.section(' ', 0, 0)};
    const Result r = ctl(home, sim + (command.endsWith("macro") ? QStringList{"macro", "write", home.file(file)}
                                                                : QStringList{"firmware", "update", home.file(file)}));
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QString("\"%1\" %2").arg(home.file(file), reason).toUtf8()), r.err.constData());
    // Nothing reached the mouse: button 5 keeps its factory function.
    QCOMPARE(at(ctl(home, sim + QStringList{"--json", "show"}), "profile/buttons/5/default").toBool(), true);
}

void TstQkdriverctl::listDevices_data()
{
    QTest::addColumn<QString>("devices");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("receiver, cable, boot loader") << "falcon-receiver,heron,kite-boot"
        << QStringList{"0x1804 falcon receiver", "0x3000 kite boot loader", "0x4161 heron cable"};
    // The watcher's own mapping knows only FalconEU and Kite; no Falcon loader is an "osprey".
    for (const QString model : {"falcon", "falconq", "kitec"})
        QTest::newRow(qPrintable(model + "-boot")) << model + "-boot" << QStringList{"0x3000 " + model + " boot loader"};
    QTest::newRow("osprey-boot") << "osprey-boot" << QStringList{"0x1022 osprey boot loader"};
}

void TstQkdriverctl::listDevices()
{
    QFETCH(QString, devices);
    QFETCH(QStringList, expected);
    TempHome home;
    const Result r = ctl(home, {"--simulate", devices, "--json", "list"});
    QCOMPARE(r.code, 0);
    QStringList seen;
    for (const QJsonValue &d : r.json().value("devices").toArray())
        seen << d["productId"].toString() + ' ' + d["model"].toString() + ' ' + d["link"].toString()
                    + (d["access"].toString() == "ok" ? "" : " (access?)");
    seen.sort();
    QCOMPARE(seen, expected);
}

void TstQkdriverctl::noDevice()
{
    TempHome home;
    const Result list = ctl(home, {"--simulate", "", "list"});
    QCOMPARE(list.code, 3);
    const Result show = ctl(home, {"--simulate", "", "--json", "show"});
    QCOMPARE(show.code, 3);
    QCOMPARE(show.json().value("ok").toBool(true), false);
}

void TstQkdriverctl::udevRules_data()
{
    QTest::addColumn<QString>("vendorEnv");
    QTest::addColumn<QString>("vendor");
    QTest::newRow("built-in vendor id") << "" << "f00d";
    QTest::newRow("QKDRIVER_VENDOR_ID") << "0x1A2B" << "1a2b";
}

void TstQkdriverctl::udevRules()
{
    QFETCH(QString, vendorEnv);
    QFETCH(QString, vendor);
    TempHome home;
    QProcessEnvironment env = ctlEnvironment(home);
    env.remove("QKDRIVER_VENDOR_ID");
    if (!vendorEnv.isEmpty())
        env.insert("QKDRIVER_VENDOR_ID", vendorEnv);
    const Result r = ctl(home, {"udev-rules"}, env);
    QCOMPARE(r.code, 0);
    const QString receiver = QString("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"1804\", TAG+=\"uaccess\"\n").arg(vendor);
    QVERIFY2(r.out.contains(receiver.toUtf8()), r.out.constData());
    const Result json = ctl(home, {"--json", "udev-rules"}, env);
    QCOMPARE(json.json().value("file").toString(), QString("70-qkdriver.rules"));
    QCOMPARE(json.json().value("rules").toString().toUtf8(), r.out);
    // Nothing else is written while printing it.
    QVERIFY(QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

void TstQkdriverctl::setThenShow_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QStringList>("set");
    QTest::addColumn<QString>("path");   // where in "profile" to look, "a/b"
    QTest::addColumn<QString>("expected"); // compact JSON of that value
    for (const QString device : {"falcon", "falcon-receiver", "kitec", "osprey", "heron", "lark"}) {
        const QByteArray d = device.toUtf8();
        QTest::newRow(d + " dpi") << device << QStringList{"set", "dpi", "800,1600,3200"} << "dpi" << "[800,1600,3200]";
        QTest::newRow(d + " rate") << device << QStringList{"set", "rate", "250"} << "reportRate" << "250";
        QTest::newRow(d + " light") << device << QStringList{"set", "light", "breathing", "--color", "12AB34", "--speed", "2", "--brightness", "7"}
                                    << "light/logo" << R"({"brightness":7,"color":"12ab34","mode":"breathing","speed":2})";
        QTest::newRow(d + " key") << device << QStringList{"set", "button", "5", "key", "f5"} << "buttons/5/text" << "\"f5\"";
        QTest::newRow(d + " combo") << device << QStringList{"set", "button", "6", "combo", "ctrl+shift+z"} << "buttons/6/text" << "\"ctrl+shift+z\"";
        QTest::newRow(d + " disable") << device << QStringList{"set", "button", "7", "disable"} << "buttons/7/text" << "\"disabled\"";
    }
}

void TstQkdriverctl::setThenShow()
{
    QFETCH(QString, device);
    QFETCH(QStringList, set);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    TempHome home;
    const QStringList sim{"--simulate", device};
    const Result s = ctl(home, sim + set);
    QVERIFY2(s.code == 0, s.err.constData());
    // A second process: the simulated mouse kept the setting, as a real one would.
    const Result show = ctl(home, sim + QStringList{"--json", "show"});
    QCOMPARE(show.code, 0);
    QJsonValue v = show.json().value("profile");
    for (const QString &key : path.split('/'))
        v = v.toObject().value(key);
    const QByteArray actual = v.isObject() ? QJsonDocument(v.toObject()).toJson(QJsonDocument::Compact)
                            : v.isArray() ? QJsonDocument(v.toArray()).toJson(QJsonDocument::Compact)
                                          : QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
    QCOMPARE(QString::fromUtf8(actual), expected);
}

void TstQkdriverctl::showWithoutMatchingConfiguration_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("config1"); // what becomes of Config1.json; empty: deleted
    QTest::newRow("falcon, deleted") << "falcon" << QByteArray();
    QTest::newRow("falcon, corrupt") << "falcon" << QByteArray("{\"MouseDataOfGam");
    QTest::newRow("osprey, deleted") << "osprey" << QByteArray();
}

void TstQkdriverctl::showWithoutMatchingConfiguration()
{
    QFETCH(QString, device);
    QFETCH(QByteArray, config1);
    TempHome home;
    const QStringList sim{"--simulate", device};
    QCOMPARE(ctl(home, sim + QStringList{"set", "dpi", "800,1600,3200"}).code, 0);
    QCOMPARE(ctl(home, sim + QStringList{"set", "rate", "500"}).code, 0);
    const QString path = "/ConfigFiles/MouseFile/" + device + "/AFile/ConfigJsonFile/Config1.json";
    QVERIFY(config1.isEmpty() ? QFile::remove(home.file(path)) : home.write(path, config1));
    const Result r = ctl(home, sim + QStringList{"--json", "show"});
    QCOMPARE(r.code, 0);
    QCOMPARE(QJsonDocument(at(r, "profile/dpi").toArray()).toJson(QJsonDocument::Compact), QByteArray("[800,1600,3200]"));
    QCOMPARE(at(r, "profile/reportRate").toInt(), 500);
    QCOMPARE(at(r, "profile/matchesStoredConfiguration").toBool(true), false);
    QVERIFY(ctl(home, sim + QStringList{"show"}).out.contains("matches no stored configuration"));
}

void TstQkdriverctl::unreadableProfileIsNamed()
{
    // The simulated Osprey's profile fails its checksum: one bit of profile byte 1 flipped in
    // the emulator's memory file (after its 13-byte tag, the product id and version words and
    // the profile's 4-byte length).
    TempHome home;
    const QStringList sim{"--simulate", "osprey"};
    QCOMPARE(ctl(home, sim + QStringList{"set", "rate", "500"}).code, 0);
    QByteArray state = home.read("/Simulator/osprey.state");
    QCOMPARE(state.left(13), QByteArray("\0\0\0\x09QKOSPREY1", 13));
    state[22] = char(state.at(22) ^ 0x01);
    QVERIFY(home.write("/Simulator/osprey.state", state));
    for (const QStringList &command : {QStringList{"set", "dpi", "800"}, QStringList{"show"}}) {
        const Result r = ctl(home, sim + command);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("the profile could not be read from the osprey"), r.err.constData());
    }
    QVERIFY(ctl(home, sim + QStringList{"info"}).out.contains("firmware       unknown"));
}

void TstQkdriverctl::concurrentCommandsKeepEveryChange()
{
    TempHome home;
    const QStringList sim{"--simulate", "falcon"};
    const QList<QPair<QString, int>> rounds{{"800,1600", 250}, {"400,1200,2400", 500}, {"1000", 125},
                                            {"900,1800", 1000}, {"700,1400,2100", 250}, {"600", 500}};
    for (const auto &round : rounds) {
        QProcess dpi, rate;
        dpi.setProcessEnvironment(ctlEnvironment(home));
        rate.setProcessEnvironment(ctlEnvironment(home));
        dpi.start(QKDRIVERCTL_BIN, sim + QStringList{"set", "dpi", round.first});
        rate.start(QKDRIVERCTL_BIN, sim + QStringList{"set", "rate", QString::number(round.second)});
        QCOMPARE(finish(dpi).code, 0);
        QCOMPARE(finish(rate).code, 0);
        const Result show = ctl(home, sim + QStringList{"--json", "show"});
        QCOMPARE(QJsonDocument(at(show, "profile/dpi").toArray()).toJson(QJsonDocument::Compact), "[" + round.first.toUtf8() + "]");
        QCOMPARE(at(show, "profile/reportRate").toInt(), round.second);
    }
}

void TstQkdriverctl::busyMouseIsRefused()
{
    TempHome home;
    const QStringList setRate{"--simulate", "falcon", "set", "rate", "250"};
    {
        // Another process holds the mouse of this folder: given up after the wait, exit 1.
        QLockFile held(home.file("/qkdriver.lock"));
        QVERIFY(held.tryLock(0));
        QProcessEnvironment env = ctlEnvironment(home);
        env.insert("QKDRIVER_LOCK_WAIT_MS", "0");
        const Result r = ctl(home, setRate, env);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("is busy: tst_qkdriverctl (process " + QByteArray::number(QCoreApplication::applicationPid())),
                 r.err.constData());
    }
    // QKDriver keeps the mouse for as long as it runs: refused at once.
    QProcess gui;
    QProcessEnvironment env = ctlEnvironment(home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    gui.setProcessEnvironment(env);
    gui.start(QKDRIVER_GUI_BIN, {"--simulate", "falcon"});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(home.file("/qkdriver.lock")).size() > 0, 20000);
    const Result r = ctl(home, setRate);
    const qint64 pid = gui.processId();
    gui.kill();
    gui.waitForFinished();
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("QKDriver (process " + QByteArray::number(pid) + ") is using the mouse"), r.err.constData());
    QCOMPARE(at(ctl(home, {"--simulate", "falcon", "--json", "show"}), "profile/reportRate").toInt(), 1000);
}

void TstQkdriverctl::exportResetImport_data()
{
    QTest::addColumn<QString>("device");
    QTest::newRow("falcon") << "falcon";
    QTest::newRow("osprey") << "osprey";
    QTest::newRow("heron") << "heron";
}

void TstQkdriverctl::exportResetImport()
{
    QFETCH(QString, device);
    TempHome home;
    const QStringList sim{"--simulate", device};
    QCOMPARE(ctl(home, sim + QStringList{"set", "dpi", "800,1600"}).code, 0);
    // Configuration 2 is still the factory one: loading it and changing a button writes it.
    QCOMPARE(ctl(home, sim + QStringList{"config", "load", "2"}).code, 0);
    QCOMPARE(ctl(home, sim + QStringList{"set", "button", "5", "key", "q"}).code, 0);
    const QString model = device.section('-', 0, 0);
    auto configs = [&] {
        QMap<QString, QByteArray> files;
        for (int n = 1; n <= 5; ++n)
            files.insert(QString::number(n), home.read(QString("/ConfigFiles/MouseFile/%1/AFile/ConfigJsonFile/Config%2.json").arg(model).arg(n)));
        return files;
    };
    const auto before = configs();
    QVERIFY(!before.value("1").isEmpty());
    QVERIFY(!before.value("2").isEmpty());
    QVERIFY(before.value("1") != before.value("2"));
    const QString exportFile = home.file("/export.json");
    QCOMPARE(ctl(home, sim + QStringList{"export", exportFile}).code, 0);
    QCOMPARE(ctl(home, sim + QStringList{"config", "reset"}).code, 0);
    QVERIFY(configs() != before);
    const Result imported = ctl(home, sim + QStringList{"--json", "import", exportFile});
    QCOMPARE(imported.code, 0);
    // Files come back as JSON documents equal to the exported ones.
    const auto after = configs();
    for (const QString &n : before.keys()) {
        if (before.value(n).isEmpty())
            continue;
        QCOMPARE(QJsonDocument::fromJson(after.value(n)), QJsonDocument::fromJson(before.value(n)));
    }
}

void TstQkdriverctl::importRefusesForeignModel()
{
    TempHome home;
    const QString exportFile = home.file("/export.json");
    QCOMPARE(ctl(home, {"--simulate", "osprey", "export", exportFile}).code, 0);
    const Result r = ctl(home, {"--simulate", "heron", "import", exportFile});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains("the export is for osprey"));
    QVERIFY(home.write("/garbage.json", "{not json"));
    QCOMPARE(ctl(home, {"--simulate", "heron", "import", home.file("/garbage.json")}).code, 2);
    // A file far beyond any export is refused by its size, before it is read.
    QFile huge(home.file("/huge.json"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30)); // sparse
    huge.close();
    const Result big = ctl(home, {"--simulate", "heron", "import", huge.fileName()});
    QCOMPARE(big.code, 2);
    QVERIFY2(big.err.contains("is too large for an export (1073741824 bytes, at most 67108864)"), big.err.constData());
}

namespace {
// A configuration file of bytes byte(i) for an image of size bytes.
QJsonObject configuration(int size)
{
    QJsonObject image;
    for (int i = 0; i < size; ++i)
        image.insert(QString::number(i), i % 256);
    return QJsonObject{{"MouseDataOfGamingMode", image}};
}
} // namespace

void TstQkdriverctl::exportLeavesOutNamesImportRefuses()
{
    TempHome home;
    QVERIFY(home.write("/ConfigFiles/MacroFiles/good.json", R"({"Name":"good","Macro":[]})"));
    QVERIFY(home.write(QString::fromUtf8("/ConfigFiles/MacroFiles/\u202Egnp.json"), R"({"Name":"bidi","Macro":[]})"));
    const Result exported = ctl(home, {"--simulate", "falcon", "export", home.file("/e.json")});
    QCOMPARE(exported.code, 0);
    QVERIFY2(exported.err.contains("%E2%80%AEgnp.json\" left out: its name cannot be imported"), exported.err.constData());
    const QJsonObject macros = QJsonDocument::fromJson(home.read("/e.json")).object().value("macros").toObject();
    QCOMPARE(macros.keys(), QStringList{"good.json"});
    QCOMPARE(ctl(home, {"--simulate", "falcon", "import", home.file("/e.json")}).code, 0);
}

void TstQkdriverctl::importIsCheckedWholeAndAtomic_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("second"); // configuration 2, JSON; "" for none
    QTest::addColumn<QString>("macroName"); // a second macro beside the valid "ok.json"
    QTest::addColumn<QByteArray>("macro");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("blocker"); // a folder made below the home first
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QByteArray macro = R"({"Name":"m","Macro":[{"ValueType":3,"KeyValue":65,"State":0}]})";
    const QByteArray image = QJsonDocument(configuration(128)).toJson();
    QTest::newRow("incomplete image") << "falcon" << QByteArray(R"({"MouseDataOfGamingMode":{"5":1}})") << "" << QByteArray() << 1 << "" << 2 << "configuration 2: the profile image has 1 bytes, the falcon has 128";
    QTest::newRow("byte 300") << "falcon" << QByteArray(image).replace("\"7\": 7", "\"7\": 300") << "" << QByteArray() << 1 << "" << 2 << "profile byte 7 is missing or not a value 0..255";
    QTest::newRow("string byte") << "falcon" << QByteArray(image).replace("\"7\": 7", "\"7\": \"7\"") << "" << QByteArray() << 1 << "" << 2 << "profile byte 7";
    QTest::newRow("array for the image") << "falcon" << QByteArray(R"({"MouseDataOfGamingMode":[1,2]})") << "" << QByteArray() << 1 << "" << 2 << "no profile image";
    QTest::newRow("falcon image relabelled osprey") << "osprey" << image << "" << QByteArray() << 1 << "" << 2 << "the profile image has 128 bytes, the osprey has 234";
    QTest::newRow("macro size off its bytes") << "falcon" << QByteArray(image).replace("{\n    \"MouseDataOfGamingMode\"", R"({"MacroDataOfGamingMode":{"3":{"MacroSize":10,"RepeatTimes":1,"Macro":[1,2,3]}},"MouseDataOfGamingMode")") << "" << QByteArray() << 1 << "" << 2 << "macro slot 3: \"MacroSize\" does not match its 3 macro bytes";
    QTest::newRow("slot beyond the model's") << "falcon" << QByteArray(image).replace("{\n    \"MouseDataOfGamingMode\"", R"({"MacroDataOfGamingMode":{"14":{}},"MouseDataOfGamingMode")") << "" << QByteArray() << 1 << "" << 2 << "macro slot \"14\" is not a slot 0..13";
    QTest::newRow("unknown version") << "falcon" << QByteArray() << "" << QByteArray() << 2 << "" << 2 << "unknown version";
    QTest::newRow("name with NUL") << "falcon" << QByteArray() << QString::fromUtf8("a\0b.json", 8) << macro << 1 << "" << 2 << "invalid macro name \"a%00b.json\"";
    QTest::newRow("custom macro folder's name") << "falcon" << QByteArray() << "PlayerCustom" << macro << 1 << "" << 2 << "invalid macro name \"PlayerCustom\"";
    QTest::newRow("name without .json") << "falcon" << QByteArray() << "notes.txt" << macro << 1 << "" << 2 << "invalid macro name";
    QTest::newRow("bidi override in the name") << "falcon" << QByteArray() << QString::fromUtf8("\u202Egnp.json") << macro << 1 << "" << 2 << "invalid macro name \"%E2%80%AEgnp.json\"";
    QTest::newRow("name of 300 characters") << "falcon" << QByteArray() << QString(295, 'n') + ".json" << macro << 1 << "" << 2 << "invalid macro name";
    QTest::newRow("macro not an object") << "falcon" << QByteArray() << "list.json" << QByteArray("[1,2]") << 1 << "" << 2 << "invalid macro \"list.json\": not an object";
    QTest::newRow("macro above the read limit") << "falcon" << QByteArray() << "big.json" << QByteArray(R"({"Name":")" + QByteArray(17 * 1024 * 1024, 'n') + R"("})") << 1 << "" << 2 << "invalid macro \"big.json\": larger than the 16777216 bytes";
    QTest::newRow("second file cannot be written") << "falcon" << image << "z.json" << macro << 1 << "/ConfigFiles/MacroFiles/z.json" << 1 << "nothing imported, cannot write " ;
}

void TstQkdriverctl::importIsCheckedWholeAndAtomic()
{
    QFETCH(QString, device);
    QFETCH(QByteArray, second);
    QFETCH(QString, macroName);
    QFETCH(QByteArray, macro);
    QFETCH(int, version);
    QFETCH(QString, blocker);
    QFETCH(int, code);
    QFETCH(QString, message);
    TempHome home;
    // Valid parts first: under the old import they were written before the bad one was seen.
    QJsonObject configurations{{"1", configuration(device == "falcon" ? 128 : 234)}};
    if (!second.isEmpty())
        configurations.insert("2", QJsonDocument::fromJson(second).object());
    QJsonObject macros{{"ok.json", QJsonDocument::fromJson(R"({"Name":"ok","Macro":[]})").object()}};
    QByteArray bundle = QJsonDocument(QJsonObject{{"format", "qkdriver-configurations"}, {"version", version},
        {"model", device}, {"configurations", configurations}, {"macros", macros}}).toJson();
    if (!macroName.isEmpty()) // spliced in as text: a NUL or a non-object must reach the reader
        bundle.replace("\"macros\": {", "\"macros\": {\"" + macroName.toUtf8().replace('\0', "\\u0000") + "\": " + macro + ",");
    QVERIFY(home.write("/bundle.json", bundle));
    if (!blocker.isEmpty())
        QVERIFY(QDir().mkpath(home.file(blocker)));
    const Result r = ctl(home, {"--simulate", device, "import", home.file("/bundle.json")});
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    // Nothing was written: no configuration, no macro.
    QDirIterator it(home.file("/ConfigFiles"), {"Config*.json", "ok.json"}, QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
}

void TstQkdriverctl::failedSaveIsReported_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("fault"); // "folder", "home file" or "full disk"
    QTest::addColumn<QString>("done");  // the mouse half, still reported
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reason");
    const QString unsaved = "the mouse took the change, but it could not be saved: ";
    QTest::newRow("set dpi, folder in the way") << QStringList{"set", "dpi", "800,1600"} << "folder" << "dpi set" << unsaved << "Config1.json: a folder is in the way";
    QTest::newRow("config save, home is a file") << QStringList{"config", "save"} << "home file" << "profile saved as configuration 1" << unsaved << "cannot create the folder";
    QTest::newRow("macro write, full disk") << QStringList{"macro", "write", "MACRO"} << "full disk" << "button 5 set" << unsaved << "Config1.json: File too large";
    QTest::newRow("config reset, folder in the way") << QStringList{"config", "reset"} << "folder" << "factory settings restored" << unsaved << "Config1.json: a folder is in the way";
    QTest::newRow("export, full disk") << QStringList{"export", "EXPORT"} << "full disk" << "" << "cannot write \"" << "e.json\": File too large";
}

void TstQkdriverctl::failedSaveIsReported()
{
    QFETCH(QStringList, command);
    QFETCH(QString, fault);
    QFETCH(QString, done);
    QFETCH(QString, message);
    QFETCH(QString, reason);
    TempHome home;
    const QString config1 = "/ConfigFiles/MouseFile/falcon/AFile/ConfigJsonFile/Config1.json";
    QVERIFY(home.write("/m.json", R"({"Name":"a","Macro":[{"ValueType":3,"KeyValue":65,"TimeLapse":20,"State":0}]})"));
    command.replaceInStrings("MACRO", home.file("/m.json"));
    command.replaceInStrings("EXPORT", home.file("/e.json"));
    QStringList args{"--simulate", "falcon"};
    if (fault == "folder")
        QVERIFY(QDir().mkpath(home.file(config1)));
    if (fault == "home file")
        args << "--home" << home.file("/m.json");
    if (fault == "full disk")
        QCOMPARE(ctl(home, args + QStringList{"config", "save"}).code, 0);
    const QByteArray before = home.read(config1);
    Result r;
    {
        std::unique_ptr<FileSizeLimit> full(fault == "full disk" ? new FileSizeLimit(64) : nullptr);
        r = ctl(home, args + command);
    }
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out.trimmed(), done.toUtf8());
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    QVERIFY2(r.err.contains(reason.toUtf8()), r.err.constData());
    QCOMPARE(home.read(config1), before);
    QVERIFY(!QFile::exists(home.file("/e.json")));
}

void TstQkdriverctl::pairAndFirmware()
{
    TempHome home;
    // Pairing needs the receiver.
    const Result cable = ctl(home, {"--simulate", "falcon", "pair"});
    QCOMPARE(cable.code, 2);
    QVERIFY(cable.err.contains("needs the mouse's receiver"));
    const Result paired = ctl(home, {"--simulate", "falcon-receiver", "--json", "pair"});
    QCOMPARE(paired.code, 0);
    QVERIFY(paired.json().value("ok").toBool());

    // Firmware goes over the cable only; the simulated mouse then reports the image's version.
    QByteArray image(4096, '\x33');
    image.replace(image.size() - 4, 4, QByteArray::fromHex("39000000")); // version 57
    QVERIFY(home.write("/fw.bin", image));
    const Result air = ctl(home, {"--simulate", "falcon-receiver", "firmware", "update", home.file("/fw.bin")});
    QCOMPARE(air.code, 1);
    QVERIFY(air.err.contains("only be updated over the cable"));
    const Result update = ctl(home, {"--simulate", "falcon", "--json", "firmware", "update", home.file("/fw.bin")});
    QVERIFY2(update.code == 0, update.err.constData());
    const QJsonArray progress = update.json().value("progress").toArray();
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().toInt(), 100);
    const Result info = ctl(home, {"--simulate", "falcon", "--json", "info"});
    QCOMPARE(info.json().value("device").toObject().value("firmwareVersion").toInt(), 57);

    // A mouse left in its boot loader takes the image there: there is no mouse side to open.
    const Result boot = ctl(home, {"--simulate", "falcon-boot", "--json", "firmware", "update", home.file("/fw.bin")});
    QVERIFY2(boot.code == 0, boot.err.constData());
    QCOMPARE(boot.json().value("progress").toArray().last().toInt(), 100);

    // A version word with its top bit set is a large version, not a negative one.
    image.replace(image.size() - 4, 4, QByteArray::fromHex("39000080"));
    QVERIFY(home.write("/fw.bin", image));
    QCOMPARE(ctl(home, {"--simulate", "falcon", "firmware", "update", home.file("/fw.bin")}).code, 0);
    QCOMPARE(at(ctl(home, {"--simulate", "falcon", "--json", "info"}), "device/firmwareVersion").toDouble(), 2147483705.0);
    QVERIFY(ctl(home, {"--simulate", "falcon", "info"}).out.contains("firmware       2147483705\n"));
}

void TstQkdriverctl::macroShowsInItsSlot()
{
    TempHome home;
    // Press and release "A" with 20 ms between: two key steps.
    QVERIFY(home.write("/m.json", R"({"Name":"a","MacroType":1,"RepeatTimes":1,"Macro":[
        {"ValueType":3,"KeyValue":65,"TimeLapse":20,"State":0,"CoordinateX":0,"CoordinateY":0,"MouseValue":0,"Text":"A"},
        {"ValueType":3,"KeyValue":65,"TimeLapse":20,"State":1,"CoordinateX":0,"CoordinateY":0,"MouseValue":0,"Text":"A"}]})"));
    for (const QString device : {"falcon", "osprey"}) {
        const Result w = ctl(home, {"--simulate", device, "macro", "write", home.file("/m.json"), "--button", "6"});
        QVERIFY2(w.code == 0, w.err.constData());
        const Result show = ctl(home, {"--simulate", device, "--json", "show"});
        const QJsonObject profile = show.json().value("profile").toObject();
        QVERIFY2(!profile.value("macros").toObject().isEmpty(), qPrintable(device));
        QCOMPARE(profile.value("buttons").toObject().value("6").toObject().value("text").toString(), QString("macro"));
    }
}

void TstQkdriverctl::watchReportsUntilInterrupted()
{
    TempHome home;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QKDRIVER_HOME", home.path());
    p.setProcessEnvironment(env);
    p.start(QKDRIVERCTL_BIN, {"--simulate", "falcon", "--json", "watch"});
    QVERIFY(p.waitForStarted());
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains("\"found\""), 10000);
    const QJsonObject event = QJsonDocument::fromJson(out.left(out.indexOf('\n'))).object();
    QCOMPARE(event.value("event").toString(), QString("found"));
    QCOMPARE(event.value("detail").toString(), QString("0x4130 falcon"));
    p.terminate();
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TstQkdriverctl)
#include "tst_qkdriverctl.moc"
