// End-to-end: the built qkdriverctl against simulated devices, each test in a fresh home.

#include "temphome.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

Result ctl(const TempHome &home, const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QKDRIVER_SIMULATE");
    env.insert("QKDRIVER_HOME", home.path());
    p.setProcessEnvironment(env);
    p.start(QKDRIVERCTL_BIN, args);
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
} // namespace

class TstQkdriverctl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void badInput_data();
    void badInput();
    void listDevices();
    void noDevice();
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
    // Nothing reached the mouse: no configuration file was written.
    QVERIFY(!QDir(home.file("/ConfigFiles/MouseFile")).exists()
            || QDir(home.file("/ConfigFiles/MouseFile")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TstQkdriverctl::listDevices()
{
    TempHome home;
    const Result r = ctl(home, {"--simulate", "falcon-receiver,heron,kite-boot", "--json", "list"});
    QCOMPARE(r.code, 0);
    const QJsonArray devices = r.json().value("devices").toArray();
    QStringList seen;
    for (const QJsonValue &d : devices)
        seen << d["productId"].toString() + ' ' + d["model"].toString() + ' ' + d["link"].toString();
    seen.sort();
    QCOMPARE(seen, (QStringList{"0x1804 falcon receiver", "0x3000 kite boot loader", "0x4161 heron cable"}));
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

QTEST_GUILESS_MAIN(TstQkdriverctl)
#include "tst_qkdriverctl.moc"
