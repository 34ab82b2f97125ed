#pragma once
// OpFunConfFile: the assignments of the middle key, middle wheel, side up key, side down key and
// side wheel, kept in group SET of system.ini as the text "name-index-tag". Opens the file at
// construction.
//
// A getter turns a stored "a-12-c" into the JSON text {"name":"a","index":12,"tag":"c"}. Any
// other shape gives "": not exactly three parts, or an index that is not a decimal integer (it is
// inserted without quotes and would make the text unparseable; leading zeros are dropped for the
// same reason). Quotes and backslashes in name and tag are escaped so the text always parses.

#include "storage/operateini.h"

#include <QObject>
#include <QString>

class OpFunConfFile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString MidKeyVal READ GetMidKeyVal WRITE SetMidKeyVal)
    Q_PROPERTY(QString MidWheelVal READ GetMidWheelVal WRITE SetMidWheelVal)
    Q_PROPERTY(QString SideDownkeyVal READ GetSideDownkeyVal WRITE SetSideDownkeyVal)
    Q_PROPERTY(QString SideUpkeyVal READ GetSideUpkeyVal WRITE SetSideUpkeyVal)
    Q_PROPERTY(QString SideWheel READ GetSideWheel WRITE SetSideWheel)
public:
    explicit OpFunConfFile(QObject *parent = nullptr);

    QString GetMidKeyVal() const;
    QString GetMidWheelVal() const;
    QString GetSideDownkeyVal() const;
    QString GetSideUpkeyVal() const;
    QString GetSideWheel() const;

    // Store the raw "name-index-tag" text; false when the write failed.
    bool SetMidKeyVal(const QString &text);
    bool SetMidWheelVal(const QString &text);
    bool SetSideDownkeyVal(const QString &text);
    bool SetSideUpkeyVal(const QString &text);
    bool SetSideWheel(const QString &text);

    // Writes "" to all five keys; false when a write failed.
    bool SetDefault();

    // The JSON text of a stored value, as the getters return it.
    static QString assignmentJson(const QString &stored);

private:
    QString get(const QString &key) const;

    OperateIni m_ini;
};
