#include "net/update/updatefolder.h"

#include "common/apppaths.h"
#include "common/atomicfile.h"
#include "common/mousetype.h"
#include "storage/storagepaths.h"

namespace UpdateFolder {

QString folder(Source source, int modelCode)
{
    return AppPaths::applicationDir() + (source == Source::Clouds ? QStringLiteral("/Update/Clouds/")
                                                                  : QStringLiteral("/Update/Local/"))
         + MouseType::modelName(modelCode);
}

bool isFirmwareImageModel(int modelCode)
{
    // The models this program flashes itself: those of the Falcon command set.
    return MouseType::hasFalconDriver(modelCode);
}

QString packageFile(Source source, int modelCode)
{
    return folder(source, modelCode)
         + (isFirmwareImageModel(modelCode) ? QStringLiteral("/Nuc123.bin") : QStringLiteral("/UpdateCodeTool.mtp"));
}

QString packageProblem(int modelCode, const QByteArray &data)
{
    if (data.size() < kMinPackageBytes)
        return QStringLiteral("the download has only %1 bytes").arg(data.size());
    if (isFirmwareImageModel(modelCode) && data.size() > kMaxImageBytes)
        return QStringLiteral("a firmware image of %1 bytes is larger than the mouse's %2").arg(data.size()).arg(kMaxImageBytes);
    return {};
}

bool storeDownload(int modelCode, const QByteArray &data, const QString &versionDate, QString *error)
{
    const QString problem = packageProblem(modelCode, data);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    AtomicFile::Failure failure;
    if (!AtomicFile::writeAll({{packageFile(Source::Clouds, modelCode), data, std::nullopt},
                               {StoragePaths::firmwareDateFile(modelCode), versionDate.toUtf8(), std::nullopt}},
                              &failure)) {
        *error = failure.path + QStringLiteral(": ") + failure.reason;
        return false;
    }
    return true;
}

} // namespace UpdateFolder
