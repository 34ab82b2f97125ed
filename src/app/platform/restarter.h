#pragma once
// Starts a program again once a given process has ended: the window's "restart" ends this
// process after asking for it, and the helper starts the program anew.

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

struct RestartRequest
{
    qint64 pid = 0;     // the process to outlive
    QString program;    // started after pid has ended
    QStringList arguments;
};

class Restarter
{
public:
    virtual ~Restarter() = default;
    // Starts the detached helper and returns at once; false when it could not be started or
    // the request names no process or no program. helperPid, when given, receives the
    // helper's process id.
    virtual bool restartAfter(const RestartRequest &request, qint64 *helperPid = nullptr) = 0;

    // Restart this program: wait for this process, then start its executable with its own
    // arguments.
    bool restartThisProgram();

    static std::unique_ptr<Restarter> create();
};

// A detached POSIX shell that polls the process every 0.1 s and then replaces itself with the
// program. The id, program and arguments are handed to the shell as positional parameters,
// never pasted into its script, so spaces and quotes in them stay what they are.
class ShellRestarter : public Restarter
{
public:
    bool restartAfter(const RestartRequest &request, qint64 *helperPid = nullptr) override;
};

// Records the requests.
class FakeRestarter : public Restarter
{
public:
    bool restartAfter(const RestartRequest &request, qint64 *helperPid = nullptr) override;

    QList<RestartRequest> requests;
    bool succeed = true;
};

} // namespace platform
