#include "common/mousetype.h"

#include <QtTest>

class TstMouseType : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
};

void TstMouseType::names_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("tests"); // F falcon, K kite, Q falconq-or-falcon, D falcon driver,
                                        // O osprey driver, H heron
    QTest::newRow("0 none") << 0 << "osprey" << "osprey" << "";
    QTest::newRow("1 never produced") << 1 << "osprey" << "osprey" << "";
    QTest::newRow("2 swift") << 2 << "swift" << "swift" << "O";
    QTest::newRow("3 osprey") << 3 << "osprey" << "osprey" << "O";
    QTest::newRow("4 wren") << 4 << "wren" << "wren" << "O";
    QTest::newRow("5 swifts") << 5 << "swifts" << "swifts" << "O";
    QTest::newRow("6 wrens") << 6 << "wrens" << "wrens" << "O";
    QTest::newRow("7 kitec") << 7 << "kitec" << "kitec" << "KD";
    QTest::newRow("8 kiteq") << 8 << "kiteq" << "kiteq" << "KD";
    QTest::newRow("9 falconc") << 9 << "falconc" << "falconc" << "FD";
    QTest::newRow("10 falconq") << 10 << "falconq" << "falconq" << "FQD";
    QTest::newRow("11 falcon") << 11 << "falcon" << "falcon" << "FQD";
    QTest::newRow("12 kite") << 12 << "kite" << "kite" << "KD";
    QTest::newRow("13 heron") << 13 << "heron" << "heron" << "H";
    QTest::newRow("14 falconeu") << 14 << "falconeu" << "falcon" << "FD";
    QTest::newRow("15 spare") << 15 << "osprey" << "osprey" << "";
    QTest::newRow("16 spare") << 16 << "osprey" << "swift" << "";
    QTest::newRow("17 never produced") << 17 << "osprey" << "osprey" << "";
    QTest::newRow("18 lark") << 18 << "lark" << "lark" << "O";
    QTest::newRow("19 unknown") << 19 << "osprey" << "osprey" << "";
    QTest::newRow("negative") << -1 << "osprey" << "osprey" << "";
}

void TstMouseType::names()
{
    QFETCH(int, code);
    QFETCH(QString, model);
    QFETCH(QString, family);
    QFETCH(QString, tests);
    QCOMPARE(MouseType::modelName(code), model);
    QCOMPARE(MouseType::familyResourceName(code), family);
    QCOMPARE(MouseType::isFalconFamily(code), tests.contains('F'));
    QCOMPARE(MouseType::isKiteFamily(code), tests.contains('K'));
    QCOMPARE(MouseType::isFalconQOrFalcon(code), tests.contains('Q'));
    QCOMPARE(MouseType::hasFalconDriver(code), tests.contains('D'));
    QCOMPARE(MouseType::hasOspreyDriver(code), tests.contains('O'));
    QCOMPARE(MouseType::isHeron(code), tests.contains('H'));
}

QTEST_GUILESS_MAIN(TstMouseType)
#include "tst_mousetype.moc"
