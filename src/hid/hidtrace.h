#pragma once
// The HID traffic trace. When the environment variable QKDRIVER_HID_TRACE names a file, every
// report written to or read from any HID connection (real devices included, so a user can
// attach the trace to a bug report) is appended to it as one JSON object per line:
//
//   {"time":"2024-05-01T10:00:00.123Z","clock_ms":1234,"dir":"out","path":"/dev/hidraw3",
//    "kind":"output","bytes":"baff0a...","result":32}
//
// time is UTC wall time, clock_ms the pacing clock (virtual time under the emulators), dir
// "out" or "in", kind "output", "input" or "feature", bytes the report in lower-case hex
// (report id first), result what the transfer returned (bytes moved, -1 for a failure).

#include <QByteArray>
#include <QString>

namespace HidTrace {
// The trace file named by QKDRIVER_HID_TRACE, or an empty string when tracing is off.
QString fileName();

// Appends one line to `file`. Thread-safe. Returns false when the file cannot be written
// (the line is dropped; tracing never disturbs the traffic itself).
bool append(const QString &file, const QString &direction, const QString &path,
            const QString &kind, const QByteArray &bytes, int result);
} // namespace HidTrace
