#pragma once
// Everything the program knows about each mouse model, one row per model. Every question of the
// kind "does this model have ...", "which ids does it use", "what DPI can it take" is answered
// here; the rest of the program asks the row instead of switching on model codes.
//
// Adding a model: add its row to modelcatalog.cpp (and its emulator entry in src/sim); the
// watcher, the managers, the pages and the command line pick it up from the row.

#include "catalog/factoryimages.h"
#include "common/dpirange.h"
#include "common/qktypes.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace Catalog {

// The command set a model speaks.
enum class Family { Falcon, Osprey, Heron };

// How a DPI value becomes the stage code the mouse stores.
enum class DpiCodec {
    Steps100From200, // (dpi - 200) / 100: models 7, 8, 9, 12
    Steps50,         // dpi / 50: models 10, 11
    FalconEU,        // (dpi - 200) / 100 up to 5000, dpi / 200 + 23 above
    Word50,          // 16-bit dpi / 50, high byte dpi / 12800: models 3, 5, 6
    TableA,          // one byte through table A: models 2 (and unknown codes)
    TableB,          // one byte through table B: models 4, 13, 18
};

// The six picture layouts of the main page (which physical buttons, where).
enum class ButtonLayout { Swift, Osprey, Wren, Kite, Lark, Falcon };

enum class LightZones {
    One,          // logo only; the zone buttons are hidden
    Two,          // wheel and logo
    TwoCoupled,   // wheel and logo, with colour intrigue (mode 5) coupling both
};

enum class Battery {
    None,             // cable only
    Filtered,         // levels are smoothed over the last readings
    Raw,              // the mouse reports a steady level
    RawFromFirmware30 // raw from firmware version 30 on, filtered before
};

// The boot loader a model waits in during a firmware update.
enum class BootLoader {
    Falcon, // vendor V, product 0x3000, model told by its product string
    Osprey, // 0x0603:0x1022, model told by its release number (= the cable id)
};

struct Model
{
    int code = 0;                 // MouseType code
    const char *name = "";        // model folder and resource name ("falcon")
    const char *displayName = ""; // for people ("Falcon")
    Family family = Family::Osprey;
    USHORT cableId = 0;
    USHORT receiverId = 0; // 0: no receiver
    BootLoader bootLoader = BootLoader::Osprey;
    const char *bootProductString = nullptr; // Falcon loader: the text its product string holds

    DpiRange dpi;
    int dpiMiddleLabel = 0; // the slider's middle scale label; 0: none fixed
    DpiCodec dpiCodec = DpiCodec::TableA;
    int maxStages = 0;         // DPI stages the mouse can hold
    // Falcon family (0 elsewhere): the highest current-stage index a DPI list write selects,
    // and the highest one the configuration compare restores.
    int currentStageCap = 0;
    int compareStageCap = 0;
    // Falcon family (0 elsewhere): the highest stage index a read of the stage table decodes,
    // whether the read stops earlier at the stage count the mouse keeps in table byte 14, and
    // how many enabled rows a DPI list write takes (the five-stage models drop the rest; the
    // others refuse a list longer than maxStages).
    int readLastStage = 0;
    bool readStopsAtStageCount = false;
    int listRowsTaken = 0;
    std::array<int, 7> defaultStages{}; // a stage row's value when the mouse holds none usable

    ButtonLayout layout = ButtonLayout::Falcon;
    bool secondButtonLayout = false; // Falcon driver: the Kite's button memory order
    QList<int> buttons;              // physical button ids (4..17) the model has
    int buttonFourListLimit = 4;     // how many macros button 4's list may hold

    LightZones lightZones = LightZones::Two;
    int breathingSpeedMax = 9; // breathing speeds run 0 (fastest) .. this (slowest)
    bool oled = false;
    Battery battery = Battery::None;
    int defaultFirmware = 1; // shown when the mouse's own version cannot be read
    BYTE checksumLow = 0x4A; // Osprey family: the profile checksum the mouse expects
    BYTE checksumHigh = 0x79;
    // Osprey family: the profile checksum leaves out byte 19 as well as byte 13, and a profile
    // whose checksum does not match is refused (the Lark's is not checked).
    bool checksumLeavesOutByte19 = false;
    bool checksumEnforced = true;
    bool relativeGears = false; // the DPI gear file marks its stages as relative ("variable" 1)
    // The configuration the model starts from when it has no usable file: a _Kelvo image on
    // the Falcon family, a _Halden image on the others.
    FactoryImages::Image factoryImage = FactoryImages::Image::None;

    bool hasReceiver() const { return receiverId != 0; }
};

enum class Link { Cable, Receiver };

struct ProductMatch
{
    const Model *model = nullptr;
    Link link = Link::Cable;
};

// Every model, in model-code order.
const QList<Model> &models();
// The row of a model code; nullptr for 0 and every code without a model.
const Model *find(int code);
// The row of a cable or receiver product id; no model for an id nobody uses.
ProductMatch byProductId(int productId);

// The model of a Falcon-family boot loader from its product string ("FalconEU" before "Kite"),
// and of an Osprey-family loader from its release number; 0 when nothing matches.
int bootModelFromProductString(const QString &productString);
int bootModelFromReleaseNumber(USHORT releaseNumber);

// The stage code of a DPI value, or nothing when the codec cannot carry it (outside the Falcon
// family's range, no 16-bit word, or no code in the table). A value between two steps gets the
// lower step's code: callers check DpiRange::accepts() first. For Word50 the second value is
// the high byte, else 0.
std::optional<std::pair<int, int>> encodeDpi(const Model &model, int dpi);
// The DPI value of a stage code (high: Word50's high byte); 0 for a code with no value.
int decodeDpi(const Model &model, int low, int high = 0);

// The DPI range of a model code; unknown codes get the Falcon-family default 200..5000 by 100.
DpiRange dpiRangeOf(int code);

} // namespace Catalog
