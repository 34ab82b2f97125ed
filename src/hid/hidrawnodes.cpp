#include "hid/hidrawnodes.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace HidrawNodes {

int openForReadWrite(const QString &devicePath)
{
    // O_NONBLOCK: a node never blocks the open, and nothing is read here.
    const int fd = ::open(QFile::encodeName(devicePath).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno ? errno : EIO;
    ::close(fd);
    return 0;
}

bool parseUevent(const QByteArray &uevent, Node *node)
{
    bool haveId = false;
    for (const QByteArray &rawLine : uevent.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith("HID_ID=")) {
            const QList<QByteArray> parts = line.mid(7).split(':');
            if (parts.size() != 3)
                return false;
            bool ok[3] = {false, false, false};
            const uint bus = parts.at(0).toUInt(&ok[0], 16);
            const uint vendor = parts.at(1).toUInt(&ok[1], 16);
            const uint product = parts.at(2).toUInt(&ok[2], 16);
            if (!ok[0] || !ok[1] || !ok[2] || bus > 0xFFFF || vendor > 0xFFFF || product > 0xFFFF)
                return false;
            node->bus = USHORT(bus);
            node->vendorId = USHORT(vendor);
            node->productId = USHORT(product);
            haveId = true;
        } else if (line.startsWith("HID_NAME=")) {
            node->productName = QString::fromUtf8(line.mid(9));
        }
    }
    return haveId;
}

QList<Node> scan(const QString &sysRoot, const QString &devRoot, const Opener &opener)
{
    QList<Node> nodes;
    const QDir classDir(sysRoot + QStringLiteral("/class/hidraw"));
    const QStringList names = classDir.entryList({QStringLiteral("hidraw*")},
                                                 QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &name : names) {
        QFile uevent(classDir.filePath(name + QStringLiteral("/device/uevent")));
        if (!uevent.open(QIODevice::ReadOnly))
            continue;
        Node node;
        if (!parseUevent(uevent.read(64 * 1024), &node))
            continue;
        node.name = name;
        node.devicePath = devRoot + QLatin1Char('/') + name;
        node.openError = opener ? opener(node.devicePath) : 0;
        nodes.append(node);
    }
    // hidraw2 before hidraw10: the shorter name first, names of one length in text order.
    std::sort(nodes.begin(), nodes.end(), [](const Node &a, const Node &b) {
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
    });
    return nodes;
}

bool isPermissionError(int error)
{
    return error == EACCES || error == EPERM;
}

} // namespace HidrawNodes
