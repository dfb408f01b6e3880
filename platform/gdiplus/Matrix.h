// 2x3 affine matrix of the drawing layer.
//
// Points are row vectors: x' = x * m11 + y * m21 + dx, y' = x * m12 + y * m22 + dy.
// Operations are prepended by default: the new operation is applied to a point
// before the transform already held; MatrixOrderAppend applies it after.
#pragma once

#include "platform/gdiplus/GpTypes.h"

#include <QTransform>

namespace toliva::gp {

enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

class Matrix {
public:
    Matrix() = default;  // identity
    Matrix(float m11, float m12, float m21, float m22, float dx, float dy);

    float m11() const { return m_e[0]; }
    float m12() const { return m_e[1]; }
    float m21() const { return m_e[2]; }
    float m22() const { return m_e[3]; }
    float dx() const { return m_e[4]; }
    float dy() const { return m_e[5]; }

    void Reset();
    bool IsIdentity() const;

    void Multiply(const Matrix& other, MatrixOrder order = MatrixOrderPrepend);
    void Translate(float dx, float dy, MatrixOrder order = MatrixOrderPrepend);
    void Scale(float sx, float sy, MatrixOrder order = MatrixOrderPrepend);
    void Rotate(float angleDegrees, MatrixOrder order = MatrixOrderPrepend);

    void TransformPoints(PointF* points, int count) const;
    PointF map(PointF p) const;

    QTransform toQTransform() const;

    friend bool operator==(const Matrix&, const Matrix&) = default;

private:
    float m_e[6] = {1, 0, 0, 1, 0, 0};
};

}  // namespace toliva::gp
