#pragma once
// The "vanish after N exchanges" fault of the firmware models: counts exchanges down and
// reports the device gone from the N+1-th on. Not thread-safe: used under the model's lock.

class VanishCounter
{
public:
    // After n more exchanges the device is gone; n < 0 disables the countdown.
    void arm(int n) { m_after = n; }
    void setGone(bool gone) { m_gone = gone; }
    bool gone() const { return m_gone; }

    // Counts one exchange; false when the device is (now) gone.
    bool exchange()
    {
        if (m_gone)
            return false;
        if (m_after == 0) {
            m_gone = true;
            return false;
        }
        if (m_after > 0)
            --m_after;
        return true;
    }

private:
    int m_after = -1;
    bool m_gone = false;
};
