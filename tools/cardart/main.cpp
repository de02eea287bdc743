// Renders the card pictures for the DeckArt bundle.
// Usage: cardart <outdir>
// Writes <outdir>/bitmap/<n>.png and <n>@2x.png for every picture, the DeckArt.qrc
// listing them, and preview.png with all pictures side by side.

#include "BackRenderer.h"
#include "CardCanvas.h"
#include "FaceRenderer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int suitCount = 4;
constexpr int faceCards = suitCount * FaceRenderer::faceCount;
constexpr int pictureCount = faceCards + BackRenderer::count;

// Picture n: 1..36 are the faces ordered by suit then rank, the rest are backs.
QImage render(int n, int scale) {
    QImage image(CardCanvas::width * scale, CardCanvas::height * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.scale(scale, scale);
    if (n <= faceCards)
        FaceRenderer::paint(p, static_cast<Suit>((n - 1) / FaceRenderer::faceCount + 1),
                            (n - 1) % FaceRenderer::faceCount + 1);
    else
        BackRenderer::paint(p, n - faceCards - 1);
    return image;
}

QString fileName(int n, int scale) {
    return scale == 1 ? QStringLiteral("bitmap/%1.png").arg(n)
                      : QStringLiteral("bitmap/%1@%2x.png").arg(n).arg(scale);
}

bool writeQrc(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/\">\n";
    for (int n = 1; n <= pictureCount; ++n)
        for (int scale : {1, 2})
            out << "    <file>" << fileName(n, scale) << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    out.flush();
    return file.error() == QFileDevice::NoError;
}

// All pictures on a felt-green table, to eyeball the set at once.
QImage preview(const QList<QImage>& pictures) {
    const int columns = FaceRenderer::faceCount;
    const int rows = (int(pictures.size()) + columns - 1) / columns;
    const int gap = 6;
    QImage sheet(gap + columns * (CardCanvas::width + gap), gap + rows * (CardCanvas::height + gap),
                 QImage::Format_RGB32);
    sheet.fill(QColor(0x1f, 0x6b, 0x3a));
    QPainter p(&sheet);
    for (int i = 0; i < pictures.size(); ++i)
        p.drawImage(gap + (i % columns) * (CardCanvas::width + gap),
                    gap + (i / columns) * (CardCanvas::height + gap), pictures[i]);
    return sheet;
}

bool save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cardart: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    // Fonts need a GUI application, but this runs during the build without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: cardart <outdir>\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!out.mkpath(QStringLiteral("bitmap"))) {
        std::fprintf(stderr, "cardart: cannot create %s/bitmap\n", qPrintable(out.path()));
        return 1;
    }

    QList<QImage> small;
    for (int n = 1; n <= pictureCount; ++n) {
        for (int scale : {1, 2}) {
            const QImage image = render(n, scale);
            if (!save(image, out.filePath(fileName(n, scale))))
                return 1;
            if (scale == 1)
                small.append(image);
        }
    }
    if (!save(preview(small), out.filePath(QStringLiteral("preview.png"))))
        return 1;
    if (!writeQrc(out.filePath(QStringLiteral("DeckArt.qrc")))) {
        std::fprintf(stderr, "cardart: cannot write DeckArt.qrc\n");
        return 1;
    }
    return 0;
}
