#include "ui/keys/keymap.h"

#include <QHash>
#include <QKeyEvent>
#include <QVector>

namespace KeyMap {

namespace {

// One physical key: its virtual-key code, Qt's key code (keypad: with the keypad flag) and its
// X11 key code on a PC keyboard (0: none).
struct Row
{
    int vk;
    int qtKey;
    bool keypad;
    quint32 x11;
};

const QVector<Row> &rows()
{
    static const QVector<Row> table = [] {
        QVector<Row> t{
            {0x1B, Qt::Key_Escape, false, 9},      {0x08, Qt::Key_Backspace, false, 22},
            {0x09, Qt::Key_Tab, false, 23},        {0x09, Qt::Key_Backtab, false, 0},
            {0x0D, Qt::Key_Return, false, 36},     {0x0D, Qt::Key_Enter, true, 104},
            {0x20, Qt::Key_Space, false, 65},      {0x14, Qt::Key_CapsLock, false, 66},
            {0xA2, Qt::Key_Control, false, 37},    {0xA3, 0, false, 105},
            {0xA0, Qt::Key_Shift, false, 50},      {0xA1, 0, false, 62},
            {0xA4, Qt::Key_Alt, false, 64},        {0xA5, Qt::Key_AltGr, false, 108},
            {0x5B, Qt::Key_Meta, false, 133},      {0x5C, 0, false, 134},
            {0x5B, Qt::Key_Super_L, false, 0},     {0x5C, Qt::Key_Super_R, false, 0},
            {0x5D, Qt::Key_Menu, false, 135},      {0x2C, Qt::Key_Print, false, 107},
            {0x91, Qt::Key_ScrollLock, false, 78}, {0x13, Qt::Key_Pause, false, 127},
            {0x2D, Qt::Key_Insert, false, 118},    {0x2E, Qt::Key_Delete, false, 119},
            {0x24, Qt::Key_Home, false, 110},      {0x23, Qt::Key_End, false, 115},
            {0x21, Qt::Key_PageUp, false, 112},    {0x22, Qt::Key_PageDown, false, 117},
            {0x25, Qt::Key_Left, false, 113},      {0x26, Qt::Key_Up, false, 111},
            {0x27, Qt::Key_Right, false, 114},     {0x28, Qt::Key_Down, false, 116},
            {0x90, Qt::Key_NumLock, false, 77},
            // Punctuation of the main block (US positions), then what Shift makes of them.
            {0xBA, Qt::Key_Semicolon, false, 47},  {0xBB, Qt::Key_Equal, false, 21},
            {0xBC, Qt::Key_Comma, false, 59},      {0xBD, Qt::Key_Minus, false, 20},
            {0xBE, Qt::Key_Period, false, 60},     {0xBF, Qt::Key_Slash, false, 61},
            {0xC0, Qt::Key_QuoteLeft, false, 49},  {0xDB, Qt::Key_BracketLeft, false, 34},
            {0xDC, Qt::Key_Backslash, false, 51},  {0xDD, Qt::Key_BracketRight, false, 35},
            {0xDE, Qt::Key_Apostrophe, false, 48}, {0xE2, 0, false, 94}, // the key left of Z
            {0xBA, Qt::Key_Colon, false, 0},       {0xBB, Qt::Key_Plus, false, 0},
            {0xBC, Qt::Key_Less, false, 0},        {0xBD, Qt::Key_Underscore, false, 0},
            {0xBE, Qt::Key_Greater, false, 0},     {0xBF, Qt::Key_Question, false, 0},
            {0xC0, Qt::Key_AsciiTilde, false, 0},  {0xDB, Qt::Key_BraceLeft, false, 0},
            {0xDC, Qt::Key_Bar, false, 0},         {0xDD, Qt::Key_BraceRight, false, 0},
            {0xDE, Qt::Key_QuoteDbl, false, 0},
            {0x31, Qt::Key_Exclam, false, 0},      {0x32, Qt::Key_At, false, 0},
            {0x33, Qt::Key_NumberSign, false, 0},  {0x34, Qt::Key_Dollar, false, 0},
            {0x35, Qt::Key_Percent, false, 0},     {0x36, Qt::Key_AsciiCircum, false, 0},
            {0x37, Qt::Key_Ampersand, false, 0},   {0x38, Qt::Key_Asterisk, false, 0},
            {0x39, Qt::Key_ParenLeft, false, 0},   {0x30, Qt::Key_ParenRight, false, 0},
            // Keypad.
            {0x6A, Qt::Key_Asterisk, true, 63},    {0x6B, Qt::Key_Plus, true, 86},
            {0x6D, Qt::Key_Minus, true, 82},       {0x6E, Qt::Key_Period, true, 91},
            {0x6E, Qt::Key_Comma, true, 0},        {0x6F, Qt::Key_Slash, true, 106},
            {0x67, Qt::Key_7, true, 79},           {0x68, Qt::Key_8, true, 80},
            {0x69, Qt::Key_9, true, 81},           {0x64, Qt::Key_4, true, 83},
            {0x65, Qt::Key_5, true, 84},           {0x66, Qt::Key_6, true, 85},
            {0x61, Qt::Key_1, true, 87},           {0x62, Qt::Key_2, true, 88},
            {0x63, Qt::Key_3, true, 89},           {0x60, Qt::Key_0, true, 90},
        };
        // Letters and digits: Qt's key follows the layout; the scan code is the US position.
        const quint32 letterCodes[26] = {38, 56, 54, 40, 26, 41, 42, 43, 31, 44, 45, 46, 58,
                                         57, 32, 33, 24, 27, 39, 28, 30, 55, 25, 53, 29, 52};
        for (int i = 0; i < 26; ++i)
            t << Row{0x41 + i, Qt::Key_A + i, false, letterCodes[i]};
        for (int i = 1; i <= 9; ++i)
            t << Row{0x30 + i, Qt::Key_0 + i, false, quint32(9 + i)};
        t << Row{0x30, Qt::Key_0, false, 19};
        for (int i = 0; i < 10; ++i) // F1..F10
            t << Row{0x70 + i, Qt::Key_F1 + i, false, quint32(67 + i)};
        t << Row{0x7A, Qt::Key_F11, false, 95} << Row{0x7B, Qt::Key_F12, false, 96};
        return t;
    }();
    return table;
}

const QHash<quint32, int> &byScanCode()
{
    static const QHash<quint32, int> map = [] {
        QHash<quint32, int> m;
        for (const Row &r : rows())
            if (r.x11 != 0 && !m.contains(r.x11))
                m.insert(r.x11, r.vk);
        return m;
    }();
    return map;
}

int byQtKey(int qtKey, bool keypad)
{
    if (qtKey == 0)
        return 0;
    for (const Row &r : rows())
        if (r.qtKey == qtKey && r.keypad == keypad)
            return r.vk;
    if (keypad) // the keypad's Home, arrows, ... with Num Lock off are the plain keys' codes
        return byQtKey(qtKey, false);
    return 0;
}

bool isLetterOrDigit(int qtKey)
{
    return (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9);
}

} // namespace

int virtualKey(int qtKey, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
               quint32 nativeVirtualKey)
{
#ifdef Q_OS_WIN
    if (nativeVirtualKey != 0)
        return int(nativeVirtualKey);
#else
    Q_UNUSED(nativeVirtualKey)
#endif
    const auto it = byScanCode().constFind(nativeScanCode);
    const int byScan = nativeScanCode != 0 && it != byScanCode().constEnd() ? it.value() : 0;
    // The keypad by what it sends: digits with Num Lock on, Home, arrows, ... with it off.
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        const int vk = byQtKey(qtKey, true);
        return vk != 0 ? vk : byScan;
    }
    if (isLetterOrDigit(qtKey))
        return byQtKey(qtKey, false);
    // Modifiers by their side, symbols by their key whatever Shift or the layout made of them.
    const bool symbol = (qtKey >= 0x20 && qtKey <= 0x7E) || (qtKey >= 0xA0 && qtKey <= 0xFF);
    const bool modifier = qtKey == Qt::Key_Shift || qtKey == Qt::Key_Control || qtKey == Qt::Key_Alt
        || qtKey == Qt::Key_AltGr || qtKey == Qt::Key_Meta || qtKey == Qt::Key_Super_L
        || qtKey == Qt::Key_Super_R;
    if ((symbol || modifier) && byScan != 0)
        return byScan;
    const int vk = byQtKey(qtKey, false);
    return vk != 0 ? vk : byScan;
}

int virtualKey(const QKeyEvent &event)
{
    return virtualKey(event.key(), event.modifiers(), event.nativeScanCode(), event.nativeVirtualKey());
}

int withoutSide(int vk)
{
    switch (vk) {
    case 0xA0: case 0xA1: return 0x10;
    case 0xA2: case 0xA3: return 0x11;
    case 0xA4: case 0xA5: return 0x12;
    default: return vk;
    }
}

QString keyName(int vk)
{
    static const QHash<int, QString> names = [] {
        QHash<int, QString> n{
            {27, "ESCAPE"}, {9, "TAB"}, {20, "CAPITAL"}, {13, "Enter"}, {8, "BACK"}, {32, "SPACE"},
            {186, ";:"}, {187, "+"}, {188, ","}, {189, "-"}, {190, "."}, {191, "/?"}, {192, "`~"},
            {219, "[{"}, {220, "|"}, {221, "]}"}, {222, "'\""}, {44, "PrintScreen"},
            {145, "Scroll Lock"}, {19, "Pause Break"}, {45, "INSERT"}, {36, "HOME"}, {33, "PageUp"},
            {46, "DELETE"}, {35, "END"}, {34, "PageDown"}, {38, QStringLiteral("\u2191")},
            {40, QStringLiteral("\u2193")}, {37, QStringLiteral("\u2190")}, {39, QStringLiteral("\u2192")},
            {107, "ADD"}, {109, "SUB"}, {106, "*"}, {111, "/"}, {144, "NumLock"}, {110, "Del"},
            {162, "Ctrl"}, {160, "Shfit"}, {164, "Alt"}, {91, "Win"}, {96, "NUMPAD0"}, {48, "0"},
        };
        for (int i = 0; i < 12; ++i)
            n.insert(112 + i, QStringLiteral("F%1").arg(i + 1));
        for (int i = 0; i < 26; ++i)
            n.insert(65 + i, QString(QChar('A' + i)));
        for (int i = 1; i <= 9; ++i) {
            n.insert(48 + i, QString::number(i));
            n.insert(96 + i, QStringLiteral("NUMPAD%1").arg(i));
        }
        return n;
    }();
    return names.value(vk);
}

QString modifierName(int code)
{
    static const char *const names[16] = {
        "", "CTRL", "SHIFT", "CTRL + SHIFT", "ALT", "CTRL + ALT", "SHIFT + ALT", "CTRL + SHIFT + ALT",
        "WIN", "CTRL + WIN", "SHIFT + WIN", "CTRL + SHIFT + WIN", " ALT + WIN", "CTRL + ALT + WIN",
        "SHIFT + ALT + WIN", "CTRL + SHIFT + ALT + WIN",
    };
    return code >= 0 && code < 16 ? QString::fromLatin1(names[code]) : QString();
}

} // namespace KeyMap
