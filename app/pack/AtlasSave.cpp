// Atlas save: composition, the description tree, and the two writes.
#include "app/pack/AtlasSave.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFrames.h"
#include "app/pack/CPacker.h"
#include "app/pack/SpritePixels.h"
#include "core/CSafeWriter.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLWriter.h"

#include <unordered_map>

namespace {

void addAttribute(CXMLNode& node, const char* name, const String& value)
{
    node.addAttribute(CXMLAttribute(name, value));
}

void addAttribute(CXMLNode& node, const char* name, std::int32_t value)
{
    CXMLAttribute attribute(name, "");
    attribute.setValue(value);
    node.addAttribute(attribute);
}

// For each image, the index of the first packer entry with its name (as
// findEntry gives it), or -1; one pass instead of a search per image.
std::vector<std::int32_t> entryIndices(const CPacker& packer, const std::vector<AtlasImage>& images)
{
    std::unordered_map<std::string, std::int32_t> firstIndex;
    firstIndex.reserve(packer.count());
    for (std::uint32_t i = 0; i < packer.count(); ++i)
        firstIndex.emplace(toStdString(packer.entry(i).name), static_cast<std::int32_t>(i));
    std::vector<std::int32_t> indices;
    indices.reserve(images.size());
    for (const AtlasImage& image : images) {
        const auto found = firstIndex.find(toStdString(image.entryName()));
        indices.push_back(found == firstIndex.end() ? -1 : found->second);
    }
    return indices;
}

// Copies one image's picture into its entry and repeats its edges. A
// turned entry takes the picture turned its way; its extrusion repeats
// the turned picture's edges, which are the picture's own edges turned.
void placePicture(CImage& atlas, const PackEntry& entry, const AtlasImage& image)
{
    const std::uint32_t x = static_cast<std::uint32_t>(entry.x) + image.extrude;
    const std::uint32_t y = static_cast<std::uint32_t>(entry.y) + image.extrude;
    const CImage& source = *image.image;
    const AtlasTrim whole{0, 0, static_cast<std::int32_t>(source.getWidth()),
                          static_cast<std::int32_t>(source.getHeight()), 0, 0};
    const AtlasTrim& trim = image.trim ? *image.trim : whole;
    const auto w = static_cast<std::uint32_t>(trim.w);
    const auto h = static_cast<std::uint32_t>(trim.h);
    // blitRect counts source rows from the bottom.
    const std::uint32_t fromBottom = source.getHeight() - static_cast<std::uint32_t>(trim.y + trim.h);
    if (!entry.rotated && !image.trim) {
        atlas.blit(source, x, y);
        extrudeEdges(atlas, {x, y, w, h}, image.extrude);
        return;
    }
    if (!entry.rotated) {
        atlas.blitRect(source, x, y, static_cast<std::uint32_t>(trim.x), fromBottom, w, h);
        extrudeEdges(atlas, {x, y, w, h}, image.extrude);
        return;
    }
    CImage picture;
    if (!picture.create(w, h, source.getChannels(), source.getBitsPerPixel()))
        return;
    picture.blitRect(source, 0, 0, static_cast<std::uint32_t>(trim.x), fromBottom, w, h);
    CImage turned;
    turnPicture(picture, entry.rotated > 0, turned);
    atlas.blit(turned, x, y);
    extrudeEdges(atlas, {x, y, h, w}, image.extrude);
}

// A trim rectangle that lies inside its image, as prepareSprites makes them.
bool trimFits(const AtlasImage& image)
{
    if (!image.trim)
        return true;
    const AtlasTrim& trim = *image.trim;
    return trim.x >= 0 && trim.y >= 0 && trim.w > 0 && trim.h > 0 &&
           std::int64_t(trim.x) + trim.w <= std::int64_t(image.image->getWidth()) &&
           std::int64_t(trim.y) + trim.h <= std::int64_t(image.image->getHeight());
}

// composeAtlas with the entry indices already looked up, without the finish.
bool composeAt(const CPacker& packer, const std::vector<AtlasImage>& images, const std::vector<std::int32_t>& indices,
               CImage& atlas, std::vector<PixelRect>* placed, std::string* error)
{
    std::vector<bool> drawn(packer.count(), false);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const AtlasImage& image = images[i];
        const std::int32_t index = indices[i];
        if (index < 0 || !image.image) {
            if (error)
                *error = "no layout for image " + toStdString(image.name);
            return false;
        }
        if (!trimFits(image)) {
            if (error)
                *error = "the trim rectangle of image " + toStdString(image.name) + " is not inside it";
            return false;
        }
        // An image sharing another's picture (and entry) is not drawn again.
        if (image.layoutName.length() > 0 && drawn[static_cast<std::size_t>(index)])
            continue;
        drawn[static_cast<std::size_t>(index)] = true;
        const PackEntry& entry = packer.entry(static_cast<std::uint32_t>(index));
        placePicture(atlas, entry, image);
        if (placed)
            placed->push_back({static_cast<std::uint32_t>(entry.x), static_cast<std::uint32_t>(entry.y),
                               static_cast<std::uint32_t>(entry.width), static_cast<std::uint32_t>(entry.height)});
    }
    return true;
}

// Puts every pixel of a 4-channel image over an opaque colour (0xRRGGBB);
// the alpha stays, the colour becomes what shows.
void flattenOnto(CImage& image, std::uint32_t colour, bool premultiplied)
{
    const int background[3] = {int(colour >> 16) & 0xFF, int(colour >> 8) & 0xFF, int(colour) & 0xFF};
    std::uint8_t* pixel = image.getData();
    const std::size_t count = std::size_t(image.getWidth()) * image.getHeight();
    for (std::size_t i = 0; i < count; ++i, pixel += 4) {
        const int alpha = pixel[3];
        if (alpha == 255)
            continue;
        for (int k = 0; k < 3; ++k) {
            const int shown = premultiplied ? pixel[k] * 255 : pixel[k] * alpha;
            pixel[k] = static_cast<std::uint8_t>((shown + background[k] * (255 - alpha) + 127) / 255);
        }
    }
}

// composeAtlas with the entry indices already looked up; with `flatten`,
// the atlas is put over `flattenColour` before alpha is dropped.
bool composeFinished(const CPacker& packer, const std::vector<AtlasImage>& images,
                     const std::vector<std::int32_t>& indices, CImage& atlas, const AtlasFinish& finish,
                     std::string* error, bool flatten = false, std::uint32_t flattenColour = 0)
{
    if (!finish.bleed && !finish.premultiply && !flatten)
        return composeAt(packer, images, indices, atlas, nullptr, error);
    // Alpha is needed to finish: a 3-channel atlas is finished as a
    // 4-channel copy and takes its colour afterwards.
    const bool direct = atlas.getChannels() == 4 && atlas.getBitsPerPixel() == 32;
    CImage work;
    if (!direct && !work.create(atlas.getWidth(), atlas.getHeight(), 4, 32)) {
        if (error)
            *error = "not enough memory for the atlas";
        return false;
    }
    CImage& target = direct ? atlas : work;
    std::vector<PixelRect> placed;
    if (!composeAt(packer, images, indices, target, &placed, error))
        return false;
    // Premultiplied colour is 0 wherever alpha is, so bleeding would be undone.
    if (finish.premultiply)
        premultiplyAlpha(target);
    else if (finish.bleed)
        bleedTransparent(target, placed);
    if (flatten)
        flattenOnto(target, flattenColour, finish.premultiply);
    if (!direct)
        atlas.blit(work, 0, 0);
    return true;
}

// buildAtlasDescription with the entry indices already looked up.
CXMLNode describeAt(const AtlasOutput& output, const CPacker& packer, const std::vector<AtlasImage>& images,
                    const std::vector<std::int32_t>& indices, bool premultiplied = false)
{
    CXMLNode sprite;
    sprite.name() = "sprite";
    addAttribute(sprite, "file", String(output.fileName.c_str()));
    addAttribute(sprite, "name", String(output.stem.c_str()));
    if (premultiplied)
        addAttribute(sprite, "premultiplied", String("true"));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const AtlasImage& image = images[i];
        const std::int32_t index = indices[i];
        if (index < 0)
            continue;
        const AtlasFrameRect rect = atlasFrameRect(packer.entry(static_cast<std::uint32_t>(index)), image);
        CXMLNode frame;
        frame.name() = "frame";
        addAttribute(frame, "name", atlasFrameName(image.name));
        addAttribute(frame, "x", rect.x);
        addAttribute(frame, "y", rect.y);
        addAttribute(frame, "w", rect.w);
        addAttribute(frame, "h", rect.h);
        if (const std::int8_t turn = packer.entry(static_cast<std::uint32_t>(index)).rotated)
            addAttribute(frame, "rotated", turn);
        if (image.trim) {
            addAttribute(frame, "offsetX", image.trim->x);
            addAttribute(frame, "offsetY", image.trim->y);
            addAttribute(frame, "originalW", image.trim->sourceWidth);
            addAttribute(frame, "originalH", image.trim->sourceHeight);
        }
        if (const auto& pivot = image.meta.pivot) {
            addAttribute(frame, "pivotX", String(decimalText(pivot->x).c_str()));
            addAttribute(frame, "pivotY", String(decimalText(pivot->y).c_str()));
        }
        if (const auto& slice = image.meta.nineSlice) {
            addAttribute(frame, "sliceLeft", slice->left);
            addAttribute(frame, "sliceRight", slice->right);
            addAttribute(frame, "sliceTop", slice->top);
            addAttribute(frame, "sliceBottom", slice->bottom);
            if (const auto& pad = slice->pad) {
                addAttribute(frame, "padLeft", (*pad)[0]);
                addAttribute(frame, "padRight", (*pad)[1]);
                addAttribute(frame, "padTop", (*pad)[2]);
                addAttribute(frame, "padBottom", (*pad)[3]);
            }
        }
        sprite.addChild(frame);
    }
    return sprite;
}

}

bool atlasFormatFor(const std::string& path, std::uint32_t& channels, std::uint32_t& bitsPerPixel)
{
    return AtlasOutput::parse(path).atlasFormat(channels, bitsPerPixel);
}

std::string atlasDescriptionPath(const std::string& atlasPath)
{
    return AtlasOutput::parse(atlasPath).descriptionPath();
}

String atlasFrameName(const String& imageName)
{
    const std::uint32_t length = imageName.length();
    // ".jpeg" and ".webp", the five-letter endings the command line reads,
    // go whole.
    const std::string last5 = length > 5 ? lowerAscii(toStdString(imageName).substr(length - 5)) : std::string();
    const std::uint32_t ending = last5 == ".jpeg" || last5 == ".webp" ? 5 : 4;
    return length <= ending ? String("") : imageName.substring(0, length - ending);
}

bool composeAtlas(const CPacker& packer, const std::vector<AtlasImage>& images, CImage& atlas, std::string* error,
                  const AtlasFinish& finish)
{
    return composeFinished(packer, images, entryIndices(packer, images), atlas, finish, error);
}

AtlasFrameRect atlasFrameRect(const PackEntry& entry, const AtlasImage& image)
{
    const auto extrude = static_cast<std::int32_t>(image.extrude);
    return {entry.x + extrude, entry.y + extrude, entry.width - 2 * extrude, entry.height - 2 * extrude};
}

CXMLNode buildAtlasDescription(const std::string& atlasPath, const CPacker& packer,
                               const std::vector<AtlasImage>& images)
{
    return describeAt(AtlasOutput::parse(atlasPath), packer, images, entryIndices(packer, images));
}

bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, std::string* error,
               const CParallelDeflate::Progress& progress)
{
    return saveAtlas(atlasPath, packer, images, width, height, AtlasFinish{}, error, progress);
}

bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, const AtlasFinish& finish, std::string* error,
               const CParallelDeflate::Progress& progress)
{
    return saveAtlas(atlasPath, packer, images, width, height, finish, AtlasEncoding{}, error, progress);
}

const AtlasImage* firstTransparentImage(const std::vector<AtlasImage>& images)
{
    for (const AtlasImage& image : images) {
        const CImage* source = image.image;
        if (source == nullptr || source->getData() == nullptr)
            continue;
        const std::uint32_t channels = source->getChannels();
        if ((channels != 2 && channels != 4) || source->getBitsPerPixel() != channels * 8)
            continue;
        const std::uint32_t sourceWidth = source->getWidth(), sourceHeight = source->getHeight();
        std::uint32_t left = 0, top = 0, w = sourceWidth, h = sourceHeight;
        if (image.trim && trimFits(image)) {
            left = static_cast<std::uint32_t>(image.trim->x);
            top = static_cast<std::uint32_t>(image.trim->y);
            w = static_cast<std::uint32_t>(image.trim->w);
            h = static_cast<std::uint32_t>(image.trim->h);
        }
        // Rows are stored bottom-up; `top` counts from the top.
        for (std::uint32_t row = top; row < top + h; ++row) {
            const std::uint8_t* pixel =
                source->getData() + (std::size_t(sourceHeight - 1 - row) * sourceWidth + left) * channels;
            for (std::uint32_t x = 0; x < w; ++x, pixel += channels) {
                if (pixel[channels - 1] != 255)
                    return &image;
            }
        }
    }
    return nullptr;
}

bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, const AtlasFinish& finish, const AtlasEncoding& encoding,
               std::string* error, const CParallelDeflate::Progress& progress)
{
    CSafeWriter imageFile;
    CSafeWriter descriptionFile;
    // The image goes first, so a description never names an image that is
    // not there yet.
    return prepareAtlasFiles(atlasPath, packer, images, width, height, finish, encoding, imageFile, descriptionFile,
                             error, progress) &&
           CSafeWriter::commitAll({&imageFile, &descriptionFile}, error);
}

bool prepareAtlasFiles(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                       std::uint32_t width, std::uint32_t height, const AtlasFinish& finish, CSafeWriter& imageFile,
                       CSafeWriter& descriptionFile, std::string* error, const CParallelDeflate::Progress& progress)
{
    return prepareAtlasFiles(atlasPath, packer, images, width, height, finish, AtlasEncoding{}, imageFile,
                             descriptionFile, error, progress);
}

bool prepareAtlasFiles(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                       std::uint32_t width, std::uint32_t height, const AtlasFinish& finish,
                       const AtlasEncoding& encoding, CSafeWriter& imageFile, CSafeWriter& descriptionFile,
                       std::string* error, const CParallelDeflate::Progress& progress)
{
    const AtlasOutput output = AtlasOutput::parse(atlasPath);
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!output.atlasFormat(channels, bitsPerPixel)) {
        if (error)
            *error = "the atlas name " + atlasPath + " does not end with .bmp, .jpg, .png, .tga or .webp";
        return false;
    }
    if (!checkImageSize(width, height, "atlas", error))
        return false;
    const bool jpeg = output.format == ImageFileFormat::Jpeg;
    if (jpeg && !encoding.jpegFlatten) {
        if (const AtlasImage* transparent = firstTransparentImage(images)) {
            if (error)
                *error = toStdString(transparent->name) + " has pixels that are not opaque, and a JPEG atlas " +
                         "cannot keep transparency; flatten the atlas onto a colour, or save it as .png or .webp";
            return false;
        }
    }

    CImage atlas;
    atlas.create(width, height, channels, bitsPerPixel);
    const std::vector<std::int32_t> indices = entryIndices(packer, images);
    if (!composeFinished(packer, images, indices, atlas, finish, error, jpeg && encoding.jpegFlatten,
                         encoding.flattenColour))
        return false;
    const CXMLNode description = describeAt(output, packer, images, indices, finish.premultiply);

    // Both files are complete before either is put in place, so a failure
    // up to then (the image cannot be written, say) changes neither.
    ImageWriteOptions writeOptions;
    writeOptions.compression = encoding.compression;
    writeOptions.jpegQuality = 100;
    writeOptions.webpQuality = encoding.quality;
    if (!imageFile.open(output.path, error) ||
        !writeImageStream(imageFile.stream(), output.format, atlas, writeOptions, error, progress) ||
        !imageFile.prepare(error))
        return false;
    const std::string text = CXMLWriter::fileText(description);
    if (!descriptionFile.open(output.descriptionPath(), error))
        return false;
    descriptionFile.write(text.data(), text.size());
    return descriptionFile.prepare(error); // reports a failed write; nothing is put in place
}
