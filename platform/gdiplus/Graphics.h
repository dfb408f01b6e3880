// Drawing surface of the drawing layer.
//
// Graphics is the surface the model draws on: a world transform applied to
// every coordinate, filled and stroked paths, and the status of the last
// call. PainterGraphics draws through a QPainter; RecordingGraphics writes
// one readable line per call. No call throws.
#pragma once

#include "platform/gdiplus/GpTypes.h"
#include "platform/gdiplus/Matrix.h"

#include <string>
#include <vector>

class QPainter;

namespace toliva::gp {

class GraphicsPath;

enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    WrongState = 8,
};

// A solid pen; its width is in world units.
struct Pen {
    ARGB colour = 0xFF000000;
    float width = 1.0f;
};

class Graphics {
public:
    virtual ~Graphics() = default;

    Status FillPath(ARGB colour, const GraphicsPath& path);
    Status DrawPath(const Pen& pen, const GraphicsPath& path);

    const Matrix& GetTransform() const { return m_transform; }
    Status SetTransform(const Matrix& matrix);

    // Status of the most recent call.
    Status lastStatus() const { return m_lastStatus; }

protected:
    Graphics() = default;
    virtual Status doFillPath(ARGB colour, const GraphicsPath& path) = 0;
    virtual Status doDrawPath(const Pen& pen, const GraphicsPath& path) = 0;
    virtual Status doSetTransform(const Matrix& matrix) = 0;

private:
    Status report(Status s) { return m_lastStatus = s; }

    Matrix m_transform;
    Status m_lastStatus = Ok;
};

// Draws through a painter the caller keeps alive and active. The world
// transform is applied on top of the painter's transform at construction.
// Drawing is antialiased; a pen thinner than one device pixel draws one pixel wide.
class PainterGraphics : public Graphics {
public:
    explicit PainterGraphics(QPainter* painter);
    QPainter* painter() const { return m_painter; }

protected:
    Status doFillPath(ARGB colour, const GraphicsPath& path) override;
    Status doDrawPath(const Pen& pen, const GraphicsPath& path) override;
    Status doSetTransform(const Matrix& matrix) override;

private:
    bool usable() const;

    QPainter* m_painter;
    QTransform m_base;
};

// Keeps one line per call, such as "fill #FF112233 path n=4",
// "stroke #FF112233 w=3.125 path n=4" and "transform 1 0 0 1 5 0".
class RecordingGraphics : public Graphics {
public:
    std::vector<std::string> log;

protected:
    Status doFillPath(ARGB colour, const GraphicsPath& path) override;
    Status doDrawPath(const Pen& pen, const GraphicsPath& path) override;
    Status doSetTransform(const Matrix& matrix) override;
};

}  // namespace toliva::gp
