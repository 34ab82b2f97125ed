#pragma once
// Where every file of the application lives. The application folder (A) comes from
// AppPaths::applicationDir(); the profile and macro data sit below the data root A/ConfigFiles:
//
//   A/system/system.ini                                     path, account and side-button settings
//   A/keysetting/HighestFunction.ini                        advanced button functions
//   A/NoLongerRemind.ini                                    "NotRemind" for update notices
//   A/Language/translate.json                               text table
//   A/Update/Clouds/{model}/versiondate.txt                 date of the downloaded firmware
//   A/ConfigFiles/MouseFile/{model}/AFile/ConfigJsonFile/Config{n}.json     configuration n (1..5)
//   A/ConfigFiles/MouseFile/{model}/OriginalFile/Config0.json               factory configuration
//   A/ConfigFiles/MouseFile/{model}/AFile/Config{n}.txt, OriginalFile/Config0.txt   legacy binary
//   A/ConfigFiles/MouseFile/{model}/AFile/CPIUIInterfaceFile/{n}/CpiSetting.json    DPI page view
//   A/ConfigFiles/MouseFile/{model}/AFile/PictureFile/{n}/drawImage.BMP     OLED picture
//   A/ConfigFiles/RecoverFile/PictureFile/{model}/drawImage.BMP             factory OLED picture
//   A/ConfigFiles/MacroFiles, A/ConfigFiles/MacroFiles/PlayerCustom         user macro files
//
// Every function that names a configuration, CPI or picture location creates its folder (with
// all parents) when it is missing; a folder that cannot be created is logged and the path is
// returned anyway, so the caller's open fails and reports it.

#include <QString>

namespace StoragePaths {
// The application folder, without a trailing slash.
QString applicationDir();
// applicationDir() + "/ConfigFiles".
QString dataRoot();

// Model folder name: 2 "swift", 4 "wren", 5 "swifts", 6 "wrens", 7 "kitec", 8 "kiteq",
// 9 "falconc", 10 "falconq", 11 "falcon", 12 "kite", 13 "heron", 14 "falconeu", 18 "lark",
// every other code (3 included) "osprey".
QString modelFolderName(int modelCode);
// Family folder name: "falcon" for the Falcon family (9, 10, 11, 14), "swift" for the Swift
// family (2, 5 and the spare code 16), "osprey" for the Osprey family (3 and the spare code 15),
// else the model folder name.
QString familyFolderName(int modelCode);

// Configuration n of a model as JSON: .../AFile/ConfigJsonFile/Config{n}.json, or for n = 0 the
// factory copy .../OriginalFile/Config0.json. Folder created. Logged as "currentConfigJsonFilePath".
QString configJsonPath(int modelCode, int configNumber);
// Legacy binary configuration: .../AFile/Config{n}.txt, or .../OriginalFile/Config0.txt. Folder
// created.
QString legacyConfigPath(int modelCode, int configNumber);
// dataRoot/MouseFile/{model}/AFile. Folder created. Logged as "currentConfigMouseLocalFilePath ".
QString mouseLocalFolder(int modelCode);
// dataRoot/MouseFile/{modelFolder}/AFile/CPIUIInterfaceFile/{n}. Not created here.
QString cpiInterfaceFolder(const QString &modelFolder, int configNumber);
// cpiInterfaceFolder(modelFolderName(modelCode), n) + "/CpiSetting.json". Folder created.
QString cpiSettingFile(int modelCode, int configNumber);
// dataRoot/MouseFile/{model}/AFile/PictureFile/{n}/drawImage.BMP. Folder created. Logged as
// "currentPicturePath".
QString picturePath(int modelCode, int configNumber);
// dataRoot/RecoverFile/PictureFile/{model}/drawImage.BMP. Folder created. Logged as
// "currentDefaultPicturePath".
QString defaultPicturePath(int modelCode);
// A/Update/Clouds/{model}/versiondate.txt. Not created. Logged as "currentFirmWareDate".
QString firmwareDateFile(int modelCode);
// dataRoot/MacroFiles, created.
QString macroFolder();
// dataRoot/MacroFiles/PlayerCustom, created.
QString customMacroFolder();
// A/Language/translate.json.
QString translationFile();
// A/system/system.ini (path settings, account token, side-button settings).
QString systemIniFile();
// A/keysetting/HighestFunction.ini.
QString highestFunctionIniFile();
// A/NoLongerRemind.ini.
QString noLongerRemindIniFile();
} // namespace StoragePaths
