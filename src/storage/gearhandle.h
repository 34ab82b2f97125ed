#pragma once
// GearHandle keeps the DPI page's own view of the DPI stages ("gears") of each model and
// configuration in CpiSetting.json (StoragePaths::cpiSettingFile):
//
//   {"GearVariable": 1 for model codes 7..12 and 14, else 0,
//    "GearData": [{"GearPosition": 1..7, "GearCurrentValue": last value shown, "GearEnable": 1|0}
//                 × 7]}
//
// The gear document in memory is one such object, shared by the coordinator and the DPI page;
// the setters change it and write it back. Writes are atomic and compact.

#include "common/qktypes.h"

#include <QJsonObject>
#include <QList>
#include <QObject>

class GearHandle : public QObject
{
    Q_OBJECT
public:
    static constexpr int kGearCount = 7;

    explicit GearHandle(QObject *parent = nullptr);

    // The default object: "GearVariable" by model code and seven gears with positions 1..7,
    // current value 0, enable 1.
    QJsonObject createDefaultGearObject(int modelCode) const;
    // The default object, also written to the configuration's CpiSetting.json (a failed write is
    // logged; the object is returned either way).
    QJsonObject createDefaultGearFile(int modelCode, int configNumber);
    // The file's object; an empty object when the file is missing, does not parse or is not an
    // object.
    QJsonObject readGearFile(int modelCode, int configNumber);
    // The gear document for a configuration that the mouse matches: the file's object when it
    // holds a "GearData" array of seven gears; otherwise (missing or unusable file) the default
    // object, which is written to the file, an unusable file being kept as
    // "CpiSetting.json.corrupt" first.
    QJsonObject loadGearObject(int modelCode, int configNumber);

    // "GearCurrentValue" of gear gearIndex (0..6); 0 when missing or not a whole number.
    int getGearCurrentValue(const QJsonObject &object, int gearIndex) const;
    // Replace "GearCurrentValue" / "GearEnable" of gear gearIndex in object and write object to
    // the file. When object has no "GearData" array or no gear at that index, nothing changes and
    // no file is written. Returns true when the object changed and the file was written.
    bool setGearCurrentValue(int modelCode, int configNumber, QJsonObject &object, int gearIndex,
                             int value);
    bool setGearEnable(int modelCode, int configNumber, QJsonObject &object, int gearIndex,
                       int value);
    // The enable flags after a DPI list was sent: gear i is enabled (1) when stage i holds a
    // non-zero DPI value, else disabled (0), for the first seven stages; one write of the file
    // ("setGearHanlePositionEnable level value" in the log per gear). Same failure rules as
    // setGearEnable.
    bool setGearEnableFromDpiList(int modelCode, int configNumber, QJsonObject &object,
                                  const QList<DWORD> &dpiList);

private:
    static bool replaceGearMember(QJsonObject &object, int gearIndex, const QString &key,
                                  int value);
};
