// Firmware releases from a real qkdriver-server: published, offered by the version request,
// downloaded and stored in the update folder, or refused.
#include "net/update/filedownloader.h"
#include "net/update/updatefolder.h"
#include "support/serverrig.h"
#include "support/temphome.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int kFalcon = 11;

// The download address the version request offers for versionType.
QString offeredAddress(const ServerRig &server, const QString &versionType)
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(server.baseUrl() + "/v1/driver/version"));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply *reply = network.post(request, QJsonDocument(QJsonObject{{"versionType", versionType}}).toJson());
    QSignalSpy done(reply, &QNetworkReply::finished);
    if (!done.wait(10000))
        return {};
    reply->deleteLater();
    return QJsonDocument::fromJson(reply->readAll()).object().value("data").toObject().value("downloadUrl").toString();
}
} // namespace

class TstUpdate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void downloadIsStoredOrRefused_data();
    void downloadIsStoredOrRefused();
};

void TstUpdate::downloadIsStoredOrRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("addressChange"); // what is done to the offered address
    QTest::addColumn<bool>("stored");
    QTest::newRow("100 bytes") << 100 << "" << true;
    QTest::newRow("99 bytes") << 99 << "" << false;
    QTest::newRow("largest image") << UpdateFolder::kMaxImageBytes << "" << true;
    QTest::newRow("larger than the mouse holds") << UpdateFolder::kMaxImageBytes + 1 << "" << false;
    QTest::newRow("404 page") << 4096 << "unknown id" << false;
    QTest::newRow("nobody listening") << 4096 << "server stopped" << false;
}

void TstUpdate::downloadIsStoredOrRefused()
{
    QFETCH(int, size);
    QFETCH(QString, addressChange);
    QFETCH(bool, stored);
    TempHome home;
    ServerRig server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QVERIFY(home.write("/release.bin", QByteArray(size, '\x5A')));
    QVERIFY(server.publish("firmware", "falcon", "43", "2026-12-01", home.file("/release.bin")));
    QString address = offeredAddress(server, "falcon-firmware");
    QVERIFY2(address.startsWith(server.baseUrl() + "/files/"), qPrintable(address));
    if (addressChange == "unknown id")
        address = address.left(address.lastIndexOf('/') + 1) + QString(address.size() - address.lastIndexOf('/') - 1, 'a');
    if (addressChange == "server stopped")
        server.stop();

    const QString package = UpdateFolder::packageFile(UpdateFolder::Source::Clouds, kFalcon);
    QVERIFY(home.write("/Update/Clouds/falcon/Nuc123.bin", "the image before"));
    FileDownloader downloader;
    QSignalSpy done(&downloader, &FileDownloader::downloaded);
    downloader.startDownlod(QUrl(address));
    QVERIFY(done.wait(10000));
    QString error = downloader.errorText();
    const bool ok = done.first().first().toBool()
                 && UpdateFolder::storeDownload(kFalcon, downloader.downloadedData(), "2026-12-01", &error);
    QCOMPARE(ok, stored);
    QFile file(package);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (stored) {
        QCOMPARE(file.readAll(), QByteArray(size, '\x5A'));
        QCOMPARE(home.read("/Update/Clouds/falcon/versiondate.txt"), QByteArray("2026-12-01"));
    } else {
        QVERIFY(!error.isEmpty());
        QCOMPARE(file.readAll(), QByteArray("the image before")); // an error page never replaces it
        QVERIFY(!QFile::exists(home.file("/Update/Clouds/falcon/versiondate.txt")));
    }
}

QTEST_GUILESS_MAIN(TstUpdate)
#include "tst_update.moc"
