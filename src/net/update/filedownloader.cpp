#include "net/update/filedownloader.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

FileDownloader::FileDownloader(QObject *parent) : QObject(parent) {}

void FileDownloader::startDownlod(const QUrl &address)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
    m_data.clear();
    m_error.clear();
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_network->get(request);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        if (received > kMaxBytes || total > kMaxBytes) {
            m_error = QStringLiteral("the file is larger than %1 bytes").arg(kMaxBytes);
            reply->abort(); // finished follows
            return;
        }
        Q_EMIT progress(received, total);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void FileDownloader::finish(QNetworkReply *reply)
{
    qDebug() << "fileDownloaded";
    reply->deleteLater();
    if (reply == m_reply)
        m_reply = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_error.isEmpty() && reply->error() != QNetworkReply::NoError)
        m_error = reply->errorString();
    if (m_error.isEmpty() && (status < 200 || status > 299))
        m_error = QStringLiteral("the server answered %1").arg(status);
    if (!m_error.isEmpty()) {
        qWarning() << "fileDownloaded failed:" << m_error;
        m_data.clear();
        Q_EMIT downloaded(false);
        return;
    }
    m_data = reply->readAll();
    Q_EMIT downloaded(true);
}
