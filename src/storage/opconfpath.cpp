#include "storage/opconfpath.h"

#include "storage/storagepaths.h"

namespace {
constexpr const char *kKeys[] = {
    "/PATH/mid_web_url",          "/PATH/mid_file_path",
    "/PATH/mid_folder_path",      "/PATH/mid_app_path",
    "/PATH/slider_up_web_url",    "/PATH/slider_up_file_path",
    "/PATH/slider_up_folder_path", "/PATH/slider_up_app_path",
    "/PATH/slider_down_web_url",  "/PATH/slider_down_file_path",
    "/PATH/slider_down_folder_path", "/PATH/slider_down_app_path",
};
} // namespace

OpConfPath::OpConfPath(QObject *parent) : QObject(parent), m_ini(StoragePaths::systemIniFile()) {}

QString OpConfPath::get(const char *key) const
{
    return m_ini.valueOr(QLatin1String(key), QString());
}

bool OpConfPath::set(const char *key, const QString &text)
{
    return m_ini.setValue(QLatin1String(key), text);
}

QString OpConfPath::GetMidWebUrl() const { return get(kKeys[0]); }
QString OpConfPath::GetMidFilePath() const { return get(kKeys[1]); }
QString OpConfPath::GetMidFloderPath() const { return get(kKeys[2]); }
QString OpConfPath::GetMidAppPath() const { return get(kKeys[3]); }
QString OpConfPath::GetSliderUpWebUrl() const { return get(kKeys[4]); }
QString OpConfPath::GetSliderUpFilePath() const { return get(kKeys[5]); }
QString OpConfPath::GetSliderUpFloderPath() const { return get(kKeys[6]); }
QString OpConfPath::GetSliderUpAppPath() const { return get(kKeys[7]); }
QString OpConfPath::GetSliderDownWebUrl() const { return get(kKeys[8]); }
QString OpConfPath::GetSliderDownFilePath() const { return get(kKeys[9]); }
QString OpConfPath::GetSliderDownFloderPath() const { return get(kKeys[10]); }
QString OpConfPath::GetSliderDownAppPath() const { return get(kKeys[11]); }

bool OpConfPath::SetMidWebUrl(const QString &text) { return set(kKeys[0], text); }
bool OpConfPath::SetMidFilePath(const QString &text) { return set(kKeys[1], text); }
bool OpConfPath::SetMidFolderPath(const QString &text) { return set(kKeys[2], text); }
bool OpConfPath::SetMidAppPath(const QString &text) { return set(kKeys[3], text); }
bool OpConfPath::SetSliderUpWebUrl(const QString &text) { return set(kKeys[4], text); }
bool OpConfPath::SetSliderUpFilePath(const QString &text) { return set(kKeys[5], text); }
bool OpConfPath::SetSliderUpFolderPath(const QString &text) { return set(kKeys[6], text); }
bool OpConfPath::SetSliderUpAppPath(const QString &text) { return set(kKeys[7], text); }
bool OpConfPath::SetSliderDownWebUrl(const QString &text) { return set(kKeys[8], text); }
bool OpConfPath::SetSliderDownFilePath(const QString &text) { return set(kKeys[9], text); }
bool OpConfPath::SetSliderDownFolderPath(const QString &text) { return set(kKeys[10], text); }
bool OpConfPath::SetSliderDownAppPath(const QString &text) { return set(kKeys[11], text); }

bool OpConfPath::SetDefault()
{
    bool ok = true;
    for (const char *key : kKeys)
        ok = set(key, QString()) && ok;
    return ok;
}
