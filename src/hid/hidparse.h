#pragma once
// The Falcon family's HID access entry points (OpenHidDevice, GetInputReport, FindHidDevice),
// as a thin layer over the current HidBackend.
//
// A selector "VID_vvvv&PID_pppp" names an interface by vendor and product id (hexadecimal,
// case-insensitive; the selector may sit inside a longer text such as a device path). The
// Falcon mouse and its receiver answer on their usage page 0xFF00 interface with input report
// 0xBA of 32 bytes (report id + 31 data bytes); GetInputReport hands the data bytes over
// without the report id, so the device's status byte lands in byte 0 of the caller's buffer.

#include "hid/hidconnection.h"
#include "hid/hiddeviceinfo.h"

#include <QString>
#include <memory>
#include <optional>

// An open interface and what enumeration said about it.
struct HidHandle
{
    HidDeviceInfo info;
    std::unique_ptr<HidConnection> connection;
};

struct HidSelector
{
    USHORT vendorId = 0;
    USHORT productId = 0;
};

// The ids named by a selector, or nothing when the text holds no "VID_xxxx&PID_xxxx".
std::optional<HidSelector> parseHidSelector(const QString &selector);

// Opens the first present interface whose ids match the selector and whose usage page is
// `usagePage` (0 accepts any usage page). Returns nullptr when there is none or when none of
// the matching interfaces can be opened.
std::unique_ptr<HidHandle> OpenHidDevice(USHORT usagePage, const QString &selector);

// Fetches input report buffer[0] (the caller presets byte 0 to the report id and zeroes the
// rest). On success buffer[0..length-1] holds the report's data bytes, status first, zero-padded,
// and the result is true. Fails (buffer unchanged) without a handle or buffer, for length < 1,
// when the transfer fails, or when the device answers with another report id or another length
// than the interface's input report length.
bool GetInputReport(HidHandle *handle, BYTE *buffer, int length);

// Whether an interface matching the selector is present (any usage page).
bool FindHidDevice(const QString &selector);
