// Model3dsReader: reads 3D Studio (.3ds) binary meshes into a CModel.
//
// The file is a tree of chunks, each a 16-bit id and a 32-bit length that
// counts its own 6 header bytes (little-endian). Read: the editor chunk
// (0x3D3D) with its objects (0x4000), triangle meshes (0x4100), vertex lists
// (0x4110), face lists (0x4120) with their face-material groups (0x4130) and
// texture coordinates (0x4140), and material blocks (0xAFFF) with their names
// (0xA000) and diffuse colours (0xA020 holding a 24-bit 0x0011 or a float
// 0x0010 colour). Everything else (keyframes, lights, cameras, mesh matrices,
// the other material properties) is skipped.
//
// Every object's mesh goes into the one model: its vertices follow those of
// the objects before it and its faces are renumbered to match. Each vertex
// takes the diffuse colour of the last material group that names one of its
// faces; the model uses vertex colours when the file has any material.
//
// Chunk lengths are checked against the chunk that holds them and counts
// against the chunk's length: a chunk that overruns its parent (a truncated
// file) is cut at the parent's end, a list longer than its chunk is cut to
// the whole records the chunk holds, and a face naming a vertex outside its
// object is skipped. More vertices than 16-bit indices can address are
// refused.
#pragma once

#include "resources/CModel.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads a 3DS file's bytes into `mesh`. False (with `error`) when the bytes
// do not start with the main chunk id 0x4D4D; the mesh is then empty.
bool read3ds(const std::uint8_t* data, std::size_t size, ModelMesh& mesh, std::string* error);

// Reads the 3DS file into the model. False when the file cannot be read, is
// not a 3DS file or the mesh is refused (`error` says why); the model is then
// empty.
bool load3dsFile(const char* path, CModel& model, std::string* error);
