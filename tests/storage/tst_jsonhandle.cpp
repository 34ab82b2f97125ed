#include "storage/jsonhandle.h"
#include "storage/storageio.h"
#include "storage/storagepaths.h"
#include "support/factoryliterals.h"
#include "support/temphome.h"

#include <QtTest>

#include <memory>

namespace {
const QByteArray kNoFile = "<none>";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (bytes == kNoFile)
        return true;
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QJsonObject readObject(const QString &path)
{
    return QJsonDocument::fromJson(readFile(path)).object();
}

QByteArray compact(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// {"MacroDataOfGamingMode":{"<slot>":<slotJson>}}
QByteArray slotFile(int slot, const QByteArray &slotJson)
{
    return "{\"MacroDataOfGamingMode\":{\"" + QByteArray::number(slot) + "\":" + slotJson + "}}";
}

// A JSON array of count copies of element.
QByteArray repeated(int count, const QByteArray &element)
{
    QByteArray a = "[";
    for (int i = 0; i < count; ++i)
        a += (i ? "," : "") + element;
    return a + "]";
}

// hex, then zeros up to size.
QByteArray padded(const char *hex, int size)
{
    QByteArray b = QByteArray::fromHex(hex);
    b.append(QByteArray(size - b.size(), 0));
    return b;
}
} // namespace

class TstJsonHandle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_home = std::make_unique<TempHome>(); }
    void cleanup()
    {
        StorageIo::setCommitHookForTests({});
        m_home.reset();
    }
    void keyNamesInOrder();
    void factoryFill();
    void mouseData_data();
    void mouseData();
    void kelvoSlot_data();
    void kelvoSlot();
    void haldenSlot_data();
    void haldenSlot();
    void kelvoSlotObject_data();
    void kelvoSlotObject();
    void haldenSlotObject_data();
    void haldenSlotObject();
    void emptySlotSavedAsEmptyObject();
    void savingOneSlotKeepsTheRest();
    void savingImageKeepsMacros();
    void roundTrip();
    void unreadableFileIsKeptBeforeSave_data();
    void unreadableFileIsKeptBeforeSave();
    void interruptedWriteKeepsPreviousFile_data();
    void interruptedWriteKeepsPreviousFile();
    void outOfRangeArgumentsWriteNothing();
    void nodeList_data();
    void nodeList();
    void nodeListToArray();
    void macroFileGetters_data();
    void macroFileGetters();
    void macroFileSetters_data();
    void macroFileSetters();
    void arrayElement();

private:
    QString config(int model, int n) { return StoragePaths::configJsonPath(model, n); }
    std::unique_ptr<TempHome> m_home;
    JsonHandle m_json;
};

void TstJsonHandle::keyNamesInOrder()
{
    QCOMPARE(JsonHandle::keyNames(),
             QStringList({"MacroType", "MacroLength", "MacroLength_KELVO", "MouseDataOfGamingMode",
                          "MacroDataOfGamingMode", "Name", "Macro", "MacroSize", "ValueType",
                          "MouseValue", "KeyValue", "TimeLapse", "CoordinateX", "CoordinateY",
                          "State", "Text", "RepeatTimes", "id", "IgnoreDelayTime"}));
}

void TstJsonHandle::factoryFill()
{
    QByteArray image(10, 'x');
    m_json.createAOriginalMouseDataFile_Kelvo(image, 9);
    QCOMPARE(image, literalBytes(kKiteHex));
    // No image for the model: the bytes present stay, new ones are zero.
    image = QByteArray(3, 'x');
    m_json.createAOriginalMouseDataFile_Kelvo(image, 3);
    QCOMPARE(image, QByteArray("xxx") + QByteArray(125, 0));
    image.clear();
    m_json.createAOriginalMouseDataFile_Halden(image, 3);
    QCOMPARE(image, literalBytes(kOspreyHex));
}

void TstJsonHandle::mouseData_data()
{
    QTest::addColumn<bool>("halden");
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("fromFile");
    const QByteArray kite = literalBytes(kKiteHex);
    const QByteArray falcon = literalBytes(kFalconHex);
    QByteArray only5(128, 0);
    only5[5] = char(0xC8);
    QTest::newRow("only key 5") << false << 7 << QByteArray(R"({"MouseDataOfGamingMode":{"5":200}})")
                                << only5 << true;
    QTest::newRow("no file") << false << 7 << kNoFile << kite << false;
    QTest::newRow("no file, model 11") << false << 11 << kNoFile << falcon << false;
    QTest::newRow("empty file") << false << 7 << QByteArray() << kite << false;
    QTest::newRow("garbage") << false << 7 << QByteArray("{\"MouseDataOf") << kite << false;
    QTest::newRow("array document") << false << 7 << QByteArray("[1,2,3]") << kite << false;
    QTest::newRow("member missing") << false << 7 << QByteArray(R"({"MacroDataOfGamingMode":{}})")
                                    << kite << false;
    QTest::newRow("member is an array") << false << 7 << QByteArray(R"({"MouseDataOfGamingMode":[1]})")
                                        << kite << false;
    QTest::newRow("value 256") << false << 7 << QByteArray(R"({"MouseDataOfGamingMode":{"0":256}})")
                               << kite << false;
    QTest::newRow("negative value") << false << 7
                                    << QByteArray(R"({"MouseDataOfGamingMode":{"1":-1}})") << kite << false;
    QTest::newRow("string value") << false << 7
                                  << QByteArray(R"({"MouseDataOfGamingMode":{"0":"1"}})") << kite << false;
    QTest::newRow("fraction") << false << 7 << QByteArray(R"({"MouseDataOfGamingMode":{"0":1.5}})")
                              << kite << false;
    QTest::newRow("nested object") << false << 7
                                   << QByteArray(R"({"MouseDataOfGamingMode":{"0":{"v":1}}})") << kite << false;
    QByteArray extra(128, 0);
    extra[0] = 7;
    extra[127] = char(0xFF);
    QTest::newRow("keys beyond the image are ignored")
        << false << 7 << QByteArray(R"({"MouseDataOfGamingMode":{"0":7.0,"127":255,"128":9,"x":"y"}})")
        << extra << true;
    QTest::newRow("no factory image, no file")
        << false << 3 << kNoFile << QByteArray(128, char(0xAA)) << false;
    QByteArray halden233(234, 0);
    halden233[233] = 1;
    QTest::newRow("halden only key 233") << true << 3
                                         << QByteArray(R"({"MouseDataOfGamingMode":{"233":1}})")
                                         << halden233 << true;
    QTest::newRow("halden no file") << true << 3 << kNoFile << literalBytes(kOspreyHex) << false;
    QTest::newRow("halden value 300") << true << 3
                                      << QByteArray(R"({"MouseDataOfGamingMode":{"10":300}})")
                                      << literalBytes(kOspreyHex) << false;
}

void TstJsonHandle::mouseData()
{
    QFETCH(bool, halden);
    QFETCH(int, model);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, expected);
    QFETCH(bool, fromFile);
    QVERIFY(writeFile(config(model, 2), file));
    QByteArray image(halden ? 234 : 128, char(0xAA));
    const bool read = halden ? m_json.getMouseData_Halden(image, model, 2)
                             : m_json.getMouseData_Kelvo(image, model, 2);
    QCOMPARE(image.toHex(' '), expected.toHex(' '));
    QCOMPARE(read, fromFile);
}

void TstJsonHandle::kelvoSlot_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("head"); // the slot starts with these bytes, zeros after
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("no file") << kNoFile << 1 << QByteArray() << false;
    QTest::newRow("slot missing") << slotFile(2, "{}") << 1 << QByteArray() << false;
    QTest::newRow("stored empty slot") << slotFile(1, "{}") << 1 << QByteArray() << true;
    QTest::newRow("two nodes")
        << slotFile(1, R"({"MacroSize":10,"RepeatTimes":65535,"Macro":[1,0,4,0,0,5]})") << 1
        << QByteArray::fromHex("0A00FFFF010004000005") << true;
    QTest::newRow("rest of a group ignored")
        << slotFile(13, R"({"MacroSize":7,"RepeatTimes":2,"Macro":[201,1,30,7]})") << 13
        << QByteArray::fromHex("07000200C9011E") << true;
    QTest::newRow("size missing") << slotFile(0, R"({"RepeatTimes":3,"Macro":[1,2,3]})") << 0
                                  << QByteArray::fromHex("00000300010203") << true;
    QTest::newRow("fits exactly") << slotFile(0, "{\"MacroSize\":4096,\"Macro\":" + repeated(4092, "9") + "}")
                                  << 0 << QByteArray::fromHex("0010") + QByteArray(2, 0) + QByteArray(4092, 9)
                                  << true;
    QTest::newRow("more nodes than fit") << slotFile(0, "{\"MacroSize\":4,\"Macro\":" + repeated(4095, "9") + "}")
                                         << 0 << QByteArray() << false;
    QTest::newRow("Macro is an object") << slotFile(1, R"({"MacroSize":7,"Macro":{"0":1}})") << 1
                                        << QByteArray() << false;
    QTest::newRow("byte 256") << slotFile(1, R"({"MacroSize":7,"Macro":[1,256,3]})") << 1 << QByteArray() << false;
    QTest::newRow("negative byte") << slotFile(1, R"({"MacroSize":7,"Macro":[-1,2,3]})") << 1 << QByteArray() << false;
    QTest::newRow("string byte") << slotFile(1, R"({"MacroSize":7,"Macro":["1",2,3]})") << 1 << QByteArray() << false;
    QTest::newRow("size above 4096") << slotFile(1, R"({"MacroSize":5000,"Macro":[]})") << 1 << QByteArray() << false;
    QTest::newRow("size is a string") << slotFile(1, R"({"MacroSize":"10"})") << 1 << QByteArray() << false;
    QTest::newRow("repeat above 16 bits") << slotFile(1, R"({"RepeatTimes":65536})") << 1 << QByteArray() << false;
    QTest::newRow("repeat fraction") << slotFile(1, R"({"RepeatTimes":1.5})") << 1 << QByteArray() << false;
    QTest::newRow("slot is a number") << slotFile(1, "7") << 1 << QByteArray() << false;
    QTest::newRow("slots not an object") << QByteArray(R"({"MacroDataOfGamingMode":[{}]})") << 0
                                         << QByteArray() << false;
    QTest::newRow("slot 14 does not exist") << slotFile(14, R"({"MacroSize":7,"Macro":[1,2,3]})") << 14
                                            << QByteArray() << false;
    QTest::newRow("negative slot") << slotFile(-1, R"({"MacroSize":7,"Macro":[1,2,3]})") << -1
                                   << QByteArray() << false;
}

void TstJsonHandle::kelvoSlot()
{
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QFETCH(QByteArray, head);
    QFETCH(bool, fromFile);
    QVERIFY(writeFile(config(11, 4), file));
    QByteArray buffer("stale");
    QCOMPARE(m_json.getMacroData_Kelvo(buffer, 11, 4, slot), fromFile);
    QCOMPARE(buffer.size(), 4096);
    QCOMPARE(buffer.left(head.size()).toHex(), head.toHex());
    QCOMPARE(buffer.mid(head.size()), QByteArray(4096 - head.size(), 0));
}

void TstJsonHandle::haldenSlot_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("fromFile");
    const QByteArray empty = QByteArray::fromHex("0001");
    QTest::newRow("no file") << kNoFile << 3 << empty << false;
    QTest::newRow("stored empty slot") << slotFile(3, "{}") << 3 << empty << true;
    QTest::newRow("words") << slotFile(15, R"({"RepeatTimes":258,"Macro":[5,4,133,4,0,0]})") << 15
                           << QByteArray::fromHex("0102050485040000") << true;
    QTest::newRow("repeat only") << slotFile(0, R"({"RepeatTimes":2})") << 0 << QByteArray::fromHex("0002") << true;
    QTest::newRow("odd count") << slotFile(3, R"({"RepeatTimes":5,"Macro":[1,2,3]})") << 3 << empty << false;
    QTest::newRow("byte 256") << slotFile(3, R"({"Macro":[1,256]})") << 3 << empty << false;
    QTest::newRow("negative repeat") << slotFile(3, R"({"RepeatTimes":-1})") << 3 << empty << false;
    QTest::newRow("Macro is an object") << slotFile(3, R"({"Macro":{}})") << 3 << empty << false;
    QTest::newRow("longest record") << slotFile(3, "{\"RepeatTimes\":1,\"Macro\":" + repeated(4094, "7") + "}")
                                    << 3 << empty + QByteArray(4094, 7) << true;
    QTest::newRow("too long") << slotFile(3, "{\"Macro\":" + repeated(4096, "7") + "}") << 3 << empty << false;
    QTest::newRow("slot 17, the lark's button 10") << slotFile(17, R"({"RepeatTimes":2,"Macro":[1,2]})") << 17
                                                   << QByteArray::fromHex("00020102") << true;
    QTest::newRow("slot 18 does not exist") << slotFile(18, R"({"Macro":[1,2]})") << 18 << empty << false;
}

void TstJsonHandle::haldenSlot()
{
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QFETCH(QByteArray, expected);
    QFETCH(bool, fromFile);
    QVERIFY(writeFile(config(3, 1), file));
    QByteArray record("stale");
    QCOMPARE(m_json.getMacroData_Halden(record, 3, 1, slot), fromFile);
    QCOMPARE(record.toHex(), expected.toHex());
}

void TstJsonHandle::kelvoSlotObject_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("empty slot") << padded("0000", 4096) << QByteArray("{}");
    QTest::newRow("length 1") << padded("0100", 4096) << QByteArray("{}");
    QTest::newRow("length 4, no nodes") << padded("04000200", 4096)
                                        << QByteArray(R"({"Macro":[],"MacroSize":4,"RepeatTimes":2})");
    QTest::newRow("two nodes") << padded("0A00FEFF0300040200E0", 4096)
                               << QByteArray(R"({"Macro":[3,0,4,2,0,224],"MacroSize":10,"RepeatTimes":65534})");
    QTest::newRow("length 11 is no whole node") << padded("0B00", 4096) << QByteArray("{}");
    QTest::newRow("length beyond 4096") << padded("0310", 4096) << QByteArray("{}");
    QTest::newRow("length beyond the buffer") << padded("0A00", 8) << QByteArray("{}");
}

void TstJsonHandle::kelvoSlotObject()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, json);
    QCOMPARE(compact(m_json.turnMacroDataToJsonObject_Kelvo(buffer)), json);
}

void TstJsonHandle::haldenSlotObject_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("nothing") << QByteArray() << QByteArray("{}");
    QTest::newRow("one byte") << QByteArray::fromHex("00") << QByteArray("{}");
    QTest::newRow("repeat only") << QByteArray::fromHex("0001") << QByteArray(R"({"Macro":[],"RepeatTimes":1})");
    QTest::newRow("words") << QByteArray::fromHex("FFFE050485040000")
                           << QByteArray(R"({"Macro":[5,4,133,4,0,0],"RepeatTimes":65534})");
    QTest::newRow("dangling byte") << QByteArray::fromHex("000305") << QByteArray(R"({"Macro":[],"RepeatTimes":3})");
    QTest::newRow("too long") << QByteArray(4097, 1) << QByteArray("{}");
}

void TstJsonHandle::haldenSlotObject()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, json);
    QCOMPARE(compact(m_json.turnMacroDataToJsonObject_Halden(record)), json);
}

void TstJsonHandle::emptySlotSavedAsEmptyObject()
{
    QVERIFY(m_json.saveMacroData_Kelvo(QByteArray(4096, 0), 6, 8, 2));
    QCOMPARE(readFile(config(8, 2)), QByteArray(R"({"MacroDataOfGamingMode":{"6":{}}})"));
    QByteArray buffer(4096, 'x');
    QVERIFY(m_json.getMacroData_Kelvo(buffer, 8, 2, 6));
    QCOMPARE(buffer, QByteArray(4096, 0));
}

void TstJsonHandle::savingOneSlotKeepsTheRest()
{
    const QByteArray before =
        R"({"Extra":"kept","MouseDataOfGamingMode":{"0":1,"5":9},)"
        R"("MacroDataOfGamingMode":{"0":{"MacroSize":7,"RepeatTimes":1,"Macro":[1,2,3]},"2":{}}})";
    QVERIFY(writeFile(config(11, 1), before));
    QVERIFY(m_json.saveMacroData_Kelvo(padded("07000500030004", 4096), 1, 11, 1));
    QJsonObject expected = QJsonDocument::fromJson(before).object();
    QJsonObject macros = expected.value("MacroDataOfGamingMode").toObject();
    macros.insert("1", QJsonDocument::fromJson(R"({"MacroSize":7,"RepeatTimes":5,"Macro":[3,0,4]})").object());
    expected.insert("MacroDataOfGamingMode", macros);
    QCOMPARE(readObject(config(11, 1)), expected);
}

void TstJsonHandle::savingImageKeepsMacros()
{
    const QByteArray before = R"({"MacroDataOfGamingMode":{"3":{}},"MouseDataOfGamingMode":{"0":4}})";
    QVERIFY(writeFile(config(4, 5), before));
    QByteArray image(234, 0);
    image[0] = 2;
    image[233] = char(0x80);
    QVERIFY(m_json.saveMouseData_Halden(image, 4, 5));
    const QJsonObject after = readObject(config(4, 5));
    QCOMPARE(compact(after.value("MacroDataOfGamingMode").toObject()), QByteArray(R"({"3":{}})"));
    const QJsonObject data = after.value("MouseDataOfGamingMode").toObject();
    QCOMPARE(data.size(), 234);
    QCOMPARE(data.value("0").toInt(-1), 2);
    QCOMPARE(data.value("232").toInt(-1), 0);
    QCOMPARE(data.value("233").toInt(-1), 128);
}

void TstJsonHandle::roundTrip()
{
    QByteArray image(128, 0);
    for (int i = 0; i < 128; ++i)
        image[i] = char(255 - i);
    QVERIFY(m_json.saveMouseData_Kelvo(image, 12, 3));
    const QByteArray slot = padded("0D00FFFF 010004 4A0002 F0FF07", 4096);
    QVERIFY(m_json.saveMacroData_Kelvo(slot, 13, 12, 3));
    QByteArray readImage;
    QVERIFY(m_json.getMouseData_Kelvo(readImage, 12, 3));
    QCOMPARE(readImage, image);
    QByteArray readSlot;
    QVERIFY(m_json.getMacroData_Kelvo(readSlot, 12, 3, 13));
    QCOMPARE(readSlot.toHex(), slot.toHex());

    const QByteArray record = QByteArray::fromHex("0003 3204 B204 0001 0002 0000");
    QVERIFY(m_json.saveMacroData_Halden(record, 12, 5, 0));
    QByteArray readRecord;
    QVERIFY(m_json.getMacroData_Halden(readRecord, 5, 0, 12));
    QCOMPARE(readRecord.toHex(), record.toHex());
}

void TstJsonHandle::unreadableFileIsKeptBeforeSave_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<bool>("copied");
    QTest::newRow("garbage") << QByteArray("{\"MouseDataOfGamingMode\":{\"0\":1,") << true;
    QTest::newRow("array") << QByteArray("[1]") << true;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("no file") << kNoFile << false;
}

void TstJsonHandle::unreadableFileIsKeptBeforeSave()
{
    QFETCH(QByteArray, before);
    QFETCH(bool, copied);
    const QString path = config(11, 3);
    QCOMPARE(QFileInfo(path).fileName(), QString("Config3.json"));
    QVERIFY(writeFile(path, before));
    QVERIFY(m_json.saveMacroData_Kelvo(padded("0000", 4096), 0, 11, 3));
    QCOMPARE(readFile(path), QByteArray(R"({"MacroDataOfGamingMode":{"0":{}}})"));
    QCOMPARE(QFile::exists(path + ".corrupt"), copied);
    if (copied)
        QCOMPARE(readFile(path + ".corrupt"), before);
}

void TstJsonHandle::interruptedWriteKeepsPreviousFile_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("kelvo image") << "kelvo image";
    QTest::newRow("kelvo slot") << "kelvo slot";
    QTest::newRow("halden image") << "halden image";
    QTest::newRow("halden slot") << "halden slot";
    QTest::newRow("macro file setter") << "macro file";
}

void TstJsonHandle::interruptedWriteKeepsPreviousFile()
{
    QFETCH(QString, operation);
    const QString macroPath = StoragePaths::macroFolder() + "/m.json";
    auto run = [&](char fill) {
        if (operation == "kelvo image")
            return m_json.saveMouseData_Kelvo(QByteArray(128, fill), 11, 2);
        if (operation == "kelvo slot")
            return m_json.saveMacroData_Kelvo(padded("0700", 4096).replace(4, 3, QByteArray(3, fill)), 0, 11, 2);
        if (operation == "halden image")
            return m_json.saveMouseData_Halden(QByteArray(234, fill), 11, 2);
        if (operation == "halden slot")
            return m_json.saveMacroData_Halden(QByteArray(4, fill), 0, 11, 2);
        return m_json.setName(macroPath, QString(fill));
    };
    const QString path = operation == "macro file" ? macroPath : config(11, 2);
    QVERIFY(run('\x01'));
    const QByteArray previous = readFile(path);
    QVERIFY(!previous.isEmpty());
    const QStringList filesBefore = QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden);
    StorageIo::setCommitHookForTests([](const QString &) { return false; });
    QVERIFY(!run('\x02'));
    StorageIo::setCommitHookForTests({});
    QCOMPARE(readFile(path), previous);
    QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    if (operation == "kelvo image") {
        QByteArray image;
        QVERIFY(m_json.getMouseData_Kelvo(image, 11, 2));
        QCOMPARE(image, QByteArray(128, 1));
    }
}

void TstJsonHandle::outOfRangeArgumentsWriteNothing()
{
    QVERIFY(!m_json.saveMouseData_Kelvo(QByteArray(128, 0), 11, 6));
    QVERIFY(!m_json.saveMouseData_Halden(QByteArray(234, 0), 3, -1));
    QVERIFY(!m_json.saveMacroData_Kelvo(QByteArray(4096, 0), 14, 11, 1));
    QVERIFY(!m_json.saveMacroData_Halden(QByteArray(2, 0), 18, 3, 1));
    QDirIterator it(m_home->path(), QDir::Files, QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
}

void TstJsonHandle::nodeList_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<MacroNode>>("expected");
    QTest::addColumn<bool>("logsNotArray");
    auto node = [](int vt, int mv, int kv, int tl, int x, int y, int st, const QString &text) {
        MacroNode n;
        n.valueType = vt, n.mouseValue = mv, n.keyValue = kv, n.timeLapse = tl;
        n.coordinateX = x, n.coordinateY = y, n.state = st, n.text = text;
        return n;
    };
    QTest::newRow("Macro is an object") << QByteArray(R"({"Macro":{"0":{"ValueType":3}}})")
                                        << QList<MacroNode>{} << true;
    QTest::newRow("no file") << kNoFile << QList<MacroNode>{} << true;
    QTest::newRow("garbage") << QByteArray("{\"Macro\":[") << QList<MacroNode>{} << true;
    QTest::newRow("full node")
        << QByteArray(R"({"Macro":[{"ValueType":3,"MouseValue":1,"KeyValue":65,"TimeLapse":120,)"
                      R"("CoordinateX":-12,"CoordinateY":40,"State":1,"Text":"A up"}]})")
        << QList<MacroNode>{node(3, 1, 65, 120, -12, 40, 1, "A up")} << false;
    QTest::newRow("missing keys read as 0") << QByteArray(R"({"Macro":[{"KeyValue":2}]})")
                                            << QList<MacroNode>{node(0, 0, 2, 0, 0, 0, 0, "")} << false;
    QTest::newRow("non-objects skipped") << QByteArray(R"({"Macro":[5,"x",{"State":1},null]})")
                                         << QList<MacroNode>{node(0, 0, 0, 0, 0, 0, 1, "")} << false;
    QTest::newRow("wrong types read as defaults")
        << QByteArray(R"({"Macro":[{"ValueType":"3","TimeLapse":1.5,"Text":5,"State":{},"KeyValue":4e10}]})")
        << QList<MacroNode>{node(0, 0, 0, 0, 0, 0, 0, "")} << false;
    QTest::newRow("enormous array") << "{\"Macro\":" + repeated(JsonHandle::kMaxMacroNodes + 1, "{}") + "}"
                                    << QList<MacroNode>{} << false;
}

void TstJsonHandle::nodeList()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<MacroNode>, expected);
    QFETCH(bool, logsNotArray);
    const QString path = StoragePaths::macroFolder() + "/macro.json";
    QVERIFY(writeFile(path, file));
    if (logsNotArray)
        QTest::ignoreMessage(QtDebugMsg, "isn't array");
    const QList<MacroNode> nodes = m_json.getMacroNodeList(path);
    QCOMPARE(nodes.size(), expected.size());
    for (int i = 0; i < nodes.size(); ++i) {
        QCOMPARE(nodes.at(i).valueType, expected.at(i).valueType);
        QCOMPARE(nodes.at(i).mouseValue, expected.at(i).mouseValue);
        QCOMPARE(nodes.at(i).keyValue, expected.at(i).keyValue);
        QCOMPARE(nodes.at(i).timeLapse, expected.at(i).timeLapse);
        QCOMPARE(nodes.at(i).coordinateX, expected.at(i).coordinateX);
        QCOMPARE(nodes.at(i).coordinateY, expected.at(i).coordinateY);
        QCOMPARE(nodes.at(i).state, expected.at(i).state);
        QCOMPARE(nodes.at(i).text, expected.at(i).text);
    }
}

void TstJsonHandle::nodeListToArray()
{
    MacroNode n;
    n.valueType = 6, n.mouseValue = 0, n.keyValue = 0, n.timeLapse = 15;
    n.coordinateX = -3, n.coordinateY = 7, n.state = 0, n.text = "move";
    const QJsonArray array = m_json.TurnMacroNodeListToJsonArray({n});
    QCOMPARE(QJsonDocument(array).toJson(QJsonDocument::Compact),
             QByteArray(R"([{"CoordinateX":-3,"CoordinateY":7,"KeyValue":0,"MouseValue":0,)"
                        R"("State":0,"Text":"move","TimeLapse":15,"ValueType":6}])"));
    const QString path = StoragePaths::macroFolder() + "/n.json";
    QVERIFY(m_json.setMacroArray(path, array));
    const QList<MacroNode> back = m_json.getMacroNodeList(path);
    QCOMPARE(back.size(), 1);
    QVERIFY(back.first() == n);
}

void TstJsonHandle::macroFileGetters_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("numbers"); // type, repeat, ignore delay, length
    QTest::newRow("no file") << kNoFile << "ErrorName" << QList<int>{0, 0, 0, 0};
    QTest::newRow("garbage") << QByteArray("nope") << "ErrorName" << QList<int>{0, 0, 0, 0};
    QTest::newRow("all present")
        << QByteArray(R"({"Name":"Fire","MacroType":2,"RepeatTimes":3,"IgnoreDelayTime":2,"MacroLength":9})")
        << "Fire" << QList<int>{2, 3, 2, 9};
    QTest::newRow("wrong types") << QByteArray(R"({"Name":5,"MacroType":"2","RepeatTimes":1e12,"MacroLength":[]})")
                                 << "ErrorName" << QList<int>{0, 0, 0, 0};
}

void TstJsonHandle::macroFileGetters()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QList<int>, numbers);
    const QString path = StoragePaths::customMacroFolder() + "/g.json";
    QVERIFY(writeFile(path, file));
    QCOMPARE(m_json.getName(path), name);
    QCOMPARE((QList<int>{m_json.getMacroType(path), m_json.getRepeatTimes(path),
                         m_json.getIgnoreDelayTime(path), m_json.getMacroLength(path)}),
             numbers);
}

void TstJsonHandle::macroFileSetters_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("setter");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("log");
    QTest::addColumn<bool>("keptCopy");
    QTest::newRow("new file") << kNoFile << "name" << QByteArray(R"({"Name":"x"})") << "no this" << false;
    QTest::newRow("new file, length") << kNoFile << "length" << QByteArray(R"({"MacroLength":4})")
                                      << "no this MacroLength HALDEN" << false;
    QTest::newRow("keeps the others") << QByteArray(R"({"Name":"a","MacroType":1,"Macro":[]})") << "type"
                                      << QByteArray(R"({"Macro":[],"MacroType":4,"Name":"a"})") << "" << false;
    QTest::newRow("empty object") << QByteArray("{}") << "repeat" << QByteArray(R"({"RepeatTimes":4})")
                                  << "no this" << false;
    QTest::newRow("unparseable file kept") << QByteArray("{\"Name\":\"a\",") << "ignore"
                                           << QByteArray(R"({"IgnoreDelayTime":4})") << "no this" << true;
}

void TstJsonHandle::macroFileSetters()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, setter);
    QFETCH(QByteArray, after);
    QFETCH(QString, log);
    QFETCH(bool, keptCopy);
    const QString path = StoragePaths::macroFolder() + "/s.json";
    QVERIFY(writeFile(path, before));
    if (!log.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, qPrintable(log));
    bool ok = false;
    if (setter == "name") ok = m_json.setName(path, "x");
    else if (setter == "type") ok = m_json.setMacroType(path, 4);
    else if (setter == "repeat") ok = m_json.setRepeatTimes(path, 4);
    else if (setter == "ignore") ok = m_json.setIgnoreDelayTime(path, 4);
    else if (setter == "length") ok = m_json.setMacroLength(path, 4);
    QVERIFY(ok);
    QCOMPARE(readFile(path), after);
    QCOMPARE(QFile::exists(path + ".corrupt"), keptCopy);
    if (keptCopy)
        QCOMPARE(readFile(path + ".corrupt"), before);
}

void TstJsonHandle::arrayElement()
{
    const QString path = m_home->file("/Language/translate.json");
    QDir().mkpath(QFileInfo(path).path());
    QVERIFY(writeFile(path, R"([["zh"],["en","x"]])"));
    QCOMPARE(m_json.readJsonArrayElement(path, 1).toArray(), (QJsonArray{"en", "x"}));
    QVERIFY(m_json.readJsonArrayElement(path, 2).isUndefined());
    QVERIFY(m_json.readJsonArrayElement(path, -1).isUndefined());
    QVERIFY(writeFile(path, R"({"0":["zh"]})"));
    QTest::ignoreMessage(QtDebugMsg, "NoArray");
    QVERIFY(m_json.readJsonArrayElement(path, 0).isUndefined());
}

QTEST_GUILESS_MAIN(TstJsonHandle)
#include "tst_jsonhandle.moc"
