#pragma once
// Value types shared by every layer. They travel between threads in queued signals, so each is
// declared to the meta-type system here and registered at start-up (registerQkMetaTypes()).

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <cstdint>

// The device protocols were designed around the Windows integer names; keep them, but with
// fixed widths so that a 64-bit Linux `unsigned long` never sneaks into a byte layout.
using DWORD = std::uint32_t;
using USHORT = std::uint16_t;
using BYTE = std::uint8_t;

// 0x00BBGGRR: red in the low byte.
using COLORREF = std::uint32_t;

constexpr COLORREF makeColorRef(BYTE r, BYTE g, BYTE b)
{
    return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE colorRefRed(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE colorRefGreen(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE colorRefBlue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

// One light zone, 15 bytes: mode, breathing speed, steady brightness, then 12 bytes that hold up
// to three colours as little-endian COLORREFs (the first colour's bytes are red, green, blue, 0).
struct LightZone
{
    BYTE mode = 0;
    BYTE speed = 0;
    BYTE degree = 0;
    BYTE colors[12] = {};

    COLORREF color(int i) const;        // i in 0..2; 0 for an index out of range
    void setColor(int i, COLORREF c);   // ignored for an index out of range

    bool operator==(const LightZone &o) const;
    bool operator!=(const LightZone &o) const { return !(*this == o); }
};

// The 30-byte light record: wheel zone (bytes 0..14), then logo/main zone (bytes 15..29).
struct LightColorParam
{
    LightZone wheel;
    LightZone logo;

    QByteArray toBytes() const;                     // exactly 30 bytes
    static LightColorParam fromBytes(const QByteArray &bytes); // missing bytes read as 0

    bool operator==(const LightColorParam &o) const { return wheel == o.wheel && logo == o.logo; }
    bool operator!=(const LightColorParam &o) const { return !(*this == o); }
};
static_assert(sizeof(LightZone) == 15, "a light zone is 15 bytes without padding");
static_assert(sizeof(LightColorParam) == 30, "LightColorParam is a packed 30-byte record");

// One macro step as the macro editor records it and the macro files keep it.
struct MacroNode
{
    int valueType = -1;   // 3 key or mouse-button event, 6 cursor position
    int mouseValue = -1;
    int keyValue = -1;    // Windows virtual-key code (1 left, 2 right, 4 middle button)
    int timeLapse = 1;    // delay after this step, ms
    int coordinateX = -1;
    int coordinateY = -1;
    int state = -1;       // 0 press, 1 release
    QString text;

    bool operator==(const MacroNode &o) const;
    bool operator!=(const MacroNode &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(LightColorParam)
Q_DECLARE_METATYPE(MacroNode)

// Registers every value type that crosses threads, under the names the signals use:
// "QMap<int,QList<int> >", "QList<COLORREF>", "LightColorParam", "USHORT", "DWORD",
// "QList<DWORD>" (plus MacroNode and QList<MacroNode>). Safe to call more than once.
void registerQkMetaTypes();
