#include "device/firmware/fwupdate.h"

#include "catalog/modelcatalog.h"
#include "common/pacer.h"
#include "device/watcher/producttable.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr USHORT kVendorUsagePage = 0xFF00;
constexpr int kRestartReportLength = 32;
constexpr BYTE kFalconReportId = 0xBA;
constexpr BYTE kRestartCommand = 0xA8;

void putLe32(QByteArray &b, int at, quint32 v)
{
    for (int k = 0; k < 4; ++k)
        b[at + k] = char((v >> (8 * k)) & 0xFF);
}

quint32 le32(const QByteArray &b, int at)
{
    quint32 v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | quint8(b.at(at + k));
    return v;
}

void log(const QString &text)
{
    qDebug().noquote() << text;
}
} // namespace

FwUpdate::FwUpdate(QObject *parent) : QObject(parent) {}

FwUpdate::~FwUpdate()
{
    closeHandles();
}

void FwUpdate::setSelectors(const QString &mouseSelector, const QString &bootSelector)
{
    m_mouseSelector = mouseSelector;
    m_bootSelector = bootSelector;
}

bool FwUpdate::selectorsForModel(int mouseType, QString *mouseSelector, QString *bootSelector)
{
    // This updater speaks the Falcon boot loader: the model's cable mouse is sent into it.
    const Catalog::Model *model = Catalog::find(mouseType);
    if (!model || model->bootLoader != Catalog::BootLoader::Falcon)
        return false;
    const USHORT vid = ProductTable::vendorId();
    if (mouseSelector)
        *mouseSelector = ProductTable::selector(vid, model->cableId);
    if (bootSelector)
        *bootSelector = ProductTable::selector(vid, ProductTable::kFalconBootProductId);
    return true;
}

void FwUpdate::trace(const QString &text) const
{
    if (m_verbose)
        log(text);
}

QByteArray FwUpdate::buildReport(quint32 command, quint32 number, const QByteArray &data)
{
    QByteArray report(kReportLength, '\0');
    putLe32(report, 1, command);
    putLe32(report, 5, number);
    const QByteArray payload = data.left(kPacketLength - 8);
    report.replace(9, payload.size(), payload);
    return report;
}

quint16 FwUpdate::packetChecksum(const QByteArray &report)
{
    quint16 sum = 0;
    for (int i = 1; i <= kPacketLength && i < report.size(); ++i)
        sum = quint16(sum + quint8(report.at(i)));
    return sum;
}

uint FwUpdate::transferPercent(int sent, int length)
{
    if (length <= 0 || sent <= 0)
        return 0;
    // Integer percentage first, then four fifths of it, truncated: the transfer covers 0..80.
    const qint64 whole = qint64(sent) * 100 / length;
    return uint(whole * 8 / 10);
}

FwUpdate::ImageCheck FwUpdate::readImageFile(const QString &path, Target target, QByteArray *image)
{
    // Hex files (".hex", ".HEX", ".ihex" ...) are text; written raw they would brick the mouse.
    const QFileInfo info(path);
    if (info.suffix().contains(QLatin1String("hex"), Qt::CaseInsensitive))
        return ImageCheck::HexFile;
    if (info.isDir())
        return ImageCheck::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ImageCheck::Unreadable;
    const qint64 room = target == Target::DataFlash ? kMaxDataFlashSize : kMaxImageSize;
    const qint64 size = file.size();
    if (size > room)
        return ImageCheck::TooBig;
    // Read one byte more than there is room for, so a file that grows meanwhile is caught.
    const QByteArray bytes = file.read(room + 1);
    if (bytes.size() > room)
        return ImageCheck::TooBig;
    if (bytes.size() < size)
        return ImageCheck::ShortRead;
    if (bytes.isEmpty())
        return ImageCheck::Empty;
    if (image)
        *image = bytes;
    return ImageCheck::Ok;
}

bool FwUpdate::enterUpdateMode()
{
    closeHandles();
    if (FindHidDevice(m_bootSelector)) {
        // Left in boot mode by an earlier attempt: no restart needed.
        log(QStringLiteral("EnterUpdateMode ") + m_bootSelector);
        m_boot = OpenHidDevice(0, m_bootSelector);
        return m_boot != nullptr;
    }
    if (!FindHidDevice(m_mouseSelector))
        return false;

    m_mouse = OpenHidDevice(kVendorUsagePage, m_mouseSelector);
    if (!m_mouse) {
        log(QStringLiteral("EnterUpdateMode: cannot open ") + m_mouseSelector);
        return false;
    }
    // Receiver-style framing: the command follows the report id, no link byte.
    QByteArray restart(kRestartReportLength, '\0');
    restart[0] = char(kFalconReportId);
    restart[1] = char(kRestartCommand);
    const int written = m_mouse->connection->writeOutputReport(restart);
    const QString error = m_mouse->connection->lastError();
    m_mouse.reset();
    if (written != kRestartReportLength) {
        // The request never reached the mouse: it will not restart, so there is nothing to wait for.
        log(QStringLiteral("WriteFile Failed, Error Code ") + error);
        return false;
    }
    Pacer::sleepMs(kRestartSettleMs);
    for (int i = 0; i < kBootPolls && !m_boot; ++i) {
        Pacer::sleepMs(kBootPollMs);
        m_boot = OpenHidDevice(0, m_bootSelector);
        log(QString::asprintf("m_hBoot = %llx", quint64(quintptr(m_boot.get()))));
    }
    return m_boot != nullptr;
}

void FwUpdate::closeHandles()
{
    m_boot.reset();
    m_mouse.reset();
}

bool FwUpdate::writeReport(const QByteArray &report)
{
    m_expectedChecksum = packetChecksum(report);
    trace(QString::asprintf("WriteFile: %08x %08x %08x, gcksum= %x", le32(report, 1),
                            le32(report, 5), le32(report, 9), unsigned(m_expectedChecksum)));
    if (!m_boot || !m_boot->connection)
        return false;
    const qint64 started = Pacer::nowMs();
    const int r = m_boot->connection->writeOutputReport(report);
    if (r != report.size()) {
        trace(QStringLiteral("Failed to write data,error code: ") + m_boot->connection->lastError());
        return false;
    }
    if (Pacer::nowMs() - started > kWriteTimeoutMs) {
        trace(QStringLiteral("Timeout[Write PENDING]"));
        return false;
    }
    return true;
}

bool FwUpdate::sendPacket(quint32 command, const QByteArray &data, QByteArray *sent)
{
    const QByteArray report = buildReport(command, m_packetNo, data);
    if (sent)
        *sent = report;
    const bool ok = writeReport(report);
    ++m_packetNo;
    return ok;
}

bool FwUpdate::readReply()
{
    m_lastError = NoError;
    if (!m_boot || !m_boot->connection)
        return false;
    const qint64 deadline = Pacer::nowMs() + kReplyTimeoutMs;
    for (;;) {
        const qint64 before = Pacer::nowMs();
        const qint64 remaining = deadline - before;
        if (remaining <= 0) {
            m_lastError = Timeout;
            trace(QStringLiteral("Timeout[Read]"));
            return false;
        }
        QByteArray reply;
        const int r = m_boot->connection->readInputReport(&reply, kReportLength, int(remaining));
        if (r < 0) {
            trace(QStringLiteral("Failed to read data,error code: ") + m_boot->connection->lastError());
            return false;
        }
        if (r == 0) {
            // Nothing in time. A backend that returns at once must not spin on a frozen clock.
            if (Pacer::nowMs() == before)
                Pacer::sleepMs(int(qMin<qint64>(remaining, 10)));
            continue;
        }
        if (r < kReportLength || reply.size() < kReportLength) {
            trace(QStringLiteral("Wrong size: %1").arg(r));
            ++m_packetNo;
            m_lastError = ShortReply;
            return false;
        }
        const quint16 checksum = quint16(quint8(reply.at(1)) | (quint8(reply.at(2)) << 8));
        const quint32 number = le32(reply, 5);
        trace(QString::asprintf("ReadFile: lcksum= %x curPacketNo= %x", unsigned(checksum), number));
        if (number != m_packetNo)
            continue; // an answer to an older packet: wait for ours
        ++m_packetNo;
        if (checksum != m_expectedChecksum) {
            trace(QString::asprintf("Checksum error: %x %x", unsigned(checksum),
                                    unsigned(m_expectedChecksum)));
            m_lastError = ChecksumMismatch;
            return false;
        }
        ++m_goodReplies;
        return true;
    }
}

bool FwUpdate::transferImage(const QByteArray &image, Target target)
{
    m_lastError = NoError;
    const int room = target == Target::DataFlash ? kMaxDataFlashSize : kMaxImageSize;
    if (!m_boot || image.isEmpty() || image.size() > room)
        return false;
    const int length = image.size();
    const quint32 start = target == Target::DataFlash ? kDataFlashStart : 0;

    m_packetNo = 1;
    QByteArray sync(4, '\0');
    putLe32(sync, 0, m_packetNo);
    if (!sendPacket(CmdSyncPacketNumber, sync) || !readReply()) {
        trace(QStringLiteral("Send sync packno cmd fail"));
        return false;
    }
    trace(QStringLiteral("Send sync packno cmd OK"));

    int sent = qMin(length, kFirstChunk);
    trace(QStringLiteral("Need to transfer  %1  bytes").arg(length));
    trace(QStringLiteral("Send index %1:  %2 bytes").arg(m_packetNo).arg(sent));
    QByteArray first(8, '\0');
    putLe32(first, 0, start);
    putLe32(first, 4, quint32(length));
    first += image.left(sent);
    const quint32 firstCommand =
        target == Target::DataFlash ? CmdUpdateDataFlash : CmdUpdateApplication;
    if (!sendPacket(firstCommand, first) || !readReply())
        return false;

    trace(QStringLiteral("Sending next packets..."));
    int resends = 0; // of the chunk at `sent`
    while (sent < length) {
        emit sigPercent(transferPercent(sent, length));
        const int chunk = qMin(length - sent, kNextChunk);
        const QByteArray data = image.mid(sent, chunk);
        if (!sendPacket(CmdContinuation, data))
            return false;
        if (readReply()) {
            sent += chunk;
            resends = 0;
            continue;
        }
        if (m_lastError != ShortReply && m_lastError != ChecksumMismatch)
            return false;
        if (++resends > kMaxResendsPerChunk) {
            trace(QStringLiteral("Resend limit reached"));
            return false;
        }
        trace(QStringLiteral("Resend this packet"));
        // FF tells the boot loader to drop the chunk it just stored; the chunk then goes out
        // again as a fresh continuation (sent stays where it was).
        if (!sendPacket(CmdResend, data) || !readReply())
            return false;
    }
    return true;
}

bool FwUpdate::loadImage(const QString &path, Target target, QByteArray *image) const
{
    const ImageCheck check = readImageFile(path, target, image);
    if (check == ImageCheck::Ok)
        return true;
    trace(check == ImageCheck::TooBig ? QStringLiteral("File size is too big")
                                      : QStringLiteral("Get file info fail"));
    return false;
}

bool FwUpdate::transferFile(const QString &path, Target target)
{
    QByteArray image;
    return loadImage(path, target, &image) && transferImage(image, target);
}

bool FwUpdate::runApplication()
{
    return sendPacket(CmdRun, QByteArray());
}

void FwUpdate::slotUpdate(const QString &path)
{
    // The file is checked before the mouse is touched: a refused file must not leave the mouse
    // waiting in its boot loader.
    QByteArray image;
    if (!loadImage(path, Target::ApplicationImage, &image)) {
        emit sigUpdateResult(false);
        log(QStringLiteral("update fw file failed"));
        return;
    }
    if (!enterUpdateMode()) {
        closeHandles();
        emit sigUpdateResult(false);
        log(QStringLiteral(" FW no enter updatemode "));
        return;
    }
    log(path);
    if (!transferImage(image, Target::ApplicationImage)) {
        closeHandles();
        emit sigUpdateResult(false);
        log(QStringLiteral("update fw file failed"));
        return;
    }
    log(QStringLiteral("update fw file ok"));
    // Without the run packet the mouse stays in its boot loader: that is no success.
    const bool ran = runApplication();
    closeHandles();
    if (!ran) {
        emit sigUpdateResult(false);
        log(QStringLiteral("update fw file failed"));
        return;
    }
    Pacer::sleepMs(kRunSettleMs);
    for (uint percent = 80; percent <= 100; percent += 5) {
        emit sigPercent(percent);
        Pacer::sleepMs(kFinalStepMs);
    }
    emit sigUpdateResult(true);
}
