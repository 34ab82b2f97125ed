#pragma once
// One clock for every fixed wait of the device protocols. Production sleeps for real; tests, the
// benchmark and the emulators install a VirtualClock that returns at once and adds the time up,
// so a protocol's pacing can be asserted without a test ever sleeping.

#include <QStringList>
#include <QtGlobal>
#include <atomic>

class PacingClock
{
public:
    virtual ~PacingClock() = default;
    // Blocks the calling thread for ms milliseconds (or pretends to). ms <= 0 returns at once.
    virtual void sleepMs(int ms) = 0;
    // Monotonic milliseconds since an arbitrary start; advances with sleepMs on a virtual clock.
    virtual qint64 nowMs() const = 0;
};

class RealClock final : public PacingClock
{
public:
    RealClock();
    void sleepMs(int ms) override;
    qint64 nowMs() const override;

private:
    qint64 m_startNs;
};

// Thread-safe virtual time. sleepMs adds to both the driver's slept total and the current time;
// advanceMs moves time only (wire time spent by an emulator, a timed-out read).
class VirtualClock final : public PacingClock
{
public:
    void sleepMs(int ms) override;
    qint64 nowMs() const override { return m_now.load(); }

    void advanceMs(qint64 ms);
    qint64 sleptMs() const { return m_slept.load(); }
    int sleepCalls() const { return m_sleeps.load(); }
    void reset();

private:
    std::atomic<qint64> m_now{0};
    std::atomic<qint64> m_slept{0};
    std::atomic<int> m_sleeps{0};
};

// How the device drivers wait for a reply they poll a status for. Adaptive (the default) polls
// soon after a command and backs off to the fixed poll delay, within the same overall time a
// command may take; Described keeps the fixed waits before every poll and around every transfer,
// for a mouse whose firmware needs them.
enum class PollPacing { Adaptive, Described };

namespace Pacer {
void sleepMs(int ms);
qint64 nowMs();
PacingClock &clock();
// Installs a process-wide clock (not owned); nullptr restores the real clock.
void install(PacingClock *clock);
// The installed clock if it is virtual, else nullptr.
VirtualClock *virtualClock();
// The process-wide poll pacing (Adaptive until set).
PollPacing pollPacing();
void setPollPacing(PollPacing pacing);
// The wait before status poll number poll (0 = the first after the command) under the current
// pacing: Described waits fixedMs every time; Adaptive waits 0, 1, 1, 2, 2, 4, 4, 8 ms and
// then fixedMs (never more than fixedMs).
int pollDelayMs(int poll, int fixedMs);
// The user's setting: "--described-pacing" among the arguments or QKDRIVER_PACING=described in
// the environment selects the described pacing (for a mouse whose firmware needs the fixed
// waits). Returns the pacing now in force.
PollPacing applyPacingSetting(const QStringList &arguments);
} // namespace Pacer

// Installs a fresh VirtualClock for the lifetime of the object (tests, benchmark, demo mode).
class ScopedVirtualPacing
{
public:
    ScopedVirtualPacing();
    ~ScopedVirtualPacing();
    ScopedVirtualPacing(const ScopedVirtualPacing &) = delete;
    ScopedVirtualPacing &operator=(const ScopedVirtualPacing &) = delete;

    VirtualClock &clock() { return m_clock; }

private:
    VirtualClock m_clock;
    PacingClock *m_previous;
};
