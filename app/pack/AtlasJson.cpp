// The JSON description: strings escaped for JSON, frames from the packer.
#include "app/pack/AtlasJson.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasText.h"
#include "app/pack/CPacker.h"

#include <algorithm>
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

void appendPoint(std::string& out, double x, double y)
{
    out += "{\"x\": " + decimalText(x) + ", \"y\": " + decimalText(y) + "}";
}

}

std::string atlasJsonPath(const std::string& atlasPath)
{
    const std::size_t letters = atlasEndingLetters(atlasPath);
    if (atlasPath.size() < letters)
        return "json";
    return atlasPath.substr(0, atlasPath.size() - letters) + "json";
}

std::string jsonTurnProblem(const std::vector<AtlasFrame>& frames)
{
    for (const AtlasFrame& frame : frames) {
        if (frame.rotated && !frame.clockwise)
            return "the frame " + frame.key + " is turned counter-clockwise, which JSON readers would show upside down";
    }
    return std::string();
}

bool appendJsonFrame(std::string& out, const AtlasFrame& frame, const std::string* filename)
{
    out += "{";
    if (filename) {
        out += "\"filename\": ";
        if (!appendJsonString(out, *filename))
            return false;
        out += ", ";
    }
    // NOTE: a turned frame gives the picture's own size, as the web engines
    // read it: they take the stored rectangle as h x w from (x, y).
    const std::int32_t w = pictureWidth(frame), h = pictureHeight(frame);
    out += "\"frame\": ";
    appendRectangle(out, frame.rect.x, frame.rect.y, w, h);
    out += frame.rotated ? ", \"rotated\": true" : ", \"rotated\": false";
    out += frame.trimmed ? ", \"trimmed\": true, \"spriteSourceSize\": " : ", \"trimmed\": false, \"spriteSourceSize\": ";
    appendRectangle(out, frame.source.x, frame.source.y, w, h);
    out += ", \"sourceSize\": ";
    appendSize(out, frame.source.sourceWidth, frame.source.sourceHeight);
    if (const auto& pivot = frame.meta.pivot) {
        out += ", \"pivot\": ";
        appendPoint(out, pivot->x, pivot->y);
        out += ", \"anchor\": ";
        appendPoint(out, pivot->x, pivot->y);
    }
    if (const auto& slice = frame.meta.nineSlice) {
        out += ", \"borders\": {\"left\": " + std::to_string(slice->left) + ", \"top\": " +
               std::to_string(slice->top) + ", \"right\": " + std::to_string(slice->right) + ", \"bottom\": " +
               std::to_string(slice->bottom) + "}";
    }
    out += "}";
    return true;
}

void appendJsonAnimations(std::string& out, const std::vector<AtlasFrame>& frames, const std::string& indent)
{
    // Sequences in the order of their first frame on the page; each frame's
    // position in `frames` kept with its number to sort by.
    std::vector<std::string> names;
    std::unordered_map<std::string, std::vector<std::pair<std::int32_t, std::size_t>>> members;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const FrameMeta& meta = frames[i].meta;
        if (meta.animation.empty())
            continue;
        auto& list = members[meta.animation];
        if (list.empty())
            names.push_back(meta.animation);
        list.emplace_back(meta.index, i);
    }
    if (names.empty())
        return;
    out += "\"animations\": {";
    for (std::size_t n = 0; n < names.size(); ++n) {
        auto& list = members[names[n]];
        std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        out += (n == 0 ? "\n" : ",\n") + indent;
        appendJsonString(out, names[n]);
        out += ": [";
        for (std::size_t k = 0; k < list.size(); ++k) {
            out += k == 0 ? "" : ", ";
            appendJsonString(out, frames[list[k].second].key);
        }
        out += "]";
    }
    out += "}";
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
    std::vector<AtlasFrame> frames;
    if (!atlasFrames(packer, images, frames, error))
        return false;
    const AtlasPageInfo page{output.fileName, width, height, channels != 4, premultiplied};
    return atlasJsonText(page, frames, {}, text, error);
}

bool atlasJsonText(const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames,
                   const std::vector<std::string>& relatedPacks, std::string& text, std::string* error)
{
    if (const std::string problem = jsonTurnProblem(frames); !problem.empty()) {
        if (error)
            *error = problem;
        return false;
    }
    std::string out;
    out.reserve(frames.size() * 220 + 256);
    out += "{\"frames\": {";
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const AtlasFrame& frame = frames[i];
        out += i == 0 ? "\n\t" : ",\n\t";
        if (!appendJsonString(out, frame.key)) {
            if (error)
                *error = "the image name " + frame.key + " is not UTF-8 text, which a JSON description cannot hold";
            return false;
        }
        out += ": ";
        appendJsonFrame(out, frame);
    }
    out += "},\n";
    const std::size_t beforeAnimations = out.size();
    appendJsonAnimations(out, frames, "\t");
    if (out.size() != beforeAnimations)
        out += ",\n";
    out += "\"meta\": {\"app\": \"Quilt Forger\", \"version\": \"" QF_VERSION "\", \"image\": ";
    if (!appendJsonString(out, page.fileName)) {
        if (error)
            *error = "the atlas name " + page.fileName + " is not UTF-8 text, which a JSON description cannot hold";
        return false;
    }
    out += page.opaque ? ", \"format\": \"RGB888\", \"size\": " : ", \"format\": \"RGBA8888\", \"size\": ";
    appendSize(out, page.width, page.height);
    out += ", \"scale\": ";
    appendJsonString(out, page.scale);
    if (page.premultiplied)
        out += ", \"premultipliedAlpha\": true";
    if (!relatedPacks.empty()) {
        out += ", \"related_multi_packs\": [";
        for (std::size_t i = 0; i < relatedPacks.size(); ++i) {
            out += i == 0 ? "" : ", ";
            if (!appendJsonString(out, relatedPacks[i])) {
                if (error)
                    *error = "the file name " + relatedPacks[i] + " is not UTF-8 text";
                return false;
            }
        }
        out += "]";
    }
    out += "}\n}\n";
    text = std::move(out);
    return true;
}
