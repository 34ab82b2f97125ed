#include "cli/keynames.h"

#include <QMap>
#include <QStringList>

namespace {
const QMap<QString, int> &named()
{
    static const QMap<QString, int> map = [] {
        QMap<QString, int> m{
            {"escape", 0x1B}, {"enter", 0x0D}, {"tab", 0x09}, {"space", 0x20}, {"backspace", 0x08},
            {"left-arrow", 0x25}, {"up-arrow", 0x26}, {"right-arrow", 0x27}, {"down-arrow", 0x28},
            {"insert", 0x2D}, {"delete", 0x2E}, {"home", 0x24}, {"end", 0x23}, {"page-up", 0x21},
            {"page-down", 0x22}, {"caps-lock", 0x14}, {"print-screen", 0x2C}, {"scroll-lock", 0x91},
            {"pause", 0x13}, {"num-lock", 0x90}, {"menu", 0x5D}, {"minus", 0xBD}, {"equals", 0xBB},
            {"left-bracket", 0xDB}, {"right-bracket", 0xDD}, {"backslash", 0xDC}, {"semicolon", 0xBA},
            {"quote", 0xDE}, {"comma", 0xBC}, {"period", 0xBE}, {"slash", 0xBF}, {"grave", 0xC0},
            {"num-plus", 0x6B}, {"num-minus", 0x6D}, {"num-multiply", 0x6A}, {"num-divide", 0x6F},
            {"num-decimal", 0x6E}, {"left-ctrl", 0xA2}, {"left-shift", 0xA0}, {"left-alt", 0xA4},
            {"left-win", 0x5B}, {"right-ctrl", 0xA3}, {"right-shift", 0xA1}, {"right-alt", 0xA5},
            {"right-win", 0x5C},
        };
        for (int i = 0; i < 26; ++i)
            m.insert(QString(QChar('a' + i)), 0x41 + i);
        for (int i = 0; i < 10; ++i) {
            m.insert(QString::number(i), 0x30 + i);
            m.insert(QStringLiteral("num-%1").arg(i), 0x60 + i);
        }
        for (int i = 1; i <= 12; ++i)
            m.insert(QStringLiteral("f%1").arg(i), 0x6F + i);
        return m;
    }();
    return map;
}
} // namespace

namespace KeyNames {

std::optional<int> virtualKey(const QString &name)
{
    const auto it = named().constFind(name.trimmed().toLower());
    if (it == named().constEnd())
        return std::nullopt;
    return it.value();
}

QString keyName(int vk)
{
    for (auto it = named().constBegin(); it != named().constEnd(); ++it)
        if (it.value() == vk)
            return it.key();
    return QStringLiteral("vk-0x%1").arg(vk, 2, 16, QLatin1Char('0'));
}

std::optional<int> modifiers(const QString &text)
{
    int code = 0;
    for (const QString &part : text.toLower().split(QLatin1Char('+'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("ctrl"))
            code |= 1;
        else if (part == QLatin1String("shift"))
            code |= 2;
        else if (part == QLatin1String("alt"))
            code |= 4;
        else if (part == QLatin1String("win"))
            code |= 8;
        else
            return std::nullopt;
    }
    return code;
}

QString modifierNames(int code)
{
    QStringList parts;
    if (code & 1)
        parts << QStringLiteral("ctrl");
    if (code & 2)
        parts << QStringLiteral("shift");
    if (code & 4)
        parts << QStringLiteral("alt");
    if (code & 8)
        parts << QStringLiteral("win");
    return parts.join(QLatin1Char('+'));
}

QString acceptedKeys()
{
    QStringList names;
    for (const QString &name : named().keys())
        if (name.size() > 3 && !(name.startsWith(QLatin1String("num-")) && name.size() == 5))
            names << name;
    return QStringLiteral("a-z, 0-9, f1-f12, num-0 to num-9, ") + names.join(QStringLiteral(", "));
}

} // namespace KeyNames
