#include "catalog/factoryimages.h"
#include "support/factoryliterals.h"

#include <QtTest>

namespace {
// Applies "offset = hex, ..." to a copy of base.
QByteArray withDiff(QByteArray base, const char *diff)
{
    for (const QString &item : QString::fromLatin1(diff).split(QStringLiteral(", "))) {
        const QStringList pair = item.split(QStringLiteral(" = "));
        base[pair.at(0).toInt()] = char(pair.at(1).toInt(nullptr, 16));
    }
    return base;
}

int le16(const QByteArray &b, int offset)
{
    return quint8(b.at(offset)) | (quint8(b.at(offset + 1)) << 8);
}
} // namespace

class TstFactoryImages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void kelvo_data();
    void kelvo();
    void kelvoMeaning_data();
    void kelvoMeaning();
    void halden_data();
    void halden();
    void haldenOspreyMeaning();
};

void TstFactoryImages::kelvo_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray kite = literalBytes(kKiteHex);
    const QByteArray falcon = literalBytes(kFalconHex);
    QTest::newRow("7 kitec") << 7 << kite;
    QTest::newRow("8 kiteq") << 8 << kite;
    QTest::newRow("9 falconc") << 9 << kite;
    QTest::newRow("12 kite") << 12 << kite;
    QTest::newRow("10 falconq") << 10 << falcon;
    QTest::newRow("11 falcon") << 11 << falcon;
    QTest::newRow("14 falconeu") << 14 << withDiff(falcon, kFalconEuDiff);
    QTest::newRow("3 osprey has none") << 3 << QByteArray();
    QTest::newRow("13 heron has none") << 13 << QByteArray();
    QTest::newRow("0 none") << 0 << QByteArray();
}

void TstFactoryImages::kelvo()
{
    QFETCH(int, model);
    QFETCH(QByteArray, expected);
    QVERIFY(expected.isEmpty() || expected.size() == 128);
    QCOMPARE(FactoryImages::kelvo(model).toHex(' '), expected.toHex(' '));
}

void TstFactoryImages::kelvoMeaning_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<int>>("stages"); // DPI by the model's raw form
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("lightMode");
    QTest::addColumn<QByteArray>("colours"); // offsets 116..127
    QTest::newRow("kite") << 7 << QList<int>{1000, 1500, 2000, 3000, 5000} << 2 << 4
                          << QByteArray::fromHex("FFFFFF00FFFFFF00FFFFFF00");
    QTest::newRow("falcon") << 11 << QList<int>{800, 1000, 1500, 1850, 3000, 6500, 16000} << 3 << 3
                            << QByteArray::fromHex("4B9F60000000FF000000FF00");
    QTest::newRow("falconeu") << 14 << QList<int>{800, 1000, 1500, 2000, 3000, 4000, 5000} << 3 << 3
                              << QByteArray::fromHex("4B9F60000000FF000000FF00");
}

void TstFactoryImages::kelvoMeaning()
{
    QFETCH(int, model);
    QFETCH(QList<int>, stages);
    QFETCH(int, current);
    QFETCH(int, lightMode);
    QFETCH(QByteArray, colours);
    const QByteArray image = FactoryImages::kelvo(model);
    QList<int> decoded;
    for (int i = 0; i < stages.size(); ++i) {
        const int raw = le16(image, 68 + 2 * i);
        if (model == 14)
            decoded << (raw > 48 ? raw * 200 - 4600 : raw * 100 + 200);
        else
            decoded << (model == 7 ? raw * 100 + 200 : raw * 50);
    }
    QCOMPARE(decoded, stages);
    QCOMPARE(int(image.at(82)), stages.size() - 1); // last stage index
    QCOMPARE(int(image.at(84)), current);
    QCOMPARE(int(image.at(85)), lightMode);
    QCOMPARE(le16(image, 60), 1); // report-rate code 1 = 1000 Hz
    QCOMPARE(image.mid(116, 12).toHex(), colours.toHex());
}

void TstFactoryImages::halden_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("differences"); // offsets that differ from model 3
    const QByteArray osprey = literalBytes(kOspreyHex);
    QTest::newRow("3 osprey") << 3 << osprey << 0;
    QTest::newRow("2 swift") << 2 << withDiff(osprey, kSwiftDiff) << 21;
    QTest::newRow("13 heron") << 13 << withDiff(osprey, kHeronDiff) << 21;
    QTest::newRow("4 wren") << 4 << withDiff(osprey, kWrenDiff) << 32;
    QTest::newRow("18 lark") << 18 << withDiff(osprey, kWrenDiff) << 32;
    QTest::newRow("5 swifts") << 5 << withDiff(osprey, kSwiftSDiff) << 28;
    QTest::newRow("6 wrens") << 6 << withDiff(osprey, kWrenSDiff) << 32;
    QTest::newRow("11 falcon has none") << 11 << QByteArray() << 0;
    QTest::newRow("15 spare has none") << 15 << QByteArray() << 0;
}

void TstFactoryImages::halden()
{
    QFETCH(int, model);
    QFETCH(QByteArray, expected);
    QFETCH(int, differences);
    const QByteArray image = FactoryImages::halden(model);
    QCOMPARE(image.toHex(' '), expected.toHex(' '));
    if (expected.isEmpty())
        return;
    QCOMPARE(image.size(), 234);
    const QByteArray osprey = literalBytes(kOspreyHex);
    int differing = 0;
    for (int i = 0; i < 234; ++i)
        differing += image.at(i) != osprey.at(i) ? 1 : 0;
    QCOMPARE(differing, differences);
}

void TstFactoryImages::haldenOspreyMeaning()
{
    const QByteArray image = FactoryImages::halden(3);
    QCOMPARE(int(image.at(0)), 3); // report-rate index
    QCOMPARE(int(image.at(5)), 3); // DPI gear
    const QList<int> expected{800, 1000, 1500, 2000, 3000, 8000, 16000};
    for (int copy : {0, 16}) {
        QList<int> stages;
        for (int i = 0; i < 7; ++i)
            stages << (quint8(image.at(66 + copy + i)) * 256 + quint8(image.at(58 + copy + i))) * 50;
        QCOMPARE(stages, expected);
    }
}

QTEST_GUILESS_MAIN(TstFactoryImages)
#include "tst_factoryimages.moc"
