#include "storage/configbundle.h"

#include "catalog/factoryimages.h"
#include "catalog/modelcatalog.h"
#include "storage/jsonhandle.h"
#include "common/mousetype.h"
#include "storage/storageio.h"
#include "storage/storagepaths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <limits>

namespace {

const QString kFormat = QStringLiteral("qkdriver-configurations");
constexpr int kVersion = 1;

QByteArray compact(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool isByte(const QJsonValue &v)
{
    return StorageIo::intInRange(v, 0, 255).has_value();
}

// Every element a byte; count elements.
bool bytesOnly(const QJsonArray &a)
{
    for (const QJsonValue &v : a)
        if (!isByte(v))
            return false;
    return true;
}

QString slotProblem(const QJsonObject &slot, bool kelvo)
{
    if (slot.isEmpty())
        return QString(); // an empty slot
    const QStringList allowed = kelvo ? QStringList{"MacroSize", "RepeatTimes", "Macro"}
                                      : QStringList{"RepeatTimes", "Macro"};
    for (const QString &key : slot.keys())
        if (!allowed.contains(key))
            return QStringLiteral("unknown member \"%1\"").arg(key);
    const QJsonValue macro = slot.value("Macro");
    if (!macro.isArray() || !bytesOnly(macro.toArray()))
        return QStringLiteral("\"Macro\" is not a list of bytes 0..255");
    if (!StorageIo::intInRange(slot.value("RepeatTimes"), 0, 0xFFFF))
        return QStringLiteral("\"RepeatTimes\" is not a number 0..65535");
    const int bytes = macro.toArray().size();
    if (kelvo) {
        // The mouse takes the length word as it is: it must describe exactly the nodes stored.
        const auto size = StorageIo::intInRange(slot.value("MacroSize"), 4, JsonHandle::kMacroSlotSize);
        if (!size || (*size - 4) % 3 != 0 || bytes != *size - 4)
            return QStringLiteral("\"MacroSize\" does not match its %1 macro bytes").arg(bytes);
    } else if (bytes % 2 != 0 || 2 + bytes > JsonHandle::kMaxHaldenRecordSize) {
        return QStringLiteral("the macro is not a whole number of words within %1 bytes")
            .arg(JsonHandle::kMaxHaldenRecordSize);
    }
    return QString();
}

bool wholeNumber(const QJsonValue &v)
{
    return StorageIo::intInRange(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())
        .has_value();
}

QString readProblem(const QString &file, QByteArray *bytes)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return QStringLiteral("cannot read \"%1\"").arg(file);
    // Checked before reading: a huge file must not be loaded only to be refused.
    if (info.size() > ConfigBundle::kMaxBundleSize)
        return QStringLiteral("\"%1\" is too large for an export (%2 bytes, at most %3)")
            .arg(file).arg(info.size()).arg(ConfigBundle::kMaxBundleSize);
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read \"%1\": %2").arg(file, in.errorString());
    *bytes = in.read(ConfigBundle::kMaxBundleSize + 1);
    if (bytes->size() > ConfigBundle::kMaxBundleSize)
        return QStringLiteral("\"%1\" is too large for an export").arg(file);
    return QString();
}

} // namespace

namespace ConfigBundle {

QString configurationProblem(const QJsonObject &configuration, int modelCode)
{
    // The Falcon family keeps its configurations in the _Kelvo dialect, the others in _Halden.
    const Catalog::Model *model = Catalog::find(modelCode);
    const bool kelvo = model && model->family == Catalog::Family::Falcon;
    const int imageSize = kelvo ? FactoryImages::kKelvoImageSize : FactoryImages::kHaldenImageSize;
    const int slotCount = kelvo ? JsonHandle::kKelvoMacroSlots : JsonHandle::kHaldenMacroSlots;
    const QJsonValue image = configuration.value("MouseDataOfGamingMode");
    if (!image.isObject())
        return QStringLiteral("no profile image (\"MouseDataOfGamingMode\")");
    // The reader fills missing bytes with 0 and would send that to the mouse: only a complete
    // image of this model's size is a configuration.
    const QJsonObject bytes = image.toObject();
    if (bytes.size() != imageSize)
        return QStringLiteral("the profile image has %1 bytes, the %2 has %3")
            .arg(bytes.size()).arg(MouseType::modelName(modelCode)).arg(imageSize);
    for (int i = 0; i < imageSize; ++i)
        if (!isByte(bytes.value(QString::number(i))))
            return QStringLiteral("profile byte %1 is missing or not a value 0..255").arg(i);
    const QJsonValue macros = configuration.value("MacroDataOfGamingMode");
    if (macros.isUndefined())
        return QString();
    if (!macros.isObject())
        return QStringLiteral("\"MacroDataOfGamingMode\" is not an object");
    const QJsonObject slotObjects = macros.toObject();
    for (auto it = slotObjects.begin(); it != slotObjects.end(); ++it) {
        bool ok = false;
        const int slot = it.key().toInt(&ok);
        if (!ok || QString::number(slot) != it.key() || slot < 0 || slot >= slotCount)
            return QStringLiteral("macro slot \"%1\" is not a slot 0..%2").arg(it.key()).arg(slotCount - 1);
        if (!it.value().isObject())
            return QStringLiteral("macro slot %1 is not an object").arg(slot);
        const QString problem = slotProblem(it.value().toObject(), kelvo);
        if (!problem.isEmpty())
            return QStringLiteral("macro slot %1: %2").arg(slot).arg(problem);
    }
    return QString();
}

QString macroProblem(const QJsonObject &macro)
{
    if (compact(macro).size() > StorageIo::kMaxJsonFileSize)
        return QStringLiteral("larger than the %1 bytes a macro file may have").arg(StorageIo::kMaxJsonFileSize);
    if (macro.contains("Name") && !macro.value("Name").isString())
        return QStringLiteral("\"Name\" is not a text");
    for (const char *key : {"MacroType", "RepeatTimes", "IgnoreDelayTime", "MacroLength"})
        if (macro.contains(key) && !wholeNumber(macro.value(key)))
            return QStringLiteral("\"%1\" is not a whole number").arg(key);
    if (!macro.contains("Macro"))
        return QString();
    if (!macro.value("Macro").isArray())
        return QStringLiteral("\"Macro\" is not a list of steps");
    const QJsonArray steps = macro.value("Macro").toArray();
    if (steps.size() > JsonHandle::kMaxMacroNodes)
        return QStringLiteral("more than %1 steps").arg(JsonHandle::kMaxMacroNodes);
    for (int i = 0; i < steps.size(); ++i) {
        if (!steps.at(i).isObject())
            return QStringLiteral("step %1 is not an object").arg(i + 1);
        const QJsonObject step = steps.at(i).toObject();
        for (const char *key : {"ValueType", "MouseValue", "KeyValue", "TimeLapse", "CoordinateX",
                                "CoordinateY", "State"})
            if (step.contains(key) && !wholeNumber(step.value(key)))
                return QStringLiteral("step %1: \"%2\" is not a whole number").arg(i + 1).arg(key);
        if (step.contains("Text") && !step.value("Text").isString())
            return QStringLiteral("step %1: \"Text\" is not a text").arg(i + 1);
    }
    return QString();
}

bool isValidMacroName(const QString &name)
{
    static const QString kSuffix = QStringLiteral(".json");
    if (!name.endsWith(kSuffix) || name.size() == kSuffix.size() || name.toUtf8().size() > 255)
        return false;
    const QString base = name.left(name.size() - kSuffix.size());
    if (base.startsWith(QLatin1Char('.')) || base.endsWith(QLatin1Char('.'))
        || base.endsWith(QLatin1Char(' ')))
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || QStringLiteral("/\\:*?\"<>|").contains(c))
            return false;
        const QChar::Category category = c.category();
        // Control characters (NUL included) and format characters: the bidi overrides and
        // marks, zero-width joiners and the like, which make a name show as another.
        if (category == QChar::Other_Control || category == QChar::Other_Format
            || category == QChar::Other_NotAssigned || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            return false;
    }
    return true;
}

QString printableName(const QString &name)
{
    return QString::fromLatin1(name.toUtf8().toPercentEncoding(" .-_+()[]"));
}

Contents collect(int modelCode)
{
    Contents contents;
    contents.model = MouseType::modelName(modelCode);
    for (int n = 1; n <= 5; ++n) {
        const StorageIo::JsonObjectRead read =
            StorageIo::readJsonObject(StoragePaths::configJsonPath(modelCode, n));
        if (read.status == StorageIo::ReadStatus::Ok)
            contents.configurations.insert(n, read.object);
    }
    const QDir macroDir(StoragePaths::macroFolder());
    for (const QFileInfo &fi : macroDir.entryInfoList({QStringLiteral("*.json")}, QDir::Files)) {
        if (!isValidMacroName(fi.fileName())) {
            contents.skippedMacros << fi.fileName();
            continue;
        }
        const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(fi.absoluteFilePath());
        if (read.status == StorageIo::ReadStatus::Ok)
            contents.macros.insert(fi.fileName(), read.object);
    }
    return contents;
}

bool save(const QString &file, const Contents &contents, AtomicFile::Failure *failure)
{
    QJsonObject configurations;
    for (auto it = contents.configurations.begin(); it != contents.configurations.end(); ++it)
        configurations.insert(QString::number(it.key()), it.value());
    QJsonObject macros;
    for (auto it = contents.macros.begin(); it != contents.macros.end(); ++it)
        macros.insert(it.key(), it.value());
    const QJsonObject bundle{{"format", kFormat}, {"version", kVersion}, {"model", contents.model},
                             {"configurations", configurations}, {"macros", macros}};
    const QByteArray bytes = QJsonDocument(bundle).toJson(QJsonDocument::Indented);
    if (bytes.size() > kMaxBundleSize) {
        if (failure)
            *failure = {file, QStringLiteral("the export would be larger than an import accepts")};
        return false;
    }
    return AtomicFile::write(file, bytes, failure);
}

std::optional<Contents> load(const QString &file, int modelCode, QString *error)
{
    auto refuse = [error](const QString &message) {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QByteArray bytes;
    const QString unreadable = readProblem(file, &bytes);
    if (!unreadable.isEmpty())
        return refuse(unreadable);
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    const QJsonObject bundle = doc.object();
    if (parse.error != QJsonParseError::NoError || !doc.isObject()
        || bundle.value("format").toString() != kFormat)
        return refuse(QStringLiteral("\"%1\" is not a QKDriver export").arg(file));
    if (StorageIo::intInRange(bundle.value("version"), kVersion, kVersion) != kVersion)
        return refuse(QStringLiteral("\"%1\" is an export of an unknown version").arg(file));
    Contents contents;
    contents.model = bundle.value("model").toString();
    if (contents.model != MouseType::modelName(modelCode))
        return refuse(QStringLiteral("the export is for %1, the connected mouse is %2")
                          .arg(contents.model, MouseType::modelName(modelCode)));
    const QJsonValue configurations = bundle.value("configurations");
    const QJsonValue macros = bundle.value("macros");
    if (!configurations.isObject() || !macros.isObject())
        return refuse(QStringLiteral("\"%1\" has no configurations or macros object").arg(file));
    const QJsonObject configurationObjects = configurations.toObject();
    for (auto it = configurationObjects.begin(); it != configurationObjects.end(); ++it) {
        const int n = QStringList{"1", "2", "3", "4", "5"}.indexOf(it.key()) + 1;
        if (n == 0 || !it.value().isObject())
            return refuse(QStringLiteral("the export holds an invalid configuration \"%1\"").arg(it.key()));
        const QString problem = configurationProblem(it.value().toObject(), modelCode);
        if (!problem.isEmpty())
            return refuse(QStringLiteral("the export holds an invalid configuration %1: %2").arg(n).arg(problem));
        contents.configurations.insert(n, it.value().toObject());
    }
    const QJsonObject macroObjects = macros.toObject();
    for (auto it = macroObjects.begin(); it != macroObjects.end(); ++it) {
        if (!isValidMacroName(it.key()))
            return refuse(QStringLiteral("the export holds an invalid macro name \"%1\"")
                              .arg(printableName(it.key())));
        const QString problem = it.value().isObject() ? macroProblem(it.value().toObject())
                                                      : QStringLiteral("not an object");
        if (!problem.isEmpty())
            return refuse(QStringLiteral("the export holds an invalid macro \"%1\": %2").arg(printableName(it.key()), problem));
        contents.macros.insert(it.key(), it.value().toObject());
    }
    return contents;
}

bool store(const Contents &contents, int modelCode, AtomicFile::Failure *failure)
{
    QList<AtomicFile::Entry> entries;
    for (auto it = contents.configurations.begin(); it != contents.configurations.end(); ++it)
        entries.append({StoragePaths::configJsonPath(modelCode, it.key()), compact(it.value()), std::nullopt});
    const QString macroFolder = StoragePaths::macroFolder();
    for (auto it = contents.macros.begin(); it != contents.macros.end(); ++it)
        entries.append({macroFolder + QLatin1Char('/') + it.key(), compact(it.value()), std::nullopt});
    return AtomicFile::writeAll(entries, failure);
}

} // namespace ConfigBundle
