// Saving an atlas: the atlas image composed from the packed images, and the
// atlas description next to it.
//
// The description is the engine's resource list holding one "sprite" with
// one "frame" per image, so a game loads a saved atlas as a sprite. Byte by
// byte it is the XML writer's output: the header line, an empty line, the
// "sprite" start tag with "file" and "name", one tab-indented "frame" line per
// image with "name", "x", "y", "w", "h" (y counted from the top), and the end
// tag without a line feed after it. Frames follow the order in which the
// images were added, not the packing order.
//
// A trimmed frame's line goes on with "offsetX" and "offsetY" (where the kept
// rectangle sat in the original image, from its top left) and "originalW" and
// "originalH" (the original image's size); untrimmed frames never carry them,
// and readers that do not know them see an ordinary frame. In the same way
// a frame with a pivot adds "pivotX" and "pivotY" (fractions of the original
// size, from its top left), and a nine-slice frame "sliceLeft",
// "sliceRight", "sliceTop", "sliceBottom" (pixels of the original) and, when
// it has a content padding, "padLeft", "padRight", "padTop", "padBottom".
// A frame the best-fit layout turned carries rotated="1" right after "h"
// (rotated="-1" when it is turned counter-clockwise, as in a pack that also
// writes the .atlas description): its x, y, w, h are the stored rectangle,
// which holds the picture turned 90 degrees (w is the picture's height);
// offsets and original sizes stay those of the upright picture.
// An atlas saved with premultiplied colour says so with premultiplied="true"
// on the sprite, after "name"; unpack undoes it.
//
// A JPEG atlas cannot keep transparency: when a packed picture has a pixel
// that is not opaque, the save is refused unless the encoding asks to
// flatten, which puts the whole atlas (the empty space too) over a colour.
//
// This is the one save the window tool and the command line both use.
#pragma once

#include "app/pack/SpriteMeta.h"
#include "core/String.h"
#include "image/CParallelDeflate.h"
#include "image/ImageWriteOptions.h"
#include "xml/CXMLNode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CImage;
class CPacker;
class CSafeWriter;
struct PackEntry;

// Where a trimmed picture sat in its image: the kept rectangle (x, y from
// the image's top left) and the image's whole size.
struct AtlasTrim {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t w = 0;
    std::int32_t h = 0;
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;
};

// One image of the atlas, in the order the images were added, under the
// name the packer knows it by (its file name, ending included).
//
// The other fields are what sprite preparation (SpriteSheet.h) decided; their
// defaults pack the whole image under its own name, as the atlas always has.
struct AtlasImage {
    AtlasImage() = default;
    AtlasImage(const String& imageName, const CImage* imagePixels) : name(imageName), image(imagePixels) {}

    String name;
    const CImage* image = nullptr;
    // The packer entry holding the picture when it is not `name`: an image
    // whose picture equals an earlier one's names that one's entry.
    String layoutName;
    // Set when trimming cut something away: only this part is packed.
    std::optional<AtlasTrim> trim;
    // Edge pixels repeated around the picture inside its packer entry, which
    // is 2 x extrude wider and higher than the frame.
    std::uint32_t extrude = 0;
    // Pivot, nine-slice and animation, as the descriptions write them.
    FrameMeta meta;

    const String& entryName() const { return layoutName.length() > 0 ? layoutName : name; }
};

// How the atlas's pixels are finished after the pictures are copied in.
struct AtlasFinish {
    bool bleed = false;       // colour into fully transparent pixels (bleedTransparent)
    bool premultiply = false; // colour multiplied by alpha; no bleed then
};

// How the atlas image file is encoded (see ImageWriteOptions.h): the PNG
// and WebP compression, the WebP quality (-1 lossless) and, for JPEG,
// whether to flatten transparent pixels onto `flattenColour` (0xRRGGBB)
// rather than refuse them.
struct AtlasEncoding {
    ImageCompression compression = ImageCompression::Default;
    int quality = -1;
    bool jpegFlatten = false;
    std::uint32_t flattenColour = 0x000000;
};

// The atlas image format for a file name, by its lower-cased ending: 3
// channels and 24 bits for ".bmp" and ".jpg", 4 and 32 for ".png", ".tga"
// and ".webp".
// False for any other ending.
bool atlasFormatFor(const std::string& path, std::uint32_t& channels, std::uint32_t& bitsPerPixel);

// The description's path: the atlas path without its three-letter ending,
// followed by "xml" (sheet.PNG gives sheet.xml, in the same folder).
std::string atlasDescriptionPath(const std::string& atlasPath);

// The frame name of an image: its name without the last four characters
// (the dot and the three-letter ending), so hero.png gives hero; a ".jpeg"
// or ".webp" ending in any letter case goes whole (photo.jpeg gives photo).
String atlasFrameName(const String& imageName);

// Copies every image into `atlas` (already created at the atlas size and
// format) at its packed position; later images overwrite earlier ones, and
// images of another format are converted by the blit. A trimmed image
// copies its kept rectangle, an extruded one sits `extrude` pixels inside its
// entry with its edges repeated around it, and images sharing one entry are
// copied once. Then `finish` is applied (on a 3-channel atlas through a
// 4-channel copy, so alpha counts before it is dropped). False, naming the
// image, when one is not in the packer.
bool composeAtlas(const CPacker& packer, const std::vector<AtlasImage>& images, CImage& atlas, std::string* error,
                  const AtlasFinish& finish = {});

// The frame of an image in the atlas: its packer entry without the extrusion.
struct AtlasFrameRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t w = 0;
    std::int32_t h = 0;
};
AtlasFrameRect atlasFrameRect(const PackEntry& entry, const AtlasImage& image);

// The "sprite" node of the description for an atlas saved as `atlasPath`.
// Assumes every image is in the packer (composeAtlas checks it).
CXMLNode buildAtlasDescription(const std::string& atlasPath, const CPacker& packer,
                               const std::vector<AtlasImage>& images);

// Writes the atlas image (JPEG at quality 100) to `atlasPath` and the
// description next to it, all or nothing: a name without one of the four
// endings is refused before anything is written, and both files are complete
// before either is put in place (CSafeWriter), the image first. False with
// the reason in `error` (when given) on any failure; nothing has then been
// replaced, unless the image was put in place and only the description then
// failed to be. A PNG atlas reports each compressed piece to `progress`;
// the other formats report nothing.
bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, std::string* error,
               const CParallelDeflate::Progress& progress = {});
// The same with the atlas's pixels finished as `finish` says.
bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, const AtlasFinish& finish, std::string* error,
               const CParallelDeflate::Progress& progress = {});
// The same with the image file encoded as `encoding` says. A JPEG atlas
// whose pictures are not all opaque is refused, naming the first such
// image, unless `encoding.jpegFlatten` is set.
bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, const AtlasFinish& finish, const AtlasEncoding& encoding,
               std::string* error, const CParallelDeflate::Progress& progress = {});

// The first image whose packed picture (its trimmed part when trimmed) has a
// pixel that is not opaque, or null when every one is opaque.
const AtlasImage* firstTransparentImage(const std::vector<AtlasImage>& images);

// saveAtlas up to the renames: both files are written and prepared
// (CSafeWriter::prepare) in `imageFile` and `descriptionFile` but not put in
// place, for a caller that renames a whole set in a row.
bool prepareAtlasFiles(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                       std::uint32_t width, std::uint32_t height, const AtlasFinish& finish, CSafeWriter& imageFile,
                       CSafeWriter& descriptionFile, std::string* error,
                       const CParallelDeflate::Progress& progress = {});
// The same with the image file encoded as `encoding` says (see saveAtlas).
bool prepareAtlasFiles(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                       std::uint32_t width, std::uint32_t height, const AtlasFinish& finish,
                       const AtlasEncoding& encoding, CSafeWriter& imageFile, CSafeWriter& descriptionFile,
                       std::string* error, const CParallelDeflate::Progress& progress = {});
