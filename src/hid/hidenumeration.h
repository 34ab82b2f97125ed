#pragma once
// The shared enumeration procedure of the presence watcher and the Osprey-family transport:
// walk every present HID interface, check that it can be opened far enough to read its
// attributes, and hand those to the caller.

#include "hid/hidbackend.h"

#include <functional>

namespace HidEnumeration {
// Visits every present interface of `backend` in enumeration order until the visitor
// returns false. An interface that cannot
// be probed is skipped after logging `openFailedMessage` (the caller's text). Returns false,
// after logging "HID enumeration failed", when the backend could not list the interfaces;
// the visitor is then never called.
bool run(HidBackend &backend, const QString &openFailedMessage,
         const std::function<bool(const HidDeviceInfo &)> &visit);
} // namespace HidEnumeration
