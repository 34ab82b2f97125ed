#pragma once
// The demonstration mode: "--simulate MODEL[,MODEL]" (or QKDRIVER_SIMULATE=MODEL[,MODEL])
// replaces the system's HID devices by the virtual bus with the named devices plugged in.
//
// Device names: a model name ("falcon", "kitec", "osprey", "heron", ...) plugs the model's
// cable product id; "<model>-receiver" the receiver id of a Falcon-family model;
// "<model>-boot" a mouse waiting for firmware: the Falcon boot loader (product 0x3000, its
// product string naming the model) for the Falcon family, the 0x0603:0x1022 loader for the
// Osprey family and the Heron.

#include "sim/virtualhidbus.h"

#include <QStringList>
#include <memory>
#include <optional>

namespace Simulation {
// The device names asked for: "--simulate X" or "--simulate=X" among the arguments, else the
// QKDRIVER_SIMULATE environment variable; names are split at commas, trimmed and lower-cased.
// Nothing when neither asks for the demonstration mode (an empty list means an empty bus).
std::optional<QStringList> requestedDevices(const QStringList &arguments);

// Every name createDevice() knows, in product table order.
QStringList deviceNames();
// A device for one name; nullptr for an unknown name.
std::shared_ptr<VirtualHidDevice> createDevice(const QString &name);

// Creates the process-wide virtual bus with the named devices and installs it as the HID
// backend. Returns false, installing nothing, when a name is unknown (*error says which and
// lists the known ones).
bool install(const QStringList &names, QString *error = nullptr);
// Removes the demonstration bus again (the system backend is used from then on), saving the
// devices' state first when a state folder is set.
void uninstall();

// Keeps each simulated device's memory in "<dir>/<name>.state": install() restores it (an
// unreadable or foreign file is ignored and logged), saveState() and uninstall() write it
// (atomically). An empty dir keeps nothing (the default).
void setStateFolder(const QString &dir);
QString stateFolder();
// Writes every device's state now; false when a file could not be written.
bool saveState();
// The installed demonstration bus, nullptr when none.
VirtualHidBus *bus();
} // namespace Simulation
