#pragma once
// A test device whose answers are programmed per test. Every report the host sends is logged.
// For each interface and kind of reply (input report, feature report) the device answers from
// a queue of one-shot replies first and then with a standing reply; a null QByteArray in
// either place makes that transfer fail. A reaction hook runs on every report the host sends
// and may program further replies (it runs with the device's lock held).

#include "sim/virtualhiddevice.h"

#include <QMap>
#include <QQueue>
#include <functional>

class ScriptableHidDevice : public VirtualHidDevice
{
public:
    struct Sent
    {
        int index;           // interface
        Transfer kind;       // OutputReport or SetFeature
        QByteArray report;   // report id first
    };
    using Reaction = std::function<void(ScriptableHidDevice &device, const Sent &sent)>;

    explicit ScriptableHidDevice(const QList<HidDeviceInfo> &interfaces);

    // Input reports (get-input-report and interrupt reads) of interface `index`.
    void queueInputReport(int index, const QByteArray &report);
    void setStandingInputReport(int index, const QByteArray &report);
    // Feature reports of interface `index`.
    void queueFeatureReport(int index, const QByteArray &report);
    void setStandingFeatureReport(int index, const QByteArray &report);
    // Makes every report sent to interface `index` fail (or succeed again).
    void setRefuseWrites(int index, bool refuse);
    void setReaction(Reaction reaction);

    QList<Sent> sent() const;
    // The reports sent to one interface, oldest first.
    QList<QByteArray> sentReports(int index) const;
    int inputRequests() const;   // input reports asked for (answered or not)
    int featureRequests() const; // feature reports asked for (answered or not)
    void clearLog();

    // Re-enumerates with other interfaces (a restart into another mode).
    void switchInterfaces(const QList<HidDeviceInfo> &interfaces) { reenumerate(interfaces); }

protected:
    int onOutputReport(int index, const QByteArray &report) override;
    int onReadInputReport(int index, int maxLength, QByteArray *report) override;
    int onGetInputReport(int index, BYTE reportId, int length, QByteArray *report) override;
    int onSetFeatureReport(int index, const QByteArray &report) override;
    int onGetFeatureReport(int index, BYTE reportId, int length, QByteArray *report) override;

private:
    struct Replies
    {
        QQueue<QByteArray> queue;
        QByteArray standing; // null: none
        bool hasStanding = false;
    };
    int received(int index, Transfer kind, const QByteArray &report);
    // Next reply; returns false when there is none. *reply may be null (a failing transfer).
    static bool next(Replies &replies, QByteArray *reply);

    QMap<int, Replies> m_input;
    QMap<int, Replies> m_feature;
    QMap<int, bool> m_refuse;
    Reaction m_reaction;
    QList<Sent> m_sent;
    int m_inputRequests = 0;
    int m_featureRequests = 0;
};
