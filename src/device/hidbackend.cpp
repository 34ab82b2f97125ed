#include "hidbackend.h"

#include "hidapibackend.h"
#include "hidtrace.h"
#include "tracingconnection.h"

#include <atomic>

namespace {
std::atomic<HidBackend *> g_installed{nullptr};

HidBackend &systemBackend()
{
    static HidapiBackend backend;
    return backend;
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
