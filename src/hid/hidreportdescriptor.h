#pragma once
// Reads the facts the drivers need out of a HID report descriptor: for each top-level
// collection its usage page and usage, and for each report kind (input, output, feature) the
// largest report length and the report id of the last report declared. Lengths count the
// report id byte (1 + data bytes), as the Windows HID capabilities do, so the same numbers hold
// on every platform.
//
// The parser never reads outside the descriptor and always advances, so truncated or hostile
// descriptors end in a rejection, never in a crash or an endless loop.

#include "common/qktypes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct HidCollectionFacts
{
    USHORT usagePage = 0;
    USHORT usage = 0;
    int inputReportLength = 0;   // 0 when the collection has no report of that kind
    int outputReportLength = 0;
    int featureReportLength = 0;
    BYTE inputReportId = 0;      // 0 when reports are not numbered
    BYTE outputReportId = 0;
    BYTE featureReportId = 0;

    bool operator==(const HidCollectionFacts &o) const;
};

namespace HidReportDescriptor {
// Parses a whole report descriptor. Returns one entry per top-level collection, in descriptor
// order, or std::nullopt when the descriptor is malformed: empty, an item cut off by the end,
// a reserved item type, End Collection without Collection, collections left open, Pop without
// Push, too deep nesting, report id 0 or above 255, report size above 256 bits, a report longer
// than 16384 bytes, a data item outside every collection, or no collection at all. *error
// (when given) then says why.
std::optional<QList<HidCollectionFacts>> parse(const QByteArray &descriptor,
                                               QString *error = nullptr);
} // namespace HidReportDescriptor
