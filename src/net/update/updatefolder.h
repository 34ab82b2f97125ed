#pragma once
// The update folder: "<application folder>/Update/", downloaded releases below "Clouds/",
// releases shipped with the program below "Local/". Per model a folder named after the model
// holds "Nuc123.bin" (the firmware image of the models the program flashes itself, codes 7-12
// and 14) or "UpdateCodeTool.mtp" (the package of the maker's updater for every other model), and
// "versiondate.txt", the date of the last downloaded release.

#include <QByteArray>
#include <QString>

namespace UpdateFolder {
enum class Source { Clouds, Local };

// Smallest file taken as a release; shorter downloads are error pages or cut-off transfers.
constexpr int kMinPackageBytes = 100;
// Largest firmware image the boot loader can hold.
constexpr int kMaxImageBytes = 0x20000;

QString folder(Source source, int modelCode);
// The release file of a model: ".../Nuc123.bin" or ".../UpdateCodeTool.mtp".
QString packageFile(Source source, int modelCode);
bool isFirmwareImageModel(int modelCode);

// Why data cannot be the release file of the model, or "" when it can.
QString packageProblem(int modelCode, const QByteArray &data);
// Stores a downloaded release and its date below Clouds/ (both files, or neither); *error says
// why not.
bool storeDownload(int modelCode, const QByteArray &data, const QString &versionDate, QString *error);
} // namespace UpdateFolder
