#include "device/watcher/checkdevice.h"

#include "catalog/modelcatalog.h"

#include "hid/hidbackend.h"
#include "hid/hidenumeration.h"
#include "device/watcher/producttable.h"

#include <QDebug>
#include <QTimerEvent>

using namespace ProductTable;

CheckDevice::CheckDevice(QObject *parent, HidBackend *backend)
    : QObject(parent), m_backend(backend), m_vendorId(ProductTable::vendorId()),
      m_candidates(initialCandidateOrder())
{
    startTheTimer();
}

CheckDevice::~CheckDevice() = default;

QList<int> CheckDevice::initialCandidateOrder()
{
    QList<int> order{0x3000, 0x1022, 0x4122, 0x4123, 0x4130, 0x1804, 0x4133, 0x4132,
                     0x4126, 0x4162, 0x4124, 0x4118, 0x4137, 0x180A, 0x4138, 0x180B,
                     0x4139, 0x180C, 0x413A, 0x180D};
    // The original order left out FalconEU and Heron, so they were never reported. Every id of
    // the catalog that the order lacks is appended, highest model code first (FalconEU before
    // Heron, as it has always been), each cable id before its receiver id, which the reordering
    // rule needs.
    QList<const Catalog::Model *> rows;
    for (const Catalog::Model &m : Catalog::models())
        rows.prepend(&m);
    for (const Catalog::Model *m : rows) {
        for (const int id : {int(m->cableId), int(m->receiverId)}) {
            if (id != 0 && !order.contains(id))
                order.append(id);
        }
    }
    return order;
}

HidBackend &CheckDevice::backend() const
{
    return m_backend ? *m_backend : HidBackend::current();
}

void CheckDevice::setTickInterval(int ms)
{
    m_intervalMs = qMax(1, ms);
    if (m_timerId != 0) {
        killTimer(m_timerId);
        m_timerId = startTimer(m_intervalMs, Qt::CoarseTimer);
    }
}

void CheckDevice::startTheTimer()
{
    qDebug() << "startTheTimer";
    if (m_timerId != 0)
        killTimer(m_timerId); // a second start must not leave a timer nobody can stop
    m_timerId = startTimer(m_intervalMs, Qt::CoarseTimer);
}

void CheckDevice::stopTheTimer()
{
    qDebug() << "stopTheTimer";
    if (m_timerId != 0) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
}

void CheckDevice::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timerId)
        tick();
    else
        QObject::timerEvent(event);
}

void CheckDevice::turnDescriptorToMouseType(const QString &productString)
{
    // The product string's characters, NULs dropped.
    QString text;
    for (const QChar c : productString) {
        if (!c.isNull())
            text.append(c);
    }
    qDebug() << "turnDescriptorToMouseType" << text;
    emit sigBlootDescriptor(bootTypeFromProductString(text));
}

bool CheckDevice::enumerationPass()
{
    m_present.clear();
    QList<QString> seenPaths;
    return HidEnumeration::run(
        backend(), QStringLiteral("CheckDevice FindHIDDevice INVALID_HANDLE_VALUE"),
        [this, &seenPaths](const HidDeviceInfo &info) {
            // The system may list a path once per collection; look at each path once a pass.
            if (seenPaths.contains(info.path))
                return true;
            seenPaths.append(info.path);
            if (info.vendorId == m_vendorId) {
                if (!m_present.contains(info.productId))
                    m_present.append(info.productId);
                // The boot loader: only our vendor's, another maker's 0x3000 is not ours.
                if (info.productId == kFalconBootProductId)
                    turnDescriptorToMouseType(info.productString);
            }
            if (info.vendorId == kLoaderVendorId && info.productId == kLoaderProductId) {
                if (!m_present.contains(kLoaderProductId))
                    m_present.append(kLoaderProductId);
                emit sigBlootDescriptor(bootTypeFromReleaseNumber(info.releaseNumber));
            }
            return true;
        });
}

bool CheckDevice::tick()
{
    if (!enumerationPass())
        return false;

    m_found = false;
    if (m_present.contains(kFalconBootProductId)) {
        m_currentProductId = kFalconBootProductId;
        m_found = true;
    } else if (m_present.contains(kLoaderProductId)) {
        m_currentProductId = kLoaderProductId;
        m_found = true;
    } else {
        for (int id : qAsConst(m_candidates)) {
            if (m_present.contains(id)) {
                m_currentProductId = id;
                m_found = true;
                break;
            }
        }
    }

    if (m_found != m_lastFound) {
        m_lastFound = m_found;
        m_lastProductId = m_currentProductId;
        emit sigFound(m_found, uint(m_currentProductId), uint(m_vendorId));
        if (m_found)
            reorderCandidates(m_currentProductId);
    } else if (m_lastProductId != m_currentProductId) {
        // Another device took the place of the reported one: report the loss now and the new
        // device as found on the next tick. The loss is remembered as reported: should the new
        // device be gone by the next tick as well, nothing is left to report, where keeping the
        // old id would report the same loss again on every tick.
        m_lastFound = false;
        emit sigFound(false, uint(m_lastProductId), uint(m_vendorId));
        m_lastProductId = m_currentProductId;
    }
    return true;
}

void CheckDevice::reorderCandidates(int productId)
{
    const int k = m_candidates.indexOf(productId);
    if (k < 0)
        return;
    int position = 1;
    if (isReceiverId(productId)) {
        const int partner = m_candidates.indexOf(wiredPartner(productId));
        // A receiver moves only together with its cable id; without it in the order the cable
        // could never be preferred, so leave the order alone.
        if (partner < 0)
            return;
        m_candidates.swapItemsAt(1, partner);
        position = 2;
    }
    m_candidates.swapItemsAt(position, k);
}
