#include "hid/hidtrace.h"
#include "common/pacer.h"
#include "sim/scriptablehiddevice.h"
#include "support/temphome.h"
#include "sim/virtualhidbus.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
HidDeviceInfo iface()
{
    HidDeviceInfo i;
    i.vendorId = 0xF00D;
    i.productId = 0x4122;
    i.usagePage = 0xFF00;
    return i;
}

QList<QJsonObject> readLines(const QByteArray &text)
{
    QList<QJsonObject> out;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError e;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &e);
        if (e.error != QJsonParseError::NoError)
            return {};
        out << doc.object();
    }
    return out;
}

QString summary(const QJsonObject &o)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(o.value("dir").toString(), o.value("path").toString(), o.value("kind").toString(),
             o.value("bytes").toString())
        .arg(o.value("result").toInt());
}
} // namespace

class TstHidTrace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qunsetenv("QKDRIVER_HID_TRACE"); }
    void everyTransferIsOneLine();
    void offWithoutTheVariable();
    void unwritableFileDoesNotDisturbTraffic();
};

void TstHidTrace::everyTransferIsOneLine()
{
    TempHome home;
    ScopedVirtualPacing pacing;
    pacing.clock().advanceMs(1234);
    qputenv("QKDRIVER_HID_TRACE", home.file("/trace.jsonl").toLocal8Bit());
    VirtualHidBus bus;
    auto d = std::make_shared<ScriptableHidDevice>(QList<HidDeviceInfo>{iface()});
    bus.plug(d);
    d->queueInputReport(0, QByteArray::fromHex("ba0102"));
    d->queueFeatureReport(0, QByteArray::fromHex("0501"));
    auto c = bus.open(QStringLiteral("sim:1.2/0"));
    QVERIFY(c);
    QByteArray r;
    QCOMPARE(c->writeOutputReport(QByteArray::fromHex("baff a7")), 3);
    QCOMPARE(c->getInputReport(0xBA, 32, &r), 3);
    QCOMPARE(r, QByteArray::fromHex("ba0102")); // passed through unchanged
    QCOMPARE(c->setFeatureReport(QByteArray::fromHex("058300")), 3);
    QCOMPARE(c->getFeatureReport(5, 6, &r), 2);
    QCOMPARE(c->readInputReport(&r, 32, 10), 0);      // nothing arrived: not traced
    QCOMPARE(c->getFeatureReport(5, 6, &r), -1);      // failure: traced with its id
    d->vanish();
    QCOMPARE(c->writeOutputReport(QByteArray::fromHex("ba")), -1);

    const QList<QJsonObject> lines = readLines(home.read("/trace.jsonl"));
    QStringList got;
    for (const QJsonObject &o : lines)
        got << summary(o);
    QCOMPARE(got, (QStringList{"out sim:1.2/0 output baffa7 3", "in sim:1.2/0 input ba0102 3",
                               "out sim:1.2/0 feature 058300 3", "in sim:1.2/0 feature 0501 2",
                               "in sim:1.2/0 feature 05 -1", "out sim:1.2/0 output ba -1"}));
    QCOMPARE(lines.at(0).value("clock_ms").toInt(), 1234);
    const QDateTime t = QDateTime::fromString(lines.at(0).value("time").toString(), Qt::ISODateWithMs);
    QVERIFY(t.isValid());
    QVERIFY(qAbs(t.secsTo(QDateTime::currentDateTimeUtc())) < 600);
}

void TstHidTrace::offWithoutTheVariable()
{
    TempHome home;
    qunsetenv("QKDRIVER_HID_TRACE");
    QCOMPARE(HidTrace::fileName(), QString());
    VirtualHidBus bus;
    bus.plug(std::make_shared<ScriptableHidDevice>(QList<HidDeviceInfo>{iface()}));
    auto c = bus.open(QStringLiteral("sim:1.2/0"));
    QCOMPARE(c->writeOutputReport(QByteArray::fromHex("ba")), 1);
    QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList());
}

void TstHidTrace::unwritableFileDoesNotDisturbTraffic()
{
    TempHome home;
    qputenv("QKDRIVER_HID_TRACE", home.file("/no/such/folder/trace.jsonl").toLocal8Bit());
    VirtualHidBus bus;
    bus.plug(std::make_shared<ScriptableHidDevice>(QList<HidDeviceInfo>{iface()}));
    auto c = bus.open(QStringLiteral("sim:1.2/0"));
    QCOMPARE(c->writeOutputReport(QByteArray::fromHex("ba01")), 2);
    QVERIFY(!HidTrace::append(home.file("/no/such/folder/trace.jsonl"), "out", "p", "output",
                              QByteArray(), 0));
}

QTEST_GUILESS_MAIN(TstHidTrace)
#include "tst_hidtrace.moc"
