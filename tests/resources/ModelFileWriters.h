// Writers of OBJ (with an MTL library) and 3DS files for the model tests and
// the resource benchmark: a plain indexed mesh in, the file bytes out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

struct TestMaterial {
    std::string name;
    float r, g, b;
};

struct TestMesh {
    std::vector<float> positions;          // 3 a vertex
    std::vector<float> texCoords;          // 2 a vertex, or empty
    std::vector<std::uint32_t> triangles;  // 3 a triangle, 0-based
    std::vector<std::uint32_t> faceMaterial; // one a triangle, or empty
    std::vector<TestMaterial> materials;
    // First triangle of every object after the first (3DS objects; OBJ "o").
    std::vector<std::uint32_t> objectStarts;
};

// A (columns + 1) x (rows + 1) grid in the x/y plane at z = height(x, y),
// two triangles a cell, materials in horizontal bands.
inline TestMesh makeGridMesh(std::uint32_t columns, std::uint32_t rows, std::uint32_t materialCount)
{
    TestMesh mesh;
    for (std::uint32_t y = 0; y <= rows; ++y) {
        for (std::uint32_t x = 0; x <= columns; ++x) {
            mesh.positions.insert(mesh.positions.end(), {float(x) * 0.5f, float(y) * 0.25f, float((x * 7 + y * 3) % 11)});
            mesh.texCoords.insert(mesh.texCoords.end(), {float(x) / float(columns), float(y) / float(rows)});
        }
    }
    for (std::uint32_t y = 0; y < rows; ++y) {
        for (std::uint32_t x = 0; x < columns; ++x) {
            const std::uint32_t a = y * (columns + 1) + x;
            mesh.triangles.insert(mesh.triangles.end(), {a, a + 1, a + columns + 1, a + columns + 1, a + 1, a + columns + 2});
            const std::uint32_t material = materialCount ? y * materialCount / rows : 0;
            mesh.faceMaterial.insert(mesh.faceMaterial.end(), {material, material});
        }
    }
    for (std::uint32_t m = 0; m < materialCount; ++m)
        mesh.materials.push_back({"band" + std::to_string(m), float(m + 1) / float(materialCount), 0.5f, 0.25f});
    if (materialCount == 0)
        mesh.faceMaterial.clear();
    return mesh;
}

inline void writeTextFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string formatFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", double(value));
    return text;
}

// Writes the OBJ and, with materials, its library `mtlName` beside it. With
// `quads`, consecutive triangle pairs (a, b, c) (c, b, d) become "f a b d c".
inline void writeObjFile(const std::string& folder, const std::string& objName, const std::string& mtlName,
                         const TestMesh& mesh, bool quads = false)
{
    std::string text;
    if (!mesh.materials.empty()) {
        std::string mtl;
        for (const TestMaterial& m : mesh.materials) {
            mtl += "newmtl " + m.name + "\nKa 0.1 0.1 0.1\nKd " + formatFloat(m.r) + " " + formatFloat(m.g) + " " +
                   formatFloat(m.b) + "\nKs 0 0 0\nNs 10\n\n";
        }
        writeTextFile(folder + "/" + mtlName, mtl);
        text += "mtllib " + mtlName + "\n";
    }
    for (std::size_t v = 0; v * 3 < mesh.positions.size(); ++v) {
        text += "v " + formatFloat(mesh.positions[v * 3]) + " " + formatFloat(mesh.positions[v * 3 + 1]) + " " +
                formatFloat(mesh.positions[v * 3 + 2]) + "\n";
    }
    for (std::size_t v = 0; v * 2 < mesh.texCoords.size(); ++v)
        text += "vt " + formatFloat(mesh.texCoords[v * 2]) + " " + formatFloat(mesh.texCoords[v * 2 + 1]) + "\n";
    const bool uv = !mesh.texCoords.empty();
    auto entry = [&](std::uint32_t index) {
        const std::string n = std::to_string(index + 1);
        return uv ? n + "/" + n : n;
    };
    std::uint32_t current = 0xFFFFFFFFu;
    std::size_t nextObject = 0;
    const std::size_t count = mesh.triangles.size() / 3;
    for (std::size_t t = 0; t < count; ++t) {
        if (nextObject < mesh.objectStarts.size() && mesh.objectStarts[nextObject] == t)
            text += "o part" + std::to_string(++nextObject) + "\n";
        if (!mesh.faceMaterial.empty() && mesh.faceMaterial[t] != current) {
            current = mesh.faceMaterial[t];
            text += "usemtl " + mesh.materials[current].name + "\n";
        }
        const std::uint32_t* tri = &mesh.triangles[t * 3];
        if (quads && t + 1 < count && (mesh.faceMaterial.empty() || mesh.faceMaterial[t + 1] == current)) {
            const std::uint32_t d = mesh.triangles[t * 3 + 5];
            text += "f " + entry(tri[0]) + " " + entry(tri[1]) + " " + entry(d) + " " + entry(tri[2]) + "\n";
            ++t;
            continue;
        }
        text += "f " + entry(tri[0]) + " " + entry(tri[1]) + " " + entry(tri[2]) + "\n";
    }
    writeTextFile(folder + "/" + objName, text);
}

// 3DS chunk building: id, 32-bit length (header included), payload.
class Chunk3ds {
public:
    explicit Chunk3ds(std::uint16_t id) : id(id) {}
    Chunk3ds& u8(std::uint8_t v) { payload.push_back(v); return *this; }
    Chunk3ds& u16(std::uint16_t v) { return u8(std::uint8_t(v)).u8(std::uint8_t(v >> 8)); }
    Chunk3ds& u32(std::uint32_t v) { return u16(std::uint16_t(v)).u16(std::uint16_t(v >> 16)); }
    Chunk3ds& f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Chunk3ds& text(const std::string& s)
    {
        payload.insert(payload.end(), s.begin(), s.end());
        return u8(0);
    }
    Chunk3ds& child(const Chunk3ds& c)
    {
        const std::vector<std::uint8_t> bytes = c.bytes();
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::vector<std::uint8_t> bytes() const
    {
        Chunk3ds header(0);
        header.u16(id).u32(std::uint32_t(payload.size() + 6));
        std::vector<std::uint8_t> out = header.payload;
        out.insert(out.end(), payload.begin(), payload.end());
        return out;
    }

private:
    std::uint16_t id;
    std::vector<std::uint8_t> payload;
};

// One 3DS object for the triangles [first, last) with only the vertices they use.
inline Chunk3ds make3dsObject(const TestMesh& mesh, std::size_t first, std::size_t last, const std::string& name)
{
    std::vector<std::int64_t> local(mesh.positions.size() / 3, -1);
    std::vector<std::uint32_t> used;
    for (std::size_t i = first * 3; i < last * 3; ++i) {
        if (local[mesh.triangles[i]] < 0) {
            local[mesh.triangles[i]] = std::int64_t(used.size());
            used.push_back(mesh.triangles[i]);
        }
    }
    Chunk3ds vertices(0x4110);
    vertices.u16(std::uint16_t(used.size()));
    for (std::uint32_t v : used)
        vertices.f32(mesh.positions[v * 3]).f32(mesh.positions[v * 3 + 1]).f32(mesh.positions[v * 3 + 2]);
    Chunk3ds uvs(0x4140);
    uvs.u16(std::uint16_t(used.size()));
    for (std::uint32_t v : used)
        uvs.f32(mesh.texCoords.empty() ? 0.0f : mesh.texCoords[v * 2]).f32(mesh.texCoords.empty() ? 0.0f : mesh.texCoords[v * 2 + 1]);
    Chunk3ds faces(0x4120);
    faces.u16(std::uint16_t(last - first));
    for (std::size_t t = first; t < last; ++t) {
        for (int c = 0; c < 3; ++c)
            faces.u16(std::uint16_t(local[mesh.triangles[t * 3 + c]]));
        faces.u16(7);
    }
    for (std::size_t m = 0; m < mesh.materials.size(); ++m) {
        std::vector<std::uint16_t> group;
        for (std::size_t t = first; t < last; ++t) {
            if (mesh.faceMaterial[t] == m)
                group.push_back(std::uint16_t(t - first));
        }
        if (group.empty())
            continue;
        Chunk3ds faceMaterial(0x4130);
        faceMaterial.text(mesh.materials[m].name).u16(std::uint16_t(group.size()));
        for (std::uint16_t f : group)
            faceMaterial.u16(f);
        faces.child(faceMaterial);
    }
    Chunk3ds triangleMesh(0x4100);
    triangleMesh.child(vertices).child(uvs).child(faces);
    Chunk3ds object(0x4000);
    object.text(name).child(triangleMesh);
    return object;
}

inline std::uint8_t colourByteOf(float c)
{
    return std::uint8_t(c * 255.0f);
}

// The whole 3DS file: version chunk, editor with materials and one object
// per range of objectStarts.
inline std::vector<std::uint8_t> make3dsFile(const TestMesh& mesh)
{
    Chunk3ds editor(0x3D3D);
    editor.child(Chunk3ds(0x3D3E).u32(3));
    for (const TestMaterial& m : mesh.materials) {
        Chunk3ds block(0xAFFF);
        block.child(Chunk3ds(0xA000).text(m.name));
        block.child(Chunk3ds(0xA020).child(Chunk3ds(0x0011).u8(colourByteOf(m.r)).u8(colourByteOf(m.g)).u8(colourByteOf(m.b))));
        editor.child(block);
    }
    std::vector<std::size_t> starts{0};
    starts.insert(starts.end(), mesh.objectStarts.begin(), mesh.objectStarts.end());
    starts.push_back(mesh.triangles.size() / 3);
    for (std::size_t o = 0; o + 1 < starts.size(); ++o)
        editor.child(make3dsObject(mesh, starts[o], starts[o + 1], "object" + std::to_string(o)));
    Chunk3ds main(0x4D4D);
    main.child(Chunk3ds(0x0002).u32(3)).child(editor);
    main.child(Chunk3ds(0xB000).child(Chunk3ds(0xB00A).u16(5).text("x").u16(100)));
    return main.bytes();
}

inline void writeBinaryFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
