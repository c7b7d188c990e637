// CVector: component arithmetic with write-through to bound storage, 2D hit
// tests and the quaternion helpers.
#include "core/CVector.h"

#include "core/CMatrix.h"

#include <cmath>

void CVector::bind(float* storage, int count)
{
    if (storage == nullptr || count <= 0) {
        binding_ = nullptr;
        bindingCount_ = 0;
        return;
    }
    binding_ = storage;
    bindingCount_ = count > 4 ? 4 : count;
    x = storage[0];
    y = bindingCount_ > 1 ? storage[1] : 0.0f;
    z = bindingCount_ > 2 ? storage[2] : 0.0f;
    w = bindingCount_ > 3 ? storage[3] : 0.0f;
}

void CVector::writeThrough()
{
    if (binding_ == nullptr)
        return;
    if (bindingCount_ > 1) {
        binding_[0] = x;
        binding_[1] = y;
    }
    if (bindingCount_ > 2)
        binding_[2] = z;
    if (bindingCount_ > 3)
        binding_[3] = w;
}

void CVector::set(float newX, float newY, float newZ, float newW)
{
    x = newX;
    y = newY;
    z = newZ;
    w = newW;
    writeThrough();
}

void CVector::set(float newX, float newY, float newZ)
{
    set(newX, newY, newZ, 0.0f);
}

void CVector::set(float newX, float newY)
{
    set(newX, newY, 0.0f, 0.0f);
}

bool CVector::equals(const CVector& other) const
{
    return x == other.x && y == other.y && z == other.z && w == other.w;
}

void CVector::add(const CVector& other)
{
    set(x + other.x, y + other.y, z + other.z, w + other.w);
}

void CVector::subtract(const CVector& other)
{
    set(x - other.x, y - other.y, z - other.z, w - other.w);
}

void CVector::crossWith(const CVector& other)
{
    const CVector result = cross(*this, other);
    set(result.x, result.y, result.z, w);
}

void CVector::normalise()
{
    const float length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length != 0.0f)
        set(x / length, y / length, z / length, w / length);
    else
        writeThrough();
}

bool CVector::inRectangle(const CVector& minimum, const CVector& maximum) const
{
    return minimum.x <= x && x <= maximum.x && minimum.y <= y && y <= maximum.y;
}

const float* CVector::glArray() const
{
    glCopy_[0] = x;
    glCopy_[1] = y;
    glCopy_[2] = z;
    glCopy_[3] = w;
    return glCopy_;
}

CVector CVector::difference(const CVector& a, const CVector& b)
{
    return CVector(a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w);
}

CVector CVector::product(const CVector& a, const CVector& b)
{
    return CVector(a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w);
}

CVector CVector::cross(const CVector& a, const CVector& b)
{
    return CVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, a.w);
}

bool CVector::segmentsIntersect(const CVector& a1, const CVector& a2, const CVector& b1, const CVector& b2)
{
    const float d = (b2.y - b1.y) * (a2.x - a1.x) - (a2.y - a1.y) * (b2.x - b1.x);
    if (d == 0.0f)
        return false;
    const float ua = ((a1.y - b1.y) * (b2.x - b1.x) - (a1.x - b1.x) * (b2.y - b1.y)) / d;
    const float ub = ((a1.y - b1.y) * (a2.x - a1.x) - (a1.x - b1.x) * (a2.y - a1.y)) / d;
    return ua >= 0.0f && ua <= 1.0f && ub >= 0.0f && ub <= 1.0f;
}

void CVector::fromAxisAngle(float ax, float ay, float az, float degrees)
{
    const float radians = degrees * degreesToRadians;  // rounded to float before halving
    const float half = radians / 2.0f;
    const float s = std::sin(half);
    x = s * ax;
    y = s * ay;
    z = s * az;
    w = std::cos(half);
    normalise();
}

void CVector::fromEuler(float xDegrees, float yDegrees, float zDegrees)
{
    CVector qx, qy, qz;
    qx.fromAxisAngle(1.0f, 0.0f, 0.0f, xDegrees);
    qy.fromAxisAngle(0.0f, 1.0f, 0.0f, yDegrees);
    qz.fromAxisAngle(0.0f, 0.0f, 1.0f, zDegrees);
    const CVector q = multiply(multiply(qx, qy), qz);
    set(q.x, q.y, q.z, q.w);
}

CVector CVector::multiply(const CVector& a, const CVector& b)
{
    return CVector(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
        a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
        a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

void CVector::toMatrix(const CVector& q, CMatrix& m)
{
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    m.setElement(0u, 1.0f - 2.0f * (y * y + z * z));
    m.setElement(1u, 2.0f * (x * y - w * z));
    m.setElement(2u, 2.0f * (w * y + x * z));
    m.setElement(3u, 0.0f);
    m.setElement(4u, 2.0f * (w * z + x * y));
    m.setElement(5u, 1.0f - 2.0f * (x * x + z * z));
    m.setElement(6u, 2.0f * (y * z - w * x));
    m.setElement(7u, 0.0f);
    m.setElement(8u, 2.0f * (x * z - w * y));
    m.setElement(9u, 2.0f * (w * x + y * z));
    m.setElement(10u, 1.0f - 2.0f * (x * x + y * y));
    m.setElement(11u, 0.0f);
    m.setElement(15u, 1.0f);
}
