#pragma once
// One scenario's world: a temporary application folder, a virtual pacing clock, a virtual HID
// bus with the latency model, and a device session coordinator on the calling thread (the
// coordinator's slots are called directly, as its worker thread would run them, so the figures
// hold no queueing between threads). Built fresh for each scenario and torn down after it.

#include "benchmeter.h"
#include "benchoptions.h"
#include "hid/hidbackend.h"
#include "common/pacer.h"
#include "sim/virtualhidbus.h"

#include <QList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class DCDataHandle;
class FalconMouseDevice;

class BenchRig
{
public:
    explicit BenchRig(const BenchOptions &options);
    ~BenchRig();
    BenchRig(const BenchRig &) = delete;
    BenchRig &operator=(const BenchRig &) = delete;

    // False when the temporary folder could not be made (nothing can run then).
    bool isValid() const { return m_home.isValid(); }
    QString homePath() const { return m_home.path(); }
    const BenchOptions &options() const { return m_options; }
    VirtualHidBus &bus() { return m_bus; }
    VirtualClock &clock() { return m_pacing.clock(); }
    BenchMeter &meter() { return *m_meter; }
    DCDataHandle &coordinator() { return *m_coordinator; }

    // A Falcon-family mouse with the benchmark's flash write time (not plugged in).
    std::shared_ptr<FalconMouseDevice> makeFalconMouse(USHORT cableProductId) const;

    // Whether this build has a device manager for the product id (the managers of a family
    // join the build separately).
    static bool managerAvailable(USHORT productId);

    // Opens the product through the coordinator, which reads the whole profile. Returns true
    // when the open was reported successful and no read/write warning (32) came; *why says
    // what went wrong otherwise.
    bool open(USHORT productId, QString *why = nullptr);

    // Runs body between a meter snapshot and the next. *ok receives body's result, false as
    // well when the coordinator raised the read/write warning (32) meanwhile.
    BenchFigures measure(const std::function<bool()> &body, bool *ok);

    // The warnings the coordinator raised since the last measure() or open().
    QList<int> warnings() const { return m_warnings; }

private:
    BenchOptions m_options;
    PollPacing m_previousPacing;
    QTemporaryDir m_home;
    ScopedVirtualPacing m_pacing;
    VirtualHidBus m_bus;
    ScopedHidBackend m_backend;
    std::unique_ptr<BenchMeter> m_meter;
    std::unique_ptr<DCDataHandle> m_coordinator;
    QList<int> m_warnings;
    bool m_lastOpenResult = false;
};
