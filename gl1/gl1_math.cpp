// Matrices as fixed-function OpenGL and GLU build them, column-major.
#include <cmath>
#include <cstring>

#include "gl1/gl1_local.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

void Normalise(double* v) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0) return;
    for (int k = 0; k < 3; ++k) v[k] /= length;
}

void Cross(const double* a, const double* b, double* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

void GL1_MatIdentity(float* m) {
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = 1;
}

void GL1_MatMultiply(const float* a, const float* b, float* out) {
    float r[16];
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[c * 4 + k];
            r[c * 4 + row] = sum;
        }
    std::memcpy(out, r, sizeof r);
}

void GL1_MatTranslate(float* m, float x, float y, float z) {
    GL1_MatIdentity(m);
    m[12] = x;
    m[13] = y;
    m[14] = z;
}

void GL1_MatRotate(float* m, float degrees, float x, float y, float z) {
    GL1_MatIdentity(m);
    double axis[3] = {x, y, z};
    if (axis[0] == 0 && axis[1] == 0 && axis[2] == 0) return;
    Normalise(axis);
    const double a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
    const double u = axis[0], v = axis[1], w = axis[2];
    const double r[9] = {t * u * u + c,     t * u * v + s * w, t * u * w - s * v,
                         t * u * v - s * w, t * v * v + c,     t * v * w + s * u,
                         t * u * w + s * v, t * v * w - s * u, t * w * w + c};
    for (int col = 0; col < 3; ++col)
        for (int row = 0; row < 3; ++row) m[col * 4 + row] = static_cast<float>(r[col * 3 + row]);
}

void GL1_MatOrtho(float* m, double l, double r, double b, double t, double n, double f) {
    GL1_MatIdentity(m);
    m[0] = static_cast<float>(2 / (r - l));
    m[5] = static_cast<float>(2 / (t - b));
    m[10] = static_cast<float>(-2 / (f - n));
    m[12] = static_cast<float>(-(r + l) / (r - l));
    m[13] = static_cast<float>(-(t + b) / (t - b));
    m[14] = static_cast<float>(-(f + n) / (f - n));
}

void GL1_MatPerspective(float* m, double fovy, double aspect, double n, double f) {
    std::memset(m, 0, 16 * sizeof(float));
    const double cot = 1 / std::tan(fovy * kPi / 360);
    m[0] = static_cast<float>(cot / aspect);
    m[5] = static_cast<float>(cot);
    m[10] = static_cast<float>(-(f + n) / (f - n));
    m[11] = -1;
    m[14] = static_cast<float>(-2 * f * n / (f - n));
}

void GL1_MatLookAt(float* m, const double* eye, const double* centre, const double* up) {
    double forward[3] = {centre[0] - eye[0], centre[1] - eye[1], centre[2] - eye[2]};
    Normalise(forward);
    double side[3], top[3];
    Cross(forward, up, side);
    Normalise(side);
    Cross(side, forward, top);
    GL1_MatIdentity(m);
    for (int k = 0; k < 3; ++k) {
        m[k * 4] = static_cast<float>(side[k]);
        m[k * 4 + 1] = static_cast<float>(top[k]);
        m[k * 4 + 2] = static_cast<float>(-forward[k]);
    }
    float shift[16];
    GL1_MatTranslate(shift, static_cast<float>(-eye[0]), static_cast<float>(-eye[1]),
                     static_cast<float>(-eye[2]));
    GL1_MatMultiply(m, shift, m);
}

void GL1_MatNormal(const float* m, float* normal) {
    // The cofactors of the upper 3x3 over its determinant: the inverse
    // transposed.
    auto at = [m](int row, int col) { return double(m[col * 4 + row]); };
    double cof[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
        }
    double det = at(0, 0) * cof[0][0] + at(0, 1) * cof[0][1] + at(0, 2) * cof[0][2];
    if (det == 0) det = 1;
    GL1_MatIdentity(normal);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) normal[c * 4 + r] = static_cast<float>(cof[r][c] / det);
}

void GL1_MatTransform(const float* m, const float* v, float w, float* out) {
    float r[4];
    for (int row = 0; row < 4; ++row)
        r[row] = m[row] * v[0] + m[4 + row] * v[1] + m[8 + row] * v[2] + m[12 + row] * w;
    std::memcpy(out, r, sizeof r);
}
