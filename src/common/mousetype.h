#pragma once
// The model vocabulary shared by every layer: the integer model code, its lower-case model name
// (which names model folders, resources and files) and the family tests. The product-id table
// that maps USB ids to these codes lives with the device layer.

#include <QString>

namespace MouseType {
enum Code : int {
    None = 0,
    Swift = 2,
    Osprey = 3,
    Wren = 4,
    SwiftS = 5,
    WrenS = 6,
    KiteC = 7,
    KiteQ = 8,
    FalconC = 9,
    FalconQ = 10,
    Falcon = 11,
    Kite = 12,
    Heron = 13,
    FalconEU = 14,
    Spare15 = 15, // no product id; only the checksum constants of the Osprey family use it
    Spare16 = 16,
    Lark = 18,
};

// "swift", "osprey", "wren", "swifts", "wrens", "kitec", "kiteq", "falconc", "falconq",
// "falcon", "kite", "heron", "falconeu", "lark"; "osprey" for every other code.
QString modelName(int code);
// Family-level resources: as modelName except 14 → "falcon", 16 → "swift", 15 → "osprey".
QString familyResourceName(int code);

bool isFalconFamily(int code);      // 9, 10, 11, 14
bool isKiteFamily(int code);        // 7, 8, 12
bool isFalconQOrFalcon(int code);   // 10, 11
bool hasFalconDriver(int code);     // 7..12 and 14 (two-profile memory map)
bool hasOspreyDriver(int code);     // 2..6 and 18
bool isHeron(int code);             // 13

// The process-wide code of the mouse that is open now (0 when none). Thread-safe.
int current();
void setCurrent(int code);
} // namespace MouseType
