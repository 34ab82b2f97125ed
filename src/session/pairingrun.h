#pragma once
// One wireless pairing run with the receiver that is open: the pairing timer, its tick count,
// the start (the receiver enters pairing mode and gets a random radio address), the status poll
// every 100 ms until the receiver reports work mode 0, the 200th tick, a failed poll or an
// abandon, and the result. The receiver commands are the manager's (USBDriverManger's receiver
// operations); a manager without a receiver answers NotSupported and the run does not start.
//
// Owned by DCDataHandle as its child (it lives on the coordinator's thread), which forwards its
// pairing slots here and re-emits these signals as its own.

#include <QObject>
#include <QString>

class QTimer;
class USBDriverManger;

class PairingRun : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTicks = 200;  // 200 × 100 ms
    static constexpr int kPollMs = 100;

    explicit PairingRun(QObject *parent = nullptr);

    bool running() const { return m_running; }
    int ticks() const { return m_ticks; }

    // Starts a run with the open device's manager (nullptr: nothing open).
    void start(USBDriverManger *manager);
    // Abandons the run: the timer stops, no result is reported and no command is sent.
    void stop();
    // One status poll (each timeout of the timer); a tick queued before the run ended does
    // nothing.
    void tick(USBDriverManger *manager);

Q_SIGNALS:
    void startTimer(int ms);
    void stopTimer();
    void started(bool ok);
    void finished(bool paired);
    // The analytics outcome of the run ("对码成功", "对码失败").
    void outcome(const QString &action);
    // The timer fired: the owner answers with tick().
    void timeout();

private:
    void end(bool paired);

    QTimer *m_timer;
    int m_ticks = 0;
    bool m_running = false;
};
