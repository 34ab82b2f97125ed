#include "catalog/modelcatalog.h"

#include <QtTest>

class TstDpiRange : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accepts_data();
    void accepts();
};

void TstDpiRange::accepts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("ok");
    QTest::newRow("falcon minimum") << 11 << 50 << true;
    QTest::newRow("falcon below") << 11 << 0 << false;
    QTest::newRow("falcon maximum") << 11 << 16000 << true;
    QTest::newRow("falcon off step") << 11 << 825 << false;
    QTest::newRow("osprey 16000") << 3 << 16000 << true;
    QTest::newRow("wren 6200") << 4 << 6200 << true;
    QTest::newRow("wren 6300") << 4 << 6300 << false;
    QTest::newRow("wren 150") << 4 << 150 << false;
    QTest::newRow("heron step 100") << 13 << 2500 << true;
    QTest::newRow("kite 5000") << 12 << 5000 << true;
    QTest::newRow("kitec 5100") << 7 << 5100 << false;
    QTest::newRow("falconeu 4900") << 14 << 4900 << true;
    QTest::newRow("falconeu 5000") << 14 << 5000 << true;
    QTest::newRow("falconeu 5100 off the upper step") << 14 << 5100 << false;
    QTest::newRow("falconeu 5200") << 14 << 5200 << true;
    QTest::newRow("falconeu 10000") << 14 << 10000 << true;
    QTest::newRow("falconeu 10200") << 14 << 10200 << false;
}

void TstDpiRange::accepts()
{
    QFETCH(int, type);
    QFETCH(int, value);
    QFETCH(bool, ok);
    QCOMPARE(Catalog::dpiRangeOf(type).accepts(value), ok);
}

QTEST_GUILESS_MAIN(TstDpiRange)
#include "tst_dpirange.moc"
