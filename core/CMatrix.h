// CMatrix: a float matrix of any size, used as a 4 by 4 transform in GL
// element order.
//
// Element (row r, column c) is data()[r × columns + c]; a 4 by 4 matrix is
// handed to GL as it is, so elements 12, 13, 14 hold the translation.
// Out-of-range reads give 0 and out-of-range writes are ignored. A size whose
// bytes would not fit in 32 bits is refused: the matrix stays empty (0 by 0).
#pragma once

#include <cstdint>
#include <vector>

class CVector;

class CMatrix {
public:
    // Identity of the given size (1 where row equals column); empty when
    // either side is 0.
    explicit CMatrix(std::uint32_t rows = 4, std::uint32_t columns = 4);

    std::uint32_t rows() const { return rows_; }
    std::uint32_t columns() const { return columns_; }
    std::uint32_t elementCount() const { return static_cast<std::uint32_t>(elements_.size()); }
    bool isEmpty() const { return elements_.empty(); }

    float element(std::uint32_t index) const;
    float element(std::uint32_t row, std::uint32_t column) const;
    void setElement(std::uint32_t index, float value);
    void setElement(std::uint32_t row, std::uint32_t column, float value);
    // The elements (null when empty).
    float* data() { return elements_.empty() ? nullptr : elements_.data(); }
    const float* data() const { return elements_.empty() ? nullptr : elements_.data(); }

    void setIdentity();
    // Writes vector.x, y, z to elements 12, 13, 14 where they exist.
    void setTranslation(const CVector& vector);
    // 4 by 4: rotates/scales (x, y, z) by the upper 3 by 3, w becomes 0
    // (no translation). 3 by 3: transforms (x, y), z and w become 0. Other
    // sizes leave the vector alone. Writes through a bound vector.
    void transform(CVector& vector) const;
    // Gauss-Jordan inverse with partial pivoting; the 4 by 4 identity when
    // the matrix is singular or not 4 by 4.
    CMatrix inverse() const;

    // The engine's orthographic projection. NOTE: the translation terms
    // m[12], m[13], m[14] have the opposite sign to the common orthographic
    // matrix; the engine's camera convention relies on it.
    static CMatrix orthographic(float left, float right, float bottom, float top, float zNear, float zFar);

private:
    std::uint32_t rows_ = 0;
    std::uint32_t columns_ = 0;
    std::vector<float> elements_;
};
