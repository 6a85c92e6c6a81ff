// SPDX-License-Identifier: GPL-3.0-or-later
// ico_to_png: writes one PNG of a given size from an .ico file, for the icon theme. The
// image of exactly that size is taken when the file has one; otherwise the largest image whose
// size divides it is enlarged pixel for pixel, so that the 16-colour drawings stay sharp.
// Usage: ico_to_png <in.ico> <size> <out.png>
#include <cstdio>

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // image plugins (.ico) load through the application
    if (argc != 4) {
        std::fprintf(stderr, "usage: ico_to_png <in.ico> <size> <out.png>\n");
        return 2;
    }
    const int size = QByteArray(argv[2]).toInt();
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    QImage best;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.isNull() || image.width() != image.height()) continue;
        if (image.width() == size) {
            best = image;
            break;
        }
        if (size % image.width() == 0 && image.width() > best.width()) best = image;
    }
    if (best.isNull()) {
        std::fprintf(stderr, "ico_to_png: no image of %s fits %d pixels\n", argv[1], size);
        return 1;
    }
    const QImage out = best.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return out.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
}
