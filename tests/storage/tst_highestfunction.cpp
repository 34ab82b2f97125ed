#include "storage/highestfunction.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QtTest>

#include <memory>

class TstHighestFunction : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup() { m_home.reset(); }
    void groupNames_data();
    void groupNames();
    void lookup_data();
    void lookup();
    void storeThenLookup();
    void removeFile();

private:
    std::unique_ptr<TempHome> m_home;
};

void TstHighestFunction::groupNames_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("group");
    const QStringList names{"LeftKey", "MidKey", "RightKey", "FowardKey", "BackKey", "", "",
                            "WheelFoward", "WheelBack", "DPIAdd", "DPIReduce", "Custom1", "Custom2", "Custom3"};
    for (int b = 4; b <= 17; ++b)
        QTest::newRow(qPrintable(QString::number(b))) << b << names.at(b - 4);
    QTest::newRow("3") << 3 << "";
    QTest::newRow("18") << 18 << "";
}

void TstHighestFunction::groupNames()
{
    QFETCH(int, button);
    QFETCH(QString, group);
    QCOMPARE(HighestFunction::groupName(button), group);
}

void TstHighestFunction::lookup_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("function");
    QTest::addColumn<QString>("path");
    QTest::newRow("no file") << QByteArray() << 5 << false << 0 << "";
    QTest::newRow("advanced function")
        << QByteArray("[MidKey]\nstate=1\nfunction=7\npath=C:/Windows/Media/ding.wav\n") << 5 << true << 7
        << "C:/Windows/Media/ding.wav";
    QTest::newRow("other button's group") << QByteArray("[MidKey]\nstate=1\nfunction=7\n") << 6 << false << 0 << "";
    QTest::newRow("state 0") << QByteArray("[DPIAdd]\nstate=0\nfunction=7\n") << 13 << false << 0 << "";
    QTest::newRow("state with separators") << QByteArray("[DPIAdd]\nstate=1,2\nfunction=7\n") << 13 << false << 0
                                           << "";
    QTest::newRow("state not a number") << QByteArray("[DPIAdd]\nstate=on\n") << 13 << false << 0 << "";
    QTest::newRow("function with separators") << QByteArray("[Custom3]\nstate=2\nfunction=7,8\npath=a,b\n") << 17
                                              << true << 0 << "a,b";
    QTest::newRow("no function or path") << QByteArray("[LeftKey]\nstate=1\n") << 4 << true << 0 << "";
    QTest::newRow("button without a group") << QByteArray("[9]\nstate=1\nfunction=3\n") << 9 << false << 0 << "";
}

void TstHighestFunction::lookup()
{
    QFETCH(QByteArray, file);
    QFETCH(int, button);
    QFETCH(bool, found);
    QFETCH(int, function);
    QFETCH(QString, path);
    if (!file.isEmpty())
        QVERIFY(m_home->write("/keysetting/HighestFunction.ini", file));
    int gotFunction = -1;
    QString gotPath = "stale";
    QCOMPARE(HighestFunction::lookup(button, gotFunction, gotPath), found);
    QCOMPARE(gotFunction, function);
    QCOMPARE(gotPath, path);
}

void TstHighestFunction::storeThenLookup()
{
    QVERIFY(HighestFunction::store(11, 1, 4, "D:/music"));
    QVERIFY(!HighestFunction::store(10, 1, 4, "x"));
    QSettings ini(StoragePaths::highestFunctionIniFile(), QSettings::IniFormat);
    QCOMPARE(ini.value("WheelFoward/state").toInt(), 1);
    QCOMPARE(ini.value("WheelFoward/function").toInt(), 4);
    QCOMPARE(ini.value("WheelFoward/path").toString(), QString("D:/music"));
    int function = 0;
    QString path;
    QVERIFY(HighestFunction::lookup(11, function, path));
    QCOMPARE(function, 4);
    QCOMPARE(path, QString("D:/music"));
}

void TstHighestFunction::removeFile()
{
    QTest::ignoreMessage(QtDebugMsg, "deleteHighestFile");
    QVERIFY(HighestFunction::remove()); // nothing to delete: no "ok"
    QVERIFY(HighestFunction::store(4, 1, 1, "x"));
    QTest::ignoreMessage(QtDebugMsg, "deleteHighestFile");
    QTest::ignoreMessage(QtDebugMsg, "deleteHighestFile ok");
    QVERIFY(HighestFunction::remove());
    QVERIFY(!QFile::exists(StoragePaths::highestFunctionIniFile()));
}

QTEST_GUILESS_MAIN(TstHighestFunction)
#include "tst_highestfunction.moc"
