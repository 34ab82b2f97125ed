#pragma once
// The latency model of the benchmark and the meter that reads it.
//
// Latency model (installed as the bus's cost model): every HID transfer takes wireMs per started
// 64 bytes of report data on the wire (the report id byte not counted), and at least wireMs;
// with the default of 1 ms that is USB full speed: a 32-byte Falcon report or a 65-byte boot
// loader report (id 0 + a 64-byte packet) 1 ms, a 1032-byte Osprey feature report 17 ms.
// The time advances the virtual pacing clock. The meter counts the requests and the wire time
// as the model charges them, so wire time and slept time can be told apart.
//
// A measurement brackets one piece of work: begin() takes a snapshot, end() returns the
// difference. Not thread-safe between begin and end apart from the counting (the bus may charge
// transfers from any thread).

#include "benchresult.h"
#include "sim/virtualhiddevice.h"

#include <atomic>
#include <memory>

class VirtualClock;
class VirtualHidBus;

class BenchMeter
{
public:
    // Installs the latency model on the bus (which must outlive the meter's use) and reads the
    // given clock. wireMsPer64 < 0 counts as 0 (a bus without wire time).
    BenchMeter(VirtualHidBus &bus, VirtualClock &clock, int wireMsPer64);

    // Wire time of one transfer of `bytes` bytes (report id included) under a per-packet time.
    static int wireCost(int bytes, int wireMsPer64);

    void begin();
    BenchFigures end() const;

    // Totals since construction.
    qint64 requests() const { return m_counts->requests.load(); }
    qint64 wireMs() const { return m_counts->wireMs.load(); }

    // The calling thread's CPU time in milliseconds.
    static double threadCpuMs();

private:
    struct Counts
    {
        std::atomic<qint64> requests{0};
        std::atomic<qint64> wireMs{0};
    };
    struct Snapshot
    {
        qint64 requests = 0;
        qint64 transfers = 0;
        qint64 bytesOut = 0;
        qint64 bytesIn = 0;
        qint64 sleptMs = 0;
        qint64 wireMs = 0;
        qint64 nowMs = 0;
        double cpuMs = 0;
    };
    Snapshot snapshot() const;

    VirtualHidBus &m_bus;
    VirtualClock &m_clock;
    std::shared_ptr<Counts> m_counts;
    Snapshot m_start;
};
