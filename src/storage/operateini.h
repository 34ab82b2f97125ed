#pragma once
// OperateIni: one INI file read and written as Qt INI settings with the UTF-8 codec. Keys may
// name their group ("/PATH/mid_web_url" is key mid_web_url of group PATH).
//
// Values are text. A value that the INI reader splits at unquoted commas ("a,b" hand-edited
// into the file) is joined back with ",", so it reads as the text that was written there rather
// than as nothing. Writes go through the one checked write path (update()).

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QSettings;

class OperateIni : public QObject
{
    Q_OBJECT
public:
    explicit OperateIni(QObject *parent = nullptr);
    // Opens path at once (see open()).
    explicit OperateIni(const QString &path, QObject *parent = nullptr);
    ~OperateIni() override;

    // Opens (or switches to) the INI file at path. The file need not exist: it and its folder are
    // created by the first write.
    void open(const QString &path);
    bool isOpen() const;
    QString fileName() const;

    // The stored text; "NULL" when the key is absent; "key error or unInit obj" when no file has
    // been opened.
    QString value(const QString &key) const;
    // The stored text, or fallback when the key is absent or no file has been opened.
    QString valueOr(const QString &key, const QString &fallback) const;
    // Stores text and writes the file at once. Returns false when no file is open or the file
    // could not be written (the previous file then stays as it was).
    bool setValue(const QString &key, const QString &text);

    // The text of a settings value: strings as they are, split lists joined with ",".
    static QString textOf(const QVariant &value);

    // Applies change to the INI file at path and writes it through AtomicFile::write. QSettings
    // produces the INI text, but in a draft file in a scratch folder, read back from disk and
    // compared with what was set before it may replace the file: QSettings' own save ignores a
    // failing final flush and would rename a truncated file into place. Returns false (the file
    // unchanged, the failure recorded like any failed write) when the draft or the write fails.
    static bool update(const QString &path, const std::function<void(QSettings &)> &change);

private:
    std::unique_ptr<QSettings> m_settings;
};
