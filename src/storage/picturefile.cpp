#include "storage/picturefile.h"

#include "storage/storagepaths.h"

#include <QBuffer>
#include <QDebug>
#include <QImageWriter>

namespace PictureFile {

bool save(int modelCode, int configNumber, const QImage &picture, AtomicFile::Failure *failure)
{
    const auto refuse = [failure](const QString &reason) {
        qDebug() << "PictureFile::save refused:" << reason;
        if (failure)
            *failure = {QString(), reason};
        return false;
    };
    if (configNumber < 1 || configNumber > 5)
        return refuse(QStringLiteral("no configuration %1").arg(configNumber));
    if (picture.isNull() || picture.size() != QSize(kWidth, kHeight))
        return refuse(QStringLiteral("the picture is not %1 x %2 pixels").arg(kWidth).arg(kHeight));

    // Encoded in memory first: the file is then replaced in one step, never half written.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(picture.convertToFormat(QImage::Format_RGB32)))
        return refuse(writer.errorString());
    return AtomicFile::write(StoragePaths::picturePath(modelCode, configNumber), bytes, failure);
}

} // namespace PictureFile
