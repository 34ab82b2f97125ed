#pragma once
// A multipart/form-data body split into its parts. Each part keeps its own headers: the
// program sends its token as an "Authorization" header of the file part, not of the request.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <optional>

namespace Multipart {

struct Part
{
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray name;                      // from Content-Disposition
    QByteArray filename;                  // from Content-Disposition, may be empty
    QByteArray body;
};

// The boundary of a "multipart/form-data; boundary=..." content type, or nothing.
std::optional<QByteArray> boundaryOf(const QByteArray &contentType);

// The parts of body, or nothing when the body does not follow the multipart layout (no
// opening or closing delimiter, a part without the blank line after its headers, a header line
// without a colon, more than maxParts parts).
std::optional<QList<Part>> parse(const QByteArray &body, const QByteArray &boundary,
                                 int maxParts = 16);

} // namespace Multipart
