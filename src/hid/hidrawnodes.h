#pragma once
// The hidraw nodes of the system as the kernel lists them (/sys/class/hidraw/*/device/uevent),
// whether or not this user may open them. hidapi lists a device it cannot open like any other;
// this is how a program tells "nothing plugged in" from "plugged in, but no permission".

#include "common/qktypes.h"

#include <QList>
#include <QString>
#include <functional>

namespace HidrawNodes {

struct Node
{
    QString name;       // "hidraw3"
    QString devicePath; // "<dev root>/hidraw3"
    USHORT bus = 0;     // 3: USB, 5: Bluetooth
    USHORT vendorId = 0;
    USHORT productId = 0;
    QString productName; // HID_NAME, may be empty
    int openError = 0;   // errno of opening the node for reading and writing; 0: it opens
};

// Opens a device node for reading and writing and closes it again; returns 0 or the errno.
using Opener = std::function<int(const QString &devicePath)>;
int openForReadWrite(const QString &devicePath);

// Reads HID_ID ("0003:0000046D:0000C52B": bus, vendor, product in hexadecimal) and HID_NAME
// out of the text of a uevent file. False when there is no well-formed HID_ID.
bool parseUevent(const QByteArray &uevent, Node *node);

// Every hidraw node below sysRoot + "/class/hidraw" whose uevent names a HID id, sorted by
// name, each with the outcome of opening devRoot + "/" + name (none tried, openError 0, with an
// empty opener). The defaults are the system's own folders; tests pass a prepared folder and an
// opener of their own.
QList<Node> scan(const QString &sysRoot = QStringLiteral("/sys"),
                 const QString &devRoot = QStringLiteral("/dev"),
                 const Opener &opener = openForReadWrite);

// True for an open that failed for lack of permission (EACCES, EPERM).
bool isPermissionError(int error);

} // namespace HidrawNodes
