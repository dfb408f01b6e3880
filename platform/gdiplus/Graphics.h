// Drawing surface of the drawing layer.
//
// Graphics is the surface the model draws on: a world transform applied to
// every coordinate, stroked and filled shapes, images, and the status of the
// last call. PainterGraphics draws through a QPainter; RecordingGraphics
// writes one readable line per call. No call throws.
//
// Angles are degrees turning clockwise on screen (y runs down): an arc from
// 0 sweeping 90 runs from the right end of its ellipse to the bottom. Arc
// angles are angles of rays from the ellipse's centre.
#pragma once

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Brush.h"
#include "platform/gdiplus/GpTypes.h"
#include "platform/gdiplus/Matrix.h"
#include "platform/gdiplus/Pen.h"

#include <QString>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class QPaintDevice;

namespace toliva::gp {

class GraphicsPath;
class Font;          // platform/gdiplus/Font.h
class StringFormat;  // platform/gdiplus/Font.h

enum SmoothingMode {
    SmoothingModeInvalid = -1,
    SmoothingModeDefault = 0,  // not antialiased
    SmoothingModeHighSpeed = 1,
    SmoothingModeHighQuality = 2,  // antialiased
    SmoothingModeNone = 3,
    SmoothingModeAntiAlias = 4,
};

enum CompositingMode {
    CompositingModeSourceOver = 0,
    CompositingModeSourceCopy = 1,  // pixels, alpha included, replace what lies below
};

enum TextRenderingHint {
    TextRenderingHintSystemDefault = 0,
    TextRenderingHintSingleBitPerPixelGridFit = 1,
    TextRenderingHintSingleBitPerPixel = 2,
    TextRenderingHintAntiAliasGridFit = 3,
    TextRenderingHintAntiAlias = 4,
    TextRenderingHintClearTypeGridFit = 5,
};

// A token of Graphics::Save.
using GraphicsState = unsigned;

class Graphics {
public:
    virtual ~Graphics() = default;

    // ---- transform. Translate, rotate and scale act before the transform
    // held (prepend) unless asked to act after it (append).
    const Matrix& GetTransform() const { return m_transform; }
    Status GetTransform(Matrix* matrix) const;
    Status SetTransform(const Matrix& matrix);
    Status ResetTransform() { return SetTransform(Matrix()); }
    Status MultiplyTransform(const Matrix& matrix, MatrixOrder order = MatrixOrderPrepend);
    Status TranslateTransform(float dx, float dy, MatrixOrder order = MatrixOrderPrepend);
    Status RotateTransform(float angleDegrees, MatrixOrder order = MatrixOrderPrepend);
    Status ScaleTransform(float sx, float sy, MatrixOrder order = MatrixOrderPrepend);

    // Save keeps the transform, smoothing, compositing and text hint; Restore
    // returns to them and forgets the states saved after. A token that is not
    // held gives InvalidParameter and changes nothing.
    GraphicsState Save();
    Status Restore(GraphicsState state);

    Status SetSmoothingMode(SmoothingMode mode);
    SmoothingMode GetSmoothingMode() const { return m_smoothing; }
    bool antialiased() const { return m_smoothing == SmoothingModeHighQuality || m_smoothing == SmoothingModeAntiAlias; }
    Status SetCompositingMode(CompositingMode mode);
    CompositingMode GetCompositingMode() const { return m_compositing; }
    Status SetTextRenderingHint(TextRenderingHint hint);
    TextRenderingHint GetTextRenderingHint() const { return m_textHint; }

    // ---- strokes. Counts below what a shape needs give InvalidParameter.
    Status DrawLine(const Pen& pen, float x1, float y1, float x2, float y2);
    Status DrawLine(const Pen& pen, PointF p1, PointF p2) { return DrawLine(pen, p1.x, p1.y, p2.x, p2.y); }
    Status DrawLines(const Pen& pen, const PointF* points, int count);  // one open polyline, count >= 2
    Status DrawBezier(const Pen& pen, PointF p1, PointF p2, PointF p3, PointF p4);
    Status DrawBezier(const Pen& pen, float x1, float y1, float x2, float y2, float x3, float y3, float x4,
                      float y4) {
        return DrawBezier(pen, {x1, y1}, {x2, y2}, {x3, y3}, {x4, y4});
    }
    Status DrawBeziers(const Pen& pen, const PointF* points, int count);  // count = 3 n + 1
    Status DrawArc(const Pen& pen, const RectF& box, float startAngle, float sweepAngle);
    Status DrawArc(const Pen& pen, float x, float y, float w, float h, float startAngle, float sweepAngle) {
        return DrawArc(pen, RectF{x, y, w, h}, startAngle, sweepAngle);
    }
    Status DrawEllipse(const Pen& pen, const RectF& box);
    Status DrawEllipse(const Pen& pen, float x, float y, float w, float h) { return DrawEllipse(pen, RectF{x, y, w, h}); }
    Status DrawRectangle(const Pen& pen, const RectF& rect);
    Status DrawRectangle(const Pen& pen, float x, float y, float w, float h) {
        return DrawRectangle(pen, RectF{x, y, w, h});
    }
    Status DrawPolygon(const Pen& pen, const PointF* points, int count);  // closed, count >= 2
    Status DrawPath(const Pen& pen, const GraphicsPath& path);

    // ---- fills
    Status FillEllipse(const Brush& brush, const RectF& box);
    Status FillEllipse(const Brush& brush, float x, float y, float w, float h) {
        return FillEllipse(brush, RectF{x, y, w, h});
    }
    Status FillRectangle(const Brush& brush, const RectF& rect);
    Status FillRectangle(const Brush& brush, float x, float y, float w, float h) {
        return FillRectangle(brush, RectF{x, y, w, h});
    }
    Status FillRectangles(const Brush& brush, const RectF* rects, int count);
    Status FillPolygon(const Brush& brush, const PointF* points, int count, FillMode mode = FillModeAlternate);
    Status FillPath(const Brush& brush, const GraphicsPath& path);
    Status FillPath(ARGB colour, const GraphicsPath& path) { return FillPath(SolidBrush(colour), path); }

    // Every pixel of the surface, whatever the transform, becomes colour.
    Status Clear(ARGB colour);

    // ---- images: the bitmap's pixels at one world unit each, or stretched
    // into dest; src picks a part of the bitmap in its pixels.
    Status DrawImage(const Bitmap& bitmap, float x, float y);
    Status DrawImage(const Bitmap& bitmap, const RectF& dest);
    Status DrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src);

    // ---- text (platform/gdiplus/GraphicsText.cpp)
    Status DrawString(const QString& text, const Font& font, const RectF& layout, const StringFormat& format,
                      ARGB colour);
    Status MeasureString(const QString& text, const Font& font, const RectF& layout, const StringFormat& format,
                         RectF* box);

    // Status of the most recent call.
    Status lastStatus() const { return m_lastStatus; }
    // The most recent failure since the previous GetLastStatus (Ok when none);
    // reading it clears it.
    Status GetLastStatus();

protected:
    Graphics() = default;

    // Records the status of a call and passes it on.
    Status report(Status s);

    // Back ends. Shape names the caller's shape ("line", "arc", "path", ...).
    // Paths given here are not empty.
    virtual Status doStroke(const Pen& pen, const GraphicsPath& path, const char* shape) = 0;
    virtual Status doFill(const Brush& brush, const GraphicsPath& path, const char* shape) = 0;
    virtual Status doSetTransform(const Matrix& matrix) = 0;
    virtual Status doClear(ARGB colour) = 0;
    virtual Status doDrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src) = 0;
    // Called after smoothing ("smoothing"), compositing ("compositing") or the
    // text hint ("text") changed, and with null after Restore.
    virtual void stateChanged(const char* /*what*/) {}
    virtual void noteSave(GraphicsState) {}
    virtual void noteRestore(GraphicsState) {}

private:
    struct Saved {
        GraphicsState token;
        Matrix transform;
        SmoothingMode smoothing;
        CompositingMode compositing;
        TextRenderingHint textHint;
    };

    template <class F>
    Status guarded(F&& call);
    Status stroke(const Pen& pen, const GraphicsPath& path, const char* shape);
    Status fill(const Brush& brush, const GraphicsPath& path, const char* shape);

    Matrix m_transform;
    SmoothingMode m_smoothing = SmoothingModeDefault;
    CompositingMode m_compositing = CompositingModeSourceOver;
    TextRenderingHint m_textHint = TextRenderingHintSystemDefault;
    std::vector<Saved> m_saved;
    GraphicsState m_nextToken = 1;
    Status m_lastStatus = Ok;
    Status m_lastFailure = Ok;
};

// Draws through a painter: one the caller keeps alive and active, or one it
// opens on a paint device or bitmap and ends when destroyed. The world
// transform is applied on top of the painter's transform at construction.
// Smoothing starts off, as set by SmoothingModeDefault. A pen thinner than
// one device pixel draws one pixel wide.
class PainterGraphics : public Graphics {
public:
    explicit PainterGraphics(QPainter* painter);
    explicit PainterGraphics(QPaintDevice* device);
    explicit PainterGraphics(Bitmap& bitmap) : PainterGraphics(&bitmap.image()) {}
    // Unusable: every drawing call answers WrongState.
    explicit PainterGraphics(std::nullptr_t) : PainterGraphics(static_cast<QPainter*>(nullptr)) {}
    ~PainterGraphics() override;
    QPainter* painter() const { return m_painter; }

protected:
    Status doStroke(const Pen& pen, const GraphicsPath& path, const char* shape) override;
    Status doFill(const Brush& brush, const GraphicsPath& path, const char* shape) override;
    Status doSetTransform(const Matrix& matrix) override;
    Status doClear(ARGB colour) override;
    Status doDrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src) override;
    void stateChanged(const char* what) override;

private:
    bool usable() const;

    std::unique_ptr<QPainter> m_owned;
    QPainter* m_painter;
    QTransform m_base;
};

// The call log of a RecordingGraphics: one line per call. Calls are noted as
// they come and their lines written when the log is first read after them,
// so a recorder that is only drawn into spends nothing on text. Reads like a
// const vector of lines; not for reading from two threads at once.
class RecordingLog {
public:
    using value_type = std::string;
    using const_iterator = std::vector<std::string>::const_iterator;
    using iterator = const_iterator;

    const std::vector<std::string>& lines() const;
    operator const std::vector<std::string>&() const { return lines(); }

    bool empty() const { return m_notes.empty(); }
    size_t size() const { return m_notes.size(); }
    const std::string& operator[](size_t i) const { return lines()[i]; }
    const std::string& front() const { return lines().front(); }
    const std::string& back() const { return lines().back(); }
    const_iterator begin() const { return lines().begin(); }
    const_iterator end() const { return lines().end(); }
    void clear();

    friend bool operator==(const RecordingLog& a, const std::vector<std::string>& b) { return a.lines() == b; }
    friend bool operator==(const RecordingLog& a, const RecordingLog& b) { return a.lines() == b.lines(); }

private:
    friend class RecordingGraphics;

    // What one line is written from.
    struct Note {
        enum Kind : uint8_t { Stroke, Fill, Transform, Clear, Image, State, Save, Restore } kind = Stroke;
        std::string word;  // the shape, or the state's name
        std::string brush;  // fills with other than a solid brush: its describe()
        Pen pen;            // strokes
        ARGB colour = 0;
        long long count = 0;  // points, state value or save token
        int width = 0, height = 0;  // images
        float numbers[8] = {};      // a transform's six, or an image's source and destination
    };

    Note& add(Note::Kind kind);

    std::vector<Note> m_notes;
    mutable std::vector<std::string> m_lines;  // the lines of the first m_lines.size() notes
};

// Keeps one line per call, such as "fill #FF112233 path n=4",
// "stroke #FF112233 w=3.125 path n=4" and "transform 1 0 0 1 5 0". Pens with
// more than colour and width add words such as "dash=1 caps=2,2 join=2";
// other brushes log as "fill hatch 2 #FF000000 #FFFFFFFF rectangle n=4".
// Every stroke and fill is also kept whole in ops, with its path in world
// units and the transform it was drawn under.
class RecordingGraphics : public Graphics {
public:
    struct Op {
        std::string kind;   // "stroke", "fill" or "image"
        std::string shape;  // "line", "lines", "bezier", "arc", "ellipse", "rectangle", "polygon", "path", ...
        std::vector<PointF> points;
        std::vector<uint8_t> types;
        Pen pen;             // strokes
        std::string brush;   // fills: the brush's describe()
        ARGB colour = 0;     // the pen's colour, or a solid brush's colour
        Matrix transform;
    };

    RecordingLog log;
    std::vector<Op> ops;

protected:
    Status doStroke(const Pen& pen, const GraphicsPath& path, const char* shape) override;
    Status doFill(const Brush& brush, const GraphicsPath& path, const char* shape) override;
    Status doSetTransform(const Matrix& matrix) override;
    Status doClear(ARGB colour) override;
    Status doDrawImage(const Bitmap& bitmap, const RectF& dest, const RectF& src) override;
    void stateChanged(const char* what) override;
    void noteSave(GraphicsState state) override;
    void noteRestore(GraphicsState state) override;
};

}  // namespace toliva::gp
