#pragma once
// OperateToken: the signed-in account (access token, e-mail, nickname) in group INFO of
// system.ini. Opens the file at construction; getters return "" for a key that is not stored.
// The setters first make system.ini readable and writable by its owner only (0600): it holds
// a credential.

#include "storage/operateini.h"

#include <QObject>
#include <QString>

class OperateToken : public QObject
{
    Q_OBJECT
public:
    explicit OperateToken(QObject *parent = nullptr);

    QString GetToken() const;
    QString GetEmail() const;
    QString GetNickName() const;
    // Each setter writes the file at once and returns false when the write failed.
    bool SetToken(const QString &token);
    bool SetEmail(const QString &email);
    bool SetNickName(const QString &nickName);

private:
    OperateIni m_ini;
};
