#include "cli/updatecommand.h"
#include "cli/awaitsignal.h"

#include "common/mousetype.h"
#include "net/update/filedownloader.h"
#include "net/update/lastversion.h"
#include "net/update/updatefolder.h"

#include <QUrl>

namespace UpdateCommand {

namespace {

constexpr int kOk = 0, kFailure = 1;
constexpr int kRequestMs = 30000, kDownloadMs = 60000;
// The service's answer when nothing of that kind has been published: an answer, not a failure.
constexpr int kNothingPublished = 10025;

struct Answer
{
    bool answered = false; // false: no usable answer (network, time-out, refusal)
    bool published = false;
    QString message;
    QString version, address, date;
};

Answer ask(bool firmware, const QString &name)
{
    LastVersion request;
    if (firmware)
        request.KvLastFirmVersionJson(name);
    else
        request.KvLastSoftwareVersionJson(name);
    const QVariantList got = Cli::awaitSignal(&request, &LastVersion::sigLastVersionRet, kRequestMs);
    Answer a;
    if (got.isEmpty()) {
        a.message = QStringLiteral("no answer from the service");
        return a;
    }
    const int code = got.at(0).toInt();
    a.message = got.at(1).toString();
    a.answered = code == 0 || code == kNothingPublished;
    a.published = code == 0 && !got.at(2).toString().isEmpty();
    a.version = got.at(2).toString();
    a.address = got.at(3).toString();
    a.date = got.at(4).toString();
    return a;
}

QString dated(const Answer &a)
{
    return a.date.isEmpty() ? a.version : QStringLiteral("%1 (%2)").arg(a.version, a.date);
}

} // namespace

QString usage()
{
    return QStringLiteral(
        "  update check [--download]              the newest firmware for the connected mouse (if any)\n"
        "                                         and the newest program; --download stores a firmware\n"
        "                                         other than the mouse's in the update folder\n");
}

bool argumentsValid(const QStringList &args)
{
    return !args.isEmpty() && args.first() == QLatin1String("check")
        && (args.size() == 1 || (args.size() == 2 && args.at(1) == QLatin1String("--download")));
}

int run(const QStringList &args, const Mouse &mouse, AccountCommand::Output *out)
{
    const bool download = args.size() == 2;
    const QString model = MouseType::modelName(mouse.modelCode);
    const QString program = QStringLiteral(QKDRIVER_VERSION);
    QStringList problems;

    // The firmware: the mouse's version is a number; the service's is its text.
    const Answer fw = mouse.connected ? ask(true, model) : Answer();
    QJsonObject firmware{{"model", mouse.connected ? QJsonValue(model) : QJsonValue()},
                         {"installed", mouse.connected ? QJsonValue(mouse.firmwareVersion) : QJsonValue()}};
    bool offeredFirmware = false;
    if (!mouse.connected) {
        out->text << QStringLiteral("firmware: no mouse connected; not checked");
    } else if (!fw.answered) {
        problems << QStringLiteral("firmware check: %1").arg(fw.message);
        out->text << QStringLiteral("firmware: %1 %2; the check failed: %3").arg(model).arg(mouse.firmwareVersion).arg(fw.message);
    } else if (!fw.published) {
        out->text << QStringLiteral("firmware: %1 %2; no release published").arg(model).arg(mouse.firmwareVersion);
    } else {
        bool number = false;
        const int server = fw.version.toInt(&number);
        offeredFirmware = number && !fw.address.isEmpty() && server != mouse.firmwareVersion;
        firmware.insert("newest", fw.version);
        firmware.insert("date", fw.date);
        firmware.insert("address", fw.address);
        out->text << QStringLiteral("firmware: %1 %2; newest %3: %4")
                         .arg(model).arg(mouse.firmwareVersion).arg(dated(fw),
                              offeredFirmware ? QStringLiteral("another version is available")
                                            : QStringLiteral("up to date"));
    }
    firmware.insert("offered", offeredFirmware);

    if (download && offeredFirmware) {
        FileDownloader downloader;
        downloader.startDownlod(QUrl(fw.address));
        const QVariantList done = Cli::awaitSignal(&downloader, &FileDownloader::downloaded, kDownloadMs);
        QString error = downloader.errorText();
        if (done.isEmpty())
            error = QStringLiteral("no answer");
        if (!done.isEmpty() && done.first().toBool()
            && UpdateFolder::storeDownload(mouse.modelCode, downloader.downloadedData(), fw.date, &error)) {
            const QString file = UpdateFolder::packageFile(UpdateFolder::Source::Clouds, mouse.modelCode);
            firmware.insert("stored", file);
            out->text << QStringLiteral("stored %1 in %2").arg(fw.version, file);
            out->text << (UpdateFolder::isFirmwareImageModel(mouse.modelCode)
                              ? QStringLiteral("write it with: qkdriverctl firmware update %1").arg(file)
                              : QStringLiteral("the %1 is updated with the maker's updater (Windows), which takes this package").arg(model));
        } else {
            if (error.isEmpty())
                error = QStringLiteral("download failed");
            problems << QStringLiteral("firmware download: %1; nothing was stored").arg(error);
        }
    } else if (download) {
        out->text << QStringLiteral("nothing to download");
    }

    // The program: any other version text counts as newer, as in the window.
    const Answer sw = ask(false, QStringLiteral("qk"));
    QJsonObject programJson{{"installed", program}};
    bool offeredProgram = false;
    if (!sw.answered) {
        problems << QStringLiteral("program check: %1").arg(sw.message);
        out->text << QStringLiteral("program: %1; the check failed: %2").arg(program, sw.message);
    } else if (!sw.published) {
        out->text << QStringLiteral("program: %1; no release published").arg(program);
    } else {
        offeredProgram = sw.version != program;
        programJson.insert("newest", sw.version);
        programJson.insert("date", sw.date);
        programJson.insert("address", sw.address);
        out->text << QStringLiteral("program: %1; newest %2: %3")
                         .arg(program, dated(sw), offeredProgram ? QStringLiteral("download it from %1").arg(sw.address)
                                                                : QStringLiteral("up to date"));
    }
    programJson.insert("offered", offeredProgram);

    out->result = QJsonObject{{"ok", problems.isEmpty()}, {"firmware", firmware}, {"program", programJson}};
    if (problems.isEmpty())
        return kOk;
    out->error = problems.join(QStringLiteral("; "));
    out->result.insert("error", out->error);
    return kFailure;
}

} // namespace UpdateCommand
