#include "storage/storagepaths.h"

#include "common/apppaths.h"
#include "common/mousetype.h"

#include <QDebug>
#include <QDir>

namespace {
// Creates dir (and its parents) when missing. Failure is logged only: the caller's later open
// of a file inside it fails and is handled there.
void ensureDir(const QString &dir)
{
    if (QDir(dir).exists())
        return;
    if (!QDir().mkpath(dir))
        qWarning() << "mkpath failed" << dir;
}

QString modelRoot(int modelCode)
{
    return QStringLiteral("%1/%2/%3")
        .arg(StoragePaths::dataRoot(), QStringLiteral("MouseFile"),
             StoragePaths::modelFolderName(modelCode));
}

QString configFolder(int modelCode, int configNumber)
{
    return QStringLiteral("%1/%2").arg(modelRoot(modelCode),
                                       configNumber != 0 ? QStringLiteral("AFile/ConfigJsonFile")
                                                         : QStringLiteral("OriginalFile"));
}
} // namespace

namespace StoragePaths {

QString applicationDir()
{
    return AppPaths::applicationDir();
}

QString dataRoot()
{
    return applicationDir() + QStringLiteral("/ConfigFiles");
}

QString modelFolderName(int modelCode)
{
    // The folder names are the model names of the shared model vocabulary.
    return MouseType::modelName(modelCode);
}

QString familyFolderName(int modelCode)
{
    if (MouseType::isFalconFamily(modelCode))
        return QStringLiteral("falcon");
    switch (modelCode) {
    case MouseType::Swift:
    case MouseType::SwiftS:
    case MouseType::Spare16:
        return QStringLiteral("swift");
    case MouseType::Osprey:
    case MouseType::Spare15:
        return QStringLiteral("osprey");
    default:
        return modelFolderName(modelCode);
    }
}

QString configJsonPath(int modelCode, int configNumber)
{
    const QString folder = configFolder(modelCode, configNumber);
    ensureDir(folder);
    const QString path = QStringLiteral("%1/%2%3%4")
                             .arg(folder, QStringLiteral("Config"), QString::number(configNumber),
                                  QStringLiteral(".json"));
    qDebug() << "currentConfigJsonFilePath" << path;
    return path;
}

QString legacyConfigPath(int modelCode, int configNumber)
{
    const QString folder = QStringLiteral("%1/%2").arg(
        modelRoot(modelCode),
        configNumber != 0 ? QStringLiteral("AFile") : QStringLiteral("OriginalFile"));
    ensureDir(folder);
    return QStringLiteral("%1/%2%3%4")
        .arg(folder, QStringLiteral("Config"), QString::number(configNumber),
             QStringLiteral(".txt"));
}

QString mouseLocalFolder(int modelCode)
{
    const QString folder = QStringLiteral("%1/%2/%3/%4")
                               .arg(dataRoot(), QStringLiteral("MouseFile"),
                                    modelFolderName(modelCode), QStringLiteral("AFile"));
    ensureDir(folder);
    qDebug() << "currentConfigMouseLocalFilePath " << folder;
    return folder;
}

QString cpiInterfaceFolder(const QString &modelFolder, int configNumber)
{
    return QStringLiteral("%1/%2/%3/%4/%5")
        .arg(dataRoot(), QStringLiteral("MouseFile"), modelFolder,
             QStringLiteral("AFile/CPIUIInterfaceFile"), QString::number(configNumber));
}

QString cpiSettingFile(int modelCode, int configNumber)
{
    const QString folder = cpiInterfaceFolder(modelFolderName(modelCode), configNumber);
    ensureDir(folder);
    return folder + QStringLiteral("/CpiSetting.json");
}

QString picturePath(int modelCode, int configNumber)
{
    const QString folder = QStringLiteral("%1/%2/%3/%4/%5")
                               .arg(dataRoot(), QStringLiteral("MouseFile"),
                                    modelFolderName(modelCode), QStringLiteral("AFile/PictureFile"),
                                    QString::number(configNumber));
    ensureDir(folder);
    const QString path = QStringLiteral("%1/%2").arg(folder, QStringLiteral("drawImage.BMP"));
    qDebug() << "currentPicturePath" << path;
    return path;
}

QString defaultPicturePath(int modelCode)
{
    const QString folder = QStringLiteral("%1/%2/%3/%4")
                               .arg(dataRoot(), QStringLiteral("RecoverFile"),
                                    QStringLiteral("PictureFile"), modelFolderName(modelCode));
    ensureDir(folder);
    const QString path = QStringLiteral("%1/%2").arg(folder, QStringLiteral("drawImage.BMP"));
    qDebug() << "currentDefaultPicturePath" << path;
    return path;
}

QString firmwareDateFile(int modelCode)
{
    const QString path = QStringLiteral("%1/%2/%3/%4")
                             .arg(applicationDir(), QStringLiteral("Update/Clouds"),
                                  modelFolderName(modelCode), QStringLiteral("versiondate.txt"));
    qDebug() << "currentFirmWareDate" << path;
    return path;
}

QString macroFolder()
{
    const QString folder = dataRoot() + QStringLiteral("/MacroFiles");
    ensureDir(folder);
    return folder;
}

QString customMacroFolder()
{
    const QString folder = dataRoot() + QStringLiteral("/MacroFiles/PlayerCustom");
    ensureDir(folder);
    return folder;
}

QString translationFile()
{
    return applicationDir() + QStringLiteral("/Language/translate.json");
}

QString systemIniFile()
{
    return applicationDir() + QStringLiteral("/system/system.ini");
}

QString highestFunctionIniFile()
{
    return applicationDir() + QStringLiteral("/keysetting/HighestFunction.ini");
}

QString noLongerRemindIniFile()
{
    return applicationDir() + QStringLiteral("/NoLongerRemind.ini");
}

} // namespace StoragePaths
