// The macro library calls the macro editor uses: create, read, save, rename, delete, and the
// refusal of any file outside the macro folder.

#include "session/devicesession.h"
#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TstMacroLibrary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void createSaveReadBack();
    void refusedOutsideTheLibrary_data();
    void refusedOutsideTheLibrary();
};

void TstMacroLibrary::createSaveReadBack()
{
    TempHome home;
    QCOMPARE(DeviceSession::macroGroups(), QStringList{QStringLiteral("PlayerCustom")});
    const QString folder = DeviceSession::editorMacroFolder();
    const QString a = DeviceSession::createMacro(folder, QStringLiteral("First"));
    const QString b = DeviceSession::createMacro(folder, QStringLiteral("Second"));
    QVERIFY(!a.isEmpty() && !b.isEmpty() && a != b); // the same millisecond gives another name
    QVERIFY(QFileInfo(a).fileName().contains(QRegularExpression(QStringLiteral("^\\d{17}\\.json$"))));

    MacroNode press;
    press.valueType = 3;
    press.keyValue = 0x41;
    press.state = 0;
    press.timeLapse = 250;
    press.text = QStringLiteral("A");
    MacroNode move;
    move.valueType = 6;
    move.coordinateX = -5;
    move.coordinateY = 7;
    QVERIFY(DeviceSession::saveMacroEvents(a, {press, move}, 3, 14, 2));
    QVERIFY(DeviceSession::renameMacro(a, QStringLiteral("Renamed")));
    QVERIFY(DeviceSession::setMacroIgnoreDelayTime(a, 2));
    const DeviceSession::MacroDocument doc = DeviceSession::readMacro(a);
    QCOMPARE(doc.name, QStringLiteral("Renamed"));
    QCOMPARE(doc.nodes, (QList<MacroNode>{press, move}));
    QCOMPARE(doc.repeatTimes, 3);
    QCOMPARE(doc.macroLength, 14);
    QCOMPARE(doc.macroType, 2);
    QCOMPARE(doc.ignoreDelayTime, 2);
    QVERIFY(DeviceSession::setMacroType(a, 4));
    QVERIFY(DeviceSession::setMacroRepeatTimes(a, 9));
    QCOMPARE(DeviceSession::readMacro(a).macroType, 4);
    QCOMPARE(DeviceSession::readMacro(a).repeatTimes, 9);

    QStringList names;
    for (const DeviceSession::MacroEntry &e : DeviceSession::macroEntries(folder))
        names << e.name;
    QCOMPARE(names, (QStringList{QStringLiteral("Renamed"), QStringLiteral("Second")}));
    QVERIFY(DeviceSession::deleteMacro(a));
    QVERIFY(!QFile::exists(a));
    QVERIFY(!DeviceSession::deleteMacro(a));
    QCOMPARE(DeviceSession::macroEntries(folder).size(), 1);
}

void TstMacroLibrary::refusedOutsideTheLibrary_data()
{
    QTest::addColumn<QString>("relative"); // from the application folder
    QTest::newRow("beside the data") << "/system/system.ini";
    QTest::newRow("climbing out of the library") << "/ConfigFiles/MacroFiles/PlayerCustom/../../x.json";
    QTest::newRow("a folder named like the library") << "/ConfigFiles/MacroFilesX/m.json";
}

void TstMacroLibrary::refusedOutsideTheLibrary()
{
    QFETCH(QString, relative);
    TempHome home;
    StoragePaths::customMacroFolder();
    QVERIFY(home.write(relative, "{\"Name\":\"keep\"}"));
    const QString path = home.file(relative);
    QVERIFY(!DeviceSession::deleteMacro(path));
    QVERIFY(!DeviceSession::renameMacro(path, QStringLiteral("x")));
    QVERIFY(!DeviceSession::saveMacroEvents(path, {}, 1, 0, 0));
    QVERIFY(!DeviceSession::setMacroType(path, 2));
    QCOMPARE(home.read(relative), QByteArray("{\"Name\":\"keep\"}"));
    QVERIFY(DeviceSession::createMacro(QFileInfo(path).absolutePath(), QStringLiteral("x")).isEmpty());
}

QTEST_GUILESS_MAIN(TstMacroLibrary)
#include "tst_macrolibrary.moc"
