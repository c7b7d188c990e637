// CMatrix: storage, element access, the 4 by 4 inverse and the engine's
// orthographic projection.
#include "core/CMatrix.h"

#include "core/CVector.h"

#include <cmath>
#include <utility>

CMatrix::CMatrix(std::uint32_t rows, std::uint32_t columns)
{
    const std::uint64_t count = std::uint64_t(rows) * columns;
    if (count == 0 || count * sizeof(float) > 0xFFFFFFFFull)
        return;
    rows_ = rows;
    columns_ = columns;
    elements_.assign(count, 0.0f);
    setIdentity();
}

float CMatrix::element(std::uint32_t index) const
{
    return index < elements_.size() ? elements_[index] : 0.0f;
}

float CMatrix::element(std::uint32_t row, std::uint32_t column) const
{
    const std::uint64_t index = std::uint64_t(row) * columns_ + column;
    return index < elements_.size() ? elements_[index] : 0.0f;
}

void CMatrix::setElement(std::uint32_t index, float value)
{
    if (index < elements_.size())
        elements_[index] = value;
}

void CMatrix::setElement(std::uint32_t row, std::uint32_t column, float value)
{
    const std::uint64_t index = std::uint64_t(row) * columns_ + column;
    if (index < elements_.size())
        elements_[index] = value;
}

void CMatrix::setIdentity()
{
    for (std::uint32_t r = 0; r < rows_; ++r) {
        for (std::uint32_t c = 0; c < columns_; ++c)
            elements_[std::size_t(r) * columns_ + c] = r == c ? 1.0f : 0.0f;
    }
}

void CMatrix::setTranslation(const CVector& vector)
{
    setElement(12u, vector.x);
    setElement(13u, vector.y);
    setElement(14u, vector.z);
}

void CMatrix::transform(CVector& vector) const
{
    const float* m = elements_.data();
    const float x = vector.x, y = vector.y, z = vector.z;
    if (rows_ == 4 && columns_ == 4) {
        vector.set(x * m[0] + y * m[4] + z * m[8], x * m[1] + y * m[5] + z * m[9], x * m[2] + y * m[6] + z * m[10], 0.0f);
    } else if (rows_ == 3 && columns_ == 3) {
        vector.set(x * m[0] + y * m[3], x * m[1] + y * m[4], 0.0f, 0.0f);
    }
}

CMatrix CMatrix::inverse() const
{
    CMatrix result(4, 4);
    if (rows_ != 4 || columns_ != 4)
        return result;

    // Augmented rows [A | I], reduced to [I | A^-1].
    float work[4][8];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            work[r][c] = elements_[std::size_t(r) * 4 + c];
            work[r][c + 4] = r == c ? 1.0f : 0.0f;
        }
    }
    for (int column = 0; column < 4; ++column) {
        int pivot = column;
        for (int r = column + 1; r < 4; ++r) {
            if (std::fabs(work[r][column]) > std::fabs(work[pivot][column]))
                pivot = r;
        }
        if (work[pivot][column] == 0.0f)
            return CMatrix(4, 4);
        if (pivot != column)
            std::swap(work[pivot], work[column]);
        const float scale = work[column][column];
        for (int c = 0; c < 8; ++c)
            work[column][c] /= scale;
        for (int r = 0; r < 4; ++r) {
            if (r == column)
                continue;
            const float factor = work[r][column];
            if (factor == 0.0f)
                continue;
            for (int c = 0; c < 8; ++c)
                work[r][c] -= factor * work[column][c];
        }
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            result.elements_[std::size_t(r) * 4 + c] = work[r][c + 4];
    }
    return result;
}

CMatrix CMatrix::orthographic(float left, float right, float bottom, float top, float zNear, float zFar)
{
    CMatrix m(4, 4);
    for (float& value : m.elements_)
        value = 0.0f;
    m.elements_[0] = 2.0f / (right - left);
    m.elements_[5] = 2.0f / (top - bottom);
    m.elements_[10] = -2.0f / (zFar - zNear);
    m.elements_[12] = (left + right) / (right - left);
    m.elements_[13] = (bottom + top) / (top - bottom);
    m.elements_[14] = (zNear + zFar) / (zFar - zNear);
    m.elements_[15] = 1.0f;
    return m;
}
