#include "common/qktypes.h"

#include <QMetaType>
#include <cstring>

COLORREF LightZone::color(int i) const
{
    if (i < 0 || i > 2)
        return 0;
    const BYTE *p = colors + 4 * i;
    return COLORREF(p[0]) | (COLORREF(p[1]) << 8) | (COLORREF(p[2]) << 16) | (COLORREF(p[3]) << 24);
}

void LightZone::setColor(int i, COLORREF c)
{
    if (i < 0 || i > 2)
        return;
    BYTE *p = colors + 4 * i;
    for (int k = 0; k < 4; ++k)
        p[k] = BYTE((c >> (8 * k)) & 0xFF);
}

bool LightZone::operator==(const LightZone &o) const
{
    return mode == o.mode && speed == o.speed && degree == o.degree
        && std::memcmp(colors, o.colors, sizeof colors) == 0;
}

QByteArray LightColorParam::toBytes() const
{
    QByteArray out(30, '\0');
    std::memcpy(out.data(), this, 30);
    return out;
}

LightColorParam LightColorParam::fromBytes(const QByteArray &bytes)
{
    LightColorParam p;
    std::memcpy(&p, bytes.constData(), size_t(qMin(30, bytes.size())));
    return p;
}

bool MacroNode::operator==(const MacroNode &o) const
{
    return valueType == o.valueType && mouseValue == o.mouseValue && keyValue == o.keyValue
        && timeLapse == o.timeLapse && coordinateX == o.coordinateX
        && coordinateY == o.coordinateY && state == o.state && text == o.text;
}

void registerQkMetaTypes()
{
    // Typedef names first, so that signals declared with DWORD/USHORT/COLORREF resolve.
    qRegisterMetaType<DWORD>("DWORD");
    qRegisterMetaType<USHORT>("USHORT");
    qRegisterMetaType<COLORREF>("COLORREF");
    qRegisterMetaType<LightColorParam>("LightColorParam");
    qRegisterMetaType<MacroNode>("MacroNode");
    qRegisterMetaType<QList<MacroNode>>("QList<MacroNode>");
    // QList<DWORD> and QList<COLORREF> are the same C++ type (QList<uint32_t>); both names are
    // registered so that either spelling in a signal signature works.
    qRegisterMetaType<QList<DWORD>>("QList<DWORD>");
    qRegisterMetaType<QList<COLORREF>>("QList<COLORREF>");
    qRegisterMetaType<QMap<int, QList<int>>>("QMap<int,QList<int> >");
    // Qt 5 registers the sequential/associative iterable converters for QList and QMap
    // automatically with qRegisterMetaType of the container type.
}
