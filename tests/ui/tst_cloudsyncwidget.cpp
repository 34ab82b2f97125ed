// The cloud page against a real qkdriver-server with a simulated falcon attached: upload and
// download round-trip the settings and the macro library, and each way a sequence can end.

#include "common/pacer.h"
#include "common/texttable.h"
#include "common/warning.h"
#include "net/account/loginaccount.h"
#include "net/cloud/saveconfiginfo.h"
#include "session/devicesession.h"
#include "support/accountlogin.h"
#include "support/filetree.h"
#include "support/pagerig.h"
#include "support/serverrig.h"
#include "support/signalanswer.h"
#include "ui/pages/cloudsyncwidget.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QBuffer>
#include <QDirIterator>
#include <QHttpMultiPart>
#include <QLineEdit>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

using Files = FileTree;

// Stores zipBytes in the account as its macro library, as an upload followed by a save would.
bool storeMacroZip(const QString &base, const QByteArray &zipBytes)
{
    KVAccountManage poster;
    poster.setBaseUrl(base);
    auto *multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader, QStringLiteral("form-data; name=\"file\"; filename=\"MacroFiles.zip\""));
    part.setRawHeader("Authorization", poster.token().toUtf8());
    part.setBody(zipBytes);
    multiPart->append(part);
    QNetworkReply *reply = poster.postUpload(multiPart);
    if (!QSignalSpy(reply, &QNetworkReply::finished).wait(20000))
        return false;
    const KVAccountManage::Result r = KVAccountManage::readReply(reply, QString());
    if (r.code != 0)
        return false;
    SaveConfigInfo save;
    save.setBaseUrl(base);
    save.KvSaveConfigInfoJson(r.object.value("data").toObject().value("filePath").toString(), QString(), "MacroConfig");
    return answer(&save, &SaveConfigInfo::sigSaveConfRet).value(0, -100).toInt() == 0;
}

QByteArray zipOf(const QList<QPair<QString, QByteArray>> &entries)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QuaZip zip(&buffer);
    zip.open(QuaZip::mdCreate);
    for (const auto &e : entries) {
        QuaZipFile out(&zip);
        out.open(QIODevice::WriteOnly, QuaZipNewInfo(e.first));
        out.write(e.second);
        out.close();
    }
    zip.close();
    return bytes;
}

struct Fixture
{
    PageRig rig;
    ServerRig server;
    RealClock realClock;
    bool opened = rig.openDevice(QStringLiteral("falcon"));
    CloudSyncWidget page{&rig.session()};
    QSignalSpy warnings{&page, &CloudSyncWidget::sig_ShowWarningDialogOnCloudSyncWidget};
    QSignalSpy failures{&page, &CloudSyncWidget::sig_ShowWarningDialogWithSpecifyMessageOnCloudSyncWidget};
    QSignalSpy macrosLoaded{&page, &CloudSyncWidget::sig_LoadMacroFile};
    QSignalSpy configLoaded{&page, &CloudSyncWidget::sig_LoadConfigFileAfterDownloadSucced};

    // Ann is registered and logged in; the page talks to the rig's server and waits in real time.
    bool ready()
    {
        if (!opened || !server.isRunning())
            return false;
        page.setServerUrl(server.baseUrl());
        page.setWaitClock(&realClock);
        return registerAndLogIn(server.baseUrl());
    }
    QString local() { return rig.session().cloudLocalFolder(); }
    QString macros() const { return DeviceSession::cloudMacroFolder(); }
    QList<int> warningTypes() const
    {
        QList<int> out;
        for (const auto &w : warnings)
            out << w.first().toInt();
        for (const auto &w : failures)
            out << w.first().toInt();
        return out;
    }
};

} // namespace

class TestCloudSyncWidget : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void uploadThenDownloadRestoresEverything();
    void macrosWithoutConfiguration();
    void refusedDownloads_data();
    void refusedDownloads();
    void unbuildableZipTimesOut();
    void passwordChecks_data();
    void passwordChecks();
};

void TestCloudSyncWidget::initTestCase()
{
    TextTable::set(TextTable::loadFile(QStringLiteral(QK_TRANSLATE_JSON), TextTable::kFallbackIndex));
    QCOMPARE(TextTable::text(229), QString("The passwords do not match."));
}

void TestCloudSyncWidget::uploadThenDownloadRestoresEverything()
{
    Fixture f;
    QVERIFY(f.ready());
    QVERIFY(f.rig.show(&f.page));
    for (int n = 1; n <= 5; ++n)
        QVERIFY(writeFile(f.local() + QStringLiteral("/ConfigJsonFile/Config%1.json").arg(n), QByteArray("{\"n\":") + QByteArray::number(n) + "}"));
    QVERIFY(writeFile(f.macros() + "/PlayerCustom/Fire.json", "{\"Name\":\"Fire\"}"));
    QVERIFY(writeFile(f.macros() + "/Other/Bin.json", QByteArray("\0\1\xfe", 3)));
    const Files localBefore = readTree(f.local());
    const Files macrosBefore = readTree(f.macros());

    f.page.slot_startToUploadConfigFiles();
    QCOMPARE(f.warningTypes(), QList<int>{int(Warning::UploadFinished)});
    QCOMPARE(f.page.statusText(), TextTable::text(103));
    f.page.setUserNameLineEdit("Ann");
    PageRig::shot(&f.page, "cloud");

    QVERIFY(writeFile(f.macros() + "/PlayerCustom/Fire.json", "changed"));
    QVERIFY(writeFile(f.local() + "/stray.txt", "not uploaded"));
    QVERIFY(QFile::remove(f.local() + "/ConfigJsonFile/Config2.json"));
    f.warnings.clear();
    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{int(Warning::DownloadFinished)});
    QCOMPARE(f.macrosLoaded.count(), 1);
    QCOMPARE(f.configLoaded.count(), 1);
    QCOMPARE(readTree(f.local()), localBefore);
    QCOMPARE(readTree(f.macros()), macrosBefore);
}

void TestCloudSyncWidget::macrosWithoutConfiguration()
{
    Fixture f;
    QVERIFY(f.ready());
    QVERIFY(storeMacroZip(f.server.baseUrl(), zipOf({{"PlayerCustom/Cloud.json", "{\"Name\":\"Cloud\"}"}})));
    QVERIFY(writeFile(f.local() + "/mine.txt", "kept"));
    const Files localBefore = readTree(f.local());
    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{int(Warning::DownloadFinished)});
    QCOMPARE(f.macrosLoaded.count(), 1);
    QCOMPARE(readTree(f.macros()), (Files{{"PlayerCustom/Cloud.json", "{\"Name\":\"Cloud\"}"}}));
    QCOMPARE(readTree(f.local()), localBefore);
}

void TestCloudSyncWidget::refusedDownloads_data()
{
    QTest::addColumn<QByteArray>("stored"); // the macro zip in the account; empty: none
    QTest::newRow("nothing stored") << QByteArray();
    QTest::newRow("parent entry") << zipOf({{"ok.json", "{}"}, {"../../escaped.json", "{}"}});
    QTest::newRow("absolute entry") << zipOf({{"/tmp/escaped.json", "{}"}});
    QTest::newRow("not a zip") << QByteArray("PK\3\4 garbage");
}

void TestCloudSyncWidget::refusedDownloads()
{
    QFETCH(QByteArray, stored);
    Fixture f;
    QVERIFY(f.ready());
    if (!stored.isEmpty())
        QVERIFY(storeMacroZip(f.server.baseUrl(), stored));
    QVERIFY(writeFile(f.macros() + "/PlayerCustom/Mine.json", "mine"));
    const QString root = QFileInfo(f.macros()).absolutePath();
    const Files before = readTree(root);
    f.page.slot_startToDownLoadFiles();
    QCOMPARE(f.warningTypes(), QList<int>{int(Warning::DownloadFailed)});
    QCOMPARE(f.macrosLoaded.count(), 0);
    QCOMPARE(readTree(root), before);
    QVERIFY(!QFileInfo::exists(QFileInfo(root).absolutePath() + "/escaped.json"));
    QVERIFY(!QFileInfo::exists("/tmp/escaped.json"));
}

void TestCloudSyncWidget::unbuildableZipTimesOut()
{
    Fixture f;
    QVERIFY(f.ready());
    // A folder where the zip should go: nothing can be packed.
    QVERIFY(QDir().mkpath(f.local() + ".zip"));
    f.page.setWaitClock(nullptr); // the rig's virtual clock
    const qint64 start = Pacer::clock().nowMs();
    f.page.slot_startToUploadConfigFiles();
    QCOMPARE(f.warningTypes(), QList<int>{int(Warning::UploadFailed)});
    QCOMPARE(f.failures.first().at(1).toString(), QString());
    QVERIFY(Pacer::clock().nowMs() - start >= CloudSyncWidget::kRequestTimeoutMs);
    QVERIFY(!f.server.log().contains("/v1/file/upload"));
}

void TestCloudSyncWidget::passwordChecks_data()
{
    QTest::addColumn<QString>("next");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<int>("text"); // the status text shown; 0: the request goes out
    QTest::newRow("differ") << "secret22" << "secret23" << 229;
    QTest::newRow("five characters") << "abcde" << "abcde" << 285;
    QTest::newRow("seventeen characters") << QString(17, 'a') << QString(17, 'a') << 286;
    QTest::newRow("six characters") << "abcdef" << "abcdef" << 0;
    QTest::newRow("sixteen characters") << QString(16, 'a') << QString(16, 'a') << 0;
}

void TestCloudSyncWidget::passwordChecks()
{
    QFETCH(QString, next);
    QFETCH(QString, repeat);
    QFETCH(int, text);
    Fixture f;
    QVERIFY(f.ready());
    QVERIFY(f.rig.show(&f.page));
    f.page.setAccountEmail("ann@example.com");
    QSignalSpy sent(&f.page, &CloudSyncWidget::sig_UpdatePassword);
    auto *ok = f.page.findChild<QPushButton *>("ChangePasswordButton");
    QVERIFY(!ok->isVisible());
    QTest::keyClicks(f.page.findChild<QLineEdit *>("OldPasswordLineEdit"), "secret1");
    QTest::keyClicks(f.page.findChild<QLineEdit *>("NewPasswordLineEdit"), next);
    QVERIFY(!ok->isVisible());
    QTest::keyClicks(f.page.findChild<QLineEdit *>("RepeatPasswordLineEdit"), repeat);
    QVERIFY(ok->isVisible());
    QTest::mouseClick(ok, Qt::LeftButton);
    if (text != 0) {
        QCOMPARE(f.page.passwordStatusText(), TextTable::text(text));
        QCOMPARE(sent.count(), 0);
        return;
    }
    QCOMPARE(sent.count(), 1);
    QCOMPARE(sent.first(), (QVariantList{"ann@example.com", "secret1", next}));
    QTRY_COMPARE_WITH_TIMEOUT(f.warningTypes(), QList<int>{int(Warning::PasswordChanged)}, 20000);
    LoginAccount login;
    login.setBaseUrl(f.server.baseUrl());
    login.KvPostLoginJson("ann@example.com", next);
    QCOMPARE(answer(&login, &LoginAccount::sigLoginRet).value(0, -100).toInt(), 0);
}

QTEST_MAIN(TestCloudSyncWidget)
#include "tst_cloudsyncwidget.moc"
