// ObjReader: reads Wavefront OBJ meshes with colours from their MTL material
// libraries into a CModel.
//
// Supported: "v" (x, y, z), "vt" (u, v, matched to vertices by order, not
// through the faces), "f" with up to four entries of the forms v, v/t, v/t/n
// and v//n (only the vertex number is used; four entries make two
// triangles), "mtllib" (the rest of the line names one library), "usemtl",
// and in the library "newmtl", "Ka", "Kd", "Ks" and "Ns". Every vertex of a
// face takes the diffuse colour (Kd) of the face's material. Anything else is
// skipped: normals, groups, smoothing, fifth and later entries of a face.
//
// Positive vertex numbers count from the first vertex of the whole file, so
// a face may come before its vertices; negative ones count back from the
// last vertex read before the face (-1 is that vertex). Faces that name a
// vertex outside the vertex list are skipped. More vertices
// than 16-bit indices can address are refused.
#pragma once

#include "resources/CModel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Supplies the bytes of the material library a "mtllib" line names; false
// when there is no such library.
using MaterialLibraryLoader = std::function<bool(const std::string& name, std::vector<std::uint8_t>& bytes)>;

// Reads OBJ text into `mesh`; lines it does not understand are skipped. False
// (with `error`) only when the file has more vertices than a model may hold.
bool readObj(const std::uint8_t* data, std::size_t size, const MaterialLibraryLoader& loadLibrary, ModelMesh& mesh,
             std::string* error);

// Reads the OBJ file into the model. A library is opened by the name the file
// gives and, when that fails for a relative name, next to the OBJ file. False
// when the file cannot be read or the mesh is refused (`error` says why); the
// model is then empty.
bool loadObjFile(const char* path, CModel& model, std::string* error);
