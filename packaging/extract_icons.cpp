// Writes the application icon's images as PNG files for the desktop's icon
// theme (share/icons/hicolor/<size>x<size>/apps/<name>.png). The images come
// out of the bundle's Windows icon, so the menu shows exactly the icon the
// window carries.
//
//   tarvex-extract-icons ICON.ico OUTPUT_DIR NAME SIZE...

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (args.size() < 5) {
        err << "usage: tarvex-extract-icons ICON.ico OUTPUT_DIR NAME SIZE...\n";
        return 2;
    }

    QImageReader reader(args.at(1));
    QMap<int, QImage> images;
    do {
        QImage image = reader.read();
        if (image.isNull())
            break;
        if (image.width() == image.height())
            images.insert(image.width(), image);
    } while (reader.jumpToNextImage());
    if (images.isEmpty()) {
        err << "tarvex-extract-icons: cannot read " << args.at(1) << ": " << reader.errorString() << '\n';
        return 1;
    }

    for (int i = 4; i < args.size(); ++i) {
        const int size = args.at(i).toInt();
        if (!images.contains(size)) {
            err << "tarvex-extract-icons: " << args.at(1) << " has no " << size << " px image\n";
            return 1;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        QDir().mkpath(dir);
        QSaveFile file(dir + QLatin1Char('/') + args.at(3) + QStringLiteral(".png"));
        if (!file.open(QIODevice::WriteOnly) ||
            !images.value(size).convertToFormat(QImage::Format_ARGB32).save(&file, "PNG") || !file.commit()) {
            err << "tarvex-extract-icons: cannot write " << file.fileName() << ": " << file.errorString() << '\n';
            return 1;
        }
    }
    return 0;
}
