// CResourceManager: suffix dispatch, the resource-list reader and the
// resource array with its growth and shrink rules.
#include "resources/CResourceManager.h"

#include "core/FileBytes.h"

#include "image/ImageFile.h"
#include "resources/CHeightmap.h"
#include "resources/CModel.h"
#include "resources/CSound.h"
#include "resources/CSoundStream.h"
#include "resources/CSprite.h"
#include "resources/GlyphSprite.h"
#include "resources/CTexture.h"
#include "resources/Model3dsReader.h"
#include "resources/ObjReader.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLNode.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Largest number of frames one "array" attribute may add; a hostile list
// must not make the reader allocate without bound.
constexpr std::int64_t maxArrayFrames = 1 << 20;

// Reads the leading integer of an attribute value leniently: leading white
// space, an optional sign, decimal digits; 0 when there are none.
std::int32_t leadingInt(const char* text)
{
    if (!text)
        return 0;
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    return static_cast<std::int32_t>(value);
}

std::int32_t intAttribute(const CXMLNode& node, const char* name, std::int32_t fallback)
{
    const CXMLAttribute* attribute = node.findAttribute(name, 1);
    return attribute ? leadingInt(attribute->value().c_str()) : fallback;
}

}

CResourceManager::CResourceManager() = default;

CResourceManager::~CResourceManager()
{
    clear();
}

void CResourceManager::append(std::unique_ptr<CResource> resource)
{
    if (resources.size() == resourceCapacity) {
        resourceCapacity = resourceCapacity < 2 ? 2 : resourceCapacity * 2;
        resources.reserve(resourceCapacity);
    }
    resources.push_back(std::move(resource));
}

void CResourceManager::add(std::unique_ptr<CResource> resource)
{
    if (resource)
        append(std::move(resource));
}

void CResourceManager::addChild(CResourceManager* child)
{
    if (!child)
        return;
    if (children.size() == children.capacity())
        children.reserve(children.capacity() < 2 ? 2 : children.capacity() * 2);
    children.push_back(child);
}

void CResourceManager::setTextureOptions(std::uint32_t newMaxTextureSize, bool newLinearFilter, bool newMipmaps,
                                         bool newCompressTextures, bool newDiscardPixels)
{
    maxTextureSize = newMaxTextureSize;
    linearFilter = newLinearFilter;
    mipmaps = newMipmaps;
    compressTextures = newCompressTextures;
    discardPixels = newDiscardPixels;
}

CResource* CResourceManager::findFile(const String& file) const
{
    for (const auto& resource : resources) {
        if (resource->getFile() == file)
            return resource.get();
    }
    return nullptr;
}

void CResourceManager::load(const String& file, const String& name)
{
    if (findFile(file))
        return;
    // The suffix test is case-sensitive, as the resource list requires.
    if (imageFileFormatOf(file.c_str()) != ImageFileFormat::None) {
        auto texture = std::make_unique<CTexture>();
        // A file the codec refuses leaves the texture without pixels; the
        // list reader's callers check for that where it matters.
        loadImageFile(file.c_str(), *texture, nullptr);
        texture->setName(name);
        texture->setFile(file);
        texture->upload(maxTextureSize, linearFilter, mipmaps, compressTextures, discardPixels);
        append(std::move(texture));
        return;
    }
    // Sounds and models that cannot be read are still added, empty.
    const bool ogg = file.endsWith(".ogg");
    if (ogg || file.endsWith(".wav")) {
        auto sound = std::make_unique<CSound>();
        sound->setName(name);
        sound->setFile(file);
        if (ogg)
            sound->loadOgg(file.c_str());
        else
            sound->loadWav(file.c_str());
        append(std::move(sound));
        return;
    }
    const bool threeDs = file.endsWith(".3ds");
    if (threeDs || file.endsWith(".obj")) {
        auto model = std::make_unique<CModel>();
        model->setName(name);
        model->setFile(file);
        if (threeDs)
            load3dsFile(file.c_str(), *model, nullptr);
        else
            loadObjFile(file.c_str(), *model, nullptr);
        append(std::move(model));
    }
}

void CResourceManager::loadSprite(CXMLNode& element, const String& file, const String& name)
{
    load(file, file);
    // The path is the key: the texture may have been loaded earlier under
    // another name, and another resource may carry the path as its name.
    CTexture* texture = dynamic_cast<CTexture*>(findFile(file));
    if (!texture)
        texture = dynamic_cast<CTexture*>(find(file));
    const std::int32_t textureWidth = texture ? static_cast<std::int32_t>(texture->getWidth()) : 0;
    const std::int32_t textureHeight = texture ? static_cast<std::int32_t>(texture->getHeight()) : 0;

    auto sprite = std::make_unique<CSprite>();
    sprite->setName(name);
    sprite->setFps(intAttribute(element, "fps", 0));
    const std::int32_t defaultDelay = sprite->getDefaultDelay();

    const std::uint32_t childCount = element.childCount();
    if (childCount == 0) {
        SpriteFrame frame;
        frame.initFrame(0, 0, static_cast<std::uint32_t>(textureWidth), static_cast<std::uint32_t>(textureHeight), 0,
                        texture);
        sprite->addFrame(frame);
    }
    for (std::uint32_t i = 0; i < childCount; ++i) {
        const CXMLNode& child = *element.child(i);
        const std::int32_t x = intAttribute(child, "x", 0);
        const std::int32_t y = intAttribute(child, "y", 0);
        const std::int32_t w = intAttribute(child, "w", textureWidth);
        const std::int32_t h = intAttribute(child, "h", textureHeight);
        const std::int32_t delay = intAttribute(child, "delay", defaultDelay);
        const CXMLAttribute* array = child.findAttribute("array", 1);
        // A rectangle that cannot be right (negative, or beyond 2^31) keeps
        // its place in the sprite as an empty frame that says why.
        const auto addFrame = [&](const String& frameName, std::int64_t frameX, std::int64_t frameY) {
            SpriteFrame frame;
            frame.name = frameName;
            frame.refusal = SpriteFrame::checkRect(frameX, frameY, w, h);
            if (frame.refusal)
                frame.initFrame(0, 0, 0, 0, delay, texture);
            else
                frame.initFrame(static_cast<std::uint32_t>(frameX), static_cast<std::uint32_t>(frameY),
                                static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h), delay, texture);
            sprite->addFrame(frame);
        };
        if (!array) {
            addFrame(child.attributeValue("name", 1), x, y);
            continue;
        }
        // "columns,rows": frames row by row, stepping w to the right and h down.
        const char* text = array->value().c_str();
        const std::int32_t columns = leadingInt(text);
        const char* comma = text ? std::strchr(text, ',') : nullptr;
        const std::int32_t rows = comma ? leadingInt(comma + 1) : 0;
        if (columns <= 0 || rows <= 0 || std::int64_t(columns) * rows > maxArrayFrames)
            continue;
        // 64-bit steps: no sum of 32-bit attributes can overflow them.
        for (std::int64_t row = 0; row < rows; ++row) {
            for (std::int64_t column = 0; column < columns; ++column)
                addFrame(String(), x + column * w, y + row * h);
        }
    }
    append(std::move(sprite));
}

void CResourceManager::loadFont(CXMLNode& element, const String& file, const String& name)
{
    auto texture = std::make_unique<CTexture>();
    auto sprite = std::make_unique<CSprite>();
    // A file that is missing or not a font, or a refused size, adds nothing.
    // The font library opens the file itself and would wait on a pipe, so the
    // file's type is checked first.
    if (!openRegularFile(file.c_str()) ||
        !buildGlyphSprite(file.c_str(), intAttribute(element, "height", 12), intAttribute(element, "start", 0),
                          intAttribute(element, "end", 256), *sprite, *texture) ||
        sprite->getFrameCount() == 0)
        return;
    CTexture* glyphs = texture.get();
    glyphs->setName(file);
    glyphs->setFile(file);
    glyphs->upload(maxTextureSize, linearFilter, mipmaps, compressTextures, discardPixels);
    append(std::move(texture));
    // The upload fixed the square's size (and any shrink), so the texture
    // coordinates are worked out again from each frame's own rectangle.
    for (std::uint32_t i = 0; i < sprite->getFrameCount(); ++i) {
        SpriteFrame& frame = *sprite->getFrame(i);
        frame.initFrame(frame.x, frame.y, frame.w, frame.h, frame.delay, glyphs);
    }
    sprite->setName(name);
    append(std::move(sprite));
}

void CResourceManager::loadList(CXMLNode& element)
{
    const std::uint32_t count = element.childCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        CXMLNode& entry = *element.child(i);
        onLoad.emit(entry, i, count);
        const String name = entry.attributeValue("name", 1);
        const CXMLAttribute* fileAttribute = entry.findAttribute("file", 1);
        if (!fileAttribute)
            continue;
        const String file = fileAttribute->value();
        const String& tag = entry.name();
        if (tag == "sprite") {
            loadSprite(entry, file, name);
        } else if (tag == "font") {
            loadFont(entry, file, name);
        } else if (tag == "stream") {
            if (!file.endsWith(".ogg"))
                continue;
            auto stream = std::make_unique<CSoundStream>();
            stream->setName(name);
            stream->setFile(file);
            stream->openStream(file.c_str(), static_cast<std::uint32_t>(intAttribute(entry, "size", 500)));
            append(std::move(stream));
        } else if (tag == "heightmap") {
            append(loadHeightmapModel(file, name));
        } else {
            load(file, name);
        }
    }
}

bool CResourceManager::loadListFile(const String& path)
{
    CXMLDocument document;
    const bool ok = document.load(path);
    loadList(document);
    return ok;
}

CResource* CResourceManager::find(const String& name) const
{
    for (const auto& resource : resources) {
        if (resource->getName() == name)
            return resource.get();
    }
    for (CResourceManager* child : children) {
        if (CResource* hit = child->find(name))
            return hit;
    }
    return nullptr;
}

void CResourceManager::remove(const String& name)
{
    for (auto it = resources.begin(); it != resources.end(); ++it) {
        if ((*it)->getName() != name)
            continue;
        resources.erase(it);
        if (resources.empty()) {
            std::vector<std::unique_ptr<CResource>>().swap(resources);
            resourceCapacity = 0;
        } else if (resourceCapacity / resources.size() > 1) {
            resourceCapacity = resourceCapacity / 2 < 2 ? 2 : resourceCapacity / 2;
            std::vector<std::unique_ptr<CResource>> smaller;
            smaller.reserve(resourceCapacity);
            for (auto& resource : resources)
                smaller.push_back(std::move(resource));
            resources.swap(smaller);
        }
        return;
    }
}

CResource* CResourceManager::getResource(std::uint32_t index) const
{
    return index < resources.size() ? resources[index].get() : nullptr;
}

void CResourceManager::clear()
{
    std::vector<std::unique_ptr<CResource>>().swap(resources);
    resourceCapacity = 0;
    std::vector<CResourceManager*>().swap(children);
}
