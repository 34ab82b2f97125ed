#include "storage/highestfunction.h"

#include "storage/operateini.h"
#include "storage/storagepaths.h"

#include <QDebug>
#include <QFile>
#include <QSettings>

namespace {
int decimalOrZero(const QString &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    return ok ? v : 0;
}
} // namespace

namespace HighestFunction {

QString groupName(int button)
{
    switch (button) {
    case 4: return QStringLiteral("LeftKey");
    case 5: return QStringLiteral("MidKey");
    case 6: return QStringLiteral("RightKey");
    case 7: return QStringLiteral("FowardKey");
    case 8: return QStringLiteral("BackKey");
    case 11: return QStringLiteral("WheelFoward");
    case 12: return QStringLiteral("WheelBack");
    case 13: return QStringLiteral("DPIAdd");
    case 14: return QStringLiteral("DPIReduce");
    case 15: return QStringLiteral("Custom1");
    case 16: return QStringLiteral("Custom2");
    case 17: return QStringLiteral("Custom3");
    default: return QString();
    }
}

bool lookup(int button, int &functionCode, QString &path)
{
    functionCode = 0;
    path.clear();
    const QString group = groupName(button);
    if (group.isEmpty())
        return false;
    OperateIni ini(StoragePaths::highestFunctionIniFile());
    const QString prefix = QLatin1Char('/') + group + QLatin1Char('/');
    if (decimalOrZero(ini.valueOr(prefix + QStringLiteral("state"), QString())) == 0)
        return false;
    functionCode = decimalOrZero(ini.valueOr(prefix + QStringLiteral("function"), QString()));
    path = ini.valueOr(prefix + QStringLiteral("path"), QString());
    return true;
}

bool store(int button, int state, int functionCode, const QString &path)
{
    const QString group = groupName(button);
    if (group.isEmpty())
        return false;
    return OperateIni::update(StoragePaths::highestFunctionIniFile(), [&](QSettings &settings) {
        settings.beginGroup(group);
        settings.setValue(QStringLiteral("state"), state);
        settings.setValue(QStringLiteral("function"), functionCode);
        settings.setValue(QStringLiteral("path"), path);
        settings.endGroup();
    });
}

bool remove()
{
    qDebug() << "deleteHighestFile";
    const QString file = StoragePaths::highestFunctionIniFile();
    if (!QFile::exists(file))
        return true;
    if (!QFile::remove(file)) {
        qWarning() << "deleteHighestFile failed" << file;
        return false;
    }
    qDebug() << "deleteHighestFile ok";
    return true;
}

} // namespace HighestFunction
