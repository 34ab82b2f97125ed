#include "common/texttable.h"

#include <QDebug>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
QStringList g_texts;

QStringList stringsOf(const QJsonValue &v)
{
    QStringList out;
    const QJsonArray a = v.toArray();
    out.reserve(a.size());
    for (const QJsonValue &e : a)
        out << e.toString();
    return out;
}
} // namespace

namespace TextTable {

int languageIndex(QLocale::Language language)
{
    switch (language) {
    case QLocale::Chinese: return 0;
    case QLocale::Korean: return 2;
    case QLocale::Albanian: return 3;
    case QLocale::German: return 4;
    case QLocale::Italian: return 6;
    case QLocale::Spanish: return 7;
    case QLocale::Dutch: return 8;
    case QLocale::Portuguese: return 9;
    case QLocale::Russian: return 10;
    case QLocale::Ukrainian: return 11;
    default: return kFallbackIndex;
    }
}

QStringList load(const QByteArray &json, int languageIndex)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    if (!doc.isArray()) {
        qDebug() << "NoArray";
        return {};
    }
    const QJsonArray languages = doc.array();
    QStringList texts;
    if (languageIndex >= 0 && languageIndex < languages.size())
        texts = stringsOf(languages.at(languageIndex));
    if (languageIndex != kFallbackIndex && kFallbackIndex < languages.size()) {
        const QStringList english = stringsOf(languages.at(kFallbackIndex));
        for (int i = 0; i < english.size(); ++i) {
            if (i >= texts.size())
                texts << english.at(i);
            else if (texts.at(i).isEmpty())
                texts[i] = english.at(i);
        }
    }
    return texts;
}

QStringList loadFile(const QString &path, int languageIndex)
{
    QFile f(path);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    return load(bytes, languageIndex);
}

void set(const QStringList &t) { g_texts = t; }
const QStringList &texts() { return g_texts; }
QString text(int n) { return (n >= 0 && n < g_texts.size()) ? g_texts.at(n) : QString(); }

} // namespace TextTable
