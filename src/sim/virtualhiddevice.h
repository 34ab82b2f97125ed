#pragma once
// One emulated USB HID device on the virtual bus: one or more interfaces (each a HidDeviceInfo
// with its report facts; the bus fills in the path) and the handlers that answer the reports
// sent to them. Emulators derive from it and override the handlers they need.
//
// Thread-safety: the bus calls the handlers of one device one at a time, holding the device's
// lock (recursive), so a handler may call the protected helpers and the fault switches freely.
// Everything public may be called from any thread.

#include "hid/hidconnection.h"
#include "hid/hiddeviceinfo.h"

#include <QList>
#include <QMutex>
#include <atomic>

class VirtualHidBus;

class VirtualHidDevice
{
public:
    enum class Transfer { OutputReport, ReadInputReport, GetInputReport, SetFeature, GetFeature };

    struct Counters
    {
        qint64 transfers = 0;  // every transfer that reached the handlers
        qint64 bytesOut = 0;   // host to device, report ids included
        qint64 bytesIn = 0;    // device to host, report ids included
        int outputReports = 0;
        int inputReports = 0;  // interrupt reads that delivered a report and get-input-reports
        int featureSets = 0;
        int featureGets = 0;
    };

    virtual ~VirtualHidDevice();
    VirtualHidDevice(const VirtualHidDevice &) = delete;
    VirtualHidDevice &operator=(const VirtualHidDevice &) = delete;

    // The interfaces as enumerated now (paths empty; the bus assigns them).
    QList<HidDeviceInfo> interfaces() const;
    // Bumped whenever the device re-enumerates; connections opened before then fail.
    int generation() const;

    // --- faults -------------------------------------------------------------------------
    // The device disappears as if pulled out: it no longer enumerates and every transfer on an
    // open connection fails. appear() brings it back (as a new enumeration).
    void vanish();
    void appear();
    bool hasVanished() const;
    // Vanish once n more transfers have completed (n < 0 turns this off).
    void vanishAfterTransfers(int n);
    // An interface whose probe (attribute read) fails, or which cannot be opened for reports.
    void setProbeFails(int interfaceIndex, bool fails);
    void setOpenFails(int interfaceIndex, bool fails);
    bool probeFails(int interfaceIndex) const;
    bool openFails(int interfaceIndex) const;

    // --- traffic ------------------------------------------------------------------------
    Counters counters() const;
    void resetCounters();

    // Runs one transfer from a connection opened at `generation` on interface `index`: fails
    // (-1) when the device is unplugged, vanished or re-enumerated since, else calls the
    // handler and counts. `in` is the host's report for writes; *out receives the device's.
    // Called by the bus.
    int transfer(Transfer kind, int index, int generation, const QByteArray &in, BYTE reportId,
                 int length, QByteArray *out);
    // Whether a connection opened at `generation` can still reach the device.
    bool reachable(int generation) const;

protected:
    explicit VirtualHidDevice(const QList<HidDeviceInfo> &interfaces = {});

    // Replaces the interfaces as a USB re-enumeration does (a mouse restarting into its boot
    // loader and back): open connections fail from now on and the bus lists the new ones
    // under new paths.
    void reenumerate(const QList<HidDeviceInfo> &interfaces);

    // Handlers, called with the device's lock held; index is the interface. Each returns the
    // number of bytes moved or -1 to fail the transfer. The defaults refuse (-1); the default
    // interrupt read has nothing to deliver (0).
    virtual int onOutputReport(int index, const QByteArray &report);
    virtual int onReadInputReport(int index, int maxLength, QByteArray *report);
    virtual int onGetInputReport(int index, BYTE reportId, int length, QByteArray *report);
    virtual int onSetFeatureReport(int index, const QByteArray &report);
    virtual int onGetFeatureReport(int index, BYTE reportId, int length, QByteArray *report);

    QRecursiveMutex &mutex() const { return m_mutex; }

private:
    friend class VirtualHidBus;
    void setPlugged(bool plugged);

    mutable QRecursiveMutex m_mutex;
    QList<HidDeviceInfo> m_interfaces;
    QList<bool> m_probeFails;
    QList<bool> m_openFails;
    std::atomic<int> m_generation{1};
    std::atomic<bool> m_plugged{false};
    std::atomic<bool> m_vanished{false};
    int m_vanishAfter = -1;
    Counters m_counters;
};
