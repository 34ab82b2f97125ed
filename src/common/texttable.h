#pragma once
// The user-interface text table: the strings of the current language, read by text number.
// Loaded once at start-up from "/Language/translate.json" and read-only afterwards.

#include <QLocale>
#include <QString>
#include <QStringList>

namespace TextTable {
// Language index of a system-locale language: Chinese 0, Korean 2, Albanian 3, German 4,
// Italian 6, Spanish 7, Dutch 8, Portuguese 9, Russian 10, Ukrainian 11, anything else 1.
int languageIndex(QLocale::Language language);

// Index of the English array, used for languages the file does not cover.
constexpr int kFallbackIndex = 1;

// Reads a translate.json document and returns the texts of languageIndex. A missing or short
// array at that index is completed entry by entry from the English array, so a partial
// translation never leaves captions empty. When the document does not parse or is not an
// array, logs "NoArray" and returns an empty list.
QStringList load(const QByteArray &json, int languageIndex);
QStringList loadFile(const QString &path, int languageIndex);

// The process-wide table.
void set(const QStringList &texts);
const QStringList &texts();
// Text number n, or an empty string when the table has no such entry.
QString text(int n);
} // namespace TextTable
