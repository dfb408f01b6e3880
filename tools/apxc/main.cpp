// apxc: draws SVG picture sources into ".apx" picture files.
//
//   apxc --sources DIR --output DIR   every DIR/**/*.svg becomes OUT/**/*.apx
//   apxc IN.svg OUT.apx               one picture
//   apxc --grey IN.svg OUT.apx        one picture in grey
//
// With --sources, every tool-bar description "*.xml" in DIR names its
// buttons' pictures ("icon" attributes, folders with '\\'); each of them
// that has no hand-drawn "<icon>_gray.svg" also gets "<icon>_gray.apx": the
// same drawing with every colour turned to a light grey of its brightness
// (white stays white), the picture of a disabled button.
//
// Each source is drawn through the metafile recorder at the size of its view
// box (one unit a pixel), so text becomes glyph outlines here and the
// pictures need no fonts to draw. A metafile of 256 bytes or fewer would draw
// nothing, so such a metafile is padded with a comment.
//
// A page of the property grid marks its value places with rectangles that
// carry data-field="item kind type" (drawn with fill="none"); each becomes a
// field record in document order, in view-box units, and the view box
// becomes the page bounds. Field rectangles take no transform.
#include "ForwardingDevice.h"
#include "platform/Archive.h"
#include "platform/emf/EmfRecorder.h"
#include "uikit/CKwEMF.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cstdio>
#include <vector>

using namespace toliva;

namespace {

constexpr char kPadTag[] = "TolivaPad";

void fail(const QString& text) { std::fprintf(stderr, "apxc: %s\n", text.toUtf8().constData()); }

// The enhanced metafile of one source; empty with a message when it cannot be drawn.
// The disabled look of a colour: its brightness, pulled towards white.
QColor greyed(const QColor& c) {
    const double luminance = 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue();
    const int v = qBound(0, int(255.0 - (255.0 - luminance) * 0.6 + 0.5), 255);
    return QColor(v, v, v, c.alpha());
}

QByteArray drawSource(const QString& svgPath, QSizeF* size, QRectF* viewBox, const ColourMap& map) {
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
    *viewBox = box;

    emf::EmfRecorder recorder(box.size());
    {
        QPainter out(&recorder);
        ForwardingDevice forward(&out, map);
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

// The field rectangles of a source, in document order; false with a message
// when one of them cannot be read.
bool readFields(const QString& svgPath, std::vector<PictureField>* fields) {
    QFile file(svgPath);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("%1: cannot read").arg(svgPath));
        return false;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (!a.hasAttribute(QLatin1String("data-field"))) continue;
        const QStringList parts = a.value(QLatin1String("data-field")).toString().simplified().split(u' ');
        bool ok = parts.size() == 3;
        int numbers[3] = {};
        for (int i = 0; ok && i < 3; ++i) numbers[i] = parts[i].toInt(&ok);
        float box[4] = {};
        const char* names[4] = {"x", "y", "width", "height"};
        for (int i = 0; ok && i < 4; ++i) box[i] = a.value(QLatin1String(names[i])).toFloat(&ok);
        if (!ok || xml.name() != QLatin1String("rect") || a.hasAttribute(QLatin1String("transform"))) {
            fail(QStringLiteral("%1:%2: a field is a rect with data-field=\"item kind type\", x, y, width and height")
                     .arg(svgPath)
                     .arg(xml.lineNumber()));
            return false;
        }
        PictureField f;
        f.item = numbers[0];
        f.kind = numbers[1];
        f.type = numbers[2];
        f.x = box[0];
        f.y = box[1];
        f.x2 = box[0] + box[2];
        f.y2 = box[1] + box[3];
        fields->push_back(f);
    }
    if (xml.hasError()) {
        fail(QStringLiteral("%1: %2").arg(svgPath, xml.errorString()));
        return false;
    }
    return true;
}

bool writePicture(const QByteArray& metafile, const QSizeF& size, const QString& outPath,
                  const std::vector<PictureField>& fields, const QRectF& bounds) {
    CKwEMF picture;
    picture.metafile = metafile;
    picture.byteCount = int(metafile.size());
    picture.scale = 1.0f;
    picture.width = float(size.width());
    picture.height = float(size.height());
    try {
        QDir().mkpath(QFileInfo(outPath).absolutePath());
        Archive ar = Archive::openFile(outPath, Archive::Store);
        ar.writeI32(int32_t(fields.size()));
        if (!fields.empty()) {
            ar.writeF32(float(bounds.x()));
            ar.writeF32(float(bounds.y()));
            ar.writeF32(float(bounds.width()));
            ar.writeF32(float(bounds.height()));
            for (const PictureField& f : fields) {
                ar.writeI32(f.item);
                ar.writeI32(f.kind);
                ar.writeI32(f.type);
                ar.writeF32(f.x);
                ar.writeF32(f.y);
                ar.writeF32(f.x2);
                ar.writeF32(f.y2);
            }
        }
        picture.SerializeMetafile(ar);
        ar.close();
    } catch (const std::exception& e) {
        fail(QStringLiteral("%1: cannot write: %2").arg(outPath, QString::fromUtf8(e.what())));
        return false;
    }
    // What was written must read back as a picture that draws.
    CKwEMF check;
    if (!check.LoadFile(outPath) || !check.IsDrawable() || check.FieldCount() != int(fields.size())) {
        fail(QStringLiteral("%1: written picture does not read back").arg(outPath));
        return false;
    }
    return true;
}

bool convert(const QString& svgPath, const QString& outPath, const ColourMap& map = {}) {
    QSizeF size;
    QRectF viewBox;
    std::vector<PictureField> fields;
    const QByteArray metafile = drawSource(svgPath, &size, &viewBox, map);
    return !metafile.isEmpty() && readFields(svgPath, &fields) &&
           writePicture(metafile, size, outPath, fields, viewBox);
}

int usage() {
    fail(QStringLiteral("usage: apxc --sources DIR --output DIR | apxc [--grey] IN.svg OUT.apx"));
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
        // The grey pictures of the tool bars' buttons.
        QStringList icons;
        for (const QFileInfo& xml : sources.entryInfoList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name)) {
            QFile file(xml.filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                fail(QStringLiteral("%1: cannot read").arg(xml.filePath()));
                return 1;
            }
            // A description holds several top-level elements, which an XML
            // reader refuses: the attributes are picked from the text.
            static const QRegularExpression attribute(QStringLiteral("\\bicon\\s*=\\s*\"([^\"]*)\""));
            const QString text = QString::fromUtf8(file.readAll());
            for (auto it = attribute.globalMatch(text); it.hasNext();) {
                QString icon = it.next().captured(1);
                icon.replace(QLatin1Char('\\'), QLatin1Char('/'));
                if (!icon.isEmpty() && !icons.contains(icon)) icons << icon;
            }
        }
        for (const QString& icon : icons) {
            const QString svg = sources.filePath(icon + QStringLiteral(".svg"));
            if (!QFileInfo(svg).isFile()) {
                fail(QStringLiteral("%1: a description names it but there is no such picture source").arg(svg));
                return 1;
            }
            if (QFileInfo(sources.filePath(icon + QStringLiteral("_gray.svg"))).isFile()) continue;
            if (!convert(svg, QDir(args[3]).filePath(icon + QStringLiteral("_gray.apx")), greyed)) return 1;
            ++written;
        }
        std::printf("apxc: %d pictures written to %s\n", written, args[3].toUtf8().constData());
        return 0;
    }
    if (args.size() == 2 && !args[0].startsWith(QLatin1String("--"))) return convert(args[0], args[1]) ? 0 : 1;
    if (args.size() == 3 && args[0] == QLatin1String("--grey")) return convert(args[1], args[2], greyed) ? 0 : 1;
    return usage();
}
