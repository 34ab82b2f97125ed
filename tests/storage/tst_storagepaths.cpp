#include "storage/storagepaths.h"
#include "support/temphome.h"

#include <QtTest>

#include <memory>

class TstStoragePaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup() { m_home.reset(); }
    void folderNames_data();
    void folderNames();
    void paths_data();
    void paths();
    void applicationFolderIsTheHome();
    void configPathIsLogged();

private:
    std::unique_ptr<TempHome> m_home;
};

void TstStoragePaths::folderNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("family");
    QTest::newRow("2") << 2 << "swift" << "swift";
    QTest::newRow("3") << 3 << "osprey" << "osprey";
    QTest::newRow("4") << 4 << "wren" << "wren";
    QTest::newRow("5") << 5 << "swifts" << "swift";
    QTest::newRow("6") << 6 << "wrens" << "wrens";
    QTest::newRow("7") << 7 << "kitec" << "kitec";
    QTest::newRow("8") << 8 << "kiteq" << "kiteq";
    QTest::newRow("9") << 9 << "falconc" << "falcon";
    QTest::newRow("10") << 10 << "falconq" << "falcon";
    QTest::newRow("11") << 11 << "falcon" << "falcon";
    QTest::newRow("12") << 12 << "kite" << "kite";
    QTest::newRow("13") << 13 << "heron" << "heron";
    QTest::newRow("14") << 14 << "falconeu" << "falcon";
    QTest::newRow("15 spare") << 15 << "osprey" << "osprey";
    QTest::newRow("16 spare") << 16 << "osprey" << "swift";
    QTest::newRow("18") << 18 << "lark" << "lark";
    QTest::newRow("0 none") << 0 << "osprey" << "osprey";
    QTest::newRow("unknown 99") << 99 << "osprey" << "osprey";
    QTest::newRow("negative") << -3 << "osprey" << "osprey";
}

void TstStoragePaths::folderNames()
{
    QFETCH(int, code);
    QFETCH(QString, model);
    QFETCH(QString, family);
    QCOMPARE(StoragePaths::modelFolderName(code), model);
    QCOMPARE(StoragePaths::familyFolderName(code), family);
}

void TstStoragePaths::paths_data()
{
    QTest::addColumn<QString>("function");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("createdFolder"); // empty: nothing may be created
    QTest::newRow("configuration 0 of model 11")
        << "config" << 11 << 0 << "/ConfigFiles/MouseFile/falcon/OriginalFile/Config0.json"
        << "/ConfigFiles/MouseFile/falcon/OriginalFile";
    QTest::newRow("configuration 3 of model 3")
        << "config" << 3 << 3 << "/ConfigFiles/MouseFile/osprey/AFile/ConfigJsonFile/Config3.json"
        << "/ConfigFiles/MouseFile/osprey/AFile/ConfigJsonFile";
    QTest::newRow("configuration 5 of unknown code")
        << "config" << 42 << 5 << "/ConfigFiles/MouseFile/osprey/AFile/ConfigJsonFile/Config5.json"
        << "/ConfigFiles/MouseFile/osprey/AFile/ConfigJsonFile";
    QTest::newRow("legacy 2 of model 7") << "legacy" << 7 << 2
                                         << "/ConfigFiles/MouseFile/kitec/AFile/Config2.txt"
                                         << "/ConfigFiles/MouseFile/kitec/AFile";
    QTest::newRow("legacy 0 of model 7") << "legacy" << 7 << 0
                                         << "/ConfigFiles/MouseFile/kitec/OriginalFile/Config0.txt"
                                         << "/ConfigFiles/MouseFile/kitec/OriginalFile";
    QTest::newRow("mouse local folder") << "local" << 13 << 0 << "/ConfigFiles/MouseFile/heron/AFile"
                                        << "/ConfigFiles/MouseFile/heron/AFile";
    QTest::newRow("cpi folder is not created")
        << "cpifolder" << 12 << 2 << "/ConfigFiles/MouseFile/kite/AFile/CPIUIInterfaceFile/2" << "";
    QTest::newRow("cpi setting file")
        << "cpi" << 11 << 4 << "/ConfigFiles/MouseFile/falcon/AFile/CPIUIInterfaceFile/4/CpiSetting.json"
        << "/ConfigFiles/MouseFile/falcon/AFile/CPIUIInterfaceFile/4";
    QTest::newRow("picture") << "picture" << 9 << 1
                             << "/ConfigFiles/MouseFile/falconc/AFile/PictureFile/1/drawImage.BMP"
                             << "/ConfigFiles/MouseFile/falconc/AFile/PictureFile/1";
    QTest::newRow("factory picture") << "defaultpicture" << 14 << 0
                                     << "/ConfigFiles/RecoverFile/PictureFile/falconeu/drawImage.BMP"
                                     << "/ConfigFiles/RecoverFile/PictureFile/falconeu";
    QTest::newRow("firmware date") << "firmwaredate" << 18 << 0
                                   << "/Update/Clouds/lark/versiondate.txt" << "";
    QTest::newRow("macro folder") << "macro" << 0 << 0 << "/ConfigFiles/MacroFiles"
                                  << "/ConfigFiles/MacroFiles";
    QTest::newRow("custom macro folder") << "custommacro" << 0 << 0
                                         << "/ConfigFiles/MacroFiles/PlayerCustom"
                                         << "/ConfigFiles/MacroFiles/PlayerCustom";
    QTest::newRow("translation") << "translation" << 0 << 0 << "/Language/translate.json" << "";
    QTest::newRow("system ini") << "system" << 0 << 0 << "/system/system.ini" << "";
    QTest::newRow("highest function ini") << "highest" << 0 << 0
                                          << "/keysetting/HighestFunction.ini" << "";
    QTest::newRow("no longer remind ini") << "remind" << 0 << 0 << "/NoLongerRemind.ini" << "";
}

void TstStoragePaths::paths()
{
    QFETCH(QString, function);
    QFETCH(int, code);
    QFETCH(int, n);
    QFETCH(QString, relative);
    QFETCH(QString, createdFolder);
    QString path;
    if (function == "config") path = StoragePaths::configJsonPath(code, n);
    else if (function == "legacy") path = StoragePaths::legacyConfigPath(code, n);
    else if (function == "local") path = StoragePaths::mouseLocalFolder(code);
    else if (function == "cpifolder") path = StoragePaths::cpiInterfaceFolder(StoragePaths::modelFolderName(code), n);
    else if (function == "cpi") path = StoragePaths::cpiSettingFile(code, n);
    else if (function == "picture") path = StoragePaths::picturePath(code, n);
    else if (function == "defaultpicture") path = StoragePaths::defaultPicturePath(code);
    else if (function == "firmwaredate") path = StoragePaths::firmwareDateFile(code);
    else if (function == "macro") path = StoragePaths::macroFolder();
    else if (function == "custommacro") path = StoragePaths::customMacroFolder();
    else if (function == "translation") path = StoragePaths::translationFile();
    else if (function == "system") path = StoragePaths::systemIniFile();
    else if (function == "highest") path = StoragePaths::highestFunctionIniFile();
    else if (function == "remind") path = StoragePaths::noLongerRemindIniFile();
    QCOMPARE(path, m_home->file(relative));
    QStringList made;
    QDirIterator it(m_home->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        made << it.next().mid(m_home->path().size());
    if (createdFolder.isEmpty())
        QCOMPARE(made, QStringList());
    else
        QVERIFY2(made.contains(createdFolder), qPrintable(made.join(' ')));
}

void TstStoragePaths::applicationFolderIsTheHome()
{
    QCOMPARE(StoragePaths::applicationDir(), m_home->path());
    QCOMPARE(StoragePaths::dataRoot(), m_home->path() + "/ConfigFiles");
}

void TstStoragePaths::configPathIsLogged()
{
    const QString expected = m_home->file("/ConfigFiles/MouseFile/falcon/OriginalFile/Config0.json");
    QTest::ignoreMessage(QtDebugMsg, qPrintable("currentConfigJsonFilePath \"" + expected + "\""));
    StoragePaths::configJsonPath(11, 0);
}

QTEST_GUILESS_MAIN(TstStoragePaths)
#include "tst_storagepaths.moc"
