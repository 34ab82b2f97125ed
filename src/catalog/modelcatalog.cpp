#include "catalog/modelcatalog.h"

#include "catalog/ospreydpicodes.h"

namespace Catalog {

namespace {

const QList<int> kFalconButtons{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
const QList<int> kOspreyButtons{4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17};
const QList<int> kLarkButtons{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16, 17};

const DpiRange kRange50To16000{50, 16000, 50};
const DpiRange kRange200To6200{200, 6200, 100};
const DpiRange kRange200To5000{200, 5000, 100};
const DpiRange kRangeFalconEU{200, 10000, 100, 5000, 200};

constexpr std::array<int, 7> kAll200{200, 200, 200, 200, 200, 200, 200};

Model falcon(int code, const char *name, const char *display, USHORT cable, USHORT receiver)
{
    Model m;
    m.code = code;
    m.name = name;
    m.displayName = display;
    m.family = Family::Falcon;
    m.cableId = cable;
    m.receiverId = receiver;
    m.bootLoader = BootLoader::Falcon;
    m.layout = ButtonLayout::Falcon;
    m.buttons = kFalconButtons;
    m.buttonFourListLimit = 3;
    m.lightZones = LightZones::One;
    m.breathingSpeedMax = 4;
    m.battery = Battery::Filtered;
    m.relativeGears = true;
    m.defaultStages = kAll200;
    // The small-DPI models: five stages, codes in hundreds from 200.
    m.dpi = kRange200To5000;
    m.dpiCodec = DpiCodec::Steps100From200;
    m.maxStages = 5;
    m.currentStageCap = 2;
    m.compareStageCap = 3;
    m.factoryImage = FactoryImages::Image::KelvoKite;
    m.readLastStage = 5;
    m.readStopsAtStageCount = true;
    m.listRowsTaken = 5;
    return m;
}

Model osprey(int code, const char *name, const char *display, USHORT cable, ButtonLayout layout)
{
    Model m;
    m.code = code;
    m.name = name;
    m.displayName = display;
    m.family = Family::Osprey;
    m.cableId = cable;
    m.bootLoader = BootLoader::Osprey;
    m.layout = layout;
    m.buttons = kOspreyButtons;
    m.maxStages = 7;
    m.lightZones = LightZones::Two;
    m.battery = Battery::None;
    return m;
}

QList<Model> makeModels()
{
    QList<Model> rows;

    Model swift = osprey(2, "swift", "Swift", 0x4123, ButtonLayout::Swift);
    swift.dpi = kRange200To6200;
    swift.dpiMiddleLabel = 3000;
    swift.dpiCodec = DpiCodec::TableA;
    swift.defaultStages = {800, 1200, 1800, 3000, 6200, 200, 200};
    swift.defaultFirmware = 8;
    swift.checksumLow = 0xE7;
    swift.checksumHigh = 0x7A;
    swift.factoryImage = FactoryImages::Image::HaldenSwift;
    rows << swift;

    Model ospreyRow = osprey(3, "osprey", "Osprey", 0x4122, ButtonLayout::Osprey);
    ospreyRow.dpi = kRange50To16000;
    ospreyRow.dpiMiddleLabel = 8000;
    ospreyRow.dpiCodec = DpiCodec::Word50;
    ospreyRow.defaultStages = {800, 1000, 1500, 2000, 3000, 8000, 16000};
    ospreyRow.defaultFirmware = 10;
    ospreyRow.checksumLow = 0x02;
    ospreyRow.checksumHigh = 0x7C;
    ospreyRow.checksumLeavesOutByte19 = true;
    ospreyRow.factoryImage = FactoryImages::Image::HaldenOsprey;
    rows << ospreyRow;

    Model wren = osprey(4, "wren", "Wren", 0x4126, ButtonLayout::Wren);
    wren.dpi = kRange200To6200;
    wren.dpiMiddleLabel = 3000;
    wren.dpiCodec = DpiCodec::TableB;
    wren.defaultStages = {400, 800, 1200, 1600, 2000, 2400, 3000};
    wren.lightZones = LightZones::TwoCoupled;
    wren.defaultFirmware = 4;
    wren.checksumLow = 0xD6;
    wren.checksumHigh = 0x79;
    wren.factoryImage = FactoryImages::Image::HaldenWren;
    rows << wren;

    Model swiftS = osprey(5, "swifts", "SwiftS", 0x4124, ButtonLayout::Swift);
    swiftS.dpi = kRange50To16000;
    swiftS.dpiMiddleLabel = 8000;
    swiftS.dpiCodec = DpiCodec::Word50;
    swiftS.defaultStages = {500, 800, 1600, 2000, 2500, 200, 200};
    swiftS.defaultFirmware = 3;
    swiftS.checksumLow = 0xB7;
    swiftS.checksumHigh = 0x77;
    swiftS.factoryImage = FactoryImages::Image::HaldenSwiftS;
    rows << swiftS;

    Model wrenS = osprey(6, "wrens", "WrenS", 0x4118, ButtonLayout::Wren);
    wrenS.dpi = kRange50To16000;
    wrenS.dpiMiddleLabel = 8000;
    wrenS.dpiCodec = DpiCodec::Word50;
    wrenS.defaultStages = {800, 1000, 1500, 2000, 3000, 8000, 16000};
    wrenS.lightZones = LightZones::TwoCoupled;
    wrenS.defaultFirmware = 4;
    wrenS.factoryImage = FactoryImages::Image::HaldenWrenS;
    rows << wrenS;

    Model kiteC = falcon(7, "kitec", "KiteC", 0x4139, 0x180C);
    kiteC.layout = ButtonLayout::Kite;
    kiteC.secondButtonLayout = true;
    kiteC.defaultFirmware = 5;
    rows << kiteC;

    Model kiteQ = falcon(8, "kiteq", "KiteQ", 0x413A, 0x180D);
    kiteQ.layout = ButtonLayout::Kite;
    kiteQ.secondButtonLayout = true;
    kiteQ.defaultFirmware = 5;
    rows << kiteQ;

    Model falconC = falcon(9, "falconc", "FalconC", 0x4137, 0x180A);
    falconC.defaultFirmware = 5;
    rows << falconC;

    Model falconQ = falcon(10, "falconq", "FalconQ", 0x4138, 0x180B);
    falconQ.dpiCodec = DpiCodec::Steps50;
    falconQ.maxStages = 7;
    falconQ.currentStageCap = 3;
    falconQ.readLastStage = 6;
    falconQ.readStopsAtStageCount = false;
    falconQ.listRowsTaken = 8;
    falconQ.oled = true;
    falconQ.battery = Battery::Raw;
    falconQ.defaultFirmware = 5;
    falconQ.factoryImage = FactoryImages::Image::KelvoFalcon;
    rows << falconQ;

    Model falconRow = falcon(11, "falcon", "Falcon", 0x4130, 0x1804);
    falconRow.dpi = kRange50To16000;
    falconRow.dpiMiddleLabel = 8000;
    falconRow.dpiCodec = DpiCodec::Steps50;
    falconRow.defaultStages = {800, 1000, 1500, 2000, 3000, 8000, 16000};
    falconRow.maxStages = 7;
    falconRow.currentStageCap = 3;
    falconRow.readLastStage = 6;
    falconRow.readStopsAtStageCount = false;
    falconRow.listRowsTaken = 8;
    falconRow.oled = true;
    falconRow.battery = Battery::RawFromFirmware30;
    falconRow.defaultFirmware = 32;
    falconRow.factoryImage = FactoryImages::Image::KelvoFalcon;
    rows << falconRow;

    Model kite = falcon(12, "kite", "Kite", 0x4132, 0x4133);
    kite.bootProductString = "Kite";
    kite.dpiMiddleLabel = 2500;
    kite.defaultStages = {1000, 1500, 2000, 3000, 5000, 200, 200};
    kite.compareStageCap = 2;
    kite.layout = ButtonLayout::Kite;
    kite.secondButtonLayout = true;
    kite.defaultFirmware = 13;
    rows << kite;

    Model heron = osprey(13, "heron", "Heron", 0x4161, ButtonLayout::Swift);
    heron.family = Family::Heron;
    heron.dpi = kRange200To6200;
    heron.dpiMiddleLabel = 3000;
    heron.dpiCodec = DpiCodec::TableB;
    heron.defaultStages = {400, 800, 1200, 2000, 2500, 200, 200};
    heron.defaultFirmware = 2;
    heron.factoryImage = FactoryImages::Image::HaldenHeron;
    rows << heron;

    Model falconEU = falcon(14, "falconeu", "FalconEU", 0x413B, 0x180F);
    falconEU.bootProductString = "FalconEU";
    falconEU.dpi = kRangeFalconEU;
    falconEU.dpiMiddleLabel = 5000;
    falconEU.dpiCodec = DpiCodec::FalconEU;
    falconEU.defaultStages = {800, 1000, 1500, 2000, 3000, 4000, 5000};
    falconEU.maxStages = 7;
    falconEU.currentStageCap = 3;
    falconEU.readLastStage = 6;
    falconEU.readStopsAtStageCount = true;
    falconEU.listRowsTaken = 8;
    falconEU.battery = Battery::Raw;
    falconEU.factoryImage = FactoryImages::Image::KelvoFalconEU;
    rows << falconEU;

    Model lark = osprey(18, "lark", "Lark", 0x4162, ButtonLayout::Lark);
    lark.dpi = kRange200To6200;
    lark.dpiMiddleLabel = 3000;
    lark.dpiCodec = DpiCodec::TableB;
    lark.defaultStages = {400, 800, 1200, 1600, 2000, 2400, 3000};
    lark.buttons = kLarkButtons;
    lark.lightZones = LightZones::TwoCoupled;
    lark.defaultFirmware = 4;
    lark.checksumLow = 0xD6;
    lark.checksumHigh = 0x79;
    lark.checksumEnforced = false;
    lark.factoryImage = FactoryImages::Image::HaldenWren;
    rows << lark;

    return rows;
}

} // namespace

const QList<Model> &models()
{
    static const QList<Model> rows = makeModels();
    return rows;
}

const Model *find(int code)
{
    for (const Model &m : models()) {
        if (m.code == code)
            return &m;
    }
    return nullptr;
}

ProductMatch byProductId(int productId)
{
    if (productId <= 0)
        return {};
    for (const Model &m : models()) {
        if (m.cableId == productId)
            return {&m, Link::Cable};
        if (m.receiverId == productId)
            return {&m, Link::Receiver};
    }
    return {};
}

int bootModelFromProductString(const QString &productString)
{
    // The more specific name first: "FalconEU" is tested before "Kite".
    for (const char *text : {"FalconEU", "Kite"}) {
        if (!productString.contains(QLatin1String(text)))
            continue;
        for (const Model &m : models()) {
            if (m.bootProductString && qstrcmp(m.bootProductString, text) == 0)
                return m.code;
        }
    }
    return 0;
}

int bootModelFromReleaseNumber(USHORT releaseNumber)
{
    for (const Model &m : models()) {
        if (m.bootLoader == BootLoader::Osprey && m.cableId == releaseNumber)
            return m.code;
    }
    return 0;
}

std::optional<std::pair<int, int>> encodeDpi(const Model &model, int dpi)
{
    BYTE code = 0;
    switch (model.dpiCodec) {
    case DpiCodec::Steps100From200:
    case DpiCodec::Steps50:
    case DpiCodec::FalconEU:
        if (dpi < model.dpi.minimum || dpi > model.dpi.maximum)
            return std::nullopt;
        if (model.dpiCodec == DpiCodec::Steps50)
            return std::make_pair(dpi / 50, 0);
        if (model.dpiCodec == DpiCodec::FalconEU && dpi > 5000)
            return std::make_pair(dpi / 200 + 23, 0);
        return std::make_pair((dpi - 200) / 100, 0);
    case DpiCodec::Word50: {
        // Code 0 is an unused stage, and the pair holds 16 bits.
        const int word = dpi / 50;
        if (dpi < 0 || word == 0 || word > 0xFFFF)
            return std::nullopt;
        return std::make_pair(word & 0xFF, dpi / 12800);
    }
    case DpiCodec::TableA:
        if (dpi < 0 || dpi > 0xFFFF || !OspreyDpiCodes::encodeTableA(dpi, code))
            return std::nullopt;
        return std::make_pair(int(code), 0);
    case DpiCodec::TableB:
        if (dpi < 0 || dpi > 0xFFFF || !OspreyDpiCodes::encodeTableB(dpi, code))
            return std::nullopt;
        return std::make_pair(int(code), 0);
    }
    return std::nullopt;
}

int decodeDpi(const Model &model, int low, int high)
{
    switch (model.dpiCodec) {
    case DpiCodec::Steps100From200: return low * 100 + 200;
    case DpiCodec::Steps50: return low * 50;
    case DpiCodec::FalconEU: return low > 48 ? low * 200 - 4600 : low * 100 + 200;
    case DpiCodec::Word50: return (high * 256 + low) * 50;
    case DpiCodec::TableA: return OspreyDpiCodes::decodeTableA(low);
    case DpiCodec::TableB: return OspreyDpiCodes::decodeTableB(low);
    }
    return 0;
}

DpiRange dpiRangeOf(int code)
{
    const Model *m = find(code);
    return m ? m->dpi : kRange200To5000;
}

} // namespace Catalog
