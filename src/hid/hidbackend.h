#pragma once
// Where HID interfaces come from: the system (hidapi) or the virtual bus of the emulators.
//
// The process has one current backend: the installed one (the --simulate start-up option installs
// the virtual bus; tests install their own), else the system backend that main() names (hidapi),
// else none, which finds no device. Every
// connection handed out by open() is wrapped by the traffic trace when QKDRIVER_HID_TRACE names
// a file, whatever the backend.
//
// Implementations must be thread-safe: the presence watcher enumerates on its own thread while
// the coordinator's thread talks to an open device.

#include "hid/hidconnection.h"
#include "hid/hiddeviceinfo.h"

#include <QList>
#include <memory>

class HidBackend
{
public:
    virtual ~HidBackend() = default;

    // Fills *out with every present HID interface (one entry per top-level collection).
    // Returns false when the system could not produce a list; *out is then empty.
    virtual bool enumerate(QList<HidDeviceInfo> *out) = 0;

    // Whether the interface at `path` can be opened far enough to read its attributes, the
    // check the shared enumeration makes before it looks at an interface. Defaults to true
    // (the system backend reads attributes without opening anything).
    virtual bool probe(const QString &path);

    // Opens the interface for reports. Returns nullptr when it cannot be opened (gone, no
    // permission, refused). The connection is traced when the trace is on.
    std::unique_ptr<HidConnection> open(const QString &path);

    // The process-wide backend: the installed one, else the system backend, else one that finds
    // no device.
    static HidBackend &current();
    // Names the system's backend (not owned; it must outlive its use). Called once by main().
    static void setSystemBackend(HidBackend *backend);
    // Installs a backend (not owned; it must outlive its use); nullptr restores the system one.
    static void install(HidBackend *backend);
    // The installed backend, nullptr when the system backend is in use.
    static HidBackend *installed();

protected:
    virtual std::unique_ptr<HidConnection> openPath(const QString &path) = 0;
};

// Installs a backend for the lifetime of the object and restores the previous one after.
class ScopedHidBackend
{
public:
    explicit ScopedHidBackend(HidBackend *backend);
    ~ScopedHidBackend();
    ScopedHidBackend(const ScopedHidBackend &) = delete;
    ScopedHidBackend &operator=(const ScopedHidBackend &) = delete;

private:
    HidBackend *m_previous;
};
