#include "common/pacer.h"

#include <QThread>
#include <chrono>

namespace {
qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RealClock &realClock()
{
    static RealClock clock;
    return clock;
}

std::atomic<PacingClock *> g_clock{nullptr};
std::atomic<PollPacing> g_pollPacing{PollPacing::Adaptive};
} // namespace

RealClock::RealClock() : m_startNs(steadyNs()) {}

void RealClock::sleepMs(int ms)
{
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

qint64 RealClock::nowMs() const
{
    return (steadyNs() - m_startNs) / 1000000;
}

void VirtualClock::sleepMs(int ms)
{
    if (ms <= 0)
        return;
    m_now += ms;
    m_slept += ms;
    ++m_sleeps;
}

void VirtualClock::advanceMs(qint64 ms)
{
    if (ms > 0)
        m_now += ms;
}

void VirtualClock::reset()
{
    m_now = 0;
    m_slept = 0;
    m_sleeps = 0;
}

namespace Pacer {
PacingClock &clock()
{
    PacingClock *c = g_clock.load();
    return c ? *c : realClock();
}

void sleepMs(int ms) { clock().sleepMs(ms); }
qint64 nowMs() { return clock().nowMs(); }
void install(PacingClock *c) { g_clock.store(c); }
VirtualClock *virtualClock() { return dynamic_cast<VirtualClock *>(g_clock.load()); }
PollPacing pollPacing() { return g_pollPacing.load(); }
void setPollPacing(PollPacing pacing) { g_pollPacing.store(pacing); }

PollPacing applyPacingSetting(const QStringList &arguments)
{
    if (arguments.contains(QStringLiteral("--described-pacing"))
        || qEnvironmentVariable("QKDRIVER_PACING").trimmed().toLower() == QLatin1String("described"))
        setPollPacing(PollPacing::Described);
    return pollPacing();
}

int pollDelayMs(int poll, int fixedMs)
{
    // A reply that is ready at once costs one look; a busy mouse is asked again after waits
    // that double up to the fixed delay.
    static constexpr int kEarly[] = {0, 1, 1, 2, 2, 4, 4, 8};
    constexpr int kEarlyPolls = int(sizeof(kEarly) / sizeof(kEarly[0]));
    if (pollPacing() == PollPacing::Described || poll < 0 || poll >= kEarlyPolls)
        return fixedMs;
    return qMin(kEarly[poll], fixedMs);
}
} // namespace Pacer

ScopedVirtualPacing::ScopedVirtualPacing() : m_previous(g_clock.load())
{
    Pacer::install(&m_clock);
}

ScopedVirtualPacing::~ScopedVirtualPacing()
{
    Pacer::install(m_previous);
}
