#pragma once
// One analytics event as the coordinator and the pages report it, and the interface of whatever
// delivers events (the analytics client). The device session hands every event of the
// coordinator to the installed sink.

#include <QString>

struct AnalyticsEvent
{
    QString category;
    QString action;
    QString label;
    QString screen; // the screen name; empty for operation events

    bool operator==(const AnalyticsEvent &o) const
    {
        return category == o.category && action == o.action && label == o.label && screen == o.screen;
    }
    bool operator!=(const AnalyticsEvent &o) const { return !(*this == o); }
};

class AnalyticsSink
{
public:
    virtual ~AnalyticsSink() = default;
    // Called in the thread of the object that delivers the event (the session's thread).
    virtual void send(const AnalyticsEvent &event) = 0;
};
