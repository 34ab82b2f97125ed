#include "ui/theme/theme.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStyle>
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

static void markPlaceholder(QLineEdit *edit)
{
    const bool shown = edit->text().isEmpty() && !edit->placeholderText().isEmpty();
    if (edit->property("placeholderShown").toBool() == shown)
        return;
    edit->setProperty("placeholderShown", shown);
    edit->style()->unpolish(edit);
    edit->style()->polish(edit);
}

void setPlaceholder(QLineEdit *edit, const QString &hint)
{
    edit->setPlaceholderText(hint);
    if (!edit->property("placeholderTracked").toBool()) {
        edit->setProperty("placeholderTracked", true);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { markPlaceholder(edit); });
    }
    markPlaceholder(edit);
}

} // namespace Theme
