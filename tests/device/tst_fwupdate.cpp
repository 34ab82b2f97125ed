#include "device/watcher/checkdevice.h"
#include "sim/falconmousedevice.h"
#include "device/firmware/fwupdate.h"
#include "hid/hidparse.h"
#include "support/logcapture.h"
#include "common/mousetype.h"
#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "sim/stubhiddevice.h"
#include "support/temphome.h"
#include "sim/virtualhidbus.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kMouse = QStringLiteral("VID_F00D&PID_4130");
const QString kBoot = QStringLiteral("VID_F00D&PID_3000");

// A Falcon mouse that keeps every report the host sends, in order, before the firmware sees it.
class RecordingFalconMouse : public FalconMouseDevice
{
public:
    using FalconMouseDevice::FalconMouseDevice;
    QList<QByteArray> reports; // every output report, either mode
    QList<QByteArray> ispReports() const
    {
        QList<QByteArray> out;
        for (const QByteArray &r : reports)
            if (r.size() == 65)
                out << r;
        return out;
    }
    // "A4/1 A0/3 00/5 ...": command and packet number of every ISP report sent.
    QString sequence() const
    {
        QStringList out;
        for (const QByteArray &r : ispReports())
            out << QStringLiteral("%1/%2")
                       .arg(quint8(r.at(1)), 2, 16, QLatin1Char('0'))
                       .arg(quint8(r.at(5)))
                       .toUpper();
        return out.join(QLatin1Char(' '));
    }

protected:
    int onOutputReport(int index, const QByteArray &report) override
    {
        reports << report;
        return FalconMouseDevice::onOutputReport(index, report);
    }
};

// Image bytes 0, 1, 2, ... (mod 256), its last four bytes replaced by the version.
QByteArray makeImage(int size, quint32 version)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i & 0xFF);
    if (size >= 4)
        for (int k = 0; k < 4; ++k)
            image[size - 4 + k] = char((version >> (8 * k)) & 0xFF);
    return image;
}

// A 65-byte report from literal hex, zero-filled.
QByteArray hex65(const char *hex)
{
    return QByteArray::fromHex(hex).leftJustified(65, '\0');
}

QList<uint> percents(const QSignalSpy &spy)
{
    QList<uint> out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toUInt();
    return out;
}

using Faults = QList<QPair<int, quint32>>;

// One update's surroundings: virtual clock, temporary home, log capture, a virtual bus as the
// process-wide backend, and an updater with both signals watched.
struct Rig
{
    ScopedVirtualPacing pacing;
    TempHome home;
    LogCapture logs;
    VirtualHidBus bus;
    ScopedHidBackend backend{&bus};
    FwUpdate fw;
    QSignalSpy result{&fw, &FwUpdate::sigUpdateResult};
    QSignalSpy percent{&fw, &FwUpdate::sigPercent};

    explicit Rig(const QString &mouseSelector = kMouse)
    {
        fw.setVerboseTrace(true);
        fw.setSelectors(mouseSelector, kBoot);
    }

    std::shared_ptr<RecordingFalconMouse> plugMouse(USHORT pid, FalconMouseDevice::Mode mode,
                                                    const Faults &faults = {})
    {
        auto mouse = std::make_shared<RecordingFalconMouse>(pid, mode);
        for (const auto &f : faults)
            mouse->bootLoader().injectFault(IspBootLoaderFirmware::Fault(f.first), f.second);
        bus.plug(mouse);
        return mouse;
    }

    // 1 / 0 for the one sigUpdateResult(true / false) seen so far, -1 for none or several.
    int outcome() const
    {
        return result.count() == 1 ? int(result.first().at(0).toBool()) : -1;
    }

    // Writes the image to the file `name` in the home and runs a whole update with it.
    int update(const QByteArray &image, const QString &name = QStringLiteral("/fw.bin"))
    {
        if (!home.write(name, image))
            return -2;
        fw.slotUpdate(home.file(name));
        return outcome();
    }
};
} // namespace

class TstFwUpdate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { qunsetenv("QKDRIVER_VENDOR_ID"); }

    void reportLayout_data();
    void reportLayout();
    void checksum_data();
    void checksum();
    void transferPercent_data();
    void transferPercent();
    void selectorsForModel_data();
    void selectorsForModel();
    void imageFileChecks_data();
    void imageFileChecks();

    void refusedFileSendsNothing_data();
    void refusedFileSendsNothing();
    void packetsOnTheWire_data();
    void packetsOnTheWire();
    void completeUpdateOf60KiB();
    void imageSizes_data();
    void imageSizes();
    void bootLoaderAlreadyPresent();
    void packetFaults_data();
    void packetFaults();
    void silentBootLoaderEndsWithinDeadline();
    void vanishedMouseIsFoundAsBootLoader();
    void noUpdateMode_data();
    void noUpdateMode();
    void slowWriteFails();
    void dataFlashTransfer();
    void stepByStep();
};

void TstFwUpdate::reportLayout_data()
{
    QTest::addColumn<quint32>("command");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("sync") << quint32(0xA4) << quint32(1) << QByteArray::fromHex("01000000")
                          << hex65("00" "a4000000" "01000000" "01000000");
    QTest::newRow("run, no data") << quint32(0xAB) << quint32(0x0102)
                                  << QByteArray() << hex65("00" "ab000000" "02010000");
    QTest::newRow("number little-endian") << quint32(0xFF) << quint32(0x12345678)
                                          << QByteArray::fromHex("aa")
                                          << hex65("00" "ff000000" "78563412" "aa");
    // 57 data bytes: only 56 fit, the packet stays 64 bytes.
    QByteArray long57(57, '\x77');
    QByteArray expected = QByteArray::fromHex("00" "00000000" "05000000");
    expected += QByteArray(56, '\x77');
    QTest::newRow("data cut at 56") << quint32(0) << quint32(5) << long57 << expected;
}

void TstFwUpdate::reportLayout()
{
    QFETCH(quint32, command);
    QFETCH(quint32, number);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, expected);
    const QByteArray report = FwUpdate::buildReport(command, number, data);
    QCOMPARE(report.size(), 65);
    QCOMPARE(report.toHex(), expected.toHex());
}

void TstFwUpdate::checksum_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("expected");
    QTest::newRow("sync 1") << hex65("00" "a4000000" "01000000" "01000000") << 0xA6;
    // The report id does not count, only the 64 packet bytes.
    QTest::newRow("report id ignored") << hex65("ff" "01") << 1;
    QByteArray all(65, '\xFF');
    all[0] = 0;
    QTest::newRow("all ff") << all << 0x3FC0;
    QTest::newRow("short report") << QByteArray::fromHex("000102") << 3;
}

void TstFwUpdate::checksum()
{
    QFETCH(QByteArray, report);
    QFETCH(int, expected);
    QCOMPARE(int(FwUpdate::packetChecksum(report)), expected);
}

void TstFwUpdate::transferPercent_data()
{
    QTest::addColumn<int>("sent");
    QTest::addColumn<int>("length");
    QTest::addColumn<uint>("expected");
    QTest::newRow("start") << 0 << 100 << 0u;
    QTest::newRow("first packet of 60 KiB") << 48 << 61440 << 0u;
    QTest::newRow("48 of 49") << 48 << 49 << 77u;      // 97 % → 77.6
    QTest::newRow("1 of 3") << 1 << 3 << 26u;           // 33 % → 26.4
    QTest::newRow("half") << 50 << 100 << 40u;
    QTest::newRow("99 %") << 0x1FFF0 << 0x20000 << 79u;
    QTest::newRow("all") << 100 << 100 << 80u;
    QTest::newRow("empty image") << 0 << 0 << 0u;
}

void TstFwUpdate::transferPercent()
{
    QFETCH(int, sent);
    QFETCH(int, length);
    QFETCH(uint, expected);
    QCOMPARE(FwUpdate::transferPercent(sent, length), expected);
}

void TstFwUpdate::selectorsForModel_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("mouse");
    QTest::newRow("Falcon") << int(MouseType::Falcon) << "VID_F00D&PID_4130";
    QTest::newRow("Kite") << int(MouseType::Kite) << "VID_F00D&PID_4132";
    QTest::newRow("FalconC") << int(MouseType::FalconC) << "VID_F00D&PID_4137";
    QTest::newRow("FalconQ") << int(MouseType::FalconQ) << "VID_F00D&PID_4138";
    QTest::newRow("KiteQ") << int(MouseType::KiteQ) << "VID_F00D&PID_413a";
    QTest::newRow("KiteC") << int(MouseType::KiteC) << "VID_F00D&PID_4139";
    QTest::newRow("FalconEU") << int(MouseType::FalconEU) << "VID_F00D&PID_413b";
    QTest::newRow("Osprey") << int(MouseType::Osprey) << QString();
    QTest::newRow("Heron") << int(MouseType::Heron) << QString();
    QTest::newRow("none") << 0 << QString();
}

void TstFwUpdate::selectorsForModel()
{
    QFETCH(int, type);
    QFETCH(QString, mouse);
    QString m = QStringLiteral("untouched");
    QString b = QStringLiteral("untouched");
    const bool ok = FwUpdate::selectorsForModel(type, &m, &b);
    QCOMPARE(ok, !mouse.isEmpty());
    QCOMPARE(m, ok ? mouse : QStringLiteral("untouched"));
    QCOMPARE(b, ok ? kBoot : QStringLiteral("untouched"));
}

void TstFwUpdate::imageFileChecks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size"); // -1: no such file
    QTest::addColumn<bool>("dataFlash");
    QTest::addColumn<int>("expected");
    using C = FwUpdate::ImageCheck;
    QTest::newRow("exactly 0x20000") << "fw.bin" << 0x20000 << false << int(C::Ok);
    QTest::newRow("0x20001") << "fw.bin" << 0x20001 << false << int(C::TooBig);
    QTest::newRow("one byte") << "fw.bin" << 1 << false << int(C::Ok);
    QTest::newRow("empty") << "fw.bin" << 0 << false << int(C::Empty);
    QTest::newRow("missing") << "fw.bin" << -1 << false << int(C::Unreadable);
    QTest::newRow(".hex") << "fw.hex" << 100 << false << int(C::HexFile);
    QTest::newRow(".HEX") << "fw.HEX" << 100 << false << int(C::HexFile);
    QTest::newRow(".ihex") << "fw.ihex" << 100 << false << int(C::HexFile);
    QTest::newRow("hex before the last dot") << "fw.hex.bin" << 100 << false << int(C::Ok);
    QTest::newRow("hex in the folder name") << "v1.hexes/fw.bin" << 100 << false << int(C::Ok);
    QTest::newRow("no extension") << "firmware" << 100 << false << int(C::Ok);
    QTest::newRow("data flash full") << "df.bin" << 0x1000 << true << int(C::Ok);
    QTest::newRow("data flash over") << "df.bin" << 0x1001 << true << int(C::TooBig);
}

void TstFwUpdate::imageFileChecks()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(bool, dataFlash);
    QFETCH(int, expected);
    TempHome home;
    const QByteArray bytes = makeImage(qMax(size, 0), 0x01020304);
    if (size >= 0)
        QVERIFY(home.write(QLatin1Char('/') + name, bytes));
    QByteArray image("before");
    const auto check = FwUpdate::readImageFile(
        home.file(QLatin1Char('/') + name),
        dataFlash ? FwUpdate::Target::DataFlash : FwUpdate::Target::ApplicationImage, &image);
    QCOMPARE(int(check), expected);
    QCOMPARE(image, expected == int(FwUpdate::ImageCheck::Ok) ? bytes : QByteArray("before"));
}

void TstFwUpdate::refusedFileSendsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size"); // -1: no such file, -2: a folder
    QTest::newRow("hex") << "fw.hex" << 1000;
    QTest::newRow("too big") << "fw.bin" << 0x20001;
    QTest::newRow("empty") << "fw.bin" << 0;
    QTest::newRow("missing") << "fw.bin" << -1;
    QTest::newRow("a folder") << "dir.bin" << -2;
}

void TstFwUpdate::refusedFileSendsNothing()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    Rig rig;
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::Mouse);
    const QString path = rig.home.file(QLatin1Char('/') + name);
    if (size >= 0)
        QVERIFY(rig.home.write(QLatin1Char('/') + name, makeImage(size, 0)));
    if (size == -2)
        QVERIFY(QDir(rig.home.path()).mkdir(name));
    rig.fw.slotUpdate(path);

    QCOMPARE(rig.outcome(), 0);
    QCOMPARE(rig.percent.count(), 0);
    QVERIFY(mouse->reports.isEmpty());
    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
    QCOMPARE(rig.pacing.clock().nowMs(), qint64(0));
    QVERIFY(rig.logs.contains(QStringLiteral("update fw file failed")));
    QVERIFY(rig.logs.contains(size == 0x20001 ? QStringLiteral("File size is too big")
                                              : QStringLiteral("Get file info fail")));
}

void TstFwUpdate::packetsOnTheWire_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<int>("index"); // of the ISP report
    QTest::addColumn<QByteArray>("expected");

    const Faults none;
    QTest::newRow("sync") << 60 << none << 0 << hex65("00" "a4000000" "01000000" "01000000");
    // A0, number 3, start 0, length 0x3C, image bytes 00..2F.
    QTest::newRow("first")
        << 60 << none << 1
        << hex65("00" "a0000000" "03000000" "00000000" "3c000000"
                 "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
                 "202122232425262728292a2b2c2d2e2f");
    // Continuation, number 5: bytes 30..37, then the version 07 02 01 00 as the last four.
    QTest::newRow("short continuation")
        << 60 << none << 2 << hex65("00" "00000000" "05000000" "3031323334353637" "07020100");
    QTest::newRow("run") << 60 << none << 3 << hex65("00" "ab000000" "07000000");
    // 200 bytes: a full continuation carries 56 bytes (here 0x30..0x67).
    QTest::newRow("full continuation")
        << 200 << none << 2
        << hex65("00" "00000000" "05000000"
                 "303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f"
                 "505152535455565758595a5b5c5d5e5f6061626364656667");
    // The second continuation (number 7) gets a short reply: FF under number 9 repeats its data.
    QTest::newRow("resend")
        << 200 << Faults{{int(IspBootLoaderFirmware::ShortReply), 7}} << 4
        << hex65("00" "ff000000" "09000000"
                 "68696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f8081828384858687"
                 "88898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f");
    QTest::newRow("chunk again after resend")
        << 200 << Faults{{int(IspBootLoaderFirmware::ShortReply), 7}} << 5
        << hex65("00" "00000000" "0b000000"
                 "68696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f8081828384858687"
                 "88898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f");
}

void TstFwUpdate::packetsOnTheWire()
{
    QFETCH(int, size);
    QFETCH(Faults, faults);
    QFETCH(int, index);
    QFETCH(QByteArray, expected);
    Rig rig;
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::BootLoader, faults);
    QCOMPARE(rig.update(makeImage(size, 0x00010207)), 1);
    const QList<QByteArray> sent = mouse->ispReports();
    QVERIFY(index < sent.size());
    QCOMPARE(sent.at(index).toHex(), expected.toHex());
}

void TstFwUpdate::completeUpdateOf60KiB()
{
    QString m, b;
    QVERIFY(FwUpdate::selectorsForModel(MouseType::Falcon, &m, &b));
    Rig rig(m);
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::Mouse);
    const QByteArray image = makeImage(60 * 1024, 0x00010207);
    QCOMPARE(rig.update(image, QStringLiteral("/falcon_v1.2.7.bin")), 1);

    // The restart request went to the vendor interface in the receiver framing.
    QCOMPARE(mouse->reports.first().toHex(),
             QByteArray::fromHex("baa8").leftJustified(32, '\0').toHex());
    QCOMPARE(mouse->restarts(), 1);
    QCOMPARE(mouse->runs(), 1);
    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
    QCOMPARE(mouse->bootLoader().flash().left(image.size()), image);
    QCOMPARE(mouse->bootLoader().declaredLength(), quint32(61440));
    // 61440 - 48 bytes in 56-byte continuations: 1097 packets, no resends.
    QCOMPARE(mouse->bootLoader().counters().continuations, 1097);
    QCOMPARE(mouse->bootLoader().counters().resends, 0);
    QCOMPARE(rig.fw.goodReplies(), 1 + 1 + 1097);

    // Progress: one report per continuation (0..79, never falling), then 80..100.
    const QList<uint> p = percents(rig.percent);
    QCOMPARE(p.size(), 1097 + 5);
    QCOMPARE(p.first(), 0u);
    QCOMPARE(p.at(1096), 79u);
    for (int i = 1; i < 1097; ++i)
        QVERIFY(p.at(i) >= p.at(i - 1) && p.at(i) < 80);
    QCOMPARE(p.mid(1097), (QList<uint>{80, 85, 90, 95, 100}));
    // 3000 after the request, one 2000 look for the boot loader, 2000 after run, 5 × 100.
    QCOMPARE(rig.pacing.clock().sleptMs(), qint64(7500));
    QVERIFY(rig.logs.contains(rig.home.file(QStringLiteral("/falcon_v1.2.7.bin"))));
    QVERIFY(rig.logs.contains(QStringLiteral("update fw file ok")));
    QCOMPARE(rig.logs.countStartingWith(QStringLiteral("m_hBoot = ")), 1);
    QVERIFY(!rig.logs.contains(QStringLiteral("m_hBoot = 0")));

    // The mouse is back under its own product id and reports the new version through A3.
    QVERIFY(!FindHidDevice(b));
    std::unique_ptr<HidHandle> h = OpenHidDevice(0xFF00, m);
    QVERIFY(h);
    QCOMPARE(h->connection->writeOutputReport(
                 QByteArray::fromHex("baffa300").leftJustified(32, '\0')),
             32);
    BYTE reply[32] = {0xBA};
    QVERIFY(GetInputReport(h.get(), reply, 32));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(reply), 5).toHex(), QByteArray("0107020100"));
}

void TstFwUpdate::imageSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("continuations");
    QTest::addColumn<QList<uint>>("progress"); // empty: not compared
    const QList<uint> tail{80, 85, 90, 95, 100};
    QTest::newRow("1 byte") << 1 << 0 << tail;
    QTest::newRow("47 bytes") << 47 << 0 << tail;
    QTest::newRow("48 bytes: first packet alone") << 48 << 0 << tail;
    QTest::newRow("49 bytes") << 49 << 1 << (QList<uint>{77} + tail);
    QTest::newRow("104 bytes") << 104 << 1 << (QList<uint>{36} + tail);
    QTest::newRow("105 bytes") << 105 << 2 << (QList<uint>{36, 79} + tail);
    QTest::newRow("exactly 0x20000") << 0x20000 << 2340 << QList<uint>();
}

void TstFwUpdate::imageSizes()
{
    QFETCH(int, size);
    QFETCH(int, continuations);
    QFETCH(QList<uint>, progress);
    Rig rig(QStringLiteral("VID_F00D&PID_4132"));
    auto mouse = rig.plugMouse(0x4132, FalconMouseDevice::Mode::BootLoader);
    const QByteArray image = makeImage(size, 0x00030001);
    QCOMPARE(rig.update(image), 1);
    QCOMPARE(mouse->bootLoader().counters().continuations, continuations);
    if (!progress.isEmpty())
        QCOMPARE(percents(rig.percent), progress);
    QCOMPARE(mouse->bootLoader().flash().left(size), image);
    QCOMPARE(mouse->firmware().firmwareVersion(), size >= 4 ? quint32(0x00030001) : quint32(1));
}

void TstFwUpdate::bootLoaderAlreadyPresent()
{
    QString m, b;
    QVERIFY(FwUpdate::selectorsForModel(MouseType::FalconEU, &m, &b));
    Rig rig(m);
    auto mouse = rig.plugMouse(0x413B, FalconMouseDevice::Mode::BootLoader);
    QCOMPARE(rig.update(makeImage(300, 0x00020000)), 1);
    QCOMPARE(mouse->restarts(), 0);
    // Only ISP reports went out: no 32-byte restart request.
    QCOMPARE(mouse->ispReports().size(), mouse->reports.size());
    QCOMPARE(mouse->sequence(), QStringLiteral("A4/1 A0/3 00/5 00/7 00/9 00/11 00/13 AB/15"));
    QVERIFY(rig.logs.contains(QStringLiteral("EnterUpdateMode VID_F00D&PID_3000")));
    QCOMPARE(rig.logs.countStartingWith(QStringLiteral("m_hBoot")), 0);
    // No restart waits: 2000 after run and 5 × 100.
    QCOMPARE(rig.pacing.clock().sleptMs(), qint64(2500));
    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
    QCOMPARE(mouse->firmware().firmwareVersion(), quint32(0x00020000));
}

void TstFwUpdate::packetFaults_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<int>("lastError");
    using F = IspBootLoaderFirmware;
    // 200 bytes: first packet 48, continuations of 56, 56, 40.
    QTest::newRow("clean") << Faults{} << true << "A4/1 A0/3 00/5 00/7 00/9 AB/11" << 0;
    QTest::newRow("stale reply skipped") << Faults{{F::StaleReply, 7}} << true
                                         << "A4/1 A0/3 00/5 00/7 00/9 AB/11" << 0;
    QTest::newRow("stale reply to the first packet") << Faults{{F::StaleReply, 3}} << true
                                                     << "A4/1 A0/3 00/5 00/7 00/9 AB/11" << 0;
    QTest::newRow("short reply resent once")
        << Faults{{F::ShortReply, 7}} << true << "A4/1 A0/3 00/5 00/7 FF/9 00/11 00/13 AB/15" << 0;
    QTest::newRow("checksum mismatch resent once")
        << Faults{{F::WrongChecksum, 7}} << true << "A4/1 A0/3 00/5 00/7 FF/9 00/11 00/13 AB/15" << 0;
    QTest::newRow("last chunk garbled")
        << Faults{{F::WrongChecksum, 9}} << true << "A4/1 A0/3 00/5 00/7 00/9 FF/11 00/13 AB/15" << 0;
    QTest::newRow("two chunks garbled")
        << Faults{{F::ShortReply, 5}, {F::WrongChecksum, 11}} << true
        << "A4/1 A0/3 00/5 FF/7 00/9 00/11 FF/13 00/15 00/17 AB/19" << 0;
    QTest::newRow("same chunk garbled three times")
        << Faults{{F::ShortReply, 5}, {F::ShortReply, 9}, {F::WrongChecksum, 13}} << true
        << "A4/1 A0/3 00/5 FF/7 00/9 FF/11 00/13 FF/15 00/17 00/19 00/21 AB/23" << 0;
    QTest::newRow("same chunk garbled four times: given up")
        << Faults{{F::ShortReply, 5}, {F::ShortReply, 9}, {F::ShortReply, 13}, {F::ShortReply, 17}}
        << false << "A4/1 A0/3 00/5 FF/7 00/9 FF/11 00/13 FF/15 00/17" << int(FwUpdate::ShortReply);
    QTest::newRow("resend itself garbled")
        << Faults{{F::ShortReply, 7}, {F::WrongChecksum, 9}} << false
        << "A4/1 A0/3 00/5 00/7 FF/9" << int(FwUpdate::ChecksumMismatch);
    QTest::newRow("short reply to sync") << Faults{{F::ShortReply, 1}} << false << "A4/1"
                                         << int(FwUpdate::ShortReply);
    QTest::newRow("first packet garbled: no resend") << Faults{{F::WrongChecksum, 3}} << false
                                                     << "A4/1 A0/3" << int(FwUpdate::ChecksumMismatch);
    QTest::newRow("no reply: no resend") << Faults{{F::NoReply, 7}} << false
                                         << "A4/1 A0/3 00/5 00/7" << int(FwUpdate::Timeout);
    QTest::newRow("no reply to sync") << Faults{{F::NoReply, 1}} << false << "A4/1"
                                      << int(FwUpdate::Timeout);
    QTest::newRow("vanish") << Faults{{F::Vanish, 7}} << false << "A4/1 A0/3 00/5 00/7" << 0;
}

void TstFwUpdate::packetFaults()
{
    QFETCH(Faults, faults);
    QFETCH(bool, ok);
    QFETCH(QString, sequence);
    QFETCH(int, lastError);
    Rig rig(QStringLiteral("VID_F00D&PID_4138"));
    auto mouse = rig.plugMouse(0x4138, FalconMouseDevice::Mode::BootLoader, faults);
    const QByteArray image = makeImage(200, 0x00040000);
    QCOMPARE(rig.update(image), ok ? 1 : 0);
    QCOMPARE(mouse->sequence(), sequence);
    QCOMPARE(rig.fw.lastError(), lastError);
    QCOMPARE(rig.logs.count(QStringLiteral("Resend this packet")),
             sequence.count(QStringLiteral("FF/")));
    QVERIFY(!rig.fw.isBootLoaderOpen());
    if (ok) {
        QCOMPARE(mouse->bootLoader().flash().left(200), image);
        QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
        QVERIFY(rig.logs.contains(QStringLiteral("update fw file ok")));
    } else {
        QCOMPARE(mouse->runs(), 0);
        QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::BootLoader);
        QVERIFY(rig.logs.contains(QStringLiteral("update fw file failed")));
    }
}

void TstFwUpdate::silentBootLoaderEndsWithinDeadline()
{
    Rig rig;
    // A boot loader that takes every packet and never answers.
    auto silent = std::make_shared<ScriptableHidDevice>(
        StubHidDevice::falconBootInterfaces(QStringLiteral("Falcon Boot")));
    rig.bus.plug(silent);
    QCOMPARE(rig.update(makeImage(1000, 1)), 0);
    QCOMPARE(rig.fw.lastError(), int(FwUpdate::Timeout));
    // One sync packet, then the 20 000 ms reply deadline on the virtual clock, nothing else.
    QCOMPARE(silent->sentReports(0).size(), 1);
    QCOMPARE(silent->sentReports(0).first().toHex(),
             hex65("00" "a4000000" "01000000" "01000000").toHex());
    QCOMPARE(rig.pacing.clock().nowMs(), qint64(FwUpdate::kReplyTimeoutMs));
}

void TstFwUpdate::vanishedMouseIsFoundAsBootLoader()
{
    Rig rig;
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::Mouse);
    // The restart builds a fresh boot loader: arm the fault once the mouse is in boot mode. It
    // drops off the bus at the third continuation (number 9).
    QVERIFY(rig.fw.enterUpdateMode());
    mouse->bootLoader().injectFault(IspBootLoaderFirmware::Vanish, 9);
    rig.fw.closeHandles();
    QCOMPARE(rig.update(makeImage(4000, 1)), 0);
    QCOMPARE(percents(rig.percent), (QList<uint>{0, 1, 3})); // progress is not reset
    QVERIFY(mouse->hasVanished());
    QVERIFY(!rig.fw.isBootLoaderOpen());

    // Plugged back, the device is still the boot loader and the watcher reports it as such.
    mouse->appear();
    CheckDevice watcher(nullptr, &rig.bus);
    watcher.stopTheTimer();
    QSignalSpy found(&watcher, &CheckDevice::sigFound);
    QSignalSpy boot(&watcher, &CheckDevice::sigBlootDescriptor);
    QVERIFY(watcher.tick());
    QCOMPARE(found.count(), 1);
    QCOMPARE(found.first().at(0).toBool(), true);
    QCOMPARE(found.first().at(1).toUInt(), 0x3000u);
    QCOMPARE(boot.count(), 1);
    QCOMPARE(boot.first().at(0).toInt(), 0); // "Falcon Boot" names neither Kite nor FalconEU
}

void TstFwUpdate::noUpdateMode_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<qint64>("slept");
    QTest::addColumn<int>("bootLooks"); // "m_hBoot = 0" lines
    QTest::addColumn<int>("requests");  // restart requests written (accepted or not)
    // Takes the restart request and stays what it is.
    QTest::newRow("boot loader never appears") << "stubborn" << qint64(3000 + 5 * 2000) << 5 << 1;
    // The request never arrives: no waiting for a boot loader that cannot come.
    QTest::newRow("restart request refused") << "refusing" << qint64(0) << 0 << 1;
    QTest::newRow("only another model present") << "other model" << qint64(0) << 0 << 0;
    QTest::newRow("no selectors set") << "no selectors" << qint64(0) << 0 << 0;
}

void TstFwUpdate::noUpdateMode()
{
    QFETCH(QString, setup);
    QFETCH(qint64, slept);
    QFETCH(int, bootLooks);
    QFETCH(int, requests);
    Rig rig;
    auto mouse = std::make_shared<ScriptableHidDevice>(StubHidDevice::productInterfaces(
        setup == QLatin1String("other model") ? 0x4137 : 0x4130));
    mouse->setRefuseWrites(1, setup == QLatin1String("refusing"));
    rig.bus.plug(mouse);
    if (setup == QLatin1String("no selectors"))
        rig.fw.setSelectors(QString(), QString());
    QCOMPARE(rig.update(makeImage(1000, 1)), 0);
    QVERIFY(rig.logs.contains(QStringLiteral(" FW no enter updatemode ")));
    QCOMPARE(rig.logs.count(QStringLiteral("m_hBoot = 0")), bootLooks);
    QCOMPARE(rig.pacing.clock().sleptMs(), slept);
    QCOMPARE(mouse->sentReports(0).size(), 0);
    QCOMPARE(mouse->sentReports(1).size(), requests);
    if (requests)
        QCOMPARE(mouse->sentReports(1).first().toHex(),
                 QByteArray::fromHex("baa8").leftJustified(32, '\0').toHex());
}

void TstFwUpdate::slowWriteFails()
{
    Rig rig;
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::BootLoader);
    // Output reports take 5001 ms on the wire: past the write deadline.
    rig.bus.setCostModel([](VirtualHidDevice::Transfer kind, int) {
        return kind == VirtualHidDevice::Transfer::OutputReport ? FwUpdate::kWriteTimeoutMs + 1 : 1;
    });
    QCOMPARE(rig.update(makeImage(1000, 1)), 0);
    QCOMPARE(mouse->sequence(), QStringLiteral("A4/1"));
    QVERIFY(rig.logs.contains(QStringLiteral("Timeout[Write PENDING]")));
    QVERIFY(rig.logs.contains(QStringLiteral("Send sync packno cmd fail")));

    // Exactly at the deadline is still in time.
    rig.bus.setCostModel([](VirtualHidDevice::Transfer kind, int) {
        return kind == VirtualHidDevice::Transfer::OutputReport ? FwUpdate::kWriteTimeoutMs : 1;
    });
    FwUpdate again;
    again.setSelectors(kMouse, kBoot);
    QSignalSpy result(&again, &FwUpdate::sigUpdateResult);
    again.slotUpdate(rig.home.file(QStringLiteral("/fw.bin")));
    QCOMPARE(result.count(), 1);
    QCOMPARE(result.first().at(0).toBool(), true);
}

void TstFwUpdate::dataFlashTransfer()
{
    Rig rig;
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::BootLoader);
    QVERIFY(rig.fw.enterUpdateMode());
    const QByteArray data = makeImage(100, 0xCAFEF00D);
    QVERIFY(rig.fw.transferImage(data, FwUpdate::Target::DataFlash));
    QCOMPARE(mouse->bootLoader().dataFlash().left(100), data);
    QCOMPARE(mouse->bootLoader().flash(), QByteArray(0x20000, '\xFF'));
    // C3, number 3, start 0x1F000, length 100.
    QCOMPARE(mouse->ispReports().at(1).toHex(),
             hex65("00" "c3000000" "03000000" "00f00100" "64000000"
                   "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
                   "202122232425262728292a2b2c2d2e2f")
                 .toHex());
    // Too large for the data flash: refused without a packet.
    const int before = mouse->reports.size();
    QVERIFY(!rig.fw.transferImage(QByteArray(0x1001, '\0'), FwUpdate::Target::DataFlash));
    QCOMPARE(mouse->reports.size(), before);
}

void TstFwUpdate::stepByStep()
{
    Rig rig;
    auto mouse = rig.plugMouse(0x4130, FalconMouseDevice::Mode::BootLoader);
    const QByteArray image = makeImage(120, 0x00000009);
    QVERIFY(rig.home.write(QStringLiteral("/fw.hex"), image));
    QVERIFY(rig.home.write(QStringLiteral("/fw.bin"), image));
    // Nothing goes out before the boot loader is open.
    QVERIFY(!rig.fw.transferImage(image, FwUpdate::Target::ApplicationImage));
    QVERIFY(!rig.fw.runApplication());
    QVERIFY(rig.fw.enterUpdateMode());
    QVERIFY(!rig.fw.transferImage(QByteArray(), FwUpdate::Target::ApplicationImage));
    QVERIFY(!rig.fw.transferImage(QByteArray(0x20001, '\0'), FwUpdate::Target::ApplicationImage));
    QVERIFY(!rig.fw.transferFile(rig.home.file(QStringLiteral("/fw.hex")),
                                 FwUpdate::Target::ApplicationImage));
    QVERIFY(mouse->reports.isEmpty());

    QVERIFY(rig.fw.transferFile(rig.home.file(QStringLiteral("/fw.bin")),
                                FwUpdate::Target::ApplicationImage));
    QCOMPARE(mouse->sequence(), QStringLiteral("A4/1 A0/3 00/5 00/7"));
    QVERIFY(rig.logs.contains(QStringLiteral("Send sync packno cmd OK")));
    QVERIFY(rig.logs.contains(QStringLiteral("Need to transfer  120  bytes")));
    QVERIFY(rig.logs.contains(QStringLiteral("Send index 3:  48 bytes")));
    QVERIFY(rig.logs.contains(QStringLiteral("WriteFile: 000000a4 00000001 00000001, gcksum= a6")));
    QVERIFY(rig.logs.contains(QStringLiteral("ReadFile: lcksum= a6 curPacketNo= 2")));
    QCOMPARE(mouse->bootLoader().flash().left(120), image);
    QVERIFY(!mouse->bootLoader().ran()); // running is a step of its own
    QVERIFY(rig.fw.runApplication());
    QCOMPARE(mouse->mode(), FalconMouseDevice::Mode::Mouse);
}

QTEST_GUILESS_MAIN(TstFwUpdate)
#include "tst_fwupdate.moc"
