#pragma once
// A plain HTTP GET of a release file (no extra headers: the address itself carries its
// unguessable id). Only a reply that arrived whole with a 2xx status counts: a network error, a
// redirect loop, a 404 or 500 page is a failed download, and its body is never kept, so an error
// page can never be taken for a firmware image.

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

class FileDownloader : public QObject
{
    Q_OBJECT
public:
    // Bodies larger than this are refused (no release file comes near it).
    static constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

    explicit FileDownloader(QObject *parent = nullptr);

    void startDownlod(const QUrl &address);
    // The bytes of the last successful download (empty after a failed one).
    QByteArray downloadedData() const { return m_data; }
    // Why the last download failed ("" after a success).
    QString errorText() const { return m_error; }
    bool isRunning() const { return m_reply != nullptr; }

Q_SIGNALS:
    // ok: downloadedData() holds the file.
    void downloaded(bool ok);
    void progress(qint64 received, qint64 total);

private:
    void finish(QNetworkReply *reply);

    QNetworkAccessManager *m_network = nullptr;
    QNetworkReply *m_reply = nullptr;
    QByteArray m_data;
    QString m_error;
};
