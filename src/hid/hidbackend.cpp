#include "hid/hidbackend.h"

#include "hid/hidtrace.h"
#include "hid/tracingconnection.h"

#include <atomic>

namespace {
std::atomic<HidBackend *> g_installed{nullptr};
std::atomic<HidBackend *> g_system{nullptr};

// What a process sees before main() names the system's backend: no device at all.
class NoDevices : public HidBackend
{
public:
    bool enumerate(QList<HidDeviceInfo> *out) override
    {
        out->clear();
        return true;
    }

protected:
    std::unique_ptr<HidConnection> openPath(const QString &) override { return nullptr; }
};

HidBackend &systemBackend()
{
    static NoDevices none;
    HidBackend *b = g_system.load();
    return b ? *b : none;
}
} // namespace

bool HidBackend::probe(const QString &)
{
    return true;
}

std::unique_ptr<HidConnection> HidBackend::open(const QString &path)
{
    std::unique_ptr<HidConnection> connection = openPath(path);
    if (!connection)
        return nullptr;
    const QString traceFile = HidTrace::fileName();
    if (traceFile.isEmpty())
        return connection;
    return std::make_unique<TracingConnection>(std::move(connection), traceFile);
}

HidBackend &HidBackend::current()
{
    HidBackend *b = g_installed.load();
    return b ? *b : systemBackend();
}

void HidBackend::setSystemBackend(HidBackend *backend)
{
    g_system.store(backend);
}

void HidBackend::install(HidBackend *backend)
{
    g_installed.store(backend);
}

HidBackend *HidBackend::installed()
{
    return g_installed.load();
}

ScopedHidBackend::ScopedHidBackend(HidBackend *backend) : m_previous(g_installed.load())
{
    HidBackend::install(backend);
}

ScopedHidBackend::~ScopedHidBackend()
{
    HidBackend::install(m_previous);
}
