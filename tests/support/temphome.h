#pragma once
// A temporary application folder for one test: created on construction, installed as the
// --home override (and QKDRIVER_HOME for child processes), removed on destruction.

#include <QString>
#include <QTemporaryDir>

class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // path() + relative; relative starts with "/".
    QString file(const QString &relative) const { return m_dir.path() + relative; }
    // Writes bytes to path() + relative, creating folders; returns false on failure.
    bool write(const QString &relative, const QByteArray &bytes) const;
    QByteArray read(const QString &relative) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousEnv;
    bool m_hadEnv;
};
