// pubart <outdir>: draws the library's own resources and writes pub.qrc
// listing them under the prefix /pub.
// pubart --icons <outdir> <name>...: draws the desktop icons, one set per name.

#include "Generator.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

namespace pubart {

bool SaveBytes(const QByteArray& bytes, const QDir& out, const QString& relativePath) {
    const QString path = out.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile existing(path);
    // Leave unchanged files alone so the resource compiler has nothing to redo.
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
        return true;
    existing.close();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

bool SaveImage(const QImage& image, const QDir& out, const QString& relativePath) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    return SaveBytes(bytes, out, relativePath);
}

} // namespace pubart

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("--icons")) {
        const QDir out(args.at(2));
        if (pubart::WriteDesktopIcons(out, args.mid(3)))
            return 0;
        std::fprintf(stderr, "pubart: could not write the icons\n");
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: pubart <outdir> | pubart --icons <outdir> <name>...\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    bool ok = pubart::WriteProgramIcon(out);
    ok = pubart::WriteStarIcons(out) && ok;
    ok = pubart::WriteSuitIcons(out) && ok;
    ok = pubart::WriteBackgrounds(out) && ok;
    ok = pubart::WriteTableRegions(out) && ok;
    ok = pubart::WriteSounds(out) && ok;
    if (!ok) {
        std::fprintf(stderr, "pubart: could not write the resources\n");
        return 1;
    }

    QByteArray qrc = "<RCC>\n  <qresource prefix=\"/pub\">\n";
    QStringList files;
    for (QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString rel = out.relativeFilePath(it.next());
        if (rel.contains(QLatin1Char('/')))
            files << rel;
    }
    files.sort();
    for (const QString& f : files)
        qrc += "    <file>" + f.toUtf8() + "</file>\n";
    qrc += "  </qresource>\n</RCC>\n";
    return pubart::SaveBytes(qrc, out, QStringLiteral("pub.qrc")) ? 0 : 1;
}
