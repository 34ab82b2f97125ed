#include "storage/opfunconffile.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QtTest>

#include <memory>

class TstOpFunConfFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup() { m_home.reset(); }
    void assignment_data();
    void assignment();
    void keys_data();
    void keys();
    void defaults();
    void handWrittenSeparators();

private:
    std::unique_ptr<TempHome> m_home;
};

void TstOpFunConfFile::assignment_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("json");
    QTest::newRow("three parts") << "Ctrl-12-key" << R"({"name":"Ctrl","index":12,"tag":"key"})";
    QTest::newRow("four parts") << "a-1-b-c" << "";
    QTest::newRow("two parts") << "a-12" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("index not a number") << "a-x-c" << "";
    QTest::newRow("empty index") << "a--c" << "";
    QTest::newRow("empty tag") << "a-0-" << R"({"name":"a","index":0,"tag":""})";
    QTest::newRow("leading zeros") << "a-007-c" << R"({"name":"a","index":7,"tag":"c"})";
    QTest::newRow("quote in name") << "say \"hi\"-3-t" << R"({"name":"say \"hi\"","index":3,"tag":"t"})";
    QTest::newRow("backslash in tag") << "n-3-C:\\x" << R"({"name":"n","index":3,"tag":"C:\\x"})";
}

void TstOpFunConfFile::assignment()
{
    QFETCH(QString, stored);
    QFETCH(QString, json);
    const QString text = OpFunConfFile::assignmentJson(stored);
    QCOMPARE(text, json);
    if (!text.isEmpty()) {
        QJsonParseError error{};
        QJsonDocument::fromJson(text.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
    }
}

void TstOpFunConfFile::keys_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("key");
    QTest::newRow("middle key") << "MidKeyVal" << "SET/Mid_key";
    QTest::newRow("middle wheel") << "MidWheelVal" << "SET/Mid_wheel";
    QTest::newRow("side up key") << "SideUpkeyVal" << "SET/Side_upkey";
    QTest::newRow("side down key") << "SideDownkeyVal" << "SET/Side_downkey";
    QTest::newRow("side wheel") << "SideWheel" << "SET/Side_wheel";
}

void TstOpFunConfFile::keys()
{
    QFETCH(QString, property);
    QFETCH(QString, key);
    OpFunConfFile writer;
    QVERIFY(writer.setProperty(qPrintable(property), "Media-5-play"));
    QSettings ini(StoragePaths::systemIniFile(), QSettings::IniFormat);
    QCOMPARE(ini.allKeys(), QStringList{key});
    QCOMPARE(ini.value(key).toString(), QString("Media-5-play"));
    OpFunConfFile reader;
    QCOMPARE(reader.property(qPrintable(property)).toString(),
             QString(R"({"name":"Media","index":5,"tag":"play"})"));
}

void TstOpFunConfFile::defaults()
{
    OpFunConfFile f;
    QVERIFY(f.SetMidKeyVal("a-1-b"));
    QVERIFY(f.SetDefault());
    QSettings ini(StoragePaths::systemIniFile(), QSettings::IniFormat);
    QStringList keys = ini.allKeys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"SET/Mid_key", "SET/Mid_wheel", "SET/Side_downkey", "SET/Side_upkey",
                                "SET/Side_wheel"}));
    for (const QString &key : keys)
        QCOMPARE(ini.value(key).toString(), QString());
    QCOMPARE(f.GetMidKeyVal(), QString());
}

void TstOpFunConfFile::handWrittenSeparators()
{
    QVERIFY(m_home->write("/system/system.ini",
                          "[SET]\nMid_key=a-1-b,c\nMid_wheel=a-1-b-c\nSide_wheel=x-2-y\n"));
    OpFunConfFile f;
    QCOMPARE(f.GetMidKeyVal(), QString(R"({"name":"a","index":1,"tag":"b,c"})"));
    QCOMPARE(f.GetMidWheelVal(), QString());
    QCOMPARE(f.GetSideWheel(), QString(R"({"name":"x","index":2,"tag":"y"})"));
    QCOMPARE(f.GetSideUpkeyVal(), QString());
}

QTEST_GUILESS_MAIN(TstOpFunConfFile)
#include "tst_opfunconffile.moc"
