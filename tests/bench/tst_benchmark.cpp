#include "common/apppaths.h"
#include "benchfixtures.h"
#include "benchmark.h"
#include "benchmeter.h"
#include "benchoptions.h"
#include "benchreport.h"
#include "benchrig.h"
#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "sim/virtualhidbus.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(BenchFigures)

namespace {
BenchOptions parsed(const QStringList &args)
{
    BenchOptions o;
    QString error;
    if (!BenchOptions::parse(args, &o, &error))
        qWarning() << "parse failed:" << error;
    return o;
}

const BenchResult *find(const QList<BenchResult> &results, const QString &id)
{
    for (const BenchResult &r : results) {
        if (r.id == id)
            return &r;
    }
    return nullptr;
}

BenchFigures figures(qint64 requests, qint64 transfers, qint64 out, qint64 in, qint64 slept,
                     qint64 wire, qint64 total)
{
    BenchFigures f;
    f.requests = requests;
    f.transfers = transfers;
    f.bytesOut = out;
    f.bytesIn = in;
    f.sleptMs = slept;
    f.wireMs = wire;
    f.totalMs = total;
    return f;
}

void compareTraffic(const BenchFigures &actual, const BenchFigures &expected)
{
    QCOMPARE(actual.requests, expected.requests);
    QCOMPARE(actual.transfers, expected.transfers);
    QCOMPARE(actual.bytesOut, expected.bytesOut);
    QCOMPARE(actual.bytesIn, expected.bytesIn);
    QCOMPARE(actual.sleptMs, expected.sleptMs);
    QCOMPARE(actual.wireMs, expected.wireMs);
    QCOMPARE(actual.totalMs, expected.totalMs);
}
} // namespace

class TstBenchmark : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void options_data();
    void options();
    void badOptions_data();
    void badOptions();
    void wireCost_data();
    void wireCost();
    void meterSeparatesSleptWireAndTimeouts();
    void falconMacroArea_data();
    void falconMacroArea();
    void ospreyMacroBlock_data();
    void ospreyMacroBlock();
    void firmwareImage();
    void commandSetFigures_data();
    void commandSetFigures();
    void speedTargets_data();
    void speedTargets();
    void firmwareUpdateFigures_data();
    void firmwareUpdateFigures();
    void selection_data();
    void selection();
    void managerAvailability_data();
    void managerAvailability();
    void quickRunOfEveryScenario();
    void table();
    void json();
};

void TstBenchmark::options_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("quick");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("wireMs");
    QTest::addColumn<int>("busyMs");
    QTest::addColumn<QString>("json");
    QTest::addColumn<QStringList>("only");
    QTest::addColumn<bool>("described");

    QTest::newRow("defaults") << QStringList{} << false << 100 << 1 << 1 << QString() << QStringList{}
                              << false;
    QTest::newRow("quick lowers the repeat") << QStringList{"--quick"} << true << 3 << 1 << 1
                                             << QString() << QStringList{} << false;
    QTest::newRow("quick keeps a given repeat") << QStringList{"--repeat", "7", "--quick"} << true << 7
                                                << 1 << 1 << QString() << QStringList{} << false;
    QTest::newRow("values, both spellings")
        << QStringList{"--wire-ms=2", "--falcon-write-busy-ms", "0", "--json", "out.json"} << false
        << 100 << 2 << 0 << QString("out.json") << QStringList{} << false;
    QTest::newRow("only, repeated") << QStringList{"--only", "falcon", "--only=firmware"} << false
                                    << 100 << 1 << 1 << QString() << QStringList{"falcon", "firmware"}
                                    << false;
    QTest::newRow("described pacing") << QStringList{"--described-pacing"} << false << 100 << 1 << 1
                                      << QString() << QStringList{} << true;
}

void TstBenchmark::options()
{
    QFETCH(QStringList, args);
    BenchOptions o;
    o.repeat = -1;
    QString error;
    QVERIFY2(BenchOptions::parse(args, &o, &error), qPrintable(error));
    QTEST(o.quick, "quick");
    QTEST(o.repeat, "repeat");
    QTEST(o.wireMs, "wireMs");
    QTEST(o.falconWriteBusyMs, "busyMs");
    QTEST(o.jsonFile, "json");
    QTEST(o.only, "only");
    QTEST(o.describedPacing, "described");
}

void TstBenchmark::badOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("errorPart");

    QTest::newRow("unknown") << QStringList{"--fast"} << QString("unknown option \"--fast\"");
    QTest::newRow("flag with a value") << QStringList{"--quick=1"} << QString("unknown option");
    QTest::newRow("missing value") << QStringList{"--wire-ms"} << QString("--wire-ms needs a value");
    QTest::newRow("negative time") << QStringList{"--falcon-write-busy-ms", "-1"} << QString("not a whole number >= 0");
    QTest::newRow("not a number") << QStringList{"--wire-ms", "1.5"} << QString("\"1.5\"");
    QTest::newRow("zero repeat") << QStringList{"--repeat", "0"} << QString(">= 1");
    QTest::newRow("empty json name") << QStringList{"--json="} << QString("--json needs a file name");
    QTest::newRow("json without name") << QStringList{"--json"} << QString("--json needs a file name");
}

void TstBenchmark::badOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, errorPart);
    BenchOptions o;
    QString error;
    QVERIFY(!BenchOptions::parse(args, &o, &error));
    QVERIFY2(error.contains(errorPart), qPrintable(error));
}

void TstBenchmark::wireCost_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("msPer64");
    QTest::addColumn<int>("expected");

    QTest::newRow("empty transfer still costs a packet") << 0 << 1 << 1;
    QTest::newRow("Falcon report") << 32 << 1 << 1;
    QTest::newRow("boot loader report: id 0 and 64 bytes") << 65 << 1 << 1;
    QTest::newRow("one byte more") << 66 << 1 << 2;
    QTest::newRow("Osprey command report") << 6 << 1 << 1;
    QTest::newRow("Osprey data report") << 1032 << 1 << 17;
    QTest::newRow("Osprey profile frame") << 513 << 1 << 8;
    QTest::newRow("slower wire") << 1032 << 3 << 51;
    QTest::newRow("no wire time") << 1032 << 0 << 0;
}

void TstBenchmark::wireCost()
{
    QFETCH(int, bytes);
    QFETCH(int, msPer64);
    QTEST(BenchMeter::wireCost(bytes, msPer64), "expected");
}

void TstBenchmark::meterSeparatesSleptWireAndTimeouts()
{
    ScopedVirtualPacing pacing;
    VirtualHidBus bus;
    HidDeviceInfo info;
    info.vendorId = 0xF00D;
    info.productId = 0x4122;
    info.usagePage = 0xFF00;
    info.inputReportLength = 32;
    auto device = std::make_shared<ScriptableHidDevice>(QList<HidDeviceInfo>{info});
    device->setStandingFeatureReport(0, QByteArray(1032, '\6'));
    bus.plug(device);
    BenchMeter meter(bus, pacing.clock(), 1);
    QList<HidDeviceInfo> list;
    QVERIFY(bus.enumerate(&list));
    QCOMPARE(list.size(), 1);
    auto connection = bus.open(list.first().path);
    QVERIFY(connection);

    pacing.clock().advanceMs(500); // before the measurement: not counted
    meter.begin();
    Pacer::sleepMs(10);
    QCOMPARE(connection->writeOutputReport(QByteArray(32, '\x01')), 32);
    QByteArray reply;
    QCOMPARE(connection->getFeatureReport(6, 1032, &reply), 1032);
    QCOMPARE(connection->readInputReport(&reply, 32, 50), 0); // nothing: its time-out passes
    const BenchFigures f = meter.end();
    // slept 10, wire 1 + 17, time-out 50
    compareTraffic(f, figures(1, 2, 32, 1032, 10, 18, 78));
    QVERIFY(f.cpuMs >= 0.0);
    QCOMPARE(meter.requests(), 1);
    QCOMPARE(meter.wireMs(), 18);
}

void TstBenchmark::falconMacroArea_data()
{
    QTest::addColumn<int>("nodes");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("usedBytes");

    QTest::newRow("one press") << 1 << QByteArray::fromHex("07000100" "150004") << 7;
    QTest::newRow("press and release") << 2 << QByteArray::fromHex("0A000100" "150004" "140004") << 10;
    QTest::newRow("largest") << 1363 << QByteArray::fromHex("FD0F0100" "150004" "140004") << 4093;
    QTest::newRow("none") << 0 << QByteArray() << 0;
    QTest::newRow("one too many") << 1364 << QByteArray() << 0;
}

void TstBenchmark::falconMacroArea()
{
    QFETCH(int, nodes);
    QFETCH(QByteArray, head);
    QFETCH(int, usedBytes);
    const QByteArray area = BenchFixtures::falconMacroArea(nodes);
    if (head.isEmpty()) {
        QVERIFY(area.isEmpty());
        return;
    }
    QCOMPARE(area.size(), 4096);
    QCOMPARE(area.left(head.size()), head);
    QVERIFY(area.mid(usedBytes) == QByteArray(4096 - usedBytes, '\0'));
    QVERIFY(area.at(usedBytes - 1) == char(0x04)); // the last node's usage
}

void TstBenchmark::ospreyMacroBlock_data()
{
    QTest::addColumn<int>("items");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("tail"); // bytes 1018..1023

    QTest::newRow("end word only") << 1 << QByteArray::fromHex("8C010000") << QByteArray(6, '\0');
    QTest::newRow("press, release, end") << 3 << QByteArray::fromHex("8C01" "0A04" "8A04" "0000")
                                         << QByteArray(6, '\0');
    // 510 key words (the last, number 509, a release) fill bytes 2..1021, the end word 1022..1023.
    QTest::newRow("full") << 511 << QByteArray::fromHex("8C01" "0A04" "8A04")
                          << QByteArray::fromHex("0A04" "8A04" "0000");
    QTest::newRow("too many") << 512 << QByteArray() << QByteArray();
}

void TstBenchmark::ospreyMacroBlock()
{
    QFETCH(int, items);
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, tail);
    const QByteArray block = BenchFixtures::ospreyMacroBlock(0x8C, items);
    if (head.isEmpty()) {
        QVERIFY(block.isEmpty());
        return;
    }
    QCOMPARE(block.size(), 1024);
    QCOMPARE(block.left(head.size()), head);
    QCOMPARE(block.mid(1018), tail);
}

void TstBenchmark::firmwareImage()
{
    const QByteArray image = BenchFixtures::firmwareImage(61440, 0x01020321);
    QCOMPARE(image.size(), 61440);
    QCOMPARE(image.right(4), QByteArray::fromHex("21030201"));
    QVERIFY(image.left(4096).count('\0') < 64); // not a blank image
    QCOMPARE(BenchFixtures::firmwareImage(61440, 0x01020321), image); // the same on every run
    QVERIFY(BenchFixtures::firmwareImage(3, 1).isEmpty());
}

void TstBenchmark::commandSetFigures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("id");
    QTest::addColumn<BenchFigures>("expected");

    // A2, A9, AA, then the 44-byte button table (24 + 20) and the 68-byte settings block
    // (24 + 24 + 20): 8 commands of 32 bytes, each answered at the first poll 10 ms later
    // (described pacing) or at once (adaptive).
    const QStringList described{"--described-pacing"};
    const BenchFigures image = figures(8, 16, 256, 256, 80, 16, 96);
    QTest::newRow("profile image, wired") << described << "cmdset.falcon.profile-image.wired" << image;
    QTest::newRow("profile image, receiver")
        << described << "cmdset.falcon.profile-image.receiver" << image;
    QTest::newRow("profile image, adaptive") << QStringList{} << "cmdset.falcon.profile-image.wired"
                                             << figures(8, 16, 256, 256, 0, 16, 16);
    // 4093 bytes: 170 chunks of 24 and one of 13 = 171 writes, the figure of the original design.
    QTest::newRow("4 KiB macro") << described << "cmdset.falcon.macro-4k"
                                 << figures(171, 342, 5472, 5472, 1710, 342, 2052);
    // Adaptive: the write is done by the time the poll sent at once reaches the mouse: the write
    // and one poll, 2 ms per chunk (the floor).
    QTest::newRow("4 KiB macro, adaptive") << QStringList{} << "cmdset.falcon.macro-4k"
                                           << figures(171, 342, 5472, 5472, 0, 342, 342);
    // A flash busy for 5 ms after each write: polls at 1 ms (busy), 3 ms (busy) and 5 ms after
    // it: one write and three polls, 2 ms slept, 6 ms in all per chunk.
    QTest::newRow("4 KiB macro, adaptive, 5 ms flash")
        << QStringList{"--falcon-write-busy-ms", "5"} << "cmdset.falcon.macro-4k"
        << figures(171, 684, 5472, 16416, 342, 684, 1026);
    // Busy for 15 ms: the poll 11 ms after the write sees "busy", the next (22 ms) the result.
    QTest::newRow("4 KiB macro, slow flash")
        << QStringList{"--falcon-write-busy-ms", "15", "--described-pacing"} << "cmdset.falcon.macro-4k"
        << figures(171, 513, 5472, 10944, 3420, 513, 3933);
    // The profile frame on the data channel (a 1032-byte report, 17 ms), then one status pass:
    // 82 on the command channel (6 bytes, 1 ms) and the 1032-byte status reply. Sleeps: 100
    // before the send, 100 after it (described pacing only), 100 + 100 in the status pass.
    QTest::newRow("Osprey profile write") << described << "cmdset.osprey.profile-write"
                                          << figures(2, 3, 1038, 1032, 400, 35, 435);
    QTest::newRow("Osprey profile write, adaptive") << QStringList{} << "cmdset.osprey.profile-write"
                                                    << figures(2, 3, 1038, 1032, 300, 35, 335);
    // Per slot: 84 (6 bytes) and its 1032-byte reply, 50 ms (described pacing only), one status
    // pass: 4 transfers, 450 (400) ms slept, 36 ms on the wire.
    QTest::newRow("Osprey 17-macro read") << described << "cmdset.osprey.macro-read-17"
                                          << figures(34, 68, 17 * 12, 17 * 2064, 17 * 450, 17 * 36,
                                                     17 * 486);
    QTest::newRow("Osprey 17-macro read, adaptive") << QStringList{} << "cmdset.osprey.macro-read-17"
                                                    << figures(34, 68, 17 * 12, 17 * 2064, 17 * 400,
                                                               17 * 36, 17 * 436);
    QTest::newRow("4 KiB macro, no wire time") << QStringList{"--wire-ms", "0", "--described-pacing"}
                                               << "cmdset.falcon.macro-4k"
                                               << figures(171, 342, 5472, 5472, 1710, 0, 1710);
}

void TstBenchmark::commandSetFigures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, id);
    QFETCH(BenchFigures, expected);
    BenchOptions o = parsed(args + QStringList{"--quick", "--only", id});
    const QList<BenchResult> results = Benchmark(o).run();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().id, id);
    QCOMPARE(results.first().group, 0);
    QCOMPARE(BenchResult::statusName(results.first().status), QString("ok"));
    compareTraffic(results.first().figures, expected);
}

void TstBenchmark::speedTargets_data()
{
    // The whole stack on the default model: what opening, a DPI change, a 4 KiB macro and
    // loading a stored configuration cost (the speed targets: at most 30 requests and 100 ms,
    // 1 s with 14 typical macros, 5 s with 14 full slots, 4 requests and 20 ms, 0.5 s, only the
    // chunks that differ).
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("id");
    QTest::addColumn<BenchFigures>("expected");
    const QStringList none;
    QTest::newRow("open, empty slots") << none << "open.falcon.wired.empty" << figures(29, 58, 928, 928, 0, 58, 58);
    QTest::newRow("open, 14 macros of 202 bytes")
        << none << "open.falcon.wired.typical" << figures(141, 282, 4512, 4512, 0, 282, 282);
    QTest::newRow("open, 14 full slots")
        << none << "open.falcon.wired.full" << figures(2409, 4818, 77088, 77088, 0, 4818, 4818);
    QTest::newRow("DPI list change") << none << "dpi.falcon" << figures(4, 8, 128, 128, 0, 8, 8);
    QTest::newRow("4 KiB macro") << none << "macro.falcon.4k" << figures(173, 346, 5536, 5536, 0, 346, 346);
    QTest::newRow("load, equal to the mouse") << none << "load-config.falcon.full" << figures(5, 10, 160, 160, 0, 10, 10);
    QTest::newRow("load, one macro differs")
        << none << "load-config.falcon.one-macro-differs" << figures(7, 14, 224, 224, 0, 14, 14);
    // A flash busy 5 ms after each write: the three writes of a DPI change are polled at 1, 3
    // and 5 ms (2 ms slept each); the change still fits 20 ms.
    QTest::newRow("DPI list change, 5 ms flash")
        << QStringList{"--falcon-write-busy-ms", "5"} << "dpi.falcon" << figures(4, 14, 128, 320, 6, 14, 20);
}

void TstBenchmark::speedTargets()
{
    QFETCH(QStringList, args);
    QFETCH(QString, id);
    QFETCH(BenchFigures, expected);
    const QList<BenchResult> results = Benchmark(parsed(args + QStringList{"--quick", "--only", id})).run();
    QCOMPARE(results.size(), 1);
    QCOMPARE(BenchResult::statusName(results.first().status), QString("ok"));
    compareTraffic(results.first().figures, expected);
}

void TstBenchmark::firmwareUpdateFigures_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<BenchFigures>("expected");

    // Restart request (32 bytes, no reply), sync, A0 with the first 48 bytes, continuations of
    // 56, run (no reply); every ISP packet is a 65-byte report and 1 ms on the wire. Slept:
    // 3000 after the restart, 2000 before the boot loader is found, 2000 after run,
    // 5 × 100 progress steps, 500 + 100 around the result.
    // 60 KiB: (61440 - 48) / 56 → 1097 continuations; 1101 requests, 1099 replies.
    QTest::newRow("60 KiB") << "firmware.falcon.60k"
                            << figures(1101, 2200, 32 + 1100 * 65, 1099 * 65, 8100, 2200, 10300);
    // 128 KiB: (131072 - 48) / 56 → 2340 continuations; 2344 requests, 2342 replies.
    QTest::newRow("128 KiB") << "firmware.falcon.128k"
                             << figures(2344, 4686, 32 + 2343 * 65, 2342 * 65, 8100, 4686, 12786);
}

void TstBenchmark::firmwareUpdateFigures()
{
    QFETCH(QString, id);
    QFETCH(BenchFigures, expected);
    const QList<BenchResult> results = Benchmark(parsed({"--quick", "--only", id})).run();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().group, 5);
    QVERIFY2(results.first().status == BenchResult::Status::Ok, qPrintable(results.first().note));
    compareTraffic(results.first().figures, expected);
}

void TstBenchmark::selection_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("ids");

    QTest::newRow("firmware") << QStringList{"--only", "firmware"}
                              << QStringList{"firmware.falcon.60k", "firmware.falcon.128k"};
    QTest::newRow("two parts, case ignored")
        << QStringList{"--only", "HERON", "--only", "compare.osprey"}
        << QStringList{"open.heron", "compare.osprey.5-configs"};
    QTest::newRow("nothing") << QStringList{"--only", "no-such-scenario"} << QStringList{};
}

void TstBenchmark::selection()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, ids);
    Benchmark bench(parsed(args));
    QCOMPARE(bench.selectedIds(), ids);
}

void TstBenchmark::managerAvailability_data()
{
    QTest::addColumn<int>("productId");
    QTest::addColumn<bool>("available");

    QTest::newRow("Falcon cable") << 0x4130 << true;
    QTest::newRow("Falcon receiver") << 0x1804 << true;
    QTest::newRow("Osprey") << 0x4122 << true;
    QTest::newRow("Heron") << 0x4161 << true;
    QTest::newRow("boot loader") << 0x3000 << false;
    QTest::newRow("unknown") << 0x1234 << false;
}

void TstBenchmark::managerAvailability()
{
    QFETCH(int, productId);
    QTEST(BenchRig::managerAvailable(USHORT(productId)), "available");
}

void TstBenchmark::quickRunOfEveryScenario()
{
    const QString homeBefore = AppPaths::applicationDir();
    // (No wall-clock bound here: under the sanitizers' slow malloc traces this run takes tens
    // of seconds, while a plain build runs the whole benchmark in under a second.)
    const BenchOptions o = parsed({"--quick"});
    Benchmark bench(o);
    const QStringList ids = bench.selectedIds();
    int progressCalls = 0;
    const QList<BenchResult> results = bench.run([&](const BenchResult &) { ++progressCalls; });
    QCOMPARE(results.size(), ids.size());
    QCOMPARE(progressCalls, ids.size());
    QVERIFY(results.size() >= 22);
    QSet<QString> seen;
    QSet<int> groups;
    for (const BenchResult &r : results) {
        QVERIFY2(!seen.contains(r.id), qPrintable(r.id));
        seen.insert(r.id);
        groups.insert(r.group);
        // Every family's manager is in the build: every scenario runs and succeeds.
        QVERIFY2(r.status == BenchResult::Status::Ok, qPrintable(r.id + ": " + r.note));
        // Only finding the stored configuration may do without the device; nothing else runs
        // without time passing on the virtual clock.
        QVERIFY2(r.figures.totalMs > 0 || r.group == 6, qPrintable(r.id));
        QVERIFY2(r.figures.requests > 0 || r.group == 6, qPrintable(r.id));
        QVERIFY(r.figures.totalMs >= r.figures.sleptMs + r.figures.wireMs);
        QVERIFY(r.figures.transfers >= r.figures.requests);
    }
    QCOMPARE(groups, (QSet<int>{0, 1, 2, 3, 4, 5, 6}));
    QVERIFY(find(results, "firmware.falcon.60k"));
    // Each rig works in a folder of its own and leaves the application folder as it was.
    QCOMPARE(AppPaths::applicationDir(), homeBefore);
}

void TstBenchmark::table()
{
    BenchResult a;
    a.id = "x.one";
    a.title = "First";
    a.group = 1;
    a.status = BenchResult::Status::Ok;
    a.figures = figures(171, 342, 5472, 5472, 1710, 342, 2052);
    a.figures.cpuMs = 0.39149;
    BenchResult b;
    b.id = "x.two";
    b.title = "Second, longer title";
    b.group = 0;
    b.status = BenchResult::Status::Unavailable;
    b.note = "no manager";
    BenchResult c = a;
    c.title = "Third";
    c.group = 6;
    c.status = BenchResult::Status::Failed;
    c.figures.cpuMs = 12.34;
    c.note = "warning 32";
    BenchOptions o;
    const QString expected = QStringLiteral(
        "#  Scenario              Status  Requests  Transfers  Bytes out  Bytes in  Slept ms  Wire ms  Total ms  CPU ms  Note\n"
        "1  First                 ok           171        342       5472      5472      1710      342      2052   0.391\n"
        "-  Second, longer title  n/a            -          -          -         -         -        -         -       -  no manager\n"
        "6  Third                 FAILED       171        342       5472      5472      1710      342      2052    12.3  warning 32\n"
        "Latency model: 1 ms per started 64 bytes of report data (report id not counted, at least 1 ms "
        "per transfer), Falcon memory write busy 1 ms; adaptive pacing; CPU-only scenarios repeated 100 "
        "times.\n");
    QCOMPARE(BenchReport::table({a, b, c}, o), expected);
}

void TstBenchmark::json()
{
    BenchResult a;
    a.id = "x.one";
    a.title = "First";
    a.group = 3;
    a.status = BenchResult::Status::Ok;
    a.figures = figures(1, 2, 32, 64, 10, 2, 12);
    a.figures.cpuMs = 0.5;
    BenchResult b;
    b.id = "x.two";
    b.title = "Second";
    b.status = BenchResult::Status::Unavailable;
    b.note = "no manager";
    BenchOptions o = parsed({"--quick", "--wire-ms", "2"});
    QTemporaryDir dir;
    const QString path = dir.path() + "/bench.json";
    QVERIFY(BenchReport::writeJson(path, {a, b}, o));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    const QJsonObject model = root.value("latencyModel").toObject();
    QCOMPARE(model.value("wireMsPer64Bytes").toInt(), 2);
    QCOMPARE(model.value("falconWriteBusyMs").toInt(), 1);
    QCOMPARE(model.value("pollPacing").toString(), QString("adaptive"));
    QCOMPARE(model.value("cpuRepeat").toInt(), 3);
    QCOMPARE(model.value("quick").toBool(), true);
    const QJsonArray scenarios = root.value("scenarios").toArray();
    QCOMPARE(scenarios.size(), 2);
    const QJsonObject one = scenarios.at(0).toObject();
    QCOMPARE(one.value("id").toString(), QString("x.one"));
    QCOMPARE(one.value("title").toString(), QString("First"));
    QCOMPARE(one.value("group").toInt(), 3);
    QCOMPARE(one.value("status").toString(), QString("ok"));
    QCOMPARE(one.value("requests").toInt(), 1);
    QCOMPARE(one.value("transfers").toInt(), 2);
    QCOMPARE(one.value("bytesOut").toInt(), 32);
    QCOMPARE(one.value("bytesIn").toInt(), 64);
    QCOMPARE(one.value("sleptMs").toInt(), 10);
    QCOMPARE(one.value("wireMs").toInt(), 2);
    QCOMPARE(one.value("totalMs").toInt(), 12);
    QCOMPARE(one.value("cpuMs").toDouble(), 0.5);
    const QJsonObject two = scenarios.at(1).toObject();
    QCOMPARE(two.value("status").toString(), QString("n/a"));
    QCOMPARE(two.value("note").toString(), QString("no manager"));
    QVERIFY(two.value("requests").isNull());
    QVERIFY(two.value("totalMs").isNull());
    // A file that cannot be written is reported, not half-written.
    QVERIFY(!BenchReport::writeJson(dir.path() + "/no/such/folder/bench.json", {a}, o));
}

QTEST_GUILESS_MAIN(TstBenchmark)
#include "tst_benchmark.moc"
