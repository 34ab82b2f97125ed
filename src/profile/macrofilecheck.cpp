#include "profile/macrofilecheck.h"

#include "common/mousetype.h"
#include "profile/falconmacroencoder.h"
#include "profile/ospreykeytable.h"
#include "storage/jsonhandle.h"
#include "storage/storageio.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>

std::optional<QString> MacroFileCheck::problem(const QString &path, int modelCode)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("does not exist");
    if (!info.isFile())
        return QStringLiteral("is not a file");
    if (info.size() == 0)
        return QStringLiteral("is empty");
    if (info.size() > StorageIo::kMaxJsonFileSize)
        return QStringLiteral("is larger than %1 bytes").arg(StorageIo::kMaxJsonFileSize);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read (%1)").arg(file.errorString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
    if (!doc.isObject())
        return QStringLiteral("is not a macro (not a JSON object)");
    const QJsonValue steps = doc.object().value(QStringLiteral("Macro"));
    if (!steps.isArray())
        return QStringLiteral("is not a macro (no \"Macro\" list of steps)");
    if (steps.toArray().size() > JsonHandle::kMaxMacroNodes)
        return QStringLiteral("holds more than %1 steps").arg(JsonHandle::kMaxMacroNodes);
    JsonHandle json;
    const QList<MacroNode> nodes = json.getMacroNodeList(path);
    const bool playable = std::any_of(nodes.begin(), nodes.end(), [](const MacroNode &n) {
        return n.valueType == 3 || n.valueType == 6;
    });
    if (!playable)
        return QStringLiteral("holds no key or mouse-movement step");
    if (MouseType::hasFalconDriver(modelCode)) {
        const auto encoded = FalconMacroEncoder::encode(nodes, json.getIgnoreDelayTime(path),
                                                        json.getRepeatTimes(path), json.getMacroType(path));
        if (!encoded.ok)
            return QStringLiteral("cannot be written to this mouse (%1)").arg(encoded.error);
    } else if (modelCode != MouseType::None) {
        // The Osprey family's key table lacks a few keys; such a step would be dropped.
        for (const MacroNode &n : nodes)
            if (n.valueType == 3 && OspreyKeyTable::hidFromVirtualKey(n.keyValue) == 0)
                return QStringLiteral("cannot be written to this mouse (key 0x%1 has no code on it)")
                    .arg(n.keyValue, 0, 16);
    }
    return std::nullopt;
}
