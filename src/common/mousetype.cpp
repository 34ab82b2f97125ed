#include "common/mousetype.h"

#include <atomic>

namespace {
std::atomic<int> g_current{0};
}

namespace MouseType {

QString modelName(int code)
{
    switch (code) {
    case Swift: return QStringLiteral("swift");
    case Wren: return QStringLiteral("wren");
    case SwiftS: return QStringLiteral("swifts");
    case WrenS: return QStringLiteral("wrens");
    case KiteC: return QStringLiteral("kitec");
    case KiteQ: return QStringLiteral("kiteq");
    case FalconC: return QStringLiteral("falconc");
    case FalconQ: return QStringLiteral("falconq");
    case Falcon: return QStringLiteral("falcon");
    case Kite: return QStringLiteral("kite");
    case Heron: return QStringLiteral("heron");
    case FalconEU: return QStringLiteral("falconeu");
    case Lark: return QStringLiteral("lark");
    default: return QStringLiteral("osprey");
    }
}

QString familyResourceName(int code)
{
    switch (code) {
    case FalconEU: return QStringLiteral("falcon");
    case Spare16: return QStringLiteral("swift");
    case Spare15: return QStringLiteral("osprey");
    default: return modelName(code);
    }
}

bool isFalconFamily(int c) { return c == FalconC || c == FalconQ || c == Falcon || c == FalconEU; }
bool isKiteFamily(int c) { return c == KiteC || c == KiteQ || c == Kite; }
bool isFalconQOrFalcon(int c) { return c == FalconQ || c == Falcon; }
bool hasFalconDriver(int c) { return (c >= KiteC && c <= Kite) || c == FalconEU; }
bool hasOspreyDriver(int c) { return (c >= Swift && c <= WrenS) || c == Lark; }
bool isHeron(int c) { return c == Heron; }

int current() { return g_current.load(); }
void setCurrent(int code) { g_current.store(code); }

} // namespace MouseType
