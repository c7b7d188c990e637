// Model3dsReader: a recursive walk over the chunk tree with every chunk
// bounded by its parent.
#include "resources/Model3dsReader.h"

#include "core/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::uint64_t maxModelFileBytes = std::uint64_t(256) << 20;

// Chunk ids (3D Studio file layout).
constexpr std::uint16_t chunkMain = 0x4D4D;
constexpr std::uint16_t chunkEditor = 0x3D3D;
constexpr std::uint16_t chunkObject = 0x4000;
constexpr std::uint16_t chunkTriangleMesh = 0x4100;
constexpr std::uint16_t chunkVertexList = 0x4110;
constexpr std::uint16_t chunkFaceList = 0x4120;
constexpr std::uint16_t chunkFaceMaterial = 0x4130;
constexpr std::uint16_t chunkTexCoords = 0x4140;
constexpr std::uint16_t chunkMaterialBlock = 0xAFFF;
constexpr std::uint16_t chunkMaterialName = 0xA000;
constexpr std::uint16_t chunkDiffuse = 0xA020;
constexpr std::uint16_t chunkColourFloat = 0x0010;
constexpr std::uint16_t chunkColour24 = 0x0011;

// The main chunk header and the version chunk that follows it.
constexpr std::size_t firstTopLevelChunk = 16;
// Deeper nesting than any real file has; bounds the recursion.
constexpr int maxChunkDepth = 16;
constexpr std::size_t maxMaterialName = 128;

// The 6-byte header every chunk starts with, read field by field.
struct ChunkHeader {
    std::uint16_t id;
    std::uint32_t length; // header included
};

std::uint16_t read16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

float readFloat(const std::uint8_t* p)
{
    const std::uint32_t bits = read32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

struct Material {
    std::string name;
    std::uint8_t rgb[3] = {0, 0, 0};
};

// One triangle mesh (0x4100) as read, before it joins the model.
struct MeshPart {
    std::vector<float> positions;
    std::vector<std::uint16_t> faces;   // 3 a face
    std::vector<float> texCoords;
    // Face-material groups in file order: the colour, then the face numbers.
    struct Group {
        std::uint8_t rgb[3];
        std::vector<std::uint16_t> faces;
    };
    std::vector<Group> groups;
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size, ModelMesh& mesh) : data(data), size(size), mesh(mesh) {}

    void readTopLevel()
    {
        std::size_t pos = firstTopLevelChunk;
        ChunkHeader header;
        while (readHeader(pos, size, header)) {
            const std::size_t end = pos + header.length;
            if (header.id == chunkEditor)
                readChunks(pos + 6, end, 0, nullptr, 0);
            // Keyframes (0xB000) and anything else at the top: skipped whole.
            pos = end;
        }
        if (!materials.empty())
            mesh.vertexColours = true;
    }

private:
    // The chunk header at pos, when one fits before `end`. A length that
    // reaches past `end` (a truncated file, a broken length) is cut there;
    // one shorter than the header ends the walk.
    bool readHeader(std::size_t pos, std::size_t end, ChunkHeader& header) const
    {
        if (pos > end || end - pos < 6)
            return false;
        header.id = read16(data + pos);
        header.length = read32(data + pos + 2);
        if (header.length > end - pos)
            header.length = std::uint32_t(end - pos);
        return header.length >= 6;
    }

    // The chunks between begin and end; `parent` is the enclosing chunk's id.
    void readChunks(std::size_t pos, std::size_t end, std::uint16_t parent, MeshPart* part, int depth)
    {
        if (depth >= maxChunkDepth)
            return;
        ChunkHeader header;
        while (readHeader(pos, end, header)) {
            readChunk(header.id, pos + 6, pos + header.length, parent, part, depth + 1);
            pos += header.length;
        }
    }

    void readChunk(std::uint16_t id, std::size_t pos, std::size_t end, std::uint16_t parent, MeshPart* part,
                   int depth)
    {
        switch (id) {
        case chunkObject: {
            // A zero-terminated name, then the object's chunks.
            const void* zero = std::memchr(data + pos, 0, end - pos);
            if (zero)
                readChunks(std::size_t(static_cast<const std::uint8_t*>(zero) - data) + 1, end, id, nullptr, depth);
            return;
        }
        case chunkTriangleMesh: {
            MeshPart newPart;
            readChunks(pos, end, id, &newPart, depth);
            addPart(newPart);
            return;
        }
        case chunkVertexList:
            if (part)
                readFloats(pos, end, 3, part->positions);
            return;
        case chunkFaceList:
            if (part)
                readFaces(pos, end, *part, depth);
            return;
        case chunkFaceMaterial:
            // Normally inside the face list; some writers put it beside the
            // face list in the mesh, which names the same faces.
            if (part && (parent == chunkFaceList || parent == chunkTriangleMesh))
                readFaceMaterial(pos, end, *part);
            return;
        case chunkTexCoords:
            if (part)
                readFloats(pos, end, 2, part->texCoords);
            return;
        case chunkMaterialBlock:
        case chunkDiffuse:
            readChunks(pos, end, id, part, depth);
            return;
        case chunkMaterialName: {
            Material material;
            const std::size_t length = std::min(end - pos, maxMaterialName);
            const char* text = reinterpret_cast<const char*>(data + pos);
            material.name.assign(text, strnlen(text, length));
            materialByName.emplace(material.name, materials.size());  // the first of a name wins
            materials.push_back(material);
            return;
        }
        case chunkColour24:
            if (parent == chunkDiffuse && !materials.empty() && end - pos >= 3)
                std::copy(data + pos, data + pos + 3, materials.back().rgb);
            return;
        case chunkColourFloat:
            if (parent == chunkDiffuse && !materials.empty() && end - pos >= 12) {
                for (int i = 0; i < 3; ++i)
                    materials.back().rgb[i] = colourByte(readFloat(data + pos + 4 * i));
            }
            return;
        default:
            return; // skipped whole
        }
    }

    static std::uint8_t colourByte(float component)
    {
        const float scaled = component * 255.0f;
        if (!(scaled > 0.0f))
            return 0;
        return scaled >= 255.0f ? 255 : std::uint8_t(scaled);
    }

    // A 16-bit count, then count records of `perRecord` floats; a later list
    // replaces an earlier one. The count is cut to the records the chunk holds.
    void readFloats(std::size_t pos, std::size_t end, std::size_t perRecord, std::vector<float>& out) const
    {
        out.clear();
        if (end - pos < 2)
            return;
        const std::size_t recordBytes = perRecord * 4;
        const std::size_t count = std::min<std::size_t>(read16(data + pos), (end - pos - 2) / recordBytes);
        out.resize(count * perRecord);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = readFloat(data + pos + 2 + 4 * i);
    }

    // A 16-bit count, then per face three vertex numbers and a flags word;
    // the face-material groups follow as sub-chunks.
    void readFaces(std::size_t pos, std::size_t end, MeshPart& part, int depth)
    {
        part.faces.clear();
        part.groups.clear();
        if (end - pos < 2)
            return;
        const std::size_t count = std::min<std::size_t>(read16(data + pos), (end - pos - 2) / 8);
        part.faces.resize(count * 3);
        for (std::size_t face = 0; face < count; ++face) {
            for (int corner = 0; corner < 3; ++corner)
                part.faces[face * 3 + corner] = read16(data + pos + 2 + face * 8 + corner * 2);
        }
        readChunks(pos + 2 + count * 8, end, chunkFaceList, &part, depth);
    }

    // A zero-terminated material name, a 16-bit count and the face numbers.
    void readFaceMaterial(std::size_t pos, std::size_t end, MeshPart& part) const
    {
        const void* zero = std::memchr(data + pos, 0, end - pos);
        if (!zero)
            return;
        const std::size_t nameEnd = std::size_t(static_cast<const std::uint8_t*>(zero) - data);
        const std::string name(reinterpret_cast<const char*>(data + pos), nameEnd - pos);
        const auto found = materialByName.find(name);
        const Material* material = found == materialByName.end() ? nullptr : &materials[found->second];
        pos = nameEnd + 1;
        if (!material || end - pos < 2)
            return;
        const std::size_t count = std::min<std::size_t>(read16(data + pos), (end - pos - 2) / 2);
        MeshPart::Group group;
        std::copy(material->rgb, material->rgb + 3, group.rgb);
        group.faces.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            group.faces[i] = read16(data + pos + 2 + 2 * i);
        part.groups.push_back(std::move(group));
    }

    // Appends one object's mesh to the model, renumbering its faces.
    void addPart(const MeshPart& part)
    {
        const std::size_t base = mesh.vertexCount();
        const std::size_t vertices = part.positions.size() / 3;
        for (std::size_t v = 0; v < vertices; ++v)
            mesh.addVertex(part.positions[v * 3], part.positions[v * 3 + 1], part.positions[v * 3 + 2]);
        const std::size_t texCoords = std::min(vertices, part.texCoords.size() / 2);
        std::copy(part.texCoords.begin(), part.texCoords.begin() + texCoords * 2, mesh.texCoords.begin() + base * 2);
        for (std::size_t face = 0; face * 3 < part.faces.size(); ++face) {
            const std::uint16_t* corner = &part.faces[face * 3];
            if (corner[0] >= vertices || corner[1] >= vertices || corner[2] >= vertices)
                continue; // names a vertex this object does not have
            for (int i = 0; i < 3; ++i)
                mesh.indices.push_back(std::uint32_t(base + corner[i]));
        }
        const std::size_t faceCount = part.faces.size() / 3;
        for (const MeshPart::Group& group : part.groups) {
            for (std::uint16_t face : group.faces) {
                if (face >= faceCount)
                    continue;
                for (int i = 0; i < 3; ++i) {
                    const std::uint16_t vertex = part.faces[std::size_t(face) * 3 + i];
                    if (vertex >= vertices)
                        continue;
                    std::uint8_t* rgba = &mesh.colours[(base + vertex) * 4];
                    std::copy(group.rgb, group.rgb + 3, rgba);
                    rgba[3] = 255;
                }
            }
        }
    }

    const std::uint8_t* data;
    std::size_t size;
    ModelMesh& mesh;
    std::vector<Material> materials;
    std::unordered_map<std::string, std::size_t> materialByName;
};

}  // namespace

bool read3ds(const std::uint8_t* data, std::size_t size, ModelMesh& mesh, std::string* error)
{
    mesh = ModelMesh();
    if (size < 2 || read16(data) != chunkMain) {
        if (error)
            *error = "3DS: not a 3DS file";
        return false;
    }
    Reader reader(data, size, mesh);
    reader.readTopLevel();
    return true;
}

bool load3dsFile(const char* path, CModel& model, std::string* error)
{
    std::vector<std::uint8_t> bytes;
    ModelMesh mesh;
    if (!readFileBytes(path, bytes, "3DS", error, maxModelFileBytes) ||
        !read3ds(bytes.data(), bytes.size(), mesh, error)) {
        model.setMesh(ModelMesh(), nullptr);
        return false;
    }
    return model.setMesh(mesh, error);
}
