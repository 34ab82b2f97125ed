#pragma once
// The product ids of the maker's mice and receivers: which model each id is, whether it is a
// cable or a 2.4 GHz receiver id, which driver family talks to it, the interface selectors the
// Falcon driver opens, and the two boot-mode identities of a mouse waiting for firmware.

#include "common/qktypes.h"

#include <QList>
#include <QString>
#include <optional>

namespace ProductTable {

// The maker's USB vendor id is not known to this project; this placeholder stands in for it.
constexpr USHORT kPlaceholderVendorId = 0xF00D;

// The vendor id the build was configured for (CMake option QK_VENDOR_ID, the placeholder by
// default). The udev rule installed with the program names this one.
#ifdef QKDRIVER_BUILD_VENDOR_ID
constexpr USHORT kBuildVendorId = QKDRIVER_BUILD_VENDOR_ID;
#else
constexpr USHORT kBuildVendorId = kPlaceholderVendorId;
#endif

// The vendor id every mouse, receiver and the Falcon boot loader carry: QKDRIVER_VENDOR_ID
// (hexadecimal, "0x" optional) when it holds a valid nonzero 16-bit number, else the build's.
USHORT vendorId();

// The Falcon boot loader (vendor id V) and the Osprey-family loader (its own vendor id).
constexpr USHORT kFalconBootProductId = 0x3000;
constexpr USHORT kLoaderVendorId = 0x0603;
constexpr USHORT kLoaderProductId = 0x1022;

enum class Link { Cable, Receiver };
enum class Driver { Falcon, Osprey, Heron };

struct Product
{
    USHORT productId;
    Link link;
    int mouseType;     // MouseType code
    Driver driver;
    USHORT wiredId;    // Falcon family: the cable id of the pair; 0 otherwise
    USHORT wirelessId; // Falcon family: the receiver id of the pair; 0 otherwise
};

// Every product id, in table order (each cable id directly followed by its receiver id).
const QList<Product> &products();
// The row of a product id, or nothing for an id not in the table.
std::optional<Product> find(int productId);

// MouseType code of a product id; 0 for an id not in the table.
int mouseTypeOf(int productId);
// True for 0x1804, 0x180A, 0x180B, 0x180C, 0x180D, 0x180F and 0x4133.
bool isReceiverId(int productId);
// The cable id paired with a receiver id; 0 when productId is not a receiver id.
int wiredPartner(int receiverId);
// The receiver id paired with a Falcon-family cable id; 0 when there is none.
int receiverPartner(int cableId);
// Link mode the Falcon driver opens a product id with: 1 for a receiver id, else 0.
int linkModeOf(int productId);

// "VID_vvvv&PID_pppp": vendor id in upper-case, product id in lower-case hexadecimal.
QString selector(USHORT vendorId, USHORT productId);
// The wired / wireless selectors of a Falcon-family id (either member of the pair), with
// vendorId(); empty for an Osprey-family or unknown id.
QString wiredSelector(int productId);
QString wirelessSelector(int productId);

// Model of a Falcon boot loader (V:0x3000) from its product string: 14 when it contains
// "FalconEU", else 12 when it contains "Kite", else 0.
int bootTypeFromProductString(const QString &productString);
// Model of a 0x0603:0x1022 loader from its bcdDevice (the normal-mode product id): 0x4118 → 6,
// 0x4122 → 3, 0x4123 → 2, 0x4124 → 5, 0x4126 → 4, 0x4161 → 13, 0x4162 → 18, else 0.
int bootTypeFromReleaseNumber(USHORT releaseNumber);

} // namespace ProductTable
