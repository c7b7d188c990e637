// Path helpers and the temporary-file-then-rename writer.
#include "app/AtlasFiles.h"

#include "image/CImage.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::size_t lastSeparator(const std::string& path)
{
    return path.find_last_of("/\\");
}

mode_t defaultFileMode()
{
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}

std::string fileNameOf(const std::string& path)
{
    const std::size_t separator = lastSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string folderOf(const std::string& path)
{
    const std::size_t separator = lastSeparator(path);
    if (separator == std::string::npos)
        return std::string();
    if (separator == 0)
        return path.substr(0, 1);
    return path.substr(0, separator);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == '/' || folder.back() == '\\')
        return folder + name;
    return folder + "/" + name;
}

std::string toStdString(const String& text)
{
    return text.c_str() ? std::string(text.c_str(), text.length()) : std::string();
}

std::string lowerAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

ImageFileFormat imageFormatByEnding(const std::string& path)
{
    return imageFileFormatOf(lowerAscii(path).c_str());
}

bool loadImageByEnding(const std::string& path, CImage& image, std::string* error)
{
    const ImageFileFormat format = imageFormatByEnding(path);
    if (format == ImageFileFormat::None) {
        if (error)
            *error = "not a .bmp, .jpg, .png or .tga file";
        return false;
    }
    return loadImageFile(path.c_str(), format, image, error);
}

bool saveImageByEnding(const std::string& path, const std::string& ending, const CImage& image, int jpegQuality,
                       std::string* error)
{
    const ImageFileFormat format = imageFormatByEnding(ending);
    if (format == ImageFileFormat::None) {
        if (error)
            *error = "no image format for the ending " + ending;
        return false;
    }
    return saveImageFile(path.c_str(), format, image, jpegQuality, error);
}

CTempFile::~CTempFile()
{
    discard();
}

bool CTempFile::reserve(const std::string& destination, const std::string& ending, std::string* error)
{
    discard();
    const std::string name = fileNameOf(destination);
    std::string pattern = joinPath(folderOf(destination), "." + name + ".tmp-XXXXXX" + ending);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemps(buffer.data(), static_cast<int>(ending.size()));
    if (fd < 0) {
        if (error)
            *error = "cannot create a file in the folder of " + destination + ": " + std::strerror(errno);
        return false;
    }
    // mkstemps makes the file private; give it the mode a plain new file gets.
    ::fchmod(fd, defaultFileMode());
    ::close(fd);
    tempPath = buffer.data();
    destinationPath = destination;
    return true;
}

bool CTempFile::commit(std::string* error)
{
    if (tempPath.empty()) {
        if (error)
            *error = "nothing to write to " + destinationPath;
        return false;
    }
    if (std::rename(tempPath.c_str(), destinationPath.c_str()) != 0) {
        if (error)
            *error = "cannot write " + destinationPath + ": " + std::strerror(errno);
        discard();
        return false;
    }
    tempPath.clear();
    return true;
}

void CTempFile::discard()
{
    if (!tempPath.empty()) {
        std::remove(tempPath.c_str());
        tempPath.clear();
    }
}
