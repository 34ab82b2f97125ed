#pragma once
// Who may open the supported devices. On Linux the hidraw nodes belong to root unless a udev
// rule says otherwise; the rule QKDriver ships ("70-qkdriver.rules") tags the hidraw node of
// every mouse, receiver and boot loader of the model catalog with "uaccess", so that the user
// signed in at the computer may open it. This file writes that rule, finds the nodes of
// supported devices that this user cannot open, and words the fix.

#include "common/qktypes.h"
#include "hid/hidrawnodes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace DeviceAccess {

// The file name the rule is installed under; 70 sorts before the rule that turns the "uaccess"
// tag into access for the signed-in user (73-seat-late.rules).
QString rulesFileName();

struct SupportedId
{
    USHORT vendorId = 0;
    USHORT productId = 0;
    QString what; // "Falcon, cable", "Falcon, receiver", "Falcon-family boot loader"
};

// Every vendor and product id the program opens, with vendorId standing for the maker's id: the
// cable and receiver ids of every catalog row in catalog order, then the boot loaders the rows
// use. Each pair appears once.
QList<SupportedId> supportedIds(USHORT vendorId);

// The text of the rule file for vendorId.
QString udevRules(USHORT vendorId);

struct Blocked
{
    HidrawNodes::Node node;
    QString what; // as in SupportedId
};

// The nodes of supported devices that could not be opened for lack of permission.
QList<Blocked> blockedDevices(const QList<HidrawNodes::Node> &nodes, USHORT vendorId);

// The places a rule file is read from, most important first, below root ("" for the system).
QStringList rulesLocations(const QString &root = QString());

// What the user can do about the blocked devices, as lines of text: which devices, then either
// the commands that install the rule (when no installed rule file names them) or the commands
// that reload it. Sentences come from the text table (numbers 401 to 403) when it is loaded,
// else in English; commands and paths are never translated. root: as for rulesLocations().
// Empty when nothing is blocked.
QStringList accessFix(const QList<Blocked> &blocked, const QString &root = QString());

// The two above on this system: the hidraw nodes of supported devices (ProductTable::vendorId())
// that this user cannot open, and the fix; empty when there is none. Opens each node of a
// supported device once, so call it when the answer is shown, not on every watcher tick.
QList<Blocked> systemBlockedDevices();
QStringList systemAccessFix();

} // namespace DeviceAccess
