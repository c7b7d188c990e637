// The JSON array and libGDX ".atlas" description writers.
#include "app/pack/AtlasFormats.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasText.h"
#include "app/pack/CPacker.h"

#include <unordered_map>

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
    static const std::string metaHead = "},\n\"meta\": ";
    const auto malformed = [&] { return fail(error, "the JSON description is not in the expected layout"); };
    if (hashText.compare(0, head.size(), head) != 0)
        return malformed();
    std::string out = "{\"frames\": [";
    std::size_t at = head.size();
    for (bool first = true;; first = false) {
        if (hashText.compare(at, metaHead.size(), metaHead) == 0)
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
    out += "],\n\"meta\": ";
    out.append(hashText, at + metaHead.size(), std::string::npos);
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
    if (const std::string problem = gdxNameProblem(output.fileName); !problem.empty())
        return fail(error, "the atlas name " + output.fileName + " " + problem);
    std::unordered_map<std::string, std::uint32_t> entryOf;
    entryOf.reserve(packer.count());
    for (std::uint32_t i = 0; i < packer.count(); ++i)
        entryOf.emplace(toStdString(packer.entry(i).name), i);

    std::string out;
    out.reserve(images.size() * 120 + 128);
    out += "\n" + output.fileName + "\n";
    out += "size: " + pair(width, height) + "\n";
    out += channels == 4 ? "format: RGBA8888\n" : "format: RGB888\n";
    out += "filter: Nearest, Nearest\nrepeat: none\n";
    if (premultiplied)
        out += "pma: true\n";
    for (const AtlasImage& image : images) {
        const std::string name = toStdString(image.name);
        const auto found = entryOf.find(toStdString(image.entryName()));
        if (found == entryOf.end())
            return fail(error, "no layout for image " + name);
        const std::string frame = toStdString(atlasFrameName(image.name));
        if (const std::string problem = gdxNameProblem(frame); !problem.empty())
            return fail(error, "the frame name \"" + frame + "\" of " + name + " " + problem);
        const AtlasFrameRect rect = atlasFrameRect(packer.entry(found->second), image);
        const AtlasTrim whole{0, 0, rect.w, rect.h, rect.w, rect.h};
        const AtlasTrim& trim = image.trim ? *image.trim : whole;
        out += frame + "\n  rotate: false\n";
        out += "  xy: " + pair(rect.x, rect.y) + "\n";
        out += "  size: " + pair(rect.w, rect.h) + "\n";
        out += "  orig: " + pair(trim.sourceWidth, trim.sourceHeight) + "\n";
        out += "  offset: " + pair(trim.x, std::int64_t(trim.sourceHeight) - trim.y - rect.h) + "\n";
        out += "  index: -1\n";
    }
    text = std::move(out);
    return true;
}
