#pragma once
// The usage-report client: builds measurement-protocol hits (events, page views, exceptions,
// session start and end), queues them with the time they were made and posts them one at a time
// to the collect address, form-encoded, on a repeating send timer. A hit the server refuses
// (a status outside 200-299) stays queued for a later tick; a hit that could not be delivered
// at all (network error) is dropped, and so is a hit older than ten minutes. Nothing is queued
// while the client has no collect address or the user turned reports off.
//
// Ages are measured on the pacing clock (common/pacer.h), so tests move time virtually.

#include "common/analyticsevent.h"

#include <QMutex>
#include <QObject>
#include <QSize>
#include <QUrl>
#include <QUrlQuery>
#include <QVariantMap>
#include <QList>
#include <QTimer>

class QNetworkAccessManager;
class QNetworkReply;

class GAnalytics : public QObject
{
    Q_OBJECT
public:
    enum LogLevel { Debug, Info, Error, None };
    Q_ENUM(LogLevel)

    Q_PROPERTY(LogLevel logLevel READ logLevel WRITE setLogLevel NOTIFY logLevelChanged)
    Q_PROPERTY(QString viewportSize READ viewportSize WRITE setViewportSize NOTIFY viewportSizeChanged)
    Q_PROPERTY(QString language READ language WRITE setLanguage NOTIFY languageChanged)
    Q_PROPERTY(QString trackingID READ trackingID WRITE setTrackingID NOTIFY trackingIDChanged)
    Q_PROPERTY(QString userID READ userID WRITE setUserID NOTIFY userIDChanged)
    Q_PROPERTY(int sendInterval READ sendInterval WRITE setSendInterval NOTIFY sendIntervalChanged)
    Q_PROPERTY(bool isSending READ isSending NOTIFY isSendingChanged)

    static constexpr int kDefaultSendIntervalMs = 30000;
    static constexpr qint64 kMaxAgeMs = 600000;

    // endpoint: the collect address; an empty one switches the client off.
    GAnalytics(const QString &trackingId, const QUrl &endpoint, QObject *parent = nullptr);
    ~GAnalytics() override;

    LogLevel logLevel() const { return m_logLevel; }
    void setLogLevel(LogLevel level);
    QString viewportSize() const { return m_viewportSize; }
    void setViewportSize(const QString &size);
    QString language() const { return m_language; }
    void setLanguage(const QString &language);
    QString trackingID() const { return m_trackingId; }
    void setTrackingID(const QString &id);
    QString userID() const { return m_userId; }
    void setUserID(const QString &id); // stored as "GAnalytics-uid"
    QString clientID() const { return m_clientId; }
    // The primary screen's size ("sr"); the window tells it (this layer has no screens).
    void setScreenResolution(const QSize &size);
    int sendInterval() const { return m_timer.interval(); }
    void setSendInterval(int ms);
    bool isSending() const { return m_isSending; }
    bool enabled() const { return !m_endpoint.isEmpty(); }
    int queuedHits() const;

    void sendPageView(const QString &pageName, const QVariantMap &customValues = {});
    void sendEvent(const QString &category, const QString &action, const QString &label = {},
                   const QVariant &value = {}, const QVariantMap &customValues = {});
    void sendException(const QString &exceptionDescription, bool exceptionFatal = true,
                       const QVariantMap &customValues = {});
    void startSession();
    void endSession();

    // The file of the identifiers: "<application folder>/system/mouse.ini".
    static QString identifiersFile();

public Q_SLOTS:
    // Sends the oldest queued hit (the send timer and the end of a successful post call it).
    void postMessage();

Q_SIGNALS:
    void logLevelChanged();
    void viewportSizeChanged();
    void languageChanged();
    void trackingIDChanged();
    void userIDChanged();
    void sendIntervalChanged();
    void isSendingChanged(bool isSending);
    void postNextMessage();

private:
    struct Hit
    {
        QUrlQuery query;
        qint64 queuedAtMs = 0;
    };
    QUrlQuery buildStandardPostQuery(const QString &type) const;
    void appendCustomValues(QUrlQuery &query, const QVariantMap &customValues) const;
    void enqueue(const QUrlQuery &query);
    void postMessageFinished(QNetworkReply *reply);
    void dropOldest();
    void setSending(bool sending);
    void log(LogLevel level, const QString &text) const;
    QString identifier(const QString &key, const char *name);

    QUrl m_endpoint;
    QString m_trackingId;
    QString m_clientId;
    QString m_userId;
    QString m_appName;
    QString m_appVersion;
    QString m_language;
    QString m_screenResolution;
    QString m_viewportSize;
    QString m_userAgent;
    LogLevel m_logLevel = Error;
    bool m_isSending = false;
    QTimer m_timer;
    mutable QMutex m_mutex;
    QList<Hit> m_queue;
    QNetworkAccessManager *m_network = nullptr; // made on first use
};

// The object the main window owns: its events and page views become hits.
class GoogleAnalyticsAdaptor : public QObject, public AnalyticsSink
{
    Q_OBJECT
public:
    GoogleAnalyticsAdaptor(const QString &trackingId, const QUrl &endpoint, QObject *parent = nullptr);

    void sendEvent(const QString &viewTitle, const QString &category, const QString &action,
                   const QString &label = {}, const QVariant &value = {}, const QVariantMap &customValues = {});
    void sendScreenView(const QString &screenName, const QVariantMap &customValues = {});
    void setSendInterval(int ms) { m_analytics->setSendInterval(ms); }
    GAnalytics *analytics() const { return m_analytics; }

    // AnalyticsSink: an event, or a page view when it names a screen and no category.
    void send(const AnalyticsEvent &event) override;

private:
    GAnalytics *m_analytics;
};
