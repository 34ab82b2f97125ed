#pragma once
// Devices that only enumerate: they show the interfaces of a product (with the report facts
// the drivers look for) but answer no report. They stand in for every product id of the
// product table, the Falcon boot loader and the Osprey-family loader until the firmware
// emulators take their place.
//
// Interface layouts:
// - Falcon family (cable and receiver ids): 0 a mouse (usage page 1, usage 2, input report 1
//   of 8 bytes); 1 the vendor interface (usage page 0xFF00, usage 1) with input and output
//   report 0xBA of 32 bytes.
// - Osprey family and Heron: 0 a mouse; 1 the command channel (usage page 0xFF00, usage 1,
//   feature report 5 of 6 bytes); 2 the data channel (usage page 0xFF00, usage 2, feature
//   report 6 of 1032 bytes).
// - Falcon boot loader V:0x3000: one interface, usage page 0xFF00, unnumbered 65-byte input and
//   output reports; the product string names the model ("FalconEU ...", "Kite ...").
// - Loader 0x0603:0x1022: one interface like the boot loader; bcdDevice = the mouse's
//   normal-mode product id.

#include "sim/virtualhiddevice.h"

#include <memory>

class StubHidDevice : public VirtualHidDevice
{
public:
    explicit StubHidDevice(const QList<HidDeviceInfo> &interfaces);

    // The interfaces of a product id of the table (vendor id V); empty for an unknown id.
    static QList<HidDeviceInfo> productInterfaces(int productId);
    static QList<HidDeviceInfo> falconBootInterfaces(const QString &productString);
    static QList<HidDeviceInfo> loaderInterfaces(USHORT normalProductId);

    // A stub for a product id of the table; nullptr for an unknown id.
    static std::shared_ptr<StubHidDevice> forProductId(int productId);
    static std::shared_ptr<StubHidDevice> falconBootLoader(const QString &productString);
    static std::shared_ptr<StubHidDevice> loader(USHORT normalProductId);

    // The product's name as its product string shows it ("Falcon", "KiteC", ...).
    static QString displayName(int mouseType);
};
