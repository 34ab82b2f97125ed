#include "catalog/modelcatalog.h"
#include "common/mousetype.h"

#include <QtTest>

using namespace Catalog;

Q_DECLARE_METATYPE(Catalog::LightZones)

class TstModelCatalog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void productIds_data();
    void productIds();
    void everyIdOnce();
    void bootLoaders_data();
    void bootLoaders();
    void dpiCodes_data();
    void dpiCodes();
    void everyAcceptedDpiRoundTrips();
    void defaultStagesAreInRange();
    void familiesAgreeWithModelTests();
    void falconStageTable_data();
    void falconStageTable();
    void ospreyChecksumRules_data();
    void ospreyChecksumRules();
    void lighting_data();
    void lighting();
};

void TstModelCatalog::productIds_data()
{
    QTest::addColumn<int>("pid");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("receiver");
    QTest::newRow("falcon cable") << 0x4130 << 11 << false;
    QTest::newRow("falcon receiver") << 0x1804 << 11 << true;
    QTest::newRow("falconc receiver") << 0x180A << 9 << true;
    QTest::newRow("falconq receiver") << 0x180B << 10 << true;
    QTest::newRow("kitec receiver") << 0x180C << 7 << true;
    QTest::newRow("kiteq receiver") << 0x180D << 8 << true;
    QTest::newRow("falconeu receiver") << 0x180F << 14 << true;
    QTest::newRow("kite receiver") << 0x4133 << 12 << true;
    QTest::newRow("kite cable") << 0x4132 << 12 << false;
    QTest::newRow("wrens") << 0x4118 << 6 << false;
    QTest::newRow("heron") << 0x4161 << 13 << false;
    QTest::newRow("lark") << 0x4162 << 18 << false;
    QTest::newRow("falcon boot loader is no mouse") << 0x3000 << 0 << false;
    QTest::newRow("unknown") << 0x4131 << 0 << false;
    QTest::newRow("zero") << 0 << 0 << false;
}

void TstModelCatalog::productIds()
{
    QFETCH(int, pid);
    QFETCH(int, model);
    QFETCH(bool, receiver);
    const ProductMatch match = byProductId(pid);
    QCOMPARE(match.model ? match.model->code : 0, model);
    QCOMPARE(match.link == Link::Receiver, receiver);
}

void TstModelCatalog::everyIdOnce()
{
    QSet<int> seen;
    for (const Model &m : models()) {
        QVERIFY2(!seen.contains(m.cableId), m.name);
        seen.insert(m.cableId);
        // Only the Falcon command set talks through a receiver.
        QCOMPARE(m.hasReceiver(), m.family == Family::Falcon);
        if (m.hasReceiver()) {
            QVERIFY2(!seen.contains(m.receiverId), m.name);
            seen.insert(m.receiverId);
        }
        QCOMPARE(find(m.code), &m);
        QCOMPARE(QString::fromLatin1(m.name), MouseType::modelName(m.code));
    }
    QCOMPARE(models().size(), 14);
}

void TstModelCatalog::bootLoaders_data()
{
    QTest::addColumn<QString>("productString");
    QTest::addColumn<int>("release");
    QTest::addColumn<int>("model");
    QTest::newRow("falconeu loader") << "QK FalconEU Boot" << 0 << 14;
    QTest::newRow("kite loader") << "Kite ISP" << 0 << 12;
    QTest::newRow("both names: falconeu first") << "Kite FalconEU" << 0 << 14;
    QTest::newRow("other loader string") << "Falcon" << 0 << 0;
    QTest::newRow("wrens release") << "" << 0x4118 << 6;
    QTest::newRow("osprey release") << "" << 0x4122 << 3;
    QTest::newRow("heron release") << "" << 0x4161 << 13;
    QTest::newRow("lark release") << "" << 0x4162 << 18;
    QTest::newRow("falcon cable id is no osprey loader") << "" << 0x4130 << 0;
}

void TstModelCatalog::bootLoaders()
{
    QFETCH(QString, productString);
    QFETCH(int, release);
    QFETCH(int, model);
    const int found = release ? bootModelFromReleaseNumber(USHORT(release))
                              : bootModelFromProductString(productString);
    QCOMPARE(found, model);
}

void TstModelCatalog::dpiCodes_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("low"); // -1: refused
    QTest::addColumn<int>("high");
    QTest::newRow("kitec 200") << 7 << 200 << 0 << 0;
    QTest::newRow("kitec 5000") << 7 << 5000 << 48 << 0;
    QTest::newRow("kitec 5100") << 7 << 5100 << -1 << 0;
    QTest::newRow("falconq 800") << 10 << 800 << 16 << 0;
    QTest::newRow("falconq 16000 above its range") << 10 << 16000 << -1 << 0;
    QTest::newRow("falcon 16000") << 11 << 16000 << 320 << 0;
    QTest::newRow("falcon 50") << 11 << 50 << 1 << 0;
    QTest::newRow("falconeu 5000") << 14 << 5000 << 48 << 0;
    QTest::newRow("falconeu 5200") << 14 << 5200 << 49 << 0;
    QTest::newRow("falconeu 10000") << 14 << 10000 << 73 << 0;
    QTest::newRow("osprey 800") << 3 << 800 << 16 << 0;
    QTest::newRow("osprey 16000") << 3 << 16000 << 0x40 << 1;
    QTest::newRow("osprey 25") << 3 << 25 << -1 << 0;
    QTest::newRow("swift 4200 has no code") << 2 << 4200 << -1 << 0;
}

void TstModelCatalog::dpiCodes()
{
    QFETCH(int, model);
    QFETCH(int, dpi);
    QFETCH(int, low);
    QFETCH(int, high);
    const auto code = encodeDpi(*find(model), dpi);
    QCOMPARE(code ? code->first : -1, low);
    if (code) {
        QCOMPARE(code->second, high);
        QCOMPARE(decodeDpi(*find(model), code->first, code->second), dpi);
    }
}

// Whatever the page lets the user pick must survive the trip into the mouse and back.
void TstModelCatalog::everyAcceptedDpiRoundTrips()
{
    for (const Model &m : models()) {
        for (int dpi = m.dpi.minimum; dpi <= m.dpi.maximum; dpi += 50) {
            if (!m.dpi.accepts(dpi))
                continue;
            const auto code = encodeDpi(m, dpi);
            if (m.dpiCodec == DpiCodec::TableA && dpi == 4200)
                continue; // table A's known hole
            QVERIFY2(code, qPrintable(QStringLiteral("%1 %2").arg(m.name).arg(dpi)));
            QCOMPARE(decodeDpi(m, code->first, code->second), dpi);
        }
    }
}

void TstModelCatalog::defaultStagesAreInRange()
{
    for (const Model &m : models()) {
        for (int v : m.defaultStages)
            QVERIFY2(m.dpi.accepts(v), qPrintable(QStringLiteral("%1 %2").arg(m.name).arg(v)));
    }
}

void TstModelCatalog::familiesAgreeWithModelTests()
{
    for (const Model &m : models()) {
        QCOMPARE(m.family == Family::Falcon, MouseType::hasFalconDriver(m.code));
        QCOMPARE(m.family == Family::Osprey, MouseType::hasOspreyDriver(m.code));
        QCOMPARE(m.family == Family::Heron, MouseType::isHeron(m.code));
    }
}

void TstModelCatalog::falconStageTable_data()
{
    // What the Falcon-family manager reads and writes of the 16-byte stage table.
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("maxStages");
    QTest::addColumn<int>("currentCap");
    QTest::addColumn<int>("compareCap");
    QTest::addColumn<int>("readLast");
    QTest::addColumn<bool>("readStopsAtCount");
    QTest::addColumn<int>("listRows");
    QTest::newRow("kitec") << 7 << 5 << 2 << 3 << 5 << true << 5;
    QTest::newRow("kiteq") << 8 << 5 << 2 << 3 << 5 << true << 5;
    QTest::newRow("falconc") << 9 << 5 << 2 << 3 << 5 << true << 5;
    QTest::newRow("falconq") << 10 << 7 << 3 << 3 << 6 << false << 8;
    QTest::newRow("falcon") << 11 << 7 << 3 << 3 << 6 << false << 8;
    QTest::newRow("kite") << 12 << 5 << 2 << 2 << 5 << true << 5;
    QTest::newRow("falconeu") << 14 << 7 << 3 << 3 << 6 << true << 8;
}

void TstModelCatalog::falconStageTable()
{
    QFETCH(int, model);
    QFETCH(int, maxStages);
    QFETCH(int, currentCap);
    QFETCH(int, compareCap);
    QFETCH(int, readLast);
    QFETCH(bool, readStopsAtCount);
    QFETCH(int, listRows);
    const Model *m = find(model);
    QVERIFY(m);
    QCOMPARE(m->maxStages, maxStages);
    QCOMPARE(m->currentStageCap, currentCap);
    QCOMPARE(m->compareStageCap, compareCap);
    QCOMPARE(m->readLastStage, readLast);
    QCOMPARE(m->readStopsAtStageCount, readStopsAtCount);
    QCOMPARE(m->listRowsTaken, listRows);
}

void TstModelCatalog::ospreyChecksumRules_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("leavesOutByte19");
    QTest::addColumn<bool>("enforced");
    QTest::newRow("swift") << 2 << false << true;
    QTest::newRow("osprey") << 3 << true << true;
    QTest::newRow("wren") << 4 << false << true;
    QTest::newRow("swifts") << 5 << false << true;
    QTest::newRow("wrens") << 6 << false << true;
    QTest::newRow("heron") << 13 << false << true;
    QTest::newRow("lark") << 18 << false << false;
}

void TstModelCatalog::ospreyChecksumRules()
{
    QFETCH(int, model);
    QFETCH(bool, leavesOutByte19);
    QFETCH(bool, enforced);
    const Model *m = find(model);
    QVERIFY(m);
    QCOMPARE(m->checksumLeavesOutByte19, leavesOutByte19);
    QCOMPARE(m->checksumEnforced, enforced);
}

void TstModelCatalog::lighting_data()
{
    // The Wren series couples its two zones; the Falcon family has one zone and five speeds.
    QTest::addColumn<int>("model");
    QTest::addColumn<LightZones>("zones");
    QTest::addColumn<int>("slowest");
    QTest::newRow("swift") << 2 << LightZones::Two << 9;
    QTest::newRow("osprey") << 3 << LightZones::Two << 9;
    QTest::newRow("wren") << 4 << LightZones::TwoCoupled << 9;
    QTest::newRow("swifts") << 5 << LightZones::Two << 9;
    QTest::newRow("wrens") << 6 << LightZones::TwoCoupled << 9;
    QTest::newRow("kitec") << 7 << LightZones::One << 4;
    QTest::newRow("kiteq") << 8 << LightZones::One << 4;
    QTest::newRow("falconc") << 9 << LightZones::One << 4;
    QTest::newRow("falconq") << 10 << LightZones::One << 4;
    QTest::newRow("falcon") << 11 << LightZones::One << 4;
    QTest::newRow("kite") << 12 << LightZones::One << 4;
    QTest::newRow("heron") << 13 << LightZones::Two << 9;
    QTest::newRow("falconeu") << 14 << LightZones::One << 4;
    QTest::newRow("lark") << 18 << LightZones::TwoCoupled << 9;
}

void TstModelCatalog::lighting()
{
    QFETCH(int, model);
    QFETCH(LightZones, zones);
    QFETCH(int, slowest);
    const Model *m = find(model);
    QVERIFY(m);
    QCOMPARE(m->lightZones, zones);
    QCOMPARE(m->breathingSpeedMax, slowest);
}

QTEST_GUILESS_MAIN(TstModelCatalog)
#include "tst_modelcatalog.moc"
