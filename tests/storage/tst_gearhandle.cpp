#include "storage/gearhandle.h"
#include "support/filetree.h"
#include "storage/storageio.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QtTest>

#include <memory>

namespace {
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The compact default document for a "GearVariable" value.
QByteArray defaultJson(int variable)
{
    QByteArray gears;
    for (int i = 1; i <= 7; ++i)
        gears += QByteArray(i > 1 ? "," : "") + R"({"GearCurrentValue":0,"GearEnable":1,"GearPosition":)"
                 + QByteArray::number(i) + "}";
    return R"({"GearData":[)" + gears + R"(],"GearVariable":)" + QByteArray::number(variable) + "}";
}

QList<int> enableFlags(const QByteArray &json)
{
    QList<int> flags;
    for (const QJsonValue &gear : QJsonDocument::fromJson(json).object().value("GearData").toArray())
        flags << gear.toObject().value("GearEnable").toInt(-1);
    return flags;
}
} // namespace

class TstGearHandle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup()
    {
        StorageIo::setCommitHookForTests({});
        m_home.reset();
    }
    void defaultObject_data();
    void defaultObject();
    void defaultFileIsWritten();
    void readGearFile_data();
    void readGearFile();
    void loadGearObject_data();
    void loadGearObject();
    void enableFromDpiList_data();
    void enableFromDpiList();
    void currentValue_data();
    void currentValue();
    void noGearDataWritesNothing();
    void interruptedWriteKeepsPreviousFile();

private:
    std::unique_ptr<TempHome> m_home;
    GearHandle m_gear;
};

void TstGearHandle::defaultObject_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("variable");
    for (int code : {7, 8, 9, 10, 11, 12, 14})
        QTest::newRow(qPrintable(QString::number(code))) << code << 1;
    for (int code : {0, 2, 3, 4, 5, 6, 13, 15, 18})
        QTest::newRow(qPrintable(QString::number(code))) << code << 0;
}

void TstGearHandle::defaultObject()
{
    QFETCH(int, model);
    QFETCH(int, variable);
    QCOMPARE(QJsonDocument(m_gear.createDefaultGearObject(model)).toJson(QJsonDocument::Compact),
             defaultJson(variable));
}

void TstGearHandle::defaultFileIsWritten()
{
    const QJsonObject o = m_gear.createDefaultGearFile(11, 4);
    QCOMPARE(o.value("GearVariable").toInt(), 1);
    QCOMPARE(readFile(m_home->file("/ConfigFiles/MouseFile/falcon/AFile/CPIUIInterfaceFile/4/CpiSetting.json")),
             defaultJson(1));
}

void TstGearHandle::readGearFile_data()
{
    QTest::addColumn<QByteArray>("file"); // "<none>": no file
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no file") << QByteArray("<none>") << QByteArray("{}");
    QTest::newRow("garbage") << QByteArray("{\"GearData\":") << QByteArray("{}");
    QTest::newRow("array") << QByteArray("[]") << QByteArray("{}");
    QTest::newRow("object as it is") << QByteArray(R"({"GearVariable":"x"})")
                                     << QByteArray(R"({"GearVariable":"x"})");
}

void TstGearHandle::readGearFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    if (file != "<none>")
        QVERIFY(writeFile(StoragePaths::cpiSettingFile(3, 1), file));
    QCOMPARE(QJsonDocument(m_gear.readGearFile(3, 1)).toJson(QJsonDocument::Compact), expected);
}

void TstGearHandle::loadGearObject_data()
{
    QTest::addColumn<QByteArray>("file"); // "<none>": no file
    QTest::addColumn<bool>("usedAsIs");
    QTest::addColumn<bool>("keptCopy");
    QByteArray ownValues = defaultJson(0).replace(R"("GearCurrentValue":0,"GearEnable":1,"GearPosition":2)",
                                                  R"("GearCurrentValue":1200,"GearEnable":0,"GearPosition":2)");
    QTest::newRow("own file") << ownValues << true << false;
    QTest::newRow("no file") << QByteArray("<none>") << false << false;
    QTest::newRow("empty file") << QByteArray() << false << false;
    QTest::newRow("garbage") << QByteArray("{{") << false << true;
    QTest::newRow("no GearData") << QByteArray(R"({"GearVariable":0})") << false << true;
    QTest::newRow("three gears") << QByteArray(R"({"GearData":[{},{},{}]})") << false << true;
    QTest::newRow("gear is a number") << QByteArray(R"({"GearData":[1,2,3,4,5,6,7]})") << false << true;
}

void TstGearHandle::loadGearObject()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, usedAsIs);
    QFETCH(bool, keptCopy);
    const QString path = StoragePaths::cpiSettingFile(3, 2);
    if (file != "<none>")
        QVERIFY(writeFile(path, file));
    const QJsonObject o = m_gear.loadGearObject(3, 2);
    const QByteArray expected = usedAsIs ? file : defaultJson(0);
    QCOMPARE(QJsonDocument(o).toJson(QJsonDocument::Compact), expected);
    QCOMPARE(readFile(path), expected);
    QCOMPARE(QFile::exists(path + ".corrupt"), keptCopy);
    if (keptCopy)
        QCOMPARE(readFile(path + ".corrupt"), file);
}

void TstGearHandle::enableFromDpiList_data()
{
    QTest::addColumn<QList<DWORD>>("dpi");
    QTest::addColumn<QList<int>>("flags");
    QTest::addColumn<bool>("written");
    QTest::newRow("800, 1600, then zeros") << QList<DWORD>{800, 1600, 0, 0, 0, 0, 0}
                                           << QList<int>{1, 1, 0, 0, 0, 0, 0} << true;
    QTest::newRow("all seven") << QList<DWORD>{800, 1000, 1500, 2000, 3000, 8000, 16000}
                               << QList<int>{1, 1, 1, 1, 1, 1, 1} << true;
    QTest::newRow("gaps") << QList<DWORD>{0, 800, 0} << QList<int>{0, 1, 0, 1, 1, 1, 1} << true;
    QTest::newRow("eighth stage has no gear") << QList<DWORD>{0, 0, 0, 0, 0, 0, 800, 900}
                                              << QList<int>{0, 0, 0, 0, 0, 0, 1} << true;
    QTest::newRow("empty list") << QList<DWORD>{} << QList<int>{} << false;
}

void TstGearHandle::enableFromDpiList()
{
    QFETCH(QList<DWORD>, dpi);
    QFETCH(QList<int>, flags);
    QFETCH(bool, written);
    QJsonObject document = m_gear.createDefaultGearObject(11);
    for (int i = 0; i < qMin(dpi.size(), 7); ++i) {
        const QByteArray line = "setGearHanlePositionEnable " + QByteArray::number(i) + ' '
                                + QByteArray::number(dpi.at(i) ? 1 : 0);
        QTest::ignoreMessage(QtDebugMsg, line.constData());
    }
    QCOMPARE(m_gear.setGearEnableFromDpiList(11, 1, document, dpi), written);
    const QString path = StoragePaths::cpiSettingFile(11, 1);
    QCOMPARE(QFile::exists(path), written);
    if (written) {
        QCOMPARE(enableFlags(readFile(path)), flags);
        QCOMPARE(enableFlags(QJsonDocument(document).toJson()), flags);
    }
}

void TstGearHandle::currentValue_data()
{
    QTest::addColumn<int>("gear");
    QTest::addColumn<bool>("written");
    QTest::newRow("first") << 0 << true;
    QTest::newRow("last") << 6 << true;
    QTest::newRow("eighth") << 7 << false;
    QTest::newRow("negative") << -1 << false;
}

void TstGearHandle::currentValue()
{
    QFETCH(int, gear);
    QFETCH(bool, written);
    QJsonObject document = m_gear.createDefaultGearObject(3);
    QCOMPARE(m_gear.setGearCurrentValue(3, 5, document, gear, 1850), written);
    const QString path = StoragePaths::cpiSettingFile(3, 5);
    QCOMPARE(QFile::exists(path), written);
    QCOMPARE(m_gear.getGearCurrentValue(document, gear), written ? 1850 : 0);
    if (written) {
        const QJsonObject fromFile = QJsonDocument::fromJson(readFile(path)).object();
        QCOMPARE(m_gear.getGearCurrentValue(fromFile, gear), 1850);
        QCOMPARE(m_gear.getGearCurrentValue(fromFile, gear == 0 ? 1 : 0), 0);
    }
}

void TstGearHandle::noGearDataWritesNothing()
{
    QJsonObject document{{"GearVariable", 1}, {"GearData", "not an array"}};
    QVERIFY(!m_gear.setGearEnable(11, 3, document, 0, 0));
    QVERIFY(!m_gear.setGearCurrentValue(11, 3, document, 0, 800));
    QVERIFY(!m_gear.setGearEnableFromDpiList(11, 3, document, {800}));
    QCOMPARE(document.value("GearData").toString(), QString("not an array"));
    QVERIFY(!QFile::exists(StoragePaths::cpiSettingFile(11, 3)));
    // A value of the wrong type reads as 0.
    QJsonObject odd = QJsonDocument::fromJson(R"({"GearData":[{"GearCurrentValue":"800"}]})").object();
    QCOMPARE(m_gear.getGearCurrentValue(odd, 0), 0);
}

void TstGearHandle::interruptedWriteKeepsPreviousFile()
{
    QJsonObject document = m_gear.createDefaultGearFile(11, 2);
    const QByteArray previous = readFile(StoragePaths::cpiSettingFile(11, 2));
    StorageIo::setCommitHookForTests([](const QString &) { return false; });
    QVERIFY(!m_gear.setGearEnable(11, 2, document, 3, 0));
    StorageIo::setCommitHookForTests({});
    QCOMPARE(readFile(StoragePaths::cpiSettingFile(11, 2)), previous);
    QCOMPARE(enableFlags(QJsonDocument(m_gear.readGearFile(11, 2)).toJson()), (QList<int>{1, 1, 1, 1, 1, 1, 1}));
}

QTEST_GUILESS_MAIN(TstGearHandle)
#include "tst_gearhandle.moc"
