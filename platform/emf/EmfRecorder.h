// A paint device that records what QPainter draws and writes it as an
// enhanced metafile (or a Windows metafile).
//
//   EmfRecorder rec(QSizeF(32, 32));
//   { QPainter p(&rec); p.drawPath(...); rec.addComment(tag); p.drawText(...); }
//   QByteArray emf = rec.toEmf();
//
// Paths, polygons, rectangles and ellipses stay vectors with solid or hatched
// brushes and solid or dashed pens; text becomes glyph outlines, so playing a
// file needs no fonts. What a metafile cannot hold (gradients, textures,
// transparency, opacity, composition modes, perspective) is drawn into a
// bitmap by Qt or by the recorder and stored as an image.
#pragma once

#include "platform/emf/EmfDisplayList.h"
#include "platform/emf/WmfWriter.h"

#include <QPaintDevice>

#include <memory>

namespace toliva::emf {

class EmfPaintEngine;

class EmfRecorder : public QPaintDevice {
public:
    // sizePx: the picture's size in device pixels, which becomes its frame.
    // An empty size makes the frame follow what is drawn.
    explicit EmfRecorder(const QSizeF& sizePx = QSizeF(), int dpi = 96);
    ~EmfRecorder() override;

    QPaintEngine* paintEngine() const override;

    // Places a GDI comment record after everything drawn so far, also while
    // a painter is active.
    void addComment(const QByteArray& data);

    const DisplayList& displayList() const { return m_list; }
    // Forgets everything recorded.
    void clear();
    // Sets the picture's size (its frame) when it is known only after the
    // drawing; an empty size makes the frame follow what is drawn.
    void setSize(const QSizeF& sizePx);

    QByteArray toEmf() const;
    // A Windows metafile of the same drawing; empty with *error set when the
    // drawing cannot be written (a comment too large for its record).
    QByteArray toWmf(const WmfOptions& options = WmfOptions(), QString* error = nullptr) const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    DisplayList m_list;
    mutable std::unique_ptr<EmfPaintEngine> m_engine;
};

}  // namespace toliva::emf
