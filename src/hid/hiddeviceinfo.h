#pragma once
// What the system tells us about one HID interface (one top-level collection) before it is
// opened: the USB attributes, the product string and the report facts taken from its report
// descriptor. Report lengths count the report id byte, as the Windows HID capabilities do, so
// an interface with a 5-byte feature report behind report id 6 has featureReportLength 6.

#include "common/qktypes.h"

#include <QMetaType>
#include <QString>

struct HidDeviceInfo
{
    QString path;          // opaque; handed back to HidBackend::open()
    USHORT vendorId = 0;
    USHORT productId = 0;
    USHORT releaseNumber = 0; // bcdDevice
    QString productString;
    USHORT usagePage = 0;  // of the top-level collection
    USHORT usage = 0;
    int interfaceNumber = -1; // USB interface, -1 when unknown

    // Largest report of each kind in this collection, report id byte included; 0 = none.
    int inputReportLength = 0;
    int outputReportLength = 0;
    int featureReportLength = 0;
    // Report id of the last report of each kind declared in the collection; 0 = unnumbered.
    BYTE inputReportId = 0;
    BYTE outputReportId = 0;
    BYTE featureReportId = 0;

    bool operator==(const HidDeviceInfo &o) const;
    bool operator!=(const HidDeviceInfo &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(HidDeviceInfo)
