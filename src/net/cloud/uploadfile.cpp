#include "net/cloud/uploadfile.h"

#include "storage/cloudarchive.h"

#include <QDebug>
#include <QFile>
#include <QHttpMultiPart>
#include <QNetworkReply>

UploadFile::UploadFile(QObject *parent) : KVAccountManage(parent)
{
    connect(this, &KVAccountManage::sigFinished, this, &UploadFile::slots_onSigFinished);
}

UploadFile::~UploadFile()
{
    closeZip();
}

void UploadFile::closeZip()
{
    if (!m_zip)
        return;
    const QString path = m_zip->fileName();
    m_zip->close();
    m_zip = nullptr;
    // The zip is only the transport of this upload; the folder stays the user's copy.
    QFile::remove(path);
}

void UploadFile::upload(const QString &folder, bool isMacro)
{
    QString base = folder;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QString zipPath = base + QStringLiteral(".zip");
    closeZip();
    if (!CloudArchive::compressFolder(base, zipPath)) {
        qWarning() << "compressDir file failed" << base;
        return;
    }
    auto *multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    m_zip = new QFile(zipPath, multiPart);
    if (!m_zip->open(QIODevice::ReadOnly)) {
        qWarning() << "compressDir file failed" << zipPath;
        delete multiPart;
        QFile::remove(zipPath);
        return;
    }

    QHttpPart part;
    part.setHeader(QNetworkRequest::ContentDispositionHeader,
                   isMacro ? QStringLiteral("form-data; name=\"file\"; filename=\"MacroFiles.zip\"")
                           : QStringLiteral("form-data; name=\"file\"; filename=\"LocalFile.zip\""));
    QByteArray value = token().toUtf8();
    if (value.isNull())
        value = QByteArray("");
    part.setRawHeader("Authorization", value);
    part.setBodyDevice(m_zip);
    multiPart->append(part);
    QNetworkReply *reply = postUpload(multiPart);
    connect(reply, &QNetworkReply::uploadProgress, this,
            [](qint64 sent, qint64 total) { qDebug() << "OnUploadProgress" << sent << total; });
    connect(reply, &QNetworkReply::errorOccurred, this,
            [](QNetworkReply::NetworkError error) { qWarning() << "upLoadError" << error; });
}

void UploadFile::slots_onSigFinished(QNetworkReply *reply)
{
    const Result r = readReply(reply, networkErrorText());
    reply->deleteLater();
    closeZip();
    const QString path = r.object.value(QLatin1String("data")).toObject().value(QLatin1String("filePath")).toString();
    emit sigUploadFileRet(r.code, r.msg, path);
}
