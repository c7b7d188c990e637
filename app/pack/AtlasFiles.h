// Small file helpers shared by the atlas save and unpack: path pieces, the
// parsed atlas output path, and images read and written by their ending in
// any letter case. Every file is written through CSafeWriter.
#pragma once

#include "core/String.h"
#include "image/ImageFile.h"

#include <cstdint>
#include <string>
#include <vector>

// The text after the last "/" or "\" (the whole path when it has neither).
std::string fileNameOf(const std::string& path);
// Everything before the last "/" or "\", without the separator; "" for a
// bare name, "/" for a file in the root folder.
std::string folderOf(const std::string& path);
// `folder` + "/" + `name`, or `name` alone when folder is empty.
std::string joinPath(const std::string& folder, const std::string& name);
// The engine string as a std::string (an empty one for null data).
std::string toStdString(const String& text);
// Copy with A-Z turned into a-z (nothing else changes).
std::string lowerAscii(std::string text);

class CImage;

// The image format named by the path's ending compared in lower case
// (".bmp", ".jpg", ".png", ".tga", ".webp"), so HERO.PNG is a PNG; None
// otherwise.
ImageFileFormat imageFormatByEnding(const std::string& path);

// Reads an image file with the codec its lower-cased ending names (".bmp",
// ".jpg", ".png", ".tga", ".webp"), so HERO.PNG reads like hero.png. False with the
// codec's reason ("PNG: bit depth 16 is not supported") on failure.
bool loadImageByEnding(const std::string& path, CImage& image, std::string* error);

// Letters of an atlas path's ending after the dot: 4 for ".webp" in any
// letter case, else 3 (the other atlas endings). The names beside an atlas
// (descriptions, pages) replace or cut this many letters.
std::size_t atlasEndingLetters(const std::string& path);

// An atlas output path, parsed once where it enters the save: the path as
// given (where the image is written), its folder and file name (cut at the
// last "/" or "\\"), the file name's stem (without its dot and ending)
// and the image format the ending names in any letter case.
struct AtlasOutput {
    std::string path;
    std::string folder;   // "" for the working directory
    std::string fileName; // letters as typed, ending included
    std::string stem;     // fileName without its dot and ending (4 or 5 characters)
    ImageFileFormat format = ImageFileFormat::None;

    static AtlasOutput parse(const std::string& path);
    // The description beside the image: the path without its ending,
    // followed by "xml" (sheet.PNG gives sheet.xml, sheet.webp sheet.xml).
    std::string descriptionPath() const;
    // 3 channels and 24 bits for BMP and JPEG, 4 and 32 for PNG, TGA and WebP;
    // false when the path names no image format.
    bool atlasFormat(std::uint32_t& channels, std::uint32_t& bitsPerPixel) const;
};

// The image files of `folder` that an atlas description there names (an XML
// file among `names` whose <sprite file="..."> is a file of the folder): an
// earlier atlas, which a folder walk passes over rather than pack it into
// the next one. Descriptions larger than 64 MiB or unreadable are not
// consulted. Paths are folder + "/" + the name the description gives.
std::vector<std::string> atlasesDescribedIn(const std::string& folder, const std::vector<std::string>& names);
