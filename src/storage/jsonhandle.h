#pragma once
// JsonHandle reads and writes the user's JSON data:
//
// * configuration files (StoragePaths::configJsonPath): one per model and configuration number
//   (0 is the factory copy), an object with
//     "MouseDataOfGamingMode": {"0": byte, "1": byte, ...}  the profile image, 128 bytes in the
//                              _Kelvo dialect (Falcon family), 234 in the _Halden dialect
//     "MacroDataOfGamingMode": {"<slot>": macro object, ...}
//   A _Kelvo macro object is {"MacroSize": L, "RepeatTimes": play-mode word, "Macro": [bytes]}
//   with the bytes 4..L-1 of the slot's 4096-byte hardware form (three per node: word low, word
//   high, usage); an empty slot is {}. A _Halden macro object is {"RepeatTimes": r, "Macro":
//   [bytes]} with the macro words as (low, high) byte pairs.
// * macro files (any name, in the macro folders): {"Name", "MacroType", "RepeatTimes",
//   "IgnoreDelayTime", "MacroLength", "Macro": [MacroNode objects]}.
//
// Nothing here reports an error to the user: unusable files read as the documented defaults.
// The bool results say whether the data came from the file (readers) or reached the disk
// (writers), for callers that care. Every write replaces its file atomically, and a file that
// cannot be parsed is kept as "<file>.corrupt" before a write replaces it.

#include "common/qktypes.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class JsonHandle : public QObject
{
    Q_OBJECT
public:
    static constexpr int kKelvoMacroSlots = 14;  // slots 0..13
    // Slots 0..15 on every model, 16 and 17 (macro ids 188, 192) for the Lark's buttons 9, 10.
    static constexpr int kHaldenMacroSlots = 18;
    static constexpr int kMacroSlotSize = 4096;  // hardware form of one _Kelvo slot
    // Longest _Halden macro record (repeat word + macro words) that is stored or read.
    static constexpr int kMaxHaldenRecordSize = 4096;
    // Longest node list read from a macro file; more is no macro any mouse can hold.
    static constexpr int kMaxMacroNodes = 65536;

    explicit JsonHandle(QObject *parent = nullptr);

    // The key names, in their fixed order: "MacroType", "MacroLength", "MacroLength_KELVO",
    // "MouseDataOfGamingMode", "MacroDataOfGamingMode", "Name", "Macro", "MacroSize",
    // "ValueType", "MouseValue", "KeyValue", "TimeLapse", "CoordinateX", "CoordinateY", "State",
    // "Text", "RepeatTimes", "id", "IgnoreDelayTime".
    static QStringList keyNames();

    // ---- configuration files -----------------------------------------------------------------

    // Sizes image to 128 (234) bytes and fills it with the model's factory image. A model without
    // a factory image of the dialect keeps the bytes it had (new bytes are 0).
    void createAOriginalMouseDataFile_Kelvo(QByteArray &image, int modelCode) const;
    void createAOriginalMouseDataFile_Halden(QByteArray &image, int modelCode) const;

    // The image of configuration configNumber (0..5). Starts from the factory image; when the file
    // is missing, does not parse, is not an object, has no "MouseDataOfGamingMode" object, or
    // holds a value there that is not a whole number 0..255, the factory image is the result and
    // false is returned. Otherwise byte i is the value of key "i" (0 when the key is missing)
    // and the result is true.
    bool getMouseData_Kelvo(QByteArray &image, int modelCode, int configNumber);
    bool getMouseData_Halden(QByteArray &image, int modelCode, int configNumber);

    // Slot slot (0..13) of configuration configNumber as its 4096-byte hardware form: length word
    // ("MacroSize") at 0, play-mode word ("RepeatTimes") at 2, then the "Macro" bytes from offset
    // 4 in whole groups of three (a rest is ignored). A missing file, member or slot, a stored {}
    // and any invalid slot (values out of range or of the wrong type, a length over 4096, more
    // nodes than fit) give 4096 zero bytes. Returns true when the slot was read from the file.
    bool getMacroData_Kelvo(QByteArray &slotBuffer, int modelCode, int configNumber, int slot);
    // Slot slot (0..15) as its record: repeat value big-endian in two bytes, then the macro
    // words' bytes. "RepeatTimes" missing reads as 1. A missing or invalid slot (odd "Macro"
    // length, values out of range, too long) gives the empty record with repeat 1: 00 01.
    // Returns true when the slot was read from the file.
    bool getMacroData_Halden(QByteArray &record, int modelCode, int configNumber, int slot);
    // The macro slots of configuration configNumber that hold a macro, in the order of their
    // keys: the slot key, the length of its "Macro" list and its "RepeatTimes". Empty when the
    // file is missing or unusable.
    struct StoredMacro
    {
        QString slot;
        int bytes = 0;
        int repeat = 0;
    };
    static QList<StoredMacro> storedMacros(int modelCode, int configNumber);

    // Store the image as "MouseDataOfGamingMode" / one slot inside "MacroDataOfGamingMode" of the
    // configuration file, keeping everything else in the file. Returns false (file unchanged)
    // for a configuration number outside 0..5, a slot out of range, or a failed write.
    bool saveMouseData_Kelvo(const QByteArray &image, int modelCode, int configNumber);
    bool saveMouseData_Halden(const QByteArray &image, int modelCode, int configNumber);
    bool saveMacroData_Kelvo(const QByteArray &slotBuffer, int slot, int modelCode, int configNumber);
    bool saveMacroData_Halden(const QByteArray &record, int slot, int modelCode, int configNumber);

    // {"0": byte 0, ..., "127": byte 127} (234 keys for _Halden); missing bytes count as 0.
    QJsonObject turnMouseDataJsonObject_Kelvo(const QByteArray &image) const;
    QJsonObject turnMouseDataJsonObject_Halden(const QByteArray &image) const;
    // The slot object; {} when the length word L is below 4, not 4 + 3n, above 4096 or beyond the
    // buffer (an empty slot has L = 0).
    QJsonObject turnMacroDataToJsonObject_Kelvo(const QByteArray &slotBuffer) const;
    // {"RepeatTimes", "Macro"}; {} for a record shorter than two bytes or longer than
    // kMaxHaldenRecordSize. A dangling odd byte after the last whole word is not stored.
    QJsonObject turnMacroDataToJsonObject_Halden(const QByteArray &record) const;

    // ---- macro files -------------------------------------------------------------------------

    // The steps of a macro file. Empty when the file is unusable or "Macro" is not an array
    // ("isn't array" in the log) or holds more than kMaxMacroNodes elements. Elements that are not
    // objects are skipped; each node starts with all numbers 0 and an empty text, and a key that is
    // present but not a whole number (or, for "Text", not a string) keeps that default.
    QList<MacroNode> getMacroNodeList(const QString &path);
    // The "Macro" array for a node list: one object with the eight node keys per node.
    QJsonArray TurnMacroNodeListToJsonArray(const QList<MacroNode> &nodes) const;

    // "Name", or "ErrorName" when the file or key is missing or the name is not a string.
    QString getName(const QString &path);
    // Everything the getters below and above give, from one read of the file.
    struct MacroContents
    {
        QString name;
        int macroType = 0;       // play mode: 0 repeat, 2 until pressed again, 4 while held
        int repeatTimes = 0;
        int ignoreDelayTime = 0; // 2: the steps' delays are sent as 0
        int macroLength = 0;     // device bytes as the editor counted them
        QList<MacroNode> nodes;
    };
    static MacroContents readMacroFile(const QString &path);
    // The numbers of a macro file; 0 when the file or key is missing or not a whole number.
    int getMacroType(const QString &path);
    int getRepeatTimes(const QString &path);
    int getIgnoreDelayTime(const QString &path);
    int getMacroLength(const QString &path);

    // Replace one member of a macro file, keeping the others. A missing or empty file starts a new
    // object with only that member ("no this" in the log; "no this MacroLength HALDEN" for the
    // length); a file that does not parse is kept as "<file>.corrupt" first. Returns false when
    // the write (or that copy) fails; the file is then unchanged.
    bool setName(const QString &path, const QString &name);
    bool setMacroType(const QString &path, int macroType);
    bool setRepeatTimes(const QString &path, int repeatTimes);
    bool setIgnoreDelayTime(const QString &path, int ignoreDelayTime);
    bool setMacroLength(const QString &path, int macroLength);
    bool setMacroArray(const QString &path, const QJsonArray &macro);
    // The steps with their repeat count, length and play mode, in one write (all or nothing).
    bool setMacroEvents(const QString &path, const QList<MacroNode> &nodes, int repeatTimes, int macroLength,
                        int macroType);

    // ---- array files -------------------------------------------------------------------------

    // Element index of the JSON array in path; Undefined when the index is out of range or the
    // file is not an array ("NoArray" in the log).
    QJsonValue readJsonArrayElement(const QString &path, int index);

private:
    bool readImage(QByteArray &image, int size, const QByteArray &factory, int modelCode,
                   int configNumber, const char *tag);
    QJsonObject imageObject(const QByteArray &image, int size) const;
    // The slot object of (model, configuration, slot) when the file and the slot exist.
    bool readSlotObject(QJsonObject &slotObject, int modelCode, int configNumber, int slot,
                        const char *tag);
    bool saveMember(int modelCode, int configNumber, const QString &member,
                    const QString &slotKey, const QJsonObject &value, const char *tag);
    bool setMacroFileValue(const QString &path, const QString &key, const QJsonValue &value,
                           const char *missingLog);
    bool setMacroFileValues(const QString &path, const QJsonObject &values, const char *missingLog);
    static QList<MacroNode> macroNodesOf(const QJsonObject &document, const QString &path);
    static QString nameOf(const QJsonObject &document);
    int macroFileNumber(const QString &path, const QString &key);
};
