#include "Matrix.h"

#include <cmath>

namespace toliva::gp {

namespace {

// a * b: a applied to a point first, then b.
Matrix product(const Matrix& a, const Matrix& b) {
    return Matrix(a.m11() * b.m11() + a.m12() * b.m21(), a.m11() * b.m12() + a.m12() * b.m22(),
                  a.m21() * b.m11() + a.m22() * b.m21(), a.m21() * b.m12() + a.m22() * b.m22(),
                  a.dx() * b.m11() + a.dy() * b.m21() + b.dx(), a.dx() * b.m12() + a.dy() * b.m22() + b.dy());
}

}  // namespace

Matrix::Matrix(float m11, float m12, float m21, float m22, float dx, float dy) : m_e{m11, m12, m21, m22, dx, dy} {}

void Matrix::Reset() { *this = Matrix(); }

bool Matrix::IsIdentity() const { return *this == Matrix(); }

void Matrix::Multiply(const Matrix& other, MatrixOrder order) {
    *this = order == MatrixOrderPrepend ? product(other, *this) : product(*this, other);
}

void Matrix::Translate(float dx, float dy, MatrixOrder order) { Multiply(Matrix(1, 0, 0, 1, dx, dy), order); }

void Matrix::Scale(float sx, float sy, MatrixOrder order) { Multiply(Matrix(sx, 0, 0, sy, 0, 0), order); }

void Matrix::Rotate(float angleDegrees, MatrixOrder order) {
    // Quarter turns are exact so that rotated right angles stay right.
    double c, s;
    const double a = std::fmod(double(angleDegrees), 360.0);
    if (a == 0) {
        c = 1, s = 0;
    } else if (a == 90 || a == -270) {
        c = 0, s = 1;
    } else if (a == 180 || a == -180) {
        c = -1, s = 0;
    } else if (a == 270 || a == -90) {
        c = 0, s = -1;
    } else {
        const double r = a * M_PI / 180.0;
        c = std::cos(r), s = std::sin(r);
    }
    Multiply(Matrix(float(c), float(s), float(-s), float(c), 0, 0), order);
}

PointF Matrix::map(PointF p) const {
    return {p.x * m11() + p.y * m21() + dx(), p.x * m12() + p.y * m22() + dy()};
}

void Matrix::TransformPoints(PointF* points, int count) const {
    if (!points) return;
    for (int i = 0; i < count; ++i) points[i] = map(points[i]);
}

QTransform Matrix::toQTransform() const { return QTransform(m11(), m12(), m21(), m22(), dx(), dy()); }

}  // namespace toliva::gp
