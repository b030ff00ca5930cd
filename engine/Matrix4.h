#pragma once

#include <cmath>

/// A 4x4 matrix as OpenGL keeps one (column after column), with the
/// operations of OpenGL's old matrix stack: each multiplies the matrix on
/// the right, so the last one named acts first on a point.
struct Matrix4 {
  float m[16];

  static Matrix4 identity() {
    Matrix4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
  }
  /// x from left to right, y from bottom to top, depth from near to far,
  /// onto -1..1.
  static Matrix4 ortho(float left, float right, float bottom, float top, float nearZ, float farZ) {
    Matrix4 r = identity();
    r.m[0] = 2 / (right - left);
    r.m[5] = 2 / (top - bottom);
    r.m[10] = -2 / (farZ - nearZ);
    r.m[12] = -(right + left) / (right - left);
    r.m[13] = -(top + bottom) / (top - bottom);
    r.m[14] = -(farZ + nearZ) / (farZ - nearZ);
    return r;
  }

  Matrix4 operator*(const Matrix4 &b) const {
    Matrix4 r;
    for (int col = 0; col < 4; col++)
      for (int row = 0; row < 4; row++) {
        float s = 0;
        for (int k = 0; k < 4; k++) s += m[k * 4 + row] * b.m[col * 4 + k];
        r.m[col * 4 + row] = s;
      }
    return r;
  }
  Matrix4 &translate(float x, float y, float z) {
    for (int row = 0; row < 4; row++) m[12 + row] += m[row] * x + m[4 + row] * y + m[8 + row] * z;
    return *this;
  }
  Matrix4 &scale(float x, float y, float z) {
    for (int row = 0; row < 4; row++) {
      m[row] *= x;
      m[4 + row] *= y;
      m[8 + row] *= z;
    }
    return *this;
  }
  /// Turns by `degrees` about the z axis, counter-clockwise with y upward.
  Matrix4 &rotateZ(float degrees) {
    float s, c;
    sinCos(degrees, s, c);
    Matrix4 r = identity();
    r.m[0] = c;
    r.m[1] = s;
    r.m[4] = -s;
    r.m[5] = c;
    return *this = *this * r;
  }
  /// The point (x, y, 0, 1) through the matrix: x and y of the result (w
  /// stays 1 for the affine matrices the engine makes).
  void apply(float x, float y, float &outX, float &outY) const {
    outX = m[0] * x + m[4] * y + m[12];
    outY = m[1] * x + m[5] * y + m[13];
  }

  /// Sine and cosine of an angle in degrees, taken as OpenGL's own rotation
  /// takes them (the angle in radians rounded to a float first).
  static void sinCos(float degrees, float &s, float &c) {
    const float radians = static_cast<float>(degrees * M_PI / 180.0);
    s = std::sin(radians);
    c = std::cos(radians);
  }
};
