// Small file helpers shared by the atlas save and unpack: path pieces, and
// writing an output through a temporary file in the same folder that is then
// renamed into place, so an interrupted or failed write never leaves a
// half-written file over a good one.
#pragma once

#include "core/String.h"
#include "image/ImageFile.h"

#include <string>

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
// (".bmp", ".jpg", ".png", ".tga"), so HERO.PNG is a PNG; None otherwise.
ImageFileFormat imageFormatByEnding(const std::string& path);

// Reads an image file with the codec its lower-cased ending names (".bmp",
// ".jpg", ".png", ".tga"), so HERO.PNG reads like hero.png. False with the
// codec's reason ("PNG: bit depth 16 is not supported") on failure.
bool loadImageByEnding(const std::string& path, CImage& image, std::string* error);
// Writes `image` with the codec its lower-cased `ending` names (e.g. ".jpg";
// JPEG at `jpegQuality`). False with the reason on failure.
bool saveImageByEnding(const std::string& path, const std::string& ending, const CImage& image, int jpegQuality,
                       std::string* error);

// A reserved temporary file next to a destination. The temporary name is
// "<folder>/.<name>.tmp-XXXXXX<ending>": hidden, unique, and with the given
// ending last so that the image writers' suffix dispatch still picks the
// right codec. Unless committed, the file is removed when this is destroyed.
class CTempFile {
public:
    CTempFile() = default;
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates the empty temporary file for `destination`. False, with the
    // reason in `error`, when the folder cannot be written.
    bool reserve(const std::string& destination, const std::string& ending, std::string* error);
    const std::string& path() const { return tempPath; }
    // Renames the temporary file over the destination.
    bool commit(std::string* error);
    // Removes the temporary file now (also done by the destructor).
    void discard();

private:
    std::string tempPath;
    std::string destinationPath;
};
