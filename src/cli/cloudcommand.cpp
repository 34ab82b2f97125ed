#include "cli/cloudcommand.h"
#include "cli/awaitsignal.h"

#include "net/account/accountcodes.h"
#include "net/cloud/getdownloadfilepath.h"
#include "net/cloud/saveconfiginfo.h"
#include "net/cloud/uploadfile.h"
#include "net/update/filedownloader.h"
#include "storage/cloudarchive.h"
#include "storage/storagepaths.h"

#include <QUrl>

namespace CloudCommand {

namespace {

constexpr int kOk = 0, kFailure = 1;
constexpr int kRequestMs = 10000, kDownloadMs = 20000;

int failed(AccountCommand::Output *out, const QString &what, int code, const QString &message)
{
    out->error = QStringLiteral("%1: %2").arg(what, message.isEmpty() ? AccountCodes::text(code) : message);
    out->result = QJsonObject{{"ok", false}, {"code", code}, {"error", out->error}};
    return kFailure;
}

// Uploads folder and registers it; kOk or the failure.
int uploadFolder(const QString &folder, bool isMacro, const QString &model, AccountCommand::Output *out)
{
    const QString what = isMacro ? QStringLiteral("macro upload") : QStringLiteral("configuration upload");
    UploadFile upload;
    upload.upload(folder, isMacro);
    // A folder that cannot be packed sends nothing: no answer comes.
    const QVariantList up = Cli::awaitSignal(&upload, &UploadFile::sigUploadFileRet, kRequestMs);
    if (up.isEmpty())
        return failed(out, what, -2, QStringLiteral("no answer (the folder could not be packed or the service is silent)"));
    if (up.at(0).toInt() != 0)
        return failed(out, what, up.at(0).toInt(), up.at(1).toString());
    SaveConfigInfo save;
    save.KvSaveConfigInfoJson(up.at(2).toString(), isMacro ? QString() : model,
                              isMacro ? QStringLiteral("MacroConfig") : QStringLiteral("LocalConfig"));
    const QVariantList saved = Cli::awaitSignal(&save, &SaveConfigInfo::sigSaveConfRet, kRequestMs);
    if (saved.isEmpty())
        return failed(out, what, -2, QStringLiteral("no answer"));
    if (saved.at(0).toInt() != 0)
        return failed(out, what, saved.at(0).toInt(), saved.at(1).toString());
    return kOk;
}

// Fetches the stored zip of model ("" = the macro library) into target. *nothingStored: the
// account holds none (the macro library's absence is a failure all the same).
int downloadFolder(const QString &model, const QString &target, bool *nothingStored, AccountCommand::Output *out)
{
    const QString what = model.isEmpty() ? QStringLiteral("macro download") : QStringLiteral("configuration download");
    GetDownLoadFilePath get;
    get.KvDownLoadFilePathJson(model);
    const QVariantList path = Cli::awaitSignal(&get, &GetDownLoadFilePath::sig_DownLoadFilePathRet, kRequestMs);
    if (path.isEmpty())
        return failed(out, what, -2, QStringLiteral("no answer"));
    if (path.at(0).toInt() != 0)
        return failed(out, what, path.at(0).toInt(), path.at(2).toString());
    if (path.at(3).toString().isEmpty()) {
        *nothingStored = true;
        return failed(out, what, 0, QStringLiteral("nothing stored in the account"));
    }
    FileDownloader downloader;
    downloader.startDownlod(QUrl(path.at(3).toString()));
    const QVariantList done = Cli::awaitSignal(&downloader, &FileDownloader::downloaded, kDownloadMs);
    if (done.isEmpty() || !done.first().toBool())
        return failed(out, what, -1, downloader.errorText().isEmpty() ? QStringLiteral("download failed") : downloader.errorText());
    switch (CloudArchive::replaceFolderFromBytes(downloader.downloadedData(), target)) {
    case CloudArchive::Unpacked::Replaced:
        return kOk;
    case CloudArchive::Unpacked::Unsafe:
        return failed(out, what, -2, QStringLiteral("the archive has entries outside its folder; nothing was changed"));
    default:
        return failed(out, what, -2, QStringLiteral("the archive could not be unpacked; nothing was changed"));
    }
}

} // namespace

QString usage()
{
    return QStringLiteral(
        "  cloud upload | cloud download          store the connected model's configurations and the\n"
        "                                         macros in the logged-in account | bring them back\n");
}

bool argumentsValid(const QStringList &args)
{
    return args.size() == 1 && (args.first() == QLatin1String("upload") || args.first() == QLatin1String("download"));
}

int run(const QStringList &args, int modelCode, AccountCommand::Output *out)
{
    const QString model = StoragePaths::modelFolderName(modelCode);
    const QString local = StoragePaths::mouseLocalFolder(modelCode);
    const QString macros = StoragePaths::macroFolder();
    if (args.first() == QLatin1String("upload")) {
        if (const int rc = uploadFolder(local, false, model, out))
            return rc;
        if (const int rc = uploadFolder(macros, true, QString(), out))
            return rc;
        out->text << QStringLiteral("uploaded the configurations of %1 and the macros").arg(model);
        out->result = QJsonObject{{"ok", true}, {"model", model}};
        return kOk;
    }
    bool nothing = false;
    if (const int rc = downloadFolder(QString(), macros, &nothing, out))
        return rc;
    const int rc = downloadFolder(model, local, &nothing, out);
    if (rc != kOk && !nothing)
        return rc;
    out->error.clear();
    out->text << (nothing ? QStringLiteral("downloaded the macros; the account holds no configuration of %1").arg(model)
                          : QStringLiteral("downloaded the configurations of %1 and the macros").arg(model));
    out->result = QJsonObject{{"ok", true}, {"model", model}, {"configurations", !nothing}};
    return kOk;
}

} // namespace CloudCommand
