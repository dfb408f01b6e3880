// apxc: draws SVG picture sources into ".apx" picture files.
//
//   apxc --sources DIR --output DIR   every DIR/**/*.svg becomes OUT/**/*.apx
//   apxc IN.svg OUT.apx               one picture
//
// Each source is drawn through the metafile recorder at the size of its view
// box (one unit a pixel), so text becomes glyph outlines here and the
// pictures need no fonts to draw. A metafile of 256 bytes or fewer would draw
// nothing, so such a metafile is padded with a comment.
#include "ForwardingDevice.h"
#include "platform/Archive.h"
#include "platform/emf/EmfRecorder.h"
#include "uikit/CKwEMF.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

using namespace toliva;

namespace {

constexpr char kPadTag[] = "TolivaPad";

void fail(const QString& text) { std::fprintf(stderr, "apxc: %s\n", text.toUtf8().constData()); }

// The enhanced metafile of one source; empty with a message when it cannot be drawn.
QByteArray drawSource(const QString& svgPath, QSizeF* size) {
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid()) {
        fail(QStringLiteral("%1: not a readable SVG file").arg(svgPath));
        return {};
    }
    QRectF box = renderer.viewBoxF();
    if (box.isEmpty()) box = QRectF(QPointF(0, 0), renderer.defaultSize());
    if (box.isEmpty()) {
        fail(QStringLiteral("%1: no view box and no size").arg(svgPath));
        return {};
    }
    *size = box.size();

    emf::EmfRecorder recorder(box.size());
    {
        QPainter out(&recorder);
        ForwardingDevice forward(&out);
        QPainter painter(&forward);
        renderer.render(&painter, QRectF(QPointF(0, 0), box.size()));
    }
    QByteArray bytes = recorder.toEmf();
    if (bytes.size() <= CKwEMF::kMinDrawableBytes) {
        QByteArray pad(kPadTag);
        pad.append(QByteArray(CKwEMF::kMinDrawableBytes - bytes.size() + 1, '\0'));
        recorder.addComment(pad);
        bytes = recorder.toEmf();
    }
    return bytes;
}

bool writePicture(const QByteArray& metafile, const QSizeF& size, const QString& outPath) {
    CKwEMF picture;
    picture.metafile = metafile;
    picture.byteCount = int(metafile.size());
    picture.scale = 1.0f;
    picture.width = float(size.width());
    picture.height = float(size.height());
    try {
        QDir().mkpath(QFileInfo(outPath).absolutePath());
        Archive ar = Archive::openFile(outPath, Archive::Store);
        ar.writeI32(0);  // no fields
        picture.SerializeMetafile(ar);
        ar.close();
    } catch (const std::exception&) {
        fail(QStringLiteral("%1: cannot write").arg(outPath));
        return false;
    }
    // What was written must read back as a picture that draws.
    CKwEMF check;
    if (!check.LoadFile(outPath) || !check.IsDrawable()) {
        fail(QStringLiteral("%1: written picture does not read back").arg(outPath));
        return false;
    }
    return true;
}

bool convert(const QString& svgPath, const QString& outPath) {
    QSizeF size;
    const QByteArray metafile = drawSource(svgPath, &size);
    return !metafile.isEmpty() && writePicture(metafile, size, outPath);
}

int usage() {
    fail(QStringLiteral("usage: apxc --sources DIR --output DIR | apxc IN.svg OUT.apx"));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() == 4 && args[0] == QLatin1String("--sources") && args[2] == QLatin1String("--output")) {
        const QDir sources(args[1]);
        if (!sources.exists()) {
            fail(QStringLiteral("%1: no such folder").arg(args[1]));
            return 1;
        }
        QStringList files;
        QDirIterator it(sources.path(), {QStringLiteral("*.svg")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        files.sort();
        int written = 0;
        for (const QString& svg : files) {
            QString rel = sources.relativeFilePath(svg);
            rel.chop(4);
            if (!convert(svg, QDir(args[3]).filePath(rel + QStringLiteral(".apx")))) return 1;
            ++written;
        }
        std::printf("apxc: %d pictures written to %s\n", written, args[3].toUtf8().constData());
        return 0;
    }
    if (args.size() == 2 && !args[0].startsWith(QLatin1String("--"))) return convert(args[0], args[1]) ? 0 : 1;
    return usage();
}
