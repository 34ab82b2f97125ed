#include "hid/hidenumeration.h"

#include <QDebug>

namespace HidEnumeration {

bool run(HidBackend &backend, const QString &openFailedMessage,
         const std::function<bool(const HidDeviceInfo &)> &visit)
{
    QList<HidDeviceInfo> interfaces;
    if (!backend.enumerate(&interfaces)) {
        qDebug() << "HID enumeration failed";
        return false;
    }
    for (const HidDeviceInfo &info : qAsConst(interfaces)) {
        if (!backend.probe(info.path)) {
            qDebug().noquote() << openFailedMessage;
            continue;
        }
        if (!visit(info))
            break;
    }
    return true;
}

} // namespace HidEnumeration
