#include "net/analytics/ganalytics.h"

#include "common/apppaths.h"
#include "common/pacer.h"
#include "storage/operateini.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLocale>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QSysInfo>
#include <QUuid>

namespace {
QString operatingSystemText()
{
#ifdef Q_OS_WIN
    switch (QSysInfo::windowsVersion()) {
    case QSysInfo::WV_95: return QStringLiteral("Windows; Win 95");
    case QSysInfo::WV_98: return QStringLiteral("Windows; Win 98");
    case QSysInfo::WV_Me: return QStringLiteral("Windows; Win ME");
    case QSysInfo::WV_NT: return QStringLiteral("Windows; Win NT");
    case QSysInfo::WV_2000: return QStringLiteral("Windows; Windows NT 5.0");
    case QSysInfo::WV_XP: return QStringLiteral("Windows; Windows NT 5.1");
    case QSysInfo::WV_2003: return QStringLiteral("Windows; Win Server 2003");
    case QSysInfo::WV_VISTA: return QStringLiteral("Windows; Windows NT 6.0");
    case QSysInfo::WV_WINDOWS7: return QStringLiteral("Windows; Windows NT 6.1");
    case QSysInfo::WV_WINDOWS8:
    case QSysInfo::WV_WINDOWS8_1: return QStringLiteral("Windows; Windows NT 6.2");
    case QSysInfo::WV_WINDOWS10: return QStringLiteral("Windows; Windows NT 10.0");
    default: return QStringLiteral("Windows; unknown");
    }
#else
    return QStringLiteral("X11; %1 %2").arg(QSysInfo::kernelType(), QSysInfo::currentCpuArchitecture());
#endif
}
} // namespace

GAnalytics::GAnalytics(const QString &trackingId, const QUrl &endpoint, QObject *parent)
    : QObject(parent), m_endpoint(endpoint), m_trackingId(trackingId)
{
    log(Info, QStringLiteral("init GAnalytics Private!"));
    m_appName = QCoreApplication::applicationName();
    m_appVersion = QCoreApplication::applicationVersion();
    m_language = QLocale::system().name().toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
    m_userAgent = QStringLiteral("%1/%2 (%3; %4) GAnalytics/1.0 (Qt/%5)")
                      .arg(m_appName + QLatin1Char('_') + m_appVersion, m_appVersion, operatingSystemText(),
                           QLocale::system().name(), QStringLiteral("5.9.8"));
    log(Debug, QStringLiteral("-----------------:") + m_userAgent);
    if (enabled()) {
        m_clientId = identifier(QStringLiteral("GAnalytics-cid"), "cid");
        m_userId = identifier(QStringLiteral("GAnalytics-uid"), "uid");
    }
    m_timer.setInterval(kDefaultSendIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &GAnalytics::postMessage);
    connect(this, &GAnalytics::postNextMessage, this, &GAnalytics::postMessage, Qt::QueuedConnection);
    if (enabled())
        m_timer.start();
}

GAnalytics::~GAnalytics()
{
    log(Info, QStringLiteral("~Private"));
}

QString GAnalytics::identifiersFile()
{
    return AppPaths::applicationDir() + QStringLiteral("/system/mouse.ini");
}

QString GAnalytics::identifier(const QString &key, const char *name)
{
    const QString stored = QSettings(identifiersFile(), QSettings::IniFormat).value(key).toString();
    if (!stored.isEmpty()) {
        log(Info, QStringLiteral("get %1 %2").arg(QLatin1String(name), stored));
        return stored;
    }
    const QString made = QUuid::createUuid().toString();
    if (!OperateIni::update(identifiersFile(), [&](QSettings &s) { s.setValue(key, made); }))
        log(Error, QStringLiteral("cannot store %1 in %2").arg(key, identifiersFile()));
    log(Info, QStringLiteral("create %1 %2").arg(QLatin1String(name), made));
    return made;
}

void GAnalytics::log(LogLevel level, const QString &text) const
{
    if (level < m_logLevel || m_logLevel == None)
        return;
    if (level == Error)
        qWarning().noquote() << "[Analytics]" << text;
    else
        qDebug().noquote() << "[Analytics]" << text;
}

// ---- properties ----------------------------------------------------------------------------

void GAnalytics::setLogLevel(LogLevel level)
{
    if (level == m_logLevel)
        return;
    m_logLevel = level;
    Q_EMIT logLevelChanged();
}

void GAnalytics::setViewportSize(const QString &size)
{
    if (size == m_viewportSize)
        return;
    m_viewportSize = size;
    Q_EMIT viewportSizeChanged();
}

void GAnalytics::setLanguage(const QString &language)
{
    if (language == m_language)
        return;
    m_language = language;
    Q_EMIT languageChanged();
}

void GAnalytics::setTrackingID(const QString &id)
{
    if (id == m_trackingId)
        return;
    m_trackingId = id;
    Q_EMIT trackingIDChanged();
}

void GAnalytics::setUserID(const QString &id)
{
    if (id == m_userId)
        return;
    m_userId = id;
    if (!OperateIni::update(identifiersFile(), [&id](QSettings &s) { s.setValue(QStringLiteral("GAnalytics-uid"), id); }))
        log(Error, QStringLiteral("cannot store GAnalytics-uid in %1").arg(identifiersFile()));
    Q_EMIT userIDChanged();
}

void GAnalytics::setScreenResolution(const QSize &size)
{
    m_screenResolution = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

void GAnalytics::setSendInterval(int ms)
{
    if (ms == m_timer.interval())
        return;
    m_timer.setInterval(ms); // a running timer starts a new full period
    Q_EMIT sendIntervalChanged();
}

void GAnalytics::setSending(bool sending)
{
    if (sending == m_isSending)
        return;
    m_isSending = sending;
    Q_EMIT isSendingChanged(sending);
}

int GAnalytics::queuedHits() const
{
    QMutexLocker lock(&m_mutex);
    return m_queue.size();
}

// ---- hits ----------------------------------------------------------------------------------

QUrlQuery GAnalytics::buildStandardPostQuery(const QString &type) const
{
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("v"), QStringLiteral("1"));
    query.addQueryItem(QStringLiteral("tid"), m_trackingId);
    query.addQueryItem(QStringLiteral("cid"), m_clientId);
    if (!m_userId.isEmpty())
        query.addQueryItem(QStringLiteral("uid"), m_userId);
    query.addQueryItem(QStringLiteral("t"), type);
    query.addQueryItem(QStringLiteral("ul"), m_language);
    query.addQueryItem(QStringLiteral("ds"), QStringLiteral("web"));
    query.addQueryItem(QStringLiteral("vp"), m_viewportSize);
    query.addQueryItem(QStringLiteral("sr"), m_screenResolution);
    return query;
}

void GAnalytics::appendCustomValues(QUrlQuery &query, const QVariantMap &customValues) const
{
    for (auto it = customValues.cbegin(); it != customValues.cend(); ++it)
        query.addQueryItem(it.key(), it.value().toString());
}

void GAnalytics::sendEvent(const QString &category, const QString &action, const QString &label,
                           const QVariant &value, const QVariantMap &customValues)
{
    if (!enabled())
        return;
    log(Info, QStringLiteral("event: %1-%2-%3").arg(category, action, label));
    QUrlQuery query = buildStandardPostQuery(QStringLiteral("event"));
    query.addQueryItem(QStringLiteral("an"), m_appName);
    query.addQueryItem(QStringLiteral("av"), m_appVersion);
    query.addQueryItem(QStringLiteral("ec"), category);
    query.addQueryItem(QStringLiteral("ea"), action);
    if (!label.isEmpty())
        query.addQueryItem(QStringLiteral("el"), label);
    if (value.isValid())
        query.addQueryItem(QStringLiteral("ev"), value.toString());
    appendCustomValues(query, customValues);
    enqueue(query);
}

void GAnalytics::sendPageView(const QString &pageName, const QVariantMap &customValues)
{
    if (!enabled())
        return;
    log(Info, QStringLiteral("pageview: %1").arg(pageName));
    QUrlQuery query = buildStandardPostQuery(QStringLiteral("pageview"));
    query.addQueryItem(QStringLiteral("cd"), pageName);
    query.addQueryItem(QStringLiteral("an"), m_appName);
    query.addQueryItem(QStringLiteral("av"), m_appVersion);
    if (!pageName.isEmpty()) {
        query.addQueryItem(QStringLiteral("dp"), pageName);
        query.addQueryItem(QStringLiteral("dt"), pageName);
    }
    appendCustomValues(query, customValues);
    enqueue(query);
}

void GAnalytics::sendException(const QString &exceptionDescription, bool exceptionFatal, const QVariantMap &customValues)
{
    if (!enabled())
        return;
    QUrlQuery query = buildStandardPostQuery(QStringLiteral("exception"));
    query.addQueryItem(QStringLiteral("an"), m_appName);
    query.addQueryItem(QStringLiteral("av"), m_appVersion);
    query.addQueryItem(QStringLiteral("exd"), exceptionDescription);
    query.addQueryItem(QStringLiteral("exf"), exceptionFatal ? QStringLiteral("1") : QStringLiteral("0"));
    appendCustomValues(query, customValues);
    enqueue(query);
}

void GAnalytics::startSession()
{
    sendEvent(QStringLiteral("Session"), QStringLiteral("Start"), QString(), QVariant(),
              {{QStringLiteral("sc"), QStringLiteral("start")}});
}

void GAnalytics::endSession()
{
    sendEvent(QStringLiteral("Session"), QStringLiteral("End"), QString(), QVariant(),
              {{QStringLiteral("sc"), QStringLiteral("end")}});
}

void GAnalytics::enqueue(const QUrlQuery &query)
{
    QMutexLocker lock(&m_mutex);
    m_queue.append(Hit{query, Pacer::nowMs()});
}

void GAnalytics::dropOldest()
{
    QMutexLocker lock(&m_mutex);
    if (!m_queue.isEmpty())
        m_queue.removeFirst();
}

// ---- posting -------------------------------------------------------------------------------

void GAnalytics::postMessage()
{
    Hit hit;
    int waiting = 0;
    {
        QMutexLocker lock(&m_mutex);
        waiting = m_queue.size();
        if (waiting)
            hit = m_queue.first();
    }
    if (waiting == 0) {
        if (enabled())
            m_timer.start();
        setSending(false);
        return;
    }
    if (m_isSending)
        return; // one post at a time: its end sends the next
    const qint64 age = Pacer::nowMs() - hit.queuedAtMs;
    if (age > kMaxAgeMs) {
        dropOldest();
        Q_EMIT postNextMessage();
        return;
    }
    setSending(true);
    QUrlQuery query = hit.query;
    query.addQueryItem(QStringLiteral("qt"), QString::number(age));
    const QByteArray body = query.query(QUrl::FullyEncoded).toUtf8();
    log(Info, QStringLiteral("send msg: ") + QString::fromUtf8(body));
    QNetworkRequest request(m_endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    request.setRawHeader("Connection", waiting > 1 ? "keep-alive" : "close");
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkReply *reply = m_network->post(request, body);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { postMessageFinished(reply); });
}

void GAnalytics::postMessageFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        // No answer at all (refused, unreachable, timed out): the hit is dropped.
        log(Error, QStringLiteral("Error posting message: ") + reply->errorString());
        dropOldest();
        m_timer.start();
        setSending(false);
        return;
    }
    log(Info, QStringLiteral("httpstatusCode: %1").arg(status.toInt()));
    if (status.toInt() < 200 || status.toInt() > 299) {
        // The server refused it: kept for a later tick (until it is too old).
        log(Error, QStringLiteral("Error posting message: %1").arg(reply->errorString()));
        m_timer.start();
        setSending(false);
        return;
    }
    log(Debug, QStringLiteral("Message sent"));
    dropOldest();
    setSending(false);
    Q_EMIT postNextMessage();
}

// ---- adaptor -------------------------------------------------------------------------------

GoogleAnalyticsAdaptor::GoogleAnalyticsAdaptor(const QString &trackingId, const QUrl &endpoint, QObject *parent)
    : QObject(parent), m_analytics(new GAnalytics(trackingId, endpoint, this))
{
}

void GoogleAnalyticsAdaptor::sendEvent(const QString &viewTitle, const QString &category, const QString &action,
                                       const QString &label, const QVariant &value, const QVariantMap &customValues)
{
    Q_UNUSED(viewTitle) // passed along by the pages, not sent
    m_analytics->sendEvent(category, action, label, value, customValues);
}

void GoogleAnalyticsAdaptor::sendScreenView(const QString &screenName, const QVariantMap &customValues)
{
    m_analytics->sendPageView(screenName, customValues);
}

void GoogleAnalyticsAdaptor::send(const AnalyticsEvent &event)
{
    if (event.category.isEmpty() && !event.screen.isEmpty())
        sendScreenView(event.screen);
    else
        sendEvent(event.screen, event.category, event.action, event.label);
}
