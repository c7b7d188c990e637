// CVector: four floats (x, y, z, w), also used as an RGBA colour and as a
// quaternion.
//
// A vector may be bound to external floats (a vertex array, a matrix): every
// operation here that changes the components afterwards writes x and y to the
// first two bound floats when the binding count is over 1, z to the third when
// over 2 and w to the fourth when over 3. Reading never consults the binding.
// Assigning to x, y, z or w directly does not write through; call set() or
// writeThrough(). Copies (construction and assignment) carry the binding with
// them, so a copy of a bound vector edits the same storage.
//
// Quaternions keep the vector part in x, y, z and the scalar in w. Angles are
// degrees; all arithmetic is single precision.
#pragma once

#include <concepts>

class CMatrix;

class CVector {
public:
    CVector() = default;
    CVector(float x, float y, float z = 0.0f, float w = 0.0f) : x(x), y(y), z(z), w(w) {}
    // Bound to storage: reads the first count floats (2, 3 or 4; the rest of
    // the components are 0) and from then on writes through.
    // (A template so that CVector(0, 10) stays a plain vector instead of
    // binding to a null pointer.)
    template <typename Pointer>
        requires std::same_as<Pointer, float*>
    CVector(Pointer storage, int count)
    {
        bind(storage, count);
    }

    // Rebinds to storage as the bound constructor does; null unbinds.
    void bind(float* storage, int count);
    float* binding() const { return binding_; }
    int bindingCount() const { return bindingCount_; }

    void set(float x, float y, float z, float w);
    void set(float x, float y, float z);  // w becomes 0
    void set(float x, float y);           // z and w become 0
    // Copies the components to the bound floats.
    void writeThrough();

    bool equals(const CVector& other) const;
    bool operator==(const CVector& other) const { return equals(other); }

    void add(const CVector& other);
    void subtract(const CVector& other);
    // Replaces x, y, z by this × other; keeps w.
    void crossWith(const CVector& other);
    // Divides all four components by the length over all four; a zero
    // vector is left unchanged.
    void normalise();

    // Edges included.
    bool inRectangle(const CVector& minimum, const CVector& maximum) const;

    // A contiguous copy of x, y, z, w for handing to GL.
    const float* glArray() const;

    static CVector difference(const CVector& a, const CVector& b);
    static CVector product(const CVector& a, const CVector& b);
    // a × b on x, y, z; w from a.
    static CVector cross(const CVector& a, const CVector& b);
    // True when the 2D segments a1-a2 and b1-b2 cross; parallel ones never do.
    static bool segmentsIntersect(const CVector& a1, const CVector& a2, const CVector& b1, const CVector& b2);

    // Quaternion helpers.
    // This vector becomes the rotation of degrees about (ax, ay, az), normalised.
    void fromAxisAngle(float ax, float ay, float az, float degrees);
    // This vector becomes qx · qy · qz for rotations about the X, Y and Z axes.
    void fromEuler(float xDegrees, float yDegrees, float zDegrees);
    // The Hamilton product a · b (unbound).
    static CVector multiply(const CVector& a, const CVector& b);
    // Writes the rotation of q into the 4 by 4 matrix m (elements 0-11 and 15
    // in GL element order); the translation elements 12-14 are left alone.
    static void toMatrix(const CVector& q, CMatrix& m);

    static constexpr float degreesToRadians = 0.017453289f;

private:
    float* binding_ = nullptr;
    int bindingCount_ = 0;
    mutable float glCopy_[4] = {0.0f, 0.0f, 0.0f, 0.0f};

public:
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};
