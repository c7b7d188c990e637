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
// This is the one save the window tool and the command line both use.
#pragma once

#include "core/String.h"
#include "image/CParallelDeflate.h"
#include "xml/CXMLNode.h"

#include <cstdint>
#include <string>
#include <vector>

class CImage;
class CPacker;

// One image of the atlas, in the order the images were added, under the
// name the packer knows it by (its file name, ending included).
struct AtlasImage {
    String name;
    const CImage* image = nullptr;
};

// The atlas image format for a file name, by its lower-cased ending: 3
// channels and 24 bits for ".bmp" and ".jpg", 4 and 32 for ".png" and ".tga".
// False for any other ending.
bool atlasFormatFor(const std::string& path, std::uint32_t& channels, std::uint32_t& bitsPerPixel);

// The description's path: the atlas path without its three-letter ending,
// followed by "xml" (sheet.PNG gives sheet.xml, in the same folder).
std::string atlasDescriptionPath(const std::string& atlasPath);

// The frame name of an image: its name without the last four characters
// (the dot and the three-letter ending), so hero.png gives hero; a ".jpeg"
// ending in any letter case goes whole (photo.jpeg gives photo).
String atlasFrameName(const String& imageName);

// Copies every image into `atlas` (already created at the atlas size and
// format) at its packed position; later images overwrite earlier ones, and
// images of another format are converted by the blit. False, naming the
// image, when one is not in the packer.
bool composeAtlas(const CPacker& packer, const std::vector<AtlasImage>& images, CImage& atlas, std::string* error);

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
