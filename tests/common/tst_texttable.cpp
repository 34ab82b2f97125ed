#include "common/texttable.h"

#include <QtTest>

class TstTextTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void languageIndex_data();
    void languageIndex();
    void load_data();
    void load();
};

void TstTextTable::languageIndex_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("index");
    QTest::newRow("chinese") << int(QLocale::Chinese) << 0;
    QTest::newRow("english") << int(QLocale::English) << 1;
    QTest::newRow("french is unlisted") << int(QLocale::French) << 1;
    QTest::newRow("japanese is unlisted") << int(QLocale::Japanese) << 1;
    QTest::newRow("c locale") << int(QLocale::C) << 1;
    QTest::newRow("korean") << int(QLocale::Korean) << 2;
    QTest::newRow("albanian") << int(QLocale::Albanian) << 3;
    QTest::newRow("german") << int(QLocale::German) << 4;
    QTest::newRow("italian") << int(QLocale::Italian) << 6;
    QTest::newRow("spanish") << int(QLocale::Spanish) << 7;
    QTest::newRow("dutch") << int(QLocale::Dutch) << 8;
    QTest::newRow("portuguese") << int(QLocale::Portuguese) << 9;
    QTest::newRow("russian") << int(QLocale::Russian) << 10;
    QTest::newRow("ukrainian") << int(QLocale::Ukrainian) << 11;
}

void TstTextTable::languageIndex()
{
    QFETCH(int, language);
    QFETCH(int, index);
    QCOMPARE(TextTable::languageIndex(QLocale::Language(language)), index);
}

void TstTextTable::load_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("logsNoArray");

    const QByteArray three = R"([["zh0","zh1"],["en0","en1","en2"],["ko0","","ko2"]])";
    QTest::newRow("own array complete") << three << 1 << QStringList{"en0", "en1", "en2"} << false;
    QTest::newRow("short array completed from english")
        << three << 0 << QStringList{"zh0", "zh1", "en2"} << false;
    QTest::newRow("empty entry falls back") << three << 2 << QStringList{"ko0", "en1", "ko2"} << false;
    QTest::newRow("index beyond the file reads english")
        << three << 11 << QStringList{"en0", "en1", "en2"} << false;
    QTest::newRow("not an array of strings")
        << QByteArray(R"([{"a":1},["en0"]])") << 0 << QStringList{"en0"} << false;
    QTest::newRow("object document") << QByteArray(R"({"0":["x"]})") << 1 << QStringList{} << true;
    QTest::newRow("garbage") << QByteArray("[[\"unterminated") << 1 << QStringList{} << true;
    QTest::newRow("empty file") << QByteArray() << 1 << QStringList{} << true;
}

void TstTextTable::load()
{
    QFETCH(QByteArray, json);
    QFETCH(int, index);
    QFETCH(QStringList, expected);
    QFETCH(bool, logsNoArray);
    if (logsNoArray)
        QTest::ignoreMessage(QtDebugMsg, "NoArray");
    QCOMPARE(TextTable::load(json, index), expected);
}

QTEST_GUILESS_MAIN(TstTextTable)
#include "tst_texttable.moc"
