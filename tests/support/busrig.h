#pragma once
// What every device test stands on, for one test's lifetime: a temporary application folder,
// the virtual pacing clock (nothing sleeps for real) and a virtual HID bus installed as the
// process's HID backend. Fixtures derive from it or hold one; members are declared in the order
// they must be torn down in reverse (the backend goes first, the folder last).

#include "common/pacer.h"
#include "hid/hidbackend.h"
#include "sim/virtualhidbus.h"
#include "support/temphome.h"

class BusRig
{
public:
    BusRig() = default;
    BusRig(const BusRig &) = delete;
    BusRig &operator=(const BusRig &) = delete;

    VirtualClock &clock() { return pacing.clock(); }

    TempHome home;
    ScopedVirtualPacing pacing;
    VirtualHidBus bus;
    ScopedHidBackend backend{&bus};
};
