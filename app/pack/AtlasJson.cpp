// The JSON description: strings escaped for JSON, frames from the packer.
#include "app/pack/AtlasJson.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasText.h"
#include "app/pack/CPacker.h"

#include <unordered_map>

namespace {

void appendRectangle(std::string& out, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
{
    out += "{\"x\": " + std::to_string(x) + ", \"y\": " + std::to_string(y) + ", \"w\": " + std::to_string(w) +
           ", \"h\": " + std::to_string(h) + "}";
}

void appendSize(std::string& out, std::int64_t w, std::int64_t h)
{
    out += "{\"w\": " + std::to_string(w) + ", \"h\": " + std::to_string(h) + "}";
}

}

std::string atlasJsonPath(const std::string& atlasPath)
{
    const std::size_t letters = atlasEndingLetters(atlasPath);
    if (atlasPath.size() < letters)
        return "json";
    return atlasPath.substr(0, atlasPath.size() - letters) + "json";
}

bool atlasJsonText(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                   std::uint32_t width, std::uint32_t height, std::string& text, std::string* error,
                   bool premultiplied)
{
    const AtlasOutput output = AtlasOutput::parse(atlasPath);
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!output.atlasFormat(channels, bitsPerPixel)) {
        if (error)
            *error = "the atlas name " + atlasPath + " does not end with .bmp, .jpg, .png, .tga or .webp";
        return false;
    }
    std::unordered_map<std::string, std::uint32_t> entryOf;
    entryOf.reserve(packer.count());
    for (std::uint32_t i = 0; i < packer.count(); ++i)
        entryOf.emplace(toStdString(packer.entry(i).name), i);

    std::string out;
    out.reserve(images.size() * 220 + 256);
    out += "{\"frames\": {";
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string name = toStdString(images[i].name);
        const auto found = entryOf.find(toStdString(images[i].entryName()));
        if (found == entryOf.end()) {
            if (error)
                *error = "no layout for image " + name;
            return false;
        }
        const AtlasFrameRect frame = atlasFrameRect(packer.entry(found->second), images[i]);
        out += i == 0 ? "\n\t" : ",\n\t";
        if (!appendJsonString(out, name)) {
            if (error)
                *error = "the image name " + name + " is not UTF-8 text, which a JSON description cannot hold";
            return false;
        }
        out += ": {\"frame\": ";
        appendRectangle(out, frame.x, frame.y, frame.w, frame.h);
        if (const std::optional<AtlasTrim>& trim = images[i].trim) {
            out += ", \"rotated\": false, \"trimmed\": true, \"spriteSourceSize\": ";
            appendRectangle(out, trim->x, trim->y, frame.w, frame.h);
            out += ", \"sourceSize\": ";
            appendSize(out, trim->sourceWidth, trim->sourceHeight);
        } else {
            out += ", \"rotated\": false, \"trimmed\": false, \"spriteSourceSize\": ";
            appendRectangle(out, 0, 0, frame.w, frame.h);
            out += ", \"sourceSize\": ";
            appendSize(out, frame.w, frame.h);
        }
        out += "}";
    }
    out += "},\n\"meta\": {\"app\": \"Quilt Forger\", \"version\": \"" QF_VERSION "\", \"image\": ";
    if (!appendJsonString(out, output.fileName)) {
        if (error)
            *error = "the atlas name " + output.fileName + " is not UTF-8 text, which a JSON description cannot hold";
        return false;
    }
    out += channels == 4 ? ", \"format\": \"RGBA8888\", \"size\": " : ", \"format\": \"RGB888\", \"size\": ";
    appendSize(out, width, height);
    out += premultiplied ? ", \"scale\": \"1\", \"premultipliedAlpha\": true}\n}\n" : ", \"scale\": \"1\"}\n}\n";
    text = std::move(out);
    return true;
}
