#pragma once
// OpConfPath: what the middle-button, slider-up and slider-down functions open (a web address,
// a file, a folder or a program), kept in group PATH of system.ini. Opens the file at
// construction; every getter returns "" for a key that is not stored.

#include "storage/operateini.h"

#include <QObject>
#include <QString>

class OpConfPath : public QObject
{
    Q_OBJECT
public:
    explicit OpConfPath(QObject *parent = nullptr);

    QString GetMidWebUrl() const;
    QString GetMidFilePath() const;
    QString GetMidFloderPath() const;
    QString GetMidAppPath() const;
    QString GetSliderUpWebUrl() const;
    QString GetSliderUpFilePath() const;
    QString GetSliderUpFloderPath() const;
    QString GetSliderUpAppPath() const;
    QString GetSliderDownWebUrl() const;
    QString GetSliderDownFilePath() const;
    QString GetSliderDownFloderPath() const;
    QString GetSliderDownAppPath() const;

    // Each setter writes the file at once and returns false when the write failed.
    bool SetMidWebUrl(const QString &text);
    bool SetMidFilePath(const QString &text);
    bool SetMidFolderPath(const QString &text);
    bool SetMidAppPath(const QString &text);
    bool SetSliderUpWebUrl(const QString &text);
    bool SetSliderUpFilePath(const QString &text);
    bool SetSliderUpFolderPath(const QString &text);
    bool SetSliderUpAppPath(const QString &text);
    bool SetSliderDownWebUrl(const QString &text);
    bool SetSliderDownFilePath(const QString &text);
    bool SetSliderDownFolderPath(const QString &text);
    bool SetSliderDownAppPath(const QString &text);

    // Writes "" to all twelve keys; false when a write failed.
    bool SetDefault();

private:
    QString get(const char *key) const;
    bool set(const char *key, const QString &text);

    OperateIni m_ini;
};
