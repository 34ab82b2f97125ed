#pragma once
// KVAccountManage: the base of every request to the account service. It knows the base address
// and the endpoint table, owns a network access manager, and posts JSON (or a multipart form)
// with the stored token in the "Authorization" header, which every request carries (empty
// before the first login). Each request class derives from it, connects sigFinished to its own
// reply slot and turns the reply into a result code and a message (readReply).
//
// Base address: QKDRIVER_SERVER_URL when set, else "/NET/server_url" in system.ini when set,
// else http://127.0.0.1:8737 (a local qkdriver-server).

#include "storage/operatetoken.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;

class KVAccountManage : public QObject
{
    Q_OBJECT
public:
    enum Endpoint {
        LoginUrl = 0,
        RegisterUrl = 1,
        UpdatePasswordUrl = 2,
        FindPasswordUrl = 3,
        ValidatePasswordUrl = 4,
        NewPasswordUrl = 5,
        FileUploadUrl = 6,
        MacroConfigSaveUrl = 7,
        ConfigSaveUrl = 8,
        ConfigGetUrl = 9,
        MacroConfigGetUrl = 10,
        VersionUrl = 11,
    };

    explicit KVAccountManage(QObject *parent = nullptr);
    ~KVAccountManage() override;

    // The configured base address (see above), without a trailing slash.
    static QString defaultBaseUrl();
    QString baseUrl() const { return m_baseUrl; }
    void setBaseUrl(const QString &url);

    // Base address + the endpoint's path; an empty string for an index outside 0 … 11.
    QString url(int index) const;
    // The stored token, the "Authorization" value of every request ("" when nobody is logged in).
    QString token() const;

    // Posts body (compact JSON) to endpoint index with "application/json" and the token. Returns
    // the reply (owned by the manager; sigFinished follows), or nullptr for an unknown index.
    QNetworkReply *postJson(int index, const QByteArray &body);
    // Builds the compact JSON of object and posts it.
    QNetworkReply *postJson(int index, const QJsonObject &object);
    // Posts a multipart form to endpoint 6 (the upload). The request gets no header of its
    // own: the caller puts the token on the file part. The reply takes ownership of multiPart.
    QNetworkReply *postUpload(QHttpMultiPart *multiPart);

    // What a reply says: network failure → -1 and networkText; a body that is not a JSON
    // document → -1 and "Server error, please try again later"; otherwise "code" and "msg",
    // and the whole object in *object.
    struct Result
    {
        int code = -1;
        QString msg;
        QJsonObject object;
    };
    static Result readReply(QNetworkReply *reply, const QString &networkText);
    static QString networkErrorText();
    static QString serverErrorText();

signals:
    void sigFinished(QNetworkReply *reply);

protected:
    OperateToken &operateToken() { return m_token; }

private:
    QString m_baseUrl;
    QNetworkAccessManager *m_manager;
    OperateToken m_token;
};
