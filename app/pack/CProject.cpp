// CProject: reading and writing the project file (see CProject.h).
#include "app/pack/CProject.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/OptionValues.h"
#include "core/CSafeWriter.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLWriter.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
#include <unordered_map>
#include <utility>

namespace {

const char* const rootName = "quiltforgerProject";

// Largest spacing and border a project may ask for, as the command line.
constexpr std::uint32_t maxSpacing = 4096;
// Scale factors lie in (0, maxFactor].
constexpr double maxFactor = 16.0;
// Nine-slice borders and padding: at most an image's largest side.
constexpr std::uint32_t maxSlice = maxImageSide;

std::string value(const CXMLNode& node, const char* name)
{
    return toStdString(node.attributeValue(name));
}

std::string numberText(double number)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof(text), number);
    return std::string(text, result.ptr);
}

// Reads one element's settings, stopping at the first bad value with a
// reason that names the element and the attribute.
class CReader {
public:
    CReader(const CXMLNode& node, std::string& error) : node_(node), error_(error) {}

    bool ok() const { return error_.empty(); }

    void flag(const char* name, bool& target)
    {
        const CXMLAttribute* attribute = node_.findAttribute(name);
        if (!ok() || attribute == nullptr)
            return;
        const std::string text = toStdString(attribute->value());
        if (text == "1" || text == "true")
            target = true;
        else if (text == "0" || text == "false")
            target = false;
        else
            fail(name, text, "is not 0 or 1");
    }

    bool has(const char* name) const { return node_.findAttribute(name) != nullptr; }

    void whole(const char* name, std::uint32_t least, std::uint32_t most, std::uint32_t& target)
    {
        const CXMLAttribute* attribute = node_.findAttribute(name);
        if (!ok() || attribute == nullptr)
            return;
        const std::string text = toStdString(attribute->value());
        std::uint64_t number = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() || number < least ||
            number > most)
            fail(name, text, "is not a whole number from " + std::to_string(least) + " to " + std::to_string(most));
        else
            target = static_cast<std::uint32_t>(number);
    }

    void signedWhole(const char* name, std::int32_t most, std::int32_t& target)
    {
        std::uint32_t number = 0;
        whole(name, 0, static_cast<std::uint32_t>(most), number);
        if (ok() && has(name))
            target = static_cast<std::int32_t>(number);
    }

    void real(const char* name, double least, double most, bool leastIncluded, double& target)
    {
        const CXMLAttribute* attribute = node_.findAttribute(name);
        if (!ok() || attribute == nullptr)
            return;
        const std::string text = toStdString(attribute->value());
        double number = 0.0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
            !std::isfinite(number) || number > most || number < least || (!leastIncluded && number == least))
            fail(name, text, "is not a number " + std::string(leastIncluded ? "from " : "above ") +
                                 numberText(least) + (leastIncluded ? " to " : " up to ") + numberText(most));
        else
            target = number;
    }

    // One of `choices` (names paired with values).
    template <typename T>
    void choice(const char* name, std::initializer_list<std::pair<const char*, T>> choices, T& target)
    {
        const CXMLAttribute* attribute = node_.findAttribute(name);
        if (!ok() || attribute == nullptr)
            return;
        const std::string text = toStdString(attribute->value());
        std::string names;
        for (const auto& [choiceName, choiceValue] : choices) {
            if (text == choiceName) {
                target = choiceValue;
                return;
            }
            names += (names.empty() ? "" : ", ") + std::string(choiceName);
        }
        fail(name, text, "is none of " + names);
    }

    void fail(const std::string& attribute, const std::string& text, const std::string& reason)
    {
        // Appended piece by piece: GCC 12 warns falsely about the chain.
        error_ = toStdString(node_.name());
        error_.insert(0, 1, '<');
        error_.append("> ").append(attribute).append("=\"").append(text).append("\" ").append(reason);
    }

private:
    const CXMLNode& node_;
    std::string& error_;
};

// A stored path as the front ends use it: relative ones taken from `folder`.
std::string resolvedPath(const std::string& stored, const std::string& folder)
{
    if (stored.empty() || folder.empty())
        return stored;
    const std::filesystem::path path(stored);
    if (path.is_absolute())
        return stored;
    return (std::filesystem::path(folder) / path).lexically_normal().generic_string();
}

// A path as stored: relative to `folder` when `folder` is given, with "/".
std::string storedPath(const std::string& path, const std::string& folder)
{
    if (path.empty() || folder.empty())
        return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::filesystem::path base = std::filesystem::absolute(folder, error);
    if (error)
        return path;
    const std::filesystem::path relative = absolute.lexically_normal().lexically_relative(base.lexically_normal());
    if (relative.empty())
        return absolute.lexically_normal().generic_string();
    return relative.generic_string();
}

const std::initializer_list<std::pair<const char*, PackMode>> modes = {
    {"auto", PackAuto}, {"right", PackRight}, {"down", PackDown}, {"best", PackBest}};
const std::initializer_list<std::pair<const char*, PackAlign>> alignments = {{"edge", AlignEdge},
                                                                             {"centre", AlignCentre}};
const std::initializer_list<std::pair<const char*, NameOrder>> orders = {{"natural", NameOrder::Natural},
                                                                         {"bytes", NameOrder::Bytes}};
const std::initializer_list<std::pair<const char*, ImageCompression>> compressions = {
    {"fast", ImageCompression::Fast}, {"default", ImageCompression::Default}, {"best", ImageCompression::Best}};

// A colour as stored: "#RRGGBB".
std::string colourText(std::uint32_t colour)
{
    static const char digits[] = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        text += digits[(colour >> shift) & 0xF];
    return text;
}

template <typename T>
const char* nameOf(std::initializer_list<std::pair<const char*, T>> choices, T value)
{
    for (const auto& [name, choiceValue] : choices) {
        if (choiceValue == value)
            return name;
    }
    return choices.begin()->first;
}

void readPivot(CReader& reader, std::optional<SpritePivot>& pivot)
{
    if (!reader.has("pivotX") && !reader.has("pivotY"))
        return;
    SpritePivot read;
    reader.real("pivotX", -maxFactor, maxFactor, true, read.x);
    reader.real("pivotY", -maxFactor, maxFactor, true, read.y);
    pivot = read;
}

// The settings of every element this version knows; `error` names the first
// bad value.
bool readSettings(const CXMLNode& root, const std::string& folder, PackSettings& settings, std::string& error)
{
    for (std::uint32_t i = 0; i < root.childCount() && error.empty(); ++i) {
        const CXMLNode& node = *root.child(i);
        const std::string name = toStdString(node.name());
        CReader reader(node, error);
        if (name == "inputs") {
            reader.flag("recursive", settings.recursive);
            reader.flag("flatten", settings.flatten);
            reader.choice("sort", orders, settings.order);
            for (std::uint32_t k = 0; k < node.childCount() && reader.ok(); ++k) {
                const CXMLNode& input = *node.child(k);
                if (toStdString(input.name()) != "input")
                    continue;
                const std::string path = value(input, "path");
                if (path.empty())
                    CReader(input, error).fail("path", path, "names no file or folder");
                else
                    settings.inputs.push_back(resolvedPath(path, folder));
            }
        } else if (name == "layout") {
            reader.choice("mode", modes, settings.mode);
            reader.choice("alignment", alignments, settings.alignment);
            reader.whole("spacing", 0, maxSpacing, settings.spacing);
            reader.flag("tight", settings.tight);
            reader.whole("maxSize", 1, maxImageSide, settings.maxSize);
            reader.flag("pot", settings.pot);
            reader.flag("square", settings.square);
            reader.flag("multipack", settings.multipack);
            if (reader.has("border")) {
                std::uint32_t border = 0;
                reader.whole("border", 0, maxSpacing, border);
                settings.border = border;
            }
            reader.flag("rotate", settings.rotate);
        } else if (name == "sprites") {
            reader.flag("trim", settings.sprites.trim);
            reader.flag("alias", settings.sprites.alias);
            reader.whole("extrude", 0, maxExtrude, settings.sprites.extrude);
            reader.flag("bleed", settings.sprites.bleed);
            reader.flag("premultiply", settings.sprites.premultiply);
            reader.flag("animations", settings.animations);
            readPivot(reader, settings.pivot);
        } else if (name == "variants") {
            for (std::uint32_t k = 0; k < node.childCount() && reader.ok(); ++k) {
                const CXMLNode& variantNode = *node.child(k);
                if (toStdString(variantNode.name()) != "variant")
                    continue;
                ScaleVariant variant;
                CReader variantReader(variantNode, error);
                variantReader.real("factor", 0.0, maxFactor, false, variant.factor);
                variant.suffix = value(variantNode, "suffix");
                // Suffixes become file names: the command line's checks.
                if (const std::string problem = addScaleVariant(settings.variants, variant);
                    !problem.empty() && variantReader.ok())
                    variantReader.fail("suffix", variant.suffix, problem);
            }
        } else if (name == "sprite") {
            const std::string frame = value(node, "name");
            if (frame.empty()) {
                reader.fail("name", frame, "names no sprite");
                break;
            }
            SpriteSettings sprite;
            readPivot(reader, sprite.pivot);
            if (reader.has("left") || reader.has("right") || reader.has("top") || reader.has("bottom")) {
                NineSlice slice;
                const std::int32_t most = static_cast<std::int32_t>(maxSlice);
                reader.signedWhole("left", most, slice.left);
                reader.signedWhole("right", most, slice.right);
                reader.signedWhole("top", most, slice.top);
                reader.signedWhole("bottom", most, slice.bottom);
                if (reader.has("padLeft") || reader.has("padRight") || reader.has("padTop") || reader.has("padBottom")) {
                    std::array<std::int32_t, 4> pad{};
                    reader.signedWhole("padLeft", most, pad[0]);
                    reader.signedWhole("padRight", most, pad[1]);
                    reader.signedWhole("padTop", most, pad[2]);
                    reader.signedWhole("padBottom", most, pad[3]);
                    slice.pad = pad;
                }
                sprite.nineSlice = slice;
            }
            if (!settings.perSprite.emplace(frame, sprite).second)
                reader.fail("name", frame, "is set twice");
        } else if (name == "output") {
            const std::string atlas = value(node, "atlas");
            settings.atlasPath = resolvedPath(atlas, folder);
            const std::string formats = value(node, "formats");
            settings.json = settings.jsonArray = settings.gdxAtlas = settings.phaser3 = false;
            std::size_t start = 0;
            while (reader.ok() && start <= formats.size()) {
                std::size_t end = formats.find(',', start);
                if (end == std::string::npos)
                    end = formats.size();
                const std::string format = formats.substr(start, end - start);
                if (format == "json")
                    settings.json = true;
                else if (format == "json-array")
                    settings.jsonArray = true;
                else if (format == "atlas")
                    settings.gdxAtlas = true;
                else if (format == "phaser3")
                    settings.phaser3 = true;
                else if (format != "xml" && !format.empty())
                    reader.fail("formats", formats,
                                "names " + format + ", none of xml, json, json-array, atlas, phaser3");
                start = end + 1;
            }
            for (std::uint32_t k = 0; k < node.childCount() && reader.ok(); ++k) {
                const CXMLNode& frame = *node.child(k);
                if (toStdString(frame.name()) == "frame")
                    settings.frameOrder.push_back(value(frame, "image"));
            }
            if (reader.ok() && settings.json && settings.jsonArray)
                reader.fail("formats", formats, "asks for json and json-array, which would both write one file");
            reader.choice("compression", compressions, settings.compression);
            if (reader.has("quality")) {
                std::uint32_t quality = 0;
                reader.whole("quality", 0, 100, quality);
                settings.quality = static_cast<int>(quality);
            }
            reader.flag("jpegFlatten", settings.jpegFlatten);
            if (reader.ok() && reader.has("jpegFlattenColour")) {
                const std::string colour = value(node, "jpegFlattenColour");
                if (colour.size() != 7 || colour[0] != '#' ||
                    colour.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
                    reader.fail("jpegFlattenColour", colour, "is not a colour as #RRGGBB");
                else
                    settings.jpegFlattenColour = static_cast<std::uint32_t>(std::stoul(colour.substr(1), nullptr, 16));
            }
        }
    }
    return error.empty();
}

// The format holds no element text, and the reader keeps only part of some
// (its last run), so kept elements lose theirs rather than change it.
void dropText(CXMLNode& node)
{
    node.text() = String();
    for (std::uint32_t i = 0; i < node.childCount(); ++i)
        dropText(*node.child(i));
}

// Adds what `read` holds beyond `written`: attributes `written` lacks and
// children whose names `known` does not hold.
void keepUnknown(const CXMLNode* read, CXMLNode& written, const std::set<std::string>& known)
{
    if (read == nullptr)
        return;
    for (std::uint32_t i = 0; i < read->attributeCount(); ++i) {
        const CXMLAttribute& attribute = *read->attribute(i);
        if (written.findAttribute(attribute.name()) == nullptr)
            written.addAttribute(attribute);
    }
    for (std::uint32_t i = 0; i < read->childCount(); ++i) {
        if (known.count(toStdString(read->child(i)->name())) == 0)
            dropText(written.addChild(*read->child(i)));
    }
}

// The first child of `node` named `name` whose attribute `key` is `keyValue`
// (any such child when `key` is null).
const CXMLNode* childNamed(const CXMLNode& node, const char* name, const char* key = nullptr,
                           const std::string& keyValue = {})
{
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        if (toStdString(child.name()) == name && (key == nullptr || value(child, key) == keyValue))
            return &child;
    }
    return nullptr;
}

void add(CXMLNode& node, const char* name, const std::string& text)
{
    node.addAttribute(CXMLAttribute(name, String(text.c_str())));
}

void addFlag(CXMLNode& node, const char* name, bool flag)
{
    add(node, name, flag ? "1" : "0");
}

void addPivot(CXMLNode& node, const std::optional<SpritePivot>& pivot)
{
    if (!pivot)
        return;
    add(node, "pivotX", numberText(pivot->x));
    add(node, "pivotY", numberText(pivot->y));
}

}

bool CProject::load(const std::string& path, std::string& error)
{
    CXMLDocument document;
    error = document.loadDetailed(String(path.c_str()));
    return adopt(document, folderOf(path), path, error);
}

bool CProject::parse(const std::string& text, const std::string& folder, const std::string& name, std::string& error)
{
    CXMLDocument document;
    error = document.parseDetailed(text.c_str());
    return adopt(document, folder, name, error);
}

bool CProject::adopt(const CXMLDocument& document, const std::string& folder, const std::string& name,
                     std::string& error)
{
    if (error.empty() && !document.isComplete())
        error = "the project file ends early (the file is cut short)";
    if (error.empty() && toStdString(document.name()) != rootName)
        error = "this is no Quilt Forger project (its root is <" + toStdString(document.name()) + ">)";
    PackSettings read;
    if (error.empty())
        readSettings(document, folder, read, error);
    if (!error.empty()) {
        error = name + ": " + error;
        return false;
    }
    settings = std::move(read);
    read_ = document;
    return true;
}

std::string CProject::text(const std::string& folder) const
{
    CXMLNode root{String(rootName)};
    add(root, "version", std::to_string(version));

    CXMLNode inputs{String("inputs")};
    addFlag(inputs, "recursive", settings.recursive);
    addFlag(inputs, "flatten", settings.flatten);
    add(inputs, "sort", nameOf(orders, settings.order));
    // The inputs as read, by path (the first of each), for what they carry
    // beyond it.
    std::unordered_map<std::string, const CXMLNode*> readInputs;
    if (const CXMLNode* read = childNamed(read_, "inputs")) {
        for (std::uint32_t i = 0; i < read->childCount(); ++i) {
            if (toStdString(read->child(i)->name()) == "input")
                readInputs.emplace(value(*read->child(i), "path"), read->child(i));
        }
    }
    for (const std::string& path : settings.inputs) {
        CXMLNode input{String("input")};
        const std::string stored = storedPath(path, folder);
        add(input, "path", stored);
        const auto found = readInputs.find(stored);
        keepUnknown(found != readInputs.end() ? found->second : nullptr, input, {});
        inputs.addChild(input);
    }
    keepUnknown(childNamed(read_, "inputs"), inputs, {"input"});
    root.addChild(inputs);

    CXMLNode layout{String("layout")};
    add(layout, "mode", nameOf(modes, settings.mode));
    add(layout, "alignment", nameOf(alignments, settings.alignment));
    add(layout, "spacing", std::to_string(settings.spacing));
    addFlag(layout, "tight", settings.tight);
    add(layout, "maxSize", std::to_string(settings.maxSize));
    addFlag(layout, "pot", settings.pot);
    addFlag(layout, "square", settings.square);
    addFlag(layout, "multipack", settings.multipack);
    if (settings.border)
        add(layout, "border", std::to_string(*settings.border));
    addFlag(layout, "rotate", settings.rotate);
    keepUnknown(childNamed(read_, "layout"), layout, {});
    root.addChild(layout);

    CXMLNode sprites{String("sprites")};
    addFlag(sprites, "trim", settings.sprites.trim);
    addFlag(sprites, "alias", settings.sprites.alias);
    add(sprites, "extrude", std::to_string(settings.sprites.extrude));
    addFlag(sprites, "bleed", settings.sprites.bleed);
    addFlag(sprites, "premultiply", settings.sprites.premultiply);
    addFlag(sprites, "animations", settings.animations);
    addPivot(sprites, settings.pivot);
    keepUnknown(childNamed(read_, "sprites"), sprites, {});
    root.addChild(sprites);

    if (!settings.variants.empty() || childNamed(read_, "variants") != nullptr) {
        CXMLNode variants{String("variants")};
        // A variant's unknown attributes go with the variant in its place.
        std::vector<const CXMLNode*> readVariants;
        if (const CXMLNode* read = childNamed(read_, "variants")) {
            for (std::uint32_t i = 0; i < read->childCount(); ++i) {
                if (toStdString(read->child(i)->name()) == "variant")
                    readVariants.push_back(read->child(i));
            }
        }
        for (std::size_t i = 0; i < settings.variants.size(); ++i) {
            const ScaleVariant& variant = settings.variants[i];
            CXMLNode node{String("variant")};
            add(node, "factor", numberText(variant.factor));
            add(node, "suffix", variant.suffix);
            keepUnknown(i < readVariants.size() ? readVariants[i] : nullptr, node, {});
            variants.addChild(node);
        }
        keepUnknown(childNamed(read_, "variants"), variants, {"variant"});
        root.addChild(variants);
    }

    for (const auto& [name, sprite] : settings.perSprite) {
        CXMLNode node{String("sprite")};
        add(node, "name", name);
        addPivot(node, sprite.pivot);
        if (sprite.nineSlice) {
            const NineSlice& slice = *sprite.nineSlice;
            add(node, "left", std::to_string(slice.left));
            add(node, "right", std::to_string(slice.right));
            add(node, "top", std::to_string(slice.top));
            add(node, "bottom", std::to_string(slice.bottom));
            if (slice.pad) {
                add(node, "padLeft", std::to_string((*slice.pad)[0]));
                add(node, "padRight", std::to_string((*slice.pad)[1]));
                add(node, "padTop", std::to_string((*slice.pad)[2]));
                add(node, "padBottom", std::to_string((*slice.pad)[3]));
            }
        }
        keepUnknown(childNamed(read_, "sprite", "name", name), node, {});
        root.addChild(node);
    }

    CXMLNode output{String("output")};
    add(output, "atlas", storedPath(settings.atlasPath, folder));
    std::string formats = "xml";
    if (settings.json)
        formats += ",json";
    if (settings.jsonArray)
        formats += ",json-array";
    if (settings.gdxAtlas)
        formats += ",atlas";
    if (settings.phaser3)
        formats += ",phaser3";
    add(output, "formats", formats);
    add(output, "compression", nameOf(compressions, settings.compression));
    if (settings.quality >= 0)
        add(output, "quality", std::to_string(settings.quality));
    addFlag(output, "jpegFlatten", settings.jpegFlatten);
    add(output, "jpegFlattenColour", colourText(settings.jpegFlattenColour));
    for (const std::string& image : settings.frameOrder) {
        CXMLNode frame{String("frame")};
        add(frame, "image", image);
        output.addChild(frame);
    }
    keepUnknown(childNamed(read_, "output"), output, {"frame"});
    root.addChild(output);

    keepUnknown(&read_, root, {"inputs", "layout", "sprites", "variants", "sprite", "output"});
    return CXMLWriter::fileText(root) + "\n";
}

bool CProject::save(const std::string& path, std::string& error) const
{
    const std::string content = text(folderOf(path));
    return CSafeWriter::writeFile(path, content.data(), content.size(), &error);
}
