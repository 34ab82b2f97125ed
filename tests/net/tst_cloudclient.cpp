// The cloud sync requests against a real qkdriver-server: upload, register, fetch back.

#include "net/cloud/getdownloadfilepath.h"
#include "net/cloud/saveconfiginfo.h"
#include "net/cloud/uploadfile.h"
#include "net/update/filedownloader.h"
#include "storage/cloudarchive.h"
#include "storage/storagepaths.h"
#include "support/accountlogin.h"
#include "support/filetree.h"
#include "support/logcapture.h"
#include "support/serverrig.h"
#include "support/signalanswer.h"
#include "support/temphome.h"

#include <QDirIterator>
#include <QSignalSpy>
#include <QTest>

namespace {

using Files = FileTree;

// Uploads folder and registers it; the server path, or "" on any failure.
QString uploadAndSave(const QString &base, const QString &folder, bool isMacro, const QString &model)
{
    UploadFile upload;
    SaveConfigInfo save;
    upload.setBaseUrl(base);
    save.setBaseUrl(base);
    upload.upload(folder, isMacro);
    const QVariantList up = answer(&upload, &UploadFile::sigUploadFileRet);
    if (up.value(0, -100).toInt() != 0)
        return QString();
    save.KvSaveConfigInfoJson(up.at(2).toString(), model, isMacro ? "MacroConfig" : "LocalConfig");
    return answer(&save, &SaveConfigInfo::sigSaveConfRet).value(0, -100).toInt() == 0 ? up.at(2).toString() : QString();
}

} // namespace

class TestCloudClient : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip();
    void nothingStored_data();
    void nothingStored();
    void unbuildableZipSendsNothing();
};

void TestCloudClient::roundTrip()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QVERIFY(registerAndLogIn(server.baseUrl()));
    const QString local = StoragePaths::mouseLocalFolder(11);
    const QString macros = StoragePaths::macroFolder();
    for (int n = 1; n <= 5; ++n)
        QVERIFY(home.write(QDir(home.path()).relativeFilePath(StoragePaths::configJsonPath(11, n)).prepend('/'),
                           QByteArray("{\"config\":") + QByteArray::number(n) + "}\n"));
    QVERIFY(home.write("/ConfigFiles/MacroFiles/Fire.json", "{\"macro\":[1,2,3]}"));
    QVERIFY(home.write("/ConfigFiles/MacroFiles/PlayerCustom/Mine.json", QByteArray("\0\xff\x10", 3)));
    const Files localBefore = readTree(local);
    const Files macrosBefore = readTree(macros);
    QCOMPARE(localBefore.size(), 5);

    QVERIFY(!uploadAndSave(server.baseUrl(), local, false, "falcon").isEmpty());
    QVERIFY(!uploadAndSave(server.baseUrl(), macros, true, QString()).isEmpty());
    // The transport zips are gone, the folders are untouched.
    QVERIFY(!QFileInfo::exists(local + ".zip"));
    QVERIFY(!QFileInfo::exists(macros + ".zip"));

    // The local copies change; the download brings the uploaded ones back, byte for byte.
    QVERIFY(home.write("/ConfigFiles/MacroFiles/Fire.json", "changed"));
    QVERIFY(home.write("/ConfigFiles/MacroFiles/New.json", "new"));
    QVERIFY(QFile::remove(StoragePaths::configJsonPath(11, 3)));
    GetDownLoadFilePath get;
    get.setBaseUrl(server.baseUrl());
    FileDownloader downloader;
    const QList<QPair<QString, QString>> kinds{{QString(), macros}, {"falcon", local}};
    for (const auto &kind : kinds) {
        get.KvDownLoadFilePathJson(kind.first);
        const QVariantList path = answer(&get, &GetDownLoadFilePath::sig_DownLoadFilePathRet);
        QCOMPARE(path.value(0, -100).toInt(), 0);
        QCOMPARE(path.at(1).toString(), kind.first.isEmpty() ? QString("macro") : kind.first);
        QVERIFY(!path.at(3).toString().isEmpty());
        downloader.startDownlod(QUrl(path.at(3).toString()));
        QCOMPARE(answer(&downloader, &FileDownloader::downloaded).value(0).toBool(), true);
        QCOMPARE(CloudArchive::replaceFolderFromBytes(downloader.downloadedData(), kind.second), CloudArchive::Unpacked::Replaced);
    }
    QCOMPARE(readTree(macros), macrosBefore);
    QCOMPARE(readTree(local), localBefore);
}

void TestCloudClient::nothingStored_data()
{
    QTest::addColumn<QString>("mouseType");
    QTest::addColumn<QString>("configType");
    QTest::newRow("macro library") << QString() << "macro";
    QTest::newRow("model configuration") << "osprey" << "osprey";
}

void TestCloudClient::nothingStored()
{
    QFETCH(QString, mouseType);
    QFETCH(QString, configType);
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QVERIFY(registerAndLogIn(server.baseUrl()));
    GetDownLoadFilePath get;
    get.setBaseUrl(server.baseUrl());
    get.KvDownLoadFilePathJson(mouseType);
    const QVariantList path = answer(&get, &GetDownLoadFilePath::sig_DownLoadFilePathRet);
    QCOMPARE(path.value(0, -100).toInt(), 0);
    QCOMPARE(path.at(1).toString(), configType);
    QCOMPARE(path.at(3).toString(), QString());
}

void TestCloudClient::unbuildableZipSendsNothing()
{
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QVERIFY(registerAndLogIn(server.baseUrl()));
    LogCapture log;
    UploadFile upload;
    upload.setBaseUrl(server.baseUrl());
    QSignalSpy answered(&upload, &UploadFile::sigUploadFileRet);
    upload.upload(home.path() + "/ConfigFiles/none", false);
    QCOMPARE(log.countStartingWith("compressDir file failed"), 1);
    // An unknown type sends nothing either; a later request does reach the server.
    SaveConfigInfo save;
    save.setBaseUrl(server.baseUrl());
    save.KvSaveConfigInfoJson("x", "falcon", "OtherConfig");
    save.KvSaveConfigInfoJson("x", "falcon", "LocalConfig");
    QCOMPARE(answer(&save, &SaveConfigInfo::sigSaveConfRet).value(0, -100).toInt() != 0, true);
    const QByteArray serverLog = server.log();
    QVERIFY(!serverLog.contains("/v1/file/upload"));
    QCOMPARE(serverLog.count("request POST /v1/driver/config2/save"), 1);
    QCOMPARE(answered.count(), 0);
}

QTEST_GUILESS_MAIN(TestCloudClient)
#include "tst_cloudclient.moc"
