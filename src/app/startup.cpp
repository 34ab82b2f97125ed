#include "app/startup.h"

#include "common/apppaths.h"
#include "common/texttable.h"
#include "ui/theme/theme.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QMetaEnum>
#include <QWidget>

namespace Startup {

int loadFonts(const QString &fontDir)
{
    int added = 0;
    const QDir dir(fontDir);
    const QFileInfoList files =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Unsorted);
    for (const QFileInfo &fi : files) {
        const QString path = fi.absoluteFilePath();
        const int id = QFontDatabase::addApplicationFont(path);
        if (id < 0) {
            qDebug() << "error : addApplicationFont" << path;
            continue;
        }
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) {
            qDebug() << "error : QFontDatabase::applicationFontFamilies" << path;
            continue;
        }
        QFont font(families.first());
        font.setWeight(QFont::Normal);
        qDebug() << "Add Font : " << font.toString();
        ++added;
    }
    return added;
}

int loadSysLanguage()
{
    return loadSysLanguage(QLocale::system().language());
}

int loadSysLanguage(QLocale::Language language)
{
    // The enumerator, not the display name: one word that a log search finds.
    qDebug() << "loadSysLanguage" << QMetaEnum::fromType<QLocale::Language>().valueToKey(language);
    const int index = TextTable::languageIndex(language);
    TextTable::set(TextTable::loadFile(AppPaths::shippedPath(QStringLiteral("/Language/translate.json")), index));
    return index;
}

bool applyStyleSheet(QWidget *widget)
{
    if (!Theme::apply(widget))
        return false;
    qDebug() << "open";
    return true;
}

bool wantsFileLog(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("-d"));
}

} // namespace Startup
