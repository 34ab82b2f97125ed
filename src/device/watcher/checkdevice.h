#pragma once
// The presence watcher: once a second it walks the present HID interfaces and reports which
// supported mouse, receiver or boot-mode device is plugged in. Changes arrive as sigFound; a
// boot-mode device's model arrives as sigBlootDescriptor on every tick while it is present.
//
// Created by the main window and moved to a thread of its own at once; the timer it starts in
// its constructor begins ticking when that thread runs its event loop. QtCore only.

#include "common/qktypes.h"

#include <QList>
#include <QObject>

class HidBackend;

class CheckDevice : public QObject
{
    Q_OBJECT
public:
    // Logs "startTheTimer" and starts the 1000 ms coarse timer. The backend (not owned) is the
    // process-wide one unless given.
    explicit CheckDevice(QObject *parent = nullptr, HidBackend *backend = nullptr);
    ~CheckDevice() override;

    // The candidate order the tick walks: the 20 ids of the original order, then every other id
    // of the model catalog (today 0x413B, 0x180F: FalconEU cable before its receiver, and
    // 0x4161: Heron).
    static QList<int> initialCandidateOrder();

    QList<int> candidateOrder() const { return m_candidates; }
    QList<int> presentIds() const { return m_present; }
    int vendorId() const { return m_vendorId; }
    bool lastReportedFound() const { return m_lastFound; }
    int lastReportedProductId() const { return m_lastProductId; }
    int currentProductId() const { return m_currentProductId; }
    bool isTimerRunning() const { return m_timerId != 0; }

    // Changes the tick interval (tests use a short one); restarts a running timer.
    void setTickInterval(int ms);
    int tickInterval() const { return m_intervalMs; }

public Q_SLOTS:
    // Logs "startTheTimer" and (re)starts the timer.
    void startTheTimer();
    // Logs "stopTheTimer" and stops the timer.
    void stopTheTimer();
    // One tick: enumerate, pick the current id and report a change. Returns false when the
    // enumeration failed (nothing else happened).
    bool tick();

Q_SIGNALS:
    void sigFound(bool found, uint pid, uint vid);
    void sigBlootDescriptor(int type);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    bool enumerationPass();
    void turnDescriptorToMouseType(const QString &productString);
    void reorderCandidates(int productId);
    HidBackend &backend() const;

    HidBackend *m_backend;
    int m_vendorId;
    bool m_lastFound = false;
    bool m_found = false;
    QList<int> m_present;
    QList<int> m_candidates;
    int m_currentProductId = 0;
    int m_lastProductId = 0;
    int m_timerId = 0;
    int m_intervalMs = 1000;
};
