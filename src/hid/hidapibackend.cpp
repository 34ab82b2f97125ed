#include "hid/hidapibackend.h"

#include "hid/hidapiconnection.h"
#include "hid/hidreportdescriptor.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QMap>

#include <hidapi/hidapi.h>

HidapiBackend::HidapiBackend() = default;

HidapiBackend::~HidapiBackend()
{
    if (m_initialised)
        hid_exit();
}

QByteArray HidapiBackend::readSysfsDescriptor(const QString &devicePath)
{
    // "/dev/hidraw3" -> "/sys/class/hidraw/hidraw3/device/report_descriptor"
    const QString node = QFileInfo(devicePath).fileName();
    if (!node.startsWith(QLatin1String("hidraw")))
        return QByteArray();
    QFile f(QStringLiteral("/sys/class/hidraw/%1/device/report_descriptor").arg(node));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.read(4096); // HID_MAX_DESCRIPTOR_SIZE
}

bool HidapiBackend::enumerate(QList<HidDeviceInfo> *out)
{
    out->clear();
    QMutexLocker lock(&m_mutex);
    if (!m_initialised) {
        if (hid_init() != 0) {
            qDebug() << "hid_init failed";
            return false;
        }
        m_initialised = true;
    }

    // hidapi may list one hidraw node several times (once per collection); group by path and
    // take the collections from the descriptor instead.
    QList<QString> order;
    QMap<QString, HidDeviceInfo> first;
    hid_device_info *list = hid_enumerate(0, 0);
    for (hid_device_info *d = list; d; d = d->next) {
        const QString path = QString::fromLocal8Bit(d->path);
        if (first.contains(path))
            continue;
        HidDeviceInfo info;
        info.path = path;
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        info.releaseNumber = d->release_number;
        if (d->product_string)
            info.productString = QString::fromWCharArray(d->product_string);
        info.usagePage = d->usage_page;
        info.usage = d->usage;
        info.interfaceNumber = d->interface_number;
        order.append(path);
        first.insert(path, info);
    }
    hid_free_enumeration(list);

    for (const QString &path : order) {
        const HidDeviceInfo base = first.value(path);
        const QByteArray descriptor = readSysfsDescriptor(path);
        QString error;
        const auto facts = descriptor.isEmpty() ? std::nullopt
                                                : HidReportDescriptor::parse(descriptor, &error);
        if (!facts) {
            if (!m_reported.contains(path)) {
                m_reported.insert(path);
                qDebug() << "HID descriptor unusable" << path
                         << (descriptor.isEmpty() ? QStringLiteral("not readable") : error);
            }
            out->append(base);
            continue;
        }
        for (const HidCollectionFacts &c : *facts) {
            HidDeviceInfo info = base;
            info.usagePage = c.usagePage;
            info.usage = c.usage;
            info.inputReportLength = c.inputReportLength;
            info.outputReportLength = c.outputReportLength;
            info.featureReportLength = c.featureReportLength;
            info.inputReportId = c.inputReportId;
            info.outputReportId = c.outputReportId;
            info.featureReportId = c.featureReportId;
            out->append(info);
        }
    }
    return true;
}

std::unique_ptr<HidConnection> HidapiBackend::openPath(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    if (!m_initialised) {
        if (hid_init() != 0)
            return nullptr;
        m_initialised = true;
    }
    hid_device *d = hid_open_path(path.toLocal8Bit().constData());
    if (!d)
        return nullptr;
    // hidraw delivers an interrupt report without a report id when the interface does not
    // number its reports; the connection puts the 0 back so that callers always see the id.
    bool numbered = true;
    const QByteArray descriptor = readSysfsDescriptor(path);
    if (const auto facts = HidReportDescriptor::parse(descriptor, nullptr)) {
        numbered = false;
        for (const HidCollectionFacts &c : *facts)
            numbered = numbered || c.inputReportId != 0;
    }
    return std::make_unique<HidapiConnection>(d, path, numbered);
}
