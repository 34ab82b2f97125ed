// qkart: renders the program's SVG artwork to the PNG resources at build time.
//
//   qkart <art folder> <output folder>
//
// The art folder holds the SVG sources and "art.list". Each line of the list names one image:
//
//   <resource path> <svg file> <width>x<height> [KEY=value ...]
//
// The SVG text gets every "{{KEY}}" replaced by its value (W and H are the image size), so one
// drawing serves all variants that differ only in colour or level; IW and IH are the size less
// 1.5 (a 1.5 px outline on the half-pixel grid). An underscore in a value stands for a space. A value "@hue-wedges:N"
// becomes N path wedges of a full hue circle (the colour wheel). Each image is written at 1x and
// as "<name>@2x.png" at twice the size, and "qkart.qrc" lists them under the resource paths.
// Blank lines and lines starting with '#' are ignored. Any error ends the run with status 1.
//
//   qkart --icons <svg file> <output folder> <icon name> <size>...
//
// renders one drawing as the desktop's application icon, one square PNG per size, at
// "<output folder>/hicolor/<size>x<size>/apps/<icon name>.png" (the icon theme's layout).

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSvgRenderer>
#include <QTextStream>
#include <QtMath>
#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "qkart: %s\n", qPrintable(message));
    return 1;
}

QString hueWedges(int count)
{
    // Wedges around (0,0) of radius 1, drawn slightly wider than their share so no seam shows.
    QString out;
    const double step = 2 * M_PI / count;
    for (int i = 0; i < count; ++i) {
        const double a0 = i * step - step * 0.6;
        const double a1 = (i + 1) * step + step * 0.1;
        const QColor c = QColor::fromHsvF(double(i) / count, 1.0, 1.0);
        out += QStringLiteral("<path d=\"M0,0 L%1,%2 L%3,%4 Z\" fill=\"%5\"/>\n")
                   .arg(std::cos(a0), 0, 'f', 4).arg(std::sin(a0), 0, 'f', 4)
                   .arg(std::cos(a1), 0, 'f', 4).arg(std::sin(a1), 0, 'f', 4)
                   .arg(c.name());
    }
    return out;
}

bool render(const QByteArray &svg, const QSize &size, const QString &file)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return false;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    return image.save(file, "PNG");
}

QString xmlEscaped(const QString &text) { return text.toHtmlEscaped(); }

int renderIcons(const QStringList &args)
{
    if (args.size() < 4)
        return fail(QStringLiteral("usage: qkart --icons <svg file> <output folder> <icon name> <size>..."));
    QFile svgFile(args.at(0));
    if (!svgFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(svgFile.fileName()));
    const QByteArray svg = svgFile.readAll();
    for (int i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size < 8 || size > 1024)
            return fail(QStringLiteral("bad icon size %1").arg(args.at(i)));
        const QString file = QStringLiteral("%1/hicolor/%2x%2/apps/%3.png").arg(args.at(1)).arg(size).arg(args.at(2));
        if (!render(svg, QSize(size, size), file))
            return fail(QStringLiteral("cannot render %1 at %2 px").arg(args.at(0)).arg(size));
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // Text in the drawings needs fonts, hence a GUI application; no screen is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args.at(1) == QLatin1String("--icons"))
        return renderIcons(args.mid(2));
    if (args.size() != 3)
        return fail(QStringLiteral("usage: qkart <art folder> <output folder>"));
    const QDir artDir(args.at(1));
    const QDir outDir(args.at(2));

    QFile list(artDir.filePath(QStringLiteral("art.list")));
    if (!list.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1").arg(list.fileName()));

    QMap<QString, QStringList> byPrefix; // "/picture" -> alias=file lines
    QSet<QString> seen;
    int lineNumber = 0;
    const QRegularExpression sizePattern(QStringLiteral("^(\\d+)x(\\d+)$"));
    const QRegularExpression leftOver(QStringLiteral("\\{\\{[A-Z0-9_]+\\}\\}"));
    QTextStream in(&list);
    while (!in.atEnd()) {
        ++lineNumber;
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("art.list:%1: ").arg(lineNumber);
        // The resource path may contain a space ("macro_icon_top copy.png"): it is quoted then.
        QString path;
        QString rest;
        if (line.startsWith(QLatin1Char('"'))) {
            const int end = line.indexOf(QLatin1Char('"'), 1);
            if (end < 0)
                return fail(where + QStringLiteral("unterminated quote"));
            path = line.mid(1, end - 1);
            rest = line.mid(end + 1);
        } else {
            const int space = line.indexOf(QLatin1Char(' '));
            path = line.left(space);
            rest = space < 0 ? QString() : line.mid(space);
        }
        const QStringList fields = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 2)
            return fail(where + QStringLiteral("expected <path> <svg> <size> [KEY=value...]"));
        if (!path.startsWith(QLatin1String(":/")) || !path.endsWith(QLatin1String(".png")))
            return fail(where + QStringLiteral("resource path must be \":/...png\""));
        if (seen.contains(path))
            return fail(where + QStringLiteral("%1 listed twice").arg(path));
        seen.insert(path);
        const auto sizeMatch = sizePattern.match(fields.at(1));
        if (!sizeMatch.hasMatch())
            return fail(where + QStringLiteral("size must be <width>x<height>"));
        const QSize size(sizeMatch.captured(1).toInt(), sizeMatch.captured(2).toInt());

        QFile svgFile(artDir.filePath(fields.at(0)));
        if (!svgFile.open(QIODevice::ReadOnly))
            return fail(where + QStringLiteral("cannot read %1").arg(svgFile.fileName()));
        QString svg = QString::fromUtf8(svgFile.readAll());
        svg.replace(QStringLiteral("{{W}}"), QString::number(size.width()));
        svg.replace(QStringLiteral("{{H}}"), QString::number(size.height()));
        // Inner size for a 1.5 px outline drawn on the half-pixel grid.
        svg.replace(QStringLiteral("{{IW}}"), QString::number(size.width() - 1.5));
        svg.replace(QStringLiteral("{{IH}}"), QString::number(size.height() - 1.5));
        for (int i = 2; i < fields.size(); ++i) {
            const int eq = fields.at(i).indexOf(QLatin1Char('='));
            if (eq <= 0)
                return fail(where + QStringLiteral("bad parameter %1").arg(fields.at(i)));
            const QString key = fields.at(i).left(eq);
            QString value = fields.at(i).mid(eq + 1).replace(QLatin1Char('_'), QLatin1Char(' '));
            if (value.startsWith(QLatin1String("@hue-wedges:")))
                value = hueWedges(value.mid(12).toInt());
            svg.replace(QStringLiteral("{{%1}}").arg(key), value);
        }
        const auto missing = leftOver.match(svg);
        if (missing.hasMatch())
            return fail(where + QStringLiteral("no value for %1").arg(missing.captured(0)));

        // ":/picture/picture/x.png" -> prefix "/picture", alias "picture/x.png".
        const QString inside = path.mid(2);
        const int slash = inside.indexOf(QLatin1Char('/'));
        const QString prefix = QLatin1Char('/') + inside.left(slash);
        const QString alias = inside.mid(slash + 1);
        const QString base = inside.left(inside.size() - 4);
        const QString file1 = outDir.filePath(QStringLiteral("png/") + inside);
        const QString file2 = outDir.filePath(QStringLiteral("png/") + base + QStringLiteral("@2x.png"));
        if (!render(svg.toUtf8(), size, file1) || !render(svg.toUtf8(), size * 2, file2))
            return fail(where + QStringLiteral("cannot render %1").arg(fields.at(0)));
        const QString aliasBase = alias.left(alias.size() - 4);
        byPrefix[prefix] << QStringLiteral("    <file alias=\"%1\">%2</file>")
                                .arg(xmlEscaped(alias), xmlEscaped(file1));
        byPrefix[prefix] << QStringLiteral("    <file alias=\"%1@2x.png\">%2</file>")
                                .arg(xmlEscaped(aliasBase), xmlEscaped(file2));
    }

    QString qrc = QStringLiteral("<!DOCTYPE RCC><RCC version=\"1.0\">\n");
    for (auto it = byPrefix.cbegin(); it != byPrefix.cend(); ++it)
        qrc += QStringLiteral("<qresource prefix=\"%1\">\n%2\n</qresource>\n")
                   .arg(it.key(), it.value().join(QLatin1Char('\n')));
    qrc += QStringLiteral("</RCC>\n");
    QSaveFile out(outDir.filePath(QStringLiteral("qkart.qrc")));
    if (!out.open(QIODevice::WriteOnly) || out.write(qrc.toUtf8()) < 0 || !out.commit())
        return fail(QStringLiteral("cannot write %1").arg(out.fileName()));
    return 0;
}
