#include "hid/hidapiconnection.h"

#include <hidapi/hidapi.h>

HidapiConnection::HidapiConnection(hid_device *device, const QString &path, bool numberedInput)
    : m_device(device), m_path(path), m_numberedInput(numberedInput)
{
}

HidapiConnection::~HidapiConnection()
{
    if (m_device)
        hid_close(m_device);
}

int HidapiConnection::finish(int result)
{
    if (result < 0) {
        const wchar_t *e = hid_error(m_device);
        m_lastError = e ? QString::fromWCharArray(e) : QStringLiteral("unknown error");
        return -1;
    }
    m_lastError.clear();
    return result;
}

int HidapiConnection::writeOutputReport(const QByteArray &report)
{
    if (report.isEmpty())
        return -1;
    return finish(hid_write(m_device, reinterpret_cast<const unsigned char *>(report.constData()),
                            size_t(report.size())));
}

int HidapiConnection::readInputReport(QByteArray *report, int maxLength, int timeoutMs)
{
    if (maxLength <= 0)
        return -1;
    // Unnumbered: read after a leading 0 that stands for the report id.
    const int skip = m_numberedInput ? 0 : 1;
    if (maxLength <= skip)
        return -1;
    QByteArray buf(maxLength, '\0');
    int r = finish(hid_read_timeout(m_device, reinterpret_cast<unsigned char *>(buf.data()) + skip,
                                    size_t(maxLength - skip), timeoutMs));
    if (r > 0)
        r += skip;
    if (report)
        *report = r > 0 ? buf.left(r) : QByteArray();
    return r;
}

int HidapiConnection::getInputReport(BYTE reportId, int length, QByteArray *report)
{
    if (length <= 0)
        return -1;
    QByteArray buf(length, '\0');
    buf[0] = char(reportId);
    const int r = finish(hid_get_input_report(
        m_device, reinterpret_cast<unsigned char *>(buf.data()), size_t(length)));
    if (report)
        *report = r >= 0 ? buf.left(r) : QByteArray();
    return r;
}

int HidapiConnection::setFeatureReport(const QByteArray &report)
{
    if (report.isEmpty())
        return -1;
    return finish(hid_send_feature_report(
        m_device, reinterpret_cast<const unsigned char *>(report.constData()),
        size_t(report.size())));
}

int HidapiConnection::getFeatureReport(BYTE reportId, int length, QByteArray *report)
{
    if (length <= 0)
        return -1;
    QByteArray buf(length, '\0');
    buf[0] = char(reportId);
    const int r = finish(hid_get_feature_report(
        m_device, reinterpret_cast<unsigned char *>(buf.data()), size_t(length)));
    if (report)
        *report = r >= 0 ? buf.left(r) : QByteArray();
    return r;
}
