#pragma once
// Smooths the battery level a wireless mouse reports: the raw readings jitter by a percent or
// two and now and then jump, and the battery icon should neither flicker nor jump with them.
//
// Seeking (after an open or an error): wait for three consecutive readings that agree within 1,
// report the last; three zero readings report 103 (no valid reading). Settled: a reading equal
// to the reported value clears the pending samples; one within 2 of it is ignored; others are
// collected, and at the fifth the second smallest of the five becomes the reported value.

#include <QList>
#include <optional>

class BatteryFilter
{
public:
    static constexpr int kNoReading = 103;

    // Feeds one raw reading; returns the value to report, if any.
    std::optional<int> feed(int value);
    // Back to seeking, readings and samples cleared (a freshly read profile).
    void reset();
    // Back to seeking with the last three readings kept (after an error or a failed read), so
    // that one reading agreeing with them settles the filter again.
    void seek() { m_seeking = true; }
    bool seeking() const { return m_seeking; }
    int reported() const { return m_reported; }

private:
    bool m_seeking = true;
    int m_older = 0;
    int m_previous = 0;
    int m_latest = 0;
    int m_reported = 0;
    QList<int> m_samples;
};
