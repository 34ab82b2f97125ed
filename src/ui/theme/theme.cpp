#include "ui/theme/theme.h"

#include <QDir>
#include <QFile>
#include <QWidget>

static void initThemeResources() { Q_INIT_RESOURCE(theme); }

namespace Theme {

static QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString styleSheet()
{
    initThemeResources();
    QString sheet = readResource(QStringLiteral(":/qss/qss/myStyle.qss"));
    if (sheet.isEmpty())
        return {};
    const QDir pages(QStringLiteral(":/qss/qss/pages"));
    for (const QString &name : pages.entryList({QStringLiteral("*.qss")}, QDir::Files, QDir::Name))
        sheet += QLatin1Char('\n') + readResource(pages.filePath(name));
    return sheet;
}

bool apply(QWidget *widget)
{
    const QString sheet = styleSheet();
    if (sheet.isEmpty())
        return false;
    widget->setStyleSheet(sheet);
    return true;
}

} // namespace Theme
