#pragma once
// UploadFile: zips a folder and posts it to the service as a multipart form with one part
// "file" ("LocalFile.zip" for a model's configuration folder, "MacroFiles.zip" for the macro
// library); the token travels in the part's "Authorization" header. The answer's
// "data"."filePath" is the server path that SaveConfigInfo then registers.

#include "net/account/kvaccountmanage.h"

#include <QFile>
#include <QPointer>

class UploadFile : public KVAccountManage
{
    Q_OBJECT
public:
    explicit UploadFile(QObject *parent = nullptr);
    ~UploadFile() override;

public slots:
    // Zips folder into folder + ".zip" and posts it. When the zip cannot be built nothing is
    // sent and no answer follows (the caller's wait runs out).
    void upload(const QString &folder, bool isMacro);
    void slots_onSigFinished(QNetworkReply *reply);

signals:
    void sigUploadFileRet(int rCode, QString rMsg, QString path);

private:
    void closeZip();

    // The zip of the upload in flight; the multipart body owns it (the reply owns the body), so
    // a reply still reading it never sees it deleted.
    QPointer<QFile> m_zip;
};
