// CResource: the base of every engine resource (images and textures, sprites,
// sounds, streamed sounds, models). It carries the name the resource manager
// finds it by, the file it came from and a type code. The destructor is its
// only virtual operation.
#pragma once

#include "core/String.h"

#include <cstdint>

class CResource {
public:
    // Resource type codes.
    enum Type : std::int32_t {
        TypeNone = 0,
        TypeImage = 1,        // CImage, CTexture
        TypeSprite = 2,       // CSprite
        TypeSound = 3,        // CSound
        TypeSoundStream = 4,  // CSoundStream
        TypeModel = 5,        // CModel
    };

    CResource() = default;
    explicit CResource(std::int32_t typeCode) : type(typeCode) {}
    CResource(const CResource&) = default;
    CResource(CResource&&) = default;
    CResource& operator=(const CResource&) = default;
    CResource& operator=(CResource&&) = default;
    virtual ~CResource();

    const String& getName() const { return name; }
    const String& getFile() const { return file; }
    std::int32_t getType() const { return type; }
    void setName(const String& newName) { name = newName; }
    void setFile(const String& newFile) { file = newFile; }

    String name;              // the key the resource is found by
    String file;              // path it was loaded from; empty when built in memory
    std::int32_t type = 0;    // one of Type
};
