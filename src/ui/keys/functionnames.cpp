#include "ui/keys/functionnames.h"

#include "common/buttonchange.h"
#include "common/texttable.h"
#include "ui/keys/keymap.h"

#include <QStringList>

namespace FunctionNames {

namespace {
constexpr int kTextMacro = 292;
constexpr int kTextDisabled = 291;
constexpr int kTextFirstCombination = 125; // entries 0..6: texts 125..131
} // namespace

QString BasicFunction::name() const
{
    if (changeType == MouseButtonChangeToCombinationKey)
        return TextTable::text(kTextFirstCombination + entry);
    return functionName(changeType);
}

const QList<BasicFunction> &basicFunctions()
{
    static const QList<BasicFunction> list{
        {0, 0x57, 1, MouseButtonChangeToCombinationKey},
        {1, 0x4C, 8, MouseButtonChangeToCombinationKey},
        {2, 0x52, 8, MouseButtonChangeToCombinationKey},
        {3, 0x44, 8, MouseButtonChangeToCombinationKey},
        {4, 0xBB, 1, MouseButtonChangeToCombinationKey},
        {5, 0xBD, 1, MouseButtonChangeToCombinationKey},
        {6, 0x46, 1, MouseButtonChangeToCombinationKey},
        {7, 0xF0, 0, MouseButtonChangeToLeftKey},
        {8, 0xF1, 0, MouseButtonChangeToRightKey},
        {9, 0xF2, 0, MouseButtonChangeToMiddleKey},
        {10, 0xF7, 0, MouseButtonChangeToForwardKey},
        {11, 0xF8, 0, MouseButtonChangeToBackKey},
        {12, 0x83, 1, MouseButtonChangeToMediaPlayer},
        {13, 0xEA, 0, MouseButtonChangeToVolumeDown},
        {14, 0xE9, 0, MouseButtonChangeToVolumeUp},
        {15, 0xE2, 0, MouseButtonChangeToMute},
        {16, 0, 0, MouseButtonChangeToDpiInstant},
        {17, 0, 0, MouseButtonChangeToFireKey},
        {18, 0, 0, MouseButtonChangeToDpiUp},
        {19, 0, 0, MouseButtonChangeToDpiDown},
        {20, 0, 0, MouseButtonChangeToSwitchMacroKey},
        {21, 0, 0, MouseButtonChangeToProfileLoop},
    };
    return list;
}

QString functionName(int changeType)
{
    switch (changeType) {
    case MouseButtonChangeToMute: return TextTable::text(140);
    case MouseButtonChangeToPlayPause: return TextTable::text(235);
    case MouseButtonChangeToVolumeUp: return TextTable::text(139);
    case MouseButtonChangeToVolumeDown: return TextTable::text(138);
    case MouseButtonChangeToMediaPlayer: return TextTable::text(137);
    case MouseButtonChangeToFireKey: return TextTable::text(142);
    case MouseButtonChangeToDpiUp: return QStringLiteral("CPI+");
    case MouseButtonChangeToDpiDown: return QStringLiteral("CPI-");
    case MouseButtonChangeToDpiInstant: return TextTable::text(141);
    case MouseButtonChangeToLeftKey:
    case MouseButtonChangeToRightKey:
    case MouseButtonChangeToMiddleKey:
    case MouseButtonChangeToForwardKey:
    case MouseButtonChangeToBackKey: return TextTable::text(132 + changeType - MouseButtonChangeToLeftKey);
    case MouseButtonChangeToSwitchMacroKey: return TextTable::text(143);
    case MouseButtonChangeToProfileLoop: return TextTable::text(238);
    default: return QString();
    }
}

QString assignmentText(int changeType, int value, int modifier)
{
    switch (changeType) {
    case MouseButtonChangeToKey: {
        QStringList parts;
        const QString mod = KeyMap::modifierName(modifier).trimmed();
        if (!mod.isEmpty())
            parts << mod;
        const QString key = KeyMap::keyName(value);
        if (!key.isEmpty())
            parts << key;
        return parts.join(QStringLiteral(" + "));
    }
    case MouseButtonChangeToFunction:
        if (value >= 0 && value <= 6)
            return TextTable::text(kTextFirstCombination + value);
        return functionName(value);
    case MouseButtonChangeToMacroReport: return TextTable::text(kTextMacro);
    case MouseButtonChangeToForbidden: return TextTable::text(kTextDisabled);
    default: return QString();
    }
}

} // namespace FunctionNames
