#pragma once
// The start-up steps that do more than one call, as testable functions.

#include <QLocale>
#include <QString>
#include <QStringList>

class QWidget;

namespace Startup {
// Registers every regular file of fontDir (hidden files included, symbolic links skipped) as an
// application font, writing "Add Font : …", "error : QFontDatabase::applicationFontFamilies …"
// or "error : addApplicationFont …". Returns how many fonts were registered.
int loadFonts(const QString &fontDir);

// Logs "loadSysLanguage <Language>", picks the language index of the system locale and loads
// the text table from the application's "/Language/translate.json". Returns the index.
int loadSysLanguage();
// The same for a given language; the log names its enumerator ("NorwegianBokmal").
int loadSysLanguage(QLocale::Language language);

// Sets the style sheet resource ":/qss/qss/myStyle.qss" on the widget, logging "open" when the
// resource exists. Returns false when it does not.
bool applyStyleSheet(QWidget *widget);

// True when any argument is exactly "-d".
bool wantsFileLog(const QStringList &arguments);
} // namespace Startup
