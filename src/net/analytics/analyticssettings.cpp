#include "net/analytics/analyticssettings.h"

#include "common/apppaths.h"
#include "storage/operateini.h"

#include <QSettings>

QString AnalyticsSettings::filePath()
{
    return AppPaths::applicationDir() + QStringLiteral("/system/analytics.ini");
}

AnalyticsSettings AnalyticsSettings::load()
{
    AnalyticsSettings s;
    const QSettings file(filePath(), QSettings::IniFormat);
    s.endpoint = QUrl(file.value(QStringLiteral("Endpoint")).toString());
    s.trackingId = file.value(QStringLiteral("TrackingId"), QString::fromLatin1(kDefaultTrackingId)).toString();
    s.enabled = file.value(QStringLiteral("Enabled"), 1).toInt() != 0;
    const QString url = qEnvironmentVariable("QKDRIVER_ANALYTICS_URL");
    if (!url.isEmpty())
        s.endpoint = QUrl(url);
    s.forcedOff = qEnvironmentVariable("QKDRIVER_NO_ANALYTICS") == QLatin1String("1");
    return s;
}

bool AnalyticsSettings::setEnabled(bool enabled)
{
    return OperateIni::update(filePath(), [enabled](QSettings &settings) {
        settings.setValue(QStringLiteral("Enabled"), enabled ? 1 : 0);
    });
}
