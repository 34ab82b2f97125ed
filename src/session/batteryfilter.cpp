#include "session/batteryfilter.h"

#include <QDebug>
#include <algorithm>
#include <cstdlib>

std::optional<int> BatteryFilter::feed(int v)
{
    qDebug() << "FilterTheQuantityOfElectricCharge value" << v;
    if (m_seeking) {
        m_older = m_previous;
        m_previous = m_latest;
        m_latest = v;
        if (m_older == 0 && m_previous == 0 && m_latest == 0)
            return kNoReading;
        if (std::abs(m_previous - m_older) > 1 || std::abs(v - m_previous) > 1)
            return std::nullopt;
        m_reported = v;
        m_seeking = false;
        qDebug() << "+++FilterTheQuantityOfElectricCharge getCorrectValue+++" << m_older << m_previous
                 << m_latest;
        return v;
    }
    if (v == m_reported) {
        m_samples.clear();
        return std::nullopt;
    }
    if (std::abs(v - m_reported) <= 2)
        return std::nullopt;
    m_samples.append(v);
    qDebug() << "Now filter times is " << m_samples.size() << "Now current battery value is" << m_reported;
    if (m_samples.size() < 5)
        return std::nullopt;
    std::sort(m_samples.begin(), m_samples.end(), std::greater<int>());
    m_reported = m_samples.at(3);
    m_samples.clear();
    return m_reported;
}

void BatteryFilter::reset()
{
    m_seeking = true;
    m_older = m_previous = m_latest = 0;
    m_samples.clear();
}
