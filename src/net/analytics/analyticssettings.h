#pragma once
// Where usage reports go, and whether they go at all. A build ships with no collect address,
// so nothing is reported until one is set:
//   "<application folder>/system/analytics.ini": "Endpoint" (the collect address),
//   "TrackingId", "Enabled" (0 turns reports off; the support page's check box writes it);
//   QKDRIVER_ANALYTICS_URL overrides the address (deployments and tests);
//   QKDRIVER_NO_ANALYTICS=1 turns reports off whatever the file says.

#include <QString>
#include <QUrl>

struct AnalyticsSettings
{
    QUrl endpoint;
    QString trackingId;
    bool enabled = true;     // the user's choice ("Enabled")
    bool forcedOff = false;  // QKDRIVER_NO_ANALYTICS=1

    static constexpr const char *kDefaultTrackingId = "QKDriver";

    static AnalyticsSettings load();
    // Stores the user's choice; false when the file could not be written.
    static bool setEnabled(bool enabled);
    static QString filePath();

    // Reports are queued and sent: switched on and a collect address known.
    bool active() const { return enabled && !forcedOff && endpoint.isValid() && !endpoint.isEmpty(); }
};
