// Draws the program's SVG icon at the given sizes, at build time, as bare
// premultiplied ARGB pixels (native byte order): the program shows them
// without any image reader, which would load every image format plugin.
// Usage: rendericon ICON.svg OUTPUT_FOLDER SIDE...
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: rendericon ICON.svg OUTPUT_FOLDER SIDE...\n");
        return 2;
    }
    const QDir output(args.at(2));
    for (const QString& side : args.mid(3)) {
        QImageReader reader(args.at(1));
        reader.setScaledSize(QSize(side.toInt(), side.toInt()));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QFile file(output.filePath(QStringLiteral("duvavazoruzevaz-%1.argb").arg(side)));
        if (image.isNull() || !file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) != image.sizeInBytes()) {
            std::fprintf(stderr, "rendericon: %s: %s\n", qPrintable(file.fileName()), qPrintable(reader.errorString()));
            return 1;
        }
    }
    return 0;
}
