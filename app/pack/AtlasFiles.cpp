// Path helpers and the parsed atlas output path.
#include "app/pack/AtlasFiles.h"

#include "image/CImage.h"
#include "xml/CXMLDocument.h"

#include <sys/stat.h>

namespace {

std::size_t lastSeparator(const std::string& path)
{
    return path.find_last_of("/\\");
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
            *error = "not a .bmp, .jpg, .png, .tga or .webp file";
        return false;
    }
    return loadImageFile(path.c_str(), format, image, error);
}

std::size_t atlasEndingLetters(const std::string& path)
{
    return path.size() >= 5 && lowerAscii(path.substr(path.size() - 5)) == ".webp" ? 4 : 3;
}

AtlasOutput AtlasOutput::parse(const std::string& path)
{
    AtlasOutput output;
    output.path = path;
    output.folder = folderOf(path);
    output.fileName = fileNameOf(path);
    const std::size_t ending = atlasEndingLetters(output.fileName) + 1;
    output.stem = output.fileName.size() > ending ? output.fileName.substr(0, output.fileName.size() - ending)
                                                  : std::string();
    output.format = imageFormatByEnding(output.fileName);
    return output;
}

std::string AtlasOutput::descriptionPath() const
{
    const std::size_t letters = atlasEndingLetters(path);
    if (path.size() < letters)
        return "xml";
    return path.substr(0, path.size() - letters) + "xml";
}

bool AtlasOutput::atlasFormat(std::uint32_t& channels, std::uint32_t& bitsPerPixel) const
{
    if (format == ImageFileFormat::None)
        return false;
    const bool opaque = format == ImageFileFormat::Bmp || format == ImageFileFormat::Jpeg;
    channels = opaque ? 3 : 4;
    bitsPerPixel = channels * 8;
    return true;
}

std::vector<std::string> atlasesDescribedIn(const std::string& folder, const std::vector<std::string>& names)
{
    // A description of 100,000 frames is about 6 MB.
    constexpr long long largestDescription = 64ll * 1024 * 1024;
    std::vector<std::string> atlases;
    for (const std::string& name : names) {
        if (name.size() < 5 || lowerAscii(name.substr(name.size() - 4)) != ".xml")
            continue;
        const std::string path = joinPath(folder, name);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > largestDescription)
            continue;
        CXMLDocument description;
        if (!description.load(String(path.c_str())) || toStdString(description.name()) != "sprite")
            continue;
        const std::string named = toStdString(description.attributeValue(String("file")));
        if (named.empty() || named[0] == '/' || named[0] == '\\')
            continue;
        const std::string atlas = joinPath(folder, named);
        if (::stat(atlas.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            atlases.push_back(atlas);
    }
    return atlases;
}
