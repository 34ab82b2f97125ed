#include "multipart.h"

namespace Multipart {

namespace {

// The value of parameter key in a header value such as `form-data; name="file"`.
QByteArray parameter(const QByteArray &value, const QByteArray &key)
{
    const QList<QByteArray> items = value.split(';');
    for (const QByteArray &raw : items) {
        const QByteArray item = raw.trimmed();
        const int eq = item.indexOf('=');
        if (eq <= 0 || item.left(eq).trimmed().toLower() != key)
            continue;
        QByteArray v = item.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
            v = v.mid(1, v.size() - 2);
        return v;
    }
    return QByteArray();
}

} // namespace

std::optional<QByteArray> boundaryOf(const QByteArray &contentType)
{
    if (!contentType.trimmed().toLower().startsWith("multipart/form-data"))
        return std::nullopt;
    const QByteArray b = parameter(contentType, "boundary");
    // A boundary is 1 to 70 characters (RFC 2046).
    if (b.isEmpty() || b.size() > 70)
        return std::nullopt;
    return b;
}

std::optional<QList<Part>> parse(const QByteArray &body, const QByteArray &boundary, int maxParts)
{
    const QByteArray delimiter = "--" + boundary;
    const QByteArray inner = "\r\n" + delimiter;
    QList<Part> parts;

    int pos = body.indexOf(delimiter);
    // Only a preamble may come before the first delimiter; the first one starts a line.
    if (pos < 0 || (pos > 0 && body.mid(pos - 2, 2) != "\r\n"))
        return std::nullopt;
    pos += delimiter.size();
    for (;;) {
        if (body.mid(pos, 2) == "--")
            return parts; // closing delimiter
        if (body.mid(pos, 2) != "\r\n")
            return std::nullopt;
        pos += 2;
        const int headerEnd = body.indexOf("\r\n\r\n", pos);
        const int next = body.indexOf(inner, pos);
        if (next < 0)
            return std::nullopt;
        Part part;
        int bodyStart;
        if (body.mid(pos, 2) == "\r\n") {
            bodyStart = pos + 2; // a part without headers
        } else {
            if (headerEnd < 0 || headerEnd > next)
                return std::nullopt;
            const QList<QByteArray> lines = body.mid(pos, headerEnd - pos).split('\n');
            for (QByteArray line : lines) {
                line = line.trimmed();
                const int colon = line.indexOf(':');
                if (colon <= 0)
                    return std::nullopt;
                part.headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
            }
            bodyStart = headerEnd + 4;
        }
        if (bodyStart > next)
            return std::nullopt;
        part.body = body.mid(bodyStart, next - bodyStart);
        const QByteArray disposition = part.headers.value("content-disposition");
        part.name = parameter(disposition, "name");
        part.filename = parameter(disposition, "filename");
        parts.append(part);
        if (parts.size() > maxParts)
            return std::nullopt;
        pos = next + inner.size();
    }
}

} // namespace Multipart
