#pragma once
// One process at a time drives the mouse of an application folder: QKDriver holds this lock
// for as long as it runs, qkdriverctl for one command. Without it two processes interleave
// their exchanges with the mouse and their rewrites of the configuration files, and one
// process's change is silently lost.
//
// The lock is a QLockFile in the application folder. A lock left behind by a process that no
// longer exists (kill -9) is taken over; a live holder keeps it however long it runs.

#include <QLockFile>
#include <QString>
#include <memory>

class DeviceLock
{
public:
    enum class Outcome {
        Taken,       // this process holds the lock until destroyed or released
        Held,        // another live process held it for the whole wait; see holderPid/Name
        Unavailable, // the lock file cannot be created (folder missing or not writable)
    };

    // How long a command waits for another one to finish with the mouse.
    static constexpr int kDefaultWaitMs = 10000;

    // The executable name of the window program, as a lock holder is named.
    static QString guiProcessName();
    // Whether a holder's process name is the window program's.
    static bool isGuiProcessName(const QString &name);
    // The lock file of the current application folder.
    static QString lockPath();

    DeviceLock();
    ~DeviceLock();
    DeviceLock(const DeviceLock &) = delete;
    DeviceLock &operator=(const DeviceLock &) = delete;

    // Tries for up to waitMs (0: once). When the holder is the window program, gives up at
    // once, without waiting: it keeps the mouse until it is closed.
    Outcome acquire(int waitMs);
    void release();

    // Who held the lock when acquire() last returned Held.
    qint64 holderPid() const { return m_holderPid; }
    QString holderName() const { return m_holderName; }
    bool heldByGui() const { return isGuiProcessName(m_holderName); }

private:
    Outcome failed();

    std::unique_ptr<QLockFile> m_lock;
    qint64 m_holderPid = 0;
    QString m_holderName;
};
