#pragma once
// Collects every Qt message logged while it exists (from any thread) so a test can assert on
// the exact log lines. Messages are still passed on to the previous handler.

#include <QStringList>

class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList lines() const;
    bool contains(const QString &line) const;  // an exact line
    int count(const QString &line) const;      // exact lines
    int countStartingWith(const QString &prefix) const;
    void clear();
};
