#pragma once
// The usage-report collect endpoint of a self-hosted deployment: "POST /collect" with one
// form-encoded measurement-protocol hit as the body. Each accepted hit is appended as one line
// ("<received, ISO 8601 UTC> <body>") to "<data>/collect/hits.log". A body that is no hit
// (too long, not form-encoded, no "v=1" or no "tid") is answered 400; a hit that cannot be
// stored is answered 500, so the client keeps it and tries again later.

#include <QByteArray>
#include <QString>

struct HttpReply;

namespace Collect {
constexpr qint64 kMaxHit = 8 * 1024;
// The file the hits of dataDir go to.
QString hitsFile(const QString &dataDir);
HttpReply store(const QString &dataDir, const QByteArray &body);
} // namespace Collect
