#include "storage/gearhandle.h"

#include "catalog/modelcatalog.h"

#include "storage/storageio.h"
#include "storage/storagepaths.h"

#include <QDebug>
#include <QJsonArray>

namespace {
const QString kGearVariable = QStringLiteral("GearVariable");
const QString kGearData = QStringLiteral("GearData");
const QString kGearPosition = QStringLiteral("GearPosition");
const QString kGearCurrentValue = QStringLiteral("GearCurrentValue");
const QString kGearEnable = QStringLiteral("GearEnable");

bool isUsableGearObject(const QJsonObject &o)
{
    const QJsonValue data = o.value(kGearData);
    if (!data.isArray() || data.toArray().size() != GearHandle::kGearCount)
        return false;
    for (const QJsonValue &gear : data.toArray()) {
        if (!gear.isObject())
            return false;
    }
    return true;
}
} // namespace

GearHandle::GearHandle(QObject *parent) : QObject(parent) {}

QJsonObject GearHandle::createDefaultGearObject(int modelCode) const
{
    const Catalog::Model *model = Catalog::find(modelCode);
    const bool falconRelative = model && model->relativeGears;
    QJsonArray gears;
    for (int i = 0; i < kGearCount; ++i) {
        QJsonObject gear;
        gear.insert(kGearPosition, i + 1);
        gear.insert(kGearCurrentValue, 0);
        gear.insert(kGearEnable, 1);
        gears.append(gear);
    }
    QJsonObject o;
    o.insert(kGearVariable, falconRelative ? 1 : 0);
    o.insert(kGearData, gears);
    return o;
}

QJsonObject GearHandle::createDefaultGearFile(int modelCode, int configNumber)
{
    const QJsonObject o = createDefaultGearObject(modelCode);
    if (!StorageIo::writeJsonObject(StoragePaths::cpiSettingFile(modelCode, configNumber), o))
        qWarning() << "createDefaultGearFile" << "write failed" << modelCode << configNumber;
    return o;
}

QJsonObject GearHandle::readGearFile(int modelCode, int configNumber)
{
    return StorageIo::readJsonObject(StoragePaths::cpiSettingFile(modelCode, configNumber)).object;
}

QJsonObject GearHandle::loadGearObject(int modelCode, int configNumber)
{
    const QString path = StoragePaths::cpiSettingFile(modelCode, configNumber);
    const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(path);
    if (read.status == StorageIo::ReadStatus::Ok && isUsableGearObject(read.object))
        return read.object;
    if (read.status == StorageIo::ReadStatus::Ok || read.status == StorageIo::ReadStatus::Unreadable) {
        qWarning() << "loadGearObject" << "unusable gear file" << path;
        if (!StorageIo::keepCorruptCopy(path))
            return createDefaultGearObject(modelCode); // leave the file alone
    }
    return createDefaultGearFile(modelCode, configNumber);
}

int GearHandle::getGearCurrentValue(const QJsonObject &object, int gearIndex) const
{
    const QJsonArray gears = object.value(kGearData).toArray();
    if (gearIndex < 0 || gearIndex >= gears.size())
        return 0;
    return StorageIo::intOr(gears.at(gearIndex).toObject().value(kGearCurrentValue), 0);
}

bool GearHandle::replaceGearMember(QJsonObject &object, int gearIndex, const QString &key,
                                   int value)
{
    const QJsonValue data = object.value(kGearData);
    if (!data.isArray())
        return false;
    QJsonArray gears = data.toArray();
    if (gearIndex < 0 || gearIndex >= gears.size())
        return false;
    QJsonObject gear = gears.at(gearIndex).toObject();
    gear.insert(key, value);
    gears.replace(gearIndex, gear);
    object.insert(kGearData, gears);
    return true;
}

bool GearHandle::setGearCurrentValue(int modelCode, int configNumber, QJsonObject &object,
                                     int gearIndex, int value)
{
    if (!replaceGearMember(object, gearIndex, kGearCurrentValue, value))
        return false;
    return StorageIo::writeJsonObject(StoragePaths::cpiSettingFile(modelCode, configNumber), object);
}

bool GearHandle::setGearEnable(int modelCode, int configNumber, QJsonObject &object, int gearIndex,
                               int value)
{
    if (!replaceGearMember(object, gearIndex, kGearEnable, value))
        return false;
    return StorageIo::writeJsonObject(StoragePaths::cpiSettingFile(modelCode, configNumber), object);
}

bool GearHandle::setGearEnableFromDpiList(int modelCode, int configNumber, QJsonObject &object,
                                          const QList<DWORD> &dpiList)
{
    QJsonObject changed = object;
    const int count = qMin(dpiList.size(), kGearCount);
    for (int i = 0; i < count; ++i) {
        const int enable = dpiList.at(i) != 0 ? 1 : 0;
        qDebug() << "setGearHanlePositionEnable" << i << enable;
        if (!replaceGearMember(changed, i, kGearEnable, enable))
            return false;
    }
    if (count == 0)
        return false;
    object = changed;
    return StorageIo::writeJsonObject(StoragePaths::cpiSettingFile(modelCode, configNumber), object);
}
