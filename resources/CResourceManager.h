// CResourceManager: owns loaded resources (textures, sprites, fonts' glyph
// sprites, sounds, sound streams and models), finds them by name, loads
// single files by their suffix and whole resource lists described in XML.
//
// The resource list is the engine's one data format for resources; the atlas
// description the packer writes is such a list holding one "sprite". Images
// load by their codec's suffix, ".ogg" and ".wav" as sounds, ".obj" and
// ".3ds" as models; list entries "font", "stream" and "heightmap" build a
// glyph sprite, an Ogg stream and a height-field model.
//
// Relative file names are resolved against the working directory, as the
// list gives them; a caller that wants another folder rewrites the names.
#pragma once

#include "core/CSignal.h"
#include "core/String.h"
#include "image/CResource.h"

#include <cstdint>
#include <memory>
#include <vector>

class CXMLNode;

class CResourceManager {
public:
    CResourceManager();
    ~CResourceManager();

    CResourceManager(const CResourceManager&) = delete;
    CResourceManager& operator=(const CResourceManager&) = delete;

    // Loads one file by its suffix (case-sensitive ends-with): ".bmp", ".jpg",
    // ".png" and ".tga" become a CTexture named `name`. A file already loaded
    // under the same path, or an unknown suffix, adds nothing. A file the
    // codec cannot read still yields a texture, without pixels.
    void load(const String& file, const String& name);
    // Processes every child element of `element` as a resource-list entry.
    void loadList(CXMLNode& element);
    // Reads an XML file and processes its root element's children. Returns
    // false when the file cannot be read or is not well-formed (entries read
    // before a well-formedness error are still processed).
    bool loadListFile(const String& path);

    // First resource named `name` (exact), then the child managers' in order.
    CResource* find(const String& name) const;
    // Deletes the first resource named `name`; nothing when there is none.
    void remove(const String& name);
    CResource* getResource(std::uint32_t index) const;
    std::uint32_t getCount() const { return static_cast<std::uint32_t>(resources.size()); }
    // Deletes every resource; child managers are forgotten, not deleted.
    void clear();

    // Appends a resource the caller made (the manager takes it over).
    void add(std::unique_ptr<CResource> resource);
    // Lookups fall through to `child` (borrowed) after this manager's own.
    void addChild(CResourceManager* child);

    void setTextureOptions(std::uint32_t maxTextureSize, bool linearFilter, bool mipmaps, bool compressTextures,
                           bool discardPixels);

    std::uint32_t getCapacity() const { return resourceCapacity; }
    std::uint32_t getChildCount() const { return static_cast<std::uint32_t>(children.size()); }

    // Emitted once per resource-list element, before it is processed, with
    // the element, its index and the number of elements.
    CSignal<CXMLNode&, unsigned int, unsigned int> onLoad;

private:
    void loadSprite(CXMLNode& element, const String& file, const String& name);
    // A "font" entry: the glyph sprite of the font file and its texture.
    void loadFont(CXMLNode& element, const String& file, const String& name);
    // This manager's first resource loaded from `file`, or null.
    CResource* findFile(const String& file) const;
    void append(std::unique_ptr<CResource> resource);

    std::vector<std::unique_ptr<CResource>> resources;
    // The array's logical capacity: doubles when an append finds it full,
    // halves (not below 2) when a removal leaves it at least half empty.
    std::uint32_t resourceCapacity = 0;
    std::vector<CResourceManager*> children;

    std::uint32_t maxTextureSize = 0xFFFFFFFFu;
    bool linearFilter = true;
    bool mipmaps = true;
    bool compressTextures = false;
    bool discardPixels = true;
};
