#include "session/pairingrun.h"

#include "profile/usbdrivermanger.h"

#include <QDebug>
#include <QRandomGenerator>
#include <QTime>
#include <QTimer>

PairingRun::PairingRun(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &PairingRun::timeout);
    connect(this, &PairingRun::startTimer, m_timer, QOverload<int>::of(&QTimer::start));
    connect(this, &PairingRun::stopTimer, m_timer, &QTimer::stop);
}

void PairingRun::start(USBDriverManger *manager)
{
    m_ticks = 0;
    if (!manager || manager->EnterPairingMode() != ReceiverAnswer::Acknowledged) {
        Q_EMIT started(false);
        return;
    }
    qDebug() << "进入对码模式";
    // The address is seeded with the seconds since midnight and lies below 32768.
    QRandomGenerator rng(quint32(QTime(0, 0).secsTo(QTime::currentTime())));
    const quint32 address = rng.bounded(32768u);
    qDebug() << "addr:" << QString::number(address, 16);
    if (manager->SetPairingAddress(DWORD(address)) != ReceiverAnswer::Acknowledged) {
        Q_EMIT started(false);
        return;
    }
    qDebug() << "写RF成功";
    m_running = true;
    Q_EMIT startTimer(kPollMs);
    Q_EMIT started(true);
}

void PairingRun::stop()
{
    m_running = false;
    Q_EMIT stopTimer();
    qDebug() << "停止对码";
}

void PairingRun::tick(USBDriverManger *manager)
{
    if (!m_running)
        return; // a tick that was already queued when pairing ended
    ++m_ticks;
    if (m_ticks >= kTicks) {
        end(false);
        return;
    }
    int mode = 0;
    if (!manager || manager->GetReceiverWorkMode(mode) != ReceiverAnswer::Acknowledged) {
        qDebug() << "readWorkModel failed";
        end(false);
        return;
    }
    if (mode != 0)
        return; // still waiting for the mouse
    end(true);
}

void PairingRun::end(bool paired)
{
    m_running = false;
    Q_EMIT stopTimer();
    qDebug() << (paired ? "对码完成" : "对码失败");
    Q_EMIT outcome(paired ? QStringLiteral("对码成功") : QStringLiteral("对码失败"));
    Q_EMIT finished(paired);
}
