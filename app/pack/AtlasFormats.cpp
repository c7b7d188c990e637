// The JSON array and libGDX ".atlas" description writers.
#include "app/pack/AtlasFormats.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasText.h"
#include "app/pack/CPacker.h"


namespace {

bool fail(std::string* error, const std::string& message)
{
    if (error)
        *error = message;
    return false;
}

// The end of the JSON string or object starting at text[start] ('"' or
// '{'), just past its closing character; npos when it does not close.
std::size_t skipValue(const std::string& text, std::size_t start)
{
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            if (!inString && depth == 0)
                return i + 1;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (depth == 0)
                return std::string::npos;
            if (--depth == 0)
                return i + 1;
        }
    }
    return std::string::npos;
}

// Why the ".atlas" readers would not read `name` back as written, or "".
std::string gdxNameProblem(const std::string& name)
{
    if (name.empty())
        return "is empty";
    const std::string problem = descriptionNameProblem(name);
    if (!problem.empty())
        return problem.substr(std::string("the file name ").size());
    if (name.find(':') != std::string::npos)
        return "holds a \":\", which the .atlas format reads as a field";
    if (name.find_first_of("\n\r") != std::string::npos)
        return "holds a line break, which the .atlas format cannot hold";
    if (name.front() == ' ' || name.front() == '\t' || name.back() == ' ' || name.back() == '\t')
        return "begins or ends with a space, which the .atlas format drops";
    return std::string();
}

std::string pair(std::int64_t a, std::int64_t b)
{
    return std::to_string(a) + ", " + std::to_string(b);
}

}

std::string atlasGdxPath(const std::string& atlasPath)
{
    const std::size_t letters = atlasEndingLetters(atlasPath);
    if (atlasPath.size() < letters)
        return "atlas";
    return atlasPath.substr(0, atlasPath.size() - letters) + "atlas";
}

bool atlasJsonArrayText(const std::string& hashText, std::string& text, std::string* error)
{
    static const std::string head = "{\"frames\": {";
    static const std::string tailHead = "},\n\"";
    const auto malformed = [&] { return fail(error, "the JSON description is not in the expected layout"); };
    if (hashText.compare(0, head.size(), head) != 0)
        return malformed();
    std::string out = "{\"frames\": [";
    std::size_t at = head.size();
    for (bool first = true;; first = false) {
        if (hashText.compare(at, tailHead.size(), tailHead) == 0)
            break;
        const std::string lead = first ? "\n\t" : ",\n\t";
        if (hashText.compare(at, lead.size(), lead) != 0)
            return malformed();
        at += lead.size();
        const std::size_t keyEnd = hashText[at] == '"' ? skipValue(hashText, at) : std::string::npos;
        if (keyEnd == std::string::npos || hashText.compare(keyEnd, 3, ": {") != 0)
            return malformed();
        const std::size_t valueEnd = skipValue(hashText, keyEnd + 2);
        if (valueEnd == std::string::npos)
            return malformed();
        out += lead + "{\"filename\": ";
        out.append(hashText, at, keyEnd - at);
        const bool emptyValue = valueEnd == keyEnd + 4;
        out += emptyValue ? "}" : ", ";
        if (!emptyValue)
            out.append(hashText, keyEnd + 3, valueEnd - keyEnd - 3);
        at = valueEnd;
    }
    // The animations (when there are any) and the meta follow as they are.
    out += "],\n";
    out.append(hashText, at + tailHead.size() - 1, std::string::npos);
    text = std::move(out);
    return true;
}

bool atlasGdxText(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                  std::uint32_t width, std::uint32_t height, std::string& text, std::string* error,
                  bool premultiplied)
{
    const AtlasOutput output = AtlasOutput::parse(atlasPath);
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!output.atlasFormat(channels, bitsPerPixel))
        return fail(error, "the atlas name " + atlasPath + " does not end with .bmp, .jpg, .png, .tga or .webp");
    std::vector<AtlasFrame> frames;
    if (!atlasFrames(packer, images, frames, error))
        return false;
    return atlasGdxText(AtlasPageInfo{output.fileName, width, height, channels != 4, premultiplied}, frames, text,
                        error);
}

bool atlasGdxText(const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames, std::string& text,
                  std::string* error)
{
    if (const std::string problem = gdxNameProblem(page.fileName); !problem.empty())
        return fail(error, "the atlas name " + page.fileName + " " + problem);
    std::string out;
    out.reserve(frames.size() * 120 + 128);
    out += "\n" + page.fileName + "\n";
    out += "size: " + pair(page.width, page.height) + "\n";
    out += page.opaque ? "format: RGB888\n" : "format: RGBA8888\n";
    out += "filter: Nearest, Nearest\nrepeat: none\n";
    if (page.premultiplied)
        out += "pma: true\n";
    for (const AtlasFrame& frame : frames) {
        // A frame of a sequence is a region named for the sequence, told
        // apart by its index.
        const bool inSequence = !frame.meta.animation.empty();
        const std::string& region = inSequence ? frame.meta.animation : frame.name;
        if (const std::string problem = gdxNameProblem(region); !problem.empty())
            return fail(error, "the frame name \"" + region + "\" of " + frame.key + " " + problem);
        const AtlasFrameRect& rect = frame.rect;
        const AtlasTrim& source = frame.source;
        // The layout every reader takes: "rotate: true" and the picture's own
        // size, the region being stored turned counter-clockwise in size.y x
        // size.x pixels.
        if (frame.rotated && frame.clockwise)
            return fail(error, "the frame " + frame.key + " is turned clockwise, which .atlas readers would show "
                               "upside down");
        const std::int32_t w = pictureWidth(frame), h = pictureHeight(frame);
        out += region + (frame.rotated ? "\n  rotate: true\n" : "\n  rotate: false\n");
        out += "  xy: " + pair(rect.x, rect.y) + "\n";
        out += "  size: " + pair(w, h) + "\n";
        if (const auto& slice = frame.meta.nineSlice) {
            out += "  split: " + pair(slice->left, slice->right) + ", " + pair(slice->top, slice->bottom) + "\n";
            if (const auto& pad = slice->pad)
                out += "  pad: " + pair((*pad)[0], (*pad)[1]) + ", " + pair((*pad)[2], (*pad)[3]) + "\n";
        }
        out += "  orig: " + pair(source.sourceWidth, source.sourceHeight) + "\n";
        out += "  offset: " + pair(source.x, std::int64_t(source.sourceHeight) - source.y - h) + "\n";
        out += "  index: " + std::to_string(inSequence ? frame.meta.index : -1) + "\n";
    }
    text = std::move(out);
    return true;
}
