#include "storage/jsonhandle.h"

#include "catalog/factoryimages.h"
#include "storage/storageio.h"
#include "storage/storagepaths.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>

namespace {

const QString kMacroType = QStringLiteral("MacroType");
const QString kMacroLength = QStringLiteral("MacroLength");
const QString kMacroLengthKelvo = QStringLiteral("MacroLength_KELVO");
const QString kMouseData = QStringLiteral("MouseDataOfGamingMode");
const QString kMacroData = QStringLiteral("MacroDataOfGamingMode");
const QString kName = QStringLiteral("Name");
const QString kMacro = QStringLiteral("Macro");
const QString kMacroSize = QStringLiteral("MacroSize");
const QString kValueType = QStringLiteral("ValueType");
const QString kMouseValue = QStringLiteral("MouseValue");
const QString kKeyValue = QStringLiteral("KeyValue");
const QString kTimeLapse = QStringLiteral("TimeLapse");
const QString kCoordinateX = QStringLiteral("CoordinateX");
const QString kCoordinateY = QStringLiteral("CoordinateY");
const QString kState = QStringLiteral("State");
const QString kText = QStringLiteral("Text");
const QString kRepeatTimes = QStringLiteral("RepeatTimes");
const QString kId = QStringLiteral("id");
const QString kIgnoreDelayTime = QStringLiteral("IgnoreDelayTime");

bool validConfigNumber(int n)
{
    return n >= 0 && n <= 5;
}

int le16(const QByteArray &b, int offset)
{
    return int(quint8(b.at(offset))) | (int(quint8(b.at(offset + 1))) << 8);
}

// Appends the bytes [from, to) of b as JSON integers.
QJsonArray byteArray(const QByteArray &b, int from, int to)
{
    QJsonArray a;
    for (int i = from; i < to; ++i)
        a.append(int(quint8(b.at(i))));
    return a;
}

// Reads count array elements as bytes; false when one is not a whole number 0..255.
bool readBytes(const QJsonArray &a, int count, QByteArray &out)
{
    out.clear();
    out.reserve(count);
    for (int i = 0; i < count; ++i) {
        const auto v = StorageIo::intInRange(a.at(i), 0, 255);
        if (!v)
            return false;
        out.append(char(*v));
    }
    return true;
}

// An optional member: missing gives fallback; present but not a whole number in range fails.
bool optionalInt(const QJsonObject &o, const QString &key, int low, int high, int fallback, int &out)
{
    if (!o.contains(key)) {
        out = fallback;
        return true;
    }
    const auto v = StorageIo::intInRange(o.value(key), low, high);
    if (!v)
        return false;
    out = *v;
    return true;
}

// An optional array member: missing gives an empty array; present but not an array fails.
bool optionalArray(const QJsonObject &o, const QString &key, QJsonArray &out)
{
    if (!o.contains(key)) {
        out = QJsonArray();
        return true;
    }
    if (!o.value(key).isArray())
        return false;
    out = o.value(key).toArray();
    return true;
}

// Sizes image to size bytes, keeping the bytes it has and zeroing new ones.
void sizeImage(QByteArray &image, int size)
{
    const int oldSize = image.size();
    image.resize(size);
    for (int i = oldSize; i < size; ++i)
        image[i] = 0;
}

QByteArray emptyHaldenRecord()
{
    return QByteArray("\x00\x01", 2);
}

} // namespace

JsonHandle::JsonHandle(QObject *parent) : QObject(parent) {}

QStringList JsonHandle::keyNames()
{
    return {kMacroType,   kMacroLength, kMacroLengthKelvo, kMouseData,  kMacroData,
            kName,        kMacro,       kMacroSize,        kValueType,  kMouseValue,
            kKeyValue,    kTimeLapse,   kCoordinateX,      kCoordinateY, kState,
            kText,        kRepeatTimes, kId,               kIgnoreDelayTime};
}

// ---- configuration files ---------------------------------------------------------------------

void JsonHandle::createAOriginalMouseDataFile_Kelvo(QByteArray &image, int modelCode) const
{
    const QByteArray factory = FactoryImages::kelvo(modelCode);
    sizeImage(image, FactoryImages::kKelvoImageSize);
    if (!factory.isEmpty())
        image = factory;
}

void JsonHandle::createAOriginalMouseDataFile_Halden(QByteArray &image, int modelCode) const
{
    const QByteArray factory = FactoryImages::halden(modelCode);
    sizeImage(image, FactoryImages::kHaldenImageSize);
    if (!factory.isEmpty())
        image = factory;
}

bool JsonHandle::readImage(QByteArray &image, int size, const QByteArray &factory, int modelCode,
                           int configNumber, const char *tag)
{
    sizeImage(image, size);
    if (!factory.isEmpty())
        image = factory;
    if (!validConfigNumber(configNumber)) {
        qDebug() << tag << "configuration number out of range" << configNumber;
        return false;
    }
    const QString path = StoragePaths::configJsonPath(modelCode, configNumber);
    const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(path);
    if (read.status != StorageIo::ReadStatus::Ok) {
        qDebug() << tag << "no usable configuration file, factory image" << path;
        return false;
    }
    const QJsonValue member = read.object.value(kMouseData);
    if (!member.isObject()) {
        qDebug() << tag << "no" << kMouseData << "factory image";
        return false;
    }
    const QJsonObject data = member.toObject();
    QByteArray result(size, 0);
    for (int i = 0; i < size; ++i) {
        const QString key = QString::number(i);
        if (!data.contains(key))
            continue;
        const auto v = StorageIo::intInRange(data.value(key), 0, 255);
        if (!v) {
            // One bad byte makes the whole image untrustworthy: sending it to the mouse could
            // put any setting anywhere, so the file counts as corrupt.
            qWarning() << tag << "byte" << i << "is not a value 0..255, factory image" << path;
            return false;
        }
        result[i] = char(*v);
    }
    image = result;
    return true;
}

bool JsonHandle::getMouseData_Kelvo(QByteArray &image, int modelCode, int configNumber)
{
    return readImage(image, FactoryImages::kKelvoImageSize, FactoryImages::kelvo(modelCode),
                     modelCode, configNumber, "getMouseData_Kelvo");
}

bool JsonHandle::getMouseData_Halden(QByteArray &image, int modelCode, int configNumber)
{
    return readImage(image, FactoryImages::kHaldenImageSize, FactoryImages::halden(modelCode),
                     modelCode, configNumber, "getMouseData_Halden");
}

bool JsonHandle::readSlotObject(QJsonObject &slotObject, int modelCode, int configNumber,
                                int slot, const char *tag)
{
    if (!validConfigNumber(configNumber))
        return false;
    const StorageIo::JsonObjectRead read =
        StorageIo::readJsonObject(StoragePaths::configJsonPath(modelCode, configNumber));
    if (read.status != StorageIo::ReadStatus::Ok)
        return false;
    const QJsonValue data = read.object.value(kMacroData);
    if (!data.isObject())
        return false;
    const QJsonValue value = data.toObject().value(QString::number(slot));
    if (value.isUndefined())
        return false;
    if (!value.isObject()) {
        qWarning() << tag << "slot" << slot << "is not an object";
        return false;
    }
    slotObject = value.toObject();
    return true;
}

bool JsonHandle::getMacroData_Kelvo(QByteArray &slotBuffer, int modelCode, int configNumber,
                                    int slot)
{
    slotBuffer = QByteArray(kMacroSlotSize, 0);
    if (slot < 0 || slot >= kKelvoMacroSlots)
        return false;
    QJsonObject o;
    if (!readSlotObject(o, modelCode, configNumber, slot, "getMacroData_Kelvo"))
        return false;
    int size = 0;
    int repeat = 0;
    QJsonArray macro;
    QByteArray nodes;
    bool valid = optionalInt(o, kMacroSize, 0, kMacroSlotSize, 0, size)
                 && optionalInt(o, kRepeatTimes, 0, 0xFFFF, 0, repeat)
                 && optionalArray(o, kMacro, macro);
    if (valid) {
        const int groups = macro.size() / 3;
        valid = 4 + 3 * qint64(groups) <= kMacroSlotSize && readBytes(macro, 3 * groups, nodes);
    }
    if (!valid) {
        qWarning() << "getMacroData_Kelvo" << "slot" << slot << "is invalid, empty slot";
        return false;
    }
    slotBuffer[0] = char(size & 0xFF);
    slotBuffer[1] = char(size >> 8);
    slotBuffer[2] = char(repeat & 0xFF);
    slotBuffer[3] = char(repeat >> 8);
    slotBuffer.replace(4, nodes.size(), nodes);
    return true;
}

bool JsonHandle::getMacroData_Halden(QByteArray &record, int modelCode, int configNumber, int slot)
{
    record = emptyHaldenRecord();
    if (slot < 0 || slot >= kHaldenMacroSlots)
        return false;
    QJsonObject o;
    if (!readSlotObject(o, modelCode, configNumber, slot, "getMacroData_Halden"))
        return false;
    int repeat = 1;
    QJsonArray macro;
    QByteArray words;
    const bool valid = optionalInt(o, kRepeatTimes, 0, 0xFFFF, 1, repeat)
                       && optionalArray(o, kMacro, macro) && macro.size() % 2 == 0
                       && 2 + qint64(macro.size()) <= kMaxHaldenRecordSize
                       && readBytes(macro, macro.size(), words);
    if (!valid) {
        qWarning() << "getMacroData_Halden" << "slot" << slot << "is invalid, empty slot";
        return false;
    }
    record = QByteArray(2, 0);
    record[0] = char(repeat >> 8);
    record[1] = char(repeat & 0xFF);
    record.append(words);
    return true;
}

QJsonObject JsonHandle::imageObject(const QByteArray &image, int size) const
{
    QJsonObject o;
    for (int i = 0; i < size; ++i)
        o.insert(QString::number(i), i < image.size() ? int(quint8(image.at(i))) : 0);
    return o;
}

QJsonObject JsonHandle::turnMouseDataJsonObject_Kelvo(const QByteArray &image) const
{
    return imageObject(image, FactoryImages::kKelvoImageSize);
}

QJsonObject JsonHandle::turnMouseDataJsonObject_Halden(const QByteArray &image) const
{
    return imageObject(image, FactoryImages::kHaldenImageSize);
}

QJsonObject JsonHandle::turnMacroDataToJsonObject_Kelvo(const QByteArray &slotBuffer) const
{
    if (slotBuffer.size() < 4)
        return QJsonObject();
    const int length = le16(slotBuffer, 0);
    if (length < 4 || (length - 4) % 3 != 0 || length > kMacroSlotSize
        || length > slotBuffer.size()) {
        if (length != 0)
            qDebug() << "turnMacroDataToJsonObject_Kelvo" << "no whole macro, length" << length;
        return QJsonObject();
    }
    QJsonObject o;
    o.insert(kMacroSize, length);
    o.insert(kRepeatTimes, le16(slotBuffer, 2));
    o.insert(kMacro, byteArray(slotBuffer, 4, length));
    return o;
}

QJsonObject JsonHandle::turnMacroDataToJsonObject_Halden(const QByteArray &record) const
{
    if (record.size() < 2 || record.size() > kMaxHaldenRecordSize) {
        if (!record.isEmpty())
            qWarning() << "turnMacroDataToJsonObject_Halden" << "record size" << record.size();
        return QJsonObject();
    }
    int end = record.size();
    if ((end - 2) % 2 != 0) {
        qWarning() << "turnMacroDataToJsonObject_Halden" << "dangling byte dropped";
        --end;
    }
    QJsonObject o;
    o.insert(kRepeatTimes, (int(quint8(record.at(0))) << 8) | int(quint8(record.at(1))));
    o.insert(kMacro, byteArray(record, 2, end));
    return o;
}

bool JsonHandle::saveMember(int modelCode, int configNumber, const QString &member,
                            const QString &slotKey, const QJsonObject &value, const char *tag)
{
    if (!validConfigNumber(configNumber)) {
        qDebug() << tag << "configuration number out of range" << configNumber;
        return false;
    }
    const QString path = StoragePaths::configJsonPath(modelCode, configNumber);
    const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(path);
    if (read.status == StorageIo::ReadStatus::Unreadable && !StorageIo::keepCorruptCopy(path)) {
        // Without a copy the rest of the unreadable file would be gone for good.
        qWarning() << tag << "not written" << path;
        return false;
    }
    QJsonObject document = read.object;
    if (slotKey.isEmpty()) {
        document.insert(member, value);
    } else {
        const QJsonValue old = document.value(member);
        if (!old.isUndefined() && !old.isObject())
            qWarning() << tag << member << "is not an object, replaced";
        QJsonObject slotObjects = old.toObject();
        slotObjects.insert(slotKey, value);
        document.insert(member, slotObjects);
    }
    return StorageIo::writeJsonObject(path, document);
}

bool JsonHandle::saveMouseData_Kelvo(const QByteArray &image, int modelCode, int configNumber)
{
    return saveMember(modelCode, configNumber, kMouseData, QString(),
                      turnMouseDataJsonObject_Kelvo(image), "saveMouseData_Kelvo");
}

bool JsonHandle::saveMouseData_Halden(const QByteArray &image, int modelCode, int configNumber)
{
    return saveMember(modelCode, configNumber, kMouseData, QString(),
                      turnMouseDataJsonObject_Halden(image), "saveMouseData_Halden");
}

bool JsonHandle::saveMacroData_Kelvo(const QByteArray &slotBuffer, int slot, int modelCode,
                                     int configNumber)
{
    if (slot < 0 || slot >= kKelvoMacroSlots)
        return false;
    return saveMember(modelCode, configNumber, kMacroData, QString::number(slot),
                      turnMacroDataToJsonObject_Kelvo(slotBuffer), "saveMacroData_Kelvo");
}

bool JsonHandle::saveMacroData_Halden(const QByteArray &record, int slot, int modelCode,
                                      int configNumber)
{
    if (slot < 0 || slot >= kHaldenMacroSlots)
        return false;
    return saveMember(modelCode, configNumber, kMacroData, QString::number(slot),
                      turnMacroDataToJsonObject_Halden(record), "saveMacroData_Halden");
}

// ---- macro files ----------------------------------------------------------------------------

QList<MacroNode> JsonHandle::getMacroNodeList(const QString &path)
{
    return macroNodesOf(StorageIo::readJsonObject(path).object, path);
}

QList<MacroNode> JsonHandle::macroNodesOf(const QJsonObject &document, const QString &path)
{
    QList<MacroNode> nodes;
    const QJsonValue macro = document.value(kMacro);
    if (!macro.isArray()) {
        qDebug() << "isn't array";
        return nodes;
    }
    const QJsonArray array = macro.toArray();
    if (array.size() > kMaxMacroNodes) {
        qWarning() << "getMacroNodeList" << "too many steps" << array.size() << path;
        return nodes;
    }
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            continue;
        const QJsonObject o = element.toObject();
        MacroNode node;
        node.valueType = StorageIo::intOr(o.value(kValueType), 0);
        node.mouseValue = StorageIo::intOr(o.value(kMouseValue), 0);
        node.keyValue = StorageIo::intOr(o.value(kKeyValue), 0);
        node.timeLapse = StorageIo::intOr(o.value(kTimeLapse), 0);
        node.coordinateX = StorageIo::intOr(o.value(kCoordinateX), 0);
        node.coordinateY = StorageIo::intOr(o.value(kCoordinateY), 0);
        node.state = StorageIo::intOr(o.value(kState), 0);
        node.text = o.value(kText).toString();
        nodes.append(node);
    }
    return nodes;
}

QJsonArray JsonHandle::TurnMacroNodeListToJsonArray(const QList<MacroNode> &nodes) const
{
    QJsonArray array;
    for (const MacroNode &node : nodes) {
        QJsonObject o;
        o.insert(kValueType, node.valueType);
        o.insert(kMouseValue, node.mouseValue);
        o.insert(kKeyValue, node.keyValue);
        o.insert(kTimeLapse, node.timeLapse);
        o.insert(kCoordinateX, node.coordinateX);
        o.insert(kCoordinateY, node.coordinateY);
        o.insert(kState, node.state);
        o.insert(kText, node.text);
        array.append(o);
    }
    return array;
}

QString JsonHandle::getName(const QString &path)
{
    return nameOf(StorageIo::readJsonObject(path).object);
}

QString JsonHandle::nameOf(const QJsonObject &document)
{
    const QJsonValue name = document.value(kName);
    return name.isString() ? name.toString() : QStringLiteral("ErrorName");
}

JsonHandle::MacroContents JsonHandle::readMacroFile(const QString &path)
{
    const QJsonObject document = StorageIo::readJsonObject(path).object;
    MacroContents c;
    c.name = nameOf(document);
    c.macroType = StorageIo::intOr(document.value(kMacroType), 0);
    c.repeatTimes = StorageIo::intOr(document.value(kRepeatTimes), 0);
    c.ignoreDelayTime = StorageIo::intOr(document.value(kIgnoreDelayTime), 0);
    c.macroLength = StorageIo::intOr(document.value(kMacroLength), 0);
    c.nodes = macroNodesOf(document, path);
    return c;
}

int JsonHandle::macroFileNumber(const QString &path, const QString &key)
{
    return StorageIo::intOr(StorageIo::readJsonObject(path).object.value(key), 0);
}

int JsonHandle::getMacroType(const QString &path) { return macroFileNumber(path, kMacroType); }
int JsonHandle::getRepeatTimes(const QString &path) { return macroFileNumber(path, kRepeatTimes); }
int JsonHandle::getIgnoreDelayTime(const QString &path)
{
    return macroFileNumber(path, kIgnoreDelayTime);
}
int JsonHandle::getMacroLength(const QString &path) { return macroFileNumber(path, kMacroLength); }

bool JsonHandle::setMacroFileValue(const QString &path, const QString &key, const QJsonValue &value,
                                   const char *missingLog)
{
    return setMacroFileValues(path, QJsonObject{{key, value}}, missingLog);
}

bool JsonHandle::setMacroFileValues(const QString &path, const QJsonObject &values, const char *missingLog)
{
    const StorageIo::JsonObjectRead read = StorageIo::readJsonObject(path);
    QJsonObject document;
    if (read.status == StorageIo::ReadStatus::Ok && !read.object.isEmpty()) {
        document = read.object;
        for (auto it = values.begin(); it != values.end(); ++it)
            document.remove(it.key());
    } else {
        qDebug() << missingLog;
        if (read.status == StorageIo::ReadStatus::Unreadable && !StorageIo::keepCorruptCopy(path))
            return false;
    }
    for (auto it = values.begin(); it != values.end(); ++it)
        document.insert(it.key(), it.value());
    return StorageIo::writeJsonObject(path, document);
}

bool JsonHandle::setMacroEvents(const QString &path, const QList<MacroNode> &nodes, int repeatTimes,
                                int macroLength, int macroType)
{
    return setMacroFileValues(path,
                              QJsonObject{{kMacro, TurnMacroNodeListToJsonArray(nodes)},
                                          {kRepeatTimes, repeatTimes},
                                          {kMacroLength, macroLength},
                                          {kMacroType, macroType}},
                              "no this");
}

bool JsonHandle::setName(const QString &path, const QString &name)
{
    return setMacroFileValue(path, kName, name, "no this");
}

bool JsonHandle::setMacroType(const QString &path, int macroType)
{
    return setMacroFileValue(path, kMacroType, macroType, "no this");
}

bool JsonHandle::setRepeatTimes(const QString &path, int repeatTimes)
{
    return setMacroFileValue(path, kRepeatTimes, repeatTimes, "no this");
}

bool JsonHandle::setIgnoreDelayTime(const QString &path, int ignoreDelayTime)
{
    return setMacroFileValue(path, kIgnoreDelayTime, ignoreDelayTime, "no this");
}

bool JsonHandle::setMacroLength(const QString &path, int macroLength)
{
    return setMacroFileValue(path, kMacroLength, macroLength, "no this MacroLength HALDEN");
}

bool JsonHandle::setMacroArray(const QString &path, const QJsonArray &macro)
{
    return setMacroFileValue(path, kMacro, macro, "no this");
}

// ---- array files ----------------------------------------------------------------------------

QJsonValue JsonHandle::readJsonArrayElement(const QString &path, int index)
{
    const StorageIo::JsonRead read = StorageIo::readJson(path);
    if (read.status != StorageIo::ReadStatus::Ok || !read.document.isArray()) {
        qDebug() << "NoArray";
        return QJsonValue(QJsonValue::Undefined);
    }
    const QJsonArray array = read.document.array();
    if (index < 0 || index >= array.size())
        return QJsonValue(QJsonValue::Undefined);
    return array.at(index);
}

QList<JsonHandle::StoredMacro> JsonHandle::storedMacros(int modelCode, int configNumber)
{
    QFile f(StoragePaths::configJsonPath(modelCode, configNumber));
    const QJsonObject stored = f.open(QIODevice::ReadOnly)
        ? QJsonDocument::fromJson(f.readAll()).object().value(kMacroData).toObject()
        : QJsonObject();
    QList<StoredMacro> out;
    for (const QString &slot : stored.keys()) {
        const QJsonObject m = stored.value(slot).toObject();
        const int bytes = m.value(kMacro).toArray().size();
        if (bytes > 0)
            out << StoredMacro{slot, bytes, m.value(kRepeatTimes).toInt()};
    }
    return out;
}
