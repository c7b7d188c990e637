// The JSON description: strings escaped for JSON, frames from the packer.
#include "app/pack/AtlasJson.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/CPacker.h"

#include <cstdio>
#include <unordered_map>

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 (overlong forms,
// surrogates and code points past U+10FFFF are not well-formed).
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    }
    return length;
}

// Appends `value` as a JSON string; false when it is not valid UTF-8.
bool appendString(std::string& out, const std::string& value)
{
    out += '"';
    for (std::size_t i = 0; i < value.size();) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            const std::size_t length = utf8Length(value, i);
            if (length == 0)
                return false;
            out.append(value, i, length);
            i += length;
            continue;
        }
        ++i;
    }
    out += '"';
    return true;
}

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
    if (atlasPath.size() < 3)
        return "json";
    return atlasPath.substr(0, atlasPath.size() - 3) + "json";
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
            *error = "the atlas name " + atlasPath + " does not end with .bmp, .jpg, .png or .tga";
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
        if (!appendString(out, name)) {
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
    if (!appendString(out, output.fileName)) {
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
