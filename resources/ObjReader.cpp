// ObjReader: two passes over the OBJ text, the first counting vertices and
// triangles, the second filling the mesh.
#include "resources/ObjReader.h"

#include "core/FileBytes.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <filesystem>
#include <string_view>
#include <unordered_map>

namespace {

// Model files are text of a few MiB at most; this admits far larger ones and
// still bounds what a hostile file makes us hold.
constexpr std::uint64_t maxModelFileBytes = std::uint64_t(256) << 20;

struct ObjMaterial {
    std::string name;
    float ka[3] = {0, 0, 0};
    float kd[3] = {0, 0, 0};
    float ks[3] = {0, 0, 0};
    float ns = 0;
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits off the next white-space separated word of `line`.
std::string_view nextWord(std::string_view& line)
{
    std::size_t start = 0;
    while (start < line.size() && isSpace(line[start]))
        ++start;
    std::size_t end = start;
    while (end < line.size() && !isSpace(line[end]))
        ++end;
    const std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

// The next word as a float; 0 when it is missing or not a number.
float nextFloat(std::string_view& line)
{
    std::string_view word = nextWord(line);
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    float value = 0.0f;
    std::from_chars(word.data(), word.data() + word.size(), value);
    return value;
}

// Calls `visit` with every line of the block (without its line end).
template <typename Visit>
void forEachLine(const std::uint8_t* data, std::size_t size, Visit&& visit)
{
    const char* text = reinterpret_cast<const char*>(data);
    std::size_t start = 0;
    while (start < size) {
        const void* found = std::memchr(text + start, '\n', size - start);
        const std::size_t end = found ? std::size_t(static_cast<const char*>(found) - text) : size;
        visit(std::string_view(text + start, end - start));
        start = end + 1;
    }
}

std::vector<ObjMaterial> readMaterialLibrary(const std::vector<std::uint8_t>& bytes)
{
    std::vector<ObjMaterial> materials;
    forEachLine(bytes.data(), bytes.size(), [&](std::string_view line) {
        const std::string_view keyword = nextWord(line);
        if (keyword == "newmtl") {
            materials.emplace_back();
            materials.back().name = std::string(trim(line));
            return;
        }
        if (materials.empty())
            return;
        ObjMaterial& material = materials.back();
        float* colour = keyword == "Ka" ? material.ka : keyword == "Kd" ? material.kd : keyword == "Ks" ? material.ks
                                                                                                         : nullptr;
        if (colour) {
            for (int i = 0; i < 3; ++i)
                colour[i] = nextFloat(line);
        } else if (keyword == "Ns") {
            material.ns = nextFloat(line);
        }
    });
    return materials;
}

// A colour component 0..1 as a byte, truncated; out-of-range values (and NaN)
// are clamped rather than converted with undefined results.
std::uint8_t colourByte(float component)
{
    const float scaled = component * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return std::uint8_t(scaled);
}

// The vertex number at the start of a face entry ("v", "v/t", "v/t/n",
// "v//n"), signed as written: positive numbers count from 1, negative ones
// back from the last vertex read so far. 0 when the entry does not start
// with a number (or the number is 0, which names no vertex).
std::int64_t entryVertex(std::string_view entry)
{
    bool negative = false;
    std::size_t i = 0;
    if (i < entry.size() && (entry[i] == '-' || entry[i] == '+'))
        negative = entry[i++] == '-';
    const std::size_t digits = i;
    std::int64_t value = 0;
    for (; i < entry.size() && entry[i] >= '0' && entry[i] <= '9'; ++i) {
        value = value * 10 + (entry[i] - '0');
        if (value > 0xFFFFFF)
            value = 0xFFFFFF; // past any vertex list we accept
    }
    if (i == digits)
        return 0;
    return negative ? -value : value;
}

struct FaceEntries {
    std::uint32_t count = 0;   // entries read (at most four)
    std::int64_t vertex[4];    // as written; 0 for an entry without a number
};

// The first four entries of a face line.
FaceEntries readFace(std::string_view line)
{
    FaceEntries face;
    for (int word = 0; word < 4; ++word) {
        const std::string_view entry = nextWord(line);
        if (entry.empty())
            break;
        face.vertex[face.count++] = entryVertex(entry);
    }
    return face;
}

// A face entry as a 0-based vertex index: a positive entry counts from the
// first vertex of the whole file (faces may come before their vertices), a
// negative one back from the last vertex read so far. -1 when it names no
// vertex that exists.
std::int64_t resolveVertex(std::int64_t entry, std::size_t verticesRead, std::size_t verticesInFile)
{
    const std::int64_t index = entry > 0 ? entry - 1 : std::int64_t(verticesRead) + entry;
    const auto limit = std::int64_t(entry > 0 ? verticesInFile : verticesRead);
    return entry == 0 || index < 0 || index >= limit ? -1 : index;
}

// A parsed material library, with its names looked up in constant time.
struct ObjLibrary {
    std::vector<ObjMaterial> materials;
    std::unordered_map<std::string, std::size_t> byName;  // the first of a name wins
};

}  // namespace

bool readObj(const std::uint8_t* data, std::size_t size, const MaterialLibraryLoader& loadLibrary, ModelMesh& mesh,
             std::string* error)
{
    mesh = ModelMesh();

    // First pass: how many vertices and triangles to make room for.
    std::size_t vertexLines = 0;
    std::size_t triangles = 0;
    forEachLine(data, size, [&](std::string_view line) {
        const std::string_view keyword = nextWord(line);
        if (keyword == "v")
            ++vertexLines;
        else if (keyword == "f")
            triangles += readFace(line).count == 4 ? 2 : 1;
    });
    if (vertexLines > maxModelVertices) {
        if (error)
            *error = "OBJ: " + std::to_string(vertexLines) + " vertices are more than 16-bit indices can address";
        return false;
    }
    // Faces that turn out to be broken are dropped, so the count is only an
    // upper bound; a hostile file of empty "f" lines must not make it a
    // large allocation.
    mesh.indices.reserve((std::min(triangles, std::size_t(1) << 22) + 1) * 3);
    for (std::size_t v = 0; v < vertexLines; ++v)
        mesh.addVertex(0.0f, 0.0f, 0.0f);

    // Node-based, so the pointers below stay valid as libraries are added.
    std::unordered_map<std::string, ObjLibrary> libraries;
    const ObjLibrary* materials = nullptr;
    const ObjMaterial* current = nullptr;
    std::size_t nextVertex = 0;
    std::size_t nextTexCoord = 0;

    forEachLine(data, size, [&](std::string_view line) {
        const std::string_view keyword = nextWord(line);
        if (keyword == "v") {
            float* p = &mesh.positions[nextVertex++ * 3];
            for (int i = 0; i < 3; ++i)
                p[i] = nextFloat(line);
        } else if (keyword == "vt") {
            if (nextTexCoord >= vertexLines)
                return;
            float* t = &mesh.texCoords[nextTexCoord++ * 2];
            t[0] = nextFloat(line);
            t[1] = nextFloat(line);
        } else if (keyword == "f") {
            const FaceEntries face = readFace(line);
            if (face.count < 3)
                return;
            // A face with any entry that names no vertex (0, past the end,
            // before the first, or not a number) is dropped whole: dropping
            // the entry alone would make another triangle.
            std::uint32_t index[4];
            for (std::uint32_t i = 0; i < face.count; ++i) {
                const std::int64_t resolved = resolveVertex(face.vertex[i], nextVertex, vertexLines);
                if (resolved < 0)
                    return;
                index[i] = std::uint32_t(resolved);
            }
            mesh.indices.insert(mesh.indices.end(), {index[0], index[1], index[2]});
            if (face.count == 4)
                mesh.indices.insert(mesh.indices.end(), {index[2], index[3], index[0]});
            if (mesh.vertexColours && current) {
                const std::uint8_t rgba[4] = {colourByte(current->kd[0]), colourByte(current->kd[1]),
                                              colourByte(current->kd[2]), 255};
                for (std::uint32_t i = 0; i < face.count; ++i)
                    std::copy(rgba, rgba + 4, &mesh.colours[std::size_t(index[i]) * 4]);
            }
        } else if (keyword == "mtllib") {
            // Each library is read and parsed once per load, however often
            // the file names it.
            const std::string name(trim(line));
            auto found = libraries.find(name);
            if (found == libraries.end()) {
                ObjLibrary library;
                std::vector<std::uint8_t> bytes;
                if (!name.empty() && loadLibrary && loadLibrary(name, bytes))
                    library.materials = readMaterialLibrary(bytes);
                for (std::size_t i = 0; i < library.materials.size(); ++i)
                    library.byName.emplace(library.materials[i].name, i);
                found = libraries.emplace(name, std::move(library)).first;
            }
            materials = &found->second;
            current = nullptr;
            if (!materials->materials.empty())
                mesh.vertexColours = true;
        } else if (keyword == "usemtl") {
            if (!materials || materials->materials.empty())
                return;
            const auto found = materials->byName.find(std::string(trim(line)));
            current = found == materials->byName.end() ? nullptr : &materials->materials[found->second];
        }
    });

    // The spare triangle (0, 0, 0) after the last one.
    if (vertexLines != 0)
        mesh.indices.insert(mesh.indices.end(), {0, 0, 0});
    return true;
}

bool loadObjFile(const char* path, CModel& model, std::string* error)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes, "OBJ", error, maxModelFileBytes)) {
        model.setMesh(ModelMesh(), nullptr);
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const MaterialLibraryLoader loadLibrary = [&](const std::string& name, std::vector<std::uint8_t>& library) {
        if (readFileBytes(name.c_str(), library, "MTL", nullptr, maxModelFileBytes))
            return true;
        if (std::filesystem::path(name).is_absolute() || folder.empty())
            return false;
        return readFileBytes((folder / name).c_str(), library, "MTL", nullptr, maxModelFileBytes);
    };
    ModelMesh mesh;
    if (!readObj(bytes.data(), bytes.size(), loadLibrary, mesh, error)) {
        model.setMesh(ModelMesh(), nullptr);
        return false;
    }
    return model.setMesh(mesh, error);
}
