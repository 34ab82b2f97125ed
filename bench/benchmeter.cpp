#include "benchmeter.h"

#include "common/pacer.h"
#include "sim/virtualhidbus.h"

#include <ctime>

BenchMeter::BenchMeter(VirtualHidBus &bus, VirtualClock &clock, int wireMsPer64)
    : m_bus(bus), m_clock(clock), m_counts(std::make_shared<Counts>())
{
    const int perPacket = qMax(0, wireMsPer64);
    std::shared_ptr<Counts> counts = m_counts;
    m_bus.setCostModel([counts, perPacket](VirtualHidDevice::Transfer kind, int bytes) {
        using T = VirtualHidDevice::Transfer;
        if (kind == T::OutputReport || kind == T::SetFeature)
            ++counts->requests;
        const int ms = wireCost(bytes, perPacket);
        counts->wireMs += ms;
        return ms;
    });
    m_start = snapshot();
}

int BenchMeter::wireCost(int bytes, int wireMsPer64)
{
    if (wireMsPer64 <= 0)
        return 0;
    // The report id byte is left out: an unnumbered report (id 0, the boot loader's 65-byte
    // reports) does not send it, and for the numbered reports of these mice it never changes
    // the packet count (32 and 1032 bytes).
    const int payload = qMax(0, bytes - 1);
    const int packets = qMax(1, (payload + 63) / 64);
    return packets * wireMsPer64;
}

void BenchMeter::begin()
{
    m_start = snapshot();
}

BenchFigures BenchMeter::end() const
{
    const Snapshot now = snapshot();
    BenchFigures f;
    f.requests = now.requests - m_start.requests;
    f.transfers = now.transfers - m_start.transfers;
    f.bytesOut = now.bytesOut - m_start.bytesOut;
    f.bytesIn = now.bytesIn - m_start.bytesIn;
    f.sleptMs = now.sleptMs - m_start.sleptMs;
    f.wireMs = now.wireMs - m_start.wireMs;
    f.totalMs = now.nowMs - m_start.nowMs;
    f.cpuMs = now.cpuMs - m_start.cpuMs;
    return f;
}

BenchMeter::Snapshot BenchMeter::snapshot() const
{
    Snapshot s;
    s.requests = m_counts->requests.load();
    s.transfers = m_bus.transfers();
    s.bytesOut = m_bus.bytesOut();
    s.bytesIn = m_bus.bytesIn();
    s.sleptMs = m_clock.sleptMs();
    s.wireMs = m_counts->wireMs.load();
    s.nowMs = m_clock.nowMs();
    s.cpuMs = threadCpuMs();
    return s;
}

double BenchMeter::threadCpuMs()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec ts{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) == 0)
        return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1.0e6;
#endif
    return double(std::clock()) * 1000.0 / double(CLOCKS_PER_SEC);
}
