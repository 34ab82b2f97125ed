#include "hid/hidreportdescriptor.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// "page:usage in<len>/<id> out<len>/<id> feat<len>/<id>" per collection, joined by "; ".
QString describe(const QList<HidCollectionFacts> &facts)
{
    QStringList parts;
    for (const HidCollectionFacts &f : facts) {
        parts << QStringLiteral("%1:%2 in%3/%4 out%5/%6 feat%7/%8")
                     .arg(f.usagePage, 4, 16, QLatin1Char('0'))
                     .arg(f.usage, 4, 16, QLatin1Char('0'))
                     .arg(f.inputReportLength)
                     .arg(f.inputReportId, 2, 16, QLatin1Char('0'))
                     .arg(f.outputReportLength)
                     .arg(f.outputReportId, 2, 16, QLatin1Char('0'))
                     .arg(f.featureReportLength)
                     .arg(f.featureReportId, 2, 16, QLatin1Char('0'));
    }
    return parts.join(QStringLiteral("; "));
}

// The two collections of an Osprey-family mouse: command channel (report 5, 5 data bytes) and
// data channel (report 6, 1031 data bytes). 18 + 19 bytes.
const char *kOsprey = "06 00 FF 09 01 A1 01 85 05 75 08 95 05 09 01 B1 02 C0"
                      "06 00 FF 09 02 A1 01 85 06 75 08 96 07 04 09 02 B1 02 C0";
} // namespace

class TstHidReportDescriptor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void valid_data();
    void valid();
    void malformed_data();
    void malformed();
    void prefixesOfATwoCollectionDescriptor();
    void randomBytesNeverCrash();
};

void TstHidReportDescriptor::valid_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<QString>("expected");

    QTest::newRow("falcon vendor interface, report 0xBA both ways")
        << hex("06 00 FF 09 01 A1 01 85 BA 15 00 26 FF 00 75 08 95 1F 09 01 81 02 09 01 91 02 C0")
        << "ff00:0001 in32/ba out32/ba feat0/00";
    QTest::newRow("osprey command and data channels") << hex(kOsprey)
        << "ff00:0001 in0/00 out0/00 feat6/05; ff00:0002 in0/00 out0/00 feat1032/06";
    QTest::newRow("boot-protocol mouse, unnumbered 3-byte input")
        << hex("05 01 09 02 A1 01 09 01 A1 00 05 09 19 01 29 03 15 00 25 01 95 03 75 01 81 02"
               " 95 01 75 05 81 03 05 01 09 30 09 31 15 81 25 7F 75 08 95 02 81 06 C0 C0")
        << "0001:0002 in4/00 out0/00 feat0/00";
    QTest::newRow("two input reports: longest wins, last id kept")
        << hex("06 00 FF 09 01 A1 01 75 08 85 01 95 08 81 02 85 02 95 10 81 02 C0")
        << "ff00:0001 in17/02 out0/00 feat0/00";
    QTest::newRow("bits round up to whole bytes")
        << hex("06 00 FF 09 01 A1 01 75 01 95 09 B1 02 C0")
        << "ff00:0001 in0/00 out0/00 feat3/00";
    QTest::newRow("4-byte usage carries its own page")
        << hex("0B 01 00 00 FF A1 01 75 08 95 02 81 02 C0")
        << "ff00:0001 in3/00 out0/00 feat0/00";
    QTest::newRow("push and pop restore report size and count")
        << hex("06 00 FF 09 01 A1 01 75 08 95 04 A4 75 10 95 08 B1 02 B4 81 02 C0")
        << "ff00:0001 in5/00 out0/00 feat17/00";
    QTest::newRow("long item is skipped")
        << hex("FE 02 10 AA BB 06 00 FF 09 01 A1 01 75 08 95 01 91 02 C0")
        << "ff00:0001 in0/00 out2/00 feat0/00";
    QTest::newRow("nested collections belong to the top-level one")
        << hex("05 01 09 06 A1 01 05 07 A1 02 75 08 95 07 81 02 C0 C0 05 0C 09 01 A1 01 85 03"
               " 75 10 95 01 81 00 C0")
        << "0001:0006 in8/00 out0/00 feat0/00; 000c:0001 in3/03 out0/00 feat0/00";
}

void TstHidReportDescriptor::valid()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(QString, expected);
    QString error;
    const auto facts = HidReportDescriptor::parse(descriptor, &error);
    QVERIFY2(facts.has_value(), qPrintable(error));
    QCOMPARE(describe(*facts), expected);
    QVERIFY(error.isEmpty());
}

void TstHidReportDescriptor::malformed_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<QString>("reason");

    QTest::newRow("empty") << QByteArray() << "empty";
    QTest::newRow("2-byte item cut after one byte") << hex("06 00") << "cut off";
    QTest::newRow("4-byte item cut after two bytes") << hex("A1 01 27 FF FF") << "cut off";
    QTest::newRow("long item without header") << hex("FE") << "long item cut off";
    QTest::newRow("long item data cut") << hex("FE 05 10 00 00") << "long item data cut off";
    QTest::newRow("end collection without collection") << hex("C0") << "without collection";
    QTest::newRow("collection left open") << hex("06 00 FF 09 01 A1 01 75 08 95 01 81 02")
                                          << "left open";
    QTest::newRow("pop without push") << hex("A1 01 B4 C0") << "pop without push";
    QTest::newRow("report id 0") << hex("A1 01 85 00 C0") << "report id 0";
    QTest::newRow("report id above 255") << hex("A1 01 86 00 01 C0") << "report id 256";
    QTest::newRow("report size above 256 bits") << hex("A1 01 76 01 01 C0") << "report size 257";
    QTest::newRow("report longer than 16384 bytes")
        << hex("A1 01 75 08 97 FF FF 00 00 81 02 C0") << "longer than";
    QTest::newRow("overflowing size times count")
        << hex("A1 01 76 00 01 97 FF FF FF FF 81 02 C0") << "longer than";
    QTest::newRow("data item outside any collection") << hex("75 08 95 01 81 02")
                                                      << "outside a collection";
    QTest::newRow("reserved item type") << hex("A1 01 0C C0") << "reserved item type";
    QTest::newRow("unknown main item") << hex("A1 01 D0 C0") << "unknown main item";
    QTest::newRow("no collection at all") << hex("06 00 FF 75 08") << "no collection";
    QTest::newRow("pushes beyond 32") << QByteArray(33, char(0xA4)) << "push too deep";
    QTest::newRow("collections beyond 64 deep") << QByteArray(65, char(0xA0)) << "too deep";
}

void TstHidReportDescriptor::malformed()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(QString, reason);
    QString error;
    const auto facts = HidReportDescriptor::parse(descriptor, &error);
    QVERIFY(!facts.has_value());
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void TstHidReportDescriptor::prefixesOfATwoCollectionDescriptor()
{
    // Cutting the descriptor anywhere must never yield facts, except right after the first
    // collection or after a complete global or local item that follows it (a descriptor of
    // one collection with a harmless tail).
    const QByteArray full = hex(kOsprey);
    QCOMPARE(full.size(), 37);
    for (int n = 0; n < full.size(); ++n) {
        const auto facts = HidReportDescriptor::parse(full.left(n));
        if (n == 18 || n == 21 || n == 23) {
            QVERIFY(facts.has_value());
            QCOMPARE(describe(*facts), QStringLiteral("ff00:0001 in0/00 out0/00 feat6/05"));
        } else {
            QVERIFY2(!facts.has_value(), qPrintable(QString::number(n)));
        }
    }
}

void TstHidReportDescriptor::randomBytesNeverCrash()
{
    // Garbage must end in a verdict: no reads past the end (the sanitizer build checks that),
    // no endless loop (the test would time out).
    QRandomGenerator rng(20240501);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray junk(int(rng.bounded(1, 200)), '\0');
        for (char &c : junk)
            c = char(rng.bounded(256));
        const auto facts = HidReportDescriptor::parse(junk);
        if (facts) {
            ++accepted;
            for (const HidCollectionFacts &f : *facts) {
                QVERIFY(f.inputReportLength >= 0 && f.inputReportLength <= 16385);
                QVERIFY(f.featureReportLength >= 0 && f.featureReportLength <= 16385);
            }
        }
    }
    QVERIFY(accepted < 4000);
}

QTEST_GUILESS_MAIN(TstHidReportDescriptor)
#include "tst_hidreportdescriptor.moc"
